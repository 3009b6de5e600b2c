#include "mainwindow/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QResizeEvent>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "catalogue/favorites.h"
#include "mainwindow/artwork_panes.h"
#include "mainwindow/artwork_picture.h"
#include "mainwindow/game_list_controller.h"
#include "mainwindow/hint_pause.h"
#include "mainwindow/main_window_menus.h"
#include "mainwindow/mame_launcher.h"
#include "mainwindow/message_box.h"
#include "mainwindow/preferences_dialog.h"
#include "mainwindow/program_windows.h"
#include "mainwindow/rom_scan_command_qt.h"
#include "mainwindow/toolbar_images.h"
#include "platform/display_modes_qt.h"
#include "platform/executable.h"
#include "platform/file_lines.h"
#include "platform/termination.h"
#include "platform/text_file.h"
#include "romscan/scan_pass.h"
#include "settings/bios_sets.h"
#include "settings/mame_options.h"
#include "settings/mame_query.h"
#include "settings/option_file_writer.h"
#include "settings/options_dialog.h"
#include "translation/lang_translator_qt.h"
#include "translation/program_strings_qt.h"
#include "zip/zip_archiver.h"

namespace set = kestrune::settings;
namespace cat = kestrune::catalogue;

namespace {

constexpr const char* kPageCaptions[TForm1::kPageCount] = {"Screenshot", "History",       "Flyer",  "Cabinet",
                                                           "Marquee",    "Control Panel", "Titles", "Movie"};
// The pictures in the order of Pictures(); page -1 is the hidden logo.
constexpr std::pair<const char*, int> kPictures[] = {{"snap", 0},         {"flyer", 2}, {"cabinet", 3},  {"marquee", 4},
                                                     {"controlpanel", 5}, {"title", 6}, {"mamelogo", -1}};
// The languages of the Setup ▸ Language items, each the name of its file in lang/ without ".lng".
constexpr const char* kLanguageNames[MainWindowMenus::kLanguageCount] = {
    "english", "dutch", "german", "french", "italian", "chinese(simp)", "spanish", "russian", "greek", "swedisch"};
// The windows that take the language besides the main window: all but the setup wizard, the about
// box, the driver information and the loading window.
constexpr const char* kTranslatedWindows[] = {"TForm2", "TForm3",      "TForm4",        "TOKBottomDlg", "TOKBottomDlg1",
                                              "TForm9", "TFormcolumn", "TOKBottomDlg2", "TForm12",      "TForm13"};

bool IsTranslatedWindow(const QWidget* widget) {
  if (!widget->isWindow()) return false;
  const QLatin1String name(widget->metaObject()->className());
  return std::any_of(std::begin(kTranslatedWindows), std::end(kTranslatedWindows),
                     [name](const char* translated) { return name == QLatin1String(translated); });
}

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

// Saves cut off before their end (the program killed, the power gone) leave their temporary files
// beside the files they were saving: the settings, the game list, mame.ini, every game's and BIOS's
// option file and the language files. Only at start, once this is the one instance: no save of them
// is under way then.
void RemoveSaveLeftovers(const std::string& frontDir, const set::Settings& settings) {
  namespace kp = kestrune::platform;
  kp::RemoveStagedLeftovers(frontDir + "mame.ini");
  // The settings, the game list and the option files that stand in ini/, in one read of the folder.
  const std::filesystem::path iniFolder = std::filesystem::path(settings.FilePath()).parent_path();
  kp::RemoveStagedLeftoversIn(iniFolder, {".ini", cat::CataloguePath(frontDir).filename().string()});
  const std::filesystem::path iniDir(settings.ReadText(set::kMameSection, "inidir"));
  std::error_code ec;
  if (!std::filesystem::equivalent(iniDir, iniFolder, ec)) kp::RemoveStagedLeftoversIn(iniDir, {".ini"});
  kp::RemoveStagedLeftoversIn(frontDir + "lang", {".lng"});
}

}  // namespace

