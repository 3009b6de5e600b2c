#include "settings/preferences_dialog.h"

TForm4::TForm4(QWidget* parent) : QDialog(parent) {
  setObjectName("Form4");
  setWindowTitle(QStringLiteral("Preferences"));
}
