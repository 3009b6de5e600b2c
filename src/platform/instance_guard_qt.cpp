#include "platform/instance_guard_qt.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace kestrune::platform {
namespace {

constexpr char kShowRequest[] = "show\n";
// The first instance's answer: this, then the display its window is on, then a line end.
constexpr char kShownOn[] = "shown on ";
// Or, when it left its window as it was: this, the display, ": " and the reason, then a line end.
constexpr char kKeptBackOn[] = "kept back on ";
constexpr char kReasonAfter[] = ": ";
// A first instance that holds the lock may still be setting up its socket; give it this long.
constexpr int kConnectPatienceMs = 3000;
// How long the first instance may take to say where its window is.
constexpr int kAnswerPatienceMs = 2000;

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

// The display this process's windows are on, as the user would name it.
QString DisplayName() {
  const QString platform = QGuiApplication::platformName();
  if (platform == QLatin1String("xcb")) return qEnvironmentVariable("DISPLAY");
  if (platform.startsWith(QLatin1String("wayland"))) return qEnvironmentVariable("WAYLAND_DISPLAY");
  return platform;
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
  const std::optional<Answer> answer = AskFirstInstanceToShow(SocketPath());
  const QString display = answer ? answer->display : QString();
  if (!answer) {
    qWarning("kestrune: another instance holds %s but does not answer", qPrintable(LockPath()));
  } else if (!answer->keptBackBecause.isEmpty()) {
    qWarning("kestrune: Kestrune already runs on display %s; %s", qPrintable(display),
             qPrintable(answer->keptBackBecause));
  } else if (display.isEmpty()) {
    qWarning("kestrune: Kestrune already runs; it was asked to show its window");
  } else if (display == DisplayName()) {
    qWarning("kestrune: Kestrune already runs; its window on display %s was brought to the front", qPrintable(display));
  } else {
    // Nothing shows on this display: the user must be told where to look.
    qWarning("kestrune: Kestrune already runs; its window is on display %s, not on this display %s",
             qPrintable(display), qPrintable(DisplayName()));
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
          QString keptBackBecause;
          emit ShowRequested(&keptBackBecause);
          // The reason is one line of the answer.
          keptBackBecause.replace(QLatin1Char('\n'), QLatin1Char(' '));
          const QByteArray display = DisplayName().toUtf8();
          socket->write(keptBackBecause.isEmpty()
                            ? kShownOn + display + "\n"
                            : kKeptBackOn + display + kReasonAfter + keptBackBecause.toUtf8() + "\n");
        }
      }
    });
  }
}

std::optional<InstanceGuard::Answer> InstanceGuard::AskFirstInstanceToShow(const QString& socketPath) {
  QElapsedTimer waited;
  waited.start();
  QLocalSocket socket;
  for (;;) {
    socket.connectToServer(socketPath);
    if (socket.waitForConnected(500)) {
      break;
    }
    if (waited.elapsed() > kConnectPatienceMs) {
      return std::nullopt;
    }
    QThread::msleep(100);
  }
  socket.write(kShowRequest);
  if (!socket.waitForBytesWritten(1000)) {
    return std::nullopt;
  }
  // An instance of an older build shows its window without answering: then the display is not known.
  Answer answer;
  QElapsedTimer answered;
  answered.start();
  while (!socket.canReadLine() && answered.elapsed() < kAnswerPatienceMs) {
    if (!socket.waitForReadyRead(200) && socket.state() != QLocalSocket::ConnectedState) break;
  }
  if (socket.canReadLine()) {
    const QString line = QString::fromUtf8(socket.readLine()).trimmed();
    if (line.startsWith(QLatin1String(kShownOn))) {
      answer.display = line.mid(int(sizeof kShownOn) - 1);
    } else if (line.startsWith(QLatin1String(kKeptBackOn))) {
      const QString rest = line.mid(int(sizeof kKeptBackOn) - 1);
      const qsizetype reason = rest.indexOf(QLatin1String(kReasonAfter));
      answer.display = reason < 0 ? rest : rest.left(reason);
      answer.keptBackBecause = reason < 0 ? QStringLiteral("(no reason given)") : rest.mid(reason + int(sizeof kReasonAfter) - 1);
    }
  }
  socket.disconnectFromServer();
  if (socket.state() != QLocalSocket::UnconnectedState) {
    socket.waitForDisconnected(500);
  }
  return answer;
}

}  // namespace kestrune::platform
