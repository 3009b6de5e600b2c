#pragma once

#include <QDialog>

// Asks whether to delete the selected game's option file.
class TOKBottomDlg : public QDialog {
  Q_OBJECT

public:
  explicit TOKBottomDlg(QWidget* parent = nullptr);
};
