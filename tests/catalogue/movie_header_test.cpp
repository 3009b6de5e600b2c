#include "catalogue/movie_header.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>
#include <limits>
#include <ostream>
#include <string>

#include "support/file_util.h"
#include "support/mng_writer.h"

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

std::string Be16(std::uint32_t value) { return {static_cast<char>(value >> 8), static_cast<char>(value)}; }
// A MOVE or CLIP chunk naming the objects first to last (the rest of its fields zero).
std::string Range(const char* type, std::uint32_t first, std::uint32_t last) {
  return Chunk(type, Be16(first) + Be16(last) + std::string(std::string_view(type) == "MOVE" ? 9 : 17, '\0'));
}
std::string Show(std::string ids) { return Chunk("SHOW", std::move(ids)); }
std::string Loop(char level, std::uint32_t repeats) { return Chunk("LOOP", std::string(1, level) + Be32(repeats)); }
std::string EndLoop(char level) { return Chunk("ENDL", std::string(1, level)); }

const std::string kSignature("\x8aMNG\r\n\x1a\n", 8);
const std::string kFrame = Sized("IHDR", 8, 6, 5) + Chunk("IDAT", "pixels") + Chunk("IEND", "");
const std::string kHeader = kSignature + Sized("MHDR", 8, 6, 20);
std::string Repeated(const std::string& chunk, int times) {
  std::string chunks;
  for (int i = 0; i < times; ++i) chunks += chunk;
  return chunks;
}

struct MovieCase {
  const char* label;
  std::string bytes;
  std::uint32_t width;  // 0: refused
};

void PrintTo(const MovieCase& c, std::ostream* out) { *out << c.label; }

class CheckMngMovieTest : public ::testing::TestWithParam<MovieCase> {};

TEST_P(CheckMngMovieTest, RefusesMoviesThatDeclareTooMuchOrWalkObjectsForEver) {
  std::string why;
  const MovieSize size = CheckMngMovie(GetParam().bytes, 64'000'000, &why);
  EXPECT_EQ(size.width, GetParam().width) << why;
  EXPECT_EQ(why.empty(), GetParam().width != 0);
}

INSTANTIATE_TEST_SUITE_P(
    Movies, CheckMngMovieTest,
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
        MovieCase{"APngIsNoMovie", std::string("\x89PNG\r\n\x1a\n", 8) + kFrame, 0}, MovieCase{"NoBytes", "", 0},
        // The decoder counts MOVE and CLIP ids in 16 bits unsigned and SHOW ids in 16 bits signed.
        MovieCase{"AMoveUpTo65535", kHeader + Range("MOVE", 1, 65535) + kFrame, 0},
        MovieCase{"AClipUpTo65535", kHeader + Range("CLIP", 0, 65535) + kFrame, 0},
        MovieCase{"AMagnUpTo65535", kHeader + Range("MOVE", 1, 65535).replace(4, 4, "MAGN") + kFrame, 0},
        MovieCase{"AMagnOfObject65535Alone", kHeader + Chunk("MAGN", Be16(65535)) + kFrame, 0},
        MovieCase{"AMoveUpTo65534", kHeader + Range("MOVE", 1, 65534) + kFrame, 8},
        MovieCase{"AMoveCountingDownFrom65535", kHeader + Range("MOVE", 65535, 3) + kFrame, 8},
        MovieCase{"AShowUpTo32767", kHeader + Show(Be16(1) + Be16(32767)) + kFrame, 0},
        MovieCase{"AShowOfObject32767Alone", kHeader + Show(Be16(32767)) + kFrame, 0},
        MovieCase{"AShowDownTo32768", kHeader + Show(Be16(40000) + Be16(32768) + "\x06") + kFrame, 0},
        MovieCase{"AnEmptyShowNamesEveryObject", kHeader + Show("") + kFrame, 8},
        MovieCase{"AShortMoveIsLeftToTheDecoder", kHeader + Chunk("MOVE", "\xff") + kFrame, 8},
        MovieCase{"ManyWideMovesOverManyObjects",
                  kHeader + Repeated(kFrame, 200) + Repeated(Range("MOVE", 0, 65000), 40) + Chunk("MEND", ""), 0},
        MovieCase{"AFewWideMoves", kHeader + kFrame + Repeated(Range("MOVE", 0, 65000), 40) + Chunk("MEND", ""), 8},
        // The decoder repeats a LOOP's body at once when it shows no image, else once per frame.
        MovieCase{"AnEmptyLoopRepeatedForEver", kHeader + Loop(0, 0x7FFFFFFF) + EndLoop(0) + kFrame, 0},
        MovieCase{"ALoopOfFramesRepeatedForEver", kHeader + Loop(0, 0x7FFFFFFF) + kFrame + EndLoop(0), 8},
        MovieCase{"AShortEmptyLoop", kHeader + Loop(0, 1000) + EndLoop(0) + kFrame, 8},
        MovieCase{"NestedEmptyLoops", kHeader + Loop(0, 20000) + Loop(1, 20000) + EndLoop(1) + EndLoop(0) + kFrame, 0},
        MovieCase{"AnEndlOfTheOuterLevelClosesBoth", kHeader + Loop(0, 20000) + Loop(1, 20000) + EndLoop(0) + kFrame,
                  0},
        MovieCase{"AWideMoveInALoop", kHeader + Loop(0, 100000) + Range("MOVE", 0, 65000) + EndLoop(0) + kFrame, 0},
        MovieCase{"AnEndlOfNoOpenLoopIsLeft", kHeader + EndLoop(3) + kFrame, 8}),
    [](const ::testing::TestParamInfo<MovieCase>& info) { return std::string(info.param.label); });

