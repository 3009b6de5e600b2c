#include "catalogue/play_time.h"

#include <gtest/gtest.h>

#include <limits>

namespace kestrune::catalogue {
namespace {

TEST(PlayTime, PadTwoDigits) {
  EXPECT_EQ(PadTwoDigits(0), "00");
  EXPECT_EQ(PadTwoDigits(9), "09");
  EXPECT_EQ(PadTwoDigits(10), "10");
  EXPECT_EQ(PadTwoDigits(123), "123");
}

TEST(PlayTime, FormatPlayTime) {
  struct Case {
    std::int64_t later;
    std::int64_t earlier;
    std::string text;
  };
  const Case cases[] = {
      {3'723'456, 0, "01:02:03"},
      {0, 0, "00:00:00"},
      {360'000'000, 0, "100:00:00"},
      {999, 0, "00:00:00"},
      {10'006'000, 10'000'000, "00:00:06"},
      {86'399'999, 0, "23:59:59"},
      {0, 1'000, "00:00:00"},
      {std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max(), "00:00:00"},
      {std::numeric_limits<std::int64_t>::max(), std::numeric_limits<std::int64_t>::min(), "5124095576030:25:51"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatPlayTime(c.later, c.earlier), c.text) << c.later << " - " << c.earlier;
  }
}

TEST(PlayTime, ParsePlayTime) {
  struct Case {
    std::string text;
    std::int64_t ms;
  };
  const Case cases[] = {
      {"01:02:03", 3'723'000},
      {"00:00:00", 0},
      {"100:00:00", 360'000'000},
      {"1:2:3", 3'723'000},
      {"12345:59:59", 12345 * 3'600'000LL + 59 * 60'000 + 59'000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParsePlayTime(c.text), c.ms) << c.text;
  }
}

TEST(PlayTime, FormattedTotalsReadBack) {
  for (std::int64_t seconds : {0LL, 59LL, 3'599LL, 359'999LL, 360'000LL, 36'000'000LL}) {
    EXPECT_EQ(ParsePlayTime(FormatPlayTime(seconds * 1000, 0)), seconds * 1000) << seconds;
  }
}

TEST(PlayTime, MalformedPlayTimeReadsAsZero) {
  const char* cases[] = {
      "",
      "abc",
      "01:02",
      "01:02:03:04",
      "1:60:00",
      "01:00:60",
      "01:-2:03",
      " 01:02:03",
      "01:02:03 ",
      "01:02:3x",
      "::",
      "01::03",
      "+1:02:03",
      "01:002:03",
      "0x1:02:03",
      "99999999999999999999:00:00",
      "9223372036854775807:00:00",
  };
  for (const char* text : cases) {
    EXPECT_EQ(ParsePlayTime(text), 0) << text;
  }
}

TEST(PlayTime, ParseTimesPlayed) {
  EXPECT_EQ(ParseTimesPlayed("0"), 0);
  EXPECT_EQ(ParseTimesPlayed("42"), 42);
  EXPECT_EQ(ParseTimesPlayed("3000000000"), 3'000'000'000LL);
  for (const char* text : {"", "-1", "+1", "abc", "12a", " 1", "1.5", "99999999999999999999"}) {
    EXPECT_EQ(ParseTimesPlayed(text), 0) << text;
  }
}

}  // namespace
}  // namespace kestrune::catalogue
