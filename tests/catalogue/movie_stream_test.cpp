#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "catalogue/mng_stream.h"
#include "support/mng_writer.h"

namespace kestrune::catalogue {
namespace {

using test::Be16;
using test::Be32;
using test::MngChunk;
using Verdict = MngSurvey::Verdict;

const std::string kSignature("\x8aMNG\r\n\x1a\n", 8);
std::string Header(std::uint32_t width = 8, std::uint32_t height = 6, std::uint32_t ticks = 20) {
  return kSignature + MngChunk("MHDR", Be32(width) + Be32(height) + Be32(ticks) + std::string(16, '\0'));
}
// An image the reader passes on undecoded: its width tells the frames apart.
std::string Image(std::uint32_t width, std::uint32_t height = 6, char depth = 8) {
  return MngChunk("IHDR", Be32(width) + Be32(height) + depth + std::string("\x02\0\0\0", 4)) +
         MngChunk("IDAT", "pixels") + MngChunk("IEND", "");
}
const std::string kEnd = MngChunk("MEND", "");
// FRAM in mode `mode` whose delay changes (1: for its subframe, 2: for good) to `ticks`.
std::string Fram(char mode, char change = 0, std::uint32_t ticks = 0) {
  if (change == 0) return MngChunk("FRAM", std::string(1, mode));
  return MngChunk("FRAM", std::string(1, mode) + std::string(1, '\0') + change + std::string(3, '\0') + Be32(ticks));
}
std::string Loop(char level, std::uint32_t repeats) { return MngChunk("LOOP", std::string(1, level) + Be32(repeats)); }
std::string EndLoop(char level) { return MngChunk("ENDL", std::string(1, level)); }
std::string Term(char action, char after = 0, std::uint32_t delay = 0, std::uint32_t passes = 0) {
  return MngChunk("TERM", std::string(1, action) + after + Be32(delay) + Be32(passes));
}
std::string Repeated(const std::string& chunk, int times) {
  std::string chunks;
  for (int i = 0; i < times; ++i) chunks += chunk;
  return chunks;
}

struct SurveyCase {
  const char* label;
  std::string bytes;
  Verdict verdict;
  const char* why;  // a part of the reason
};

void PrintTo(const SurveyCase& c, std::ostream* out) { *out << c.label; }

class MngSurveyTest : public ::testing::TestWithParam<SurveyCase> {};

TEST_P(MngSurveyTest, PlaysWholeImageFramesAndLeavesOrRefusesTheRest) {
  MngStream stream(GetParam().bytes, 64'000'000);
  EXPECT_EQ(stream.Survey().verdict, GetParam().verdict) << stream.Survey().why;
  EXPECT_NE(stream.Survey().why.find(GetParam().why), std::string::npos) << stream.Survey().why;
}

INSTANTIATE_TEST_SUITE_P(
    Movies, MngSurveyTest,
    ::testing::Values(
        SurveyCase{"WithoutMend", Header() + Image(8), Verdict::kFrames, ""},
        SurveyCase{"AHugeCanvas", Header(30000, 30000) + Image(8) + kEnd, Verdict::kRefused, "30000 x 30000"},
        SurveyCase{"AHugeImage", Header() + Image(70000, 1) + kEnd, Verdict::kRefused, "70000 x 1"},
        SurveyCase{"FramesTooLargeToShow", Header(6000, 6000) + Image(6000, 6000, 16) + kEnd, Verdict::kRefused,
                   "image at byte 48, a frame of 6000 x 6000 on a canvas of 6000 x 6000, would take 824 MB of memory "
                   "to show, more than 272 MB"},
        SurveyCase{"CutInsideAChunk", (Header() + Image(8)).substr(0, 70), Verdict::kRefused, "ends inside"},
        SurveyCase{"ALengthPastTheEnd", Header() + Be32(0x7FFFFFFF) + "IDAT", Verdict::kRefused, "IDAT"},
        SurveyCase{"AShortHeader", kSignature + MngChunk("MHDR", "1234"), Verdict::kRefused, "too short"},
        SurveyCase{"NoHeaderFirst", kSignature + Image(8), Verdict::kRefused, "MHDR"},
        SurveyCase{"APng", std::string("\x89PNG\r\n\x1a\n", 8) + Image(8), Verdict::kRefused, "not an MNG"},
        SurveyCase{"NoBytes", "", Verdict::kRefused, "not an MNG"},
        SurveyCase{"NoImage", Header() + kEnd, Verdict::kRefused, "no image"},
        SurveyCase{"AnImageWithoutEnd", Header() + Image(8).substr(0, 43) + Image(8), Verdict::kRefused, "no IEND"},
        SurveyCase{"ManyChunksBeforeTheFirstImage", Header() + Repeated(MngChunk("tEXt", ""), 2000) + Image(8),
                   Verdict::kRefused, "no image in its first 1024 chunks"},
        SurveyCase{"AnObject", Header() + MngChunk("DEFI", Be16(1)) + Image(8), Verdict::kNeedsDecoder, "DEFI"},
        SurveyCase{"AMoveUpTo65535", Header() + MngChunk("MOVE", Be16(1) + Be16(65535) + std::string(9, '\0')) +
                                         Image(8),
                   Verdict::kNeedsDecoder, "MOVE"},
        SurveyCase{"ADeltaImage", Header() + Image(8) + MngChunk("DHDR", Be16(0) + "\x01\x00") + kEnd,
                   Verdict::kNeedsDecoder, "DHDR"},
        SurveyCase{"AJngImage", Header() + MngChunk("JHDR", Be32(8) + Be32(6) + std::string(8, '\0')),
                   Verdict::kNeedsDecoder, "JHDR"},
        SurveyCase{"LayeredFrames", Header() + Fram(2) + Image(8) + Image(8) + kEnd, Verdict::kNeedsDecoder,
                   "several images"},
        SurveyCase{"OneImageASubframe", Header() + Fram(2) + Image(8) + Fram(0) + Image(8) + kEnd,
                   Verdict::kFrames, ""}),
    [](const ::testing::TestParamInfo<SurveyCase>& info) { return std::string(info.param.label); });

// ---- Frames in showing order ----

struct Shown {
  std::uint32_t width;
  std::uint64_t delayUs;
  std::uint64_t pauseBeforeUs = 0;
  bool operator==(const Shown&) const = default;
};

void PrintTo(const Shown& s, std::ostream* out) { *out << s.width << "/" << s.delayUs << "+" << s.pauseBeforeUs; }

struct OrderCase {
  const char* label;
  std::string bytes;
  std::vector<Shown> frames;
  bool clears = false;
};

void PrintTo(const OrderCase& c, std::ostream* out) { *out << c.label; }

class MngFrameOrderTest : public ::testing::TestWithParam<OrderCase> {};

TEST_P(MngFrameOrderTest, GivesEachFrameWithItsTimeThenEnds) {
  MngStream stream(GetParam().bytes, 64'000'000);
  ASSERT_EQ(stream.Survey().verdict, Verdict::kFrames) << stream.Survey().why;
  std::vector<Shown> frames;
  MngFrame frame;
  std::string why;
  MngStream::Step step;
  while ((step = stream.Next(frame, &why)) == MngStream::Step::kFrame && frames.size() < 100) {
    frames.push_back({frame.width, frame.delayUs, frame.pauseBeforeUs});
    EXPECT_EQ(frame.png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  }
  EXPECT_EQ(step, MngStream::Step::kEnd) << why;
  EXPECT_EQ(frames, GetParam().frames);
  EXPECT_EQ(stream.ClearsAtEnd(), GetParam().clears);
  EXPECT_EQ(stream.Next(frame, &why), MngStream::Step::kEnd);
}

constexpr std::uint64_t kTick = 50'000;  // 20 ticks a second
constexpr std::uint64_t kForever = kMngForever;

INSTANTIATE_TEST_SUITE_P(
    Movies, MngFrameOrderTest,
    ::testing::Values(
        OrderCase{"OneTickEachWithoutFram", Header() + Image(1) + Image(2) + kEnd, {{1, kTick}, {2, kTick}}},
        OrderCase{"MameLayoutAtSixtyTicks",
                  test::MngMovie({1552, 240, 2, 2, 8, false, true, 454, 262}),
                  {{1552, 16'666}, {1552, 16'666}}},
        OrderCase{"NoTicksShowsTheFirstFrameForEver", Header(8, 6, 0) + Image(1) + kEnd, {{1, kForever}}},
        OrderCase{"FramDelaysForASubframeAndForGood",
                  Header() + Fram(1, 1, 5) + Image(1) + Image(2) + Fram(0) + Image(3) + Fram(1, 2, 3) + Image(4) +
                      Fram(0) + Image(5) + kEnd,
                  {{1, 5 * kTick}, {2, 5 * kTick}, {3, kTick}, {4, 3 * kTick}, {5, 3 * kTick}}},
        OrderCase{"ALoopRepeatsItsFrames", Header() + Image(1) + Loop(0, 3) + Image(2) + EndLoop(0) + Image(3) + kEnd,
                  {{1, kTick}, {2, kTick}, {2, kTick}, {2, kTick}, {3, kTick}}},
        OrderCase{"NestedLoops",
                  Header() + Loop(0, 2) + Image(1) + Loop(1, 2) + Image(2) + EndLoop(1) + EndLoop(0) + kEnd,
                  {{1, kTick}, {2, kTick}, {2, kTick}, {1, kTick}, {2, kTick}, {2, kTick}}},
        OrderCase{"AnEmptyLoopIsNotRepeated", Header() + Loop(0, 0x7FFFFFFF) + EndLoop(0) + Image(1) + kEnd,
                  {{1, kTick}}},
        OrderCase{"AnEndlOfNoOpenLoopIsPassed", Header() + EndLoop(3) + Image(1) + kEnd, {{1, kTick}}},
        OrderCase{"TermRepeatsWithAPause", Header() + Term(3, 0, 4, 2) + Image(1) + Image(2) + kEnd,
                  {{1, kTick}, {2, kTick}, {1, kTick, 4 * kTick}, {2, kTick}}},
        OrderCase{"TermEndsOnTheFirstFrame", Header() + Term(2) + Image(1) + Image(2) + kEnd,
                  {{1, kTick}, {2, kTick}, {1, kForever}}},
        OrderCase{"TermEndsWithNothingShown", Header() + Term(1) + Image(1) + kEnd, {{1, kTick}}, true}),
    [](const ::testing::TestParamInfo<OrderCase>& info) { return std::string(info.param.label); });

// ---- Chunks met while playing ----

struct StopCase {
  const char* label;
  std::string bytes;
  std::size_t framesShown;
  const char* why;  // a part of the reason
};

void PrintTo(const StopCase& c, std::ostream* out) { *out << c.label; }

class MngStopTest : public ::testing::TestWithParam<StopCase> {};

// Only the start of a movie is looked at when it is opened: what it cannot play further on ends it there.
TEST_P(MngStopTest, EndsTheMovieAtAChunkItCannotPlay) {
  MngStream stream(GetParam().bytes, 64'000'000);
  ASSERT_EQ(stream.Survey().verdict, Verdict::kFrames) << stream.Survey().why;
  MngFrame frame;
  std::string why;
  std::size_t frames = 0;
  MngStream::Step step;
  while ((step = stream.Next(frame, &why)) == MngStream::Step::kFrame) ++frames;
  EXPECT_EQ(frames, GetParam().framesShown);
  EXPECT_EQ(step, MngStream::Step::kError);
  EXPECT_NE(why.find(GetParam().why), std::string::npos) << why;
  EXPECT_EQ(stream.Next(frame, &why), MngStream::Step::kEnd);
}

const std::string kTwoFrames = Header() + Image(1) + Image(2);

INSTANTIATE_TEST_SUITE_P(
    Movies, MngStopTest,
    ::testing::Values(
        StopCase{"AnObject", kTwoFrames + Image(3) + MngChunk("DEFI", Be16(1)) + Image(4) + kEnd, 3,
                 "DEFI chunk at byte 213 needs a full MNG decoder"},
        StopCase{"ADeltaImage", kTwoFrames + MngChunk("DHDR", Be16(0) + "\x01\x00") + kEnd, 2, "DHDR"},
        StopCase{"AJngImage", kTwoFrames + MngChunk("JHDR", Be32(8) + Be32(6) + std::string(8, '\0')), 2, "JHDR"},
        StopCase{"AnImageBeyondThePictureLimits", kTwoFrames + Image(70000, 1) + kEnd, 2,
                 "image at byte 158 of 70000 x 1 pixels is more than the 64000000 pixels"},
        StopCase{"AFrameTooLargeToShow", Header(5000, 5000) + Image(1) + Image(2) + Image(5000, 5000, 16) + kEnd, 2,
                 "5000 x 5000 on a canvas of 5000 x 5000, would take 572 MB of memory to show"},
        StopCase{"ALayeredFrame", kTwoFrames + Fram(2) + Image(3) + Image(4) + kEnd, 3, "further layer"},
        StopCase{"ManyChunksBetweenImages", kTwoFrames + Repeated(MngChunk("tEXt", ""), 70000) + Image(3), 2,
                 "65536 chunks between two images"},
        StopCase{"CutInsideAnImage", (kTwoFrames + Image(3)).substr(0, 175), 2, "ends inside"},
        StopCase{"ALengthPastTheEnd", kTwoFrames + Image(3) + Be32(0x7FFFFFFF) + "IDAT", 3,
                 "IDAT chunk at byte 213: 2147483647 bytes declared, 0 left"}),
    [](const ::testing::TestParamInfo<StopCase>& info) { return std::string(info.param.label); });

// A movie that repeats for ever goes on giving frames; its frames come from the file each time.
TEST(MngStreamTest, AMovieRepeatedForEverKeepsGoing) {
  MngStream stream(Header() + Term(3, 0, 0, 0x7FFFFFFF) + Image(1) + Image(2) + kEnd, 64'000'000);
  MngFrame frame;
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(stream.Next(frame, nullptr), MngStream::Step::kFrame) << i;
    ASSERT_EQ(frame.width, static_cast<std::uint32_t>(i % 2 + 1));
  }
}

}  // namespace
}  // namespace kestrune::catalogue
