#include "platform/folder_lock_qt.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <cerrno>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <signal.h>
#endif

namespace kestrune::platform {
namespace {

// Not the single-instance guard's "kestrune.lock", so that neither can ever be taken for the other, and
// no name the program gives a file of its own in ini/ (the settings, the game list, "<set>.ini").
constexpr char kLockName[] = "kestrune-folder.lock";

// A folder that cannot be written for one of these reasons is simply one this program cannot change.
bool CannotWrite(const std::error_code& error) {
  return error == std::errc::read_only_file_system || error == std::errc::permission_denied ||
         error == std::errc::operation_not_permitted;
}

// Whether the process is gone for sure (a process of another user still counts as there).
bool ProcessGone(qint64 pid) {
#ifdef Q_OS_UNIX
  return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
#else
  Q_UNUSED(pid);
  return false;
#endif
}

}  // namespace

FolderLock::FolderLock(const QString& programFolder)
    : iniFolder_(QDir(programFolder).filePath(QStringLiteral("ini"))),
      lock_(QDir(iniFolder_).filePath(QLatin1String(kLockName))) {
  // A lock is stale only when its program is gone, never because it is old: the program may run for days.
  lock_.setStaleLockTime(0);
}

FolderLock::~FolderLock() {
  if (lock_.isLocked()) lock_.unlock();
}

FolderLock::Outcome FolderLock::TryTake() {
  // The program makes the folder at its start anyway; a second program finds it made.
  std::error_code made;
  std::filesystem::create_directories(QFile::encodeName(iniFolder_).toStdString(), made);
  if (made) {
    if (!CannotWrite(made)) {
      qWarning("kestrune: cannot create the folder %s for the lock of the program folder: %s", qPrintable(iniFolder_),
               made.message().c_str());
    }
    return Outcome::kNotNeeded;
  }
  // tryLock removes a lock left by a program that died (its process is gone) before taking it.
  if (lock_.tryLock(0)) {
    ShareLikeTheFolder();
    return Outcome::kTaken;
  }
  switch (lock_.error()) {
    case QLockFile::LockFailedError:
      ReportHolder();
      return Outcome::kUsedByAnother;
    case QLockFile::PermissionError:
      return Outcome::kNotNeeded;
    default:
      // Run without it rather than not at all, as the single-instance guard does.
      qWarning("kestrune: cannot create the lock %s; another program may use this program folder meanwhile",
               qPrintable(LockPath()));
      return Outcome::kNotNeeded;
  }
}

void FolderLock::ShareLikeTheFolder() const {
  using P = QFileDevice;
  const P::Permissions folder = QFileInfo(iniFolder_).permissions();
  P::Permissions lock = QFile::permissions(LockPath());
  const P::Permissions before = lock;
  if (folder.testFlag(P::WriteGroup)) lock |= P::ReadGroup | P::WriteGroup;
  if (folder.testFlag(P::WriteOther)) lock |= P::ReadOther | P::WriteOther;
  if (lock != before && !QFile::setPermissions(LockPath(), lock)) {
    qWarning("kestrune: cannot let the other users of %s take over its lock %s after a crash", qPrintable(iniFolder_),
             qPrintable(LockPath()));
  }
}

void FolderLock::ReportHolder() const {
  qint64 pid = 0;
  QString host;
  QString application;
  const QString folder = QFileInfo(iniFolder_).absolutePath();
  if (lock_.getLockInfo(&pid, &host, &application) && host == QSysInfo::machineHostName() && ProcessGone(pid)) {
    // Taken over when it could be: this user may not remove it.
    qWarning(
        "kestrune: a Kestrune that has ended (process %lld) left the lock %s of the program folder %s, "
        "which cannot be removed by this user; this one ends without changing anything there",
        static_cast<long long>(pid), qPrintable(LockPath()), qPrintable(folder));
  } else if (pid > 0) {
    qWarning(
        "kestrune: another Kestrune (process %lld on %s) uses the program folder %s, started by another "
        "user or in another session; this one ends without changing anything there",
        static_cast<long long>(pid), qPrintable(host), qPrintable(folder));
  } else {
    qWarning(
        "kestrune: another Kestrune uses the program folder %s (it holds %s); this one ends without "
        "changing anything there",
        qPrintable(folder), qPrintable(LockPath()));
  }
}

}  // namespace kestrune::platform
