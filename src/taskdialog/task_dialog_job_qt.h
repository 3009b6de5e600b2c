#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <mutex>

class QThread;
class TTaskDialogEx;

// A long piece of work run on a worker thread while a task dialog stays responsive. The work only
// reports: its instruction, content and progress reach the dialog as queued signals, so every change
// to the window happens on the GUI thread. The work looks at IsCancelled() now and then and stops
// when asked.
class TaskDialogJob : public QObject {
  Q_OBJECT

 public:
  // Runs on the worker thread. It reports through the job and calls Fail() when it cannot finish;
  // an exception it lets escape counts as a failure with the exception's text.
  using Work = std::function<void(TaskDialogJob& job)>;

  explicit TaskDialogJob(Work work, QObject* parent = nullptr);
  // Asks the work to stop and waits for it.
  ~TaskDialogJob() override;

  // Starts the work once; false when it has been started before.
  bool Start();
  void Cancel() { cancelled_ = true; }
  bool IsCancelled() const { return cancelled_; }
  bool IsRunning() const;
  // Blocks until the work has returned (at once when it never started).
  void Wait();

  // For the work, on any thread.
  void ReportInstruction(const QString& text) { emit InstructionReported(text); }
  void ReportContent(const QString& text) { emit ContentReported(text); }
  void ReportProgress(int pos) { emit ProgressReported(pos); }
  void Fail(const QString& message);

 signals:
  void InstructionReported(const QString& text);
  void ContentReported(const QString& text);
  void ProgressReported(int pos);
  // On the GUI thread, once the worker thread has ended; the message is empty on success.
  void Finished(bool succeeded, const QString& message);

 private:
  void Execute();
  void ThreadEnded();

  Work work_;
  QThread* thread_ = nullptr;
  std::atomic<bool> cancelled_{false};
  std::mutex failureMutex_;
  QString failure_;
  bool failed_ = false;
};

// Shows the dialog while the job runs: the job starts once the window exists (after the dialog's
// own created event), button 1 stays disabled until the job has finished, and the job's reports
// become the dialog's instruction, content and progress. Returns the id of the closing button; by
// then the job has ended, asked to stop when the dialog was closed early.
int ShowTaskDialogWithJob(TTaskDialogEx& dialog, TaskDialogJob& job);
