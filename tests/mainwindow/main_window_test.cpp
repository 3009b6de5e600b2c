#include "mainwindow/main_window.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "../catalogue/game_lines.h"
#include "catalogue/column_order.h"
#include "mainwindow/game_list_controller.h"
#include "mainwindow/game_list_model.h"
#include "mainwindow/main_window_menus.h"
#include "mainwindow/preferences_dialog.h"
#include "mainwindow/program_windows.h"
#include "mainwindow/toolbar_buttons_dialog.h"
#include "platform/display_modes_qt.h"
#include "settings/mame_options.h"
#include "settings/options_dialog.h"
#include "support/file_util.h"
#include "support/program_folder_fixture.h"

namespace {

namespace fs = std::filesystem;
namespace set = kestrune::settings;
namespace cat = kestrune::catalogue;
using Values = std::map<std::string, std::string>;

struct FirstPaint;

// The program's fifteen windows in a program folder of their own; questions are answered Yes.
class MainWindowTest : public kestrune::test::ProgramFolderTest {
 protected:
  MainWindowTest() { answer_ = QMessageBox::Yes; }

  // Shows the main window and waits for its first activation, noting its first paint on the way.
  static bool ShowUntilActivated(FirstPaint& paint);

  // The settings a run with the program "mame" leaves, with the changes to section kestruneui.
  set::Settings SettingsWith(const Values& changes) const {
    set::Settings settings(folder_);
    settings.WriteDefaults(folder_, "mame", "");
    for (const auto& [key, value] : changes) settings.WriteText(set::kUiSection, key, value);
    return settings;
  }
  void WriteSettings(const Values& changes) const {
    std::string error;
    ASSERT_TRUE(SettingsWith(changes).Save(&error)) << error;
  }
  set::IniFile Saved() const {
    set::IniFile ini;
    EXPECT_EQ(ini.LoadFromFile(Path("ini/kestrune.ini")), set::LoadResult::kLoaded);
    return ini;
  }

  QHeaderView* Header() const { return Form1->gameList()->View()->ReportView()->header(); }
  QAction* Action(const char* name) const { return Form1->Menus()->Action(name); }

