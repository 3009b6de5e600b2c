#include "mainwindow/main_window_menus.h"

#include <QAction>
#include <QActionGroup>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include "mainwindow/game_list_controller.h"
#include "mainwindow/toolbar_images.h"

namespace {

struct CommandSpec {
  const char* name;
  const char* caption;
  const char* shortcut;  // "" for none
  int image;             // -1 for none
  const char* hint;      // the tool button's hint, "" when the command has no button
  bool checkable;
};

using Img = ToolbarImages;

constexpr CommandSpec kCommands[] = {
    {"Exit1", "Default Mame Options", "Ctrl+O", Img::kOptions, "Default MAME options", false},
    {"Startrandomgame1", "Play Random Game", "Ctrl+Alt+P", -1, "", false},
    {"Exit2", "Exit", "", -1, "", false},
    {"PlayGame2", "Play Game", "", Img::kRun, "Play Game", false},
    {"PlayandRecord1", "Play Game and Record", "Ctrl+R", Img::kPlayRecord, "Play Game and Record", false},
    {"PlaybackGamerecord1", "Playback Recorded Game", "", Img::kPlayback, "Playback recorded game", false},
    {"GameOptions1", "Game Options", "Ctrl+Alt+O", -1, "", false},
    {"DeleteGameIni4", "Delete Game .Ini", "", -1, "", false},
    {"DeleteRecordedGame1", "Delete Recorded Game", "", -1, "", false},
    {"MoveRomFileTo3", "Move Rom File To ...", "", -1, "", false},
    {"ShowGameDriverInfo1", "Show Game Driver Info", "Ctrl+D", Img::kGameInfo, "Game Driver Info", false},
    {"Show1", "Show Game Details", "Ctrl+I", Img::kGameDetails, "Game Details", false},
    {"Initialise1", "Initialize Roms", "F5", -1, "", false},
    {"Interfaceoptions1", "Preferences", "Ctrl+Shift+F11", -1, "", false},
    {"StatusBar1", "Status Bar", "", -1, "", true},
    {"oolBar1", "Tool Bar", "", -1, "", true},
    {"HideViews1", "Picture Area", "", -1, "", true},
    {"HideTabs1", "Show Tabs", "", -1, "", true},
    {"Maximize1", "Full Screen", "Shift+F11", -1, "", true},
    {"CustomizeColumns1", "Customize Columns", "", -1, "", false},
    {"CustomizeToolbar1", "Customize Toolbar", "", -1, "", false},
    {"Help1", "Help", "F1", Img::kHelp, "Help", false},
    {"KestruneHomepage1", "Kestrune Homepage", "", -1, "", false},
    {"OfficialMameHomepage1", "Official Mame Homepage", "", -1, "", false},
    {"XArcadeHomepage1", "X-Arcade Homepage", "", -1, "", false},
    {"SlikStikHomepage1", "SlikStik Homepage", "", -1, "", false},
    {"HotRodHomepage1", "HotRod Homepage", "", -1, "", false},
    {"About2", "About", "", -1, "", false},
};

struct TwinSpec {
  const char* name;
  const char* command;
  const char* caption;  // null: the command's caption
};

// The list pop-up's items that do what a main-menu item does.
constexpr TwinSpec kGamePopupTwins[] = {
    {"PlayGame1", "PlayGame2", nullptr},
    {"PlayGameandRecord1", "PlayandRecord1", nullptr},
    {"PlaybackRecordedGame1", "PlaybackGamerecord1", nullptr},
    {"GameOptions2", "GameOptions1", nullptr},
    {"DeleteGameIni1", "DeleteGameIni4", nullptr},
    {"DeleteRecordedGame2", "DeleteRecordedGame1", nullptr},
    {"MoveRomFileTo2", "MoveRomFileTo3", nullptr},
    {"ShowGameDriverInfo2", "ShowGameDriverInfo1", nullptr},
};
constexpr TwinSpec kFullScreenTwins[] = {
    {"FullScreen1", "Maximize1", "Full Screen"},
    {"CustomiseColumn1", "CustomizeColumns1", "Customize Column"},
    {"Close1", "Exit2", "Exit"},
};

struct NameCaption {
  const char* name;
  const char* caption;
};

constexpr NameCaption kLanguages[MainWindowMenus::kLanguageCount] = {
    {"English2", "English"}, {"Dutch2", "Dutch"},     {"German1", "German"},   {"French1", "French"},
    {"Italian1", "Italian"}, {"Chineessimp1", "Chinese (Simplified)"},         {"Spanish1", "Spanish"},
    {"Russian1", "Russian"}, {"Greek1", "Greek"},     {"Swedisch1", "Swedish"},
};

struct TabItems {
  const char* popupItem;
  const char* viewItem;
  const char* caption;
};

constexpr TabItems kTabItems[MainWindowMenus::kArtworkTabCount] = {
    {"History1", "History2", "History"},  {"Flyer1", "Flyer2", "Flyer"},
    {"Cabinet1", "Cabinet2", "Cabinet"},  {"Marquee1", "Marquee2", "Marquee"},
    {"ControlPanel1", "ControlPanel2", "Control Panel"}, {"itle1", "itle2", "Titles"},
    {"Mng1", "Mn", "Movie"},
};

// The tool bar's buttons in the order they stand, each with the command it issues; a name starting
// with "-" is a separator of that name (the toolbar dialog shows and hides them with their buttons),
// and the game list's own buttons and the search box are placed by name.
struct ButtonSpec {
  const char* button;
  const char* command;
};

constexpr ButtonSpec kToolButtons[] = {
    {"ToolButton1", "PlayGame2"},      {"-ToolButton10", ""},             {"ToolButton3", "PlayandRecord1"},
    {"ToolButton4", "PlaybackGamerecord1"}, {"-ToolButton5", ""},         {"ToolButton6", "ShowDetails1"},
    {"ToolButton9", "ShowList1"},      {"ToolButton16", "ShowIcons1"},    {"ToolButton13", ""},
    {"ToolButton15", ""},              {"-ToolButton7", ""},              {"ToolButton8", "Exit1"},
    {"-ToolButton12", ""},             {"ToolButton18", "Show1"},         {"ToolButton17", "ShowGameDriverInfo1"},
    {"-ToolButton14", ""},             {"ToolButton11", "Help1"},         {"-ToolButton2", ""},
    {"searchtag", ""},
};

// The `toolbarbuttons` characters name the controls in this order.
constexpr const char* kToolbarControlOrder[MainWindowMenus::kToolbarControlCount] = {
    "ToolButton1",  "ToolButton3",  "ToolButton4", "ToolButton6",  "ToolButton9",  "ToolButton16", "ToolButton13",
    "ToolButton15", "ToolButton8", "ToolButton18", "ToolButton17", "ToolButton11", "searchtag",
};

// Images of the game list's view-style actions on the tool bar and in the View menu.
constexpr std::pair<const char*, int> kViewStyleImages[] = {
    {"ShowDetails1", Img::kDetails}, {"ShowList1", Img::kList}, {"ShowIcons1", Img::kIcons},
    {"ShowAllGames1", Img::kAllRoms}, {"ShowAvailableGames1", Img::kAvailableRoms},
    {"ShowFavorites2", Img::kFavoritesRoms},
};

}  // namespace

