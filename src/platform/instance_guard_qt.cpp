#include "platform/instance_guard_qt.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace kestrune::platform {
namespace {

constexpr char kShowRequest[] = "show\n";
// A first instance that holds the lock may still be setting up its socket; give it this long.
constexpr int kConnectPatienceMs = 3000;

QString GuardFolder(const QString& folder) {
  if (!folder.isEmpty()) {
    return folder;
  }
  QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (runtime.isEmpty()) {
    runtime = QDir::tempPath();
  }
  return runtime;
}

}  // namespace

InstanceGuard::InstanceGuard(const QString& folder, QObject* parent)
    : QObject(parent), folder_(GuardFolder(folder)), lock_(QDir(folder_).filePath("kestrune.lock")) {
  // A lock is stale only when its owner is gone, never because it is old: the program may run for days.
  lock_.setStaleLockTime(0);
  connect(&server_, &QLocalServer::newConnection, this, &InstanceGuard::AcceptRequests);
}

InstanceGuard::~InstanceGuard() {
  server_.close();
  if (lock_.isLocked()) {
    lock_.unlock();
  }
}

QString InstanceGuard::LockPath() const { return QDir(folder_).filePath("kestrune.lock"); }

QString InstanceGuard::SocketPath() const { return QDir(folder_).filePath("kestrune.socket"); }

bool InstanceGuard::TryBecomeFirst() {
  QDir().mkpath(folder_);
  // tryLock removes a lock left by a crashed instance (its process is gone) before taking it.
  if (lock_.tryLock(0)) {
    StartListening();
    return true;
  }
  if (lock_.error() != QLockFile::LockFailedError) {
    // The lock cannot be made at all (folder not writable): run unguarded rather than not at all.
    qWarning("kestrune: cannot create the instance lock %s; running without the single-instance guard",
             qPrintable(LockPath()));
    return true;
  }
  if (!AskFirstInstanceToShow(SocketPath())) {
    qWarning("kestrune: another instance holds %s but does not answer", qPrintable(LockPath()));
  }
  return false;
}

void InstanceGuard::StartListening() {
  // A socket file left by a crashed instance would make listen() fail.
  QLocalServer::removeServer(SocketPath());
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_.listen(SocketPath())) {
    qWarning("kestrune: cannot listen on %s: %s", qPrintable(SocketPath()), qPrintable(server_.errorString()));
  }
}

void InstanceGuard::AcceptRequests() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      while (socket->canReadLine()) {
        if (socket->readLine() == kShowRequest) {
          qInfo("kestrune: another start asked for the main window");
          emit ShowRequested();
        }
      }
    });
  }
}

bool InstanceGuard::AskFirstInstanceToShow(const QString& socketPath) {
  QElapsedTimer waited;
  waited.start();
  QLocalSocket socket;
  for (;;) {
    socket.connectToServer(socketPath);
    if (socket.waitForConnected(500)) {
      break;
    }
    if (waited.elapsed() > kConnectPatienceMs) {
      return false;
    }
    QThread::msleep(100);
  }
  socket.write(kShowRequest);
  const bool sent = socket.waitForBytesWritten(1000);
  socket.disconnectFromServer();
  if (socket.state() != QLocalSocket::UnconnectedState) {
    socket.waitForDisconnected(500);
  }
  return sent;
}

}  // namespace kestrune::platform