// Remembers the order in which modal windows open. Each one blocks those opened before it, so that is
// also the order they must stand in, the last one on top: a window raised later would cover it.
class ModalWindowOrder : public QObject {
 public:
  using QObject::QObject;

  // The modal windows still shown, the first opened first.
  QList<QWidget*> OpenWindows() const {
    QList<QWidget*> open;
    for (const QPointer<QWidget>& window : opened_) {
      if (StillOpen(window)) open.append(window);
    }
    // One opened before this order was kept is the one the program waits on when nothing else is.
    if (QWidget* waitedOn = QApplication::activeModalWidget(); waitedOn != nullptr && !open.contains(waitedOn)) {
      open.append(waitedOn);
    }
    return open;
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
      auto* window = static_cast<QWidget*>(watched);
      if (window->isWindow() && window->isModal()) {
        opened_.removeIf([window](const QPointer<QWidget>& known) { return known == window || !StillOpen(known); });
        opened_.append(window);
      }
    }
    return false;
  }

 private:
  static bool StillOpen(const QWidget* window) { return window != nullptr && window->isVisible() && window->isModal(); }

  QList<QPointer<QWidget>> opened_;
};

std::string CurrentFrontDir() {
  std::string folder = QDir::currentPath().toStdString();
  if (folder.empty() || folder.back() != '/') {
    folder += '/';
  }
  return folder;
}

TForm1::TForm1(QWidget* parent, const std::string& frontDir)
    : QMainWindow(parent), frontDir_(frontDir.empty() ? CurrentFrontDir() : frontDir) {
  setObjectName("Form1");
  setWindowTitle(QStringLiteral("Kestrune ") + QStringLiteral(KESTRUNE_VERSION));
  resize(925, 600);
  messenger_ = [this](QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons) {
    return AskWithBox(this, icon, text, buttons);
  };
  FormCreate();
}

TForm1::~TForm1() {
  if (hidingMouse_) QGuiApplication::restoreOverrideCursor();
  // The child widgets outlive this body, the catalogue does not: a list view laid out again while it is
  // hidden on the way down would read lines that are gone.
  if (gameList_ != nullptr) delete gameList_->View();
}

void TForm1::FormCreate() {
  std::error_code error;
  std::filesystem::create_directories(frontDir_ + "ini", error);
  if (error) {
    qWarning("kestrune: cannot create the folder %sini: %s", frontDir_.c_str(), error.message().c_str());
  }
  // A ROM scan cut off last time (the program killed, the power gone) left MAME's list behind.
  kestrune::romscan::RemoveScanFiles(frontDir_);
  settings_ = std::make_unique<set::Settings>(frontDir_);
  RemoveSaveLeftovers(frontDir_, *settings_);
  images_ = new ToolbarImages(this);
  // Every window of the program lives while this one does; the filter goes with it.
  QCoreApplication::instance()->installEventFilter(new HintPause(this));
  modalOrder_ = new ModalWindowOrder(this);
  QCoreApplication::instance()->installEventFilter(modalOrder_);
  CreateWidgets();
  catverPresent_ = FileExists(frontDir_ + "catver.ini");
  nplayersPresent_ = FileExists(frontDir_ + "nplayers.ini");
  // A saved full-screen layout starts without a frame; the first show does the rest.
  if (!settings_->IsFirstRun() && settings_->ReadFlag(set::kUiSection, "winmax")) {
    setWindowFlag(Qt::FramelessWindowHint, true);
  }
  LoadSupportTexts();
  taalmanager_ = new LangManagerQt(this);
  taalmanager_->Manager().SetLangsDir(frontDir_ + "lang");
  AttachLangTranslator(this, &taalmanager_->Manager());
  taalmanager_->Manager().AfterAllTranslate = [this](kestrune::translation::TLangManager&) {
    gameList_->RedrawStatusPanels();
  };
  if (kestrune::translation::TLangCore* core = kestrune::translation::GetLangCore()) {
    core->SetWriteBackReporter([window = QPointer<TForm1>(this)](const std::string& message) {
      if (window) {
        window->Report(ProgramQTextOf(message));
      } else {
        qWarning("kestrune: %s", message.c_str());
      }
    });
  }
  const bool info = mameInfoLoaded_;
  for (const char* name : {"ShowGameDriverInfo1", "ShowGameDriverInfo2"}) menus_->Action(name)->setEnabled(info);
  menus_->ToolbarControls()[10]->setVisible(info);
  NoteLanguageFiles();
}

