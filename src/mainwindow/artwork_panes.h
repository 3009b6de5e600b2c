#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <QUrl>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/artwork_candidates.h"
#include "catalogue/artwork_source.h"
#include "catalogue/history_text.h"
#include "mainwindow/main_window.h"

class ArtworkPicture;
class MoviePlayer;
class QLabel;
class QMovie;
class QTabWidget;
class QTextBrowser;
class QTimer;

// The settings keys of pages 1 to 7 of the picture area; "0" hides the page.
inline constexpr std::array<const char*, 7> kArtworkTabKeys = {"historytab", "flyertab", "cabinettab", "marqueetab",
                                                               "cpaneltab",  "titletab", "mngtab"};

// What the picture area shows for the selected game, and when: each picture page from its archive or
// its folder, the movie, the history and mameinfo texts, the two cycles of the snapshot page, the page
// toggles and the hiding of the tabs. The main window keeps the widgets; this reads and fills them.
class ArtworkPanes : public QObject {
  Q_OBJECT

 public:
  // Pages of the picture area.
  enum Page { kSnapshotPage = 0, kHistoryPage = 1, kMoviePage = 7 };
  using UrlOpener = std::function<void(const QUrl&)>;

  explicit ArtworkPanes(TForm1* window);
  ~ArtworkPanes() override;

  // Opens each kind's archive in its folder, or serves the folder (first show).
  void OpenSources(const TForm1::Folders& folders);
  void CloseSources();
  // snapshot, marquee, control panel, cabinet, flyer, title: which are read from their archive.
  std::array<bool, 6> OpenArchives() const;
  void SetMovieStretched(bool stretched);

  // Refreshes the active page for the selected game, then the list's INI/INP panels.
  void ShowSelectedGame();
  // Every pane (the texts under the snapshot too) shows the selected game at once, and a refresh the
  // selection already asked for is dropped.
  void RefreshNow();
  // Rebuilds the history and mameinfo text under the snapshot (tabs hidden).
  void ShowHistoryInfo();
  // A list mode was chosen: every picture shows the default picture and the texts are emptied.
  void ShowNoGame();
  void PlayMngMovie();
  // Stops a running movie and shows the still picture in its place (MAME is about to take the screen).
  void StopMovie();
  void CycleArtworkKind();
  void NextCycledSnap();
  // Both cycles start again from the first picture (a new selection, the preferences' OK).
  void RestartCycles();
  void Timer1Timer();
  // Shows or hides page 1 … 7 and stores the choice.
  void ToggleArtworkTab(int page);
  // Lays the picture area out for the tabs hidden (snapshot above the texts) or shown.
  void ApplyTabVisibility(bool hidden);
  // Opens the driver information window for the selected game.
  void ShowDriverInfo();

  const std::string& HistoryLink() const { return history_.link; }
  // The movie playing: frame by frame from its file, or (for movies with objects or delta images)
  // through Qt's MNG decoder; at most one of them.
  MoviePlayer* Player() const { return player_; }
  QMovie* Movie() const { return movie_; }
  // Where a clicked address goes; the desktop's browser or mail program unless a test replaces it.
  void SetUrlOpener(UrlOpener opener) { openUrl_ = std::move(opener); }
  void OpenLink(const QUrl& url);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct SelectedGame {
    kestrune::catalogue::ArtworkGame names;
    std::string driver;
  };
  std::optional<SelectedGame> Selected() const;
  kestrune::catalogue::ArtworkSource* Source(kestrune::catalogue::ArtworkKind kind) const;
  ArtworkPicture* PictureOf(kestrune::catalogue::ArtworkKind kind) const;
  bool FromArchive(kestrune::catalogue::ArtworkKind kind) const;
  bool IsFolderPicturePage(int page) const;
  bool ShowFirstOf(kestrune::catalogue::ArtworkKind kind, const std::vector<std::string>& names,
                   ArtworkPicture* target);
  bool ShowFirstFrom(kestrune::catalogue::ArtworkSource* source, const std::vector<std::string>& names,
                     ArtworkPicture* target);
  void LoadPicture(kestrune::catalogue::ArtworkKind kind, const kestrune::catalogue::ArtworkGame& game);
  void ShowHistoryIn(QTextBrowser* pane, const SelectedGame& game);
  const kestrune::catalogue::HistoryIndex* HistoryEntries();
  const kestrune::catalogue::MameInfoIndex* MameInfoEntries();
  // Plays the movie of the folder's file `name`; false, with a reason on stderr, when it is refused.
  bool PlayMovieFile(kestrune::catalogue::ArtworkSource* source, const std::string& name);
  bool PlayThroughDecoder(kestrune::catalogue::ArtworkSource* source, const std::string& name, std::string* why);
  void FitMovie();
  // The still picture of the movie page, fitted to the page as a movie is.
  void ShowMoviePicture();
  void Connect();
  void SelectionMoved();
  void SelectedGameChanged();
  void RunPendingRefresh();
  void ListKeyReleased();
  void ListClicked();
  void PageChanged(int page);

  TForm1* window_;
  QTabWidget* pageControl_;
  std::array<ArtworkPicture*, 7> pictures_;
  QTextBrowser* historyscherm_;
  QTextBrowser* historyscherm2_;
  QLabel* mng_;
  QTimer* refresh_;
  MoviePlayer* player_ = nullptr;
  QMovie* movie_ = nullptr;
  QSize movieSize_;
  bool movieStretched_ = false;
  std::array<std::unique_ptr<kestrune::catalogue::ArtworkSource>, kestrune::catalogue::kArtworkKindCount> sources_;
  // The snapshot folder itself while snap.zip serves the snapshots: the numbered snapshots' place.
  std::unique_ptr<kestrune::catalogue::ArtworkSource> snapFolder_;
  std::unique_ptr<kestrune::catalogue::HistoryIndex> historyIndex_;
  std::unique_ptr<kestrune::catalogue::MameInfoIndex> mameInfoIndex_;
  kestrune::catalogue::HistoryText history_;
  kestrune::catalogue::ArtworkKindCycle kindCycle_;
  kestrune::catalogue::SnapshotCycle snapshotCycle_;
  QImage logo_;
  QImage moviePicture_;
  // The snapshot's own mode while the tabs are hidden and it is fitted above the texts.
  bool snapFitted_ = false;
  bool savedResizeMode_ = true;
  double savedZoom_ = 1.0;
  // Changes of the selected game since the last refresh, and how many of them were moves of the
  // selection; any other (a new list, a filter) refreshes every source at once.
  int changes_ = 0;
  int moves_ = 0;
  UrlOpener openUrl_;
};
