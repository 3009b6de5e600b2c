#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <optional>

namespace kestrune::platform {

// Keeps a second Kestrune from running. The first instance holds a lock file and listens on a local
// socket beside it; a later start finds the lock held, asks the first one through the socket to show
// its main window, says on stderr on which display that window is (the same user may start Kestrune
// on another display, where nothing then shows) or why the first one left its window as it was, and is
// told to end.
class InstanceGuard : public QObject {
  Q_OBJECT

 public:
  // folder: where the lock file and the socket live; by default the user's runtime folder.
  explicit InstanceGuard(const QString& folder = QString(), QObject* parent = nullptr);
  ~InstanceGuard() override;

  // True when this process may run. False when another instance runs: it has been asked to show its
  // window (when it could be reached) and this process should end with exit code 0.
  bool TryBecomeFirst();

  QString LockPath() const;
  QString SocketPath() const;

 signals:
  // A later start asked this instance to show and raise its main window. Receivers are called directly:
  // one that leaves the screen as it is (a game runs in front) puts the reason in *keptBackBecause, in
  // words for the later start to write out.
  void ShowRequested(QString* keptBackBecause);

 private:
  // What the first instance answered.
  struct Answer {
    QString display;          // the display its window is on; "" when it did not say
    QString keptBackBecause;  // why it did not show its window; "" when it did
  };

  void StartListening();
  void AcceptRequests();
  // Nothing when the first instance could not be reached.
  static std::optional<Answer> AskFirstInstanceToShow(const QString& socketPath);

  QString folder_;
  QLockFile lock_;
  QLocalServer server_;
};

}  // namespace kestrune::platform