void TForm1::CreateWidgets() {
  gameList_ = new GameListController(catalogue_, this);
  gameList_->SetSettings(settings_.get());
  gameList_->SetToolbarImages(images_);
  menus_ = new MainWindowMenus(this, gameList_, images_);
  setStatusBar(gameList_->StatusBar());

  splitter_ = new QSplitter(Qt::Horizontal, this);
  splitter_->setObjectName("Splitter1");
  splitter_->setChildrenCollapsible(false);
  splitter_->addWidget(gameList_->View());
  CreatePictureArea();
  splitter_->addWidget(pageControl_);
  // The list keeps the width the user gave it; the picture area takes what the window gains or loses.
  splitter_->setStretchFactor(0, 0);
  splitter_->setStretchFactor(1, 1);
  setCentralWidget(splitter_);

  QTreeView* report = gameList_->View()->ReportView();
  QAbstractItemView* icons = gameList_->View()->IconView();
  QMenu* popup = menus_->GamePopup();
  for (QAbstractItemView* list : {static_cast<QAbstractItemView*>(report), icons}) {
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, popup,
            [popup, list](const QPoint& at) { popup->popup(list->viewport()->mapToGlobal(at)); });
  }
  timer1_ = new QTimer(this);
  timer1_->setObjectName("Timer1");
  timer1_->setInterval(2000);
  connect(menus_->Action("Exit2"), &QAction::triggered, this, &QWidget::close);
  connect(menus_->Action("Close1"), &QAction::triggered, this, &QWidget::close);
  connect(menus_->Action("HideTabs1"), &QAction::triggered, this, [this](bool shown) { SetTabsHidden(!shown); });
  for (int i = 0; i < MainWindowMenus::kLanguageCount; ++i) {
    connect(menus_->LanguageActions()[i], &QAction::triggered, this, [this, i] {
      languageIndex_ = i;
      keepStoredLanguage_ = false;
      SetLanguage();
    });
    // Checking an item, by the user or for the saved language at the first show, applies its language.
    connect(menus_->LanguageActions()[i], &QAction::toggled, this, [this, i](bool checked) {
      if (checked) ApplyLanguage(i);
    });
  }
  ConnectPlayCommands();
  panes_ = new ArtworkPanes(this);
  romScan_ = new RomScanCommand(this);
  connect(menus_->Action("Initialise1"), &QAction::triggered, romScan_, &RomScanCommand::Initialise1Click);
  connect(menus_->Action("Interfaceoptions1"), &QAction::triggered, romScan_, &RomScanCommand::Interfaceoptions1Click);
  ConnectCommands();
}

void TForm1::ReplaceCatalogue(cat::Catalogue catalogue) {
  catalogue_ = std::move(catalogue);
  // A catalogue file that could not be read at start is replaced now that a whole new one exists.
  catalogueLoaded_ = true;
}

void TForm1::ConnectPlayCommands() {
  launcher_ = new MameLauncher(this);
  connect(menus_->Action("PlayGame2"), &QAction::triggered, launcher_, &MameLauncher::PlayGame);
  connect(menus_->Action("PlayandRecord1"), &QAction::triggered, launcher_, [this] {
    launcher_->SetRecordNext(true);
    launcher_->PlayGame();
  });
  connect(menus_->Action("PlaybackGamerecord1"), &QAction::triggered, launcher_, &MameLauncher::PlaybackGame);
  for (QAbstractItemView* list : {static_cast<QAbstractItemView*>(gameList_->View()->ReportView()),
                                  static_cast<QAbstractItemView*>(gameList_->View()->IconView())}) {
    connect(list, &QAbstractItemView::doubleClicked, launcher_, &MameLauncher::PlayGame);
    list->installEventFilter(this);
  }
}

