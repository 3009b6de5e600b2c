#pragma once

#include <QDialog>

// Lists the ROM archives of bad sets and moves them aside.
class TForm9 : public QDialog {
  Q_OBJECT

public:
  explicit TForm9(QWidget* parent = nullptr);
};
