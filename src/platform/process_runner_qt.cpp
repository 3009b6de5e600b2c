#include "platform/process_runner_qt.h"

#include <QEventLoop>

#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>

namespace kestrune::platform {

ProcessRunner::ProcessRunner(QObject* parent) : QObject(parent) {}

ProcessRunner::~ProcessRunner() {
  if (process_ != nullptr && process_->state() != QProcess::NotRunning) {
    // The program outlives nothing of ours: it is ended with us rather than left behind.
    process_->disconnect(this);
    process_->kill();
    process_->waitForFinished(3000);
  }
}

bool ProcessRunner::IsRunning() const { return process_ != nullptr && process_->state() != QProcess::NotRunning; }

bool ProcessRunner::Run(QString* error) {
  if (IsRunning()) {
    if (error != nullptr) *error = QStringLiteral("%1 is still running").arg(application_);
    return false;
  }
  delete process_;
  process_ = new QProcess(this);
  process_->setProgram(application_);
  process_->setArguments(arguments_);
  process_->setWorkingDirectory(currentDirectory_);
  // Shown, the program writes to Kestrune's own terminal; hidden, what it writes is not kept.
  if (showState_ == ShowState::Normal) {
    process_->setProcessChannelMode(outputFile_.isEmpty() ? QProcess::ForwardedChannels
                                                          : QProcess::ForwardedErrorChannel);
  } else {
    process_->setStandardErrorFile(QProcess::nullDevice());
  }
  if (!outputFile_.isEmpty() || showState_ != ShowState::Normal) {
    process_->setStandardOutputFile(outputFile_.isEmpty() ? QProcess::nullDevice() : outputFile_);
  }
  // Redirected, its input is a pipe of ours that WriteLine writes to.
  if (console_ != ConsoleOptions::Redirect) {
    process_->setStandardInputFile(QProcess::nullDevice());
  }
  if (priority_ == Priority::Idle) {
    process_->setChildProcessModifier([] {
      // Runs in the child between fork and exec: only async-signal-safe calls.
      errno = 0;
      [[maybe_unused]] const int ignored = ::nice(19);
    });
  }
  connect(process_, &QProcess::finished, this, &ProcessRunner::OnFinished);
  process_->start(QIODevice::ReadWrite);
  if (!process_->waitForStarted(30000)) {
    if (error != nullptr) *error = QStringLiteral("Cannot start %1: %2").arg(application_, process_->errorString());
    process_->disconnect(this);
    process_->deleteLater();
    process_ = nullptr;
    return false;
  }
  return true;
}

void ProcessRunner::WriteLine(const QString& text) {
  if (!IsRunning() || console_ != ConsoleOptions::Redirect) return;
  process_->write((text + QStringLiteral("\r\n")).toLocal8Bit());
}

void ProcessRunner::Terminate() {
  if (!IsRunning()) return;
  process_->terminate();
  if (!process_->waitForFinished(3000)) process_->kill();
}

void ProcessRunner::OnFinished(int exitCode, QProcess::ExitStatus status) {
  emit finished(exitCode, status != QProcess::NormalExit);
}

int RunAndWait(const QString& application, const QStringList& arguments, const QString& currentDirectory) {
  ProcessRunner runner;
  runner.SetApplication(application);
  runner.SetArguments(arguments);
  runner.SetCurrentDirectory(currentDirectory);
  runner.SetShowState(ProcessRunner::ShowState::Normal);
  runner.SetConsoleOptions(ProcessRunner::ConsoleOptions::OwnerData);
  QEventLoop loop;
  int result = -1;
  QObject::connect(&runner, &ProcessRunner::finished, &loop, [&](int exitCode, bool crashed) {
    result = crashed ? -1 : exitCode;
    loop.quit();
  });
  QString error;
  if (!runner.Run(&error)) {
    qWarning("kestrune: %s", qUtf8Printable(error));
    return -1;
  }
  loop.exec();
  return result;
}

}  // namespace kestrune::platform
