#pragma once

#include <QObject>

// Keeps every hint of the program up for the same time, whatever control shows it: installed on the
// application, it gives each control that is about to show its hint that time, and shows the hints of
// menu items itself (a menu shows them for a time of its own).
class HintPause : public QObject {
  Q_OBJECT

 public:
  // How long a hint stays up before it hides by itself.
  static constexpr int kHidePauseMs = 8000;

  explicit HintPause(QObject* parent = nullptr);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};
