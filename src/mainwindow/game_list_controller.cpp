#include "mainwindow/game_list_controller.h"

#include "translation/program_strings.h"

#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QToolButton>

#include "catalogue/articles.h"
#include "catalogue/favorites.h"
#include "catalogue/quick_search.h"
#include "mainwindow/game_list_model.h"
#include "mainwindow/toolbar_images.h"
#include "settings/settings.h"

namespace {

// A status text of the program in the current language.
QString Text(kestrune::translation::ProgramStringId id) {
  return QString::fromStdString(kestrune::translation::ProgramText(id));
}

namespace cat = kestrune::catalogue;
namespace set = kestrune::settings;
using cat::ListMode;
namespace tr = kestrune::translation;

constexpr const char* kImageProperty = "imageIndex";
// The search box's button opens the field menu: it shows the search image the list-mode button shows
// while a search result is listed.
constexpr int kSearchButtonImage = ToolbarImages::kFilterRoms;

QString ToQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// A set's file in a folder: the exact name first, then the same name in other letter cases.
bool SetFileExists(const std::string& folder, const QString& fileName) {
  const QDir dir(QString::fromStdString(folder));
  if (QFileInfo(dir.filePath(fileName)).isFile()) {
    return true;
  }
  return !dir.entryList(QStringList{fileName}, QDir::Files | QDir::Hidden).isEmpty();
}

int ModeIndex(ListMode mode) { return static_cast<int>(mode); }
// The favourites mode's place in the list-mode menus.
constexpr auto kFavoritesItem = static_cast<std::size_t>(ListMode::Favorites);

// A stored number the list can use, else the key's first-run default.
template <typename Valid>
int ReadValidInt(const set::Settings& settings, std::string_view key, Valid valid) {
  const int value = settings.ReadInt(set::kUiSection, key);
  if (valid(value)) {
    return value;
  }
  const set::SettingKey* row = set::FindSettingKey(set::kUiSection, key);
  return row == nullptr ? 0 : set::ParseInt(set::DefaultValue(*row, {})).value_or(0);
}

}  // namespace

GameListController::GameListController(cat::Catalogue& catalogue, QWidget* parentWidget)
    : QObject(parentWidget), catalogue_(catalogue), list_(catalogue) {
  CreateWidgets(parentWidget);
  model_ = new GameListModel(list_, this);
  view_->SetModel(model_);
  view_->SetTypeAheadFinder([this](const QString& text, int start, bool wrap) {
    return controllerNavigation_ ? -1 : list_.FindRowByPrefix(text.toUtf8().toStdString(), start, wrap);
  });
  connect(view_, &GameListView::columnClicked, this, &GameListController::SortByColumn);
  connect(view_, &GameListView::selectedRowChanged, this, [this] {
    UpdateIniInpStatus();
    emit selectedGameChanged();
  });
  ShowListModeMenus(ListMode::All);
  EnableShowFavorites();
  CheckFilterItem(cat::kFilterAllGames);
  SetSearchField(cat::LineField::description);
  styleActions_[0]->setChecked(true);
  ShowListedCount();
}

GameListController::~GameListController() = default;

QAction* GameListController::NewAction(const QString& name, const QString& caption, QWidget* parentWidget) {
  auto* action = new QAction(caption, parentWidget);
  action->setObjectName(name);
  allActions_.append(action);
  return action;
}

void GameListController::CreateWidgets(QWidget* parentWidget) {
  view_ = new GameListView(parentWidget);
  searchtag_ = new QLineEdit(parentWidget);
  searchtag_->setObjectName("searchtag");
  searchtag_->installEventFilter(this);
  connect(searchtag_, &QLineEdit::textEdited, this, [this](const QString& text) {
    // The box holds lower-case text only.
    const QString lower = text.toLower();
    if (lower != text) {
      const int cursor = searchtag_->cursorPosition();
      searchtag_->setText(lower);
      searchtag_->setCursorPosition(cursor);
    }
  });
  connect(searchtag_, &QLineEdit::returnPressed, this, &GameListController::QuickSearch);
  CreateFilterMenu(parentWidget);
  CreateListModeActions(parentWidget);
  CreateSearchMenu(parentWidget);
  CreateViewStyleActions(parentWidget);
  CreateFavoriteActions(parentWidget);
  CreateArticleAction(parentWidget);
  CreateStatusBar(parentWidget);
}