MainWindowMenus::MainWindowMenus(QMainWindow* window, GameListController* gameList, const ToolbarImages* images)
    : QObject(window), owner_(window), gameList_(gameList), images_(images) {
  CreateCommands();
  CreateTabActions(window);
  CreateMainMenu(window);
  CreateGamePopup(window);
  CreateToolBar(window);
  for (const auto& [name, image] : kViewStyleImages) {
    if (QAction* action = gameList_->Action(name)) imageOf_.insert(action, image);
  }
  RefreshImages();
  if (images_ != nullptr) connect(images_, &ToolbarImages::changed, this, &MainWindowMenus::RefreshImages);
}

QAction* MainWindowMenus::Action(const QString& name) const {
  if (QAction* own = actions_.value(name)) return own;
  return gameList_->Action(name);
}

QMenu* MainWindowMenus::Menu(const QString& name) const { return menus_.value(name); }

QAction* MainWindowMenus::NewAction(const QString& name, const QString& caption, int image) {
  auto* action = new QAction(caption, owner_);
  action->setObjectName(name);
  actions_.insert(name, action);
  if (image >= 0) imageOf_.insert(action, image);
  return action;
}

QAction* MainWindowMenus::Twin(const QString& name, QAction* command) {
  QAction* twin = NewAction(name, command->text(), imageOf_.value(command, -1));
  connect(twin, &QAction::triggered, command, &QAction::trigger);
  return twin;
}

