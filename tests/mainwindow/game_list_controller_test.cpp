#include "mainwindow/game_list_controller.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QToolButton>
#include <QWidget>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <zlib.h>

#include "../catalogue/game_lines.h"
#include "catalogue/favorites.h"
#include "catalogue/icon_source.h"
#include "mainwindow/game_list_model.h"
#include "mainwindow/toolbar_images.h"
#include "platform/peak_memory.h"
#include "settings/settings.h"
#include "support/file_util.h"
#include "support/temp_dir.h"

namespace {

namespace cat = kestrune::catalogue;
using kestrune::test::GameLine;

// The icons of the rows asked for (as a paint asks), resolved as they are once the paint is over.
void PaintIcons(GameListModel& model, int rows) {
  for (int row = 0; row < rows; ++row) model.data(model.index(row, 0), Qt::DecorationRole);
  QCoreApplication::processEvents();
}

void WriteIcon(const std::filesystem::path& path, Qt::GlobalColor color) {
  QImage image(16, 16, QImage::Format_ARGB32);
  image.fill(color);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");  // the list reads icons by their content
  kestrune::test::WriteFileBytes(path, bytes.toStdString());
}

std::string Be32(std::uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
          static_cast<char>(value)};
}

void AddPngChunk(std::string& png, const char* type, const std::string& data) {
  const std::string body = type + data;
  png += Be32(static_cast<std::uint32_t>(data.size())) + body +
         Be32(static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size())));
}

// A black RGB picture of any size, made without its pixels in memory: 5000 x 5000 is a file of about
// 100 KB.
std::string BlackPng(int width, int height) {
  std::string png = "\x89PNG\r\n\x1a\n";
  AddPngChunk(png, "IHDR", Be32(width) + Be32(height) + std::string("\x08\x02\x00\x00\x00", 5));
  const std::string row(1 + static_cast<std::size_t>(width) * 3, '\0');
  z_stream stream{};
  deflateInit(&stream, Z_BEST_COMPRESSION);
  std::string data;
  char out[1 << 16];
  for (int y = 0; y < height; ++y) {
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(row.data()));
    stream.avail_in = static_cast<uInt>(row.size());
    const int flush = y + 1 == height ? Z_FINISH : Z_NO_FLUSH;
    do {
      stream.next_out = reinterpret_cast<Bytef*>(out);
      stream.avail_out = sizeof out;
      deflate(&stream, flush);
      data.append(out, sizeof out - stream.avail_out);
    } while (stream.avail_out == 0);
  }
  deflateEnd(&stream);
  AddPngChunk(png, "IDAT", data);
  AddPngChunk(png, "IEND", "");
  return png;
}

class GameListControllerTest : public ::testing::Test {
 protected:
  GameListControllerTest() : settings_(dir_.folder()) {
    catalogue_.Add(GameLine("pacman", [](cat::Tgameinfo& g) { g.description = "Pac-Man"; }));
    catalogue_.Add(GameLine("mspacman", [](cat::Tgameinfo& g) {
      g.description = "Ms. Pac-Man";
      g.cloneof = "pacman";
      g.romstatus = "1";
    }));
    catalogue_.Add(GameLine("galaga", [](cat::Tgameinfo& g) {
      g.description = "Galaga";
      g.availflag = "1";
      g.romstatus = "2";
    }));
    catalogue_.Add(GameLine("asteroid", [](cat::Tgameinfo& g) {
      g.description = "Asteroids";
      g.video = "Vector";
      g.orientation = "Horizontal (0°)";
    }));
    std::filesystem::create_directories(dir_ / "ini");
    std::filesystem::create_directories(dir_ / "inp");
    std::filesystem::create_directories(dir_ / "icons");
    controller_.SetSettings(&settings_);
    controller_.SetFolders((dir_ / "icons").string(), (dir_ / "ini").string(), (dir_ / "inp").string());
    controller_.BuildGameList();
  }

  QString Rom(int row) { return QString::fromStdString(std::string(controller_.List().Field(row, 23))); }
  QAction* Item(const char* name) { return controller_.Action(name); }

  kestrune::test::TempDir dir_;
  kestrune::settings::Settings settings_;
  cat::Catalogue catalogue_;
  QWidget window_;
  GameListController controller_{catalogue_, &window_};
};

