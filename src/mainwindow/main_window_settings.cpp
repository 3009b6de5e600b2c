// The main window's first show, which applies every setting, and its close, which stores them.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QWindow>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

#include <filesystem>
#include <system_error>

#include "catalogue/catalogue_file.h"
#include "catalogue/column_order.h"
#include "catalogue/favorites.h"
#include "catalogue/game_list.h"
#include "mainwindow/artwork_panes.h"
#include "mainwindow/artwork_picture.h"
#include "mainwindow/game_list_controller.h"
#include "mainwindow/main_window.h"
#include "mainwindow/main_window_menus.h"
#include "mainwindow/mame_launcher.h"
#include "mainwindow/preferences_dialog.h"
#include "mainwindow/program_windows.h"
#include "mainwindow/rom_scan_command_qt.h"
#include "mainwindow/setup_wizard_dialog.h"
#include "mainwindow/toolbar_buttons_dialog.h"
#include "mainwindow/toolbar_images.h"
#include "platform/executable.h"
#include "platform/text_file.h"
#include "zip/wide_string.h"
#include "zip/zip_archiver.h"
#include "zip/zip_listing.h"
#include "translation/program_strings_qt.h"

namespace set = kestrune::settings;
namespace cat = kestrune::catalogue;
namespace zip = kestrune::zip;

namespace {

// MAME's executable names looked for on a first run, in order.
constexpr const char* kMameNames[] = {"mame",   "mamep",    "mamepp",   "mamep3",  "mamep4",
                                      "mameat", "mameatxp", "mameat64", "fastmame"};
// Check boxes of the preferences that hold a switch of their own, with the key they mirror.
struct PreferenceBox {
  const char* box;
  const char* key;
};
constexpr PreferenceBox kPreferenceBoxes[] = {
    {"realtimesearch", "quicksearch"}, {"Notepadedit", "notepadedit"}, {"nodump", "shownodump"},
    {"onlygood", "showplayable"},      {"cyclemove", "moveover"},      {"stretchssyesno", "stretch"},
    {"smoothscrolling", "smoothscrolling"}, {"keepfavorites", "keepfav"}, {"keepcounters", "keepcounters"},
    {"reinitialise", "autoini"},       {"cycle", "cycle"},             {"showhints", "showhints"},
    {"showcommand", "showcommand"},    {"hidemouse", "hidemouse"},     {"showclones", "showclones"},
};
// Zoom of the `scaletimes` items "None", "2x", "3x", "4x".
constexpr double kZooms[] = {1.0, 1.5, 2.0, 2.5};

std::unique_ptr<zip::TZipArchiver> OpenArchive(const std::string& path) {
  std::error_code error;
  if (path.empty() || !std::filesystem::is_regular_file(path, error)) return nullptr;
  auto archiver = std::make_unique<zip::TZipArchiver>();
  try {
    archiver->FileName = zip::Utf8ToWide(path);
    archiver->OpenZip(zip::kOpenReadOnly);
  } catch (const std::exception& failure) {
    qWarning("kestrune: %s cannot be opened, its artwork is not shown: %s", path.c_str(), failure.what());
    return nullptr;
  }
  return archiver;
}

QIcon IconFromBytes(const std::vector<std::uint8_t>& bytes) {
  QImage image;
  if (!image.loadFromData(bytes.data(), static_cast<int>(bytes.size()))) {
    return QIcon();
  }
  return QIcon(QPixmap::fromImage(image));
}

}  // namespace

void TForm1::FormShow() {
  emit gameList_->selectedGameChanged();
  if (firstShowDone_ || startupDone_) return;
  firstShowDone_ = true;
  // A setup left before its first scan had finished is offered again, with the settings it left.
  const bool setupUnfinished = !settings_->IsFirstRun() && NoGameListYet();
  if (settings_->IsFirstRun()) FirstRunDefaults();
  ApplySettings();
  if (setupUnfinished) {
    // The wizard goes on with the MAME the settings name when it is still there.
    CheckMameFile();
    StartSetupWizard();
  }
}

