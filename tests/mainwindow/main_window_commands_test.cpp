#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QSlider>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QTreeView>
#include <QUrl>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "../catalogue/game_lines.h"
#include "catalogue/mame_launch.h"
#include "mainwindow/about_dialog.h"
#include "mainwindow/column_order_dialog.h"
#include "mainwindow/delete_ini_dialog.h"
#include "mainwindow/delete_inp_dialog.h"
#include "mainwindow/delete_rom_dialog.h"
#include "mainwindow/game_details_dialog.h"
#include "mainwindow/game_list_controller.h"
#include "mainwindow/game_list_model.h"
#include "mainwindow/help_window.h"
#include "mainwindow/hint_pause.h"
#include "mainwindow/main_window.h"
#include "mainwindow/main_window_menus.h"
#include "mainwindow/message_box.h"
#include "mainwindow/preferences_dialog.h"
#include "mainwindow/program_windows.h"
#include "mainwindow/rom_scan_command_qt.h"
#include "mainwindow/toolbar_buttons_dialog.h"
#include "platform/text_file.h"
#include "settings/option_file_writer.h"
#include "settings/options_dialog.h"
#include "translation/lang_manager.h"
#include "translation/lang_translator_qt.h"
#include "support/file_util.h"
#include "support/program_folder_fixture.h"
#include "translation/program_strings_qt.h"

namespace {

namespace fs = std::filesystem;
namespace set = kestrune::settings;
namespace cat = kestrune::catalogue;
using kestrune::test::GameLine;
using Values = std::map<std::string, std::string>;

// A set with the given scan status; statuses 2 to 6 are sets that are not there.
std::string SetLine(const std::string& romname, const std::string& status, const std::string& cloneof = "") {
  return GameLine(romname, [&](cat::Tgameinfo& game) {
    game.romstatus = status;
    game.availflag = status == "0" || status == "1" ? "0" : "1";
    game.cloneof = cloneof;
  });
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// Forty available games, so that the list has pages to move through.
std::string ManyGames() {
  std::vector<std::string> lines;
  for (int i = 0; i < 40; ++i) lines.push_back(SetLine("game" + std::to_string(100 + i), "0"));
  return Lines(lines);
}

class CommandsTest : public kestrune::test::ProgramFolderTest {
 protected:
  void WriteMame() const { WriteProgram("mame"); }

  // Starts the program on these games with every game listed and the changed settings.
  void Start(const std::string& catalogue, const Values& changes = {}) {
    Write("ini/kestrune.dat", catalogue);
    set::Settings settings(folder_);
    settings.WriteDefaults(folder_, "mame", "");
    Values all{{"list", "0"},       {"showbadroms", "1"}, {"winleft", "40"},   {"wintop", "30"},
               {"winwidth", "900"}, {"winheight", "560"}, {"splitter", "420"}, {"showtabs", "1"}};
    for (const auto& [key, value] : changes) all[key] = value;
    for (const auto& [key, value] : all) settings.WriteText(set::kUiSection, key, value);
    std::string error;
    ASSERT_TRUE(settings.Save(&error)) << error;
    CreateWindows();
    Form1->SetDialogRunner([this](QDialog& dialog) {
      dialogs_.push_back(&dialog);
      return duringDialog_ ? duringDialog_(dialog) : int(QDialog::Rejected);
    });
    Form1->SetUrlOpener([this](const QUrl& url) {
      opened_.push_back(url);
      return true;
    });
    ShowAndWait();
  }

  QAction* Action(const char* name) const { return Form1->Menus()->Action(name); }
  GameListView* View() const { return Form1->gameList()->View(); }
  std::string Key(const char* key) const { return Form1->settings().ReadText(set::kUiSection, key); }
  void Select(const char* romname) const {
    Form1->gameList()->SelectGameByRom(romname);
    ASSERT_GE(View()->SelectedRow(), 0) << romname;
  }
  std::string SelectedRom() const { return Form1->gameList()->GetSelectedRom().toStdString(); }
  QHeaderView* Header() const { return View()->ReportView()->header(); }
  std::vector<int> ColumnLayout() const {
    std::vector<int> layout;
    for (int visual = 0; visual < Header()->count(); ++visual) {
      layout.push_back(Header()->logicalIndex(visual));
      layout.push_back(Header()->sectionSize(Header()->logicalIndex(visual)));
    }
    return layout;
  }
  // The frame as the user sees it: where it stands and the size of the window inside it.
  QRect Frame() const { return {Form1->frameGeometry().topLeft(), Form1->size()}; }
  // The controls that full screen hides (the tool bar and status bar only on entering) and shows.
  void ExpectFullScreenLayout(bool on) const {
    EXPECT_EQ(Action("Maximize1")->isChecked(), on);
    EXPECT_EQ(Form1->windowFlags().testFlag(Qt::FramelessWindowHint), on);
    EXPECT_TRUE(Form1->isVisible());
    if (on) {
      EXPECT_FALSE(Form1->Menus()->ToolBar()->isVisible() || Form1->statusBar()->isVisible());
      EXPECT_FALSE(Action("oolBar1")->isChecked() || Action("StatusBar1")->isChecked());
    }
    for (QAction* entry : Form1->Menus()->MainMenuEntries()) EXPECT_EQ(entry->isVisible(), !on);
    for (QAction* item : Form1->Menus()->FullScreenPopupItems()) EXPECT_EQ(item->isVisible(), on);
  }

  std::vector<QDialog*> dialogs_;
  std::function<int(QDialog&)> duringDialog_;
  std::vector<QUrl> opened_;
};

const QString kNoMame = QStringLiteral("\rNo Mame binary selected !");

// ---- View styles ----

TEST_F(CommandsTest, ViewStylesSwitchFromMenuAndToolBarAndDrawClonesInTheirColour) {
  // Parent rows red, clone rows blue (0x00BBGGRR).
  Start(Lines({SetLine("pacman", "0"), SetLine("puckman", "0", "pacman")}),
        {{"listfontcolor", "255"}, {"clonecolor", "16711680"}});
  const QAbstractItemModel* model = Form1->gameList()->Model();
  auto colour = [model](int row) { return model->data(model->index(row, 0), Qt::ForegroundRole); };
  const struct {
    const char* button;
    ViewStyle style;
    const char* item;
    const char* viewtype;
    bool coloured;
  } styles[] = {{"ToolButton16", ViewStyle::Icons, "ShowIcons1", "2", false},
                {"ToolButton9", ViewStyle::List, "ShowList1", "1", true},
                {"ToolButton6", ViewStyle::Details, "ShowDetails1", "0", true}};
  for (const auto& style : styles) {
    Form1->Menus()->ToolBar()->findChild<QToolButton*>(style.button)->click();
    EXPECT_EQ(View()->Style(), style.style) << style.button;
    EXPECT_EQ(Key("viewtype"), style.viewtype) << style.button;
    for (const char* item : {"ShowIcons1", "ShowList1", "ShowDetails1"}) {
      EXPECT_EQ(Action(item)->isChecked(), std::string(item) == style.item) << style.button << " " << item;
    }
    if (style.coloured) {
      EXPECT_EQ(colour(0).value<QColor>(), QColor(255, 0, 0)) << style.button;
      EXPECT_EQ(colour(1).value<QColor>(), QColor(0, 0, 255)) << style.button;
    } else {
      EXPECT_FALSE(colour(0).isValid()) << style.button;
    }
  }
  // The style in force chosen again writes nothing.
  Form1->settings().WriteText(set::kUiSection, "viewtype", "untouched");
  Action("ShowDetails1")->trigger();
  EXPECT_EQ(Key("viewtype"), "untouched");
  EXPECT_TRUE(Action("ShowDetails1")->isChecked());
}

// ---- Toggles of the View menu ----

struct ToggleCase {
  const char* item;
  const char* key;
  std::function<bool()> shown;
};

void PrintTo(const ToggleCase& c, std::ostream* out) { *out << c.item; }

class ViewToggles : public CommandsTest, public ::testing::WithParamInterface<ToggleCase> {};

TEST_P(ViewToggles, HideAndShowAgainStoringTheirKey) {
  Start(ManyGames());
  QAction* item = Action(GetParam().item);
  ASSERT_TRUE(item->isChecked());
  item->trigger();
  EXPECT_FALSE(item->isChecked());
  EXPECT_FALSE(GetParam().shown());
  EXPECT_EQ(Key(GetParam().key), "0");
  item->trigger();
  EXPECT_TRUE(item->isChecked());
  EXPECT_TRUE(GetParam().shown());
  EXPECT_EQ(Key(GetParam().key), "1");
}

INSTANTIATE_TEST_SUITE_P(
    , ViewToggles,
    ::testing::Values(ToggleCase{"StatusBar1", "statusbar", [] { return Form1->statusBar()->isVisible(); }},
                      ToggleCase{"oolBar1", "toolbar",
                                 [] {
                                   return Form1->Menus()->ToolBar()->isVisible() &&
                                          Form1->gameList()->SearchBox()->isVisible();
                                 }},
                      ToggleCase{"HideViews1", "showview", [] { return Form1->PageControl()->isVisible(); }}),
    [](const ::testing::TestParamInfo<ToggleCase>& info) { return std::string(info.param.item); });

// With the tabs shown, in English as in Dutch (longer captions), the list keeps the width `splitter`
// gives it and the tab bar scrolls; a narrower window takes its room from the picture area.
class ListWidthWithTabs : public CommandsTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ListWidthWithTabs, TheListKeepsTheSplitterWidthAndTheTabsScroll) {
  fs::create_directories(Path("lang"));
  for (const char* file : {"english.lng", "dutch.lng"}) {
    fs::copy_file(fs::absolute(kestrune::test::TestDataDir() / ".." / ".." / "lang" / file), Path("lang") / file);
  }
  const std::string language = GetParam() == std::string("dutch") ? "1" : "0";
  Start(ManyGames(), {{"winwidth", "925"}, {"winheight", "600"}, {"splitter", "485"}, {"showtabs", "1"},
                      {"language", language}});
  ASSERT_EQ(Form1->LanguageManager()->Manager().CurrentLang(), GetParam());
  QTabWidget* tabs = Form1->PageControl();
  EXPECT_TRUE(tabs->usesScrollButtons());
  QCoreApplication::processEvents();
  EXPECT_EQ(View()->width(), 485);

