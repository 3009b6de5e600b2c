#pragma once

#include <QDialog>

// Moves the selected game's ROM archive to the bad-ROMs folder.
class TOKBottomDlg2 : public QDialog {
  Q_OBJECT

public:
  explicit TOKBottomDlg2(QWidget* parent = nullptr);
};
