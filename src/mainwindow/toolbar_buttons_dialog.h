#pragma once

#include <QDialog>
#include <QString>
#include <array>

class QCheckBox;

// Chooses which tool-bar buttons are shown.
//
// Its 13 check boxes are the state of record for the tool bar: the main window sets them from the
// settings key `toolbarbuttons` at start-up, applies them when OK accepts the dialog, and stores them
// at close. Cancel leaves the boxes as the user left them.
class TForm13 : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kButtonCount = 13;

  explicit TForm13(QWidget* parent = nullptr);

  // The boxes in the order of the characters of `toolbarbuttons`: `button_run`, `button_playrecord`,
  // `button_playback`, `button_details`, `button_list`, `button_icons`, `button_availability`,
  // `button_filter`, `button_options`, `button_drivers`, `button_info`, `button_help`, `button_search`.
  const std::array<QCheckBox*, kButtonCount>& Buttons() const { return buttons_; }

  // 13 characters, "1" for a checked box and "0" for a cleared one.
  QString ButtonsText() const;
  // A box is cleared exactly when its character is "0"; boxes past the end of a shorter text are checked.
  void SetButtonsText(const QString& text);

 private:
  void CheckAll();

  std::array<QCheckBox*, kButtonCount> buttons_{};
};
