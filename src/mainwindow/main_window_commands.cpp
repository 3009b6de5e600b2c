// The main window's commands: what its menus, the list's pop-up, the tool bar and the keys of the
// game list (arcade controllers included) do, where another part of the program does not.
#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSplitter>
#include <QTemporaryDir>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeView>
#include <QUrl>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "catalogue/controller_keys.h"
#include "catalogue/mame_launch.h"
#include "mainwindow/about_dialog.h"
#include "mainwindow/artwork_panes.h"
#include "mainwindow/column_order_dialog.h"
#include "mainwindow/delete_ini_dialog.h"
#include "mainwindow/delete_inp_dialog.h"
#include "mainwindow/delete_rom_dialog.h"
#include "mainwindow/game_details_dialog.h"
#include "mainwindow/game_list_controller.h"
#include "mainwindow/game_list_model.h"
#include "mainwindow/help_window.h"
#include "mainwindow/main_window.h"
#include "mainwindow/main_window_menus.h"
#include "mainwindow/mame_launcher.h"
#include "mainwindow/preferences_dialog.h"
#include "mainwindow/program_windows.h"
#include "mainwindow/toolbar_buttons_dialog.h"
#include "platform/process_runner_qt.h"
#include "platform/text_file.h"
#include "settings/game_ini_chain.h"
#include "settings/option_file_reader.h"
#include "settings/options_dialog.h"
#include "translation/program_strings_qt.h"

namespace set = kestrune::settings;
namespace cat = kestrune::catalogue;
namespace fs = std::filesystem;

namespace {

struct HomePage {
  const char* item;
  const char* address;
};

constexpr HomePage kHomePages[] = {
    {"OfficialMameHomepage1", "https://www.mamedev.org/"},
    {"XArcadeHomepage1", "https://www.xgaming.com/"},
    {"SlikStikHomepage1", "http://www.slikstik.com/"},
    {"HotRodHomepage1", "https://www.hanaho.com/"},
};

// The game options' caption around the listed game name, by language; none: the dialog's own.
struct CaptionAround {
  const char* before;
  const char* after;
};

constexpr CaptionAround kGameOptionsCaptions[] = {
    {"\"", "\" Game Options"},      {"\"", "\" Spel Opties"},   {"\"", "\" Spiel Spieleinstellungen"},
    {"Options de jeu \"", "\""},    {"\"", "\" Gioco Opzioni"}, {"\"", "\" 游戏选项"},
    {"opciones el juego \"", "\""},
};

// The romstatus codes for which "Move Rom File To ..." is disabled, in the Game menu and in the pop-up.
constexpr std::string_view kGameMenuUnmovable = "321";
constexpr std::string_view kPopupUnmovable = "324";

bool StatusIn(std::string_view status, std::string_view codes) {
  return status.size() == 1 && codes.find(status[0]) != std::string_view::npos;
}

// A colour as the settings store it: the decimal value of 0x00BBGGRR; anything else is none.
QColor StoredColour(const std::string& text) {
  const std::optional<int> value = set::ParseInt(text);
  if (!value || *value < 0 || *value > 0xFFFFFF) return {};
  return QColor(*value & 0xFF, (*value >> 8) & 0xFF, (*value >> 16) & 0xFF);
}

// The key as the controllers' tables name it (a Windows virtual-key code); 0 for keys they never send.
int VirtualKeyOf(const QKeyEvent& event) {
  const int key = event.key();
  if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)) return key;
  switch (key) {
    case Qt::Key_Space:
      return cat::kVkSpace;
    case Qt::Key_Control:
      return cat::kVkControl;
    case Qt::Key_Shift:
      return cat::kVkShift;
    default:
      return 0;
  }
}

bool Ticked(const char* box) { return Form4 != nullptr && Form4->CheckBox(box)->isChecked(); }

}  // namespace

