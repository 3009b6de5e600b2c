#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <array>
#include <memory>
#include <string>

#include "catalogue/catalogue_file.h"
#include "catalogue/game_list.h"
#include "catalogue/game_sort.h"
#include "catalogue/icon_source.h"
#include "mainwindow/game_list_view.h"

class QAction;
class QActionGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QStatusBar;
class QToolButton;
class QWidget;
class GameListModel;
class ToolbarImages;

namespace kestrune::settings {
class Settings;
}

// The main window's game list with everything that rebuilds it: the list modes, the filter menu, the
// quick search with its field menu, the column sort, the status panels that belong to the list, and
// the reselection of the game the user had selected. The widgets and menus are made here and placed
// by the main window; each widget's objectName is its component name.
class GameListController : public QObject {
  Q_OBJECT

 public:
  GameListController(kestrune::catalogue::Catalogue& catalogue, QWidget* parentWidget);
  ~GameListController() override;

  kestrune::catalogue::GameList& List() { return list_; }
  GameListModel* Model() const { return model_; }
  GameListView* View() const { return view_; }
  QLineEdit* SearchBox() const { return searchtag_; }
  QStatusBar* StatusBar() const { return statusbar_; }
  QMenu* FilterMenu() const { return filtermenu_; }
  QMenu* ListModeMenu() const { return popupMenu3_; }
  QMenu* SearchMenu() const { return searchmenu_; }
  QToolButton* ListModeButton() const { return toolButton13_; }
  QToolButton* FilterButton() const { return toolButton15_; }
  // The View menu's list-mode items, its view-style items, and the four favourites items.
  QList<QAction*> ViewMenuListModeActions() const;
  QList<QAction*> ViewStyleActions() const;
  QList<QAction*> FavoriteActions() const;
  // Any action made here, by its component name; null when there is none.
  QAction* Action(const QString& objectName) const;
  QString PanelText(int panel) const;

  // What the list consults elsewhere: the settings (favourites and the list's keys), the
  // preferences' check boxes, the folders.
  void SetSettings(kestrune::settings::Settings* settings);
  void SetPlayableOnly(bool on) { list_.Flags().PlayableOnly = on; }
  void SetRealTimeSearch(bool on) { realTimeSearch_ = on; }
  // Any of the arcade-controller navigations is on: typed keys then belong to the controller.
  void SetControllerNavigation(bool on) { controllerNavigation_ = on; }
  void SetFolders(const std::string& iconDir, const std::string& iniDir, const std::string& inpDir);
  void SetIconSource(std::unique_ptr<kestrune::catalogue::IconSource> source);
  // Where the list-mode and filter buttons, the search box's button and the list's state images take
  // their images; each takes its image again when a skin replaces one. Null shows none on the buttons.
  void SetToolbarImages(const ToolbarImages* images);
  void SetMameVersionText(const QString& text);
  void SetRomsText(const QString& text);
  // Writes the status panels again in the current language.
  void RedrawStatusPanels();

  // Restores the list's state from the settings and builds the list; StoreSettings writes it back.
  void ApplySettings();
  void StoreSettings();

  void BuildGameList();
  void ApplyListFilter(int menuIndex);
  void ShowAllGames();
  void ShowAvailableGames();
  void ShowFavoriteGames();
  void QuickSearch();
  void SortByColumn(int column);
  void SetViewStyle(ViewStyle style);
  void ClearIconIndexes();
  void AddFavorite();
  void RemoveFavorite();

  QString GetSelectedRom() const;
  void SelectGameByRom(const QString& rom);
  void UpdateIniInpStatus();
  // What the "INI : " and "INP : " panels last said of the selected game.
  bool IniFound() const { return iniFound_; }
  bool InpFound() const { return inpFound_; }
  // A game line was written back in place: the list reads its fields again, keeping rows and selection.
  void RowsChanged();

  kestrune::catalogue::ListMode Mode() const { return mode_; }
  int CheckedFilter() const { return checkedFilter_; }
  int SearchField() const { return searchField_; }
  void SetSearchField(int field);
  const kestrune::catalogue::SortState& Sort() const { return sortState_; }