  // What the close writes from the window's layout, read from the window as it stands.
  Values Layout() const {
    const QRect frame = Form1->normalGeometry();
    Values shown{{"splitter", std::to_string(Form1->gameList()->View()->width())},
                 {"winleft", std::to_string(Form1->frameGeometry().left())},
                 {"wintop", std::to_string(Form1->frameGeometry().top())},
                 {"winwidth", std::to_string(frame.width())},
                 {"winheight", std::to_string(frame.height())}};
    std::vector<cat::ColumnPlace> places;
    for (int visual = 0; visual < Header()->count(); ++visual) {
      const int column = Header()->logicalIndex(visual);
      places.push_back({column, Header()->sectionSize(column)});
    }
    shown["colorder"] = cat::FormatColumnOrder(places);
    for (int column = 0; column < 18; ++column) {
      shown["col" + std::to_string(column + 1)] = std::to_string(Header()->sectionSize(column));
    }
    return shown;
  }
};

// ---- First run ----

struct FirstRunCase {
  const char* name;
  const char* programs;  // executables written into the folder, blank-separated; "!" before a name: not executable
  const char* mameFile;
};

void PrintTo(const FirstRunCase& c, std::ostream* out) { *out << c.name; }

class FirstStart : public MainWindowTest, public ::testing::WithParamInterface<FirstRunCase> {};

TEST_P(FirstStart, ClosingSavesEveryDefaultInTableOrderAndTheLayoutShown) {
  for (QString name : QString(GetParam().programs).split(' ', Qt::SkipEmptyParts)) {
    const bool executable = !name.startsWith('!');
    WriteProgram(name.remove('!').toStdString(), executable);
  }
  Start();
  EXPECT_EQ(Form1->MameFile(), GetParam().mameFile);
  EXPECT_EQ(Form1->gameList()->PanelText(0), "No games: press F5 (Setup > Initialize Roms) to build the game list.");
  EXPECT_EQ(Form1->gameList()->View()->SelectedRow(), -1);
  const Values layout = Layout();
  ASSERT_TRUE(Form1->close());
  // Columns hidden for want of catver.ini keep their widths in the file, for when it comes.
  Values stored = layout;
  stored["col4"] = "150";
  stored["col12"] = "91";
  for (const char* column : {"3=", "11="}) {
    std::string& order = stored["colorder"];
    const std::size_t at = order.find(std::string(",") + column + "0,");
    ASSERT_NE(at, std::string::npos) << order;
    order.replace(at + 1, std::strlen(column) + 1, std::string(column) + (column[0] == '3' ? "150" : "91"));
  }

  const set::IniFile saved = Saved();
  std::vector<std::string> order;
  for (const std::string& section : saved.Sections()) {
    for (const std::string& key : saved.Keys(section)) order.push_back(section + "/" + key);
  }
  std::vector<std::string> expectedOrder;
  const set::DefaultInputs inputs{folder_, GetParam().mameFile, ""};
  for (const set::SettingKey& row : set::SettingKeys()) {
    expectedOrder.push_back(std::string(row.section) + "/" + std::string(row.key));
    std::string expected =
        stored.contains(std::string(row.key)) ? stored.at(std::string(row.key)) : set::DefaultValue(row, inputs);
    const std::string* value = saved.FindValue(row.section, row.key);
    ASSERT_NE(value, nullptr) << row.key;
    EXPECT_EQ(*value, expected) << row.key;
  }
  EXPECT_EQ(order, expectedOrder);

  // The layout saved is the one of the defaults (no catver.ini: no Category and Version Added columns).
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(layout.at("winwidth"), std::to_string(std::min(925, area.width())));
  EXPECT_EQ(layout.at("winheight"), std::to_string(std::min(600, area.height())));
  for (int column = 0; column < 18; ++column) {
    const std::string key = "col" + std::to_string(column + 1);
    const std::string width =
        column == 3 || column == 11 ? "0" : set::DefaultValue(*set::FindSettingKey(set::kUiSection, key), inputs);
    EXPECT_EQ(layout.at(key), width) << key;
  }
  std::vector<int> columns;
  for (const cat::ColumnPlace& place : cat::ParseColumnOrder(layout.at("colorder"), cat::kListColumnCount)) {
    columns.push_back(place.column);
  }
  EXPECT_EQ(columns, (std::vector<int>{0, 1, 2, 3, 14, 15, 16, 17, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 18}));

  EXPECT_TRUE(fs::is_regular_file(Path("ini/kestrune.dat")));
  EXPECT_EQ(kestrune::test::ReadFileBytes(Path("ini/kestrune.dat")), "");
  EXPECT_EQ(fs::exists(Path("mame.ini")), GetParam().mameFile[0] != '\0');
  for (const set::BiosFile& bios : set::BiosFiles()) {
    EXPECT_TRUE(fs::is_regular_file(Path("ini/" + std::string(bios.fileName)))) << bios.fileName;
  }
  EXPECT_TRUE(messages_.empty());
}

INSTANTIATE_TEST_SUITE_P(Programs, FirstStart,
                         ::testing::Values(FirstRunCase{"Mame", "mame", "mame"}, FirstRunCase{"NoMame", "", ""},
                                           FirstRunCase{"MameNotExecutable", "!mame", ""},
                                           FirstRunCase{"FirstOfTheListedNames", "fastmame mamep !mame", "mamep"}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Second start ----

// clang-format off
const Values kChosen = {
    {"toolbarbuttons", "1110111111110"}, {"viewtype", "1"}, {"statusbar", "0"}, {"toolbar", "1"},
    {"bigtoolbar", "0"}, {"historytab", "0"}, {"flyertab", "0"}, {"showtabs", "1"}, {"tabselect", "3"},
    {"colorder", "2=98,0=200,1=60,16=0,3=120,4=50,5=48,6=69,7=69,8=70,9=78,10=68,11=91,12=78,13=91,14=66,15=69,"
                 "17=74,18=100"},
    {"col1", "200"}, {"col2", "60"}, {"col3", "98"}, {"col4", "120"}, {"col17", "0"},
    {"splitter", "300"}, {"winleft", "40"}, {"wintop", "30"}, {"winwidth", "600"}, {"winheight", "450"},
    {"searchmenu", "23"}, {"quicksearch", "0"}, {"showclones", "0"}, {"cycle", "1"}, {"cycletime", "5"},
    {"language", "0"}, {"thesufix", "1"}, {"notepadedit", "1"}, {"moveover", "1"}, {"showplayable", "1"},
    {"shownodump", "0"}, {"cyclesnaps", "0"}, {"keepfav", "1"}, {"keepcounters", "1"}, {"autoini", "0"},
    {"showhints", "0"}, {"showcommand", "1"}, {"smoothscrolling", "0"}, {"slikstiknav", "1"}, {"hotrodnav", "1"},
    {"stretch", "0"}, {"stretchfilter", "2"}, {"scale", "1"}, {"commandline", "-nothrottle"},
    {"roms", "3/4"}, {"mameversion", "0.251 (test)"},
};
// clang-format on

TEST_F(MainWindowTest, SecondStartAppliesEverySettingAndTheCloseWritesThemBackUnchanged) {
  WriteProgram("mame", true);
  Write("catver.ini", "[Category]\r\n");
  WriteSettings(kChosen);
  Start();
  EXPECT_FALSE(Form1->settings().IsFirstRun());

  const QString buttons = QString::fromStdString(kChosen.at("toolbarbuttons"));
  for (int i = 0; i < MainWindowMenus::kToolbarControlCount; ++i) {
    const bool on = buttons[i] == '1';
    EXPECT_EQ(Form1->Menus()->ToolbarControls()[i]->isVisible(), on && (i != 10 || Form1->MameInfoLoaded())) << i;
    EXPECT_EQ(Form13->Buttons()[i]->isChecked(), on) << i;
  }
  EXPECT_EQ(Form1->gameList()->View()->Style(), ViewStyle::List);
  EXPECT_TRUE(Action("ShowList1")->isChecked());
  EXPECT_FALSE(Form1->statusBar()->isVisibleTo(Form1));
  EXPECT_FALSE(Action("StatusBar1")->isChecked());
  EXPECT_TRUE(Form1->Menus()->ToolBar()->isVisibleTo(Form1));
  EXPECT_TRUE(Action("oolBar1")->isChecked());
  EXPECT_EQ(Form1->Menus()->ToolBar()->iconSize(), QSize(16, 16));

  QTabWidget* tabs = Form1->PageControl();
  EXPECT_FALSE(Form1->TabsHidden());
  const bool pages[TForm1::kPageCount] = {true, false, false, true, true, true, true, true};
  for (int page = 0; page < TForm1::kPageCount; ++page) {
    EXPECT_EQ(tabs->isTabVisible(page), pages[page]) << page;
    if (page > 0 && page < 7) {
      EXPECT_EQ(Form1->Menus()->TabViewActions()[page - 1]->isChecked(), pages[page]) << page;
    }
  }
  EXPECT_EQ(tabs->currentIndex(), 3);

  const auto places = cat::ParseColumnOrder(kChosen.at("colorder"), cat::kListColumnCount);
  ASSERT_EQ(places.size(), 19u);
  for (int visual = 0; visual < 19; ++visual) {
    EXPECT_EQ(Header()->logicalIndex(visual), places[visual].column) << visual;
    EXPECT_EQ(Header()->sectionSize(places[visual].column), places[visual].width) << places[visual].column;
  }

  EXPECT_EQ(Form1->gameList()->SearchField(), 23);
  EXPECT_TRUE(Action("RomName1")->isChecked());
  EXPECT_TRUE(Form1->CycleTimer()->isActive());
  EXPECT_EQ(Form1->CycleTimer()->interval(), 5000);
  EXPECT_TRUE(Form1->Menus()->LanguageActions()[0]->isChecked());
  if (QAction* noThe = Action("he1")) {
    EXPECT_TRUE(noThe->isChecked());
  }
  EXPECT_EQ(Form1->gameList()->PanelText(1), "Roms : 3/4");
  EXPECT_EQ(Form1->gameList()->PanelText(4), "0.251 (test)");

  const std::pair<const char*, bool> boxes[] = {
      {"realtimesearch", false}, {"showclones", false},      {"cycle", true},         {"Notepadedit", true},
      {"cyclemove", true},       {"onlygood", true},         {"nodump", false},       {"stretchssyesno", false},
      {"keepfavorites", true},   {"keepcounters", true},     {"reinitialise", false}, {"showhints", false},
      {"showcommand", true},     {"smoothscrolling", false}, {"hidemouse", false},    {"bigtoolbar", true},
      {"xarcadegui", false},     {"slikstikgui", true},      {"hotrodgui", false},
  };
  for (const auto& [box, checked] : boxes) EXPECT_EQ(Form4->CheckBox(box)->isChecked(), checked) << box;
  // What the boxes say is in force from the start, not only after the preferences' OK.
  EXPECT_EQ(Form1->gameList()->View()->ReportView()->verticalScrollMode(), QAbstractItemView::ScrollPerItem);
  EXPECT_FALSE(Form4->HintsShown());
  auto* hinted = Form1->Menus()->ToolBar()->findChild<QToolButton*>("ToolButton11");
  QHelpEvent hint(QEvent::ToolTip, QPoint(1, 1), hinted->mapToGlobal(QPoint(1, 1)));
  QCoreApplication::sendEvent(hinted, &hint);
  EXPECT_EQ(hinted->toolTipDuration(), 8000);
  EXPECT_TRUE(Form4->RadioButton("cycletabs")->isChecked());
  EXPECT_EQ(Form4->ComboBox("stretchfilter")->currentIndex(), 2);
  EXPECT_EQ(Form4->ComboBox("scaletimes")->currentIndex(), 1);
  EXPECT_EQ(Form4->Edit("commandline")->text(), "-nothrottle");

  ASSERT_TRUE(Form1->close());
  const set::IniFile saved = Saved();
  const set::Settings written = SettingsWith(kChosen);
  for (const set::SettingKey& row : set::SettingKeys()) {
    const std::string* value = saved.FindValue(row.section, row.key);
    ASSERT_NE(value, nullptr) << row.key;
    EXPECT_EQ(*value, written.ReadText(row.section, row.key)) << row.key;
  }
  EXPECT_TRUE(messages_.empty());
}

// ---- Window geometry ----

TEST_F(MainWindowTest, ALanguageThisProgramDoesNotKnowIsWrittenBackAsItWas) {
  WriteSettings({{"language", "12"}});
  Start();
  EXPECT_EQ(Form1->LanguageIndex(), 0);
  EXPECT_TRUE(Form1->Menus()->LanguageActions()[0]->isChecked());
  ASSERT_TRUE(Form1->close());
  EXPECT_EQ(*Saved().FindValue(set::kUiSection, "language"), "12");
}

// A save of the game list cut off last time left its temporary file; the next start removes it and
// nothing else.
TEST_F(MainWindowTest, TheTemporaryFileOfAnInterruptedGameListSaveIsRemovedAtStart) {
  WriteSettings({});
  Write("ini/kestrune.dat", "");
  Write("ini/.kestrune.dat.tmp-a1B2c3", "half a list");
  Write("ini/.kestrune.dat.tmp-notours", "the user's");
  Write("ini/.notes.txt.tmp-a1B2c3", "another file's");
  Start();
  EXPECT_FALSE(std::filesystem::exists(Path("ini/.kestrune.dat.tmp-a1B2c3")));
  EXPECT_EQ(kestrune::test::ReadFileBytes(Path("ini/.kestrune.dat.tmp-notours")), "the user's");
  EXPECT_EQ(kestrune::test::ReadFileBytes(Path("ini/.notes.txt.tmp-a1B2c3")), "another file's");
}

// Settings brought from another machine name an ini folder that is not here yet.
TEST_F(MainWindowTest, AMissingIniFolderIsMadeBeforeMameIniIsWritten) {
  WriteProgram("mame", true);
  set::Settings settings(folder_);
  settings.WriteDefaults(folder_, "mame", "");
  settings.WriteText(set::kMameSection, "inidir", folder_ + "from/another/machine/ini");
  std::string error;
  ASSERT_TRUE(settings.Save(&error)) << error;
  Start();
  EXPECT_TRUE(messages_.empty()) << (messages_.empty() ? "" : messages_[0].text.toStdString());
  EXPECT_TRUE(std::filesystem::is_directory(Path("from/another/machine/ini")));
  EXPECT_TRUE(std::filesystem::exists(Path("mame.ini")));
}

// Notes whether the first activation had run when a widget of the main window first painted, and
// what the status bar's first panel said then.
struct FirstPaint : QObject {
  bool seen = false;
  bool afterActivation = false;
  QString panel;
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!seen && event->type() == QEvent::Paint && widget != nullptr && widget->window() == Form1) {
      seen = true;
      afterActivation = Form1->StartupDone();
      panel = Form1->gameList()->PanelText(0);
    }
    return false;
  }
};

bool MainWindowTest::ShowUntilActivated(FirstPaint& paint) {
  qApp->installEventFilter(&paint);
  Form1->show();
  const bool activated = WaitUntil([] { return Form1->StartupDone(); }, 60000);
  qApp->removeEventFilter(&paint);
  return activated;
}

// A MAME that never answers -showconfig: the window paints before the first activation asks it, and
// the activation still ends, with a mame.ini written without MAME's own paths.
TEST_F(MainWindowTest, TheWindowPaintsBeforeTheFirstActivationAsksAHangingMame) {
  WriteScript("mame", "[ \"$1\" = -showconfig ] && { echo $$ > asked.pid; exec sleep 600; }\nexit 0\n");
  WriteSettings({});
  CreateWindows();
  FirstPaint paint;
  ASSERT_TRUE(ShowUntilActivated(paint));
  EXPECT_TRUE(paint.seen);
  EXPECT_FALSE(paint.afterActivation);
  EXPECT_TRUE(fs::exists(Path("asked.pid")));
  EXPECT_TRUE(fs::exists(Path("mame.ini")));
}

struct GeometryCase {
  const char* name;
  QRect saved;
};

void PrintTo(const GeometryCase& c, std::ostream* out) { *out << c.name; }

class WindowGeometry : public MainWindowTest, public ::testing::WithParamInterface<GeometryCase> {};

TEST_P(WindowGeometry, TheSavedFrameIsPulledOntoTheScreenAndSavedAsShown) {
  const QRect saved = GetParam().saved;
  WriteSettings({{"winleft", std::to_string(saved.left())},
                 {"wintop", std::to_string(saved.top())},
                 {"winwidth", std::to_string(saved.width())},
                 {"winheight", std::to_string(saved.height())}});
  Start();
  // The settings hold the frame's corner and the inner size, as the window's move() and resize() take them.
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  const QRect shown(Form1->frameGeometry().topLeft(), Form1->normalGeometry().size());
  EXPECT_TRUE(area.contains(shown)) << shown.x() << "," << shown.y() << " " << shown.width() << "x" << shown.height();
  if (area.contains(saved)) {
    EXPECT_EQ(shown, saved);
  }
  EXPECT_EQ(shown.width(), std::min(saved.width(), area.width()));
  EXPECT_EQ(shown.height(), std::min(saved.height(), area.height()));
  const Values layout = Layout();
  ASSERT_TRUE(Form1->close());
  const set::IniFile ini = Saved();
  for (const char* key : {"winleft", "wintop", "winwidth", "winheight"}) {
    EXPECT_EQ(*ini.FindValue(set::kUiSection, key), layout.at(key)) << key;
  }
}

INSTANTIATE_TEST_SUITE_P(Frames, WindowGeometry,
                         ::testing::Values(GeometryCase{"InsideTheScreen", QRect(40, 30, 500, 400)},
                                           GeometryCase{"RightOfAndBelowTheScreen", QRect(5000, 4000, 500, 400)},
                                           GeometryCase{"LeftOfAndAboveTheScreen", QRect(-900, -700, 500, 400)},
                                           GeometryCase{"LargerThanTheScreen", QRect(10, 10, 5000, 4000)}),
                         [](const auto& info) { return std::string(info.param.name); });

// Every key of the file at one end of int: the window still opens on the screen with its list inside
// it, and the close writes back numbers within range.
class SettingsAtTheEndsOfInt : public MainWindowTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(SettingsAtTheEndsOfInt, StartOnTheScreenAndCloseWithNumbersInRange) {
  Values all;
  for (const set::SettingKey& row : set::SettingKeys()) {
    if (row.section == set::kUiSection && row.key != "mamefile" && row.key != "frontdir")
      all[std::string(row.key)] = GetParam();
  }
  WriteSettings(all);
  Start();
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(area.contains(QRect(Form1->frameGeometry().topLeft(), Form1->size())));
  EXPECT_LE(Form1->gameList()->View()->width(), Form1->width());
  ASSERT_TRUE(Form1->close());
  const set::IniFile ini = Saved();
  // winmax is on, so the corner is kept as it stood; the sizes are the window's.
  for (const char* key : {"winwidth", "winheight", "splitter", "col1"}) {
    const std::optional<int> value = set::ParseInt(*ini.FindValue(set::kUiSection, key));
    ASSERT_TRUE(value.has_value()) << key;
    EXPECT_LE(std::abs(*value), set::kMaxCoordinate) << key;
  }
}

INSTANTIATE_TEST_SUITE_P(Ends, SettingsAtTheEndsOfInt, ::testing::Values("2147483647", "-2147483648"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param[0] == '-' ? "Lowest" : "Highest");
                         });

