#include "platform/process_runner_qt.h"

#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QThread>
#include <cerrno>
#include <csignal>

#include "platform/group_warden.h"
#include "platform/output_copier.h"

namespace kestrune::platform {
namespace {

// How long an ended program and what it started are given to go after they were asked to.
constexpr int kEndWaitMs = 3000;

// Whether any process of the group is left, looking until the deadline. A process that has ended
// but is not yet reaped by its parent still counts; its parent (our program, or init) reaps it soon.
bool GroupLeft(pid_t group, const QDeadlineTimer& deadline) {
  while (!ProcessGroupGone(group)) {
    if (deadline.hasExpired()) return true;
    QThread::msleep(10);
  }
  return false;
}

}  // namespace

ProcessRunner::ProcessRunner(QObject* parent) : QObject(parent) {}

ProcessRunner::~ProcessRunner() {
  // The program and whatever it started outlive nothing of ours: they are ended with us rather
  // than left behind. Its group is ended only while the program runs, when its number is surely ours.
  if (process_ != nullptr) process_->disconnect(this);
  if (IsRunning()) {
    if (group_ > 0) ::kill(-group_, SIGKILL);
    process_->kill();
    process_->waitForFinished(kEndWaitMs);
  }
  FinishOutput();
  // A warden still kept ends what the program left running, in its own time: unless released, it
  // does so as this runner's end closes its socket.
  ForgetGroupIfGone();
}

bool ProcessRunner::IsRunning() const { return process_ != nullptr && process_->state() != QProcess::NotRunning; }

bool ProcessRunner::Run(QString* error) {
  if (IsRunning()) {
    if (error != nullptr) *error = QStringLiteral("%1 is still running").arg(application_);
    return false;
  }
  // What the last program started and left running is ended before its group is forgotten.
  if (group_ > 0) Terminate();
  ForgetGroup();
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
  // The output file gets what the copy writes; the program itself writes into the copy's pipe.
  if (!outputFile_.isEmpty() || showState_ != ShowState::Normal) {
    process_->setStandardOutputFile(QProcess::nullDevice());
  }
  // Redirected, its input is a pipe of ours that WriteLine writes to.
  if (console_ != ConsoleOptions::Redirect) {
    process_->setStandardInputFile(QProcess::nullDevice());
  }
  if (!StartOutput(error)) {
    delete process_;
    process_ = nullptr;
    return false;
  }
  const bool ownGroup = showState_ != ShowState::Normal;
  if (endsWithKestrune_ && ownGroup) StartWarden();
  const bool idle = priority_ == Priority::Idle;
  const int output = output_ ? output_->ProgramEnd() : -1;
  const int warden = warden_ ? warden_->LeaderSocket() : -1;
  // The death signal comes when the thread that started the program ends, not the process: only the
  // main thread's end is Kestrune's.
  const pid_t parent = ::getpid();
  const bool deathSignal = endsWithKestrune_ && ::gettid() == parent;
  process_->setChildProcessModifier([idle, ownGroup, output, warden, deathSignal, parent] {
    // Runs in the child between fork and exec: only async-signal-safe calls. A hidden program, kept off
    // the terminal, leads a group of its own, so that ending it ends whatever it started too (a script's
    // MAME); a shown one stays in Kestrune's group, where the terminal lets it read and write.
    if (ownGroup) ::setpgid(0, 0);
    if (output >= 0) ::dup2(output, STDOUT_FILENO);
    if (warden >= 0) GroupWarden::TellGroupOfCaller(warden);
    if (deathSignal) {
      ::prctl(PR_SET_PDEATHSIG, SIGKILL);
      // Kestrune may have died before the signal was asked for: then nothing would ever come.
      if (::getppid() != parent) ::_exit(127);
    }
    // Kestrune ignores a file-size limit's signal for itself only.
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    ::sigaction(SIGXFSZ, &byDefault, nullptr);
    if (idle) {
      errno = 0;
      [[maybe_unused]] const int ignored = ::nice(19);
    }
  });
  connect(process_, &QProcess::finished, this, &ProcessRunner::OnFinished);
  group_ = 0;
  process_->start(QIODevice::ReadWrite);
  if (!process_->waitForStarted(30000)) {
    if (error != nullptr) *error = QStringLiteral("Cannot start %1: %2").arg(application_, process_->errorString());
    process_->disconnect(this);
    process_->deleteLater();
    process_ = nullptr;
    FinishOutput();
    ForgetGroup();
    return false;
  }
  if (output_) output_->ProgramStarted();
  if (ownGroup) group_ = static_cast<pid_t>(process_->processId());
  return true;
}

bool ProcessRunner::StartOutput(QString* error) {
  outputError_.clear();
  if (outputFile_.isEmpty()) return true;
  output_ = std::make_unique<OutputCopier>();
  std::string why;
  if (output_->Open(QFile::encodeName(outputFile_).toStdString(), &why)) return true;
  output_.reset();
  if (error != nullptr) *error = QStringLiteral("Cannot start %1: %2").arg(application_, QString::fromStdString(why));
  return false;
}

// Called once the program has ended: its output is then whole in the file before the end is told.
void ProcessRunner::FinishOutput() {
  if (!output_) return;
  output_->Finish();
  outputError_ = QString::fromStdString(output_->WriteError());
  output_.reset();
}

void ProcessRunner::StartWarden() {
  warden_ = std::make_unique<GroupWarden>();
  std::string why;
  if (warden_->Start(&why)) return;
  // The program still ends with Kestrune's main thread; only what it starts may be left behind.
  qWarning("kestrune: %s", why.c_str());
  warden_.reset();
}

void ProcessRunner::ForgetGroupIfGone() {
  if (group_ > 0 && ProcessGroupGone(group_)) ForgetGroup();
}

void ProcessRunner::ForgetGroup() {
  group_ = 0;
  if (warden_) warden_->Release();
  warden_.reset();
}

void ProcessRunner::WriteLine(const QString& text) {
  if (!IsRunning() || console_ != ConsoleOptions::Redirect) return;
  process_->write((text + QStringLiteral("\r\n")).toLocal8Bit());
}

void ProcessRunner::Terminate() {
  // The end signal, sent while waiting here, forgets the group: it is taken first.
  const pid_t group = group_;
  group_ = 0;
  if (group <= 0 && !IsRunning()) return;
  const QDeadlineTimer deadline(kEndWaitMs);
  if (group > 0) {
    ::kill(-group, SIGTERM);
  } else {
    process_->terminate();
  }
  if (IsRunning()) process_->waitForFinished(static_cast<int>(deadline.remainingTime()));
  if (group > 0 && GroupLeft(group, deadline)) ::kill(-group, SIGKILL);
  if (IsRunning()) {
    process_->kill();
    if (!process_->waitForFinished(kEndWaitMs)) qWarning("kestrune: %s did not end", qUtf8Printable(application_));
  }
  ForgetGroup();
}

void ProcessRunner::OnFinished(int exitCode, QProcess::ExitStatus status) {
  // Once the group is empty its number may be given to another program's group: it is forgotten.
  // While something the program started still runs, the number stays taken and Terminate ends it.
  ForgetGroupIfGone();
  FinishOutput();
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
