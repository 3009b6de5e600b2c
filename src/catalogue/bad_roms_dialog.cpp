#include "catalogue/bad_roms_dialog.h"

TForm9::TForm9(QWidget* parent) : QDialog(parent) {
  setObjectName("Form9");
  setWindowTitle(QStringLiteral("Bad Roms"));
}
