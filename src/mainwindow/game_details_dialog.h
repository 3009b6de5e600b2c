#pragma once

#include <QDialog>

// Shows every field of the selected game's record.
class TForm12 : public QDialog {
  Q_OBJECT

public:
  explicit TForm12(QWidget* parent = nullptr);
};
