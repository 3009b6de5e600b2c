#pragma once

#include <QDialog>
#include <string>

class QPlainTextEdit;

namespace kestrune::catalogue {
class MameInfoIndex;
}

// "Game Driver Info": the mameinfo.dat entry of the selected game's driver, in the read-only memo
// `gamedrivermemo`. The text is made each time the window is shown.
class TForm10 : public QDialog {
  Q_OBJECT

 public:
  explicit TForm10(QWidget* parent = nullptr);

  // What the next show displays: the driver of the selected game, and mameinfo.dat (null when the
  // file is not loaded). The index must live while the window can be shown.
  void SetDriver(const kestrune::catalogue::MameInfoIndex* mameinfo, std::string driver);
  const QString& DriverInfoText() const { return driverInfoText_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormShow();

  QPlainTextEdit* gamedrivermemo_;
  const kestrune::catalogue::MameInfoIndex* mameinfo_ = nullptr;
  std::string driver_;
  QString driverInfoText_;
};