// ---- Saved catalogue ----

std::string CatalogueText() {
  using kestrune::test::GameLine;
  return GameLine("pacman") + "\r\n" + GameLine("mspacman", [](cat::Tgameinfo& g) { g.cloneof = "pacman"; }) + "\r\n" +
         GameLine("galaga", [](cat::Tgameinfo& g) { g.availflag = "1"; }) + "\r\n" +
         GameLine("asteroid", [](cat::Tgameinfo& g) { g.video = "Vector"; }) + "\r\n";
}

struct ListingCase {
  const char* name;
  int filterMenu;
  int list;  // with `showbadroms` to match: the list of all games shows the unavailable ones
  int selected;
  int rows;
  int selectedRow;
};

void PrintTo(const ListingCase& c, std::ostream* out) { *out << c.name; }

class SavedCatalogue : public MainWindowTest, public ::testing::WithParamInterface<ListingCase> {};

TEST_P(SavedCatalogue, IsListedWithTheSavedFilterListModeAndSelection) {
  const ListingCase& c = GetParam();
  Write("ini/kestrune.dat", CatalogueText());
  WriteSettings({{"filtermenu", std::to_string(c.filterMenu)},
                 {"list", std::to_string(c.list)},
                 {"showbadroms", c.list == 0 ? "1" : "0"},
                 {"selected", std::to_string(c.selected)}});
  Start();
  GameListController* games = Form1->gameList();
  EXPECT_EQ(games->Model()->rowCount(), c.rows);
  EXPECT_EQ(games->PanelText(0), QStringLiteral("Listed : %1").arg(c.rows));
  EXPECT_EQ(games->CheckedFilter(), c.filterMenu);
  EXPECT_TRUE(Action(cat::kFilterMenu[static_cast<std::size_t>(c.filterMenu)].item.data())->isChecked());
  EXPECT_EQ(games->Mode(), static_cast<cat::ListMode>(c.list));
  EXPECT_EQ(games->View()->SelectedRow(), c.selectedRow);
  ASSERT_TRUE(Form1->close());
  EXPECT_EQ(*Saved().FindValue(set::kUiSection, "selected"), std::to_string(c.selectedRow));
  EXPECT_EQ(kestrune::test::ReadFileBytes(Path("ini/kestrune.dat")), CatalogueText());
}