void GameListController::CreateFilterMenu(QWidget* parentWidget) {
  filtermenu_ = new QMenu(parentWidget);
  filtermenu_->setObjectName("filtermenu");
  filterGroup_ = new QActionGroup(this);
  for (int i = 0; i < cat::kFilterMenuCount; ++i) {
    const cat::FilterMenuEntry& entry = cat::kFilterMenu[static_cast<std::size_t>(i)];
    if (entry.IsSeparator()) {
      filtermenu_->addSeparator()->setObjectName(ToQString(entry.item));
      filterActions_.append(nullptr);
      continue;
    }
    QAction* action = NewAction(ToQString(entry.item), ToQString(entry.caption), parentWidget);
    action->setCheckable(true);
    filterGroup_->addAction(action);
    filtermenu_->addAction(action);
    filterActions_.append(action);
    connect(action, &QAction::triggered, this, [this, i] { FilterItemClicked(i); });
  }
  toolButton15_ = new QToolButton(parentWidget);
  toolButton15_->setObjectName("ToolButton15");
  toolButton15_->setToolTip("Filters");
  toolButton15_->setMenu(filtermenu_);
  toolButton15_->setPopupMode(QToolButton::InstantPopup);
}

void GameListController::CreateListModeActions(QWidget* parentWidget) {
  popupMenu3_ = new QMenu(parentWidget);
  popupMenu3_->setObjectName("PopupMenu3");
  viewModeGroup_ = new QActionGroup(this);
  popupModeGroup_ = new QActionGroup(this);
  const std::array<QString, 3> viewCaptions{"Show All Games", "Show Available Games", "Show Favorites"};
  const std::array<QString, 3> popupCaptions{"Show All Games", "Show Available Games", "Show Favorites Games"};
  const std::array<QKeySequence, 3> keys{QKeySequence(Qt::Key_F7), QKeySequence(Qt::Key_F8), QKeySequence(Qt::Key_F9)};
  for (std::size_t i = 0; i < cat::kListModes.size(); ++i) {
    const auto mode = static_cast<ListMode>(i);
    QAction* view = NewAction(ToQString(cat::kListModes[i].viewItem), viewCaptions[i], parentWidget);
    QAction* popup = NewAction(ToQString(cat::kListModes[i].popupItem), popupCaptions[i], parentWidget);
    view->setShortcut(keys[i]);
    for (QAction* action : {view, popup}) {
      action->setCheckable(true);
      connect(action, &QAction::triggered, this, [this, mode] { ListModeItemClicked(mode); });
    }
    viewModeGroup_->addAction(view);
    popupModeGroup_->addAction(popup);
    popupMenu3_->addAction(popup);
    viewModeActions_[i] = view;
    popupModeActions_[i] = popup;
  }
  showFilteredGames_ = NewAction("ShowFilteredGames1", "Show Filtered Games", parentWidget);
  showFilteredGames_->setCheckable(true);
  // Its check state shows that a search result is listed; choosing it changes nothing.
  connect(showFilteredGames_, &QAction::triggered, this,
          [this] { showFilteredGames_->setChecked(mode_ == ListMode::SearchResult); });
  popupMenu3_->addAction(showFilteredGames_);
  toolButton13_ = new QToolButton(parentWidget);
  toolButton13_->setObjectName("ToolButton13");
  toolButton13_->setToolTip("Toggle All/Available/Favorites Games");
  toolButton13_->setMenu(popupMenu3_);
  toolButton13_->setPopupMode(QToolButton::InstantPopup);
}

