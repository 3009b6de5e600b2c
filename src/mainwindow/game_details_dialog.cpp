#include "mainwindow/game_details_dialog.h"

TForm12::TForm12(QWidget* parent) : QDialog(parent) {
  setObjectName("Form12");
  setWindowTitle(QStringLiteral("Game Details"));
}