QMenu* MainWindowMenus::NewMenu(const QString& name, const QString& caption, QWidget* parent) {
  auto* menu = new QMenu(caption, parent);
  menu->setObjectName(name);
  menu->menuAction()->setObjectName(name);
  menus_.insert(name, menu);
  return menu;
}

void MainWindowMenus::CreateCommands() {
  for (const CommandSpec& spec : kCommands) {
    QAction* action = NewAction(spec.name, spec.caption, spec.image);
    if (spec.shortcut[0] != '\0') action->setShortcut(QKeySequence(QString::fromLatin1(spec.shortcut)));
    if (spec.hint[0] != '\0') action->setToolTip(spec.hint);
    action->setCheckable(spec.checkable);
  }
  auto* group = new QActionGroup(this);
  for (int i = 0; i < kLanguageCount; ++i) {
    languages_[i] = NewAction(kLanguages[i].name, kLanguages[i].caption);
    languages_[i]->setCheckable(true);
    languages_[i]->setEnabled(i == 0);
    group->addAction(languages_[i]);
  }
}

void MainWindowMenus::CreateTabActions(QWidget* parent) {
  popupMenu2_ = NewMenu("PopupMenu2", QString(), parent);
  for (int i = 0; i < kArtworkTabCount; ++i) {
    tabPopup_[i] = NewAction(kTabItems[i].popupItem, kTabItems[i].caption);
    tabViews_[i] = NewAction(kTabItems[i].viewItem, kTabItems[i].caption);
    for (QAction* action : {tabPopup_[i], tabViews_[i]}) {
      action->setCheckable(true);
      action->setChecked(true);
    }
    popupMenu2_->addAction(tabPopup_[i]);
  }
  popupMenu2_->addSeparator();
  QAction* showTabs = NewAction("ShowTabs1", "Show Tabs");
  popupMenu2_->addAction(showTabs);
  // Both items flip the tabs; the View menu's one shows the state.
  connect(showTabs, &QAction::triggered, actions_.value("HideTabs1"), &QAction::trigger);
}

void MainWindowMenus::CreateMainMenu(QMainWindow* window) {
  QMenuBar* bar = window->menuBar();
  bar->setObjectName("MainMenu1");
  auto add = [this](QMenu* menu, std::initializer_list<const char*> names) {
    for (const char* name : names) {
      if (name[0] == '\0') {
        menu->addSeparator();
      } else if (QAction* action = Action(name)) {
        menu->addAction(action);
      }
    }
  };

  QMenu* file = NewMenu("File1", "File", window);
  add(file, {"Exit1", "Startrandomgame1", "", "Exit2"});

  QMenu* game = NewMenu("Game1", "Game", window);
  add(game, {"PlayGame2", "PlayandRecord1", "PlaybackGamerecord1", "", "GameOptions1", "DeleteGameIni4",
             "DeleteRecordedGame1", "MoveRomFileTo3", "", "AddtoFavorites2", "RemovefromFavorites1", "",
             "ShowGameDriverInfo1", "Show1"});

  QMenu* setup = NewMenu("Setup1", "Setup", window);
  add(setup, {"Initialise1", "Interfaceoptions1"});
  QMenu* language = NewMenu("Language1", "Language", setup);
  for (QAction* action : languages_) language->addAction(action);
  setup->addMenu(language);

  QMenu* view = NewMenu("View1", "View", window);
  add(view, {"StatusBar1", "oolBar1", "HideViews1", "HideTabs1"});
  QMenu* views = NewMenu("Views1", "Views", view);
  for (QAction* action : tabViews_) views->addAction(action);
  view->addMenu(views);
  add(view, {"", "ShowDetails1", "ShowList1", "ShowIcons1", "", "ShowAllGames1", "ShowAvailableGames1",
             "ShowFavorites2", "", "Maximize1", "CustomizeColumns1", "CustomizeToolbar1", "he1"});

  QMenu* help = NewMenu("Help2", "Help", window);
  add(help, {"Help1", "", "KestruneHomepage1", "OfficialMameHomepage1", "XArcadeHomepage1", "SlikStikHomepage1",
             "HotRodHomepage1", "", "About2"});

  for (QMenu* menu : {file, game, setup, view, help}) mainEntries_.append(bar->addMenu(menu));
  // Full screen hides the menu bar's entries, and an action reachable only through a hidden menu has
  // no working key: the window itself carries every shortcut.
  for (QMenu* menu : {file, game, setup, view, help}) AddShortcutsTo(window, menu);
}

