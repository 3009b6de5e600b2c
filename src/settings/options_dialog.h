#pragma once

#include <QDialog>
#include <array>

class QComboBox;

// Edits MAME's default options (mame.ini) or one game's option file.
class TForm2 : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kScreenCount = 5;

  explicit TForm2(QWidget* parent = nullptr);

  // The screen lists `screenshow`, `screenshow0` ... `screenshow3` (default screen first). Each starts
  // with the item "Auto" and no choice; the display adapters are added after it.
  const std::array<QComboBox*, kScreenCount>& ScreenLists() const { return screenLists_; }
  // The resolution lists `ressize`, `ressize0` ... `ressize3`, in the same order and starting the same way;
  // the display modes are added after "Auto".
  const std::array<QComboBox*, kScreenCount>& ResolutionLists() const { return resolutionLists_; }

 private:
  QWidget* NewScreensPage();

  std::array<QComboBox*, kScreenCount> screenLists_{};
  std::array<QComboBox*, kScreenCount> resolutionLists_{};
};