INSTANTIATE_TEST_SUITE_P(Listings, SavedCatalogue,
                         ::testing::Values(ListingCase{"RasterAvailableGames", 1, 1, 1, 2, 1},
                                           ListingCase{"SelectedEqualToTheRowCountSelectsTheTop", 1, 1, 2, 2, 0},
                                           ListingCase{"AllVectorGames", 2, 0, 0, 1, 0},
                                           ListingCase{"NoSelectionSavedSelectsTheTop", 0, 0, -1, 4, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// The window shows before the first activation, which may wait seconds on MAME before it reads the
// catalogue: until then the status bar does not say that there are no games.
class FirstActivationPanel : public MainWindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FirstActivationPanel, SaysThereAreNoGamesOnlyWhenTheCatalogueHoldsNone) {
  const bool games = GetParam();
  Write("ini/kestrune.dat", games ? CatalogueText() : "");
  WriteScript("mame", "exit 0\n");
  WriteSettings({{"list", "0"}, {"showbadroms", "1"}});
  CreateWindows();
  FirstPaint paint;
  ASSERT_TRUE(ShowUntilActivated(paint));
  ASSERT_TRUE(paint.seen);
  ASSERT_FALSE(paint.afterActivation);
  const QString noGames = "No games: press F5 (Setup > Initialize Roms) to build the game list.";
  EXPECT_NE(paint.panel, noGames);
  EXPECT_EQ(Form1->gameList()->PanelText(0), games ? QStringLiteral("Listed : 4") : noGames);
}

INSTANTIATE_TEST_SUITE_P(Catalogues, FirstActivationPanel, ::testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "WithGames" : "Empty"); });

