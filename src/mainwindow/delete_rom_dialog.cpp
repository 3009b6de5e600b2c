#include "mainwindow/delete_rom_dialog.h"

TOKBottomDlg2::TOKBottomDlg2(QWidget* parent) : QDialog(parent) {
  setObjectName("OKBottomDlg2");
  setWindowTitle(QStringLiteral("Delete Rom File"));
}