void TForm1::ConnectCommands() {
  runDialog_ = [](QDialog& dialog) { return dialog.exec(); };
  openUrl_ = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
  auto on = [this](const char* name, auto handler) {
    connect(menus_->Action(name), &QAction::triggered, this, handler);
  };
  on("StatusBar1", &TForm1::StatusBar1Click);
  on("oolBar1", &TForm1::oolBar1Click);
  on("HideViews1", &TForm1::HideViews1Click);
  on("Maximize1", &TForm1::Maximize1Click);
  on("Startrandomgame1", &TForm1::StartRandomGame);
  on("Exit1", &TForm1::DefaultMameOptions);
  on("GameOptions1", &TForm1::OpenGameOptions);
  on("Help1", &TForm1::ShowHelp);
  for (const HomePage& page : kHomePages) {
    const QString address = QString::fromLatin1(page.address);
    connect(menus_->Action(page.item), &QAction::triggered, this, [this, address] { OpenUrl(address); });
    menus_->Action(page.item)->setToolTip(address);
  }
  // Kestrune has no web site of its own; the item says so rather than opening someone else's.
  QAction* homepage = menus_->Action("KestruneHomepage1");
  homepage->setEnabled(false);
  homepage->setToolTip(QStringLiteral("Kestrune has no home page; Help opens its README"));
  menus_->Menu("Help2")->setToolTipsVisible(true);
  connect(menus_->Menu("Game1"), &QMenu::aboutToShow, this, &TForm1::ApplyGameMenuRules);
  // Outside the open menu the items stay usable: the tool bar's playback button shares its action.
  connect(menus_->Menu("Game1"), &QMenu::aboutToHide, this, [this] {
    for (const char* name : {"PlaybackGamerecord1", "DeleteRecordedGame1", "DeleteGameIni4", "MoveRomFileTo3"}) {
      menus_->Action(name)->setEnabled(true);
    }
  });
  connect(menus_->GamePopup(), &QMenu::aboutToShow, this, &TForm1::ApplyGamePopupRules);
  ConnectDialogCommands();
}

void TForm1::ConnectDialogCommands() {
  auto modal = [this](const char* name, auto dialog) {
    connect(menus_->Action(name), &QAction::triggered, this, [this, dialog] {
      if (QDialog* window = dialog()) runDialog_(*window);
    });
  };
  modal("About2", [] { return static_cast<QDialog*>(Form6); });
  modal("CustomizeColumns1", [] { return static_cast<QDialog*>(Formcolumn); });
  modal("CustomizeToolbar1", [] { return static_cast<QDialog*>(Form13); });
  connect(menus_->Action("Show1"), &QAction::triggered, this, [this] { RunGameDialog(Form12, false); });
  connect(menus_->Action("DeleteGameIni4"), &QAction::triggered, this, [this] { RunGameDialog(OKBottomDlg, true); });
  connect(menus_->Action("DeleteRecordedGame1"), &QAction::triggered, this,
          [this] { RunGameDialog(OKBottomDlg1, true); });
  connect(menus_->Action("MoveRomFileTo3"), &QAction::triggered, this, [this] { RunGameDialog(OKBottomDlg2, false); });
  // A right click on a column header chooses the columns; it is never a click on a game.
  QHeaderView* header = gameList_->View()->ReportView()->header();
  header->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(header, &QWidget::customContextMenuRequested, this, [this] {
    if (Formcolumn != nullptr) runDialog_(*Formcolumn);
  });
  QToolBar* bar = menus_->ToolBar();
  bar->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(bar, &QWidget::customContextMenuRequested, this, [this] {
    if (Form13 != nullptr) runDialog_(*Form13);
  });
}

void TForm1::RunGameDialog(QDialog* dialog, bool refreshPanels) {
  const int row = gameList_->View()->SelectedRow();
  if (dialog == nullptr || row < 0) return;
  const std::string romname(gameList_->List().Field(row, cat::LineField::romname));
  runDialog_(*dialog);
  // The sign on the game's icon follows the file that is left.
  const auto* deletion = qobject_cast<DeleteSetFileDialog*>(dialog);
  if (deletion != nullptr && deletion->LastOutcome() == DeleteSetFileDialog::Outcome::Deleted) {
    gameList_->Model()->SetFileState(romname, deletion->StateImage());
  }
  if (refreshPanels) gameList_->UpdateIniInpStatus();
}

void TForm1::SetRowColours(const std::string& master, const std::string& clone) {
  masterColour_ = master;
  cloneColour_ = clone;
  gameList_->Model()->SetRowColours(StoredColour(master), StoredColour(clone));
}

// ---- Status bar, tool bar, picture area ----

void TForm1::StatusBar1Click(bool shown) {
  SetStatusBarShown(shown);
  settings_->WriteFlag(set::kUiSection, "statusbar", shown);
}

void TForm1::oolBar1Click(bool shown) {
  SetToolBarShown(shown);
  settings_->WriteFlag(set::kUiSection, "toolbar", shown);
}

void TForm1::HideViews1Click(bool shown) {
  SetPictureAreaShown(shown);
  settings_->WriteFlag(set::kUiSection, "showview", shown);
  if (shown) {
    const int half = width() / 2;
    splitter_->setSizes({half, std::max(1, width() - splitter_->handleWidth() - half)});
  }
}

// ---- Full screen ----

