#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <limits>
#include <memory>
#include <string>
#include <vector>

// An MNG movie read a frame at a time from its file, for movies whose every frame is one whole PNG
// image: MAME's -mngwrite recordings (MHDR, the images, MEND) and the simple movies of artwork
// collections (FRAM delays, LOOP ... ENDL, TERM). Only the frame being read is held, so a movie's
// length does not change what it costs to play.
namespace kestrune::catalogue {

inline constexpr std::uint64_t kMngForever = std::numeric_limits<std::uint64_t>::max();

// What one walk over a movie's chunk headers found.
struct MngSurvey {
  enum class Verdict {
    kFrames,        // every image is a frame of its own: playable here
    kNeedsDecoder,  // objects, delta images, layered frames …: a full MNG decoder's work
    kRefused,       // damaged, or too large to play in bounded memory
  };
  Verdict verdict = Verdict::kRefused;
  // Refused: why, with the figures; needs a decoder: what needs it.
  std::string why;
  std::uint32_t width = 0;  // the canvas
  std::uint32_t height = 0;
  std::uint32_t ticksPerSecond = 0;
  std::uint64_t images = 0;  // in one pass through the file
  std::uint32_t largestWidth = 0;
  std::uint32_t largestHeight = 0;
  // What showing the largest frame on the canvas takes at most: the decoded image, a converted copy
  // for scaling, the picture shown and its copy on screen.
  std::uint64_t showBytes = 0;
};

struct MngFrame {
  // A PNG datastream: the signature, then the image's chunks as the movie stores them (CRCs included:
  // the PNG reader checks them).
  std::string png;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  // How long the frame stays, in microseconds; kMngForever when the movie stops on it.
  std::uint64_t delayUs = 0;
  // How much longer the previous frame stays before this one (a pause between repeats of the movie).
  std::uint64_t pauseBeforeUs = 0;
};

class MngStream {
 public:
  // The file is opened and surveyed; a file that cannot be read is refused.
  MngStream(const std::filesystem::path& file, std::uint64_t maxPixels);
  // The same over bytes in memory.
  MngStream(std::string bytes, std::uint64_t maxPixels);
  MngStream(const MngStream&) = delete;
  MngStream& operator=(const MngStream&) = delete;
  ~MngStream();

  const MngSurvey& Survey() const { return survey_; }

  enum class Step { kFrame, kEnd, kError };
  // The next frame in showing order. kEnd when the movie is over (ClearsAtEnd says what stays on
  // screen); kError, with *why, when the file no longer reads as it did when it was surveyed.
  // Only for a movie surveyed as kFrames.
  Step Next(MngFrame& frame, std::string* why);
  // Whether the movie ends with nothing shown (the background) rather than its last frame.
  bool ClearsAtEnd() const { return clearsAtEnd_; }

 private:
  struct Chunk {
    std::uint64_t at = 0;  // of its length field
    std::uint32_t length = 0;
    char type[4] = {};
    bool Is(const char* name) const;
  };
  struct Loop {
    unsigned level;
    std::uint64_t repeatsLeft;
    std::uint64_t bodyAt;
    std::uint64_t imagesAtStart;
  };

  void Walk(std::uint64_t maxPixels);
  bool ReadChunkHeader(std::uint64_t at, Chunk& chunk);
  bool ReadData(const Chunk& chunk, std::string& data);
  bool ReadImage(const Chunk& first, MngFrame& frame, std::string* why);
  void Framing(const std::string& data);
  void Terminate(const std::string& data);
  void LoopStarts(const std::string& data, std::uint64_t bodyAt);
  // Where to go on from an ENDL: the start of a repeated body, or past the chunk.
  std::uint64_t LoopEnds(const std::string& data, std::uint64_t after);
  std::uint64_t TicksToUs(std::uint64_t ticks) const;
  // At the end of a pass through the file: whether the movie goes on (from where at_ now stands).
  bool EndOfPass();

  std::unique_ptr<std::istream> in_;
  std::uint64_t size_ = 0;
  MngSurvey survey_;
  std::uint64_t repeatAt_ = 0;  // the first chunk after TERM, or after MHDR without one
  std::uint64_t at_ = 0;
  bool ended_ = false;
  // FRAM's delays in ticks: the default, and the one of the subframe the last FRAM began.
  std::uint64_t defaultDelay_ = 1;
  std::uint64_t subframeDelay_ = 1;
  // TERM: 0 the last frame stays, 1 nothing stays, 2 the first frame stays, 3 the movie repeats.
  unsigned termAction_ = 0;
  unsigned afterRepeats_ = 0;
  std::uint64_t termDelay_ = 0;
  std::uint64_t passesLeft_ = 1;
  bool clearsAtEnd_ = false;
  // The movie ends on its first frame, to be read once more.
  bool endOnFirst_ = false;
  std::uint64_t pendingPause_ = 0;
  std::uint64_t imagesShown_ = 0;
  std::uint64_t imagesAtPassStart_ = 0;
  std::vector<Loop> loops_;
};

}  // namespace kestrune::catalogue
