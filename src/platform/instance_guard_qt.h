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
// on another display, where nothing then shows), and is told to end.
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
  // A later start asked this instance to show and raise its main window.
  void ShowRequested();

private:
  void StartListening();
  void AcceptRequests();
  // The display the first instance's window is on ("" when it did not say); nothing when it could
  // not be reached.
  static std::optional<QString> AskFirstInstanceToShow(const QString& socketPath);

  QString folder_;
  QLockFile lock_;
  QLocalServer server_;
};

}  // namespace kestrune::platform