TEST_F(GameListControllerTest, WidgetsAndMenusCarryTheirComponentNames) {
  EXPECT_EQ(window_.findChild<QWidget*>("gameview"), controller_.View());
  EXPECT_EQ(window_.findChild<QLineEdit*>("searchtag"), controller_.SearchBox());
  EXPECT_EQ(window_.findChild<QStatusBar*>("Statusbalk"), controller_.StatusBar());
  for (const char* name : {"All1", "Arcadia1", "SegaXYBoards1", "ShowAllGames1", "ShowAllGames2", "Showfulllist1",
                           "ShowFavorites1", "ShowFavorites2", "ShowFilteredGames1", "Description", "Bios1",
                           "ShowDetails1", "ShowIcons1", "AddtoFavorites1", "RemovefromFavoritelist1"}) {
    EXPECT_NE(Item(name), nullptr) << name;
  }
  EXPECT_EQ(controller_.FilterMenu()->actions().size(), 33);
}

TEST_F(GameListControllerTest, ModelShowsRowsColumnsAndStatusPanels) {
  GameListModel* model = controller_.Model();
  ASSERT_EQ(model->rowCount(), 4);
  EXPECT_EQ(model->columnCount(), 19);
  EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "Game Name");
  EXPECT_EQ(model->headerData(18, Qt::Horizontal).toString(), "Status");
  EXPECT_EQ(model->data(model->index(0, 0)).toString(), "Pac-Man");
  EXPECT_EQ(model->data(model->index(1, 16)).toString(), "pacman");
  EXPECT_EQ(model->data(model->index(1, 18)).toString(), "No good dump known");
  EXPECT_EQ(model->data(model->index(0, 8)).toString(), QString::fromUtf8("Vertical (90°)"));
  EXPECT_EQ(controller_.PanelText(0), "Listed : 4");

  controller_.SetMameVersionText("0.251 (Debian)");
  controller_.BuildGameList();
  EXPECT_EQ(controller_.PanelText(4), "0.251 (Debian)");

  controller_.View()->SelectRow(0);
  EXPECT_EQ(controller_.PanelText(2), "INI : N/A");
  kestrune::test::WriteFileBytes(dir_ / "ini" / "PACMAN.ini", "");  // matched in any letter case
  kestrune::test::WriteFileBytes(dir_ / "inp" / "pacman.inp", "");
  controller_.UpdateIniInpStatus();
  EXPECT_EQ(controller_.PanelText(2), "INI : Yes");
  EXPECT_EQ(controller_.PanelText(3), "INP : Yes");
  controller_.View()->SelectRow(3);
  EXPECT_EQ(controller_.PanelText(2), "INI : N/A");
  EXPECT_EQ(controller_.PanelText(3), "INP : N/A");
}

TEST_F(GameListControllerTest, IconsComeFromTheSetThenTheParentAndTheStoreIsClearedOnRebuild) {
  WriteIcon(dir_ / "icons" / "PACMAN.ico", Qt::yellow);
  controller_.SetFolders((dir_ / "icons").string(), (dir_ / "ini").string(), (dir_ / "inp").string());
  GameListModel* model = controller_.Model();
  PaintIcons(*model, 4);
  const cat::GameList& list = controller_.List();
  EXPECT_GE(list.ImageIndex(0), GameListModel::kBuiltInImages);  // its own icon, found in another case
  EXPECT_EQ(list.ImageIndex(1), list.ImageIndex(0) + 1);         // the clone shows its parent's icon
  EXPECT_EQ(list.ImageIndex(3), GameListModel::kNoIconImage);
  EXPECT_FALSE(model->data(model->index(2, 0), Qt::DecorationRole).isNull());  // unavailable: image 2
  EXPECT_EQ(list.ImageIndex(2), 0);
  EXPECT_EQ(model->IconStoreSize(), 5);
  controller_.BuildGameList();
  EXPECT_EQ(model->IconStoreSize(), GameListModel::kBuiltInImages);
  EXPECT_EQ(list.ImageIndex(0), 0);
}