void GameListController::CreateSearchMenu(QWidget* parentWidget) {
  searchmenu_ = new QMenu(parentWidget);
  searchmenu_->setObjectName("searchmenu");
  searchGroup_ = new QActionGroup(this);
  for (std::size_t i = 0; i < cat::kSearchMenu.size(); ++i) {
    QAction* action =
        NewAction(ToQString(cat::kSearchMenu[i].item), ToQString(cat::kSearchMenu[i].caption), parentWidget);
    action->setCheckable(true);
    searchGroup_->addAction(action);
    searchmenu_->addAction(action);
    searchActions_.append(action);
    connect(action, &QAction::triggered, this, [this, i] { SearchMenuItemClicked(static_cast<int>(i)); });
  }
  searchButton_ = searchtag_->addAction(QIcon(), QLineEdit::TrailingPosition);
  searchButton_->setObjectName("searchtagButton");
  searchButton_->setText("Search");
  connect(searchButton_, &QAction::triggered, this,
          [this] { searchmenu_->popup(searchtag_->mapToGlobal(QPoint(0, 0))); });
}

void GameListController::CreateViewStyleActions(QWidget* parentWidget) {
  styleGroup_ = new QActionGroup(this);
  const std::array<std::pair<const char*, const char*>, 3> items{
      {{"ShowDetails1", "Show Details"}, {"ShowList1", "Show List"}, {"ShowIcons1", "Show Icons"}}};
  for (std::size_t i = 0; i < items.size(); ++i) {
    QAction* action = NewAction(items[i].first, items[i].second, parentWidget);
    action->setCheckable(true);
    styleGroup_->addAction(action);
    styleActions_[i] = action;
    connect(action, &QAction::triggered, this, [this, i] { SetViewStyle(static_cast<ViewStyle>(i)); });
  }
}

void GameListController::CreateFavoriteActions(QWidget* parentWidget) {
  addFavoriteActions_ = {NewAction("AddtoFavorites2", "Add to Favorites", parentWidget),
                         NewAction("AddtoFavorites1", "Add to Favorites", parentWidget)};
  removeFavoriteActions_ = {NewAction("RemovefromFavorites1", "Remove from Favorites", parentWidget),
                            NewAction("RemovefromFavoritelist1", "Remove from Favorites", parentWidget)};
  addFavoriteActions_[0]->setShortcut(QKeySequence("Ctrl+F"));
  removeFavoriteActions_[0]->setShortcut(QKeySequence("Ctrl+Alt+F"));
  for (QAction* action : addFavoriteActions_) {
    connect(action, &QAction::triggered, this, &GameListController::AddFavorite);
  }
  for (QAction* action : removeFavoriteActions_) {
    connect(action, &QAction::triggered, this, &GameListController::RemoveFavorite);
  }
}

void GameListController::CreateArticleAction(QWidget* parentWidget) {
  noThePrefix_ = NewAction("he1", "No 'The' Prefix", parentWidget);
  noThePrefix_->setCheckable(true);
  // Qt has checked or unchecked the item before it reports the click.
  connect(noThePrefix_, &QAction::triggered, this, &GameListController::MoveArticles);
}

void GameListController::CreateStatusBar(QWidget* parentWidget) {
  statusbar_ = new QStatusBar(parentWidget);
  statusbar_->setObjectName("Statusbalk");
  for (std::size_t i = 0; i < panels_.size(); ++i) {
    panels_[i] = new QLabel(statusbar_);
    panels_[i]->setObjectName(QStringLiteral("StatusbalkPanel%1").arg(i));
    statusbar_->addPermanentWidget(panels_[i], i + 1 == panels_.size() ? 1 : 0);
  }
  // The first panel's longer texts (how to build an empty list) give way rather than widen the window.
  panels_[0]->setMinimumWidth(1);
  SetPanel(1, Text(tr::kSRomsPanel));
  SetPanel(2, Text(tr::kSIniMissing));
  SetPanel(3, Text(tr::kSInpMissing));
}

QList<QAction*> GameListController::ViewMenuListModeActions() const {
  return {viewModeActions_.begin(), viewModeActions_.end()};
}

QList<QAction*> GameListController::ViewStyleActions() const { return {styleActions_.begin(), styleActions_.end()}; }

QList<QAction*> GameListController::FavoriteActions() const {
  return {addFavoriteActions_[0], addFavoriteActions_[1], removeFavoriteActions_[0], removeFavoriteActions_[1]};
}

