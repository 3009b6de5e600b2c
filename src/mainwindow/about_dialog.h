#pragma once

#include <QDialog>

// The about box.
class TForm6 : public QDialog {
  Q_OBJECT

public:
  explicit TForm6(QWidget* parent = nullptr);
};