// Icons of 5000 x 5000 pixels (a file of 100 KB) took 2.7 GB over a screen of rows: an icon larger
// than 1024 x 1024 pixels, or than kMaxIconBytes, is not decoded and its row shows the no-icon image;
// one that is decoded is kept at the size it is drawn.
TEST_F(GameListControllerTest, IconsBeyondTheLimitsShowTheNoIconImage) {
  const std::string huge = BlackPng(5000, 5000);
  ASSERT_LT(huge.size(), 200u << 10);
  kestrune::test::WriteFileBytes(dir_ / "icons" / "pacman.ico", huge);
  kestrune::test::WriteFileBytes(dir_ / "icons" / "mspacman.ico", BlackPng(1024, 1024));
  kestrune::test::WriteFileBytes(dir_ / "icons" / "asteroid.ico",
                                 BlackPng(16, 16) + std::string(cat::kMaxIconBytes, '\0'));
  controller_.SetFolders((dir_ / "icons").string(), (dir_ / "ini").string(), (dir_ / "inp").string());
  GameListModel* model = controller_.Model();
  const std::uint64_t growth = kestrune::test::PeakGrowth([model] { PaintIcons(*model, 4); });
  EXPECT_LT(growth, 32 * kestrune::test::kMegabyte);
  const cat::GameList& list = controller_.List();
  EXPECT_EQ(list.ImageIndex(0), GameListModel::kNoIconImage);
  EXPECT_EQ(list.ImageIndex(3), GameListModel::kNoIconImage);
  ASSERT_EQ(list.ImageIndex(1), GameListModel::kBuiltInImages);
  EXPECT_EQ(model->IconStoreSize(), GameListModel::kBuiltInImages + 1);
  EXPECT_EQ(model->Image(list.ImageIndex(1)).availableSizes(), QList<QSize>{QSize(32, 32)});
}

TEST_F(GameListControllerTest, ButtonsAndStateImagesShowTheToolbarImagesAndTakeReplacedOnes) {
  QAction* searchButton = controller_.SearchBox()->findChild<QAction*>("searchtagButton");
  ASSERT_NE(searchButton, nullptr);
  GameListModel* model = controller_.Model();
  ToolbarImages images;
  controller_.SetToolbarImages(&images);
  const auto shows = [](const QIcon& shown, const QIcon& image) {
    return !shown.isNull() && shown.cacheKey() == image.cacheKey();
  };
  EXPECT_TRUE(shows(controller_.ListModeButton()->icon(), images.Image(ToolbarImages::kAllRoms)));
  EXPECT_TRUE(shows(controller_.FilterButton()->icon(), images.Image(18)));  // "All Games"
  EXPECT_TRUE(shows(searchButton->icon(), images.Image(ToolbarImages::kFilterRoms)));
  EXPECT_TRUE(shows(model->Image(GameListModel::kUnavailableImage), images.StateImage(2)));

  Item("ShowAvailableGames1")->trigger();
  Item("Vector1")->trigger();
  EXPECT_TRUE(shows(controller_.ListModeButton()->icon(), images.Image(ToolbarImages::kAvailableRoms)));
  EXPECT_TRUE(shows(controller_.FilterButton()->icon(), images.Image(19)));

  // A skin replaces images after they are shown.
  QPixmap red(16, 16);
  red.fill(Qt::red);
  images.Replace(ToolbarImages::kAvailableRoms, false, QIcon(red));
  images.Replace(ToolbarImages::kFilterRoms, false, QIcon(red));
  images.ReplaceState(2, QIcon(red));
  EXPECT_TRUE(shows(controller_.ListModeButton()->icon(), images.Image(ToolbarImages::kAvailableRoms)));
  EXPECT_TRUE(shows(searchButton->icon(), images.Image(ToolbarImages::kFilterRoms)));
  EXPECT_TRUE(shows(model->Image(GameListModel::kUnavailableImage), images.StateImage(2)));

  controller_.SetToolbarImages(nullptr);
  EXPECT_TRUE(controller_.FilterButton()->icon().isNull());
  EXPECT_NE(model->Image(GameListModel::kUnavailableImage).cacheKey(), images.StateImage(2).cacheKey());
  EXPECT_FALSE(model->Image(GameListModel::kUnavailableImage).isNull());
}