class CatalogueSaveFails : public MainWindowTest, public ::testing::WithParamInterface<QMessageBox::StandardButton> {};

TEST_P(CatalogueSaveFails, TheUserChoosesWhetherToQuitWithoutIt) {
  Write("ini/kestrune.dat", CatalogueText());
  Start();
  ASSERT_TRUE(messages_.empty());
  fs::remove(Path("ini/kestrune.dat"));
  fs::create_directory(Path("ini/kestrune.dat"));
  answer_ = GetParam();
  const bool quit = answer_ == QMessageBox::Yes;
  EXPECT_EQ(Form1->close(), quit);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].icon, QMessageBox::Warning);
  EXPECT_EQ(messages_[0].buttons, QMessageBox::Yes | QMessageBox::No);
  EXPECT_TRUE(messages_[0].text.contains("could not be saved")) << messages_[0].text.toStdString();
  EXPECT_EQ(Form1->isVisible(), !quit);
  // A first run: the settings reach the disk only with a close that goes on.
  EXPECT_EQ(fs::exists(Path("ini/kestrune.ini")), quit);
  if (!quit) {
    fs::remove(Path("ini/kestrune.dat"));
    EXPECT_TRUE(Form1->close());
    EXPECT_EQ(kestrune::test::ReadFileBytes(Path("ini/kestrune.dat")), CatalogueText());
    EXPECT_TRUE(fs::exists(Path("ini/kestrune.ini")));
  }
}