// Only a finished scan writes game lines: a catalogue file that is missing or empty was never built.
bool TForm1::NoGameListYet() const {
  const std::filesystem::path catalogue = cat::CataloguePath(frontDir_);
  if (kestrune::platform::NothingAt(catalogue)) return true;
  std::error_code error;
  return std::filesystem::is_regular_file(catalogue, error) && std::filesystem::file_size(catalogue, error) == 0 &&
         !error;
}

void TForm1::FirstRunDefaults() {
  mameFile_.clear();
  for (const char* name : kMameNames) {
    if (kestrune::platform::IsRunnableFile(frontDir_ + name)) {
      mameFile_ = name;
      break;
    }
  }
  settings_->WriteDefaults(frontDir_, mameFile_, mameVersionText_);
  StartSetupWizard();
}

void TForm1::StartSetupWizard() {
  if (Form5 == nullptr) return;
  // The wizard leaves its MAME, the new catalogue and the settings of the scan behind. When it ends
  // after the first activation, the window takes them in again; before it, the activation does.
  connect(Form5, &QDialog::finished, this, [this] {
    // At the program's end the catalogue in memory is what is saved, not read again.
    if (!startupDone_ || terminating_) return;
    CheckMameFile();
    WriteMissingOptionFiles();
    LoadAndListCatalogue();
    RestoreSelection();
    emit gameList_->selectedGameChanged();
  });
  Form5->Start(this);
}

void TForm1::ApplySettings() {
  const set::Settings& s = *settings_;
  const int language = s.ReadInt(set::kUiSection, "language");
  languageIndex_ = language >= 0 && language < MainWindowMenus::kLanguageCount ? language : 0;
  // A language this program does not know (a newer one's) is kept for it unless the user picks one.
  keepStoredLanguage_ = language != languageIndex_;
  SetLanguage();
  ApplyWindowSettings();
  ApplyColumnSettings();
  ApplyToolbarSettings();
  ApplyPreferenceSettings();
  ApplyFolderSettings();
  mameVersionText_ = s.ReadText(set::kUiSection, "mameversion");
  // The sizes must add up to the room the handle leaves, or the list's width is scaled and creeps each run.
  const int listWidth = s.ReadInt(set::kUiSection, "splitter");
  splitter_->setSizes({listWidth, std::max(1, width() - splitter_->handleWidth() - listWidth)});
  ApplyPaneSettings();
  OpenArtworkArchives();
  ApplyViewSettings();
  if (s.ReadFlag(set::kUiSection, "winmax")) ApplyFullScreenLayout();
  SetPictureAreaShown(s.ReadFlag(set::kUiSection, "showview"));
  skinned_ = s.ReadFlag(set::kUiSection, "skinned");
  if (skinned_) ApplySkin();
}

void TForm1::ApplyWindowSettings() {
  const set::Settings& s = *settings_;
  PlaceFrame(QRect(s.ReadInt(set::kUiSection, "winleft"), s.ReadInt(set::kUiSection, "wintop"),
                   s.ReadInt(set::kUiSection, "winwidth"), s.ReadInt(set::kUiSection, "winheight")));
}

void TForm1::PlaceFrame(QRect frame) {
  // A layout saved on a larger or another screen is pulled back onto this one.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    frame.setWidth(std::clamp(frame.width(), 200, std::max(200, area.width())));
    frame.setHeight(std::clamp(frame.height(), 150, std::max(150, area.height())));
    frame.moveLeft(std::clamp(frame.left(), area.left(), std::max(area.left(), area.right() - frame.width() + 1)));
    frame.moveTop(std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() - frame.height() + 1)));
  }
  resize(frame.size());
  move(frame.topLeft());
  // Until the window manager has framed the window, Qt knows no frame and move() places the window's
  // inside at the corner; the frame's own position asks the window manager to put the frame there.
  if (QWindow* handle = windowHandle()) handle->setFramePosition(frame.topLeft());
}

