#pragma once

#include <QDialog>

// Holds the ROM initialisation; never shown itself (the scan runs in the task dialog).
class TForm3 : public QDialog {
  Q_OBJECT

 public:
  explicit TForm3(QWidget* parent = nullptr);
};
