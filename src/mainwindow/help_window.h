#pragma once

#include <QWidget>

class QPushButton;
class QTextBrowser;

// The program's help, its README, read-only in a window of its own: for a desktop that has no
// program to open it with.
class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  // Shows the file's text and brings the window forward; false with *error when it cannot be read.
  bool ShowFile(const QString& path, QString* error);
  QTextBrowser* Text() const { return text_; }

 private:
  // Centres the window, frame and all, on the screen of the window it belongs to, no larger than the
  // screen leaves room for.
  void PlaceOnScreen();

  QTextBrowser* text_;
  QPushButton* closeButton_;
};