bool TForm1::IsFullScreen() const { return menus_->Action("Maximize1")->isChecked(); }

void TForm1::SetFrameless(bool frameless) {
  if (windowFlags().testFlag(Qt::FramelessWindowHint) == frameless) return;
  const bool shown = isVisible();
  setWindowFlag(Qt::FramelessWindowHint, frameless);
  // Changing the frame takes the window off the screen.
  if (shown) show();
}

void TForm1::ToggleFullScreen() { menus_->Action("Maximize1")->trigger(); }

// Qt has checked or unchecked the item before it reports the click: `on` is the state asked for.
void TForm1::Maximize1Click(bool on) {
  set::Settings& s = *settings_;
  const std::string_view ui = set::kUiSection;
  // Qt keeps the columns through the change of frame; the keys hold them for the next start.
  StoreColumnSettings();
  if (!on) {
    LeaveFullScreenLayout();
    s.WriteText(ui, "winmax", "0");
  } else {
    const QRect frame = normalGeometry();
    const QPoint corner = frame.topLeft() + (pos() - geometry().topLeft());
    s.WriteInt(ui, "winwidthex", frame.width());
    s.WriteInt(ui, "winheightex", frame.height());
    s.WriteInt(ui, "wintopex", corner.y());
    s.WriteInt(ui, "winleftex", corner.x());
    s.WriteInt(ui, "splitterex", gameList_->View()->width());
    ApplyFullScreenLayout();
    s.WriteText(ui, "winmax", "1");
  }
  // The new layout shows other rows: the top one shown becomes the selected game.
  GameListView* view = gameList_->View();
  view->SelectRow(view->TopVisibleRow());
  // A change of frame shows the window anew, and the window system may leave the keys with no window:
  // the next key must reach the list.
  raise();
  activateWindow();
}

void TForm1::LeaveFullScreenLayout() {
  const set::Settings& s = *settings_;
  const std::string_view ui = set::kUiSection;
  for (QAction* entry : menus_->MainMenuEntries()) entry->setVisible(true);
  menus_->Action("Maximize1")->setChecked(false);
  SetToolBarShown(s.ReadFlag(ui, "toolbar"));
  SetStatusBarShown(s.ReadFlag(ui, "statusbar"));
  for (QAction* item : menus_->FullScreenPopupItems()) item->setVisible(false);
  SetFrameless(false);
  setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
  PlaceFrame(QRect(s.ReadInt(ui, "winleftex"), s.ReadInt(ui, "wintopex"), s.ReadInt(ui, "winwidthex"),
                   s.ReadInt(ui, "winheightex")));
  // A window started in full screen has never stored a list width: it gets half the window.
  const int room = width() - splitter_->handleWidth();
  int list = s.ReadInt(ui, "splitterex");
  if (list <= 0 || list >= room) list = width() / 2;
  splitter_->setSizes({list, std::max(1, room - list)});
}

// ---- Random game ----

void TForm1::PlayRandomGame() {
  const cat::GameList& list = gameList_->List();
  std::vector<int> playable;
  for (int row = 0; row < list.GameCount(); ++row) {
    if (!list.IsUnavailable(row) && StatusIn(list.Field(row, cat::LineField::romstatus), "01")) {
      playable.push_back(row);
    }
  }
  if (playable.empty()) {
    qWarning("kestrune: no listed game can be played, so no random game is started");
    return;
  }
  const auto drawn = QRandomGenerator::global()->bounded(static_cast<quint32>(playable.size()));
  gameList_->View()->SelectRow(playable[drawn]);
  launcher_->PlayGame();
}

void TForm1::StartRandomGame() {
  PlayRandomGame();
  panes_->ShowSelectedGame();
  if (tabsHidden_) panes_->ShowHistoryInfo();
}

// ---- Keys of the game list ----

bool TForm1::HandleListKey(QAbstractItemView* list, const QKeyEvent& key) {
  const cat::ControllerBoxes boxes{Ticked("xarcadegui"), Ticked("hotrodgui"), Ticked("slikstikgui")};
  // The controllers' letters are commands, not the start of a game's name.
  gameList_->SetControllerNavigation(boxes.Any());
  using C = cat::ControllerCommand;
  const C command = cat::ControllerCommandOf(VirtualKeyOf(key), boxes);
  auto send = [list](Qt::Key moved) {
    QCoreApplication::postEvent(list, new QKeyEvent(QEvent::KeyPress, moved, Qt::NoModifier));
  };
  switch (command) {
    case C::None:
      if (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter) return false;
      launcher_->PlayGame();
      return true;
    case C::PlaySelected:
      launcher_->PlayGame();
      return true;
    case C::PlayRandom:
      StartRandomGame();
      return true;
    case C::NextPage:
      ShowNextVisiblePage();
      return true;
    case C::ListAvailable:
      menus_->Action("ShowAvailableGames1")->trigger();
      return true;
    case C::ListFavorites:
      menus_->Action("ShowFavorites2")->trigger();
      return true;
    case C::PageUp:
      send(Qt::Key_PageUp);
      return true;
    case C::PageDown:
      send(Qt::Key_PageDown);
      return true;
    case C::Home:
      send(Qt::Key_Home);
      return true;
    case C::End:
      send(Qt::Key_End);
      return true;
  }
  return false;
}