  Action("HideTabs1")->trigger();
  Action("HideTabs1")->trigger();
  ASSERT_FALSE(Form1->TabsHidden());
  QCoreApplication::processEvents();
  EXPECT_EQ(View()->width(), 485);
  Form1->resize(Form1->width() - 100, Form1->height());
  ASSERT_TRUE(WaitUntil([&] { return tabs->width() < tabs->tabBar()->sizeHint().width(); }));
  EXPECT_EQ(View()->width(), 485);
  ASSERT_TRUE(Form1->close());
  EXPECT_EQ(Key("splitter"), "485");
}

INSTANTIATE_TEST_SUITE_P(Languages, ListWidthWithTabs, ::testing::Values("english", "dutch"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

// The tool bar's buttons stay where they are whatever image or check state their neighbours show.
TEST_F(CommandsTest, ToolBarButtonsKeepTheirPlacesAcrossImagesAndViewStyles) {
  Start(ManyGames(), {{"toolbar", "1"}});
  QToolBar* bar = Form1->Menus()->ToolBar();
  auto places = [bar] {
    std::vector<int> lefts;
    for (QAction* control : Form1->Menus()->ToolbarControls()) {
      QCoreApplication::processEvents();
      lefts.push_back(bar->widgetForAction(control)->geometry().left());
    }
    return lefts;
  };
  const std::vector<int> before = places();
  for (const char* item : {"ShowAvailableGames1", "ShowFavorites2", "ShowList1", "ShowIcons1", "VerticalGames1",
                           "ShowAllGames1", "ShowDetails1"}) {
    if (QAction* action = Action(item)) action->trigger();
    bar->layout()->activate();
    EXPECT_EQ(places(), before) << item;
  }
  for (QAction* control : Form1->Menus()->ToolbarControls()) {
    if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(control))) {
      EXPECT_EQ(button->height(), 38) << button->objectName().toStdString();
      EXPECT_EQ(button->width(), button->menu() != nullptr ? 52 : 39) << button->objectName().toStdString();
    }
  }
}

// ---- Full screen ----

TEST_F(CommandsTest, FullScreenOnAndOffKeepsGeometryListWidthAndColumnsAndSelectsTheTopRow) {
  Start(ManyGames(), {{"statusbar", "1"}, {"toolbar", "1"}});
  Header()->moveSection(Header()->visualIndex(14), 0);
  Header()->resizeSection(2, 133);
  Select("game117");
  QCoreApplication::processEvents();
  const QRect frame = Frame();
  const int listWidth = View()->width();
  const std::vector<int> columns = ColumnLayout();

  Action("Maximize1")->trigger();
  QCoreApplication::processEvents();
  ExpectFullScreenLayout(true);
  const Values stored{{"winmax", "1"},
                      {"winleftex", std::to_string(frame.left())},
                      {"wintopex", std::to_string(frame.top())},
                      {"winwidthex", std::to_string(frame.width())},
                      {"winheightex", std::to_string(frame.height())},
                      {"splitterex", std::to_string(listWidth)},
                      {"col3", "133"}};
  for (const auto& [key, value] : stored) EXPECT_EQ(Key(key.c_str()), value) << key;
  EXPECT_EQ(Key("colorder").rfind("14=", 0), 0u) << Key("colorder");
  // Only the toggles the user made are kept: full screen does not change them.
  EXPECT_EQ(Key("toolbar"), "1");
  EXPECT_EQ(Key("statusbar"), "1");
  EXPECT_EQ(ColumnLayout(), columns);
  // The top row shown after the change of layout becomes the selected game.
  EXPECT_EQ(View()->SelectedRow(), View()->TopVisibleRow());

  // The pop-up's own item leaves full screen.
  Action("FullScreen1")->trigger();
  ASSERT_TRUE(WaitUntil([&] { return Frame() == frame && View()->width() == listWidth; }))
      << "frame " << Frame().x() << "," << Frame().y() << " " << Frame().width() << "x" << Frame().height() << " list "
      << View()->width();
  ExpectFullScreenLayout(false);
  EXPECT_TRUE(Form1->Menus()->ToolBar()->isVisible() && Form1->statusBar()->isVisible());
  EXPECT_EQ(Key("winmax"), "0");
  EXPECT_EQ(ColumnLayout(), columns);
  EXPECT_EQ(View()->SelectedRow(), View()->TopVisibleRow());
}

TEST_F(CommandsTest, StartingInFullScreenLaysOutAsTheCommandAndLeavesToTheStoredFrame) {
  Start(ManyGames(), {{"winmax", "1"},
                      {"statusbar", "1"},
                      {"toolbar", "0"},
                      {"winleftex", "60"},
                      {"wintopex", "50"},
                      {"winwidthex", "700"},
                      {"winheightex", "450"},
                      {"splitterex", "0"}});
  ExpectFullScreenLayout(true);
  Action("Maximize1")->trigger();
  ASSERT_TRUE(WaitUntil([&] { return Frame() == QRect(60, 50, 700, 450); }))
      << Frame().x() << "," << Frame().y() << " " << Frame().width() << "x" << Frame().height();
  // No list width was ever stored: the list takes half the window.
  EXPECT_NEAR(View()->width(), 350, 4);
  EXPECT_TRUE(Form1->statusBar()->isVisible());
  EXPECT_FALSE(Form1->Menus()->ToolBar()->isVisible());
}

// The size the window had when it was closed is kept, also when full screen was used before.
TEST_F(CommandsTest, TheSizeSavedAfterFullScreenAndAResizeIsTheNewSize) {
  Start(ManyGames());
  QSize chosen;
  for (int round = 0; round < 3; ++round) {
    const QRect frame = Frame();
    Action("Maximize1")->trigger();
    QCoreApplication::processEvents();
    Action("Maximize1")->trigger();
    ASSERT_TRUE(WaitUntil([&] { return Frame().size() == frame.size(); })) << round;
    chosen = QSize(640 + 20 * round, 420 + 10 * round);
    Form1->resize(chosen);
    ASSERT_TRUE(WaitUntil([&] { return Form1->size() == chosen; })) << round;
  }
  ASSERT_TRUE(Form1->close());
  EXPECT_EQ(Key("winwidth"), std::to_string(chosen.width()));
  EXPECT_EQ(Key("winheight"), std::to_string(chosen.height()));
  EXPECT_EQ(Key("winmax"), "0");
}

TEST_F(CommandsTest, TheSizeSavedAfterAStartInFullScreenAndAResizeIsTheNewSize) {
  Start(ManyGames(), {{"winmax", "1"}, {"winleftex", "60"}, {"wintopex", "50"}, {"winwidthex", "700"},
                      {"winheightex", "450"}});
  Action("Maximize1")->trigger();
  ASSERT_TRUE(WaitUntil([&] { return Form1->size() == QSize(700, 450); }));
  const QSize chosen(640, 420);
  Form1->resize(chosen);
  ASSERT_TRUE(WaitUntil([&] { return Form1->size() == chosen; }));
  ASSERT_TRUE(Form1->close());
  EXPECT_EQ(Key("winwidth"), "640");
  EXPECT_EQ(Key("winheight"), "420");
}

// In full screen the menu bar shows no entry; the keys of its items still work through the window.
TEST_F(CommandsTest, ShortcutsWorkInFullScreenWhereTheMenuBarIsEmpty) {
  Start(ManyGames(), {{"winmax", "1"}});
  Form1->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Form1));
  ExpectFullScreenLayout(true);
  // The scan itself is tested with the scan; here only that its key reaches it.
  QObject::disconnect(Action("Initialise1"), nullptr, Form1->RomScan(), nullptr);
  int scans = 0;
  QObject::connect(Action("Initialise1"), &QAction::triggered, [&scans] { ++scans; });
  QTest::keyClick(View()->ReportView(), Qt::Key_F5);
  EXPECT_EQ(scans, 1);
  QTest::keyClick(View()->ReportView(), Qt::Key_F8);
  EXPECT_TRUE(Action("ShowAvailableGames1")->isChecked());
  QTest::keyClick(View()->ReportView(), Qt::Key_F11, Qt::ShiftModifier);
  ASSERT_TRUE(WaitUntil([&] { return !Action("Maximize1")->isChecked(); }));
  ExpectFullScreenLayout(false);
  EXPECT_EQ(Key("winmax"), "0");
}

