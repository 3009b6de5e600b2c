#include "mainwindow/delete_inp_dialog.h"

TOKBottomDlg1::TOKBottomDlg1(QWidget* parent) : QDialog(parent) {
  setObjectName("OKBottomDlg1");
  setWindowTitle(QStringLiteral("Warning !"));
}