INSTANTIATE_TEST_SUITE_P(Answers, CatalogueSaveFails, ::testing::Values(QMessageBox::Yes, QMessageBox::No),
                         [](const auto& info) { return std::string(info.param == QMessageBox::Yes ? "Yes" : "No"); });

// A program folder the user may not change (run by read_only_folder_test.sh): each save the close tries
// gives the system's own reason.
using CloseOnAReadOnlyFolder = MainWindowTest;

TEST_F(CloseOnAReadOnlyFolder, SaysWhyTheGameListAndTheSettingsWereNotSaved) {
  Write("ini/kestrune.dat", CatalogueText());
  WriteSettings({});
  if (!UseReadOnlyView()) GTEST_SKIP() << "needs the read-only view of tests/app/read_only_folder_test.sh";
  Start();
  ASSERT_TRUE(messages_.empty()) << messages_[0].text.toStdString();
  EXPECT_TRUE(Form1->close());
  const QString readOnly = QString::fromUtf8(std::strerror(EROFS));
  ASSERT_EQ(messages_.size(), 2u);
  EXPECT_TRUE(messages_[0].text.startsWith("The game list could not be saved:\n")) << messages_[0].text.toStdString();
  EXPECT_TRUE(messages_[0].text.contains(readOnly)) << messages_[0].text.toStdString();
  EXPECT_EQ(messages_[1].text, "The settings could not be saved:\nCannot replace \"" +
                                   QString::fromStdString(folder_) + "ini/kestrune.ini\": the file is read-only (" +
                                   readOnly + ")");
}

