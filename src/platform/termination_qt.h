#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGINT (a logout, a service manager, Ctrl+C in a terminal) into a signal on the
// GUI thread, so the program can save its state and end instead of dying with the session's changes
// unsaved. The program must then end within kGraceSeconds, whatever it was doing, or it is ended; a
// second request ends it at once.
namespace kestrune::platform {

class TerminationWatcher : public QObject {
  Q_OBJECT

 public:
  static constexpr unsigned kGraceSeconds = 8;

  explicit TerminationWatcher(QObject* parent = nullptr);
  ~TerminationWatcher() override;
  TerminationWatcher(const TerminationWatcher&) = delete;
  TerminationWatcher& operator=(const TerminationWatcher&) = delete;

 signals:
  void terminationRequested();

 private:
  void ReadSignal();

  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace kestrune::platform