TEST_F(GameListControllerTest, FilterChangeKeepsTheSelectedGameOrSelectsTheTopRow) {
  controller_.View()->SelectRow(3);
  Item("Vector1")->trigger();
  ASSERT_EQ(controller_.Model()->rowCount(), 1);
  EXPECT_EQ(controller_.GetSelectedRom(), "asteroid");
  EXPECT_EQ(controller_.CheckedFilter(), 2);
  EXPECT_EQ(controller_.FilterButton()->property("imageIndex").toInt(), 19);
  Item("Raster1")->trigger();
  EXPECT_EQ(controller_.GetSelectedRom(), "pacman");
  EXPECT_EQ(controller_.PanelText(0), "Listed : 3");

  // Choosing the checked filter again rebuilds nothing: the selection made since stays.
  controller_.View()->SelectRow(2);
  Item("Raster1")->trigger();
  EXPECT_EQ(controller_.View()->SelectedRow(), 2);
  EXPECT_TRUE(Item("Raster1")->isChecked());
}

TEST_F(GameListControllerTest, ListModesSetMenusAndTheToolButton) {
  Item("ShowAvailableGames1")->trigger();
  EXPECT_EQ(controller_.Model()->rowCount(), 3);
  EXPECT_TRUE(Item("Showfulllist1")->isChecked());
  EXPECT_EQ(controller_.ListModeButton()->property("imageIndex").toInt(), 9);
  EXPECT_TRUE(Item("AddtoFavorites2")->isEnabled());
  EXPECT_FALSE(Item("RemovefromFavorites1")->isEnabled());
  EXPECT_EQ(controller_.GetSelectedRom(), "pacman");  // the top row

  // "Show Favorites" does nothing while there are no favourites.
  Item("ShowFavorites2")->setEnabled(false);
  Item("ShowFavorites2")->trigger();
  EXPECT_EQ(controller_.Mode(), cat::ListMode::Available);

  controller_.View()->SelectRow(2);
  controller_.AddFavorite();
  EXPECT_TRUE(Item("ShowFavorites2")->isEnabled());
  Item("ShowFavorites1")->trigger();
  EXPECT_EQ(controller_.Model()->rowCount(), 1);
  EXPECT_TRUE(Item("ShowFavorites2")->isChecked());
  EXPECT_FALSE(Item("AddtoFavorites1")->isEnabled());
  EXPECT_TRUE(Item("RemovefromFavoritelist1")->isEnabled());
  EXPECT_EQ(controller_.ListModeButton()->property("imageIndex").toInt(), 8);

  // Removing the last favourite lists all games again.
  controller_.View()->SelectRow(0);
  controller_.RemoveFavorite();
  EXPECT_FALSE(Item("ShowFavorites1")->isEnabled());
  EXPECT_EQ(controller_.Mode(), cat::ListMode::All);
  EXPECT_EQ(controller_.Model()->rowCount(), 4);
}

TEST_F(GameListControllerTest, SearchListsResultsAndOneCharacterRestoresTheModesMenus) {
  cat::AddFavorite(settings_.Ini(), "pacman");
  cat::AddFavorite(settings_.Ini(), "mspacman");
  Item("ShowFavorites2")->setEnabled(true);
  Item("ShowFavorites1")->setEnabled(true);
  Item("ShowFavorites2")->trigger();
  Item("Raster1")->trigger();

  controller_.SearchBox()->setText("ms");
  controller_.QuickSearch();
  EXPECT_EQ(controller_.Mode(), cat::ListMode::SearchResult);
  EXPECT_EQ(controller_.Model()->rowCount(), 1);
  EXPECT_TRUE(Item("ShowFilteredGames1")->isChecked());
  EXPECT_FALSE(Item("ShowFavorites2")->isChecked());
  EXPECT_EQ(controller_.ListModeButton()->property("imageIndex").toInt(), 10);
  EXPECT_TRUE(Item("All1")->isChecked());  // the filter applied once and is gone
  EXPECT_EQ(controller_.PanelText(0), "Listed : 1");

  controller_.SearchBox()->setText("m");
  controller_.QuickSearch();
  EXPECT_EQ(controller_.Mode(), cat::ListMode::Favorites);
  EXPECT_TRUE(Item("ShowFavorites2")->isChecked());
  EXPECT_TRUE(Item("RemovefromFavorites1")->isEnabled());
  EXPECT_FALSE(Item("ShowFilteredGames1")->isEnabled());
  EXPECT_EQ(controller_.Model()->rowCount(), 2);
}

