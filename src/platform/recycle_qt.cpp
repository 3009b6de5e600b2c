#include "platform/recycle_qt.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrune::platform {

namespace {

// Where a file goes and how its trash-info names it: the home trash records the absolute path, a
// volume's trash the path below the volume's top folder.
struct TrashPlace {
  QString trash;
  QString topDir;  // empty for the home trash
};

std::optional<dev_t> DeviceOf(const QString& path) {
  struct stat info {};
  if (::stat(QFile::encodeName(path).constData(), &info) != 0) return std::nullopt;
  return info.st_dev;
}

// The device a folder that may not exist yet will be on: that of its nearest existing ancestor.
std::optional<dev_t> FutureDeviceOf(QString path) {
  for (;;) {
    if (const std::optional<dev_t> device = DeviceOf(path)) return device;
    const QString parent = QFileInfo(path).absolutePath();
    if (parent == path) return std::nullopt;
    path = parent;
  }
}

// The top folder of the mount that holds the folder (the last ancestor on the same device).
QString MountTopOf(const QString& folder, dev_t device) {
  QString top = QFileInfo(folder).absoluteFilePath();
  for (;;) {
    const QString parent = QFileInfo(top).absolutePath();
    if (parent == top || DeviceOf(parent) != device) return top;
    top = parent;
  }
}

bool MakeFolder(const QString& path) {
  if (::mkdir(QFile::encodeName(path).constData(), 0700) == 0 || errno == EEXIST) return QFileInfo(path).isDir();
  return false;
}

// A trash folder with its "files" and "info", created private when missing.
bool MakeTrash(const QString& trash) {
  return MakeFolder(trash) && MakeFolder(trash + "/files") && MakeFolder(trash + "/info");
}

// A volume's shared ".Trash" is used only when the administrator made it: a real folder with the
// sticky bit, so that users cannot remove each other's files.
bool SharedTrashUsable(const QString& shared) {
  struct stat info {};
  if (::lstat(QFile::encodeName(shared).constData(), &info) != 0) return false;
  return S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX) != 0;
}

std::optional<TrashPlace> TrashFor(const QString& file, QString* why) {
  const QString folder = QFileInfo(file).absolutePath();
  const std::optional<dev_t> device = DeviceOf(folder);
  if (!device) {
    *why = QStringLiteral("its folder cannot be read");
    return std::nullopt;
  }
  const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (!dataHome.isEmpty() && FutureDeviceOf(dataHome) == device) {
    const QString trash = dataHome + "/Trash";
    if (QDir().mkpath(dataHome) && MakeTrash(trash)) return TrashPlace{trash, QString()};
    *why = QStringLiteral("the trash %1 cannot be created").arg(trash);
    return std::nullopt;
  }
  const QString top = MountTopOf(folder, *device);
  const QString uid = QString::number(::getuid());
  const QString shared = top + "/.Trash";
  if (SharedTrashUsable(shared) && MakeTrash(shared + "/" + uid)) return TrashPlace{shared + "/" + uid, top};
  const QString own = top + "/.Trash-" + uid;
  if (MakeTrash(own)) return TrashPlace{own, top};
  *why = QStringLiteral("the file system at %1 has no trash that can be used").arg(top);
  return std::nullopt;
}

QString TrashInfoText(const QString& file, const TrashPlace& place) {
  const QString absolute = QFileInfo(file).absoluteFilePath();
  const QString path = place.topDir.isEmpty() ? absolute : QDir(place.topDir).relativeFilePath(absolute);
  return QStringLiteral("[Trash Info]\nPath=%1\nDeletionDate=%2\n")
      .arg(QString::fromLatin1(QUrl::toPercentEncoding(path, "/")),
           QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")));
}

// Claims a name in the trash by creating its info file exclusively; "pacman.ini", then "pacman.2.ini" …
QString ClaimTrashName(const QString& file, const TrashPlace& place) {
  const QFileInfo source(file);
  const QByteArray info = TrashInfoText(file, place).toUtf8();
  for (int n = 1; n < 10000; ++n) {
    const QString name = n == 1 ? source.fileName()
                         : source.suffix().isEmpty()
                             ? QStringLiteral("%1.%2").arg(source.fileName()).arg(n)
                             : QStringLiteral("%1.%2.%3").arg(source.completeBaseName()).arg(n).arg(source.suffix());
    if (QFileInfo::exists(place.trash + "/files/" + name)) continue;
    const QByteArray infoPath = QFile::encodeName(place.trash + "/info/" + name + ".trashinfo");
    const int fd = ::open(infoPath.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return QString();
    }
    const bool written = ::write(fd, info.constData(), static_cast<size_t>(info.size())) == info.size();
    if (::close(fd) != 0 || !written) {
      ::unlink(infoPath.constData());
      return QString();
    }
    return name;
  }
  return QString();
}

}  // namespace

bool RecycleFile(const std::string& path) {
  const QString file = QString::fromStdString(path);
  if (!QFileInfo::exists(file)) {
    return false;
  }
  QString why;
  const std::optional<TrashPlace> place = TrashFor(file, &why);
  if (!place) {
    qWarning("kestrune: %s is not moved to the trash: %s", qPrintable(file), qPrintable(why));
    return false;
  }
  const QString name = ClaimTrashName(file, *place);
  if (name.isEmpty()) {
    qWarning("kestrune: %s is not moved to the trash: no entry can be written in %s", qPrintable(file),
             qPrintable(place->trash + "/info"));
    return false;
  }
  // Only a rename on the same file system: a copy would not be atomic and could leave two halves.
  if (std::rename(QFile::encodeName(file).constData(), QFile::encodeName(place->trash + "/files/" + name).constData()) !=
      0) {
    const int error = errno;
    QFile::remove(place->trash + "/info/" + name + ".trashinfo");
    qWarning("kestrune: cannot move %s to the trash: %s", qPrintable(file), std::strerror(error));
    return false;
  }
  return true;
}

}  // namespace kestrune::platform