QAction* GameListController::Action(const QString& objectName) const {
  for (QAction* action : allActions_) {
    if (action->objectName() == objectName) {
      return action;
    }
  }
  return nullptr;
}

QString GameListController::PanelText(int panel) const {
  return panel >= 0 && panel < static_cast<int>(panels_.size()) ? panels_[static_cast<std::size_t>(panel)]->text()
                                                                : QString();
}

void GameListController::SetPanel(int panel, const QString& text) {
  panels_[static_cast<std::size_t>(panel)]->setText(text);
}

void GameListController::SetSettings(set::Settings* settings) {
  settings_ = settings;
  list_.SetFavorites(settings == nullptr ? nullptr : &settings->Ini());
  EnableShowFavorites();
}

void GameListController::SetFolders(const std::string& iconDir, const std::string& iniDir, const std::string& inpDir) {
  iniDir_ = iniDir;
  inpDir_ = inpDir;
  SetIconSource(cat::OpenIconSource(iconDir));
}

void GameListController::SetIconSource(std::unique_ptr<cat::IconSource> source) {
  iconSource_ = std::move(source);
  model_->SetIconSource(iconSource_.get());
  ClearIconIndexes();
}

void GameListController::SetToolbarImages(const ToolbarImages* images) {
  if (images_ != nullptr) {
    disconnect(images_, nullptr, this, nullptr);
  }
  images_ = images;
  if (images != nullptr) {
    connect(images, &ToolbarImages::changed, this, &GameListController::RefreshImages);
  }
  model_->SetStateImages(images);
  RefreshImages();
}

void GameListController::ShowButtonImage(QToolButton* button, int index) {
  button->setProperty(kImageProperty, index);
  button->setIcon(images_ != nullptr ? images_->Image(index) : QIcon());
}

void GameListController::RefreshImages() {
  for (QToolButton* button : {toolButton13_, toolButton15_}) {
    ShowButtonImage(button, button->property(kImageProperty).toInt());
  }
  searchButton_->setIcon(images_ != nullptr ? images_->Image(kSearchButtonImage) : QIcon());
}

void GameListController::SetMameVersionText(const QString& text) { SetPanel(4, text); }

void GameListController::SetRomsText(const QString& text) {
  romsText_ = text;
  SetPanel(1, Text(tr::kSRomsPanel) + text);
}

void GameListController::RedrawStatusPanels() {
  ShowListedCount();
  SetRomsText(romsText_);
  SetPanel(2, Text(iniFound_ ? tr::kSIniFound : tr::kSIniMissing));
  SetPanel(3, Text(inpFound_ ? tr::kSInpFound : tr::kSInpMissing));
}

void GameListController::ApplySettings() {
  if (settings_ == nullptr) {
    BuildGameList();
    return;
  }
  const set::Settings& settings = *settings_;
  cat::ListFlags& flags = list_.Flags();
  flags.ShowUnavailable = settings.ReadFlag(set::kUiSection, "showbadroms");
  flags.FavoritesOnly = settings.ReadFlag(set::kUiSection, "showfav");
  flags.ShowClones = settings.ReadFlag(set::kUiSection, "showclones");
  flags.ShowNoDump = settings.ReadFlag(set::kUiSection, "shownodump");
  flags.PlayableOnly = settings.ReadFlag(set::kUiSection, "showplayable");
  realTimeSearch_ = settings.ReadFlag(set::kUiSection, "quicksearch");
  SetRomsText(QString::fromStdString(settings.ReadText(set::kUiSection, "roms")));
  SetMameVersionText(QString::fromStdString(settings.ReadText(set::kUiSection, "mameversion")));
  SetFolders(settings.ReadText(set::kMameSection, "icondir"), settings.ReadText(set::kMameSection, "inidir"),
             settings.ReadText(set::kMameSection, "inpdir"));
  SetSearchField(ReadValidInt(settings, "searchmenu", cat::IsSearchField));
  const bool showSearch = settings.ReadFlag(set::kUiSection, "filter");
  if (showSearch) {
    searchtag_->setText(QString::fromStdString(settings.ReadText(set::kUiSection, "keyword")));
  }
  const int style = ReadValidInt(settings, "viewtype", [](int v) { return v >= 0 && v <= 2; });
  SetViewStyle(static_cast<ViewStyle>(style));
  // Only the check: the catalogue file already holds the descriptions as they were moved.
  noThePrefix_->setChecked(settings.ReadFlag(set::kUiSection, "thesufix"));
  ShowListModeMenus(static_cast<ListMode>(ReadValidInt(settings, "list", cat::IsListModeValue)));
  EnableShowFavorites();
  ApplyListFilter(cat::FilterMenuIndexOrAll(settings.ReadInt(set::kUiSection, "filtermenu")));
  if (showSearch) {
    QuickSearch();
  }
}