void TForm1::ApplyColumnSettings() {
  const set::Settings& s = *settings_;
  QHeaderView* header = gameList_->View()->ReportView()->header();
  // A width of 0 hides a column (no catver.ini, clones not shown); the style's minimum would undo it.
  header->setMinimumSectionSize(0);
  const std::vector<cat::ColumnPlace> places =
      cat::ParseColumnOrder(s.ReadText(set::kUiSection, "colorder"), cat::kListColumnCount);
  for (int visual = 0; visual < static_cast<int>(places.size()); ++visual) {
    header->moveSection(header->visualIndex(places[visual].column), visual);
    header->resizeSection(places[visual].column, places[visual].width);
  }
  for (int column = 0; column < 18; ++column) {
    const std::string key = "col" + std::to_string(column + 1);
    header->resizeSection(column, std::max(0, s.ReadInt(set::kUiSection, key)));
  }
  if (!catverPresent_) {
    HideColumnKeepingWidth(3);
    HideColumnKeepingWidth(11);
  }
}

void TForm1::ApplyToolbarSettings() {
  const set::Settings& s = *settings_;
  const QString buttons = QString::fromStdString(s.ReadText(set::kUiSection, "toolbarbuttons"));
  if (Form13 != nullptr) {
    Form13->SetButtonsText(buttons);
    Form13->ApplyToToolbar(menus_->ToolbarControls(), menus_->ToolBar(), mameInfoLoaded_);
  } else {
    ApplyToolbarButtons(buttons);
  }
  const bool big = s.ReadFlag(set::kUiSection, "bigtoolbar");
  SetBigToolbar(big);
  if (Form4 != nullptr) Form4->CheckBox("bigtoolbar")->setChecked(!big);
  gameList_->SetSearchField(s.ReadInt(set::kUiSection, "searchmenu"));
}

void TForm1::ApplyToolbarButtons(const QString& text) {
  const auto& controls = menus_->ToolbarControls();
  for (int i = 0; i < MainWindowMenus::kToolbarControlCount && i < text.size(); ++i) {
    if (text[i] == QLatin1Char('0') && controls[i] != nullptr) controls[i]->setVisible(false);
  }
}

void TForm1::SetBigToolbar(bool big) {
  QToolBar* bar = menus_->ToolBar();
  bar->setIconSize(big ? QSize(32, 32) : QSize(16, 16));
  bar->setFixedHeight(big ? 44 : 30);
  // Each button keeps its size whatever image or state it shows, so the ones beside it never move.
  const int height = big ? 38 : 25;
  const QSize button(ToolbarButtonWidth(!big), height);
  const QSize dropDown(ToolbarDropDownWidth(!big), height);
  for (QAction* control : menus_->ToolbarControls()) {
    if (auto* tool = qobject_cast<QToolButton*>(bar->widgetForAction(control))) {
      tool->setFixedSize(tool->menu() != nullptr ? dropDown : button);
    }
  }
}

void TForm1::ApplyPreferenceSettings() {
  const set::Settings& s = *settings_;
  const bool cycleValue = s.ReadFlag(set::kUiSection, "cycle");
  const int seconds = s.ReadInt(set::kUiSection, "cycletime");
  if (seconds > 0 && seconds <= 24 * 3600) timer1_->setInterval(seconds * 1000);
  if (s.ReadFlag(set::kUiSection, "hidemouse") && !hidingMouse_) {
    QGuiApplication::setOverrideCursor(Qt::BlankCursor);
    hidingMouse_ = true;
  }
  gameList_->SetRealTimeSearch(s.ReadFlag(set::kUiSection, "quicksearch"));
  SetSmoothScrolling(s.ReadFlag(set::kUiSection, "smoothscrolling"));
  const bool hints = s.ReadFlag(set::kUiSection, "showhints");
  SetHintsShown(hints);
  if (Form4 != nullptr) Form4->SetHintsShown(hints);
  if (!s.ReadFlag(set::kUiSection, "showclones")) {
    HideColumnKeepingWidth(16);
  }
  timer1_->stop();
  if (cycleValue) timer1_->start();
  if (Form4 == nullptr) return;
  for (const PreferenceBox& box : kPreferenceBoxes) {
    Form4->CheckBox(box.box)->setChecked(s.ReadFlag(set::kUiSection, box.key));
  }
  const bool navigation[] = {s.ReadFlag(set::kUiSection, "xarcadenav"), s.ReadFlag(set::kUiSection, "slikstiknav"),
                             s.ReadFlag(set::kUiSection, "hotrodnav")};
  const char* navigationBoxes[] = {"xarcadegui", "slikstikgui", "hotrodgui"};
  for (int i = 0; i < 3; ++i) {
    if (navigation[i]) {
      Form4->CheckBox(navigationBoxes[i])->setChecked(true);
      break;
    }
  }
  gameList_->SetControllerNavigation(navigation[0] || navigation[1] || navigation[2]);
  Form4->Edit("commandline")->setText(QString::fromStdString(s.ReadText(set::kUiSection, "commandline")));
  const bool snaps = s.ReadFlag(set::kUiSection, "cyclesnaps");
  Form4->RadioButton(snaps ? "cyclesnaps" : "cycletabs")->setChecked(true);
}