TEST_F(GameListControllerTest, AFilterChoiceLeavesTheSearchResultForThePlainList) {
  controller_.SearchBox()->setText("pac");
  controller_.QuickSearch();
  ASSERT_EQ(controller_.Mode(), cat::ListMode::SearchResult);

  Item("Vector1")->trigger();
  EXPECT_EQ(controller_.Mode(), cat::ListMode::All);
  EXPECT_TRUE(Item("ShowAllGames1")->isChecked());
  EXPECT_FALSE(Item("ShowFilteredGames1")->isChecked());
  EXPECT_EQ(controller_.ListModeButton()->property("imageIndex").toInt(), 7);
  ASSERT_EQ(controller_.Model()->rowCount(), 1);

  // A sort lists the filtered games again, not the search result the filter replaced.
  controller_.SortByColumn(2);
  EXPECT_EQ(controller_.Model()->rowCount(), 1);
  EXPECT_EQ(Rom(0), "asteroid");
  EXPECT_TRUE(Item("Vector1")->isChecked());
  controller_.StoreSettings();
  EXPECT_EQ(settings_.ReadText("kestruneui", "filter"), "0");
}

TEST_F(GameListControllerTest, TypingSearchesAfterEachKeyAndTheFieldMenuEmptiesTheBox) {
  QLineEdit* box = controller_.SearchBox();
  box->setText("PAC");
  box->textEdited(box->text());
  EXPECT_EQ(box->text(), "pac");
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_C, Qt::NoModifier, "c");
  QCoreApplication::sendEvent(box, &release);
  EXPECT_EQ(controller_.Model()->rowCount(), 2);

  Item("RomName1")->trigger();
  EXPECT_EQ(controller_.SearchField(), 23);
  EXPECT_TRUE(box->text().isEmpty());
  EXPECT_EQ(controller_.Model()->rowCount(), 2);  // emptying the box does not search
}

TEST_F(GameListControllerTest, SortRewritesTheCatalogueAndKeepsTheSelection) {
  controller_.View()->SelectRow(3);
  controller_.SortByColumn(0);  // the first click on "Game Name" sorts descending
  EXPECT_EQ(Rom(0), "pacman");
  EXPECT_EQ(Rom(3), "asteroid");
  EXPECT_EQ(cat::ParseGameRecord(catalogue_[1])->romname, "mspacman");
  EXPECT_EQ(controller_.GetSelectedRom(), "asteroid");

  controller_.SearchBox()->setText("pac");
  controller_.QuickSearch();
  controller_.SortByColumn(17);
  ASSERT_EQ(controller_.Model()->rowCount(), 2);
  EXPECT_EQ(Rom(0), "mspacman");
  EXPECT_EQ(controller_.Mode(), cat::ListMode::SearchResult);

  // With the box emptied the plain list is rebuilt, never stale rows.
  controller_.SearchBox()->clear();
  controller_.SortByColumn(17);  // the same column again: descending
  EXPECT_EQ(controller_.Model()->rowCount(), 4);
  EXPECT_EQ(Rom(0), "pacman");
  EXPECT_EQ(Rom(3), "asteroid");
  EXPECT_EQ(controller_.Mode(), cat::ListMode::All);
}

TEST_F(GameListControllerTest, ViewStylesShareOneSelectionAndTypeAheadFindsTitles) {
  controller_.View()->SelectRow(1);
  Item("ShowIcons1")->trigger();
  EXPECT_EQ(controller_.View()->Style(), ViewStyle::Icons);
  EXPECT_EQ(controller_.View()->IconView()->currentIndex().row(), 1);
  EXPECT_EQ(settings_.ReadInt("kestruneui", "viewtype"), 2);
  Item("ShowDetails1")->trigger();
  EXPECT_EQ(controller_.GetSelectedRom(), "mspacman");

  controller_.View()->ReportView()->keyboardSearch("g");
  EXPECT_EQ(controller_.View()->ReportView()->currentIndex().row(), 2);
  controller_.SetControllerNavigation(true);
  controller_.View()->ReportView()->keyboardSearch("a");
  EXPECT_EQ(controller_.View()->ReportView()->currentIndex().row(), 2);
}