// Real 300-byte movies that Qt's MNG decoder never finishes: a MOVE, or a CLIP, of the objects 1 (or 0)
// to 65535 before the first frame.
class HostileMovieFile : public ::testing::TestWithParam<const char*> {};

TEST_P(HostileMovieFile, IsRefusedAndTheSameMovieWithALowerLastIdIsNot) {
  std::string bytes = test::ReadFileBytes(test::TestDataDir() / "catalogue/movies" / GetParam());
  ASSERT_EQ(bytes.size(), 300u);
  std::string why;
  EXPECT_EQ(CheckMngMovie(bytes, 64'000'000, &why).width, 0u);
  EXPECT_NE(why.find("up to 65535"), std::string::npos) << why;
  // The chunk after MHDR is the one; its last id stands at bytes 58 and 59.
  ASSERT_TRUE(bytes.substr(52, 4) == "MOVE" || bytes.substr(52, 4) == "CLIP");
  bytes[59] = '\xfe';
  EXPECT_EQ(CheckMngMovie(bytes, 64'000'000, &why).width, 8u) << why;
}

INSTANTIATE_TEST_SUITE_P(Files, HostileMovieFile, ::testing::Values("move-65535.mng", "clip-65535.mng"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param).substr(0, 4);
                         });

// ---- Memory a movie takes to play ----

using test::MngMovie;
using test::MngSpec;
const std::string kRgbImage =
    Chunk("IHDR", Be32(2000) + Be32(2000) + std::string("\x08\x02\0\0\0", 5)) + Chunk("IEND", "");
std::string Defined(std::uint32_t id, const std::string& image) { return Chunk("DEFI", Be16(id)) + image; }
std::string Clones(int count, char kind) {
  std::string clones;
  for (int i = 0; i < count; ++i) clones += Chunk("CLON", Be16(1) + Be16(static_cast<std::uint32_t>(i + 2)) + kind);
  return clones;
}
// A MAGN of object 1 by `factor` in both directions (method 1, the other factors as MX and MY).
std::string Magnified(std::uint32_t factor) {
  return Chunk("MAGN", Be16(1) + Be16(1) + "\x01" + Be16(factor) + Be16(factor));
}

// Made when the case runs: every test of the suite would otherwise wait for the large movies.
struct MemoryCase {
  const char* label;
  std::function<std::string()> bytes;
  std::uint32_t width;  // 0: refused
};

void PrintTo(const MemoryCase& c, std::ostream* out) { *out << c.label; }
std::function<std::string()> Generated(MngSpec spec) {
  return [spec] { return MngMovie(spec); };
}
std::function<std::string()> Fixed(std::string bytes) {
  return [bytes] { return bytes; };
}

class MovieMemoryTest : public ::testing::TestWithParam<MemoryCase> {};

