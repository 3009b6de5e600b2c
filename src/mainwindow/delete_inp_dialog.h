#pragma once

#include <QDialog>

// Asks whether to delete the selected game's input recording.
class TOKBottomDlg1 : public QDialog {
  Q_OBJECT

public:
  explicit TOKBottomDlg1(QWidget* parent = nullptr);
};
