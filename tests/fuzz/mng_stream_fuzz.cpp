// Opens any bytes as an MNG movie and plays what opens as frames, as the movie pane does; movies for a
// full decoder go through the check that guards Qt's.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/artwork_source.h"
#include "catalogue/mng_stream.h"
#include "catalogue/movie_header.h"

namespace {

using kestrune::catalogue::MngFrame;
using kestrune::catalogue::MngStream;
using kestrune::catalogue::MngSurvey;

// Small enough that the limits are met by short inputs too.
constexpr std::uint64_t kMaxPixels = 1'000'000;
// A movie repeated for ever gives frames for ever: the run takes as many as a few passes hold.
constexpr int kMaxFrames = 2000;

void Play(MngStream& stream) {
  MngFrame frame;
  std::string why;
  MngStream::Step step = MngStream::Step::kFrame;
  for (int frames = 0; frames < kMaxFrames && step == MngStream::Step::kFrame; ++frames) {
    step = stream.Next(frame, &why);
    if (step == MngStream::Step::kFrame) {
      if (std::string_view(frame.png).substr(0, 8) != std::string_view("\x89PNG\r\n\x1a\n", 8) ||
          frame.png.size() > kestrune::catalogue::kMaxArtworkBytes + 8) {
        __builtin_trap();
      }
    } else if (step == MngStream::Step::kError && why.empty()) {
      __builtin_trap();
    }
  }
  // The end and a stop are final.
  if (step != MngStream::Step::kFrame && stream.Next(frame, &why) != MngStream::Step::kEnd) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  MngStream stream(bytes, kMaxPixels);
  const MngSurvey& survey = stream.Survey();
  if (survey.verdict != MngSurvey::Verdict::kFrames && survey.why.empty()) __builtin_trap();
  if (survey.verdict == MngSurvey::Verdict::kFrames) {
    if (survey.width == 0 || survey.height == 0 || survey.showBytes > kestrune::catalogue::kMaxMovieBytes) {
      __builtin_trap();
    }
    Play(stream);
  } else if (survey.verdict == MngSurvey::Verdict::kNeedsDecoder) {
    std::string why;
    (void)kestrune::catalogue::CheckMngMovie(bytes, kMaxPixels, &why);
  }
  return 0;
}