TEST_F(GameListControllerTest, SettingsRestoreTheListStateWithDefaultsForBadValues) {
  settings_.WriteDefaults(dir_.folder(), "mame", "");
  settings_.WriteText("kestruneui", "searchmenu", "24");
  settings_.WriteText("kestruneui", "filtermenu", "5");
  settings_.WriteText("kestruneui", "list", "0");
  settings_.WriteText("kestruneui", "showbadroms", "1");
  settings_.WriteText("kestruneui", "filter", "1");
  settings_.WriteText("kestruneui", "keyword", "pac");
  settings_.WriteText("kestruneui", "roms", "3/4");
  controller_.ApplySettings();
  EXPECT_EQ(controller_.SearchField(), 1);
  EXPECT_TRUE(Item("Description")->isChecked());
  EXPECT_EQ(controller_.CheckedFilter(), 0);
  EXPECT_EQ(controller_.Mode(), cat::ListMode::SearchResult);
  EXPECT_EQ(controller_.Model()->rowCount(), 2);
  EXPECT_EQ(controller_.PanelText(1), "Roms : 3/4");
  EXPECT_FALSE(Item("ShowFavorites2")->isEnabled());

  settings_.WriteText("kestruneui", "searchmenu", "5");  // a field without a menu entry
  controller_.ApplySettings();
  EXPECT_EQ(controller_.SearchField(), 5);
  EXPECT_FALSE(Item("Description")->isChecked());

  controller_.StoreSettings();
  EXPECT_EQ(settings_.ReadText("kestruneui", "filter"), "1");
  EXPECT_EQ(settings_.ReadText("kestruneui", "keyword"), "pac");
  EXPECT_EQ(settings_.ReadText("kestruneui", "list"), "0");
}

TEST_F(GameListControllerTest, NoThePrefixMovesTheArticleOfEveryTitleAndBack) {
  catalogue_.Add(GameLine("simpsons", [](cat::Tgameinfo& g) { g.description = "The Simpsons"; }));
  catalogue_.Add(GameLine("theatre", [](cat::Tgameinfo& g) { g.description = "Theatre of Pain"; }));
  controller_.BuildGameList();
  QAction* noThe = Item("he1");
  ASSERT_NE(noThe, nullptr);
  EXPECT_TRUE(noThe->isCheckable());
  EXPECT_FALSE(noThe->isChecked());
  controller_.View()->SelectRow(4);

  noThe->trigger();
  EXPECT_TRUE(noThe->isChecked());
  EXPECT_EQ(cat::ParseGameRecord(catalogue_[4])->description, "Simpsons,The");
  EXPECT_EQ(cat::ParseGameRecord(catalogue_[5])->description, "Theatre of Pain");
  EXPECT_EQ(controller_.Model()->data(controller_.Model()->index(4, 0)).toString(), "Simpsons,The");
  EXPECT_EQ(controller_.GetSelectedRom(), "simpsons");

  // A search result listed is searched again in the moved titles.
  controller_.SearchBox()->setText("simpsons,");
  controller_.QuickSearch();
  ASSERT_EQ(controller_.Model()->rowCount(), 1);
  noThe->trigger();
  EXPECT_FALSE(noThe->isChecked());
  EXPECT_EQ(cat::ParseGameRecord(catalogue_[4])->description, "The Simpsons");
  EXPECT_EQ(controller_.Mode(), cat::ListMode::SearchResult);
  EXPECT_EQ(controller_.Model()->rowCount(), 0);
}

struct TheSuffixCase {
  const char* name;
  const char* stored;  // thesufix as the settings file holds it
  bool checked;
  const char* written;
};

void PrintTo(const TheSuffixCase& row, std::ostream* out) { *out << row.name << " \"" << row.stored << '"'; }

class TheSuffixSetting : public GameListControllerTest, public ::testing::WithParamInterface<TheSuffixCase> {};