void GameListController::StoreSettings() {
  if (settings_ == nullptr) {
    return;
  }
  set::Settings& settings = *settings_;
  const ListMode shown = mode_ == ListMode::SearchResult ? cat::PlainListMode(list_.Flags()) : mode_;
  settings.WriteInt(set::kUiSection, "list", ModeIndex(shown));
  settings.WriteInt(set::kUiSection, "filtermenu", checkedFilter_);
  settings.WriteText(set::kUiSection, "keyword", searchtag_->text().toUtf8().toStdString());
  settings.WriteInt(set::kUiSection, "searchmenu", searchField_);
  settings.WriteFlag(set::kUiSection, "filter", showFilteredGames_->isChecked());
  settings.WriteFlag(set::kUiSection, "showbadroms", list_.Flags().ShowUnavailable);
  settings.WriteFlag(set::kUiSection, "showfav", list_.Flags().FavoritesOnly);
  settings.WriteInt(set::kUiSection, "viewtype", static_cast<int>(view_->Style()));
  settings.WriteFlag(set::kUiSection, "thesufix", noThePrefix_->isChecked());
}

void GameListController::ShowListedCount() {
  if (!listed_) {
    SetPanel(0, QString());
    return;
  }
  // Without any game line there is nothing to list until a scan builds the list: the panel says how.
  if (list_.Index().Lines().Count() == 0) {
    SetPanel(0, Text(tr::kSNoGameList));
    return;
  }
  SetPanel(0, Text(tr::kSListedGames).arg(list_.GameCount()));
}

void GameListController::BuildGameList() {
  list_.BuildGameList();
  listed_ = true;
  model_->ListRebuilt();
  ShowListedCount();
}

void GameListController::ClearIconIndexes() { model_->ClearIconIndexes(); }

void GameListController::CheckFilterItem(int menuIndex) {
  checkedFilter_ = menuIndex;
  if (QAction* action = filterActions_.value(menuIndex)) {
    action->setChecked(true);
  }
  ShowButtonImage(toolButton15_, cat::kFilterMenu[static_cast<std::size_t>(menuIndex)].image);
}

void GameListController::ApplyListFilter(int menuIndex) {
  const int index = cat::FilterMenuIndexOrAll(menuIndex);
  list_.Filter() = cat::FilterOfMenuEntry(index);
  if (mode_ == ListMode::SearchResult) {
    // The filtered plain list replaces the search result; left marked as a search, a sort or the
    // next start would list the search again and drop the filter just chosen.
    ShowListModeMenus(cat::PlainListMode(list_.Flags()));
  }
  BuildGameList();
  CheckFilterItem(index);
  emit selectedGameChanged();
}

void GameListController::FilterItemClicked(int menuIndex) {
  if (menuIndex == checkedFilter_) {
    CheckFilterItem(menuIndex);
    return;
  }
  // Every filter entry, "Sega X/Y Boards" included, keeps the selected game when it is still listed.
  const QString rom = GetSelectedRom();
  ApplyListFilter(menuIndex);
  SelectGameByRom(rom);
}

void GameListController::SetFavoriteItemsEnabled(bool canAdd) {
  for (QAction* action : addFavoriteActions_) {
    action->setEnabled(canAdd);
  }
  for (QAction* action : removeFavoriteActions_) {
    action->setEnabled(!canAdd);
  }
}