void TForm1::ApplyFolderSettings() {
  const set::Settings& s = *settings_;
  auto folder = [&s](const char* key) { return s.ReadText(set::kMameSection, key); };
  folders_ = Folders{folder("snapdir"),   folder("inpdir"),   folder("flyerdir"), folder("marqueedir"),
                     folder("cabinetdir"), folder("controldir"), folder("titledir"), folder("mngdir"),
                     folder("icondir"),   folder("inidir")};
}

void TForm1::ApplyPaneSettings() {
  const set::Settings& s = *settings_;
  const int scale = s.ReadInt(set::kUiSection, "scale");
  const int kernel = s.ReadInt(set::kUiSection, "stretchfilter");
  const int validKernel = kernel >= 0 && kernel < ArtworkPicture::kKernelCount ? kernel : 0;
  for (ArtworkPicture* picture : pictures_) picture->SetKernel(static_cast<ArtworkPicture::Kernel>(validKernel));
  if (Form4 != nullptr) {
    Form4->ComboBox("stretchfilter")->setCurrentIndex(validKernel);
    Form4->ComboBox("scaletimes")->setCurrentIndex(scale >= 0 && scale < 4 ? scale : 0);
  }
  for (int page = 1; page < kPageCount; ++page) {
    if (!s.ReadFlag(set::kUiSection, kArtworkTabKeys[static_cast<std::size_t>(page - 1)])) SetTabVisible(page, false);
  }
  SetStatusBarShown(s.ReadFlag(set::kUiSection, "statusbar"));
  SetToolBarShown(s.ReadFlag(set::kUiSection, "toolbar"));
  const int page = s.ReadInt(set::kUiSection, "tabselect");
  if (page >= 0 && page < kPageCount && pageControl_->isTabVisible(page)) pageControl_->setCurrentIndex(page);
  gameList_->SetRomsText(QString::fromStdString(s.ReadText(set::kUiSection, "roms")));
}

void TForm1::ApplyViewSettings() {
  const set::Settings& s = *settings_;
  ApplyPictureScale();
  if (!s.ReadFlag(set::kUiSection, "showtabs")) SetTabsHidden(true);
  menus_->Action("HideTabs1")->setChecked(!tabsHidden_);
}

void TForm1::ApplyPictureScale() {
  const int scale = Form4 != nullptr ? Form4->ComboBox("scaletimes")->currentIndex()
                                     : settings_->ReadInt(set::kUiSection, "scale");
  const bool stretch = Form4 != nullptr ? Form4->CheckBox("stretchssyesno")->isChecked()
                                        : settings_->ReadFlag(set::kUiSection, "stretch");
  for (std::size_t i = 0; i + 1 < pictures_.size(); ++i) {
    if (scale >= 0 && scale < 4) pictures_[i]->SetZoom(kZooms[scale]);
    pictures_[i]->SetResizeMode(stretch);
  }
  panes_->SetMovieStretched(stretch);
}

