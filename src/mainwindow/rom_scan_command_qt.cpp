#include "mainwindow/rom_scan_command_qt.h"

#include <QAction>
#include <QCheckBox>
#include <QDate>
#include <QDialog>
#include <QLineEdit>
#include <QLocale>
#include <chrono>

#include "catalogue/articles.h"
#include "catalogue/catalogue_file.h"
#include "mainwindow/bad_roms_dialog.h"
#include "mainwindow/game_list_controller.h"
#include "mainwindow/main_window.h"
#include "mainwindow/preferences_dialog.h"
#include "mainwindow/program_windows.h"
#include "mainwindow/toolbar_images.h"
#include "platform/process_runner_qt.h"
#include "romscan/rom_path.h"
#include "romscan/scan_work_files.h"
#include "settings/bios_sets.h"
#include "settings/mame_options.h"
#include "settings/option_file_writer.h"
#include "settings/settings_schema.h"
#include "taskdialog/task_dialog_job_qt.h"
#include "taskdialog/task_dialog_qt.h"
#include "translation/program_strings_qt.h"

namespace {

namespace cat = kestrune::catalogue;
namespace rs = kestrune::romscan;
namespace set = kestrune::settings;
namespace kt = kestrune::taskdialog;
using kestrune::platform::ProcessRunner;

// The dialog's OK button (its common button's id) and the id ShowTaskDialog returns for Cancel.
constexpr int kOkButton = 1;
constexpr int kCancelResult = 2;
// The content of the dialog before and after the archive scan: four blank lines.
const QString kBlankContent = QStringLiteral(" \r \r \r ");
// The scan names every archive it reads; the dialog shows at most one name per period.
constexpr auto kContentPeriod = std::chrono::milliseconds(50);

bool PreferenceTicked(const char* box, bool otherwise) {
  return Form4 != nullptr ? Form4->CheckBox(box)->isChecked() : otherwise;
}

std::string TodayShortDate() {
  return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat).toStdString();
}

// What of the preferences decides whether MAME must list its games again.
struct ScanInputs {
  std::string mameFile;
  std::string romPath;
  bool operator==(const ScanInputs&) const = default;
};

ScanInputs CurrentScanInputs(TForm1& window) {
  ScanInputs inputs{window.settings().ReadText(set::kUiSection, "mamefile"), std::string()};
  std::string ignored;
  rs::ReadRomPath(window.FrontDir() + "mame.ini", inputs.romPath, &ignored);
  return inputs;
}

}  // namespace

RomScanCommand::RomScanCommand(TForm1* window) : QObject(window), window_(window) {
  setObjectName(QStringLiteral("RomScanCommand"));
  mameini_ = new ProcessRunner(this);
  mameini_->setObjectName(QStringLiteral("mameini"));
  mameini_->SetShowState(ProcessRunner::ShowState::Hidden);
  mameini_->SetPriority(ProcessRunner::Priority::Idle);
  // MAME listing its games works for Kestrune only: it goes when Kestrune goes, killed or not.
  mameini_->SetEndsWithKestrune(true);
  connect(mameini_, &ProcessRunner::finished, this, [this](int exitCode, bool crashed) {
    mameRun_.Ended(exitCode, crashed, mameini_->OutputError().toStdString());
  });
  scannen_ = new TTaskDialogEx(window);
  scannen_->setObjectName(QStringLiteral("scannen"));
  SetUpDialog();
}

RomScanCommand::~RomScanCommand() {
  // The worker may be waiting for MAME: it is told to stop before MAME is ended with the runner.
  if (job_) job_->Cancel();
  job_.reset();
}

void RomScanCommand::SetUpDialog() {
  ShowDialogTexts();
  scannen_->SetOptions({kt::doProgressBar});
  scannen_->SetCommonButtons({kt::cbOK, kt::cbCancel});
  scannen_->SetDialogPosition(kt::dpOwnerFormCenter);
  scannen_->SetApplicationIsParent(true);
  if (window_->Images() != nullptr) scannen_->SetCustomIcon(window_->Images()->Image(ToolbarImages::kFilterRoms));
  scannen_->SetInstruction(QStringLiteral(" "));
  scannen_->OnDialogCreated = [this](QObject*) { RunListXmlBatch(); };
  scannen_->OnDialogProgress = [this](QObject*, int& pos, kt::TTaskDialogProgressState&) { pos = scanProgress_; };
  scannen_->OnDialogClose = [this](QObject*, bool&) {
    // OK is disabled while the scan runs: a close then is Cancel or the window's close box.
    if (scanning_) CancelScan();
    // The history and mameinfo texts follow the game selected in the new list.
    emit window_->gameList()->selectedGameChanged();
  };
}

// The dialog's own texts, in the language chosen when it opens.
void RomScanCommand::ShowDialogTexts() {
  scannen_->SetTitle(ProgramQText(kestrune::translation::kSScanTitle));
  scannen_->SetVerificationText(ProgramQText(kestrune::translation::kSShowBadRoms));
}

int RomScanCommand::RunModal(QDialog& dialog) { return modalRunner_ ? modalRunner_(dialog) : dialog.exec(); }

