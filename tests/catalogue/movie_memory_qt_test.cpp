// Movies that the check lets play, played through Qt's MNG decoder one frame after another, with the
// peak memory they took: what the check counted must be what the decoder really holds.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QMovie>
#include <ostream>

#include "catalogue/movie_header.h"
#include "platform/peak_memory.h"
#include "support/mng_writer.h"

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

}  // namespace
}  // namespace kestrune::catalogue
