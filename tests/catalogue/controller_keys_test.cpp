#include "catalogue/controller_keys.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace kestrune::catalogue {

void PrintTo(ControllerCommand command, std::ostream* out) { *out << ControllerCommandName(command); }

namespace {

using C = ControllerCommand;

constexpr ControllerBoxes kArcade{true, false, false};
constexpr ControllerBoxes kHotRod{false, true, false};
constexpr ControllerBoxes kSlikStik{false, false, true};
constexpr ControllerBoxes kArcadeAndHotRod{true, true, false};
constexpr ControllerBoxes kArcadeAndSlikStik{true, false, true};
constexpr ControllerBoxes kNone{};

struct KeyCase {
  std::string name;
  int key;
  ControllerBoxes boxes;
  ControllerCommand expected;
};

void PrintTo(const KeyCase& c, std::ostream* out) {
  *out << c.name << " (key " << c.key << ") -> " << ControllerCommandName(c.expected);
}

class ControllerKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(ControllerKeys, IssueOneCommand) {
  EXPECT_EQ(ControllerCommandOf(GetParam().key, GetParam().boxes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    , ControllerKeys,
    ::testing::Values(KeyCase{"ArcadeOnePlays", '1', kArcade, C::PlaySelected},
                      KeyCase{"ArcadeTwoPlaysRandom", '2', kArcade, C::PlayRandom},
                      KeyCase{"ArcadeCTurnsPage", 'C', kArcade, C::NextPage},
                      KeyCase{"ArcadeThreeListsAvailable", '3', kArcade, C::ListAvailable},
                      KeyCase{"ArcadeFourListsFavorites", '4', kArcade, C::ListFavorites},
                      KeyCase{"ArcadeFiveDoesNothing", '5', kArcade, C::None},
                      KeyCase{"ArcadeSixDoesNothing", '6', kArcade, C::None},
                      KeyCase{"ArcadeCtrlPagesUp", kVkControl, kArcade, C::PageUp},
                      KeyCase{"ArcadeShiftPagesDown", kVkShift, kArcade, C::PageDown},
                      KeyCase{"ArcadeSpaceGoesHome", kVkSpace, kArcade, C::Home},
                      KeyCase{"ArcadeXGoesToEnd", 'X', kArcade, C::End},
                      KeyCase{"HotRodSharesTheArcadeMap", '3', kHotRod, C::ListAvailable},
                      KeyCase{"HotRodCtrlPagesUp", kVkControl, kHotRod, C::PageUp},
                      KeyCase{"SlikStikThreeDoesNothing", '3', kSlikStik, C::None},
                      KeyCase{"SlikStikFourDoesNothing", '4', kSlikStik, C::None},
                      KeyCase{"SlikStikFiveListsAvailable", '5', kSlikStik, C::ListAvailable},
                      KeyCase{"SlikStikSixListsFavorites", '6', kSlikStik, C::ListFavorites},
                      KeyCase{"SlikStikOnePlays", '1', kSlikStik, C::PlaySelected},
                      KeyCase{"SlikStikXGoesToEnd", 'X', kSlikStik, C::End},
                      KeyCase{"ArcadeAndHotRodPlayOnce", '1', kArcadeAndHotRod, C::PlaySelected},
                      KeyCase{"ArcadeAndSlikStikKeepBothListKeys", '5', kArcadeAndSlikStik, C::ListAvailable},
                      KeyCase{"ArcadeAndSlikStikThreeIsArcades", '3', kArcadeAndSlikStik, C::ListAvailable},
                      KeyCase{"NoControllerIgnoresEveryKey", '1', kNone, C::None},
                      KeyCase{"NoControllerLeavesCtrl", kVkControl, kNone, C::None},
                      KeyCase{"OtherLettersAreTheLists", 'A', kArcadeAndSlikStik, C::None},
                      KeyCase{"LowerCaseIsNoVirtualKey", 'x', kArcade, C::None}),
    [](const ::testing::TestParamInfo<KeyCase>& info) { return info.param.name; });

}  // namespace
}  // namespace kestrune::catalogue
