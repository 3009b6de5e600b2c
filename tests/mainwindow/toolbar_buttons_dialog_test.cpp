#include "mainwindow/toolbar_buttons_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>

namespace {

TEST(ToolbarButtonsDialog, ThirteenBoxesInSettingsOrderAllCheckedAtFirst) {
  const std::array<std::pair<const char*, const char*>, TForm13::kButtonCount> expected = {{
      {"button_run", "Play Game"},
      {"button_playrecord", "Play and recorded game"},
      {"button_playback", "Playback recorded game"},
      {"button_details", "Show Details"},
      {"button_list", "Show List"},
      {"button_icons", "Show Icons"},
      {"button_availability", "List Filter"},
      {"button_filter", "Game Filter"},
      {"button_options", "Default Mame Options"},
      {"button_drivers", "Show Game Details"},
      {"button_info", "Show Game Driver Info"},
      {"button_help", "Help"},
      {"button_search", "Search"},
  }};
  TForm13 dialog;
  EXPECT_EQ(dialog.objectName(), "Form13");
  for (int i = 0; i < TForm13::kButtonCount; ++i) {
    SCOPED_TRACE(expected[i].first);
    const QCheckBox* box = dialog.Buttons()[i];
    EXPECT_EQ(box, dialog.findChild<QCheckBox*>(expected[i].first));
    EXPECT_EQ(box->text(), expected[i].second);
    EXPECT_TRUE(box->isChecked());
  }
  EXPECT_EQ(dialog.ButtonsText(), "1111111111111");
}

struct TextCase {
  const char* label;
  const char* stored;
  const char* shown;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.label << " \"" << c.stored << '"'; }

class ToolbarButtonsText : public ::testing::TestWithParam<TextCase> {};

TEST_P(ToolbarButtonsText, SetsTheBoxesAndReadsBackThirteenCharacters) {
  TForm13 dialog;
  dialog.SetButtonsText(QString::fromUtf8(GetParam().stored));
  EXPECT_EQ(dialog.ButtonsText().toStdString(), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Stored, ToolbarButtonsText,
                         ::testing::Values(TextCase{"SearchHidden", "1111111111110", "1111111111110"},
                                           TextCase{"AllHidden", "0000000000000", "0000000000000"},
                                           TextCase{"FirstHidden", "0111111111111", "0111111111111"},
                                           TextCase{"ShortTextKeepsTheRest", "00", "0011111111111"},
                                           TextCase{"Empty", "", "1111111111111"},
                                           TextCase{"OnlyZeroHides", "x0 1000000000", "1011000000000"},
                                           TextCase{"LongerTextIgnoresTheTail", "11111111111110000", "1111111111111"}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(ToolbarButtonsDialog, CancelPutsTheBoxesBackAndDefaultChecksAllWithoutClosing) {
  TForm13 dialog;
  dialog.SetButtonsText("0000000000000");
  dialog.open();
  dialog.findChild<QPushButton*>("Button3")->click();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.ButtonsText(), "1111111111111");
  dialog.Buttons()[12]->setChecked(false);
  dialog.findChild<QPushButton*>("Button2")->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(dialog.ButtonsText(), "0000000000000");

  dialog.open();
  dialog.Buttons()[0]->setChecked(true);
  dialog.findChild<QPushButton*>("Button1")->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.ButtonsText(), "1000000000000");
  // Closing the window is a Cancel too; it goes back to what OK chose.
  dialog.open();
  dialog.Buttons()[1]->setChecked(true);
  dialog.close();
  EXPECT_EQ(dialog.ButtonsText(), "1000000000000");
}

}  // namespace
