#include "mainwindow/column_order_dialog.h"

TFormcolumn::TFormcolumn(QWidget* parent) : QDialog(parent) {
  setObjectName("Formcolumn");
  setWindowTitle(QStringLiteral("Customize Columns"));
}
