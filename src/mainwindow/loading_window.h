#pragma once

#include <QWidget>

class QLabel;

// The borderless splash that says which game is loading.
class TForm11 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm11(QWidget* parent = nullptr);

  // "Loading " and the main window's selected game's description; the label's first text without one.
  static QString LoadingText();
  QLabel* Loader() const { return loader_; }

 protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  QLabel* loader_;
};