void TForm1::CreatePictureArea() {
  pageControl_ = new QTabWidget(this);
  pageControl_->setObjectName("PageControl1");
  pageControl_->setContextMenuPolicy(Qt::CustomContextMenu);
  // Tabs that do not fit the picture area scroll with the bar's arrows; the list gives up no width.
  pageControl_->setUsesScrollButtons(true);
  pageControl_->setElideMode(Qt::ElideNone);
  connect(pageControl_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    if (!tabsHidden_) menus_->TabPopup()->popup(pageControl_->mapToGlobal(at));
  });
  for (int page = 0; page < kPageCount; ++page) {
    pages_[page] = new QWidget(pageControl_);
    pages_[page]->setObjectName(QStringLiteral("TabSheet%1").arg(page + 1));
    auto* layout = new QVBoxLayout(pages_[page]);
    layout->setContentsMargins(4, 4, 4, 4);
    pageCaptions_[page] = kPageCaptions[page];
    pageControl_->addTab(pages_[page], pageCaptions_[page]);
  }
  for (std::size_t i = 0; i < pictures_.size(); ++i) {
    const auto [name, page] = kPictures[i];
    pictures_[i] = new ArtworkPicture(name, page >= 0 ? pages_[page] : pageControl_);
    if (page >= 0) {
      pages_[page]->layout()->addWidget(pictures_[i]);
    } else {
      pictures_[i]->hide();
    }
  }
  historyscherm2_ = new QTextBrowser(pages_[0]);
  historyscherm2_->setObjectName("historyscherm2");
  historyscherm2_->hide();
  pages_[0]->layout()->addWidget(historyscherm2_);
  historyscherm_ = new QTextBrowser(pages_[1]);
  historyscherm_->setObjectName("historyscherm");
  pages_[1]->layout()->addWidget(historyscherm_);
  mng_ = new QLabel(pages_[7]);
  mng_->setObjectName("mng");
  static_cast<QLabel*>(mng_)->setAlignment(Qt::AlignCenter);
  pages_[7]->layout()->addWidget(mng_);
}

// The files are only checked here: the panes index them when they first show an entry, and read
// an entry when it is shown.
void TForm1::LoadSupportTexts() {
  auto load = [this](const char* name, std::string& file) {
    file = frontDir_ + name;
    if (!FileExists(file)) return false;
    std::string error;
    if (!kestrune::platform::FileLines().Open(file, &error)) {
      qWarning("kestrune: %s", error.c_str());
      return false;
    }
    return true;
  };
  historyLoaded_ = load("history.dat", historyFile_);
  mameInfoLoaded_ = load("mameinfo.dat", mameInfoFile_);
}

void TForm1::NoteLanguageFiles() {
  for (int i = 1; i < MainWindowMenus::kLanguageCount; ++i) {
    if (taalmanager_->Manager().HasLanguage(kLanguageNames[i])) menus_->LanguageActions()[i]->setEnabled(true);
  }
}

void TForm1::ApplyLanguage(int index) {
  // The other windows exist by the first show, which applies the saved language first.
  for (QObject* child : children()) {
    auto* window = qobject_cast<QWidget*>(child);
    if (window != nullptr && IsTranslatedWindow(window) && LangTranslatorOf(window) == nullptr) {
      AttachLangTranslator(window, &taalmanager_->Manager());
    }
  }
  const char* language = kLanguageNames[index];
  // The built-in texts are English: only a switch away from another language needs english.lng.
  const bool builtIn = index == 0 && taalmanager_->Manager().CurrentLang().empty();
  if (!builtIn && !taalmanager_->Manager().HasLanguage(language)) {
    qWarning("kestrune: there is no language file %slang/%s.lng; the texts stay as they are", frontDir_.c_str(),
             language);
  }
  taalmanager_->Manager().SetCurrentLang(language);
}

