#include "mainwindow/mame_launcher.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTimer>
#include <filesystem>
#include <system_error>
#include <utility>

#include "catalogue/catalogue_file.h"
#include "mainwindow/artwork_panes.h"
#include "mainwindow/game_list_controller.h"
#include "mainwindow/game_list_model.h"
#include "mainwindow/main_window.h"
#include "mainwindow/preferences_dialog.h"
#include "mainwindow/program_windows.h"
#include "settings/mame_options.h"
#include "translation/program_strings_qt.h"

namespace cat = kestrune::catalogue;
using kestrune::platform::ProcessRunner;

namespace {

bool Checked(const char* box) { return Form4 != nullptr && Form4->CheckBox(box)->isChecked(); }

}  // namespace

QString MameExitText(int exitCode) {
  // MAME's own exit codes.
  switch (exitCode) {
    case 0:
      return QString();
    case 2:
      return ProgramQText(kestrune::translation::kSMameFilesMissing);
    case 3:
      return ProgramQText(kestrune::translation::kSMameFatalError);
    case 4:
      return ProgramQText(kestrune::translation::kSMameDeviceFailed);
    case 5:
      return ProgramQText(kestrune::translation::kSMameUnknownGame);
    case 6:
      return ProgramQText(kestrune::translation::kSMameInvalidOptions);
    case 7:
      return ProgramQText(kestrune::translation::kSMameUnusableFiles);
    default:
      return ProgramQText(kestrune::translation::kSMameExitCode).arg(exitCode);
  }
}

MameLauncher::MameLauncher(TForm1* window) : QObject(window), window_(window) {
  connect(&runner_, &ProcessRunner::finished, this, &MameLauncher::MameTerminate);
}

bool MameLauncher::CheckMameFile() {
  if (!window_->MameFile().empty()) return true;
  window_->Tell(QMessageBox::Warning, ProgramQText(kestrune::translation::kSNoMameBinary));
  return false;
}

bool MameLauncher::SelectedGame(cat::Tgameinfo& record) {
  const int row = window_->gameList()->View()->SelectedRow();
  if (row < 0) return false;
  record = window_->gameList()->List().Record(row);
  if (!cat::IsMameSetName(record.romname)) {
    window_->Tell(QMessageBox::Warning,
                  ProgramQText(kestrune::translation::kSCannotStartSet).arg(QString::fromStdString(record.romname)));
    return false;
  }
  return true;
}

// With no video, what MAME writes is all it shows, so it goes to the terminal and MAME keeps its input;
// a windowed game and "Show Commandline" show it too, a full-screen game hides it.
void MameLauncher::SetConsoleFor(const cat::Tgameinfo& game) {
  const bool showCommand = Checked("showcommand");
  const bool noVideo = PlaysWithoutVideo(game);
  runner_.SetConsoleOptions(showCommand || noVideo ? ProcessRunner::ConsoleOptions::OwnerData
                                                   : ProcessRunner::ConsoleOptions::Redirect);
  const cat::WindowOption window = cat::ReadWindowOption(window_->GetFolders().ini, window_->FrontDir(), game);
  const bool shown = window == cat::WindowOption::Windowed || showCommand || noVideo;
  runner_.SetShowState(shown ? ProcessRunner::ShowState::Normal : ProcessRunner::ShowState::Hidden);
}

// While MAME runs, its play's record is the one counted when it ends: a second start would put another
// game's record in its place (the window stays hidden while MAME runs, even at a second start of the program,
// but the refusal does not rely on that).
bool MameLauncher::RefusedWhileRunning() {
  if (!IsRunning()) return false;
  window_->Tell(QMessageBox::Warning,
                ProgramQText(kestrune::translation::kSMameStillRunning).arg(QString::fromStdString(playing_.romname)));
  return true;
}

