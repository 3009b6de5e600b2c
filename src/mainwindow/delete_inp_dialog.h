#pragma once

#include "mainwindow/delete_ini_dialog.h"

// Asks whether to delete the selected game's input recording (<set>.inp in the recordings folder).
class TOKBottomDlg1 : public DeleteSetFileDialog {
  Q_OBJECT

 public:
  explicit TOKBottomDlg1(QWidget* parent = nullptr);
};
