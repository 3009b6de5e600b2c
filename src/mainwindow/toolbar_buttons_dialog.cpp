#include "mainwindow/toolbar_buttons_dialog.h"

TForm13::TForm13(QWidget* parent) : QDialog(parent) {
  setObjectName("Form13");
  setWindowTitle(QStringLiteral("Customize Toolbar"));
}