void RomScanCommand::Initialise1Click() {
  if (scanning_) return;
  if (window_->MameFile().empty()) {
    window_->Tell(QMessageBox::Warning, ProgramQText(kestrune::translation::kSNoMameBinaryScan));
    return;
  }
  RunScanDialog();
}

void RomScanCommand::Interfaceoptions1Click() {
  if (Form4 == nullptr || scanning_) return;
  const ScanInputs before = CurrentScanInputs(*window_);
  RunModal(*Form4);
  const bool changed = rescanPending_ || Form4->RescanPending() || !(CurrentScanInputs(*window_) == before);
  rescanPending_ = false;
  Form4->SetRescanPending(false);
  if (changed && PreferenceTicked("reinitialise", true)) RunScanDialog();
}

void RomScanCommand::RunScanDialog() {
  ShowDialogTexts();
  scannen_->SetContent(kBlankContent);
  scanProgress_ = 0;
  badRoms_.clear();
  if (scannen_->ShowTaskDialog() != kCancelResult && scannen_->VerifyResult()) ShowBadRoms();
  badRoms_.clear();
}

void RomScanCommand::ShowBadRoms() {
  if (Form9 == nullptr) return;
  Form9->SetBadRoms(badRoms_);
  RunModal(*Form9);
}

void RomScanCommand::ShowInstruction(const QString& text) {
  scannen_->SetInstruction(text);
  emit instructionShown(text);
}

void RomScanCommand::RunListXmlBatch() {
  scanning_ = true;
  rs::RemoveScanFiles(window_->FrontDir());
  scannen_->SetButtonEnabled(kOkButton, false);
  scannen_->SetProgressBarMax(100);
  ShowInstruction(ProgramQText(kestrune::translation::kSGettingInfo));
  const QString frontDir = QString::fromStdString(window_->FrontDir());
  const std::string listFile = window_->FrontDir() + std::string(rs::kListXmlFile);
  std::string listError;
  if (!rs::MakeListFile(listFile, &listError)) {
    qWarning("kestrune: %s", listError.c_str());
    EndScan(false, ProgramQTextOf(listError));
    return;
  }
  mameRun_.Start(listFile);
  mameini_->SetApplication(frontDir + QString::fromStdString(window_->MameFile()));
  mameini_->SetArguments({QStringLiteral("-listxml")});
  mameini_->SetCurrentDirectory(frontDir);
  mameini_->SetOutputFile(QString::fromStdString(listFile));
  QString error;
  if (!mameini_->Run(&error)) {
    qWarning("kestrune: %s", qUtf8Printable(error));
    rs::RemoveScanFiles(window_->FrontDir());
    EndScan(false, ProgramQText(kestrune::translation::kSMameNotStarted).arg(error));
    return;
  }
  // MAME has opened roms.dat afresh by now: the worker reads it while MAME writes it.
  job_ = MakeScanPassJob(PassParams(), mameRun_, result_, ProgramQTextOf);
  connect(job_.get(), &TaskDialogJob::InstructionReported, this, &RomScanCommand::ShowInstruction,
          Qt::QueuedConnection);
  connect(job_.get(), &TaskDialogJob::ContentReported, scannen_, &TTaskDialogEx::SetContent, Qt::QueuedConnection);
  connect(job_.get(), &TaskDialogJob::Finished, this, &RomScanCommand::PassEnded);
  job_->Start();
}

rs::ScanPassParams RomScanCommand::PassParams() {
  rs::ScanPassParams params;
  params.frontDir = window_->FrontDir();
  params.read.writerDone = [this] { return mameRun_.Done(); };
  params.listDone = [this](std::string* error) { return mameRun_.Succeeded(error); };
  params.verify.date = TodayShortDate();
  params.verify.observer.progress = [this](int pos) { scanProgress_ = pos; };
  params.playedLines = rs::CollectPlayedLines(window_->catalogue().Lines());
  params.carryCounters = !PreferenceTicked("keepcounters", false);
  return params;
}

void RomScanCommand::AbandonScan() {
  if (!scanning_) return;
  if (job_) job_->Cancel();
  mameini_->Terminate();  // also what MAME started and left running
  if (job_) job_->Wait();
  job_.reset();
  scanning_ = false;
  rs::RemoveScanFiles(window_->FrontDir());
}

void RomScanCommand::PassEnded(bool succeeded, QString message) {
  if (!job_) return;  // abandoned
  // Called from the job's own signal: it goes once the signal has returned.
  const bool cancelled = job_->IsCancelled();
  job_.release()->deleteLater();
  // A worker that gave up early must not leave MAME, or what a MAME script started, writing on.
  mameini_->Terminate();
  // A pass that ended well just as Cancel was pressed is not used either.
  if (cancelled) {
    succeeded = false;
    message = ProgramQText(kestrune::translation::kSScanCancelled);
  }
  if (!succeeded) {
    qWarning("kestrune: the ROM scan failed: %s", qUtf8Printable(message));
    rs::RemoveScanFiles(window_->FrontDir());
    EndScan(false, message);
    return;
  }
  PutNewCatalogueInPlace();
  EndScan(true, QString());
}

