#include "taskdialog/task_dialog_job_qt.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <atomic>
#include <stdexcept>

#include "shown_dialog.h"

namespace {

using namespace kestrune::taskdialog;

TTaskDialogEx* NewScanDialog(QObject* owner) {
  auto* dialog = new TTaskDialogEx(owner);
  dialog->SetTitle("Initializing Roms");
  dialog->SetCommonButtons({cbOK});
  dialog->SetOptions({doProgressBar});
  return dialog;
}

TEST(TaskDialogJob, ReportsReachTheDialogWhileItsEventLoopRuns) {
  QObject owner;
  TTaskDialogEx& dialog = *NewScanDialog(&owner);
  std::atomic<int> ticks{0};
  dialog.OnDialogTimer = [&](QObject*) { ++ticks; };
  QThread* worker = nullptr;
  TaskDialogJob job([&](TaskDialogJob& self) {
    worker = QThread::currentThread();
    self.ReportInstruction("Reading the game list");
    for (int pos = 0; pos <= 60; pos += 20) self.ReportProgress(pos);
    // The dialog's timer keeps ticking while the work runs: its loop is not blocked.
    while (ticks < 3 && !self.IsCancelled()) QThread::msleep(5);
    self.ReportContent("45294 machines");
    self.ReportProgress(100);
  });
  const int result = RunShown(
      dialog,
      [&](TTaskMessageForm& form) {
        QAbstractButton* ok = form.findChild<QAbstractButton*>("OK");
        EXPECT_TRUE(WaitUntil([&] { return ok->isEnabled(); }));
        EXPECT_EQ(form.ProgressBar()->value(), 100);
        EXPECT_EQ(form.findChild<QLabel*>("Instr")->text(), "Reading the game list");
        EXPECT_EQ(dialog.Content(), "45294 machines");
        EXPECT_FALSE(form.ContentRect().isEmpty());
        ok->click();
      },
      [&] { return ShowTaskDialogWithJob(dialog, job); });
  EXPECT_EQ(result, 1);
  EXPECT_GE(ticks, 3);
  EXPECT_NE(worker, QThread::currentThread());
  EXPECT_FALSE(job.IsRunning());
}

TEST(TaskDialogJob, CloseRequestsMidRunAreRefusedOrStopTheJob) {
  QObject owner;
  TTaskDialogEx& dialog = *NewScanDialog(&owner);
  dialog.SetCustomButtons({"Stop"});
  std::atomic<bool> sawCancel{false};
  TaskDialogJob job([&](TaskDialogJob& self) {
    for (int pos = 0; !self.IsCancelled(); pos = (pos + 1) % 100) {
      self.ReportProgress(pos);
      self.ReportContent(QString::number(pos));
      QThread::msleep(1);
    }
    sawCancel = true;
  });
  bool finished = false;
  QObject::connect(&job, &TaskDialogJob::Finished, [&] { finished = true; });
  const int result = RunShown(
      dialog,
      [&](TTaskMessageForm& form) {
        EXPECT_TRUE(WaitUntil([&] { return form.ProgressBar()->value() > 0; }));
        form.close();
        form.reject();
        EXPECT_TRUE(form.isVisible());
        form.findChild<QAbstractButton*>("Button0")->click();
      },
      [&] { return ShowTaskDialogWithJob(dialog, job); });
  EXPECT_EQ(result, 100);
  EXPECT_TRUE(sawCancel);
  EXPECT_FALSE(job.IsRunning());
  // Reports still queued from the stopped work land on a closed dialog and change nothing.
  EXPECT_TRUE(WaitUntil([&] { return finished; }));
  EXPECT_EQ(dialog.MessageForm(), nullptr);
}

TEST(TaskDialogJob, AFailureIsReportedNotSwallowed) {
  TaskDialogJob job([](TaskDialogJob&) { throw std::runtime_error("roms.dat is empty"); });
  QString message = "none";
  bool succeeded = true;
  QObject::connect(&job, &TaskDialogJob::Finished, [&](bool ok, const QString& text) {
    succeeded = ok;
    message = text;
  });
  EXPECT_TRUE(job.Start());
  EXPECT_FALSE(job.Start());
  EXPECT_TRUE(WaitUntil([&] { return message != "none"; }));
  EXPECT_FALSE(succeeded);
  EXPECT_EQ(message, "roms.dat is empty");
}

}  // namespace