void MameLauncher::PlayGame() {
  // A record command arms this start only: one refused or failed must not record a later play.
  const cat::PlayKind kind = std::exchange(recordNext_, false) ? cat::PlayKind::Record : cat::PlayKind::Play;
  if (RefusedWhileRunning()) return;
  playbackRunning_ = false;
  if (!CheckMameFile()) return;
  cat::Tgameinfo record;
  if (!SelectedGame(record)) return;
  SetConsoleFor(record);
  window_->CycleTimer()->stop();
  if (window_->Panes() != nullptr) window_->Panes()->StopMovie();
  playing_ = record;
  if (!Start(kind, record.romname)) return;
  cat::CountStart(playing_);
  // The row's state, beside its icon: the game has an input recording now.
  if (kind == cat::PlayKind::Record) {
    window_->gameList()->Model()->SetFileState(record.romname, GameListModel::kRecordingState);
  }
}

void MameLauncher::PlaybackGame() {
  if (RefusedWhileRunning()) return;
  if (!CheckMameFile()) return;
  cat::Tgameinfo record;
  if (!SelectedGame(record)) return;
  const std::filesystem::path inp = cat::FindSetFile(window_->GetFolders().inp, record.romname + ".inp");
  if (inp.empty()) return;
  SetConsoleFor(record);
  playbackRunning_ = true;
  playing_ = record;
  Start(cat::PlayKind::Playback, record.romname, inp.filename().string());
}

bool MameLauncher::Start(cat::PlayKind kind, const std::string& romname, const std::string& recording) {
  const std::string extra =
      Form4 != nullptr ? Form4->Edit("commandline")->text().toUtf8().toStdString() : std::string();
  QStringList arguments;
  for (const std::string& argument :
       cat::MameArguments(kind, romname, extra, window_->FrontDir(), window_->GetFolders().ini, recording)) {
    arguments.append(QString::fromStdString(argument));
  }
  runner_.SetApplication(QString::fromStdString(window_->FrontDir() + window_->MameFile()));
  runner_.SetArguments(arguments);
  runner_.SetCurrentDirectory(QString::fromStdString(window_->FrontDir()));
  runner_.SetTitle(QString::fromStdString(romname));
  window_->hide();
  playStart_.start();
  QString error;
  if (!runner_.Run(&error)) {
    window_->show();
    if (Checked("cycle")) window_->CycleTimer()->start();
    window_->Tell(QMessageBox::Critical,
                  ProgramQText(kestrune::translation::kSMameNotStarted).arg(ProgramQTextOf(error.toStdString())));
    return false;
  }
  runner_.WriteLine(QStringLiteral(" "));
  return true;
}

// What the option files MAME reads for the game choose: the options dialog holds whatever it showed last.
bool MameLauncher::PlaysWithoutVideo(const cat::Tgameinfo& game) const {
  return cat::GameOptionValue(window_->GetFolders().ini, window_->FrontDir(), game, "video") ==
         kestrune::settings::kRenderValues[kestrune::settings::kRenderNone];
}

void MameLauncher::CountPlay() {
  if (playbackRunning_) return;
  cat::AccountPlay(playing_, playStart_.elapsed());
  if (!cat::WriteBackGameRecord(window_->catalogue(), playing_)) {
    qWarning("kestrune: the catalogue has no line of %s to count its play in", playing_.romname.c_str());
  }
  window_->gameList()->RowsChanged();
}

void MameLauncher::EndRunningPlay() {
  if (!IsRunning()) return;
  CountPlay();
  ending_ = true;
  qWarning("kestrune: closing MAME, which was running %s, as Kestrune ends", playing_.romname.c_str());
  runner_.Terminate();
  ending_ = false;
}

QString MameLauncher::RunningGame() const {
  return IsRunning() ? QString::fromStdString(playing_.romname) : QString();
}

void MameLauncher::MameTerminate(int exitCode, bool crashed) {
  // Ended by EndRunningPlay, whose play is counted already and whose window is closing.
  if (ending_) return;
  CountPlay();
  if (Checked("cycle")) window_->CycleTimer()->start();
  window_->show();
  window_->raise();
  window_->activateWindow();
  if (crashed || exitCode != 0) {
    const QString why =
        crashed ? ProgramQText(kestrune::translation::kSMameStoppedUnexpectedly) : MameExitText(exitCode);
    qWarning("kestrune: MAME ended on %s: %s", playing_.romname.c_str(), qUtf8Printable(why));
    window_->Tell(QMessageBox::Warning,
                  ProgramQText(kestrune::translation::kSMameEnded).arg(QString::fromStdString(playing_.romname), why));
  }
  emit playEnded();
}
