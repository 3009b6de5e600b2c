#pragma once

#include <QMainWindow>

// The main window of the program: closing it ends the program.
class TForm1 : public QMainWindow {
  Q_OBJECT

public:
  explicit TForm1(QWidget* parent = nullptr);

  // Brings the window back from the taskbar or behind other windows (asked by a second start).
  void ShowAndRaise();

protected:
  void closeEvent(QCloseEvent* event) override;
};
