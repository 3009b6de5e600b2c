#pragma once

#include <QDialog>

// Chooses which tool-bar buttons are shown.
class TForm13 : public QDialog {
  Q_OBJECT

public:
  explicit TForm13(QWidget* parent = nullptr);
};
