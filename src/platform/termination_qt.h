#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGINT (a logout, a service manager, Ctrl+C in a terminal) into a signal on the
// GUI thread, so the program can close its main window and save its state as on a normal close
// instead of dying with the session's changes unsaved.
namespace kestrune::platform {

class TerminationWatcher : public QObject {
  Q_OBJECT

 public:
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