void TForm1::ShowNextVisiblePage() {
  const int current = pageControl_->currentIndex();
  for (int step = 1; step <= kPageCount; ++step) {
    const int page = (current + step) % kPageCount;
    if (pageControl_->isTabVisible(page)) {
      pageControl_->setCurrentIndex(page);
      return;
    }
  }
}

// ---- Menu enabling ----

void TForm1::ApplyGameMenuRules() {
  const int row = gameList_->View()->SelectedRow();
  const bool any = row >= 0;
  if (any) gameList_->UpdateIniInpStatus();
  const bool inp = any && gameList_->InpFound();
  const bool ini = any && gameList_->IniFound();
  const bool movable = any && !StatusIn(gameList_->List().Field(row, cat::LineField::romstatus), kGameMenuUnmovable);
  menus_->Action("PlaybackGamerecord1")->setEnabled(inp);
  menus_->Action("DeleteRecordedGame1")->setEnabled(inp);
  menus_->Action("DeleteGameIni4")->setEnabled(ini);
  menus_->Action("MoveRomFileTo3")->setEnabled(movable);
}

void TForm1::ApplyGamePopupRules() {
  const int row = gameList_->View()->SelectedRow();
  const bool any = row >= 0;
  // The panels are brought up to date with the files as they are now.
  if (any) gameList_->UpdateIniInpStatus();
  const bool inp = any && gameList_->InpFound();
  const bool ini = any && gameList_->IniFound();
  const bool movable = any && !StatusIn(gameList_->List().Field(row, cat::LineField::romstatus), kPopupUnmovable);
  menus_->Action("PlaybackRecordedGame1")->setEnabled(inp);
  menus_->Action("DeleteRecordedGame2")->setEnabled(inp);
  menus_->Action("DeleteGameIni1")->setEnabled(ini);
  menus_->Action("MoveRomFileTo2")->setEnabled(movable);
  panes_->ShowSelectedGame();
}

// ---- Web pages and help ----

void TForm1::OpenUrl(const QString& address) {
  const QUrl url(address);
  const QString scheme = url.scheme().toLower();
  if (!url.isValid() || (scheme != "http" && scheme != "https" && scheme != "mailto")) {
    qWarning("kestrune: %s is not a web or mail address; it is not opened", qUtf8Printable(address));
    return;
  }
  if (!openUrl_(url)) Report(ProgramQText(kestrune::translation::kSNoProgramOpens).arg(address));
}

// The README beside the program or in the program folder, else the copy built into the program,
// written where the desktop's viewer can read it for as long as the program runs.
QString TForm1::HelpFile() {
  const QString folders[] = {QCoreApplication::applicationDirPath(), QString::fromStdString(frontDir_)};
  for (const QString& folder : folders) {
    const QString readme = QDir(folder).filePath(QStringLiteral("README.md"));
    if (QFileInfo(readme).isFile()) return readme;
  }
  if (!helpFolder_) helpFolder_ = std::make_unique<QTemporaryDir>();
  if (!helpFolder_->isValid()) return QString();
  const QString copy = helpFolder_->filePath(QStringLiteral("README.md"));
  if (QFileInfo(copy).isFile()) return copy;
  return QFile::copy(QStringLiteral(":/help/README.md"), copy) ? copy : QString();
}

void TForm1::ShowHelp() {
  const QString readme = HelpFile();
  if (readme.isEmpty()) {
    Report(ProgramQText(kestrune::translation::kSHelpNotWritten));
    return;
  }
  if (openUrl_(QUrl::fromLocalFile(readme))) return;
  // Without a desktop program for it the help is shown by the program itself.
  if (helpWindow_ == nullptr) helpWindow_ = new HelpWindow(this);
  QString error;
  if (!helpWindow_->ShowFile(readme, &error)) Report(error);
}

// ---- MAME options ----

bool TForm1::MameFileChosen() {
  if (!mameFile_.empty()) return true;
  Tell(QMessageBox::Warning, ProgramQText(kestrune::translation::kSNoMameBinary));
  return false;
}

