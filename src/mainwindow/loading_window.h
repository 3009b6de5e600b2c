#pragma once

#include <QWidget>

class QLabel;

// The borderless splash shown while MAME loads a game.
class TForm11 : public QWidget {
  Q_OBJECT

public:
  explicit TForm11(QWidget* parent = nullptr);

private:
  QLabel* Label1_;
};
