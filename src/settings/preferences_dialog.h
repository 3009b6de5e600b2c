#pragma once

#include <QDialog>

// The front-end's own preferences: folders, fonts, colours, list and controller options.
class TForm4 : public QDialog {
  Q_OBJECT

public:
  explicit TForm4(QWidget* parent = nullptr);
};