void MainWindowMenus::AddShortcutsTo(QWidget* window, const QMenu* menu) {
  for (QAction* action : menu->actions()) {
    if (const QMenu* sub = QMenu::menuInAction(action)) AddShortcutsTo(window, sub);
    if (!action->shortcut().isEmpty()) window->addAction(action);
  }
}

void MainWindowMenus::CreateGamePopup(QWidget* parent) {
  popupMenu1_ = NewMenu("PopupMenu1", QString(), parent);
  for (const TwinSpec& twin : kGamePopupTwins) {
    popupMenu1_->addAction(Twin(twin.name, actions_.value(twin.command)));
    if (QString(twin.name) == "PlaybackRecordedGame1") popupMenu1_->addSeparator();
  }
  popupMenu1_->addSeparator();
  for (const char* name : {"AddtoFavorites1", "RemovefromFavoritelist1"}) {
    if (QAction* action = gameList_->Action(name)) popupMenu1_->addAction(action);
  }
  for (const TwinSpec& spec : kFullScreenTwins) {
    fullScreenItems_.append(popupMenu1_->addSeparator());
    QAction* twin = Twin(spec.name, actions_.value(spec.command));
    twin->setText(spec.caption);
    twin->setCheckable(false);
    popupMenu1_->addAction(twin);
    fullScreenItems_.append(twin);
  }
  for (QAction* item : fullScreenItems_) item->setVisible(false);
}

void MainWindowMenus::CreateToolBar(QMainWindow* window) {
  toolBar_ = new QToolBar(window);
  toolBar_->setObjectName("ToolBar1");
  toolBar_->setMovable(false);
  toolBar_->setFloatable(false);
  QHash<QString, QAction*> placed;
  for (const ButtonSpec& spec : kToolButtons) {
    const QString name = spec.button;
    if (name.startsWith('-')) {
      toolBar_->addSeparator()->setObjectName(name.mid(1));
    } else if (name == "ToolButton13") {
      placed.insert(name, toolBar_->addWidget(gameList_->ListModeButton()));
    } else if (name == "ToolButton15") {
      placed.insert(name, toolBar_->addWidget(gameList_->FilterButton()));
    } else if (name == "searchtag") {
      placed.insert(name, toolBar_->addWidget(gameList_->SearchBox()));
    } else {
      auto* button = new QToolButton(toolBar_);
      button->setObjectName(name);
      button->setDefaultAction(Action(spec.command));
      button->setToolButtonStyle(Qt::ToolButtonIconOnly);
      placed.insert(name, toolBar_->addWidget(button));
    }
  }
  for (int i = 0; i < kToolbarControlCount; ++i) toolbarControls_[i] = placed.value(kToolbarControlOrder[i]);
  const QHash<QString, QString> viewHints{
      {"ShowDetails1", "Show Details"}, {"ShowList1", "Show List"}, {"ShowIcons1", "Show Icons"}};
  for (auto it = viewHints.begin(); it != viewHints.end(); ++it) {
    if (QAction* action = gameList_->Action(it.key())) action->setToolTip(it.value());
  }
  window->addToolBar(toolBar_);
}

void MainWindowMenus::RefreshImages() {
  if (images_ == nullptr) return;
  for (auto it = imageOf_.begin(); it != imageOf_.end(); ++it) it.key()->setIcon(images_->Image(it.value()));
}