// "Show Favorites" in the View menu and in the list-mode menu can be chosen only while there are
// favourites.
void GameListController::EnableShowFavorites() {
  const bool any = settings_ != nullptr && cat::FavoritesCount(settings_->Ini()) > 0;
  viewModeActions_[kFavoritesItem]->setEnabled(any);
  popupModeActions_[kFavoritesItem]->setEnabled(any);
}

void GameListController::ShowListModeMenus(ListMode mode) {
  mode_ = mode;
  const cat::ListModeEntry& entry = cat::ListModeOf(mode);
  for (std::size_t i = 0; i < viewModeActions_.size(); ++i) {
    viewModeActions_[i]->setChecked(static_cast<int>(i) == ModeIndex(mode));
    popupModeActions_[i]->setChecked(static_cast<int>(i) == ModeIndex(mode));
  }
  ShowButtonImage(toolButton13_, entry.image);
  SetFavoriteItemsEnabled(entry.canAddFavorites);
  showFilteredGames_->setChecked(false);
  showFilteredGames_->setEnabled(false);
}

void GameListController::ShowSearchResultMenus() {
  mode_ = ListMode::SearchResult;
  for (QAction* action : viewModeActions_) {
    action->setChecked(false);
  }
  ShowButtonImage(toolButton13_, cat::kSearchResultImage);
  SetFavoriteItemsEnabled(true);
  showFilteredGames_->setEnabled(true);
  showFilteredGames_->setChecked(true);
}

bool GameListController::SwitchListMode(ListMode mode) {
  if (mode_ == mode || (mode == ListMode::Favorites && !viewModeActions_[kFavoritesItem]->isEnabled())) {
    return false;
  }
  const cat::ListModeEntry& entry = cat::ListModeOf(mode);
  list_.Flags().ShowUnavailable = entry.showUnavailable;
  list_.Flags().FavoritesOnly = entry.favoritesOnly;
  ShowListModeMenus(mode);
  emit listModeChosen();
  BuildGameList();
  if (mode == ListMode::Available) {
    view_->SelectRow(0);
  }
  view_->ActiveView()->setFocus();
  return true;
}

void GameListController::ShowAllGames() { SwitchListMode(ListMode::All); }
void GameListController::ShowAvailableGames() { SwitchListMode(ListMode::Available); }
void GameListController::ShowFavoriteGames() { SwitchListMode(ListMode::Favorites); }

void GameListController::ListModeItemClicked(ListMode mode) {
  const QString rom = GetSelectedRom();
  if (!SwitchListMode(mode)) {
    // Qt has already checked the chosen item; the menus show the mode in force.
    if (mode_ != ListMode::SearchResult) {
      ShowListModeMenus(mode_);
    } else {
      ShowSearchResultMenus();
    }
  }
  SelectGameByRom(rom);
  searchtag_->clear();
}

void GameListController::RebuildPlainList() {
  ShowListModeMenus(cat::PlainListMode(list_.Flags()));
  BuildGameList();
}

void GameListController::QuickSearch() {
  const std::string text = searchtag_->text().toUtf8().toStdString();
  switch (cat::QuickSearch(list_, text, searchField_)) {
    case cat::SearchOutcome::Unchanged:
      return;
    case cat::SearchOutcome::PlainList:
      // The menus of the mode the list is really in, the favourites mode included.
      ShowListModeMenus(cat::PlainListMode(list_.Flags()));
      break;
    case cat::SearchOutcome::SearchResult:
      ShowSearchResultMenus();
      CheckFilterItem(cat::kFilterAllGames);
      break;
  }
  model_->ListRebuilt();
  listed_ = true;
  ShowListedCount();
  // A new list selects nothing: the panels and panes must not keep the game listed before.
  UpdateIniInpStatus();
  emit selectedGameChanged();
}

void GameListController::SetSearchField(int field) {
  searchField_ = field;
  const int entry = cat::SearchMenuIndexOfField(field);
  for (int i = 0; i < searchActions_.size(); ++i) {
    searchActions_[i]->setChecked(i == entry);
  }
}

void GameListController::SearchMenuItemClicked(int entry) {
  SetSearchField(cat::kSearchMenu[static_cast<std::size_t>(entry)].field);
  searchtag_->clear();
}