TEST_P(MovieMemoryTest, RefusesMoviesWhoseImagesAndObjectsTogetherTakeTooMuch) {
  std::string why;
  const MovieSize size = CheckMngMovie(GetParam().bytes(), 64'000'000, &why);
  EXPECT_EQ(size.width, GetParam().width) << why;
  if (size.width == 0) {
    EXPECT_NE(why.find("MB of memory to play"), std::string::npos) << why;
  } else {
    EXPECT_LE(size.decodedBytes, kMaxMovieBytes);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Movies, MovieMemoryTest,
    ::testing::Values(
        MemoryCase{"HundredFramesOf2000x2000", Generated({2000, 2000, 100}), 0},
        MemoryCase{"ThirtyFramesOf5000x5000", Generated({5000, 5000, 30}), 0},
        MemoryCase{"TwelveObjectsOf5000x5000", Generated({5000, 5000, 12, 2, 8, true}), 0},
        MemoryCase{"ThreeHundredFramesOf320x240", Generated({320, 240, 300}), 320},
        MemoryCase{"ThreeHundredFramesOf640x480", Generated({640, 480, 300}), 640},
        MemoryCase{"ASmallObjectMagnifiedToGigabytes", Fixed(kHeader + Defined(1, kFrame) + Magnified(60000)), 0},
        MemoryCase{"ALargeObjectMagnifiedTenTimes", Fixed(kHeader + Defined(1, kRgbImage) + Magnified(10)), 0},
        MemoryCase{"ALargeObjectMagnifiedOnce", Fixed(kHeader + Defined(1, kRgbImage) + Magnified(1)), 8},
        MemoryCase{"FullClonesOfALargeObject", Fixed(kHeader + Defined(1, kRgbImage) + Clones(30, '\0')), 0},
        MemoryCase{"PartialClonesShareTheirBuffer", Fixed(kHeader + Defined(1, kRgbImage) + Clones(30, '\1')), 8},
        MemoryCase{"ARedefinedObjectFreesItsBuffer", Fixed(kHeader + Repeated(Defined(1, kRgbImage), 10)), 8}),
    [](const ::testing::TestParamInfo<MemoryCase>& info) { return std::string(info.param.label); });

// ---- PNG image data ----

std::string Deflated(const std::string& raw, int level = Z_BEST_COMPRESSION) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(size, '\0');
  compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
            static_cast<uLong>(raw.size()), level);
  packed.resize(size);
  return packed;
}

// A grey 8-bit PNG whose IDAT data inflates to `raw`, cut into IDAT chunks of at most `slice` bytes.
std::string Png(std::uint32_t width, std::uint32_t height, const std::string& raw, std::size_t slice = 1 << 20,
                char interlace = 0) {
  std::string png = std::string("\x89PNG\r\n\x1a\n", 8) +
                    Chunk("IHDR", Be32(width) + Be32(height) + std::string("\x08\x00\x00\x00", 4) + interlace);
  const std::string packed = Deflated(raw);
  for (std::size_t at = 0; at < packed.size(); at += slice) png += Chunk("IDAT", packed.substr(at, slice));
  return png + Chunk("IEND", "");
}

struct PngCase {
  const char* label;
  std::string bytes;
  bool accepted;
};

void PrintTo(const PngCase& c, std::ostream* out) { *out << c.label; }

class CheckPngDataTest : public ::testing::TestWithParam<PngCase> {};

TEST_P(CheckPngDataTest, RefusesImageDataBeyondWhatTheSizeNeeds) {
  std::string why;
  EXPECT_EQ(CheckPngData(GetParam().bytes, &why), GetParam().accepted) << why;
  EXPECT_EQ(why.empty(), GetParam().accepted) << why;
}

// 16 MB of surplus zeros deflate to about 16 KB: the bound is the image's own size, so this stands for
// any amount.
const std::string kSurplus(std::size_t{16} << 20, '\0');
const std::string kRows2x2 = std::string("\0ab\0cd", 6);

INSTANTIATE_TEST_SUITE_P(
    Pictures, CheckPngDataTest,
    ::testing::Values(PngCase{"ExactData", Png(2, 2, kRows2x2), true},
                      PngCase{"DataInManySmallChunks", Png(64, 64, std::string(64 * 65, 'x'), 7), true},
                      PngCase{"ALittlePadding", Png(2, 2, kRows2x2 + std::string(100, '\0')), true},
                      PngCase{"SixteenMegabytesOfSurplus", Png(2, 2, kRows2x2 + kSurplus), false},
                      PngCase{"SurplusSpreadOverChunks", Png(2, 2, kRows2x2 + kSurplus, 1000), false},
                      PngCase{"InterlacedExactData", Png(3, 3, std::string(15, 'x'), 64, 1), true},
                      PngCase{"TruncatedDataIsLeftToTheDecoder", Png(2, 2, kRows2x2 + kSurplus).substr(0, 60), true},
                      PngCase{"NotAPng", "GIF89a", true}, PngCase{"NoBytes", "", true}),
    [](const ::testing::TestParamInfo<PngCase>& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace kestrune::catalogue
