// What selecting a movie costs before it plays: opening it (its start surveyed) and reading its first frame,
// for movies in MAME's layout (1552 x 240 frames on a 454 x 262 canvas) of 300 and 7,200 frames (5 s and
// 2 min). The files are generated and read from the page cache, each opened many times; the figures are
// the mean of one. Flat when the cost does not grow with the movie's length.
// Prints `name: value unit` lines.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "catalogue/mng_stream.h"
#include "support/mng_writer.h"

namespace {

using kestrune::catalogue::MngFrame;
using kestrune::catalogue::MngStream;
using kestrune::catalogue::MngSurvey;
using Clock = std::chrono::steady_clock;

constexpr int kOpens = 200;

struct Opened {
  double openMs = 0;
  double firstFrameMs = 0;
  bool played = false;
};

Opened Measure(const std::filesystem::path& file) {
  Opened opened{0, 0, true};
  for (int i = 0; i < kOpens; ++i) {
    const Clock::time_point start = Clock::now();
    MngStream stream(file, 64'000'000);
    const Clock::time_point open = Clock::now();
    MngFrame frame;
    opened.played = opened.played && stream.Survey().verdict == MngSurvey::Verdict::kFrames &&
                    stream.Next(frame, nullptr) == MngStream::Step::kFrame;
    const Clock::time_point first = Clock::now();
    opened.openMs += std::chrono::duration<double, std::milli>(open - start).count();
    opened.firstFrameMs += std::chrono::duration<double, std::milli>(first - start).count();
  }
  opened.openMs /= kOpens;
  opened.firstFrameMs /= kOpens;
  return opened;
}

}  // namespace

int main() {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("kestrune-movie-open-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  double shortOpen = 0;
  for (const int frames : {300, 7200}) {
    const std::filesystem::path file = folder / (std::to_string(frames) + ".mng");
    {
      const std::string bytes = kestrune::test::MngMovie({1552, 240, frames, 2, 8, false, true, 454, 262, true});
      std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    const Opened opened = Measure(file);
    const std::string name = "movie-open-mame-" + std::to_string(frames) + "-frames";
    std::printf("%s-file: %.1f MB\n", name.c_str(), static_cast<double>(std::filesystem::file_size(file)) / (1 << 20));
    std::printf("%s: %.3f ms\n", name.c_str(), opened.openMs);
    std::printf("%s-with-first-frame: %.3f ms\n", name.c_str(), opened.firstFrameMs);
    std::printf("%s-played: %d count\n", name.c_str(), opened.played ? 1 : 0);
    if (frames == 300) {
      shortOpen = opened.openMs;
    } else {
      std::printf("movie-open-7200-over-300-frames: %.2f ratio\n", opened.openMs / shortOpen);
    }
    std::fflush(stdout);
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return 0;
}