// The start-up in full screen and the Full Screen command lay the window out alike.
void TForm1::ApplyFullScreenLayout() {
  SetToolBarShown(false);
  SetStatusBarShown(false);
  for (QAction* entry : menus_->MainMenuEntries()) entry->setVisible(false);
  menus_->Action("Maximize1")->setChecked(true);
  for (QAction* item : menus_->FullScreenPopupItems()) item->setVisible(true);
  // A window that a window manager has framed is maximised by it; without one, nobody would.
  const bool managed = frameGeometry() != geometry();
  SetFrameless(true);
  setWindowState(windowState() | Qt::WindowMaximized);
  if (isVisible() && !managed) FillScreen();
}

// The window takes the screen itself. Only where no window manager maximises it: one that does keeps
// the place it had before as the place to go back to, and a place asked for besides races with that.
void TForm1::FillScreen() {
  const QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
  if (screen != nullptr && geometry() != screen->availableGeometry()) setGeometry(screen->availableGeometry());
}

void TForm1::OpenArtworkArchives() {
  panes_->OpenSources(folders_);
  // The game list opens the icon archive (or the icon folder) itself when its settings are applied.
}

void TForm1::CloseArtworkArchives() { panes_->CloseSources(); }

void TForm1::ApplySkin() {
  const std::string path = frontDir_ + "skin/skin.zip";
  std::unique_ptr<zip::TZipArchiver> skin = OpenArchive(path);
  if (!skin) return;
  const zip::ZipEntryData credits = zip::ReadZipEntry(*skin, "credits.txt");
  if (credits.ok) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(credits.bytes.data()),
                                           static_cast<qsizetype>(credits.bytes.size()));
    const QString first = text.section(QRegularExpression("[\r\n]"), 0, 0).trimmed();
    if (!first.isEmpty()) setWindowTitle(windowTitle() + " - " + first);
  }
  // Each image under its own guard: a missing or bad entry keeps the image there was.
  auto skinIcon = [&skin](const std::string& name) {
    const zip::ZipEntryData entry = zip::ReadZipEntry(*skin, name);
    return entry.ok ? IconFromBytes(entry.bytes) : QIcon();
  };
  const auto& names = ToolbarImages::SkinNames();
  for (int i = 0; i < ToolbarImages::kCount; ++i) {
    const std::string big = names[static_cast<std::size_t>(i)];
    const std::string small = big.substr(0, big.size() - 4) + "_small.ico";
    if (const QIcon icon = skinIcon(big); !icon.isNull()) images_->Replace(i, true, icon);
    if (const QIcon icon = skinIcon(small); !icon.isNull()) images_->Replace(i, false, icon);
  }
  if (const QIcon icon = skinIcon("rom_working.ico"); !icon.isNull()) {
    images_->ReplaceState(0, icon);
    images_->ReplaceState(1, icon);
  }
  if (const QIcon icon = skinIcon("rom_notworking.ico"); !icon.isNull()) images_->ReplaceState(2, icon);
  skin->CloseZip();
}

// ---- Commands the first show and the close rely on ----

void TForm1::SetLanguage() {
  if (languageIndex_ < 0 || languageIndex_ >= MainWindowMenus::kLanguageCount) return;
  menus_->LanguageActions()[static_cast<std::size_t>(languageIndex_)]->setChecked(true);
}

void TForm1::SetTabVisible(int page, bool visible) {
  pageControl_->setTabVisible(page, visible);
  if (page >= 1) {
    menus_->TabPopupActions()[static_cast<std::size_t>(page - 1)]->setChecked(visible);
    menus_->TabViewActions()[static_cast<std::size_t>(page - 1)]->setChecked(visible);
  }
}

void TForm1::SetTabsHidden(bool hidden) {
  tabsHidden_ = hidden;
  menus_->Action("HideTabs1")->setChecked(!hidden);
  menus_->Menu("Views1")->menuAction()->setEnabled(!hidden);
  panes_->ApplyTabVisibility(hidden);
}

void TForm1::SetStatusBarShown(bool shown) {
  statusBar()->setVisible(shown);
  menus_->Action("StatusBar1")->setChecked(shown);
}

void TForm1::SetToolBarShown(bool shown) {
  menus_->ToolBar()->setVisible(shown);
  menus_->Action("oolBar1")->setChecked(shown);
}

