#pragma once

#include <QLockFile>
#include <QString>

namespace kestrune::platform {

// Keeps two programs from using one program folder at once, whoever started them: two users, or one
// user logged in twice, have two runtime folders, so the single-instance guard does not see the other
// program, and the last one to close would write its settings and game list over the other's. The
// lock is a file in the folder's "ini" folder, beside the files it protects; a lock whose program has
// died is taken over.
class FolderLock {
 public:
  enum class Outcome {
    kTaken,          // this program uses the folder
    kNotNeeded,      // nothing can be written there, so nothing can be lost
    kUsedByAnother,  // another program uses the folder: this one must end without writing anything
  };

  // programFolder: the folder the program was started in.
  explicit FolderLock(const QString& programFolder);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // Takes the lock unless another program holds it. Says on stderr why, when the outcome is not kTaken.
  Outcome TryTake();
  QString LockPath() const { return lock_.fileName(); }

 private:
  // Another user who may write the folder must be able to take over a lock left by a program that died.
  void ShareLikeTheFolder() const;
  void ReportHolder() const;

  QString iniFolder_;
  QLockFile lock_;
};

}  // namespace kestrune::platform