void TForm1::PrepareOptionsDialog() {
  set::MameFolders& folders = Form2->Folders();
  folders.FrontDir = frontDir_;
  folders.IniDir = folders_.ini;
  folders.InpDir = folders_.inp;
  folders.SnapDir = folders_.snap;
  Form2->SetSettings(settings_.get());
  Form2->SetMissingOptionHint(ProgramQText(kestrune::translation::kSMameLacksOption));
  Form2->AskMame(fs::path(frontDir_) / mameFile_);
}

void TForm1::DefaultMameOptions() {
  if (!MameFileChosen()) return;
  if (Ticked("Notepadedit")) {
    EditMameIni();
    return;
  }
  if (Form2 == nullptr) return;
  PrepareOptionsDialog();
  Form2->SetRequest(set::OptionsMode::DefaultOptions);
  runDialog_(*Form2);
}

// The user's own editor when the environment names one (waited for, so the next MAME start reads the
// edited file), else the desktop's program for the file.
void TForm1::EditMameIni() {
  const QString file = QString::fromStdString(frontDir_ + "mame.ini");
  QString editor = qEnvironmentVariable("VISUAL");
  if (editor.trimmed().isEmpty()) editor = qEnvironmentVariable("EDITOR");
  const QStringList words = editor.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
  if (!words.isEmpty()) {
    const QStringList arguments = words.mid(1) + QStringList{file};
    if (kestrune::platform::RunAndWait(words.first(), arguments, QString::fromStdString(frontDir_)) < 0) {
      Report(ProgramQText(kestrune::translation::kSEditorFailed).arg(editor, file));
    }
    return;
  }
  if (!openUrl_(QUrl::fromLocalFile(file))) {
    Report(ProgramQText(kestrune::translation::kSNoEditor).arg(file));
  }
}

// The files MAME reads for the game, as MAME names them when run as a play runs it; when it cannot be
// asked, the game list's facts name them. MAME answers in well under a second and is stopped before the
// game starts.
std::vector<std::string> TForm1::GameIniChain(int row, const std::string& romname) const {
  set::IniChain chain = cat::GameIniChain(gameList_->List().Record(row));
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  std::string error;
  if (!set::AskMameIniChain(fs::path(frontDir_) / mameFile_,
                            cat::MameArguments(cat::PlayKind::Play, romname, {}, frontDir_, folders_.ini), romname,
                            chain, &error)) {
    qWarning("kestrune: %s; the option files of %s are taken from the game list", error.c_str(), romname.c_str());
  }
  QGuiApplication::restoreOverrideCursor();
  return chain;
}

void TForm1::OpenGameOptions() {
  if (!MameFileChosen() || Form2 == nullptr) return;
  const int row = gameList_->View()->SelectedRow();
  if (row < 0) return;
  const std::string romname(gameList_->List().Field(row, cat::LineField::romname));
  // The name becomes a file name in the ini folder.
  if (!cat::IsMameSetName(romname)) {
    Tell(QMessageBox::Warning, ProgramQText(kestrune::translation::kSSetHasNoOptions)
                                   .arg(QString::fromStdString(romname)));
    return;
  }
  const fs::path file = set::FindGameIni(folders_.ini, romname);
  std::error_code error;
  const bool created = !fs::exists(file, error);
  if (created) {
    // The dialog reads the game's file; an empty one shows what mame.ini gives every game.
    fs::create_directories(file.parent_path(), error);
    std::string writeError;
    if (!kestrune::platform::WriteFileAtomic(file, "", &writeError)) {
      Report(ProgramQTextOf(writeError));
      return;
    }
  }
  const auto index = static_cast<std::size_t>(languageIndex_);
  QString caption;
  if (index < std::size(kGameOptionsCaptions)) {
    const std::string_view name = gameList_->List().ColumnText(row, 0);
    caption = QString::fromUtf8(kGameOptionsCaptions[index].before) +
              QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())) +
              QString::fromUtf8(kGameOptionsCaptions[index].after);
  }
  PrepareOptionsDialog();
  Form2->SetRequest(set::OptionsMode::GameOptions, romname, caption, GameIniChain(row, romname));
  const int result = runDialog_(*Form2);
  // A file made only to be shown is not left behind by Cancel.
  if (created && result != QDialog::Accepted && fs::file_size(file, error) == 0 && !error) fs::remove(file, error);
  if (result == QDialog::Accepted) gameList_->Model()->SetFileState(romname, GameListModel::kOptionFileState);
  gameList_->UpdateIniInpStatus();
}
