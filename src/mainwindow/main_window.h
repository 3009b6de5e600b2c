#pragma once

#include <QMainWindow>
#include <QMessageBox>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/catalogue_file.h"
#include "settings/settings.h"

class ArtworkPanes;
class ArtworkPicture;
class QAbstractItemView;
class QDialog;
class QKeyEvent;
class QUrl;
class GameListController;
class HelpWindow;
class LangManagerQt;
class MainWindowMenus;
class MameLauncher;
class ModalWindowOrder;
class QSplitter;
class QTabWidget;
class QTemporaryDir;
class QTextBrowser;
class QTimer;
class RomScanCommand;
class ToolbarImages;

namespace kestrune::zip {
class TZipArchiver;
}

// The main window of the program: the game list beside the picture area, with the menus, the tool
// bar and the status bar. Its creation fixes the program folder and loads what the whole run shares;
// its first show applies every setting; its first activation loads and lists the catalogue; its close
// saves the catalogue and the settings. Closing it ends the program.
class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  // The folder variables of the settings' section "mame", as the first show read them.
  struct Folders {
    std::string snap, inp, flyer, marquee, cabinet, control, title, mng, icon, ini;
  };
  // Asks the user something or tells them of a failure; returns the button chosen. Tests replace it.
  using Messenger = std::function<QMessageBox::StandardButton(QMessageBox::Icon, const QString& text,
                                                              QMessageBox::StandardButtons buttons)>;
  static constexpr int kPageCount = 8;

  // frontDir: the program folder ending in "/"; by default the current folder at start.
  explicit TForm1(QWidget* parent = nullptr, const std::string& frontDir = std::string());
  ~TForm1() override;

  // Brings the window back from the taskbar or behind other windows (asked by a second start),
  // keeping it maximised when it was, and above it each modal window still open, in the order they
  // opened: the program waits on the last one, which gets the keys.
  void ShowAndRaise();
  // A second start of the program: ShowAndRaise, except while a game started here runs, when MAME
  // stays in front and *keptBackBecause says so (also on stderr).
  void AnswerSecondStart(QString* keptBackBecause);
  // Ends the program at a termination request (a logout): open windows are closed as with Cancel, a
  // running MAME is closed with its play counted, the catalogue and the settings are saved without a
  // question (what cannot be saved is written to stderr), and the event loop ends.
  void Terminate();
  bool Terminating() const { return terminating_; }
  void SetMessenger(Messenger messenger) { messenger_ = std::move(messenger); }
  // Tells the user something with an OK button (through the messenger).
  void Tell(QMessageBox::Icon icon, const QString& text);

  const std::string& FrontDir() const { return frontDir_; }
  kestrune::settings::Settings& settings() { return *settings_; }
  kestrune::catalogue::Catalogue& catalogue() { return catalogue_; }
  // The game list `gameview` with its menus, search box and status panels.
  GameListController* gameList() const { return gameList_; }
  MainWindowMenus* Menus() const { return menus_; }
  MameLauncher* Launcher() const { return launcher_; }
  ToolbarImages* Images() const { return images_; }
  // The translation manager `taalmanager`: the language folder lang/ and the current language.
  LangManagerQt* LanguageManager() const { return taalmanager_; }
  QTabWidget* PageControl() const { return pageControl_; }
  QSplitter* Splitter() const { return splitter_; }
  QTimer* CycleTimer() const { return timer1_; }
  // The picture panes `snap`, `flyer`, `cabinet`, `marquee`, `controlpanel`, `title`, `mamelogo`.
  const std::array<ArtworkPicture*, 7>& Pictures() const { return pictures_; }

  bool StartupDone() const { return startupDone_; }
  const std::string& MameFile() const { return mameFile_; }
  const Folders& GetFolders() const { return folders_; }
  int LanguageIndex() const { return languageIndex_; }
  bool TabsHidden() const { return tabsHidden_; }
  bool Skinned() const { return skinned_; }
  bool CatverPresent() const { return catverPresent_; }
  bool NPlayersPresent() const { return nplayersPresent_; }
  bool HistoryLoaded() const { return historyLoaded_; }
  bool MameInfoLoaded() const { return mameInfoLoaded_; }
  // The files the history panes index when they first show an entry (only while loaded).
  const std::string& HistoryFile() const { return historyFile_; }
  const std::string& MameInfoFile() const { return mameInfoFile_; }
  // Which artwork archives the first show opened: snapshot, marquee, control panel, cabinet, flyer, title.
  std::array<bool, 6> OpenArchives() const;
  // What the picture area shows for the selected game, and when.
  ArtworkPanes* Panes() const { return panes_; }
  // "Initialize Roms" and the rescan after the preferences.
  RomScanCommand* RomScan() const { return romScan_; }
  // Looks for catver.ini and nplayers.ini again (a scan reads them) and shows or hides the Category,
  // Version Added and Players columns to match.
  void UpdateSupportFileColumns();
  // Puts a newly built catalogue in place of the current one; the close saves it like any other.
  void ReplaceCatalogue(kestrune::catalogue::Catalogue catalogue);
  // OK of the preferences: the main window takes what the preferences dialog holds (tool bar, list,
  // panes, timer, counters) and lists the games again (main_window_preferences.cpp).
  void ApplyPreferences();

  // The first activation's work, once per run, once the window has been painted (also started right
  // after the first paint, for platforms that never activate a window).
  void FormActivate();

  // Commands of the menus, the pop-up and the tool bar (main_window_commands.cpp).
  // Runs a modal dialog and returns its result; tests replace it so that nothing blocks.
  using DialogRunner = std::function<int(QDialog&)>;
  // Opens an address or a file in the desktop's program; false when none could.
  using UrlOpener = std::function<bool(const QUrl&)>;
  void SetDialogRunner(DialogRunner runner) { runDialog_ = std::move(runner); }
  void SetUrlOpener(UrlOpener opener) { openUrl_ = std::move(opener); }
  // The text colours of parent and clone rows, as the settings hold them (decimal 0x00BBGGRR texts).
  const std::string& MasterColour() const { return masterColour_; }
  const std::string& CloneColour() const { return cloneColour_; }
  void SetRowColours(const std::string& master, const std::string& clone);
  bool IsFullScreen() const;
  void ToggleFullScreen();
  // Selects a playable listed game at random and plays it; nothing when no listed game is playable.
  void PlayRandomGame();
  // http, https and mailto addresses only.
  void OpenUrl(const QString& address);
  void DefaultMameOptions();
  void OpenGameOptions();
  void ShowHelp();
  // The program's own help window, once the desktop had no program for the help; null before.
  HelpWindow* HelpShown() const { return helpWindow_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Creation.
  void FormCreate();
  void CreateWidgets();
  void CreatePictureArea();
  void ConnectPlayCommands();
  void LoadSupportTexts();
  void NoteLanguageFiles();
  // Translates every window that carries the language into the language of that Language menu item.
  void ApplyLanguage(int index);
  // First show (main_window_settings.cpp).
  void FormShow();
  void FirstRunDefaults();
  bool NoGameListYet() const;
  void StartSetupWizard();
  void ApplySettings();
  void ApplyWindowSettings();
  void ApplyColumnSettings();
  void ApplyToolbarSettings();
  void ApplyPreferenceSettings();
  void ApplyFolderSettings();
  void ApplyPaneSettings();
  void ApplyViewSettings();
  void ApplyPictureScale();
  void ApplyFullScreenLayout();
  void FillScreen();
  void ApplySkin();
  void OpenArtworkArchives();
  // First activation.
  void FillDisplayLists();
  void ApplyFontsAndColours();
  void CheckMameFile();
  void WriteMissingOptionFiles();
  void LoadAndListCatalogue();
  void RestoreSelection();
  // Close (main_window_settings.cpp).
  bool FormCloseQuery();
  bool MayEndRunningPlay();
  void CloseOpenWindows();
  // False when the settings could not be saved (the user has been told).
  bool SaveSettingsAndRelease();
  void StoreSettings();
  void StoreColumnSettings();
  void HideColumnKeepingWidth(int column);
  void ShowColumnWithData(int column, bool hadData, bool hasData, int width);
  int StoredColumnWidth(int column) const;
  void CloseArtworkArchives();

  // Small commands of the menus that these steps set up.
  void SetLanguage();
  void SetTabVisible(int page, bool visible);
  void SetTabsHidden(bool hidden);
  void SetStatusBarShown(bool shown);
  void SetToolBarShown(bool shown);
  void SetPictureAreaShown(bool shown);
  void SetBigToolbar(bool big);
  // Hints of the tool bar's controls on or off.
  void SetHintsShown(bool shown);
  // The game list scrolls by pixels (smooth) or by whole rows.
  void SetSmoothScrolling(bool smooth);
  void ApplyToolbarButtons(const QString& text);
  void Report(const QString& text);
  // Commands (main_window_commands.cpp).
  void ConnectCommands();
  void ConnectDialogCommands();
  bool HandleListKey(QAbstractItemView* list, const QKeyEvent& key);
  void StartRandomGame();
  void StatusBar1Click(bool shown);
  void oolBar1Click(bool shown);
  void HideViews1Click(bool shown);
  void ApplyGameMenuRules();
  void ApplyGamePopupRules();
  void Maximize1Click(bool on);
  void LeaveFullScreenLayout();
  void SetFrameless(bool frameless);
  void PlaceFrame(QRect frame);
  void ShowNextVisiblePage();
  void EditMameIni();
  void PrepareOptionsDialog();
  std::vector<std::string> GameIniChain(int row, const std::string& romname) const;
  bool MameFileChosen();
  void RunGameDialog(QDialog* dialog, bool refreshPanels);
  QString HelpFile();

  std::string frontDir_;
  std::unique_ptr<kestrune::settings::Settings> settings_;
  kestrune::catalogue::Catalogue catalogue_;
  bool catalogueLoaded_ = false;  // false while a catalogue file that could not be read must be kept
  GameListController* gameList_ = nullptr;
  MainWindowMenus* menus_ = nullptr;
  MameLauncher* launcher_ = nullptr;
  ToolbarImages* images_ = nullptr;
  LangManagerQt* taalmanager_ = nullptr;
  Messenger messenger_;

  QSplitter* splitter_ = nullptr;
  QTabWidget* pageControl_ = nullptr;
  std::array<QWidget*, kPageCount> pages_{};
  std::array<QString, kPageCount> pageCaptions_{};
  std::array<ArtworkPicture*, 7> pictures_{};
  QWidget* mng_ = nullptr;
  QTextBrowser* historyscherm_ = nullptr;
  QTextBrowser* historyscherm2_ = nullptr;
  QTimer* timer1_ = nullptr;

  bool startupDone_ = false;
  bool terminating_ = false;
  bool firstShowDone_ = false;
  bool firstExposeDone_ = false;  // the window has been shown on screen, and so painted
  bool tabsHidden_ = false;
  bool skinned_ = false;
  bool hidingMouse_ = false;
  bool showHints_ = true;
  // The size of the window when last neither in full screen nor maximised. The window system reports
  // the end of full screen late, so the normal geometry Qt keeps can still be the one before it.
  QSize normalSize_;
  int languageIndex_ = 0;
  bool keepStoredLanguage_ = false;  // the settings name a language out of range, written back as it was
  // The text colours of parent and clone rows as the settings hold them (decimal 0x00BBGGRR values).
  std::string masterColour_;
  std::string cloneColour_;
  std::string mameFile_;
  std::string mameVersionText_;
  Folders folders_;
  std::map<int, int> hiddenWidths_;  // column -> width it had before it was hidden for missing data
  bool catverPresent_ = false;
  bool nplayersPresent_ = false;
  bool historyLoaded_ = false;
  bool mameInfoLoaded_ = false;
  std::string historyFile_;
  std::string mameInfoFile_;
  ArtworkPanes* panes_ = nullptr;
  RomScanCommand* romScan_ = nullptr;
  DialogRunner runDialog_;
  UrlOpener openUrl_;
  std::unique_ptr<QTemporaryDir> helpFolder_;  // the built-in help, written out when first asked for
  HelpWindow* helpWindow_ = nullptr;           // made when the desktop has no program for the help
  ModalWindowOrder* modalOrder_ = nullptr;
};

// The program folder: the current folder with "/" appended, its letter case kept.
std::string CurrentFrontDir();
