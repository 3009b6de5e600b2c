#include "romscan/rom_init_window.h"

TForm3::TForm3(QWidget* parent) : QDialog(parent) {
  setObjectName("Form3");
  setWindowTitle(QStringLiteral("Initialize Roms"));
}
