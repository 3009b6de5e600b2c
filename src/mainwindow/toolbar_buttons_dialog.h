#pragma once

#include <QDialog>
#include <QString>
#include <array>

class QAction;
class QCheckBox;
class QToolBar;

// Chooses which tool-bar buttons are shown.
//
// Its 13 check boxes are the state of record for the tool bar: the main window sets them from the
// settings key `toolbarbuttons` at start-up, applies them when OK accepts the dialog, and stores them
// at close. Cancel (or closing the window) puts the boxes back as they were when it opened.
class TForm13 : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kButtonCount = 13;
  static constexpr int kSeparatorCount = 6;
  using Checks = std::array<bool, kButtonCount>;
  // The tool bar's separators (actions named so), left to right.
  static constexpr std::array<const char*, kSeparatorCount> kSeparators = {
      "ToolButton10", "ToolButton5", "ToolButton7", "ToolButton12", "ToolButton14", "ToolButton2"};

  explicit TForm13(QWidget* parent = nullptr);

  // The boxes in the order of the characters of `toolbarbuttons`: `button_run`, `button_playrecord`,
  // `button_playback`, `button_details`, `button_list`, `button_icons`, `button_availability`,
  // `button_filter`, `button_options`, `button_drivers`, `button_info`, `button_help`, `button_search`.
  const std::array<QCheckBox*, kButtonCount>& Buttons() const { return buttons_; }

  // 13 characters, "1" for a checked box and "0" for a cleared one.
  QString ButtonsText() const;
  // A box is cleared exactly when its character is "0"; boxes past the end of a shorter text are checked.
  void SetButtonsText(const QString& text);
  Checks Checked() const;

  // The width in pixels the checked tool-bar items take (the search box aside).
  int CalcToolbarWidth(bool smallIcons) const;
  // Shows each separator of the bar whose group has a checked box, hides the others.
  void ApplyToolbarButtons(QToolBar* bar) const;
  // OK's work: each control (in the order of the boxes) shown when its box is checked, the driver
  // information button only while mameinfo.dat is loaded; then the separators.
  void ApplyToToolbar(const std::array<QAction*, kButtonCount>& controls, QToolBar* bar, bool mameInfoLoaded) const;

  // Shown with exec(); OK applies the boxes to the main window's tool bar.
  void Button1Click();
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void CheckAll();

  std::array<QCheckBox*, kButtonCount> buttons_{};
  QString shownText_;  // the boxes as the window opened with them
};

// Button width 39 (25 with small icons) for each checked plain button, drop-down width 52 (40) for
// each checked drop-down button, 8 for each separator whose group has a checked box; the search box
// takes no room here. 0 when nothing is checked.
int CalcToolbarWidth(const TForm13::Checks& checked, bool smallIcons);
// The fixed width of a tool bar button, and of one with a drop-down arrow, as the tool bar lays them out.
int ToolbarButtonWidth(bool smallIcons);
int ToolbarDropDownWidth(bool smallIcons);
// Which separators stand: after Play; Record/Playback; the list buttons; Options; the two game
// information buttons; Help.
std::array<bool, TForm13::kSeparatorCount> SeparatorsShown(const TForm13::Checks& checked);
