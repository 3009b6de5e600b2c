#pragma once

#include <QDialog>

// Chooses the order of the game list's columns.
class TFormcolumn : public QDialog {
  Q_OBJECT

public:
  explicit TFormcolumn(QWidget* parent = nullptr);
};