void TForm1::SetPictureAreaShown(bool shown) {
  pageControl_->setVisible(shown);
  menus_->Action("HideViews1")->setChecked(shown);
}

// ---- Close ----

// A termination request that comes while a question of the close is open has saved everything and
// ended the event loop by the time the question returns: the close then only lets the window go.
bool TForm1::FormCloseQuery() {
  if (terminating_) return true;
  if (!MayEndRunningPlay()) return false;
  if (terminating_) return true;
  if (catalogueLoaded_) {
    std::string error;
    if (!cat::SaveCatalogue(catalogue_, frontDir_, &error)) {
      qWarning("kestrune: %s", error.c_str());
      const QString text =
          ProgramQText(kestrune::translation::kSQuitWithListUnsaved).arg(ProgramQTextOf(error));
      const QMessageBox::StandardButton answer =
          messenger_(QMessageBox::Warning, text, QMessageBox::Yes | QMessageBox::No);
      if (terminating_) return true;
      if (answer != QMessageBox::Yes) return false;
    }
  }
  SaveSettingsAndRelease();
  return true;
}

// MAME cannot outlive the program (it is a child of it), so closing while it runs means closing MAME:
// the user is asked, and the play is counted up to now.
bool TForm1::MayEndRunningPlay() {
  if (launcher_ == nullptr || !launcher_->IsRunning()) return true;
  const QString text = ProgramQText(kestrune::translation::kSQuitWhileMameRuns).arg(launcher_->RunningGame());
  const QMessageBox::StandardButton answer =
      messenger_(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No);
  if (terminating_) return true;
  if (answer != QMessageBox::Yes) return false;
  launcher_->EndRunningPlay();
  return true;
}

bool TForm1::SaveSettingsAndRelease() {
  CloseArtworkArchives();
  StoreSettings();
  std::string error;
  const bool saved = settings_->Save(&error);
  if (!saved) {
    const QString text = ProgramQText(kestrune::translation::kSSettingsNotSaved).arg(ProgramQTextOf(error));
    if (terminating_) {
      qWarning("kestrune: %s", qUtf8Printable(text));
    } else {
      Report(text);
    }
  }
  if (hidingMouse_) {
    QGuiApplication::restoreOverrideCursor();
    hidingMouse_ = false;
  }
  return saved;
}

void TForm1::Terminate() {
  if (terminating_) return;
  terminating_ = true;
  qWarning("kestrune: asked to end: open windows are closed as cancelled and the session is saved");
  // First, so that a dialog's unconfirmed changes are put back before the settings are taken from it.
  CloseOpenWindows();
  if (launcher_ != nullptr) launcher_->EndRunningPlay();
  // A scan under way ends as Cancel ends it, its files removed.
  if (romScan_ != nullptr) romScan_->AbandonScan();
  if (Form5 != nullptr) Form5->AbandonScan();
  bool saved = true;
  if (catalogueLoaded_) {
    std::string error;
    if (!cat::SaveCatalogue(catalogue_, frontDir_, &error)) {
      qWarning("kestrune: The game list could not be saved: %s", error.c_str());
      saved = false;
    }
  }
  saved = SaveSettingsAndRelease() && saved;
  // Ends every event loop, nested ones (a dialog's, a question's) included; none can start again. What
  // could not be saved is lost, and the exit status tells whoever ended the program.
  QCoreApplication::exit(saved ? 0 : 1);
}

void TForm1::CloseOpenWindows() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window == this || !window->isVisible()) continue;
    if (auto* dialog = qobject_cast<QDialog*>(window)) {
      dialog->reject();
    } else {
      window->close();
    }
  }
}