// ---- Random game ----

TEST_F(CommandsTest, RandomGameIsDrawnOnlyAmongPlayableListedSets) {
  std::vector<std::string> lines{SetLine("good", "0"), SetLine("nodump", "1")};
  for (const char* status : {"2", "3", "4", "5", "6"}) lines.push_back(SetLine(std::string("bad") + status, status));
  Start(Lines(lines));
  std::set<std::string> drawn;
  for (int i = 0; i < 60; ++i) {
    Action("Startrandomgame1")->trigger();
    drawn.insert(SelectedRom());
  }
  EXPECT_EQ(drawn, (std::set<std::string>{"good", "nodump"}));
  // Each draw went on to play, which without MAME says so.
  EXPECT_EQ(messages_.size(), 60u);
  EXPECT_EQ(messages_.back().text, kNoMame);
}

TEST_F(CommandsTest, RandomGameWithNothingPlayableDoesNothing) {
  Start(Lines({SetLine("bad2", "2"), SetLine("bad4", "4"), SetLine("bad6", "6")}));
  Select("bad4");
  Action("Startrandomgame1")->trigger();
  EXPECT_EQ(SelectedRom(), "bad4");
  EXPECT_TRUE(messages_.empty());
}

// ---- Arcade controllers ----

enum class Effect { PageUp, PageDown, Home, End, PlaysOnce, RandomPlaysOnce, NextPage, Available, Favorites, Nothing };

struct KeyCase {
  const char* name;
  std::vector<const char*> boxes;
  Qt::Key key;
  Effect effect;
};

void PrintTo(const KeyCase& c, std::ostream* out) { *out << c.name; }

class ControllerKeys : public CommandsTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(ControllerKeys, MoveTheListOrIssueTheirCommand) {
  Start(ManyGames() + SetLine("zzbad", "2"));
  Select("game120");
  Action("AddtoFavorites2")->trigger();  // a favourite, so that the favourites can be listed
  for (const char* box : GetParam().boxes) Form4->CheckBox(box)->setChecked(true);
  const int before = View()->SelectedRow();
  const int rows = Form1->gameList()->List().GameCount();
  const int page = Form1->PageControl()->currentIndex();
  QTest::keyClick(View()->ReportView(), GetParam().key);
  QCoreApplication::processEvents();
  const int after = View()->ReportView()->currentIndex().row();
  switch (GetParam().effect) {
    case Effect::PageUp:
      EXPECT_LT(after, before);
      break;
    case Effect::PageDown:
      EXPECT_GT(after, before);
      break;
    case Effect::Home:
      EXPECT_EQ(after, 0);
      break;
    case Effect::End:
      EXPECT_EQ(after, rows - 1);
      break;
    case Effect::PlaysOnce:
      EXPECT_EQ(MessageTexts(), std::vector<QString>{kNoMame});
      EXPECT_EQ(after, before);
      break;
    case Effect::RandomPlaysOnce:
      EXPECT_EQ(MessageTexts(), std::vector<QString>{kNoMame});
      EXPECT_NE(SelectedRom(), "zzbad");
      break;
    case Effect::NextPage:
      EXPECT_EQ(Form1->PageControl()->currentIndex(), (page + 1) % TForm1::kPageCount);
      break;
    case Effect::Available:
      EXPECT_EQ(Form1->gameList()->Mode(), cat::ListMode::Available);
      break;
    case Effect::Favorites:
      EXPECT_EQ(Form1->gameList()->Mode(), cat::ListMode::Favorites);
      break;
    case Effect::Nothing:
      EXPECT_EQ(Form1->gameList()->Mode(), cat::ListMode::All);
      EXPECT_EQ(after, before);
      EXPECT_TRUE(messages_.empty());
      break;
  }
}

const std::vector<const char*> kXArcade{"xarcadegui"};
const std::vector<const char*> kHotRod{"hotrodgui"};
const std::vector<const char*> kSlikStik{"slikstikgui"};
const std::vector<const char*> kArcadeAndHotRod{"xarcadegui", "hotrodgui"};
const std::vector<const char*> kEvery{"xarcadegui", "hotrodgui", "slikstikgui"};

