#include "support/program_folder_fixture.h"

#include <QDir>

#include "mainwindow/main_window.h"
#include "mainwindow/program_windows.h"
#include "support/file_util.h"

namespace fs = std::filesystem;

namespace kestrune::test {

void ProgramFolderTest::SetUp() {
  oldFolder_ = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir_.path().string())));
  folder_ = QDir::currentPath().toStdString() + "/";
}

void ProgramFolderTest::TearDown() {
  DestroyProgramWindows();
  QDir::setCurrent(oldFolder_);
}

void ProgramFolderTest::Write(const std::string& name, std::string_view bytes) const {
  fs::create_directories(Path(name).parent_path());
  WriteFileBytes(Path(name), bytes);
}

void ProgramFolderTest::WriteScript(const std::string& name, const std::string& body) const {
  Write(name, "#!/bin/sh\n" + body);
  fs::permissions(Path(name), fs::perms(0755));
}

void ProgramFolderTest::WriteProgram(const std::string& name, bool executable) const {
  WriteScript(name, "exit 0\n");
  if (!executable) fs::permissions(Path(name), fs::perms(0644));
}

void ProgramFolderTest::CreateWindows() {
  CreateProgramWindows();
  Form1->SetMessenger([this](QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons) {
    messages_.push_back({icon, text, buttons});
    return buttons.testFlag(QMessageBox::Yes) ? answer_ : QMessageBox::Ok;
  });
}

void ProgramFolderTest::ShowAndWait() {
  Form1->show();
  ASSERT_TRUE(WaitUntil([] { return Form1->StartupDone(); }, 10000));
  QCoreApplication::processEvents();
}

bool ProgramFolderTest::UseReadOnlyView() {
  // The script's writable folder (the tests' TMPDIR) and where it shows that folder read-only.
  const QString writable = qEnvironmentVariable("KESTRUNE_WRITABLE_FOLDER");
  const QString view = qEnvironmentVariable("KESTRUNE_READ_ONLY_VIEW");
  const QString folder = QString::fromStdString(folder_);
  if (writable.isEmpty() || view.isEmpty() || !folder.startsWith(writable + "/")) return false;
  const QString readOnly = view + folder.mid(writable.size());
  if (!QDir::setCurrent(readOnly)) return false;
  folder_ = readOnly.toStdString();
  return true;
}

std::vector<QString> ProgramFolderTest::MessageTexts() const {
  std::vector<QString> texts;
  for (const Message& message : messages_) texts.push_back(message.text);
  return texts;
}

}  // namespace kestrune::test