 signals:
  // The selected game or the list changed: the artwork and history panes show the selected game.
  void selectedGameChanged();
  // A list mode was chosen: the artwork panes show the logo and the history pane is emptied.
  void listModeChosen();

 private:
  void CreateWidgets(QWidget* parentWidget);
  void CreateFilterMenu(QWidget* parentWidget);
  void CreateListModeActions(QWidget* parentWidget);
  void CreateSearchMenu(QWidget* parentWidget);
  void CreateViewStyleActions(QWidget* parentWidget);
  void CreateFavoriteActions(QWidget* parentWidget);
  void CreateArticleAction(QWidget* parentWidget);
  void CreateStatusBar(QWidget* parentWidget);
  QAction* NewAction(const QString& name, const QString& caption, QWidget* parentWidget);

  void FilterItemClicked(int menuIndex);
  void ListModeItemClicked(kestrune::catalogue::ListMode mode);
  void SearchMenuItemClicked(int entry);
  bool SwitchListMode(kestrune::catalogue::ListMode mode);
  void ShowListModeMenus(kestrune::catalogue::ListMode mode);
  void ShowSearchResultMenus();
  void CheckFilterItem(int menuIndex);
  void SetFavoriteItemsEnabled(bool canAdd);
  void EnableShowFavorites();
  void ShowListedCount();
  void SetPanel(int panel, const QString& text);
  void ShowButtonImage(QToolButton* button, int index);
  void RefreshImages();
  void RebuildPlainList();
  void RelistChangedCatalogue(const QString& rom);
  void MoveArticles(bool behind);
  bool eventFilter(QObject* watched, QEvent* event) override;

  kestrune::catalogue::Catalogue& catalogue_;
  kestrune::catalogue::GameList list_;
  kestrune::catalogue::SortState sortState_;
  std::unique_ptr<kestrune::catalogue::IconSource> iconSource_;
  kestrune::settings::Settings* settings_ = nullptr;
  std::string iniDir_;
  std::string inpDir_;
  kestrune::catalogue::ListMode mode_ = kestrune::catalogue::ListMode::All;
  int checkedFilter_ = 0;
  int searchField_ = 1;
  bool realTimeSearch_ = true;
  bool controllerNavigation_ = false;
  bool iniFound_ = false;
  bool inpFound_ = false;
  // Until the catalogue is first listed (the start may wait on MAME before it loads it), the panel cannot
  // tell an empty catalogue from one not read yet.
  bool listed_ = false;
  QString romsText_;
  QPointer<const ToolbarImages> images_;

  GameListModel* model_ = nullptr;
  GameListView* view_ = nullptr;
  QLineEdit* searchtag_ = nullptr;
  QStatusBar* statusbar_ = nullptr;
  std::array<QLabel*, 5> panels_{};
  QMenu* filtermenu_ = nullptr;
  QMenu* popupMenu3_ = nullptr;
  QMenu* searchmenu_ = nullptr;
  QToolButton* toolButton13_ = nullptr;
  QToolButton* toolButton15_ = nullptr;
  QAction* searchButton_ = nullptr;
  QActionGroup* filterGroup_ = nullptr;
  QActionGroup* viewModeGroup_ = nullptr;
  QActionGroup* popupModeGroup_ = nullptr;
  QActionGroup* searchGroup_ = nullptr;
  QActionGroup* styleGroup_ = nullptr;
  QList<QAction*> filterActions_;  // by menu index; null at the separator
  std::array<QAction*, 3> viewModeActions_{};
  std::array<QAction*, 3> popupModeActions_{};
  std::array<QAction*, 3> styleActions_{};
  QList<QAction*> searchActions_;
  QAction* showFilteredGames_ = nullptr;
  QAction* noThePrefix_ = nullptr;  // View, "No 'The' Prefix"
  std::array<QAction*, 2> addFavoriteActions_{};
  std::array<QAction*, 2> removeFavoriteActions_{};
  QList<QAction*> allActions_;
};
