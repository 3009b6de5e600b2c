#pragma once

#include <sys/types.h>

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>

// Runs one outside program at a time (MAME, or MAME producing its game list) and tells the GUI thread
// when it has ended. The program is started directly with its arguments: no shell, no batch file. A
// program whose output is redirected leads a process group of its own, which Terminate ends whole.
//
// What the settings mean here: a shown runner lets the program write to Kestrune's own terminal, a
// hidden one sends its output to the null device; a redirecting one gives it a pipe of ours as standard
// input (so a line can be written to it), the other none. Idle priority starts the program at the
// lowest scheduling priority (nice 19), so a long job never slows the desktop.
namespace kestrune::platform {

class GroupWarden;
class OutputCopier;

class ProcessRunner : public QObject {
  Q_OBJECT

 public:
  enum class ShowState { Hidden, Normal };
  enum class ConsoleOptions { Redirect, OwnerData };
  enum class Priority { Normal, Idle };

  explicit ProcessRunner(QObject* parent = nullptr);
  ~ProcessRunner() override;

  void SetApplication(const QString& path) { application_ = path; }
  const QString& Application() const { return application_; }
  void SetArguments(const QStringList& arguments) { arguments_ = arguments; }
  const QStringList& Arguments() const { return arguments_; }
  void SetCurrentDirectory(const QString& folder) { currentDirectory_ = folder; }
  const QString& CurrentDirectory() const { return currentDirectory_; }
  // Kept for the window manager's sake; a program started here names its own windows.
  void SetTitle(const QString& title) { title_ = title; }
  const QString& Title() const { return title_; }
  void SetShowState(ShowState state) { showState_ = state; }
  ShowState GetShowState() const { return showState_; }
  void SetConsoleOptions(ConsoleOptions options) { console_ = options; }
  ConsoleOptions GetConsoleOptions() const { return console_; }
  void SetPriority(Priority priority) { priority_ = priority; }
  // Where the program's standard output goes instead of the null device (MAME's -listxml into
  // roms.dat); empty for none. The runner writes the file itself, so that it knows why a write failed.
  void SetOutputFile(const QString& path) { outputFile_ = path; }
  // Whether the program, and what it starts when it is hidden, must end when Kestrune ends, however
  // Kestrune ends (killed or crashed too): for work done for Kestrune (MAME listing its games), not
  // for a game the user plays. On Linux the program is signalled at the death of the thread that
  // started it, so such a program is started on the program's main thread (elsewhere only the group's
  // warden ends it).
  void SetEndsWithKestrune(bool ends) { endsWithKestrune_ = ends; }

  // Starts the program. False, with the reason in *error, when it cannot be started (then no end
  // signal follows). Only one program runs at a time.
  bool Run(QString* error);
  bool IsRunning() const;
  // Writes the text and CR LF to the program's standard input when it is redirected; otherwise nothing.
  void WriteLine(const QString& text);
  // Ends the program and, when its output is redirected, every process it started, also those still
  // running after it ended (they are asked first, then killed); the program's end signal still
  // follows when it was running.
  void Terminate();
  // After the end signal: empty when all the program wrote reached the output file, else the system's
  // reason why not ("No space left on device").
  const QString& OutputError() const { return outputError_; }

 signals:
  // Once per successful Run, on the GUI thread. crashed: it did not end by itself with an exit code.
  void finished(int exitCode, bool crashed);

 private:
  void OnFinished(int exitCode, QProcess::ExitStatus status);
  bool StartOutput(QString* error);
  void FinishOutput();
  void StartWarden();
  // The group has ended or is ended: its number is forgotten and its warden let go.
  void ForgetGroup();
  // Once the group is empty its number may be given to another program's group.
  void ForgetGroupIfGone();

  QString application_;
  QStringList arguments_;
  QString currentDirectory_;
  QString title_;
  QString outputFile_;
  ShowState showState_ = ShowState::Hidden;
  ConsoleOptions console_ = ConsoleOptions::Redirect;
  Priority priority_ = Priority::Normal;
  bool endsWithKestrune_ = false;
  QProcess* process_ = nullptr;
  std::unique_ptr<OutputCopier> output_;
  QString outputError_;
  // Ends the group when Kestrune is gone before it; kept while group_ is set.
  std::unique_ptr<GroupWarden> warden_;
  // The process group the program leads (its process id) while anything of it runs; 0 for none.
  pid_t group_ = 0;
};

// Runs a program and waits for it while the GUI thread keeps handling its events (an editor opened on
// mame.ini, say). Returns its exit code, or -1 when it cannot be started or did not end by itself.
int RunAndWait(const QString& application, const QStringList& arguments, const QString& currentDirectory);

}  // namespace kestrune::platform
