#pragma once

#include <QDialog>

// Guides a first run through choosing MAME and the first ROM scan.
class TForm5 : public QDialog {
  Q_OBJECT

public:
  explicit TForm5(QWidget* parent = nullptr);
};
