#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <array>

class GameListController;
class QAction;
class QMainWindow;
class QMenu;
class QToolBar;
class QWidget;
class ToolbarImages;

// The main window's commands: the main menu `MainMenu1`, the list's pop-up menu `PopupMenu1`, the
// picture area's pop-up menu `PopupMenu2` and the tool bar `ToolBar1`. Every item is a QAction named
// by its component name. A command has one action carrying its shortcut, shared by its main-menu item
// and its tool button; its twin in a pop-up menu is an action of its own without a shortcut that
// triggers the same command, so no key is bound twice.
class MainWindowMenus : public QObject {
  Q_OBJECT

 public:
  static constexpr int kToolbarControlCount = 13;
  static constexpr int kLanguageCount = 10;
  static constexpr int kArtworkTabCount = 7;  // pages 1 to 7 of the picture area

  MainWindowMenus(QMainWindow* window, GameListController* gameList, const ToolbarImages* images);

  // Any item by component name (menus included); null when there is none.
  QAction* Action(const QString& name) const;
  QMenu* Menu(const QString& name) const;
  QToolBar* ToolBar() const { return toolBar_; }
  QMenu* GamePopup() const { return popupMenu1_; }
  QMenu* TabPopup() const { return popupMenu2_; }
  // The tool-bar controls in the order of the `toolbarbuttons` characters; each is the tool bar's
  // action for the control, whose visibility shows or hides it.
  const std::array<QAction*, kToolbarControlCount>& ToolbarControls() const { return toolbarControls_; }
  // The language items `English2` … `Swedisch1`, by language index.
  const std::array<QAction*, kLanguageCount>& LanguageActions() const { return languages_; }
  // The items of pages 1 to 7 in `PopupMenu2` and in View ▸ Views.
  const std::array<QAction*, kArtworkTabCount>& TabPopupActions() const { return tabPopup_; }
  const std::array<QAction*, kArtworkTabCount>& TabViewActions() const { return tabViews_; }
  // The five entries of the main menu (File, Game, Setup, View, Help), hidden in full screen.
  const QList<QAction*>& MainMenuEntries() const { return mainEntries_; }
  // The pop-up items that only full screen shows (with their separators).
  const QList<QAction*>& FullScreenPopupItems() const { return fullScreenItems_; }
  // Takes the images again (the skin replaced some).
  void RefreshImages();

 private:
  QAction* NewAction(const QString& name, const QString& caption, int image = -1);
  QAction* Twin(const QString& name, QAction* command);
  QMenu* NewMenu(const QString& name, const QString& caption, QWidget* parent);
  void CreateCommands();
  void CreateMainMenu(QMainWindow* window);
  void AddShortcutsTo(QWidget* window, const QMenu* menu);
  void CreateGamePopup(QWidget* parent);
  void CreateTabActions(QWidget* parent);
  void CreateToolBar(QMainWindow* window);

  QWidget* owner_;
  GameListController* gameList_;
  const ToolbarImages* images_;
  QHash<QString, QAction*> actions_;
  QHash<QString, QMenu*> menus_;
  QHash<QAction*, int> imageOf_;
  QToolBar* toolBar_ = nullptr;
  QMenu* popupMenu1_ = nullptr;
  QMenu* popupMenu2_ = nullptr;
  std::array<QAction*, kToolbarControlCount> toolbarControls_{};
  std::array<QAction*, kLanguageCount> languages_{};
  std::array<QAction*, kArtworkTabCount> tabPopup_{};
  std::array<QAction*, kArtworkTabCount> tabViews_{};
  QList<QAction*> mainEntries_;
  QList<QAction*> fullScreenItems_;
};
