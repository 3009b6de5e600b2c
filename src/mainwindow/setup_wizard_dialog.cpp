#include "mainwindow/setup_wizard_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDate>
#include <QFileDialog>
#include <QLabel>
#include <QLinearGradient>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <filesystem>
#include <system_error>

#include "catalogue/catalogue_file.h"
#include "catalogue/game_list.h"
#include "catalogue/rom_archive_move.h"
#include "mainwindow/bad_roms_dialog.h"
#include "mainwindow/main_window.h"
#include "mainwindow/program_windows.h"
#include "mainwindow/rom_scan_command_qt.h"
#include "mainwindow/window_frame.h"
#include "platform/process_runner_qt.h"
#include "romscan/scan_work_files.h"
#include "settings/bios_sets.h"
#include "settings/mame_options.h"
#include "settings/option_file_writer.h"
#include "settings/settings_schema.h"
#include "taskdialog/task_dialog_job_qt.h"
#include "translation/program_strings_qt.h"

namespace {

namespace fs = std::filesystem;
namespace cat = kestrune::catalogue;
namespace rs = kestrune::romscan;
namespace set = kestrune::settings;
namespace pt = kestrune::translation;
using kestrune::platform::ProcessRunner;

// The scan names every archive it reads; the label shows at most one name per period.

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QPixmap Banner() {
  QPixmap banner(350, 60);
  QPainter painter(&banner);
  QLinearGradient gradient(0, 0, 350, 60);
  gradient.setColorAt(0, QColor(24, 40, 88));
  gradient.setColorAt(1, QColor(96, 24, 64));
  painter.fillRect(banner.rect(), gradient);
  QFont font = painter.font();
  font.setPointSize(20);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(banner.rect().adjusted(16, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Kestrune"));
  return banner;
}

QString DefaultChooseFile(QWidget* parent, const QString& folder) {
  return QFileDialog::getOpenFileName(parent, ProgramQText(pt::kSWizardChoose), folder,
                                      ProgramQText(pt::kSExecutableFiles));
}

// The wizard has no translator: its captions are program strings, in the language of the moment it opens.
void ShowWizardTexts(QDialog& wizard) {
  wizard.setWindowTitle(ProgramQText(pt::kSWizardTitle));
  wizard.findChild<QLabel*>(QStringLiteral("pre_vordering2"))->setText(ProgramQText(pt::kSWizardStatus));
  wizard.findChild<QCheckBox*>(QStringLiteral("showbadroms"))->setText(ProgramQText(pt::kSWizardShowBadRoms));
  wizard.findChild<QPushButton*>(QStringLiteral("Button1"))->setText(ProgramQText(pt::kSWizardChoose));
  wizard.findChild<QPushButton*>(QStringLiteral("Button2"))->setText(ProgramQText(pt::kSWizardNext));
  wizard.findChild<QPushButton*>(QStringLiteral("exitbutton"))->setText(ProgramQText(pt::kSMsgDlgCancel));
}

// The wizard's texts from the first-run library, in the current language.
std::string WizardTextOf(std::string_view english) { return pt::ProgramTextOf(english); }

}  // namespace

TForm5::TForm5(QWidget* parent) : QDialog(parent) {
  setObjectName("Form5");
  // A fixed single border without system buttons: the wizard is left with its own buttons.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(350, 285);
  CreateControls();
  mameini2_ = new ProcessRunner(this);
  mameini2_->setObjectName(QStringLiteral("mameini2"));
  mameini2_->SetShowState(ProcessRunner::ShowState::Hidden);
  mameini2_->SetPriority(ProcessRunner::Priority::Idle);
  // MAME listing its games works for Kestrune only: it goes when Kestrune goes, killed or not.
  mameini2_->SetEndsWithKestrune(true);
  connect(mameini2_, &ProcessRunner::finished, this, [this](int exitCode, bool crashed) {
    mameRun_.Ended(exitCode, crashed, mameini2_->OutputError().toStdString());
  });
  chooseFile_ = [this](const QString& folder) { return DefaultChooseFile(this, folder); };
}

TForm5::~TForm5() {
  // The worker may be waiting for MAME: it is told to stop before MAME is ended with the runner.
  if (job_) job_->Cancel();
  job_.reset();
}

void TForm5::CreateControls() {
  const auto label = [this](const char* name, QRect place) {
    auto* control = new QLabel(this);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(place);
    control->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return control;
  };
  image1_ = label("Image1", QRect(0, 0, 350, 60));
  image1_->setPixmap(Banner());
  heading_ = label("heading", QRect(8, 64, 334, 20));
  QFont bold = heading_->font();
  bold.setBold(true);
  heading_->setFont(bold);
  // The greeting's text runs down over the status controls, which are hidden until the scan.
  memo1_ = label("memo1", QRect(8, 86, 334, 166));
  memo1_->setWordWrap(true);
  preVordering2_ = label("pre_vordering2", QRect(8, 178, 50, 16));
  vordering2_ = label("vordering2", QRect(60, 178, 285, 49));
  balk3_ = new QProgressBar(this);
  balk3_->setObjectName(QStringLiteral("balk3"));
  balk3_->setGeometry(8, 228, 334, 8);
  balk3_->setTextVisible(false);
  showbadroms_ = new QCheckBox(this);
  showbadroms_->setObjectName(QStringLiteral("showbadroms"));
  showbadroms_->setGeometry(8, 237, 250, 18);
  const auto button = [this](const char* name, int left) {
    auto* control = new QPushButton(this);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(left, 257, 72, 24);
    control->setAutoDefault(false);
    return control;
  };
  button1_ = button("Button1", 122);
  button2_ = button("Button2", 198);
  exitbutton_ = button("exitbutton", 274);
  ShowWizardTexts(*this);
  connect(button1_, &QPushButton::clicked, this, &TForm5::ChooseMameExe);
  connect(button2_, &QPushButton::clicked, this, &TForm5::ScanWizardNext);
  connect(exitbutton_, &QPushButton::clicked, this, &TForm5::reject);
}

void TForm5::Start(TForm1* window) {
  window_ = window;
  frontDir_ = window->FrontDir();
  mameFile_ = window->MameFile();
  std::error_code ec;
  userMameIni_ = fs::exists(fs::path(frontDir_) / "mame.ini", ec);
  FormShow();
  if (qEnvironmentVariable("KESTRUNE_SETUP") == QStringLiteral("unattended")) {
    QTimer::singleShot(0, this, [this] { mameFile_.empty() ? reject() : ScanWizardNext(); });
  }
  if (modalRunner_) {
    modalRunner_(*this);
    return;
  }
  setWindowModality(Qt::ApplicationModal);
  // Shown once the main window's own show is through, over it.
  QTimer::singleShot(0, this, [this] {
    show();
    raise();
    activateWindow();
  });
}

rs::OptionalFiles TForm5::Optionals() const {
  return {window_->HistoryLoaded(), window_->MameInfoLoaded(), window_->CatverPresent(), window_->NPlayersPresent()};
}

void TForm5::FormShow() {
  ShowWizardTexts(*this);
  heading_->setText(ProgramQText(pt::kSWizardWelcome));
  button1_->setEnabled(mameFile_.empty());
  button2_->setEnabled(!mameFile_.empty());
  exitbutton_->setEnabled(true);
  memo1_->setText(FromUtf8(rs::WizardWelcomeText(mameFile_, Optionals(), WizardTextOf)));
  for (QWidget* status : {static_cast<QWidget*>(preVordering2_), static_cast<QWidget*>(vordering2_),
                          static_cast<QWidget*>(balk3_), static_cast<QWidget*>(showbadroms_)}) {
    status->hide();
  }
}

void TForm5::ChooseMameExe() {
  if (!mameFile_.empty() || scanning_) return;
  const QString chosen = chooseFile_(QString::fromStdString(frontDir_));
  if (chosen.isEmpty()) {
    reject();
    return;
  }
  const rs::MameChoiceResult choice = rs::CheckMameChoice(frontDir_, fs::path(chosen.toStdString()));
  if (choice.verdict != rs::MameChoice::accepted) {
    window_->Tell(QMessageBox::NoIcon, ProgramQTextOf(rs::MameChoiceMessage(choice.verdict)));
    return;
  }
  mameFile_ = choice.fileName;
  window_->settings().WriteText(set::kUiSection, "frontdir", frontDir_);
  window_->settings().WriteText(set::kUiSection, "mamefile", mameFile_);
  button2_->setEnabled(true);
  button1_->setEnabled(false);
  memo1_->setText(FromUtf8(rs::WizardChosenText(mameFile_, Optionals(), WizardTextOf)));
}

void TForm5::ScanWizardNext() {
  if (mameFile_.empty() || scanning_) return;
  memo1_->setText(ProgramQText(pt::kSWizardWillScan));
  preVordering2_->show();
  vordering2_->show();
  showbadroms_->show();
  balk3_->hide();
  button2_->setEnabled(false);
  SetBusy(true);
  RunListXmlBatch();
}

void TForm5::SetBusy(bool busy) {
  scanning_ = busy;
  for (QWidget* control : {static_cast<QWidget*>(this), static_cast<QWidget*>(memo1_), static_cast<QWidget*>(balk3_)}) {
    if (busy) {
      control->setCursor(Qt::WaitCursor);
    } else {
      control->unsetCursor();
    }
  }
}

void TForm5::ShowInstruction(const QString& text) {
  // The archive scan is where the bar starts to move; the scan's texts come in the user's language.
  if (text == ProgramQText(pt::kSVerifyingRoms)) {
    balk3_->setRange(0, 100);
    balk3_->setValue(0);
    balk3_->show();
    vordering2_->setText(ProgramQText(pt::kSScanningRoms));
    return;
  }
  vordering2_->setText(text);
}

void TForm5::RunListXmlBatch() {
  vordering2_->setText(ProgramQText(pt::kSGettingInfo));
  rs::RemoveScanFiles(frontDir_);
  const QString frontDir = QString::fromStdString(frontDir_);
  const std::string listFile = frontDir_ + std::string(rs::kListXmlFile);
  std::string listError;
  if (!rs::MakeListFile(listFile, &listError)) {
    ScanFailed(ProgramQTextOf(listError));
    return;
  }
  mameRun_.Start(listFile);
  mameini2_->SetApplication(frontDir + QString::fromStdString(mameFile_));
  mameini2_->SetArguments({QStringLiteral("-listxml")});
  mameini2_->SetCurrentDirectory(frontDir);
  mameini2_->SetOutputFile(QString::fromStdString(listFile));
  QString error;
  if (!mameini2_->Run(&error)) {
    qWarning("kestrune: %s", qUtf8Printable(error));
    rs::RemoveScanFiles(frontDir_);
    ScanFailed(ProgramQText(pt::kSMameNotStarted).arg(error));
    return;
  }
  // MAME has opened roms.dat afresh by now: the worker reads it while MAME writes it.
  job_ = MakeScanPassJob(PassParams(), mameRun_, result_,
                         [](std::string_view text) { return ProgramQTextOf(rs::WizardScanText(text)); });
  connect(job_.get(), &TaskDialogJob::InstructionReported, this, &TForm5::ShowInstruction, Qt::QueuedConnection);
  connect(job_.get(), &TaskDialogJob::ContentReported, vordering2_, &QLabel::setText, Qt::QueuedConnection);
  connect(job_.get(), &TaskDialogJob::ProgressReported, balk3_, &QProgressBar::setValue, Qt::QueuedConnection);
  connect(job_.get(), &TaskDialogJob::Finished, this, &TForm5::PassEnded);
  job_->Start();
}

rs::ScanPassParams TForm5::PassParams() {
  rs::ScanPassParams params;
  params.frontDir = frontDir_;
  // A first run knows no rom path yet: MAME's own "roms" in the program folder.
  params.romFolders = std::vector<std::string>{frontDir_ + "roms/"};
  params.read.writerDone = [this] { return mameRun_.Done(); };
  params.listDone = [this](std::string* error) { return mameRun_.Succeeded(error); };
  params.verify.date = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat).toStdString();
  params.carryCounters = false;
  return params;
}

void TForm5::AbandonScan() {
  if (!job_ && !mameini2_->IsRunning()) return;
  if (job_) job_->Cancel();
  mameini2_->Terminate();  // also what MAME started and left running
  if (job_) job_->Wait();
  job_.reset();
  rs::RemoveScanFiles(frontDir_);
}

void TForm5::PassEnded(bool succeeded, QString message) {
  if (!job_) return;  // abandoned
  // Called from the job's own signal: it goes once the signal has returned.
  const bool cancelled = job_->IsCancelled();
  job_.release()->deleteLater();
  mameini2_->Terminate();
  if (cancelled) {
    succeeded = false;
    message = ProgramQText(pt::kSScanCancelled);
  }
  std::string error;
  if (!succeeded || !SaveScanResult(&error)) {
    rs::RemoveScanFiles(frontDir_);
    ScanFailed(succeeded ? QString::fromStdString(error) : message);
    return;
  }
  SetAsideUserMameIni();
  rs::RemoveScanFiles(frontDir_);
  balk3_->setValue(100);
  vordering2_->setText(ProgramQText(pt::kSScanDone));
  SetBusy(false);
  if (showbadroms_->isChecked() && Form9 != nullptr) {
    Form9->SetBadRoms(std::move(result_.build.badRoms));
    if (modalRunner_) {
      modalRunner_(*Form9);
    } else {
      Form9->setWindowModality(Qt::ApplicationModal);
      Form9->show();
    }
  }
  result_ = rs::ScanPassResult{};
  accept();
}

bool TForm5::SaveScanResult(std::string* error) {
  const std::string roms = result_.build.RomsText();
  cat::Catalogue catalogue;
  catalogue.Assign(std::move(result_.build.lines));
  if (!cat::SaveCatalogue(catalogue, frontDir_, error)) return false;
  set::Settings& settings = window_->settings();
  settings.WriteText(set::kUiSection, "roms", roms);
  if (result_.hasMameBuild) settings.WriteText(set::kUiSection, "mameversion", result_.mameVersionText);
  // The list opens on the games that can be played.
  settings.WriteInt(set::kUiSection, "list", static_cast<int>(cat::ListMode::Available));
  window_->UpdateSupportFileColumns();
  WriteBiosInis();
  return true;
}

void TForm5::WriteBiosInis() {
  const std::string iniDir = window_->settings().ReadText(set::kMameSection, "inidir");
  if (iniDir.empty() || result_.biosSets.empty()) return;
  set::MameOptions options;
  set::ResetMameOptions(options);
  set::ApplyBiosSets(options, result_.biosSets);
  std::error_code ec;
  fs::create_directories(iniDir, ec);
  std::string error;
  if (!set::WriteMissingBiosInis(options, iniDir, &error)) qWarning("kestrune: %s", error.c_str());
}

void TForm5::SetAsideUserMameIni() {
  const fs::path mameIni = fs::path(frontDir_) / "mame.ini";
  std::error_code ec;
  if (!userMameIni_ || !fs::exists(mameIni, ec)) return;
  const fs::path backup = cat::FreeTargetPath(frontDir_, "mame.ini.bak");
  if (!cat::MoveFileNoReplace(mameIni, backup, ec)) {
    qWarning("kestrune: mame.ini could not be set aside as %s: %s", backup.c_str(), ec.message().c_str());
  }
}

void TForm5::ScanFailed(const QString& message) {
  qWarning("kestrune: the first ROM scan failed: %s", qUtf8Printable(message));
  memo1_->setText(ProgramQText(pt::kSWizardScanFailed).arg(message));
  vordering2_->setText(ProgramQText(pt::kSWizardFailed));
  balk3_->hide();
  SetBusy(false);
  button2_->setEnabled(true);
}

void TForm5::CancelScan() {
  if (job_) job_->Cancel();
  // The worker sees MAME's end and stops; PassEnded follows and saves nothing.
  mameini2_->Terminate();
}

void TForm5::reject() {
  if (scanning_) CancelScan();
  QDialog::reject();
}

void TForm5::closeEvent(QCloseEvent* event) {
  if (scanning_) CancelScan();
  for (QWidget* control : {static_cast<QWidget*>(this), static_cast<QWidget*>(memo1_), static_cast<QWidget*>(balk3_)}) {
    control->unsetCursor();
  }
  QDialog::closeEvent(event);
}

void TForm5::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  AskForNoMinimiseOrMaximise(*this);
  CentreOnScreen(*this);
}