// What stands where the catalogue goes and cannot be read: a folder, a named pipe, or a link to a
// catalogue on a drive that is not there now.
enum class CatalogueKind { Folder, NamedPipe, LinkToNothing };

std::string CatalogueKindName(CatalogueKind kind) {
  switch (kind) {
    case CatalogueKind::Folder:
      return "Folder";
    case CatalogueKind::NamedPipe:
      return "NamedPipe";
    case CatalogueKind::LinkToNothing:
      return "LinkToNothing";
  }
  return "";
}

class UnreadableCatalogue : public MainWindowTest, public ::testing::WithParamInterface<CatalogueKind> {};

TEST_P(UnreadableCatalogue, IsReportedAndNeverSavedOver) {
  const fs::path file = Path("ini/kestrune.dat");
  fs::create_directories(Path("ini"));
  fs::file_type kind = fs::file_type::symlink;
  switch (GetParam()) {
    case CatalogueKind::Folder:
      fs::create_directory(file);
      kind = fs::file_type::directory;
      break;
    case CatalogueKind::NamedPipe:
      ASSERT_EQ(mkfifo(file.c_str(), 0644), 0);
      kind = fs::file_type::fifo;
      break;
    case CatalogueKind::LinkToNothing:
      fs::create_symlink(Path("unmounted/kestrune.dat"), file);
      break;
  }
  Start();
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].icon, QMessageBox::Warning);
  EXPECT_TRUE(messages_[0].text.contains("could not be read")) << messages_[0].text.toStdString();
  EXPECT_EQ(Form1->gameList()->PanelText(0), "No games: press F5 (Setup > Initialize Roms) to build the game list.");
  EXPECT_TRUE(Form1->close());
  EXPECT_EQ(messages_.size(), 1u);
  EXPECT_EQ(fs::symlink_status(file).type(), kind);
  EXPECT_FALSE(fs::exists(Path("unmounted")));
  EXPECT_TRUE(fs::exists(Path("ini/kestrune.ini")));
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnreadableCatalogue,
                         ::testing::Values(CatalogueKind::Folder, CatalogueKind::NamedPipe,
                                           CatalogueKind::LinkToNothing),
                         [](const auto& info) { return CatalogueKindName(info.param); });

TEST_F(MainWindowTest, TheResolutionListsOfferTheModesOfTheScreens) {
  Start();
  const auto screens = kestrune::platform::ListScreenModes();
  ASSERT_FALSE(screens.empty());
  for (QComboBox* list : Form2->ResolutionLists()) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    EXPECT_EQ(items, QStringList{"Auto"} + screens[0].modes) << list->objectName().toStdString();
  }
  EXPECT_EQ(Form2->ScreenLists()[0]->itemText(1), screens[0].name);
}

