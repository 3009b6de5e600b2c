#pragma once

#include <QDialog>

// Shows the selected game's driver information.
class TForm10 : public QDialog {
  Q_OBJECT

public:
  explicit TForm10(QWidget* parent = nullptr);
};
