// Peak memory of MNG movies played stepped frame by frame: the hostile movies (many large frames, large
// objects, a magnified object), generated ones of arcade resolution (300 frames; 1,800 frames of 320 x 240;
// 7,200 frames in MAME's layout, 1552 x 240 on a 454 x 262 canvas) and a movie recorded by the installed
// MAME (60 s of pong, recorded here when MAME is on the PATH or in /usr/games, or the file given as the
// first argument). Each movie is played in a process of its own, as the movie pane plays it (its own
// frame-by-frame player, or Qt's MNG decoder for movies with objects, refused movies costing nothing),
// and for the short ones also through Qt's decoder whatever the check says ("unchecked").
// Prints `name: value unit` lines.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QBuffer>
#include <QMovie>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "catalogue/mng_stream.h"
#include "catalogue/movie_header.h"
#include "mainwindow/movie_player.h"
#include "support/mng_writer.h"

namespace {

using kestrune::test::MngSpec;

struct Movie {
  std::string name;
  std::filesystem::path file;
  bool unchecked;  // also played through Qt's decoder without the check
};

std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

enum class Way { kUnchecked, kPane };

std::string Be16(std::uint32_t value) { return {static_cast<char>(value >> 8), static_cast<char>(value)}; }

// A 100 x 100 object magnified 200 times in both directions: 380 bytes that decode to 20000 x 20000.
std::string MagnifiedMovie() {
  std::string movie = kestrune::test::MngMovie(MngSpec{100, 100, 1, 2, 8, true});
  movie.resize(movie.size() - 12);  // MEND
  movie += kestrune::test::MngChunk("MAGN", Be16(1) + Be16(1) + "\x01" + Be16(200) + Be16(200));
  movie += kestrune::test::MngChunk("SHOW", Be16(1) + Be16(1));
  return movie + kestrune::test::MngChunk("MEND", "");
}

double PeakMegabytes() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void PlayThroughDecoder(const std::string& bytes) {
  QByteArray data = QByteArray::fromStdString(bytes);
  QBuffer device(&data);
  QMovie movie(&device, "mng");
  if (movie.jumpToFrame(0)) {
    while (movie.jumpToNextFrame()) {
    }
  }
}

// As the movie pane plays it: frame by frame from the file, or the checked bytes through Qt's decoder.
// The frames shown.
long long PlayAsThePaneDoes(const std::filesystem::path& file) {
  MoviePlayer player(file, 64'000'000);
  const kestrune::catalogue::MngSurvey::Verdict verdict = player.Survey().verdict;
  if (verdict == kestrune::catalogue::MngSurvey::Verdict::kFrames) {
    long long frames = 0;
    while (player.Step()) ++frames;
    return frames;
  }
  if (verdict == kestrune::catalogue::MngSurvey::Verdict::kNeedsDecoder) {
    const std::string bytes = ReadAll(file);
    if (kestrune::catalogue::CheckMngMovie(bytes, 64'000'000, nullptr).width != 0) PlayThroughDecoder(bytes);
  }
  return 0;
}

struct Played {
  double growth = -1;
  long long frames = 0;
};

// The growth of a child's peak memory while it plays the movie, in MB.
Played PlayInChild(const std::filesystem::path& file, Way way) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeEnds[0]);
    int argc = 1;
    char name[] = "movie_memory_bench";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    Played played;
    const double before = PeakMegabytes();
    if (way == Way::kUnchecked) {
      PlayThroughDecoder(ReadAll(file));
    } else {
      played.frames = PlayAsThePaneDoes(file);
    }
    played.growth = PeakMegabytes() - before;
    if (::write(pipeEnds[1], &played, sizeof played) != sizeof played) ::_exit(1);
    ::_exit(0);
  }
  ::close(pipeEnds[1]);
  Played played;
  if (::read(pipeEnds[0], &played, sizeof played) != sizeof played) played = {};
  ::close(pipeEnds[0]);
  ::waitpid(child, nullptr, 0);
  return played;
}