void RomScanCommand::CancelScan() {
  if (job_) job_->Cancel();
  // The worker sees MAME's end and stops reading; PassEnded follows and leaves the old catalogue.
  mameini_->Terminate();
}

void RomScanCommand::PutNewCatalogueInPlace() {
  const std::string roms = result_.build.RomsText();
  cat::Catalogue catalogue;
  catalogue.Assign(std::move(result_.build.lines));
  QAction* noThePrefix = window_->gameList()->Action(QStringLiteral("he1"));
  if (noThePrefix != nullptr && noThePrefix->isChecked()) cat::TheSuffixAll(catalogue);
  window_->ReplaceCatalogue(std::move(catalogue));
  badRoms_ = std::move(result_.build.badRoms);
  std::string error;
  // The new catalogue is on disk at once: the old file was kept whole until now.
  if (!cat::SaveCatalogue(window_->catalogue(), window_->FrontDir(), &error)) {
    qWarning("kestrune: %s", error.c_str());
  }
  UpdateSettingsAfterScan(roms);
  // The new list has categories and player counts when their files were added since the start.
  window_->UpdateSupportFileColumns();
  rs::RemoveScanFiles(window_->FrontDir());
  if (PreferenceTicked("keepfavorites", false)) ResetFavorites();
  ShowAvailableSets();
}

void RomScanCommand::UpdateSettingsAfterScan(const std::string& roms) {
  set::Settings& settings = window_->settings();
  settings.WriteText(set::kUiSection, "roms", roms);
  if (result_.hasMameBuild) settings.WriteText(set::kUiSection, "mameversion", result_.mameVersionText);
  window_->gameList()->SetRomsText(QString::fromStdString(roms));
  window_->gameList()->SetMameVersionText(QString::fromStdString(result_.mameVersionText));
  // The BIOS files still missing offer the sets the installed MAME has.
  const std::string& iniDir = window_->GetFolders().ini;
  if (iniDir.empty() || result_.biosSets.empty()) return;
  set::MameOptions options;
  set::ResetMameOptions(options);
  set::ApplyBiosSets(options, result_.biosSets);
  std::string error;
  if (!set::WriteMissingBiosInis(options, iniDir, &error)) qWarning("kestrune: %s", error.c_str());
}

void RomScanCommand::ResetFavorites() {
  window_->settings().Ini().EraseSection(set::kFavoritesSection);
  // The list's favourites items follow the settings it is given.
  window_->gameList()->SetSettings(&window_->settings());
}

void RomScanCommand::ShowAvailableSets() {
  GameListController& list = *window_->gameList();
  list.SearchBox()->clear();
  list.ClearIconIndexes();
  if (list.Mode() == cat::ListMode::Available) {
    list.BuildGameList();
  } else {
    list.ShowAvailableGames();
  }
  list.SetViewStyle(ViewStyle::Details);
  if (list.List().GameCount() > 0) list.View()->SelectRow(0);
  emit list.selectedGameChanged();
}

void RomScanCommand::EndScan(bool replaced, const QString& message) {
  scanning_ = false;
  if (replaced) {
    scanProgress_ = 100;
    scannen_->SetProgressPosition(100);
    ShowInstruction(ProgramQText(kestrune::translation::kSScanDone));
    scannen_->SetContent(kBlankContent);
  } else {
    ShowInstruction(ProgramQText(kestrune::translation::kSScanFailed));
    scannen_->SetContent(message + ProgramQText(kestrune::translation::kSGameListKept));
  }
  scannen_->SetButtonEnabled(kOkButton, true);
  emit scanEnded(replaced, message);
}

std::unique_ptr<TaskDialogJob> MakeScanPassJob(rs::ScanPassParams params, const rs::MameListRun& mameRun,
                                               rs::ScanPassResult& result,
                                               std::function<QString(std::string_view)> contentText) {
  return std::make_unique<TaskDialogJob>(
      [params = std::move(params), &mameRun, &result, contentText = std::move(contentText)](TaskDialogJob& job) mutable {
        params.read.cancelled = [&job] { return job.IsCancelled(); };
        rs::RomScanObserver& observer = params.verify.observer;
        observer.instruction = [&job](std::string_view text) { job.ReportInstruction(ProgramQTextOf(text)); };
        auto lastContent = std::chrono::steady_clock::time_point{};
        observer.content = [&job, &contentText, lastContent](std::string_view text) mutable {
          const auto now = std::chrono::steady_clock::now();
          if (now - lastContent < kContentPeriod) return;
          lastContent = now;
          job.ReportContent(contentText(text));
        };
        if (!observer.progress) observer.progress = [&job](int pos) { job.ReportProgress(pos); };
        std::string error;
        if (RunScanPass(params, result, &error)) return;
        // A list that MAME cut short reads as incomplete; MAME's own failure says more.
        std::string mameError;
        if (mameRun.Done() && !mameRun.Succeeded(&mameError)) error = mameError;
        job.Fail(ProgramQTextOf(error));
      });
}
