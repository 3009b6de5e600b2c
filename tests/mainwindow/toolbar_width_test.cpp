#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QToolBar>

#include "mainwindow/toolbar_buttons_dialog.h"

namespace {

struct WidthCase {
  const char* label;
  const char* boxes;
  bool smallIcons;
  int width;
};

void PrintTo(const WidthCase& c, std::ostream* os) { *os << c.label << " " << c.boxes << " small=" << c.smallIcons; }

class CalcToolbarWidthTest : public ::testing::TestWithParam<WidthCase> {};

TEST_P(CalcToolbarWidthTest, SumsTheCheckedItemsAndTheirSeparators) {
  TForm13 dialog;
  dialog.SetButtonsText(GetParam().boxes);
  EXPECT_EQ(dialog.CalcToolbarWidth(GetParam().smallIcons), GetParam().width);
}

INSTANTIATE_TEST_SUITE_P(Boxes, CalcToolbarWidthTest,
                         ::testing::Values(WidthCase{"AllSmall", "1111111111111", true, 10 * 25 + 2 * 40 + 6 * 8},
                                           WidthCase{"AllBig", "1111111111111", false, 10 * 39 + 2 * 52 + 6 * 8},
                                           WidthCase{"NoneChecked", "0000000000000", true, 0},
                                           WidthCase{"OnlySearch", "0000000000001", false, 0},
                                           WidthCase{"PlayOnly", "1000000000000", false, 39 + 8},
                                           WidthCase{"RecordAndPlaybackShareASeparator", "0110000000000", true,
                                                     2 * 25 + 8},
                                           WidthCase{"FilterDropDown", "0000000100000", false, 52 + 8}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(ToolbarButtons, OkShowsCheckedItemsAndTheSeparatorsOfTheirGroups) {
  TForm13 dialog;
  QToolBar bar;
  std::array<QAction*, TForm13::kButtonCount> controls{};
  for (int i = 0; i < TForm13::kButtonCount; ++i) controls[i] = bar.addAction(QString::number(i));
  for (const char* name : TForm13::kSeparators) bar.addSeparator()->setObjectName(name);

  dialog.SetButtonsText("1101111111110");
  dialog.ApplyToToolbar(controls, &bar, false);
  EXPECT_TRUE(controls[1]->isVisible()) << "Play and Record stays";
  EXPECT_FALSE(controls[2]->isVisible()) << "Playback goes";
  EXPECT_FALSE(controls[10]->isVisible()) << "driver information needs mameinfo.dat";
  EXPECT_FALSE(controls[12]->isVisible()) << "search box";
  dialog.ApplyToToolbar(controls, &bar, true);
  EXPECT_TRUE(controls[10]->isVisible());

  dialog.SetButtonsText("1000000011100");
  dialog.ApplyToolbarButtons(&bar);
  std::vector<bool> shown;
  for (QAction* action : bar.actions()) {
    if (action->isSeparator()) shown.push_back(action->isVisible());
  }
  EXPECT_EQ(shown, (std::vector<bool>{true, false, false, true, true, false}));
}

}  // namespace
