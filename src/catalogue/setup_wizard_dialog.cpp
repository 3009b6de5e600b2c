#include "catalogue/setup_wizard_dialog.h"

TForm5::TForm5(QWidget* parent) : QDialog(parent) {
  setObjectName("Form5");
  setWindowTitle(QStringLiteral("Setup - Kestrune "));
}
