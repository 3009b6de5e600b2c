#include "platform/recycle_qt.h"

#include <QFile>

namespace kestrune::platform {

bool RecycleFile(const std::string& path) {
  const QString file = QString::fromStdString(path);
  if (!QFile::exists(file)) {
    return false;
  }
  if (!QFile::moveToTrash(file)) {
    qWarning("kestrune: cannot move %s to the trash", qPrintable(file));
    return false;
  }
  return true;
}

}  // namespace kestrune::platform