TEST_P(TheSuffixSetting, ChecksTheItemWithoutMovingArticlesAndIsWrittenBack) {
  const TheSuffixCase& row = GetParam();
  catalogue_.Add(GameLine("simpsons", [](cat::Tgameinfo& g) { g.description = "The Simpsons"; }));
  const std::vector<std::string> before = catalogue_.Lines();
  settings_.WriteDefaults(dir_.folder(), "mame", "");
  settings_.WriteText("kestruneui", "thesufix", row.stored);
  controller_.ApplySettings();
  EXPECT_EQ(Item("he1")->isChecked(), row.checked);
  EXPECT_EQ(catalogue_.Lines(), before);
  controller_.StoreSettings();
  EXPECT_EQ(settings_.ReadText("kestruneui", "thesufix"), row.written);
}

INSTANTIATE_TEST_SUITE_P(Stored, TheSuffixSetting,
                         ::testing::Values(TheSuffixCase{"On", "1", true, "1"}, TheSuffixCase{"Off", "0", false, "0"},
                                           TheSuffixCase{"Missing", "", false, "0"},
                                           TheSuffixCase{"NumberOne", "01", true, "1"},
                                           TheSuffixCase{"NotANumber", "yes", false, "0"}),
                         [](const ::testing::TestParamInfo<TheSuffixCase>& info) {
                           return std::string(info.param.name);
                         });

struct ShowFavoritesCase {
  const char* name;
  std::vector<const char*> stored;  // the favourites in the settings before the step
  std::function<void(GameListController&, kestrune::settings::Settings&)> step;
  bool enabled;
};

void PrintTo(const ShowFavoritesCase& row, std::ostream* out) { *out << row.name; }

class ShowFavoritesItems : public GameListControllerTest, public ::testing::WithParamInterface<ShowFavoritesCase> {};

TEST_P(ShowFavoritesItems, AreEnabledOnlyWhileThereAreFavourites) {
  const ShowFavoritesCase& row = GetParam();
  for (const char* rom : row.stored) {
    cat::AddFavorite(settings_.Ini(), rom);
  }
  GameListController controller(catalogue_, &window_);
  QAction* view = controller.Action("ShowFavorites2");
  QAction* popup = controller.ListModeMenu()->actions().value(2);
  ASSERT_EQ(popup, controller.Action("ShowFavorites1"));
  EXPECT_FALSE(view->isEnabled());
  EXPECT_FALSE(popup->isEnabled());

  row.step(controller, settings_);
  EXPECT_EQ(view->isEnabled(), row.enabled);
  EXPECT_EQ(popup->isEnabled(), row.enabled);
}

void Use(GameListController& c, kestrune::settings::Settings& s) {
  c.SetSettings(&s);
  c.BuildGameList();
}

void Apply(GameListController& c, kestrune::settings::Settings& s) {
  c.SetSettings(&s);
  c.ApplySettings();
}

void ChangeFirstRow(GameListController& c, kestrune::settings::Settings& s, bool add) {
  Use(c, s);
  c.View()->SelectRow(0);  // pacman
  add ? c.AddFavorite() : c.RemoveFavorite();
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ShowFavoritesItems,
    ::testing::Values(
        ShowFavoritesCase{"SettingsWithoutFavourites", {}, Use, false},
        ShowFavoritesCase{"SettingsWithAFavourite", {"galaga"}, Use, true},
        ShowFavoritesCase{"AppliedWithoutFavourites", {}, Apply, false},
        ShowFavoritesCase{"AppliedWithAFavourite", {"galaga"}, Apply, true},
        ShowFavoritesCase{"FirstAdded",
                          {},
                          [](GameListController& c, kestrune::settings::Settings& s) { ChangeFirstRow(c, s, true); },
                          true},
        ShowFavoritesCase{"LastRemoved",
                          {"pacman"},
                          [](GameListController& c, kestrune::settings::Settings& s) { ChangeFirstRow(c, s, false); },
                          false},
        ShowFavoritesCase{"OneOfTwoRemoved",
                          {"pacman", "galaga"},
                          [](GameListController& c, kestrune::settings::Settings& s) { ChangeFirstRow(c, s, false); },
                          true},
        ShowFavoritesCase{"SettingsTakenAway",
                          {"galaga"},
                          [](GameListController& c, kestrune::settings::Settings& s) {
                            Use(c, s);
                            c.SetSettings(nullptr);
                          },
                          false}),
    [](const ::testing::TestParamInfo<ShowFavoritesCase>& info) { return std::string(info.param.name); });

}  // namespace
