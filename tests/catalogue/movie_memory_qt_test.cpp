// Movies played one frame after another with the peak memory they took: through the movie pane's own
// player, long movies as MAME records them in the memory of a frame; through Qt's MNG decoder, the movies
// that the check lets play, within what the check counted.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QBuffer>
#include <QMovie>
#include <QProcess>
#include <QStandardPaths>
#include <QThreadPool>
#include <ostream>

#include "catalogue/mng_stream.h"
#include "catalogue/movie_header.h"
#include "mainwindow/movie_player.h"
#include "platform/peak_memory.h"
#include "support/file_util.h"
#include "support/mng_writer.h"
#include "support/temp_dir.h"

namespace kestrune::catalogue {
namespace {

using test::MngSpec;

struct PlayCase {
  const char* label;
  MngSpec spec;  // frames 0: as many as the check lets play
};

void PrintTo(const PlayCase& c, std::ostream* out) { *out << c.label; }

// The spec with the most frames the check accepts: the cost of each frame is the same.
MngSpec JustUnderTheBound(MngSpec spec) {
  spec.frames = 1;
  const std::uint64_t one = CheckMngMovie(test::MngMovie(spec), 64'000'000, nullptr).decodedBytes;
  spec.frames = 2;
  const std::uint64_t each = CheckMngMovie(test::MngMovie(spec), 64'000'000, nullptr).decodedBytes - one;
  spec.frames = 1 + static_cast<int>((kMaxMovieBytes - one) / each);
  return spec;
}

class PlayedMovie : public ::testing::TestWithParam<PlayCase> {};

TEST_P(PlayedMovie, PlaysEveryFrameWithinWhatTheCheckCounted) {
  if (!QMovie::supportedFormats().contains("mng")) GTEST_SKIP() << "Qt has no MNG reader here";
  MngSpec spec = GetParam().spec;
  if (spec.frames == 0) {
    spec = JustUnderTheBound(spec);
    ++spec.frames;
    EXPECT_EQ(CheckMngMovie(test::MngMovie(spec), 64'000'000, nullptr).width, 0u) << spec.frames << " frames";
    --spec.frames;
  }
  QByteArray bytes = QByteArray::fromStdString(test::MngMovie(spec));
  std::string why;
  const MovieSize size = CheckMngMovie(bytes.toStdString(), 64'000'000, &why);
  ASSERT_EQ(size.width, spec.width) << why;
  int frames = 0;
  std::vector<QRgb> corners;
  const std::uint64_t growth = test::PeakGrowth([&] {
    QBuffer device(&bytes);
    QMovie movie(&device, "mng");
    // Stepped, not timed: each jump decodes the next frame as the movie's timer would.
    if (!movie.jumpToFrame(0)) return;
    do {
      ++frames;
      if (corners.size() < 2) corners.push_back(movie.currentImage().pixel(0, 0));
    } while (movie.jumpToNextFrame());
  });
  RecordProperty("peak_megabytes", static_cast<int>(growth / test::kMegabyte));
  EXPECT_EQ(frames, spec.frames);
  ASSERT_EQ(corners.size(), 2u);
  EXPECT_NE(corners[0], corners[1]);
  // The MNG plugin, the decoder's tables and copies of the frame that malloc keeps come on top.
  EXPECT_LT(growth, size.decodedBytes + 32 * test::kMegabyte);
  EXPECT_LT(growth, 300 * test::kMegabyte);
}

INSTANTIATE_TEST_SUITE_P(Movies, PlayedMovie,
                         ::testing::Values(PlayCase{"ThreeHundredFramesOf320x240", {320, 240, 300}},
                                           PlayCase{"ThreeHundredFramesOf640x480", {640, 480, 300}},
                                           PlayCase{"FramesOf2000x2000JustUnderTheBound", {2000, 2000, 0}},
                                           PlayCase{"GreyFramesOf4000x4000JustUnderTheBound", {4000, 4000, 0, 0}},
                                           PlayCase{"ObjectsOf1000x1000In16BitRgbaJustUnderTheBound",
                                                    {1000, 1000, 0, 6, 16, true}}),
                         [](const ::testing::TestParamInfo<PlayCase>& info) { return std::string(info.param.label); });

// ---- The movie pane's own player ----

struct ChildPlay {
  std::int64_t frames = -1;
  std::int64_t firstOutOfOrder = -1;
  std::uint64_t growth = 0;
};

// Steps the player through the whole movie in a child process, whose peak memory starts at what it holds
// then: in this process the peak of making the movie would hide what playing it takes.
ChildPlay PlayInChild(const std::filesystem::path& file) {
  // A forked child has none of this process's threads: the pool that scales images must have none to hand
  // work to, or the child waits for them for ever.
  QThreadPool::globalInstance()->waitForDone();
  int ends[2];
  if (::pipe(ends) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(ends[0]);
    ChildPlay played{0, -1, 0};
    const std::uint64_t before = test::PeakResidentBytes();
    {
      MoviePlayer player(file, 64'000'000);
      while (player.Step()) {
        const int number = test::FrameNumberOfRgb(player.CurrentImage().pixel(0, 0) & 0xFFFFFF);
        if (number != played.frames && played.firstOutOfOrder < 0) played.firstOutOfOrder = played.frames;
        ++played.frames;
      }
    }
    played.growth = test::PeakResidentBytes() - before;
    const bool sent = ::write(ends[1], &played, sizeof played) == static_cast<ssize_t>(sizeof played);
    ::_exit(sent ? 0 : 1);
  }
  ::close(ends[1]);
  ChildPlay played;
  if (::read(ends[0], &played, sizeof played) != static_cast<ssize_t>(sizeof played)) played = {};
  ::close(ends[0]);
  ::waitpid(child, nullptr, 0);
  return played;
}

class LongMovie : public ::testing::TestWithParam<PlayCase> {};

TEST_P(LongMovie, ShowsEveryFrameInOrderInTheMemoryOfAFew) {
  const MngSpec spec = GetParam().spec;
  test::TempDir dir;
  const std::filesystem::path file = dir.path() / "movie.mng";
  test::WriteFileBytes(file, test::MngMovie(spec));
  ASSERT_EQ(MngStream(file, 64'000'000).Survey().verdict, MngSurvey::Verdict::kFrames);
  const ChildPlay played = PlayInChild(file);
  RecordProperty("peak_megabytes", static_cast<int>(played.growth / test::kMegabyte));
  EXPECT_EQ(played.frames, spec.frames);
  EXPECT_EQ(played.firstOutOfOrder, -1);
  EXPECT_LT(played.growth, 64 * test::kMegabyte);
}

INSTANTIATE_TEST_SUITE_P(
    Movies, LongMovie,
    ::testing::Values(PlayCase{"ThirtySecondsOf320x240", {320, 240, 1800, 2, 8, false, false, 0, 0, true}},
                      PlayCase{"TwoMinutesOfPongAsMameRecordsIt", {1552, 240, 7200, 2, 8, false, true, 454, 262, true}}),
    [](const ::testing::TestParamInfo<PlayCase>& info) { return std::string(info.param.label); });

// MAME records a screen's raw pixels, here 1552 x 240 for a 454 x 262 screen: each frame is shown whole,
// so pong's right-hand paddle (beyond the first 454 columns of the raw frame) is in view.
TEST(MameMovie, ARecordingOfPongShowsTheWholeField) {
  QString mame = QStandardPaths::findExecutable(QStringLiteral("mame"));
  if (mame.isEmpty()) mame = QStandardPaths::findExecutable(QStringLiteral("mame"), {QStringLiteral("/usr/games")});
  if (mame.isEmpty()) GTEST_SKIP() << "MAME is not installed";
  test::TempDir dir;
  const std::filesystem::path file = dir.path() / "pong.mng";
  QProcess process;
  process.setWorkingDirectory(QString::fromStdString(dir.path().string()));
  process.start(mame, {"pong", "-mngwrite", QString::fromStdString(file.string()), "-video", "none", "-sound", "none",
                       "-seconds_to_run", "3"});
  ASSERT_TRUE(process.waitForFinished(300'000));
  MoviePlayer player(file, 64'000'000);
  ASSERT_EQ(player.Survey().verdict, MngSurvey::Verdict::kFrames) << player.Survey().why;
  ASSERT_EQ(player.CanvasSize(), QSize(454, 262));
  int frames = 0;
  int rightPaddleSeen = 0;
  while (player.Step()) {
    ++frames;
    const QImage& shown = player.CurrentImage();
    ASSERT_EQ(shown.size(), QSize(454, 262));
    bool bright = false;
    for (int y = 0; y < shown.height() && !bright; ++y)
      for (int x = shown.width() * 3 / 4; x < shown.width() && !bright; ++x) bright = qGray(shown.pixel(x, y)) > 128;
    rightPaddleSeen += bright ? 1 : 0;
  }
  EXPECT_GE(frames, 3 * 60);
  EXPECT_GT(rightPaddleSeen, frames / 2);
}

}  // namespace
}  // namespace kestrune::catalogue