void TForm1::StoreSettings() {
  set::Settings& s = *settings_;
  const std::string_view ui = set::kUiSection;
  s.WriteFlag(ui, "skinned", skinned_);
  if (Form4 != nullptr) s.WriteFlag(ui, "hidemouse", Form4->CheckBox("hidemouse")->isChecked());
  s.WriteInt(ui, "splitter", gameList_->View()->width());
  const QSize size = normalSize_.isValid() ? normalSize_ : normalGeometry().size();
  s.WriteInt(ui, "winwidth", size.width());
  s.WriteInt(ui, "winheight", size.height());
  StoreColumnSettings();
  if (Form4 != nullptr) s.WriteInt(ui, "stretchfilter", Form4->ComboBox("stretchfilter")->currentIndex());
  s.WriteText(ui, "clonecolor", cloneColour_);
  s.WriteText(ui, "listfontcolor", masterColour_);
  if (Form13 != nullptr) s.WriteText(ui, "toolbarbuttons", Form13->ButtonsText().toStdString());
  gameList_->StoreSettings();
  if (Form4 != nullptr) {
    s.WriteFlag(ui, "quicksearch", Form4->CheckBox("realtimesearch")->isChecked());
    s.WriteText(ui, "commandline", Form4->Edit("commandline")->text().toUtf8().toStdString());
    s.WriteFlag(ui, "notepadedit", Form4->CheckBox("Notepadedit")->isChecked());
  }
  s.WriteInt(ui, "selected", gameList_->View()->SelectedRow());
  s.WriteInt(ui, "tabselect", pageControl_->currentIndex());
  if (!keepStoredLanguage_) s.WriteInt(ui, "language", languageIndex_);
  if (Form4 != nullptr) {
    s.WriteFlag(ui, "moveover", Form4->CheckBox("cyclemove")->isChecked());
    s.WriteFlag(ui, "showplayable", Form4->CheckBox("onlygood")->isChecked());
    s.WriteFlag(ui, "showclones", Form4->CheckBox("showclones")->isChecked());
    s.WriteFlag(ui, "shownodump", Form4->CheckBox("nodump")->isChecked());
  }
  if (menus_->Action("Maximize1")->isChecked()) {
    s.WriteText(ui, "winmax", "1");
  } else {
    // The frame's corner, where the first show's move() puts it back; the inner corner would creep
    // by the frame's width each run.
    const QPoint corner = normalGeometry().topLeft() + (pos() - geometry().topLeft());
    s.WriteInt(ui, "winleft", corner.x());
    s.WriteInt(ui, "wintop", corner.y());
    s.WriteText(ui, "winmax", "0");
  }
  s.WriteFlag(ui, "showtabs", !tabsHidden_);
  if (Form4 != nullptr) {
    s.WriteFlag(ui, "cycle", Form4->CheckBox("cycle")->isChecked());
    s.WriteFlag(ui, "cyclesnaps", Form4->RadioButton("cyclesnaps")->isChecked());
  }
  if (QAction* noThe = menus_->Action("he1")) s.WriteFlag(ui, "thesufix", noThe->isChecked());
  cat::StoreFavoritesCount(s.Ini());
}

// A column that is hidden because its data is missing (no catver.ini, clones not shown) keeps the
// width the user gave it, so it comes back as it was once the data is there again.
void TForm1::HideColumnKeepingWidth(int column) {
  QHeaderView* header = gameList_->View()->ReportView()->header();
  if (header->sectionSize(column) > 0) hiddenWidths_[column] = header->sectionSize(column);
  header->resizeSection(column, 0);
}

int TForm1::StoredColumnWidth(int column) const {
  const int width = gameList_->View()->ReportView()->header()->sectionSize(column);
  const auto hidden = hiddenWidths_.find(column);
  return width == 0 && hidden != hiddenWidths_.end() ? hidden->second : width;
}

void TForm1::StoreColumnSettings() {
  set::Settings& s = *settings_;
  const QHeaderView* header = gameList_->View()->ReportView()->header();
  std::vector<cat::ColumnPlace> places;
  for (int visual = 0; visual < header->count(); ++visual) {
    const int column = header->logicalIndex(visual);
    places.push_back({column, StoredColumnWidth(column)});
  }
  s.WriteText(set::kUiSection, "colorder", cat::FormatColumnOrder(places));
  for (int column = 0; column < 18; ++column) {
    s.WriteInt(set::kUiSection, "col" + std::to_string(column + 1), StoredColumnWidth(column));
  }
}
