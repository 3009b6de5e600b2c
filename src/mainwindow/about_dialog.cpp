#include "mainwindow/about_dialog.h"

TForm6::TForm6(QWidget* parent) : QDialog(parent) {
  setObjectName("Form6");
  setWindowTitle(QStringLiteral("About"));
}