INSTANTIATE_TEST_SUITE_P(
    , ControllerKeys,
    ::testing::Values(KeyCase{"XArcadeCtrlPagesUp", kXArcade, Qt::Key_Control, Effect::PageUp},
                      KeyCase{"XArcadeShiftPagesDown", kXArcade, Qt::Key_Shift, Effect::PageDown},
                      KeyCase{"XArcadeSpaceGoesHome", kXArcade, Qt::Key_Space, Effect::Home},
                      KeyCase{"XArcadeXGoesToTheEnd", kXArcade, Qt::Key_X, Effect::End},
                      KeyCase{"XArcadeOnePlays", kXArcade, Qt::Key_1, Effect::PlaysOnce},
                      KeyCase{"XArcadeTwoPlaysARandomGame", kXArcade, Qt::Key_2, Effect::RandomPlaysOnce},
                      KeyCase{"XArcadeCTurnsThePage", kXArcade, Qt::Key_C, Effect::NextPage},
                      KeyCase{"XArcadeThreeListsAvailable", kXArcade, Qt::Key_3, Effect::Available},
                      KeyCase{"XArcadeFourListsFavorites", kXArcade, Qt::Key_4, Effect::Favorites},
                      KeyCase{"XArcadeFiveDoesNothing", kXArcade, Qt::Key_5, Effect::Nothing},
                      KeyCase{"HotRodCtrlPagesUp", kHotRod, Qt::Key_Control, Effect::PageUp},
                      KeyCase{"HotRodThreeListsAvailable", kHotRod, Qt::Key_3, Effect::Available},
                      KeyCase{"SlikStikThreeDoesNothing", kSlikStik, Qt::Key_3, Effect::Nothing},
                      KeyCase{"SlikStikFourDoesNothing", kSlikStik, Qt::Key_4, Effect::Nothing},
                      KeyCase{"SlikStikFiveListsAvailable", kSlikStik, Qt::Key_5, Effect::Available},
                      KeyCase{"SlikStikSixListsFavorites", kSlikStik, Qt::Key_6, Effect::Favorites},
                      KeyCase{"ArcadeAndHotRodPlayOnlyOnce", kArcadeAndHotRod, Qt::Key_1, Effect::PlaysOnce},
                      KeyCase{"EveryControllerPlaysOnlyOnce", kEvery, Qt::Key_1, Effect::PlaysOnce},
                      KeyCase{"WithoutControllerOneIsNoCommand", {}, Qt::Key_1, Effect::Nothing},
                      KeyCase{"EnterPlaysWithoutController", {}, Qt::Key_Return, Effect::PlaysOnce}),
    [](const ::testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

TEST_F(CommandsTest, PageKeyStopsWhenNoPageIsVisible) {
  Start(ManyGames());
  Form4->CheckBox("xarcadegui")->setChecked(true);
  QTabWidget* pages = Form1->PageControl();
  for (int page = 0; page < TForm1::kPageCount; ++page) pages->setTabVisible(page, page == 3);
  pages->setCurrentIndex(3);
  QTest::keyClick(View()->ReportView(), Qt::Key_C);
  EXPECT_EQ(pages->currentIndex(), 3);
  pages->setTabVisible(3, false);
  QTest::keyClick(View()->ReportView(), Qt::Key_C);  // returns at once
  EXPECT_FALSE(pages->isTabVisible(pages->currentIndex()));
}

// ---- Enabling of the Game menu and the pop-up ----

struct EnablingCase {
  const char* name;
  const char* status;
  bool ini;
  bool inp;
  bool gameMenuMove;
  bool popupMove;
};

void PrintTo(const EnablingCase& c, std::ostream* out) { *out << c.name; }

class GameMenuEnabling : public CommandsTest, public ::testing::WithParamInterface<EnablingCase> {};

TEST_P(GameMenuEnabling, FollowsTheSetsFilesAndStatus) {
  const EnablingCase& c = GetParam();
  Start(Lines({SetLine("other", "0"), SetLine("pacman", c.status)}));
  if (c.ini) Write("ini/PacMan.ini", "");
  if (c.inp) Write("inp/pacman.inp", "recording");
  Select("pacman");
  QMenu* game = Form1->Menus()->Menu("Game1");
  game->popup(QPoint(0, 0));
  EXPECT_EQ(Action("PlaybackGamerecord1")->isEnabled(), c.inp);
  EXPECT_EQ(Action("DeleteRecordedGame1")->isEnabled(), c.inp);
  EXPECT_EQ(Action("DeleteGameIni4")->isEnabled(), c.ini);
  EXPECT_EQ(Action("MoveRomFileTo3")->isEnabled(), c.gameMenuMove);
  game->hide();
  // The tool bar's playback button shares the item and stays usable outside the menu.
  EXPECT_TRUE(Action("PlaybackGamerecord1")->isEnabled());

  QMenu* popup = Form1->Menus()->GamePopup();
  popup->popup(QPoint(0, 0));
  EXPECT_EQ(Action("PlaybackRecordedGame1")->isEnabled(), c.inp);
  EXPECT_EQ(Action("DeleteRecordedGame2")->isEnabled(), c.inp);
  EXPECT_EQ(Action("DeleteGameIni1")->isEnabled(), c.ini);
  EXPECT_EQ(Action("MoveRomFileTo2")->isEnabled(), c.popupMove);
  popup->hide();
}

INSTANTIATE_TEST_SUITE_P(
    , GameMenuEnabling,
    ::testing::Values(EnablingCase{"GoodSetWithBothFiles", "0", true, true, true, true},
                      EnablingCase{"NoGoodDumpMovesOnlyFromThePopup", "1", true, false, false, true},
                      EnablingCase{"RomNotFoundNeverMoves", "2", false, true, false, false},
                      EnablingCase{"BadRomNeverMoves", "3", false, false, false, false},
                      EnablingCase{"MissingChdMovesOnlyFromTheGameMenu", "4", false, false, true, false},
                      EnablingCase{"BadChdMoves", "6", false, false, true, true}),
    [](const ::testing::TestParamInfo<EnablingCase>& info) { return std::string(info.param.name); });

TEST_F(CommandsTest, WithoutASelectedGameItsItemsAreDisabled) {
  Start(ManyGames());
  View()->ReportView()->selectionModel()->clear();
  Form1->Menus()->Menu("Game1")->popup(QPoint(0, 0));
  for (const char* item : {"PlaybackGamerecord1", "DeleteRecordedGame1", "DeleteGameIni4", "MoveRomFileTo3"}) {
    EXPECT_FALSE(Action(item)->isEnabled()) << item;
  }
  Form1->Menus()->Menu("Game1")->hide();
  for (const char* item : {"Show1", "DeleteGameIni4", "MoveRomFileTo3", "GameOptions1"}) Action(item)->trigger();
  EXPECT_TRUE(dialogs_.empty());
}

// ---- Dialogs of the menus ----

TEST_F(CommandsTest, MenusHeaderAndToolBarOpenTheirDialogs) {
  Start(ManyGames());
  Select("game101");
  const std::vector<std::pair<const char*, QDialog*>> items{{"About2", Form6},
                                                            {"CustomizeColumns1", Formcolumn},
                                                            {"CustomiseColumn1", Formcolumn},
                                                            {"CustomizeToolbar1", Form13},
                                                            {"Show1", Form12},
                                                            {"DeleteGameIni4", OKBottomDlg},
                                                            {"DeleteRecordedGame2", OKBottomDlg1},
                                                            {"MoveRomFileTo2", OKBottomDlg2}};
  for (const auto& [item, dialog] : items) {
    dialogs_.clear();
    Action(item)->trigger();
    EXPECT_EQ(dialogs_, std::vector<QDialog*>{dialog}) << item;
  }
  dialogs_.clear();
  QContextMenuEvent onHeader(QContextMenuEvent::Mouse, QPoint(5, 5), Header()->mapToGlobal(QPoint(5, 5)));
  QCoreApplication::sendEvent(Header()->viewport(), &onHeader);
  EXPECT_EQ(dialogs_, std::vector<QDialog*>{Formcolumn});
  EXPECT_FALSE(Form1->Menus()->GamePopup()->isVisible());
  dialogs_.clear();
  QToolBar* bar = Form1->Menus()->ToolBar();
  QContextMenuEvent onBar(QContextMenuEvent::Mouse, QPoint(2, 2), bar->mapToGlobal(QPoint(2, 2)));
  QCoreApplication::sendEvent(bar, &onBar);
  EXPECT_EQ(dialogs_, std::vector<QDialog*>{Form13});
}

// ---- MAME options ----

TEST_F(CommandsTest, OptionsWithoutMameOnlyWarn) {
  Start(ManyGames());
  Select("game101");
  for (const char* item : {"Exit1", "GameOptions1", "GameOptions2"}) Action(item)->trigger();
  EXPECT_EQ(MessageTexts(), std::vector<QString>(3, kNoMame));
  EXPECT_TRUE(dialogs_.empty());
}

TEST_F(CommandsTest, GameOptionsNameTheGameAndLeaveNoFileWhenCancelled) {
  WriteMame();
  Start(Lines({SetLine("pacman", "0")}));
  Select("pacman");
  const fs::path ini = fs::path(Form1->GetFolders().ini) / "pacman.ini";
  QString caption;
  bool existed = false;
  duringDialog_ = [&](QDialog& dialog) {
    caption = dialog.windowTitle();
    existed = fs::exists(ini);
    return int(QDialog::Rejected);
  };
  Action("GameOptions1")->trigger();
  EXPECT_EQ(dialogs_, std::vector<QDialog*>{Form2});
  EXPECT_EQ(caption, "\"Game pacman\" Game Options");
  EXPECT_TRUE(existed);
  EXPECT_FALSE(fs::exists(ini));
  EXPECT_FALSE(Form1->gameList()->IniFound());

  // French puts the words in front; OK keeps the file.
  Action("French1")->setEnabled(true);
  Action("French1")->trigger();
  duringDialog_ = [&](QDialog& dialog) {
    caption = dialog.windowTitle();
    return int(QDialog::Accepted);
  };
  Action("GameOptions2")->trigger();
  EXPECT_EQ(caption, "Options de jeu \"Game pacman\"");
  EXPECT_TRUE(fs::exists(ini));
  EXPECT_TRUE(Form1->gameList()->IniFound());

  // A file the user had is never removed by Cancel.
  duringDialog_ = {};
  Action("GameOptions1")->trigger();
  EXPECT_TRUE(fs::exists(ini));

  // Russian, Greek and Swedish have no game caption of their own: the dialog keeps its caption.
  Action("Exit1")->trigger();
  const QString own = Form2->windowTitle();
  Action("Russian1")->setEnabled(true);
  Action("Russian1")->trigger();
  duringDialog_ = [&](QDialog& dialog) {
    caption = dialog.windowTitle();
    return int(QDialog::Rejected);
  };
  Action("GameOptions1")->trigger();
  EXPECT_EQ(caption, own);
}

// Opened after a switch to a language without game captions, the options of another game never carry
// the caption of the game opened before the switch.
TEST_F(CommandsTest, GameOptionsAfterASwitchToALanguageWithoutGameCaptionsShowTheDialogsOwn) {
  WriteMame();
  Start(Lines({SetLine("pacman", "0"), SetLine("dkong", "0")}));
  const QString own = Form2->windowTitle();
  QString caption;
  duringDialog_ = [&](QDialog& dialog) {
    caption = dialog.windowTitle();
    return int(QDialog::Rejected);
  };
  for (const char* language : {"Russian1", "Greek1", "Swedisch1"}) {
    Action("English2")->trigger();
    Select("pacman");
    Action("GameOptions1")->trigger();
    ASSERT_EQ(caption, "\"Game pacman\" Game Options");
    Action(language)->setEnabled(true);
    Action(language)->trigger();
    Select("dkong");
    Action("GameOptions2")->trigger();
    EXPECT_EQ(caption, own) << language;
  }
}

// A control whose option today's MAME no longer has cannot be changed and says why in the program's words.
TEST_F(CommandsTest, ControlsOfOptionsMameNoLongerHasSaySoInTheProgramsWords) {
  WriteMame();
  Start(Lines({SetLine("pacman", "0")}));
  Select("pacman");
  QString hint;
  bool enabled = true;
  duringDialog_ = [&](QDialog& dialog) {
    const QWidget* stretch = dialog.findChild<QWidget*>("stretch");
    hint = stretch->toolTip();
    enabled = stretch->isEnabled();
    return int(QDialog::Rejected);
  };
  Action("GameOptions1")->trigger();
  EXPECT_EQ(hint, ProgramQText(kestrune::translation::kSMameLacksOption).arg("hwstretch"));
  EXPECT_FALSE(enabled);
}

// The mame.ini a user has: Kestrune's lines with folders of the user's own (the rom folder named in
// Latin-1) and options Kestrune has no control for.
std::string UsersMameIni(const std::string& folder) {
  set::MameOptions options;
  set::ResetMameOptions(options);
  set::MameFolders folders;
  folders.FrontDir = folder;
  folders.IniDir = folder + "ini";
  folders.InpDir = folder + "inp";
  folders.SnapDir = folder + "snap";
  folders.RomPath = "/data/r\xf4ms";
  folders.SamplePath = "/data/samples";
  folders.ArtPath = "/data/art";
  folders.CtrlrPath = "/data/ctrlr";
  folders.FontPath = "/data/fonts";
  folders.CfgDir = "/data/cfg";
  folders.NvramDir = "/data/nvram";
  folders.MemcardDir = "/data/memcard";
  folders.StateDir = "/data/state";
  folders.DiffDir = "/data/diff";
  std::string error;
  EXPECT_TRUE(set::PrepareOptionsForWriting(set::OptionsMode::DefaultOptions, options, folders, &error));
  std::vector<std::string> lines = set::MameIniLines(set::OptionsMode::DefaultOptions, options, folders, "");
  lines.insert(lines.begin() + 1, "confirm_quit              1");
  lines.insert(lines.end() - 1, "coin_lockout              0");
  return Lines(lines);
}

TEST_F(CommandsTest, MameIniComesBackUnchangedFromTheOptionsAndPreferencesOk) {
  WriteMame();
  const std::string users = UsersMameIni(folder_);
  Write("mame.ini", users);
  Start(ManyGames());
  ASSERT_EQ(kestrune::test::ReadFileBytes(Path("mame.ini")), users);

  // Setup > Default Mame Options > OK, Preferences never opened in this run.
  duringDialog_ = [](QDialog& dialog) {
    dialog.show();
    dialog.findChild<QPushButton*>("Button1")->click();
    return dialog.result();
  };
  Action("Exit1")->trigger();
  ASSERT_EQ(dialogs_, std::vector<QDialog*>{Form2});
  EXPECT_EQ(Form2->result(), QDialog::Accepted);
  EXPECT_EQ(kestrune::test::ReadFileBytes(Path("mame.ini")), users);

  Form4->show();
  Form4->findChild<QPushButton*>("Button2")->click();
  EXPECT_FALSE(Form4->isVisible());
  EXPECT_EQ(kestrune::test::ReadFileBytes(Path("mame.ini")), users);
}

// An option line as MAME writes it: the value from column 27.
std::string MameLine(const std::string& key, const std::string& value) {
  return key + std::string(26 - key.size(), ' ') + value;
}

// The lines of a mame.ini as MAME 0.251 writes it with `mame -createconfig`; where MAME is not installed,
// a file of the same shape: a byte-order mark, sections framed by "#" lines, MAME's own options.
std::vector<std::string> MameWrittenIni(const fs::path& folder) {
  fs::create_directories(folder);
  std::vector<std::string> lines;
  if (::access("/usr/games/mame", X_OK) == 0) {
    const std::string in = "'" + folder.string() + "'";
    const std::string command =
        "cd " + in + " && HOME=" + in + " timeout 60 /usr/games/mame -createconfig >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_TRUE(kestrune::platform::ReadTextFileLinesAsIs(folder / "mame.ini", lines, nullptr));
    return lines;
  }
  for (const char* section : {"CORE CONFIGURATION OPTIONS", "CORE PERFORMANCE OPTIONS", "OSD VIDEO OPTIONS"}) {
    lines.insert(lines.end(), {lines.empty() ? "\xEF\xBB\xBF#" : "", "#", std::string("# ") + section, "#"});
  }
  lines.erase(lines.begin() + 1);
  for (const char* key : {"readconfig",     "inipath",        "state",    "frameskip",     "throttle",
                          "speed",          "brightness",     "contrast", "gamma",         "pause_brightness",
                          "beam_width_min", "beam_width_max", "flicker",  "samplerate",    "joystick_deadzone",
                          "video",          "prescale",       "sound",    "audio_latency", "audiodriver"}) {
    lines.push_back(MameLine(key, "1"));
  }
  return lines;
}

auto KeyIs(const std::string& key) {
  return [key](const std::string& line) { return line.substr(0, line.find(' ')) == key; };
}

// A user's file: values that the controls cannot show, a number that is none, notes of their
// own and a section line.
std::vector<std::string> UsersMameWrittenIni(const fs::path& folder, const std::string& note) {
  const Values values{{"audio_latency", "0.5"}, {"prescale", "6"},           {"brightness", "0.3"},
                      {"gamma", "2.5"},         {"pause_brightness", "0.3"}, {"speed", "3"},
                      {"flicker", "0.5"},       {"beam_width_min", "0.5"},   {"beam_width_max", "3"},
                      {"samplerate", "96000"},  {"sound", "portaudio"},      {"video", "auto"},
                      {"frameskip", "x"}};
  std::vector<std::string> lines = MameWrittenIni(folder);
  for (const auto& [key, value] : values) {
    *std::find_if(lines.begin(), lines.end(), KeyIs(key)) = MameLine(key, value);
  }
  lines.insert(std::find_if(lines.begin(), lines.end(), KeyIs("speed")), {"# " + note + " about speed", "#  more"});
  lines.insert(std::find_if(lines.begin(), lines.end(), KeyIs("video")), "[section]");
  return lines;
}

// Every line of the user's file comes back byte for byte, a note right before the line it preceded, and
// no option the file set gets a line of the writer's; only the lines the writer owns may differ: section
// heads (MAME's too), blank lines and the program's own ini, input and snapshot folders.
void ExpectKeptLineByLine(const std::vector<std::string>& before, const std::vector<std::string>& after) {
  std::map<std::string, std::string> options;
  for (std::size_t i = 0; i < before.size(); ++i) {
    const std::string& line = before[i];
    const std::string key = line.substr(0, line.find(' '));
    const bool head =
        line.ends_with("#") || (line.starts_with("# ") && before[i - 1].ends_with("#") && before.at(i + 1) == "#");
    if (line.empty() || head || key == "inipath" || key == "input_directory" || key == "snapshot_directory") continue;
    const auto found = std::find(after.begin(), after.end(), line);
    ASSERT_NE(found, after.end()) << "line " << i + 1 << " is gone: " << line;
    if (line.front() == '#' || line.front() == '[') {
      ASSERT_NE(found + 1, after.end()) << line;
      EXPECT_EQ(*(found + 1), before.at(i + 1)) << "no longer before its line: " << line;
    } else {
      options[key] = line;
    }
  }
  for (const std::string& line : after) {
    const std::string key = line.substr(0, line.find(' '));
    EXPECT_EQ(line, options.contains(key) ? options.at(key) : line) << "written anew";
  }
}

std::vector<std::string> FileLines(const fs::path& file) {
  std::vector<std::string> lines;
  EXPECT_TRUE(kestrune::platform::ReadTextFileLinesAsIs(file, lines, nullptr)) << file;
  return lines;
}

// The options dialog shown and confirmed; `change` may move a control first.
std::function<int(QDialog&)> OkAfter(std::function<void(QDialog&)> change = {}) {
  return [change](QDialog& dialog) {
    dialog.show();
    if (change) change(dialog);
    dialog.findChild<QPushButton*>("Button1")->click();
    return dialog.result();
  };
}

TEST_F(CommandsTest, AnOkWithNothingChangedKeepsEveryLineOfAMameIniMameWroteAndOfAGameFile) {
  WriteMame();
  const std::vector<std::string> users = UsersMameWrittenIni(Path("mame-createconfig"), "my notes");
  Write("mame.ini", Lines(users));
  // A BIOS file of the user's own, with a set the list does not offer.
  const std::string neogeo = "### neogeo.c ###\n# my bios\nbios  asia-aes\n";
  Write("ini/neogeo.ini", neogeo);
  Start(Lines({SetLine("pacman", "0")}));
  duringDialog_ = OkAfter();
  Action("Exit1")->trigger();
  ASSERT_EQ(dialogs_, std::vector<QDialog*>{Form2});
  EXPECT_EQ(Form2->result(), QDialog::Accepted);
  ExpectKeptLineByLine(users, FileLines(Path("mame.ini")));
  EXPECT_EQ(kestrune::test::ReadFileBytes(Path("ini/neogeo.ini")), neogeo);

  // The game's own file, through its own menu item.
  std::vector<std::string> game = UsersMameWrittenIni(Path("mame-createconfig"), "game");
  game.insert(std::find_if(game.begin(), game.end(), KeyIs("throttle")), "# game comment");
  Write("ini/pacman.ini", Lines(game));
  Select("pacman");
  Action("GameOptions1")->trigger();
  EXPECT_EQ(Form2->result(), QDialog::Accepted);
  ExpectKeptLineByLine(game, FileLines(Path("ini/pacman.ini")));

  // Another OK writes the same bytes again.
  const std::string written = kestrune::test::ReadFileBytes(Path("mame.ini"));
  Action("Exit1")->trigger();
  EXPECT_EQ(kestrune::test::ReadFileBytes(Path("mame.ini")), written);
}

// A new user's mame.ini as MAME wrote it, with values the dialog cannot show and a note, and no file for the
// game yet: Game Options and OK without a change give the game's file mame.ini's own lines, so MAME runs the
// game as before, without a word.
TEST_F(CommandsTest, GameOptionsWithNothingChangedGiveANewGameFileMameInisOwnLines) {
  if (::access("/usr/games/mame", X_OK) != 0) GTEST_SKIP() << "MAME is not installed";
  WriteMame();
  std::vector<std::string> users = MameWrittenIni(Path("mame-createconfig"));
  const Values values{{"speed", "3"},       {"gamma", "2.5"},         {"samplerate", "96000"},   {"sound", "portaudio"},
                      {"video", "auto"},    {"audio_latency", "0.5"}, {"beam_width_min", "0.5"}, {"flicker", "0.5"},
                      {"brightness", "0.3"}};
  for (const auto& [key, value] : values) {
    *std::find_if(users.begin(), users.end(), KeyIs(key)) = MameLine(key, value);
  }
  users.insert(std::find_if(users.begin(), users.end(), KeyIs("speed")), "# my own note");
  Write("mame.ini", Lines(users));
  Start(Lines({SetLine("pong", "0")}));
  Select("pong");
  duringDialog_ = OkAfter();
  Action("GameOptions1")->trigger();
  int compared = 0;
  for (const std::string& line : FileLines(Path("ini/pong.ini"))) {
    const auto given = std::find_if(users.begin(), users.end(), KeyIs(line.substr(0, line.find(' '))));
    if (line.empty() || line.front() == '#' || given == users.end()) continue;
    EXPECT_EQ(line, *given);
    ++compared;
  }
  EXPECT_GT(compared, 60);
  const std::string command = "cd '" + folder_ +
                              "' && HOME=. SDL_VIDEODRIVER=offscreen timeout 60 /usr/games/mame -inipath '" + folder_ +
                              ";" + folder_ + "ini' pong -video none -sound none -seconds_to_run 1 >out 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0);
  const std::string output = kestrune::test::ReadFileBytes(Path("out"));
  for (const char* warning : {"Warning", "unknown option", "reverting", "Out-of-range", "not supported", "Invalid"}) {
    EXPECT_EQ(output.find(warning), std::string::npos) << output;
  }
}

// A value that a file MAME reads before the game's own gives the game (its parent's, its source file's, the
// vector games', its BIOS's) is shown, and Game Options and OK without a change keep it: MAME, started as a
// play starts it, still ends a clone that needs no ROM after the second its parent's or source's file says.
TEST_F(CommandsTest, GameOptionsWithNothingChangedKeepWhatTheFilesBeforeTheGamesGiveIt) {
  if (::access("/usr/games/mame", X_OK) != 0) GTEST_SKIP() << "MAME is not installed";
  fs::create_symlink("/usr/games/mame", Path("mame"));
  const std::string pcSmb2 = GameLine("pc_smb2", [](cat::Tgameinfo& game) { game.bios = "Playch10"; });
  Start(Lines({SetLine("1392apvs", "0", "1292apvs"), SetLine("asteroid", "0"), pcSmb2}));
  const std::string seconds = "seconds_to_run 1";
  const std::string speed = "speed                   1.5";
  const std::string lines = seconds + "\r\n" + speed + "\r\n";
  const struct {
    const char* romname;
    const char* file;
    std::string text;
  } cases[] = {
      {"1392apvs", "ini/1292apvs.ini", "# my own\r\n" + lines},
      {"1392apvs", "ini/source/vc4000.ini", lines},
      {"asteroid", "ini/vector.ini", lines},
      {"pc_smb2", "ini/playch10.ini",
       "### playch10.c ###\r\n\r\n### Mame CORE misc options ###\r\nbios                    default\r\n" + lines},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string game = std::string("ini/") + c.romname + ".ini";
    fs::remove(Path(game));
    Write(c.file, c.text);
    Select(c.romname);
    QString shown;
    duringDialog_ = OkAfter([&shown](QDialog& dialog) { shown = dialog.findChild<QLabel*>("speedlabel")->text(); });
    Action("GameOptions1")->trigger();
    EXPECT_EQ(Form2->result(), QDialog::Accepted);
    EXPECT_EQ(shown, QStringLiteral("150%"));
    const std::vector<std::string> written = FileLines(Path(game));
    for (const std::string& line : {seconds, speed}) EXPECT_EQ(std::count(written.begin(), written.end(), line), 1);
    EXPECT_EQ(kestrune::test::ReadFileBytes(Path(c.file)), c.text);
    if (c.romname == std::string("1392apvs")) {
      std::string command = "HOME=. SDL_VIDEODRIVER=offscreen timeout -s KILL 30 /usr/games/mame";
      for (const std::string& argument :
           cat::MameArguments(cat::PlayKind::Play, c.romname, "-video none -sound none", folder_, folder_ + "ini")) {
        command += " '" + argument + "'";
      }
      EXPECT_EQ(std::system((command + " >out 2>&1").c_str()), 0) << kestrune::test::ReadFileBytes(Path("out"));
    }
    fs::remove(Path(c.file));
  }
}

TEST_F(CommandsTest, MovingOneSliderChangesOnlyItsLine) {
  WriteMame();
  Write("mame.ini", Lines(UsersMameWrittenIni(Path("mame-createconfig"), "my notes")));
  Start(ManyGames());
  duringDialog_ = OkAfter();
  Action("Exit1")->trigger();
  const std::vector<std::string> unchanged = FileLines(Path("mame.ini"));
  duringDialog_ = OkAfter([](QDialog& dialog) {
    auto* contrast = dialog.findChild<QSlider*>("contrast");
    contrast->setSliderDown(true);  // dragged by the user
    contrast->setSliderPosition(120);
    contrast->setSliderDown(false);
  });
  Action("Exit1")->trigger();
  const std::vector<std::string> moved = FileLines(Path("mame.ini"));
  ASSERT_EQ(moved.size(), unchanged.size());
  std::vector<std::string> differ;
  for (std::size_t i = 0; i < moved.size(); ++i) {
    if (moved[i] != unchanged[i]) differ.push_back(unchanged[i] + " -> " + moved[i]);
  }
  const std::string contrast = *std::find_if(unchanged.begin(), unchanged.end(), KeyIs("contrast"));
  EXPECT_EQ(differ, std::vector<std::string>{contrast + " -> contrast                1.2"});
}

// A file in UTF-16 cannot be read: OK says so and leaves it as it is.
TEST_F(CommandsTest, AUtf16MameIniOrGameFileIsNeverWrittenOver) {
  WriteMame();
  Start(Lines({SetLine("pacman", "0")}));
  Select("pacman");
  for (const auto& [file, item] : {std::pair{"mame.ini", "Exit1"}, std::pair{"ini/pacman.ini", "GameOptions1"}}) {
    for (const bool little : {true, false}) {
      std::string utf16 = little ? "\xFF\xFE" : "\xFE\xFF";
      for (const char c : std::string("throttle 0\r\n")) {
        utf16 += little ? std::string{c, '\0'} : std::string{'\0', c};
      }
      Write(file, utf16);
      QString shown;
      duringDialog_ = OkAfter([&shown](QDialog& dialog) {
        dialog.findChild<QPushButton*>("Button1")->click();
        shown = dialog.findChild<QLabel*>("errortext")->text();
      });
      Action(item)->trigger();
      EXPECT_EQ(kestrune::test::ReadFileBytes(Path(file)), utf16) << file;
      EXPECT_TRUE(shown.contains("UTF-16")) << file << ": " << shown.toStdString();
      EXPECT_NE(Form2->result(), QDialog::Accepted) << file;
      Form2->reject();
    }
  }
}

TEST_F(CommandsTest, AMameIniThatCannotBeReadIsNotSavedOverByPreferences) {
  WriteMame();
  Start(ManyGames());
  fs::remove(Path("mame.ini"));
  ASSERT_EQ(::mkfifo(Path("mame.ini").c_str(), 0644), 0);
  Form4->show();
  const auto* error = Form4->findChild<QLabel*>("errortext");
  EXPECT_TRUE(error->isVisibleTo(Form4));
  EXPECT_TRUE(error->text().contains("named pipe")) << error->text().toStdString();
  Form4->findChild<QPushButton*>("Button2")->click();
  EXPECT_TRUE(Form4->isVisible());
  EXPECT_TRUE(error->text().contains("left as it is")) << error->text().toStdString();
  EXPECT_TRUE(fs::is_fifo(Path("mame.ini")));
  Form4->findChild<QPushButton*>("Button2")->click();
  EXPECT_FALSE(Form4->isVisible());
  EXPECT_TRUE(fs::is_fifo(Path("mame.ini")));
}

TEST_F(CommandsTest, DefaultOptionsOpenTheDialogOrTheUsersEditor) {
  WriteMame();
  Start(ManyGames());
  Action("Exit1")->trigger();
  EXPECT_EQ(dialogs_, std::vector<QDialog*>{Form2});

  dialogs_.clear();
  Form4->CheckBox("Notepadedit")->setChecked(true);
  Write("editor", "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\" >> '" + Path("edited").string() + "'; done\n");
  fs::permissions(Path("editor"), fs::perms(0755));
  const QByteArray visual = qgetenv("VISUAL");
  const QByteArray editor = qgetenv("EDITOR");
  qputenv("VISUAL", QByteArray::fromStdString(Path("editor").string() + "  --wait"));
  Form1->Menus()->ToolBar()->findChild<QToolButton*>("ToolButton8")->click();
  EXPECT_EQ(kestrune::test::ReadFileBytes(Path("edited")), "--wait\n" + folder_ + "mame.ini\n");
  EXPECT_TRUE(dialogs_.empty());

  // No editor named: the desktop's program for the file.
  qunsetenv("VISUAL");
  qunsetenv("EDITOR");
  Action("Exit1")->trigger();
  EXPECT_EQ(opened_, std::vector<QUrl>{QUrl::fromLocalFile(QString::fromStdString(folder_ + "mame.ini"))});
  visual.isNull() ? qunsetenv("VISUAL") : qputenv("VISUAL", visual);
  editor.isNull() ? qunsetenv("EDITOR") : qputenv("EDITOR", editor);
}

// ---- Web pages and help ----

TEST_F(CommandsTest, HomePagesAndHelpOpenInTheDesktopsPrograms) {
  Start(ManyGames());
  for (const char* item : {"OfficialMameHomepage1", "XArcadeHomepage1", "SlikStikHomepage1", "HotRodHomepage1"}) {
    Action(item)->trigger();
  }
  EXPECT_EQ(opened_, (std::vector<QUrl>{QUrl("https://www.mamedev.org/"), QUrl("https://www.xgaming.com/"),
                                        QUrl("http://www.slikstik.com/"), QUrl("https://www.hanaho.com/")}));
  EXPECT_FALSE(Action("KestruneHomepage1")->isEnabled());

  opened_.clear();
  Form1->OpenUrl("file:///etc/passwd");
  Form1->OpenUrl("javascript:alert(1)");
  EXPECT_TRUE(opened_.empty());
  Form1->OpenUrl("mailto:someone@example.org");
  EXPECT_EQ(opened_.size(), 1u);

  opened_.clear();
  // A program folder as the run command makes it has no README: the program's own copy opens.
  Action("Help1")->trigger();
  ASSERT_EQ(opened_.size(), 1u);
  QFile builtIn(opened_[0].toLocalFile());
  ASSERT_TRUE(builtIn.open(QIODevice::ReadOnly)) << opened_[0].toString().toStdString();
  EXPECT_TRUE(builtIn.readAll().contains("scripts/run.sh"));
  EXPECT_FALSE(fs::exists(Path("README.md")));
  EXPECT_TRUE(messages_.empty());

  opened_.clear();
  Write("README.md", "# Kestrune\n");
  Form1->Menus()->ToolBar()->findChild<QToolButton*>("ToolButton11")->click();
  EXPECT_EQ(opened_, std::vector<QUrl>{QUrl::fromLocalFile(QString::fromStdString(folder_ + "README.md"))});
}

TEST_F(CommandsTest, WithoutADesktopProgramHelpShowsItselfAndHomePagesSaySoOnScreen) {
  Start(ManyGames());
  Form1->SetUrlOpener([](const QUrl&) { return false; });
  Action("Help1")->trigger();
  HelpWindow* help = Form1->HelpShown();
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_TRUE(help->Text()->isReadOnly());
  EXPECT_TRUE(help->Text()->toPlainText().contains("scripts/run.sh"));
  Write("README.md", "# Kestrune\n\nThe folder's own help.\n");
  Action("Help1")->trigger();
  EXPECT_EQ(Form1->HelpShown(), help);
  EXPECT_EQ(help->Text()->toPlainText(), "Kestrune\nThe folder's own help.");
  EXPECT_TRUE(messages_.empty());
  help->close();

  Action("OfficialMameHomepage1")->trigger();
  EXPECT_EQ(MessageTexts(), std::vector<QString>{"No program of the desktop opens https://www.mamedev.org/."});
}

// Every hint of the program stays up as long, whichever window or control shows it, menu items too.
TEST_F(CommandsTest, HintsStayUpAsLongOnEveryWindow) {
  Start(ManyGames());
  int hints = 0;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    QList<QWidget*> controls = window->findChildren<QWidget*>();
    controls.append(window);
    for (QWidget* control : controls) {
      if (control->toolTip().isEmpty()) continue;
      QHelpEvent hint(QEvent::ToolTip, QPoint(1, 1), control->mapToGlobal(QPoint(1, 1)));
      QCoreApplication::sendEvent(control, &hint);
      EXPECT_EQ(control->toolTipDuration(), HintPause::kHidePauseMs)
          << window->objectName().toStdString() << " " << control->objectName().toStdString();
      ++hints;
    }
  }
  EXPECT_GT(hints, 10);
  EXPECT_EQ(HintPause::kHidePauseMs, 8000);

  QMenu* menu = Form1->Menus()->Menu("Help2");
  menu->popup(QPoint(0, 0));
  const QPoint at = menu->actionGeometry(Action("XArcadeHomepage1")).center();
  QHelpEvent onItem(QEvent::ToolTip, at, menu->mapToGlobal(at));
  QCoreApplication::sendEvent(menu, &onItem);
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text(), "https://www.xgaming.com/");
  menu->hide();
  QToolTip::hideText();
}

// A long path or address in a message is moved to a line of its own whole, never cut in two.
TEST_F(CommandsTest, MessageBoxesBreakTheirLinesOnlyBetweenWords) {
  Start(ManyGames());
  const QString path = QStringLiteral("/home/someone/.local/share/kestrune/a-rather-long-folder-name/README.md");
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Kestrune"),
                  QStringLiteral("No program of the desktop opens the help, %1, so it is shown here.").arg(path),
                  QMessageBox::Yes | QMessageBox::No, Form1);
  PrepareMessageBox(box);
  box.show();
  QCoreApplication::processEvents();
  auto* label = box.findChild<QLabel*>("qt_msgbox_label");
  ASSERT_NE(label, nullptr);
  const QStringList lines = label->text().split('\n');
  EXPECT_TRUE(lines.contains(path + ',')) << label->text().toStdString();
  for (const QString& line : lines) {
    EXPECT_LT(QFontMetrics(label->font()).horizontalAdvance(line), label->width()) << line.toStdString();
  }
  EXPECT_EQ(box.button(QMessageBox::Yes)->text(), "&Yes");
  box.hide();
}

}  // namespace
