#include "taskdialog/task_dialog_job_qt.h"

#include <QThread>
#include <exception>

#include "taskdialog/task_dialog_qt.h"
#include "translation/program_strings_qt.h"

TaskDialogJob::TaskDialogJob(Work work, QObject* parent) : QObject(parent), work_(std::move(work)) {}

TaskDialogJob::~TaskDialogJob() {
  Cancel();
  Wait();
  delete thread_;
}

bool TaskDialogJob::Start() {
  if (thread_) return false;
  thread_ = QThread::create([this] { Execute(); });
  // Queued to this object's thread, so Finished arrives on the GUI thread after the worker has ended.
  connect(thread_, &QThread::finished, this, &TaskDialogJob::ThreadEnded, Qt::QueuedConnection);
  thread_->start();
  return true;
}

bool TaskDialogJob::IsRunning() const { return thread_ && !thread_->isFinished(); }

void TaskDialogJob::Wait() {
  if (thread_) thread_->wait();
}

void TaskDialogJob::Fail(const QString& message) {
  const std::lock_guard<std::mutex> lock(failureMutex_);
  failed_ = true;
  failure_ = message;
}

void TaskDialogJob::Execute() {
  try {
    work_(*this);
  } catch (const std::exception& e) {
    Fail(QString::fromUtf8(e.what()));
  } catch (...) {
    Fail(ProgramQText(kestrune::translation::kSWorkFailed));
  }
}

void TaskDialogJob::ThreadEnded() {
  bool failed = false;
  QString message;
  {
    const std::lock_guard<std::mutex> lock(failureMutex_);
    failed = failed_;
    message = failure_;
  }
  emit Finished(!failed, message);
}

int ShowTaskDialogWithJob(TTaskDialogEx& dialog, TaskDialogJob& job) {
  const QMetaObject::Connection connections[] = {
      QObject::connect(&job, &TaskDialogJob::InstructionReported, &dialog, &TTaskDialogEx::SetInstruction,
                       Qt::QueuedConnection),
      QObject::connect(&job, &TaskDialogJob::ContentReported, &dialog, &TTaskDialogEx::SetContent,
                       Qt::QueuedConnection),
      QObject::connect(&job, &TaskDialogJob::ProgressReported, &dialog, &TTaskDialogEx::SetProgressPosition,
                       Qt::QueuedConnection),
      QObject::connect(&job, &TaskDialogJob::Finished, &dialog, [&dialog] { dialog.SetButtonEnabled(1, true); }),
  };
  const TTaskDialogEx::TNotifyEvent created = dialog.OnDialogCreated;
  dialog.OnDialogCreated = [&dialog, &job, created](QObject* sender) {
    if (created) created(sender);
    dialog.SetButtonEnabled(1, false);
    job.Start();
  };
  const int result = dialog.ShowTaskDialog();
  dialog.OnDialogCreated = created;
  for (const QMetaObject::Connection& connection : connections) QObject::disconnect(connection);
  job.Cancel();
  job.Wait();
  return result;
}