// 60 s of pong recorded by the installed MAME into `file`; false when there is no MAME. Started without
// Qt: each movie's child process makes its own application object.
bool RecordPong(const std::filesystem::path& file) {
  std::string mame;
  for (const char* candidate : {"/usr/games/mame", "/usr/bin/mame", "/usr/local/bin/mame"}) {
    if (::access(candidate, X_OK) == 0) {
      mame = candidate;
      break;
    }
  }
  if (mame.empty()) return false;
  const pid_t child = ::fork();
  if (child == 0) {
    if (::chdir(file.parent_path().c_str()) != 0) ::_exit(127);
    const std::string path = file.string();
    const char* args[] = {mame.c_str(), "pong", "-mngwrite", path.c_str(), "-video", "none", "-sound", "none",
                          "-seconds_to_run", "60", nullptr};
    ::freopen("/dev/null", "w", stdout);
    ::freopen("/dev/null", "w", stderr);
    ::execv(mame.c_str(), const_cast<char* const*>(args));
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 && std::filesystem::exists(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  using kestrune::test::MngMovie;
  QTemporaryDir dir;
  const std::filesystem::path folder = dir.path().toStdString();
  std::vector<Movie> movies;
  const auto add = [&](const char* name, const std::string& bytes, bool unchecked) {
    const std::filesystem::path file = folder / (std::string(name) + ".mng");
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    movies.push_back({name, file, unchecked});
  };
  add("frames-100x2000x2000", MngMovie(MngSpec{2000, 2000, 100}), true);
  add("frames-30x5000x5000", MngMovie(MngSpec{5000, 5000, 30}), true);
  add("objects-12x5000x5000", MngMovie(MngSpec{5000, 5000, 12, 2, 8, true}), true);
  add("magnified-100x100-by-200", MagnifiedMovie(), true);
  add("frames-300x320x240", MngMovie(MngSpec{320, 240, 300}), true);
  add("frames-300x640x480", MngMovie(MngSpec{640, 480, 300}), true);
  add("frames-18x2000x2000", MngMovie(MngSpec{2000, 2000, 18}), true);
  add("frames-1800x320x240", MngMovie(MngSpec{320, 240, 1800, 2, 8, false, false, 0, 0, true}), false);
  add("mame-7200x1552x240-on-454x262",
      MngMovie(MngSpec{1552, 240, 7200, 2, 8, false, true, 454, 262, true}), false);
  const std::filesystem::path pong = argc > 1 ? std::filesystem::path(argv[1]) : folder / "pong60.mng";
  if (argc > 1 || RecordPong(pong)) {
    movies.push_back({"mame-pong-60s", pong, false});
  } else {
    std::fprintf(stderr, "movie_memory_bench: no MAME to record pong with; give a movie's path to measure one\n");
  }
  std::printf("movie-bound: %llu MB\n", static_cast<unsigned long long>(kestrune::catalogue::kMaxMovieBytes >> 20));
  for (const Movie& movie : movies) {
    const auto surveyStart = std::chrono::steady_clock::now();
    const kestrune::catalogue::MngStream stream(movie.file, 64'000'000);
    const std::chrono::duration<double, std::milli> survey = std::chrono::steady_clock::now() - surveyStart;
    const char* name = movie.name.c_str();
    std::printf("movie-%s-survey: %.2f ms\n", name, survey.count());
    std::printf("movie-%s-file: %.1f KB\n", name,
                static_cast<double>(std::filesystem::file_size(movie.file)) / 1024.0);
    const auto verdict = stream.Survey().verdict;
    const bool frameByFrame = verdict == kestrune::catalogue::MngSurvey::Verdict::kFrames;
    bool played = frameByFrame;
    if (verdict == kestrune::catalogue::MngSurvey::Verdict::kNeedsDecoder) {
      const kestrune::catalogue::MovieSize size = kestrune::catalogue::CheckMngMovie(ReadAll(movie.file), 64'000'000, nullptr);
      played = size.width != 0;
      if (played) {
        std::printf("movie-%s-counted: %.1f MB\n", name, static_cast<double>(size.decodedBytes) / (1 << 20));
      }
    } else if (frameByFrame) {
      std::printf("movie-%s-counted: %.1f MB\n", name, static_cast<double>(stream.Survey().showBytes) / (1 << 20));
    }
    std::printf("movie-%s-played: %d count\n", name, played ? 1 : 0);
    std::printf("movie-%s-frame-by-frame: %d count\n", name, frameByFrame ? 1 : 0);
    if (movie.unchecked) {
      std::printf("movie-%s-peak-unchecked: %.1f MB\n", name, PlayInChild(movie.file, Way::kUnchecked).growth);
    }
    const Played pane = PlayInChild(movie.file, Way::kPane);
    if (frameByFrame) std::printf("movie-%s-frames: %lld count\n", name, pane.frames);
    std::printf("movie-%s-peak: %.1f MB\n", name, pane.growth);
    std::fflush(stdout);
  }
  return 0;
}