namespace {

void ShowUnminimised(QWidget* window) {
  if (window->isMinimized()) {
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  }
  window->show();
  window->raise();
}

}  // namespace

void TForm1::ShowAndRaise() {
  ShowUnminimised(this);
  // Without a window manager nothing keeps a dialog above the window it belongs to: raised alone, the
  // main window would hide the dialog the program waits on.
  QWidget* top = this;
  for (QWidget* window : modalOrder_->OpenWindows()) {
    ShowUnminimised(window);
    top = window;
  }
  top->activateWindow();
}

void TForm1::AnswerSecondStart(QString* keptBackBecause) {
  const QString game = launcher_ != nullptr ? launcher_->RunningGame() : QString();
  if (game.isEmpty()) {
    ShowAndRaise();
    return;
  }
  // The window is hidden while the game runs: shown, it would cover the game the user is playing.
  const QString why =
      QStringLiteral("a game is running (%1): MAME stays in front, and Kestrune's window comes back when it ends")
          .arg(game);
  qWarning("kestrune: %s", qUtf8Printable(why));
  if (keptBackBecause != nullptr) *keptBackBecause = why;
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // The first activation may wait on MAME: it runs once the window has been painted, never before.
  if (!startupDone_ && !firstExposeDone_ && windowHandle() != nullptr) windowHandle()->installEventFilter(this);
  FormShow();
}