void GameListController::SortByColumn(int column) {
  const QString rom = GetSelectedRom();
  cat::SortCatalogueByColumn(catalogue_, list_.Index(), column, sortState_, model_->rowCount() > 0);
  RelistChangedCatalogue(rom);
}

void GameListController::RelistChangedCatalogue(const QString& rom) {
  // A search result listed before is searched again in the changed lines.
  if (showFilteredGames_->isChecked() && !searchtag_->text().isEmpty()) {
    QuickSearch();
  } else {
    // With the search box emptied the search result cannot be listed again, so the plain list is.
    RebuildPlainList();
  }
  ClearIconIndexes();
  SelectGameByRom(rom);
}

void GameListController::MoveArticles(bool behind) {
  const QString rom = GetSelectedRom();
  if (behind) {
    cat::TheSuffixAll(catalogue_);
  } else {
    cat::ThePrefixAll(catalogue_);
  }
  RelistChangedCatalogue(rom);
}

void GameListController::SetViewStyle(ViewStyle style) {
  const auto index = static_cast<std::size_t>(style);
  styleActions_[static_cast<std::size_t>(view_->Style())]->setChecked(true);
  if (view_->Style() == style || index >= styleActions_.size()) {
    return;
  }
  ClearIconIndexes();
  styleActions_[index]->setChecked(true);
  if (settings_ != nullptr) {
    settings_->WriteInt(set::kUiSection, "viewtype", static_cast<int>(style));
  }
  const int row = view_->SelectedRow();
  model_->SetRowColoursShown(style != ViewStyle::Icons);
  view_->SetStyle(style);
  if (row >= 0) {
    view_->SelectRow(row);
  }
}

QString GameListController::GetSelectedRom() const {
  const int row = view_->SelectedRow();
  return row < 0 ? QString() : ToQString(list_.Field(row, cat::LineField::romname));
}

void GameListController::SelectGameByRom(const QString& rom) {
  {
    const QSignalBlocker quiet(view_);
    const int row = rom.isEmpty() ? -1 : list_.FindRomRow(rom.toUtf8().toStdString());
    if (row >= 0) {
      view_->SelectRow(row);
    }
    if (view_->SelectedRow() < 0) {
      view_->SelectRow(view_->TopVisibleRow());
    }
  }
  UpdateIniInpStatus();
  emit selectedGameChanged();
}

void GameListController::RowsChanged() {
  list_.Index().Refresh();
  model_->RowsChanged();
  UpdateIniInpStatus();
}

void GameListController::UpdateIniInpStatus() {
  // With no game selected nothing is found: the panels must not keep the last game's files.
  const QString rom = GetSelectedRom();
  iniFound_ = !rom.isEmpty() && SetFileExists(iniDir_, rom + ".ini");
  inpFound_ = !rom.isEmpty() && SetFileExists(inpDir_, rom + ".inp");
  SetPanel(2, Text(iniFound_ ? tr::kSIniFound : tr::kSIniMissing));
  SetPanel(3, Text(inpFound_ ? tr::kSInpFound : tr::kSInpMissing));
}

void GameListController::AddFavorite() {
  const QString rom = GetSelectedRom();
  if (rom.isEmpty() || settings_ == nullptr) {
    return;
  }
  cat::AddFavorite(settings_->Ini(), rom.toUtf8().toStdString());
  EnableShowFavorites();
}

void GameListController::RemoveFavorite() {
  const QString rom = GetSelectedRom();
  if (rom.isEmpty() || settings_ == nullptr) {
    return;
  }
  cat::RemoveFavorite(settings_->Ini(), rom.toUtf8().toStdString());
  EnableShowFavorites();
  if (!viewModeActions_[kFavoritesItem]->isEnabled()) {
    ShowAllGames();
  }
  BuildGameList();
}

bool GameListController::eventFilter(QObject* watched, QEvent* event) {
  if (watched == searchtag_ && event->type() == QEvent::KeyRelease && realTimeSearch_) {
    QuickSearch();
  }
  return QObject::eventFilter(watched, event);
}
