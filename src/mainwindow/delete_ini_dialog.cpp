#include "mainwindow/delete_ini_dialog.h"

TOKBottomDlg::TOKBottomDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("OKBottomDlg");
  setWindowTitle(QStringLiteral("Warning !"));
}
