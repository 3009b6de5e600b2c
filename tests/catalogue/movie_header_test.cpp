#include "catalogue/movie_header.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace kestrune::catalogue {
namespace {

std::string Be32(std::uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
          static_cast<char>(value)};
}

// A chunk with a dummy CRC: the check reads lengths, types and sizes only.
std::string Chunk(const char* type, const std::string& data) {
  return Be32(static_cast<std::uint32_t>(data.size())) + type + data + "CRC!";
}
std::string Sized(const char* type, std::uint32_t width, std::uint32_t height, std::size_t rest) {
  return Chunk(type, Be32(width) + Be32(height) + std::string(rest, '\0'));
}

const std::string kSignature("\x8aMNG\r\n\x1a\n", 8);
const std::string kFrame = Sized("IHDR", 8, 6, 5) + Chunk("IDAT", "pixels") + Chunk("IEND", "");

struct MovieCase {
  const char* label;
  std::string bytes;
  std::uint32_t width;  // 0: refused
};

void PrintTo(const MovieCase& c, std::ostream* out) { *out << c.label; }

class CheckMngSizesTest : public ::testing::TestWithParam<MovieCase> {};

TEST_P(CheckMngSizesTest, RefusesMoviesThatDeclareTooMuch) {
  std::string why;
  const MovieSize size = CheckMngSizes(GetParam().bytes, 64'000'000, &why);
  EXPECT_EQ(size.width, GetParam().width) << why;
  EXPECT_EQ(why.empty(), GetParam().width != 0);
}

INSTANTIATE_TEST_SUITE_P(
    Movies, CheckMngSizesTest,
    ::testing::Values(
        MovieCase{"TwoFrames", kSignature + Sized("MHDR", 8, 6, 20) + kFrame + kFrame + Chunk("MEND", ""), 8},
        MovieCase{"WithoutMendTheLastChunkEnds", kSignature + Sized("MHDR", 8, 6, 20) + kFrame, 8},
        MovieCase{"AHugeFrame", kSignature + Sized("MHDR", 30000, 30000, 20) + kFrame, 0},
        MovieCase{"AHugeImageInASmallFrame", kSignature + Sized("MHDR", 8, 6, 20) + Sized("IHDR", 70000, 1, 5), 0},
        MovieCase{"AHugeJpegImage", kSignature + Sized("MHDR", 8, 6, 20) + Sized("JHDR", 20000, 20000, 8), 0},
        MovieCase{"CutInsideAChunk", kSignature + Sized("MHDR", 8, 6, 20) + kFrame.substr(0, 20), 0},
        MovieCase{"ALengthPastTheEnd", kSignature + Sized("MHDR", 8, 6, 20) + Be32(0x7FFFFFFF) + "IDAT", 0},
        MovieCase{"AShortHeader", kSignature + Chunk("MHDR", "1234"), 0},
        MovieCase{"NoHeaderFirst", kSignature + kFrame + Sized("MHDR", 8, 6, 20), 0},
        MovieCase{"APngIsNoMovie", std::string("\x89PNG\r\n\x1a\n", 8) + kFrame, 0}, MovieCase{"NoBytes", "", 0}),
    [](const ::testing::TestParamInfo<MovieCase>& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace kestrune::catalogue