void TForm1::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  const bool normal = !(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized));
  if (normal && menus_ != nullptr && !IsFullScreen()) normalSize_ = event->size();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == windowHandle() && event->type() == QEvent::Expose && windowHandle()->isExposed()) {
    // The window paints while it handles this event; the activation follows it.
    windowHandle()->removeEventFilter(this);
    firstExposeDone_ = true;
    // A window started in full screen is shown maximised by a window manager before it is first
    // painted; one still at its own size has none.
    if (IsFullScreen()) FillScreen();
    QTimer::singleShot(0, this, &TForm1::FormActivate);
  }
  if (event->type() == QEvent::ToolTip && !showHints_ && !qobject_cast<QAbstractItemView*>(watched)) return true;
  if (event->type() == QEvent::KeyPress) {
    if (auto* list = qobject_cast<QAbstractItemView*>(watched)) {
      if (HandleListKey(list, *static_cast<QKeyEvent*>(event))) return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TForm1::SetHintsShown(bool shown) {
  showHints_ = shown;
  for (QWidget* control : menus_->ToolBar()->findChildren<QWidget*>()) {
    control->removeEventFilter(this);
    control->installEventFilter(this);
  }
}

void TForm1::SetSmoothScrolling(bool smooth) {
  for (QAbstractItemView* list : {static_cast<QAbstractItemView*>(gameList_->View()->ReportView()),
                                  static_cast<QAbstractItemView*>(gameList_->View()->IconView())}) {
    list->setVerticalScrollMode(smooth ? QAbstractItemView::ScrollPerPixel : QAbstractItemView::ScrollPerItem);
  }
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  event->accept();
  QCoreApplication::quit();
}

void TForm1::UpdateSupportFileColumns() {
  const bool hadCatver = catverPresent_;
  const bool hadNPlayers = nplayersPresent_;
  catverPresent_ = FileExists(frontDir_ + "catver.ini");
  nplayersPresent_ = FileExists(frontDir_ + "nplayers.ini");
  ShowColumnWithData(3, hadCatver, catverPresent_, 150);
  ShowColumnWithData(11, hadCatver, catverPresent_, 100);
  ShowColumnWithData(13, hadNPlayers, nplayersPresent_, 100);
}

// A column whose file has just come back is shown at the width it had before it was hidden for
// the missing file, or at its first width; a column the user hid while the file was there stays hidden.
void TForm1::ShowColumnWithData(int column, bool hadData, bool hasData, int width) {
  if (!hasData) {
    HideColumnKeepingWidth(column);
    return;
  }
  QHeaderView* header = gameList_->View()->ReportView()->header();
  const auto kept = hiddenWidths_.find(column);
  if (hadData || header->sectionSize(column) > 0) return;
  header->resizeSection(column, kept != hiddenWidths_.end() ? kept->second : width);
  if (kept != hiddenWidths_.end()) hiddenWidths_.erase(kept);
}

std::array<bool, 6> TForm1::OpenArchives() const { return panes_->OpenArchives(); }

void TForm1::Tell(QMessageBox::Icon icon, const QString& text) { messenger_(icon, text, QMessageBox::Ok); }

void TForm1::Report(const QString& text) {
  qWarning("kestrune: %s", qUtf8Printable(text));
  messenger_(QMessageBox::Warning, text, QMessageBox::Ok);
}

// ---- First activation ----

void TForm1::FormActivate() {
  if (startupDone_ || !firstShowDone_ || !firstExposeDone_) return;
  startupDone_ = true;
  const std::filesystem::path catalogue = cat::CataloguePath(frontDir_);
  if (kestrune::platform::NothingAt(catalogue)) {
    std::string writeError;
    if (!kestrune::platform::WriteFileAtomic(catalogue, "", &writeError)) qWarning("kestrune: %s", writeError.c_str());
  }
  for (const std::string* problem : {&settings_->LoadError(), &settings_->LoadWarning()}) {
    if (!problem->empty()) Report(ProgramQTextOf(*problem));
  }
  FillDisplayLists();
  ApplyFontsAndColours();
  CheckMameFile();
  WriteMissingOptionFiles();
  LoadAndListCatalogue();
  RestoreSelection();
  emit gameList_->selectedGameChanged();
}

void TForm1::FillDisplayLists() {
  if (Form2 == nullptr) return;
  const std::vector<kestrune::platform::ScreenModes> screens = kestrune::platform::ListScreenModes();
  for (std::size_t device = 0; device < 2 && device < screens.size(); ++device) {
    const QString& name = screens[device].name;
    for (QComboBox* list : Form2->ScreenLists()) {
      list->addItem(name);
      list->view()->setMinimumWidth(8 * static_cast<int>(name.size()));
    }
  }
  if (screens.empty()) return;
  // The default screen's list and "Screen 1" offer the first screen's modes, "Screen 2" … those of
  // their own screen, or the first screen's where there is no such screen.
  const auto& lists = Form2->ResolutionLists();
  for (std::size_t i = 0; i < lists.size(); ++i) {
    const std::size_t screen = i == 0 || i > screens.size() ? 0 : i - 1;
    lists[i]->addItems(screens[screen].modes);
  }
}

namespace {

// A colour as the settings store it: the decimal value of 0x00BBGGRR. Anything else (a system colour's
// negative number, text) is no colour.
std::optional<QColor> StoredColour(const std::string& text) {
  const std::optional<int> value = set::ParseInt(text);
  if (!value || *value < 0 || *value > 0xFFFFFF) return std::nullopt;
  return QColor(*value & 0xFF, (*value >> 8) & 0xFF, (*value >> 16) & 0xFF);
}

}  // namespace

void TForm1::ApplyFontsAndColours() {
  const set::Settings& s = *settings_;
  const auto text = [&s](const char* key) { return s.ReadText(set::kUiSection, key); };
  QAbstractItemView* lists[] = {gameList_->View()->ReportView(), gameList_->View()->IconView()};
  if (const std::optional<QColor> colour = StoredColour(text("listcolor"))) {
    for (QAbstractItemView* list : lists) {
      QPalette palette = list->palette();
      palette.setColor(QPalette::Base, *colour);
      list->setPalette(palette);
    }
  }
  if (const std::string font = text("listfont"); !font.empty()) {
    const int size = s.ReadInt(set::kUiSection, "listfontsize");
    for (QAbstractItemView* list : lists) {
      QFont listFont(QString::fromStdString(font));
      if (size > 0 && size < 200) listFont.setPointSize(size);
      list->setFont(listFont);
    }
  }
  masterColour_ = text("listfontcolor");
  if (const std::optional<QColor> colour = StoredColour(masterColour_)) {
    for (QWidget* widget : {static_cast<QWidget*>(historyscherm_), static_cast<QWidget*>(historyscherm2_),
                            static_cast<QWidget*>(lists[0]), static_cast<QWidget*>(lists[1])}) {
      QPalette palette = widget->palette();
      palette.setColor(QPalette::Text, *colour);
      widget->setPalette(palette);
    }
  }
  cloneColour_ = text("clonecolor");
  SetRowColours(masterColour_, cloneColour_);
  if (const std::string font = text("areafont"); !font.empty()) {
    QFont areaFont(QString::fromStdString(font));
    const int size = s.ReadInt(set::kUiSection, "areafontsize");
    if (size > 0 && size < 200) areaFont.setPointSize(size);
    pageControl_->setFont(areaFont);
  }
}

void TForm1::CheckMameFile() {
  mameFile_ = settings_->ReadText(set::kUiSection, "mamefile");
  const std::string front = settings_->ReadText(set::kUiSection, "frontdir");
  // A frontdir left by a copy of the program folder elsewhere must not send MAME runs there.
  if (!front.empty() && front != frontDir_) {
    qWarning("kestrune: the settings' frontdir %s is not this program folder %s; using %s", front.c_str(),
             frontDir_.c_str(), frontDir_.c_str());
  }
  if (mameFile_.empty() || !kestrune::platform::IsRunnableFile(frontDir_ + mameFile_)) mameFile_.clear();
}

void TForm1::WriteMissingOptionFiles() {
  set::MameOptions options;
  set::ResetMameOptions(options);
  std::string error;
  std::error_code exists;
  // After a ROM scan the BIOS lists are the installed MAME's own.
  if (std::filesystem::is_regular_file(frontDir_ + "roms.dat", exists)) {
    set::BiosSetLists lists;
    if (set::ReadBiosSets(frontDir_ + "roms.dat", lists, &error)) set::ApplyBiosSets(options, lists);
  }
  // mame.ini names the ini folder, and writing it checks that the folder is there: a settings file
  // brought from another machine names one that does not exist here yet.
  std::filesystem::create_directories(folders_.ini, exists);
  if (!mameFile_.empty() && kestrune::platform::NothingAt(frontDir_ + "mame.ini")) {
    set::MameFolders folders;
    folders.FrontDir = frontDir_;
    folders.IniDir = folders_.ini;
    folders.InpDir = folders_.inp;
    folders.SnapDir = folders_.snap;
    // Kestrune's mame.ini replaces the system's for MAME, so it carries MAME's own installation paths.
    if (!set::AskMameOwnPaths(frontDir_ + mameFile_, folders.MameOwnPaths, &error)) {
      qWarning("kestrune: %s", error.c_str());
      // Stopped for the program's end: a mame.ini without MAME's own paths would stay behind for good.
      if (kestrune::platform::TerminationRequested()) return;
    }
    if (!set::WriteMameIni(set::OptionsMode::DefaultOptions, options, folders, "", &error)) {
      Report(ProgramQTextOf(error));
    }
  }
  if (!set::WriteMissingBiosInis(options, folders_.ini, &error)) Report(ProgramQTextOf(error));
}

void TForm1::LoadAndListCatalogue() {
  std::string error;
  const cat::CatalogueLoad load = cat::LoadCatalogue(catalogue_, frontDir_, &error);
  catalogueLoaded_ = load != cat::CatalogueLoad::Failed;
  if (!catalogueLoaded_) {
    Report(ProgramQText(kestrune::translation::kSGameListNotRead).arg(ProgramQTextOf(error)));
  }
  gameList_->ApplySettings();
}

void TForm1::RestoreSelection() {
  const int row = settings_->ReadInt(set::kUiSection, "selected");
  const int rows = gameList_->List().GameCount();
  if (rows == 0) return;
  gameList_->View()->SelectRow(row >= 0 && row < rows ? row : 0);
}
