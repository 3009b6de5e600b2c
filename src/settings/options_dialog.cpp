#include "settings/options_dialog.h"

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
  setObjectName("Form2");
  setWindowTitle(QStringLiteral("MAME Default Options"));
}
