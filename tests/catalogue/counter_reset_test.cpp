#include "catalogue/counter_reset.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

namespace cat = kestrune::catalogue;

// A line of 25 fields whose description holds separators of its own; counters 7 and 01:02:03.
const std::string kPiped =
    "0|Pac|Man|Namco|Maze|1980|||||||||||good|good|good|good|good|0.37|pacman|1|7|01:02:03||pacman|0";

struct ResetCase {
  const char* name;
  std::string line;
  std::string afterCounts;
  std::string afterTimes;
};

void PrintTo(const ResetCase& c, std::ostream* os) { *os << c.name; }

class CounterReset : public ::testing::TestWithParam<ResetCase> {};

TEST_P(CounterReset, RewritesOnlyItsFieldCountedFromTheEnd) {
  const ResetCase& c = GetParam();
  cat::Catalogue counts;
  counts.Add(c.line);
  cat::Catalogue times = counts;
  EXPECT_EQ(cat::ResetPlayCounts(counts), c.afterCounts != c.line ? 1 : 0);
  EXPECT_EQ(counts[0], c.afterCounts);
  EXPECT_EQ(cat::ResetPlayTimes(times), c.afterTimes != c.line ? 1 : 0);
  EXPECT_EQ(times[0], c.afterTimes);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CounterReset,
    ::testing::Values(
        ResetCase{"Ordinary", "0|Galaga|Namco|Shooter|1981|||||||||||||||2|65536|123:04:05||galaga|0",
                  "0|Galaga|Namco|Shooter|1981|||||||||||||||2|0|123:04:05||galaga|0",
                  "0|Galaga|Namco|Shooter|1981|||||||||||||||2|65536|00:00:00||galaga|0"},
        ResetCase{"PipeInDescription", kPiped,
                  "0|Pac|Man|Namco|Maze|1980|||||||||||good|good|good|good|good|0.37|pacman|1|0|01:02:03||pacman|0",
                  "0|Pac|Man|Namco|Maze|1980|||||||||||good|good|good|good|good|0.37|pacman|1|7|00:00:00||pacman|0"},
        // Four separators reach the play time but not the play count before it.
        ResetCase{"FourSeparators", "9|1:00:00|clone|rom|0", "9|1:00:00|clone|rom|0", "9|00:00:00|clone|rom|0"},
        ResetCase{"ThreeSeparators", "x|clone|rom|0", "x|clone|rom|0", "x|clone|rom|0"},
        ResetCase{"Empty", "", "", ""}),
    [](const ::testing::TestParamInfo<ResetCase>& info) { return std::string(info.param.name); });

TEST(CounterReset, CountsOnlyTheLinesItChanges) {
  cat::Catalogue catalogue;
  catalogue.Add("a|b|0|0:00:01|c|d|e");
  catalogue.Add("a|b|3|0:00:01|c|d|e");
  catalogue.Add("short");
  EXPECT_EQ(cat::ResetPlayCounts(catalogue), 1);
  EXPECT_EQ(catalogue[1], "a|b|0|0:00:01|c|d|e");
  EXPECT_EQ(cat::ResetPlayTimes(catalogue), 2);
  EXPECT_EQ(catalogue[0], "a|b|0|00:00:00|c|d|e");
}

}  // namespace
