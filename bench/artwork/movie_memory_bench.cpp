// Peak memory of MNG movies played through QMovie, stepped frame by frame: the hostile movies (many
// large frames, large objects, a magnified object) and real ones (300 frames of arcade resolution).
// Each movie is played in a process of its own, once whatever the check says ("unchecked", as before
// the check counted the total) and once as the movie pane plays it (refused movies cost nothing).
// Prints `name: value unit` lines.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QMovie>
#include <cstdio>
#include <string>
#include <vector>

#include "catalogue/movie_header.h"
#include "support/mng_writer.h"

namespace {

using kestrune::test::MngSpec;

struct Movie {
  const char* name;
  std::string bytes;
};

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

// The growth of a child's peak memory while it plays the movie, in MB; 0 when `checked` and the check
// refuses the movie.
double PlayInChild(const std::string& bytes, bool checked) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return -1;
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeEnds[0]);
    int argc = 1;
    char name[] = "movie_memory_bench";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    const double before = PeakMegabytes();
    if (!checked || kestrune::catalogue::CheckMngMovie(bytes, 64'000'000, nullptr).width != 0) {
      QByteArray data = QByteArray::fromStdString(bytes);
      QBuffer device(&data);
      QMovie movie(&device, "mng");
      if (movie.jumpToFrame(0)) {
        while (movie.jumpToNextFrame()) {
        }
      }
    }
    const double growth = PeakMegabytes() - before;
    if (::write(pipeEnds[1], &growth, sizeof growth) != sizeof growth) ::_exit(1);
    ::_exit(0);
  }
  ::close(pipeEnds[1]);
  double growth = -1;
  if (::read(pipeEnds[0], &growth, sizeof growth) != sizeof growth) growth = -1;
  ::close(pipeEnds[0]);
  ::waitpid(child, nullptr, 0);
  return growth;
}

}  // namespace

int main() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  using kestrune::test::MngMovie;
  const std::vector<Movie> movies{
      {"frames-100x2000x2000", MngMovie(MngSpec{2000, 2000, 100})},
      {"frames-30x5000x5000", MngMovie(MngSpec{5000, 5000, 30})},
      {"objects-12x5000x5000", MngMovie(MngSpec{5000, 5000, 12, 2, 8, true})},
      {"magnified-100x100-by-200", MagnifiedMovie()},
      {"frames-300x320x240", MngMovie(MngSpec{320, 240, 300})},
      {"frames-300x640x480", MngMovie(MngSpec{640, 480, 300})},
      {"frames-18x2000x2000", MngMovie(MngSpec{2000, 2000, 18})},
  };
  std::printf("movie-bound: %llu MB\n", static_cast<unsigned long long>(kestrune::catalogue::kMaxMovieBytes >> 20));
  for (const Movie& movie : movies) {
    const kestrune::catalogue::MovieSize size = kestrune::catalogue::CheckMngMovie(movie.bytes, 64'000'000, nullptr);
    std::printf("movie-%s-file: %.1f KB\n", movie.name, static_cast<double>(movie.bytes.size()) / 1024.0);
    std::printf("movie-%s-played: %d count\n", movie.name, size.width != 0 ? 1 : 0);
    if (size.width != 0) {
      std::printf("movie-%s-counted: %.1f MB\n", movie.name, static_cast<double>(size.decodedBytes) / (1 << 20));
    }
    std::printf("movie-%s-peak-unchecked: %.1f MB\n", movie.name, PlayInChild(movie.bytes, false));
    std::printf("movie-%s-peak: %.1f MB\n", movie.name, PlayInChild(movie.bytes, true));
    std::fflush(stdout);
  }
  return 0;
}
