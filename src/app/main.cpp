// Kestrune: one instance at a time and one program on a program folder at a time, its fifteen windows
// created in their fixed order, and the event loop running until the main window closes.
#include <QApplication>
#include <QDir>
#include <csignal>

#include "mainwindow/main_window.h"
#include "mainwindow/program_windows.h"
#include "platform/folder_lock_qt.h"
#include "platform/instance_guard_qt.h"
#include "platform/termination_qt.h"
#include "translation/program_strings_qt.h"
#include "zip/zip_prompter_qt.h"

int main(int argc, char** argv) {
  // Past a file-size limit a write then fails with EFBIG, which every save reports and survives; the
  // signal's default would end the program with the session unsaved. Programs started get it back.
  std::signal(SIGXFSZ, SIG_IGN);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kestrune"));
  QApplication::setQuitOnLastWindowClosed(false);

  kestrune::platform::InstanceGuard guard;
  if (!guard.TryBecomeFirst()) {
    return 0;
  }
  // After the guard, so that the same user's second start still brings the first one forward. Another
  // user's program on this folder is not reached: this one only ends.
  kestrune::platform::FolderLock folderLock(QDir::currentPath());
  if (folderLock.TryTake() == kestrune::platform::FolderLock::Outcome::kUsedByAnother) {
    return 0;
  }

  // The archivers' questions (an artwork entry's password) as dialogs in the user's language.
  kestrune::zip::TZipPrompterQt zipPrompter(&ProgramQTextOf);
  kestrune::zip::InstallZipPrompter(&zipPrompter);
  CreateProgramWindows();
  // Direct: the answer comes back through the signal's argument.
  QObject::connect(&guard, &kestrune::platform::InstanceGuard::ShowRequested, Form1, &TForm1::AnswerSecondStart,
                   Qt::DirectConnection);
  // A termination request (a logout) saves what the session changed and ends without asking anything.
  kestrune::platform::TerminationWatcher termination;
  QObject::connect(&termination, &kestrune::platform::TerminationWatcher::terminationRequested, Form1,
                   &TForm1::Terminate);
  Form1->show();
  const int result = QApplication::exec();
  DestroyProgramWindows();
  kestrune::zip::InstallZipPrompter(nullptr);
  return result;
}
