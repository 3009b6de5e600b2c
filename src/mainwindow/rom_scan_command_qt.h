#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "romscan/scan_pass.h"

class QDialog;
class TForm1;
class TaskDialogJob;
class TTaskDialogEx;

namespace kestrune::platform {
class ProcessRunner;
}

// The main window's "Initialize Roms": MAME writes its game list into roms.dat while a worker thread
// reads it, verifies the rom archives and builds the new catalogue, all shown in the task dialog
// `scannen`; the GUI thread then puts the new catalogue in place of the old one. The old catalogue is
// replaced only when the whole pass succeeded: when MAME cannot be started, fails, or lists no game,
// or anything else goes wrong, the dialog says what happened, its OK button is enabled and the game
// list, its file and its play counters stay as they were. Cancel (or closing the dialog) during the
// scan stops MAME and the worker and closes the dialog; the old catalogue stays, as after a failure.
class RomScanCommand : public QObject {
  Q_OBJECT

 public:
  // Shows a modal dialog and returns its result; tests replace it so that nothing blocks.
  using ModalRunner = std::function<int(QDialog& dialog)>;

  explicit RomScanCommand(TForm1* window);
  ~RomScanCommand() override;

  // The task dialog `scannen`.
  TTaskDialogEx* Dialog() const { return scannen_; }
  // The runner `mameini` that MAME writes its game list with.
  kestrune::platform::ProcessRunner* Runner() const { return mameini_; }
  void SetModalRunner(ModalRunner runner) { modalRunner_ = std::move(runner); }
  // Set when the MAME executable or the rom folder was changed in the preferences.
  void SetRescanPending(bool pending) { rescanPending_ = pending; }
  bool RescanPending() const { return rescanPending_; }
  // Whether a scan is under way (from the start of MAME until the new catalogue is in place).
  bool Scanning() const { return scanning_; }
  // Ends a scan under way as Cancel does, without waiting for the event loop: MAME and the worker are
  // stopped and the scan's files removed; the old catalogue stays.
  void AbandonScan();

  // Setup ▸ Initialize Roms.
  void Initialise1Click();
  // Setup ▸ Preferences: the preferences dialog, then a new scan when its executable or rom folder
  // changed and "Auto re-initialize Roms" is ticked.
  void Interfaceoptions1Click();

 signals:
  // Every instruction the dialog shows, in order.
  void instructionShown(const QString& text);
  // The pass has ended and OK is enabled: replaced tells whether the new catalogue is in place.
  void scanEnded(bool replaced, const QString& message);

 private:
  // Shows `scannen` until the user presses OK, then the bad ROMs dialog when its box was ticked.
  void RunScanDialog();
  void SetUpDialog();
  void ShowDialogTexts();
  void RunListXmlBatch();
  // True when MAME has ended after writing its whole list; otherwise *error says what happened.
  kestrune::romscan::ScanPassParams PassParams();
  void PassEnded(bool succeeded, QString message);
  void CancelScan();
  void PutNewCatalogueInPlace();
  // roms: the value of the settings key "roms" ("good/total").
  void UpdateSettingsAfterScan(const std::string& roms);
  void ShowAvailableSets();
  void ResetFavorites();
  void EndScan(bool replaced, const QString& message);
  void ShowInstruction(const QString& text);
  void ShowBadRoms();
  int RunModal(QDialog& dialog);

  TForm1* window_;
  TTaskDialogEx* scannen_ = nullptr;
  kestrune::platform::ProcessRunner* mameini_ = nullptr;
  std::unique_ptr<TaskDialogJob> job_;
  ModalRunner modalRunner_;
  bool rescanPending_ = false;
  bool scanning_ = false;

  // ScanProgress: written by the worker, read by the dialog's progress event.
  std::atomic<int> scanProgress_{0};
  // How MAME ended; its end flag is set last, so the rest is whole once it reads true.
  kestrune::romscan::MameListRun mameRun_;

  kestrune::romscan::ScanPassResult result_;  // the worker's, read on the GUI thread after it ended
  std::vector<std::string> badRoms_;          // BadRoms of the last pass, for the bad ROMs dialog
};

// The scan pass as a task-dialog job for a MAME run that writes roms.dat meanwhile: the pass's
// instruction, its content (at most every 50 ms, as contentText words it) and, unless the params
// already take it, its progress are reported to the dialog; when the pass fails because MAME failed, MAME's own failure is the reason given.
std::unique_ptr<TaskDialogJob> MakeScanPassJob(kestrune::romscan::ScanPassParams params,
                                               const kestrune::romscan::MameListRun& mameRun,
                                               kestrune::romscan::ScanPassResult& result,
                                               std::function<QString(std::string_view)> contentText);