// ---- Optional files ----

// catver.ini and nplayers.ini added after the start: a new scan reads them, and their columns come
// back at the widths they had; Customize Columns then keeps Category.
TEST_F(MainWindowTest, SupportFilesAddedLaterBringTheirColumnsBack) {
  Start();
  ASSERT_FALSE(Form1->CatverPresent());
  ASSERT_EQ(Header()->sectionSize(3), 0);
  const int players = Header()->sectionSize(13);
  Form1->UpdateSupportFileColumns();
  EXPECT_EQ(Header()->sectionSize(13), 0) << "no nplayers.ini: no Players";
  Write("catver.ini", "[Category]\r\npacman=Maze\r\n");
  Write("nplayers.ini", "[NPlayers]\r\npacman=2P alt\r\n");
  Form1->UpdateSupportFileColumns();
  EXPECT_TRUE(Form1->CatverPresent());
  EXPECT_TRUE(Form1->NPlayersPresent());
  EXPECT_EQ(Header()->sectionSize(3), 150);
  EXPECT_EQ(Header()->sectionSize(11), 91);
  EXPECT_EQ(Header()->sectionSize(13), players);
  // A column the user hides stays hidden at the next scan.
  Header()->resizeSection(13, 0);
  Form1->UpdateSupportFileColumns();
  EXPECT_EQ(Header()->sectionSize(13), 0);
}

struct OptionalFilesCase {
  const char* name;
  bool catver, history, mameinfo, german;
};

void PrintTo(const OptionalFilesCase& c, std::ostream* out) { *out << c.name; }

class OptionalFiles : public MainWindowTest, public ::testing::WithParamInterface<OptionalFilesCase> {};

TEST_P(OptionalFiles, SwitchTheirFeaturesOnOrOff) {
  const OptionalFilesCase& c = GetParam();
  if (c.catver) Write("catver.ini", "[Category]\r\npacman=Maze\r\n");
  if (c.history) Write("history.dat", "$info=pacman,\r\n$bio\r\nPac-Man\r\n$end\r\n");
  if (c.mameinfo) Write("mameinfo.dat", "$info=pacman\r\n$mame\r\nGood\r\n$end\r\n");
  if (c.german) Write("lang/german.lng", "[TForm1]\r\n");
  Start();
  EXPECT_EQ(Form1->CatverPresent(), c.catver);
  EXPECT_EQ(Header()->sectionSize(3), c.catver ? 150 : 0);
  EXPECT_EQ(Header()->sectionSize(11), c.catver ? 91 : 0);
  EXPECT_EQ(Form1->HistoryLoaded(), c.history);
  EXPECT_EQ(Form1->MameInfoLoaded(), c.mameinfo);
  for (const char* name : {"ShowGameDriverInfo1", "ShowGameDriverInfo2"}) {
    EXPECT_EQ(Action(name)->isEnabled(), c.mameinfo) << name;
  }
  EXPECT_EQ(Form1->Menus()->ToolbarControls()[10]->isVisible(), c.mameinfo);
  // A first run hides the tabs: the snapshot page stays on screen, the texts under it when there are any.
  const auto shown = [](const char* name) { return Form1->findChild<QWidget*>(name)->isVisibleTo(Form1); };
  ASSERT_TRUE(Form1->TabsHidden());
  EXPECT_TRUE(shown("snap"));
  EXPECT_EQ(shown("historyscherm2"), c.history || c.mameinfo);
  Action("HideTabs1")->trigger();
  EXPECT_TRUE(Form1->PageControl()->isTabVisible(0));
  EXPECT_TRUE(Form1->PageControl()->isTabVisible(1));
  EXPECT_FALSE(shown("historyscherm2"));
  Action("HideTabs1")->trigger();
  EXPECT_TRUE(Form1->TabsHidden());
  EXPECT_TRUE(shown("snap"));
  for (int i = 0; i < MainWindowMenus::kLanguageCount; ++i) {
    EXPECT_EQ(Form1->Menus()->LanguageActions()[i]->isEnabled(), i == 0 || (i == 2 && c.german)) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Files, OptionalFiles,
                         ::testing::Values(OptionalFilesCase{"NoneOfThem", false, false, false, false},
                                           OptionalFilesCase{"AllOfThem", true, true, true, true},
                                           OptionalFilesCase{"HistoryWithoutMameInfo", false, true, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
