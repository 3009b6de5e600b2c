#pragma once

#include <QDialog>

// Edits MAME's default options (mame.ini) or one game's option file.
class TForm2 : public QDialog {
  Q_OBJECT

public:
  explicit TForm2(QWidget* parent = nullptr);
};
