#include "mainwindow/driver_info_dialog.h"

TForm10::TForm10(QWidget* parent) : QDialog(parent) {
  setObjectName("Form10");
  setWindowTitle(QStringLiteral("Game Driver Info"));
}
