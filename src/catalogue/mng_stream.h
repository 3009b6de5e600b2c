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
// collections (FRAM delays, LOOP ... ENDL, TERM). Only the frame being read is held, and only the start
// of the file is looked at before playing, so a movie's length changes neither what it costs to play nor
// what it costs to open: each later chunk is checked as it is played.
namespace kestrune::catalogue {

inline constexpr std::uint64_t kMngForever = std::numeric_limits<std::uint64_t>::max();

// What the start of a movie's file says of it: its header and the chunks up to its second image (at most
// a bounded number of them).
struct MngSurvey {
  enum class Verdict {
    kFrames,        // its first images are frames of their own: playable here
    kNeedsDecoder,  // objects, delta images, layered frames …: a full MNG decoder's work
    kRefused,       // damaged, or too large to play in bounded memory
  };
  Verdict verdict = Verdict::kRefused;
  // Refused: why, with the figures; needs a decoder: what needs it.
  std::string why;
  std::uint32_t width = 0;  // the canvas
  std::uint32_t height = 0;
  std::uint32_t ticksPerSecond = 0;
  // Of the images looked at.
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
  // The file is opened and its start surveyed; a file that cannot be read is refused.
  MngStream(const std::filesystem::path& file, std::uint64_t maxPixels);
  // The same over bytes in memory.
  MngStream(std::string bytes, std::uint64_t maxPixels);
  MngStream(const MngStream&) = delete;
  MngStream& operator=(const MngStream&) = delete;
  ~MngStream();

  const MngSurvey& Survey() const { return survey_; }

  enum class Step { kFrame, kEnd, kError };
  // The next frame in showing order. kEnd when the movie is over (ClearsAtEnd says what stays on
  // screen); kError, with *why stating the figures, when the movie cannot go on from there: a chunk that
  // needs a full MNG decoder (an object, a delta image, a JNG image, a layered frame), an image beyond
  // the picture limits, a damaged file. Both are final. Only for a movie surveyed as kFrames.
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

  void Walk();
  bool ReadChunkHeader(std::uint64_t at, Chunk& chunk);
  bool ReadData(const Chunk& chunk, std::string& data);
  // Why the chunk header at `at` could not be read.
  std::string Damaged(std::uint64_t at, const Chunk& chunk) const;
  // What showing the image of this IHDR takes (see MngSurvey::showBytes); 0, with *why, when it cannot
  // be shown.
  std::uint64_t ShowBytes(const Chunk& ihdr, const std::string& data, std::string* why) const;
  bool ReadImage(const Chunk& first, MngFrame& frame, std::string* why);
  void Framing(const std::string& data);
  // Whether the image about to be read is a further layer of its subframe's frame.
  bool Layered();
  void Terminate(const std::string& data);
  void LoopStarts(const std::string& data, std::uint64_t bodyAt);
  // Where to go on from an ENDL: the start of a repeated body, or past the chunk.
  std::uint64_t LoopEnds(const std::string& data, std::uint64_t after);
  std::uint64_t TicksToUs(std::uint64_t ticks) const;
  // At the end of a pass through the file: whether the movie goes on (from where at_ now stands).
  bool EndOfPass();

  std::unique_ptr<std::istream> in_;
  std::uint64_t maxPixels_;
  std::uint64_t size_ = 0;
  MngSurvey survey_;
  std::uint64_t repeatAt_ = 0;  // the first chunk after TERM, or after MHDR without one
  std::uint64_t at_ = 0;
  bool ended_ = false;
  // FRAM's delays in ticks: the default, and the one of the subframe the last FRAM began.
  std::uint64_t defaultDelay_ = 1;
  std::uint64_t subframeDelay_ = 1;
  unsigned framingMode_ = 1;
  std::uint64_t imagesInSubframe_ = 0;
  bool terminated_ = false;
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
