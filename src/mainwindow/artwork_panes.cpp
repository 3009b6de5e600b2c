#include "mainwindow/artwork_panes.h"

#include <QAction>
#include <QBoxLayout>
#include <QBuffer>
#include <QCheckBox>
#include <QDesktopServices>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMovie>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeView>

#include "catalogue/game_record.h"
#include "catalogue/mng_stream.h"
#include "catalogue/movie_header.h"
#include "mainwindow/about_dialog.h"
#include "mainwindow/artwork_picture.h"
#include "mainwindow/driver_info_dialog.h"
#include "mainwindow/game_list_controller.h"
#include "mainwindow/main_window_menus.h"
#include "mainwindow/movie_player.h"
#include "mainwindow/preferences_dialog.h"
#include "mainwindow/program_windows.h"

namespace cat = kestrune::catalogue;
namespace set = kestrune::settings;
using cat::ArtworkKind;

namespace {

// The kinds' folders and archives, by ArtworkKind.
struct KindPlace {
  std::string TForm1::Folders::*folder;
  const char* archive;
};
constexpr KindPlace kPlaces[cat::kArtworkKindCount] = {
    {&TForm1::Folders::snap, "snap.zip"},
    {&TForm1::Folders::flyer, "flyers.zip"},
    {&TForm1::Folders::cabinet, "cabinets.zip"},
    {&TForm1::Folders::marquee, "marquees.zip"},
    {&TForm1::Folders::control, "cpanel.zip"},
    {&TForm1::Folders::title, "titles.zip"},
    {&TForm1::Folders::mng, ""},
};
// The order in which the main window reports its open archives.
constexpr ArtworkKind kArchiveOrder[] = {ArtworkKind::Snapshot, ArtworkKind::Marquee, ArtworkKind::ControlPanel,
                                         ArtworkKind::Cabinet,  ArtworkKind::Flyer,   ArtworkKind::Title};

std::optional<ArtworkKind> KindOfPage(int page) {
  if (page == ArtworkPanes::kSnapshotPage) return ArtworkKind::Snapshot;
  if (page >= 2 && page <= ArtworkPanes::kMoviePage) return static_cast<ArtworkKind>(page - 1);
  return std::nullopt;
}

bool IsPicturePage(int page) { return page == 0 || (page >= 2 && page <= 6); }

QString ToQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString Anchor(const QString& address, const QString& shown) {
  return QStringLiteral("<a href=\"%1\">%2</a>").arg(address.toHtmlEscaped(), shown.toHtmlEscaped());
}

// One line of a text as HTML, with the web and mail addresses in it made links to themselves.
QString LineHtml(const QString& line) {
  static const QRegularExpression address(QStringLiteral(R"((?:https?://|mailto:|www\.)[^\s<>"]+)"),
                                          QRegularExpression::CaseInsensitiveOption);
  QString html;
  qsizetype done = 0;
  for (auto it = address.globalMatch(line); it.hasNext();) {
    const QRegularExpressionMatch match = it.next();
    QString found = match.captured();
    // Punctuation that ends a sentence is not part of the address.
    while (!found.isEmpty() && QStringLiteral(".,;:!?)]'").contains(found.back())) found.chop(1);
    html += line.mid(done, match.capturedStart() - done).toHtmlEscaped();
    const QString target = found.startsWith(QLatin1String("www."), Qt::CaseInsensitive) ? "http://" + found : found;
    html += Anchor(target, found);
    done = match.capturedStart() + found.size();
  }
  return html + line.mid(done).toHtmlEscaped();
}

// The history text as HTML: the line standing for the entry's address links to it.
QString HistoryHtml(const cat::HistoryText& history) {
  QStringList lines = ToQString(history.text).split(QLatin1Char('\n'));
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
  const QString linkLine = ToQString(history.linkLine);
  const QString words = ToQString(cat::kEditEntryText);
  QStringList html;
  bool linked = false;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    if (!linked && !linkLine.isEmpty() && lines[i] == linkLine) {
      html << words.toHtmlEscaped() + Anchor(ToQString(history.link), linkLine.mid(words.size()));
      linked = true;
    } else {
      html << LineHtml(lines[i]);
    }
  }
  return QStringLiteral("<div style=\"white-space: pre-wrap\">") + html.join(QStringLiteral("<br>")) +
         QStringLiteral("</div>");
}

}  // namespace

ArtworkPanes::ArtworkPanes(TForm1* window)
    : QObject(window),
      window_(window),
      pageControl_(window->PageControl()),
      pictures_(window->Pictures()),
      historyscherm_(window->findChild<QTextBrowser*>(QStringLiteral("historyscherm"))),
      historyscherm2_(window->findChild<QTextBrowser*>(QStringLiteral("historyscherm2"))),
      mng_(window->findChild<QLabel*>(QStringLiteral("mng"))),
      refresh_(new QTimer(this)),
      logo_(BuiltInLogo()),
      moviePicture_(AboutPicture()),
      openUrl_([](const QUrl& url) { QDesktopServices::openUrl(url); }) {
  refresh_->setSingleShot(true);
  refresh_->setInterval(0);
  pictures_[6]->SetImage(logo_);
  for (QTextBrowser* pane : {historyscherm_, historyscherm2_}) {
    pane->setOpenLinks(false);
    pane->setReadOnly(true);
  }
  if (auto* layout = qobject_cast<QBoxLayout*>(pictures_[0]->parentWidget()->layout())) {
    // With the tabs hidden the snapshot and the texts share the first page half and half.
    layout->setStretchFactor(pictures_[0], 1);
    layout->setStretchFactor(historyscherm2_, 1);
  }
  mng_->setMinimumSize(16, 16);
  ShowMoviePicture();
  mng_->installEventFilter(this);
  Connect();
}

// The window's widgets may be gone already: the movie is only stopped (it is deleted with this object).
ArtworkPanes::~ArtworkPanes() {
  if (player_ != nullptr) player_->SetPaused(true);
  if (movie_ != nullptr) movie_->stop();
}

void ArtworkPanes::Connect() {
  GameListController* list = window_->gameList();
  connect(list, &GameListController::selectedGameChanged, this, &ArtworkPanes::SelectedGameChanged);
  connect(list->View(), &GameListView::selectedRowChanged, this, &ArtworkPanes::SelectionMoved);
  connect(list, &GameListController::listModeChosen, this, &ArtworkPanes::ShowNoGame);
  for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(list->View()->ReportView()),
                                  static_cast<QAbstractItemView*>(list->View()->IconView())}) {
    view->installEventFilter(this);
    connect(view, &QAbstractItemView::clicked, this, &ArtworkPanes::ListClicked);
  }
  connect(refresh_, &QTimer::timeout, this, &ArtworkPanes::RunPendingRefresh);
  connect(pageControl_, &QTabWidget::currentChanged, this, &ArtworkPanes::PageChanged);
  connect(window_->CycleTimer(), &QTimer::timeout, this, &ArtworkPanes::Timer1Timer);
  connect(pictures_[0], &ArtworkPicture::mouseEntered, this, [this] {
    if (Form4 != nullptr && Form4->CheckBox("cyclemove")->isChecked()) CycleArtworkKind();
  });
  MainWindowMenus* menus = window_->Menus();
  for (int i = 0; i < MainWindowMenus::kArtworkTabCount; ++i) {
    for (QAction* item : {menus->TabPopupActions()[static_cast<std::size_t>(i)],
                          menus->TabViewActions()[static_cast<std::size_t>(i)]}) {
      connect(item, &QAction::triggered, this, [this, i] { ToggleArtworkTab(i + 1); });
    }
  }
  connect(menus->Action(QStringLiteral("ShowGameDriverInfo1")), &QAction::triggered, this,
          &ArtworkPanes::ShowDriverInfo);
  for (QTextBrowser* pane : {historyscherm_, historyscherm2_}) {
    connect(pane, &QTextBrowser::anchorClicked, this, &ArtworkPanes::OpenLink);
  }
}

// ---- Sources ----

void ArtworkPanes::OpenSources(const TForm1::Folders& folders) {
  for (int kind = 0; kind < cat::kArtworkKindCount; ++kind) {
    const KindPlace& place = kPlaces[kind];
    auto source = std::make_unique<cat::ArtworkSource>(folders.*place.folder, place.archive);
    if (!source->OpenError().empty()) {
      qWarning("kestrune: %s cannot be opened; its pictures are read from its folder: %s",
               (folders.*place.folder + "/" + place.archive).c_str(), source->OpenError().c_str());
    }
    // A picture whose password was asked for after its read is read again once it is given.
    source->SetPasswordGiven([this] { RefreshNow(); });
    sources_[static_cast<std::size_t>(kind)] = std::move(source);
  }
  snapFolder_ = FromArchive(ArtworkKind::Snapshot) ? std::make_unique<cat::ArtworkSource>(folders.snap, "") : nullptr;
}

void ArtworkPanes::CloseSources() {
  StopMovie();
  for (auto& source : sources_) source.reset();
  snapFolder_.reset();
}

std::array<bool, 6> ArtworkPanes::OpenArchives() const {
  std::array<bool, 6> open{};
  for (std::size_t i = 0; i < open.size(); ++i) open[i] = FromArchive(kArchiveOrder[i]);
  return open;
}

cat::ArtworkSource* ArtworkPanes::Source(ArtworkKind kind) const {
  return sources_[static_cast<std::size_t>(kind)].get();
}

ArtworkPicture* ArtworkPanes::PictureOf(ArtworkKind kind) const {
  return kind == ArtworkKind::Movie ? nullptr : pictures_[static_cast<std::size_t>(kind)];
}

bool ArtworkPanes::FromArchive(ArtworkKind kind) const {
  const cat::ArtworkSource* source = Source(kind);
  return source != nullptr && source->FromArchive();
}

bool ArtworkPanes::IsFolderPicturePage(int page) const {
  const std::optional<ArtworkKind> kind = KindOfPage(page);
  return IsPicturePage(page) && kind && !FromArchive(*kind);
}

std::optional<ArtworkPanes::SelectedGame> ArtworkPanes::Selected() const {
  GameListController* list = window_->gameList();
  const int row = list->View()->SelectedRow();
  if (row < 0) return std::nullopt;
  using Field = cat::LineField;
  SelectedGame game;
  game.names.romname = std::string(list->List().Field(row, Field::romname));
  game.names.cloneof = std::string(list->List().Field(row, Field::cloneof));
  game.driver = std::string(list->List().Field(row, Field::driver));
  return game;
}

// ---- Loading the panes ----

bool ArtworkPanes::ShowFirstOf(ArtworkKind kind, const std::vector<std::string>& names, ArtworkPicture* target) {
  return ShowFirstFrom(Source(kind), names, target);
}

bool ArtworkPanes::ShowFirstFrom(cat::ArtworkSource* source, const std::vector<std::string>& names,
                                 ArtworkPicture* target) {
  if (source == nullptr || target == nullptr) return false;
  std::string bytes;
  for (const std::string& name : names) {
    if (!source->Read(name, bytes)) continue;
    QString why;
    const QImage image =
        DecodeArtwork(QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())), &why);
    if (image.isNull()) {
      qWarning("kestrune: %s/%s is not shown: %s", source->Folder().c_str(), name.c_str(), qUtf8Printable(why));
      continue;
    }
    target->SetImage(image);
    return true;
  }
  return false;
}

void ArtworkPanes::LoadPicture(ArtworkKind kind, const cat::ArtworkGame& game) {
  ArtworkPicture* target = PictureOf(kind);
  if (!ShowFirstOf(kind, cat::PaneCandidates(kind, game, FromArchive(kind)), target)) target->SetImage(logo_);
}

void ArtworkPanes::ShowSelectedGame() {
  const std::optional<SelectedGame> game = Selected();
  if (!game) {
    // An empty search result or a list rebuilt without a selection: no old game stays on show.
    ShowNoGame();
    window_->gameList()->UpdateIniInpStatus();
    return;
  }
  const int page = pageControl_->currentIndex();
  if (page == kHistoryPage) {
    ShowHistoryIn(historyscherm_, *game);
  } else if (page == kMoviePage) {
    PlayMngMovie();
  } else if (const std::optional<ArtworkKind> kind = KindOfPage(page)) {
    LoadPicture(*kind, game->names);
  }
  window_->gameList()->UpdateIniInpStatus();
}

void ArtworkPanes::ShowNoGame() {
  for (std::size_t i = 0; i + 1 < pictures_.size(); ++i) pictures_[i]->SetImage(logo_);
  history_ = cat::HistoryText();
  historyscherm_->clear();
  historyscherm2_->clear();
  StopMovie();
}

// ---- Movie ----

void ArtworkPanes::StopMovie() {
  if (player_ == nullptr && movie_ == nullptr) return;
  if (player_ != nullptr) {
    player_->SetPaused(true);
    player_->disconnect(this);
    player_->deleteLater();
    player_ = nullptr;
  }
  if (movie_ != nullptr) {
    movie_->stop();
    mng_->setMovie(nullptr);
    movie_->deleteLater();
    movie_ = nullptr;
  }
  ShowMoviePicture();
}

void ArtworkPanes::PlayMngMovie() {
  StopMovie();
  const std::optional<SelectedGame> game = Selected();
  cat::ArtworkSource* source = Source(ArtworkKind::Movie);
  if (!game || source == nullptr) return;
  for (const std::string& name : cat::PaneCandidates(ArtworkKind::Movie, game->names, false)) {
    if (PlayMovieFile(source, name)) return;
  }
}

bool ArtworkPanes::PlayMovieFile(cat::ArtworkSource* source, const std::string& name) {
  const std::filesystem::path file = source->FindFile(name);
  if (file.empty()) return false;
  const QString path = QString::fromStdString(file.string());
  // Only the file's start is read here, and the rest a frame at a time as it plays, so its length costs
  // nothing.
  auto player = std::make_unique<MoviePlayer>(file, static_cast<std::uint64_t>(kMaxArtworkPixels), this);
  const cat::MngSurvey& survey = player->Survey();
  if (survey.verdict == cat::MngSurvey::Verdict::kRefused) {
    qWarning("kestrune: %s is not played: %s", qUtf8Printable(path), survey.why.c_str());
    return false;
  }
  if (survey.verdict == cat::MngSurvey::Verdict::kNeedsDecoder) {
    std::string why = survey.why;
    if (PlayThroughDecoder(source, name, &why)) return true;
    qWarning("kestrune: %s is not played: %s", qUtf8Printable(path), why.c_str());
    return false;
  }
  player_ = player.release();
  player_->SetBackground(mng_->palette().color(QPalette::Button));
  connect(player_, &MoviePlayer::frameShown, this,
          [this](const QImage& image) { mng_->setPixmap(QPixmap::fromImage(image)); });
  connect(player_, &MoviePlayer::failed, this, [this, path](const QString& why) {
    const long long shown = player_->CurrentFrameNumber() + 1;
    if (player_->ShowsAFrame()) {
      // The last frame shown stays.
      qWarning("kestrune: %s stops after %lld frames shown: %s", qUtf8Printable(path), shown, qUtf8Printable(why));
      return;
    }
    qWarning("kestrune: %s is not played: %s", qUtf8Printable(path), qUtf8Printable(why));
    StopMovie();
  });
  FitMovie();
  player_->Start();
  return true;
}

// Movies with objects, delta images or layered frames: Qt's MNG decoder, which keeps every image it
// has shown, so the whole movie is checked against what that may cost.
// *why says on entry what needs the decoder, and on a false return why the movie is not played.
bool ArtworkPanes::PlayThroughDecoder(cat::ArtworkSource* source, const std::string& name, std::string* why) {
  if (!QMovie::supportedFormats().contains("mng")) {
    *why += " needs an MNG decoder (Qt's MNG image format plugin), which is not installed";
    return false;
  }
  std::string bytes;
  if (!source->Read(name, bytes)) {
    *why = "it cannot be read, or is larger than " + std::to_string(cat::kMaxArtworkBytes >> 20) + " MB";
    return false;
  }
  const cat::MovieSize size = cat::CheckMngMovie(bytes, kMaxArtworkPixels, why);
  if (size.width == 0) return false;
  // The movie plays from the bytes that were checked, not from the file again.
  auto* movie = new QMovie(this);
  auto* device = new QBuffer(movie);
  device->setData(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
  movie->setDevice(device);
  if (!movie->isValid()) {
    delete movie;
    *why = "Qt's MNG decoder cannot read it";
    return false;
  }
  movie_ = movie;
  movieSize_ = QSize(static_cast<int>(size.width), static_cast<int>(size.height));
  movie->setBackgroundColor(mng_->palette().color(QPalette::Button));
  const QString file = QString::fromStdString(source->Folder().string() + "/" + name);
  connect(movie, &QMovie::error, this, [this, movie, file] {
    qWarning("kestrune: %s stopped: %s", qUtf8Printable(file), qUtf8Printable(movie->lastErrorString()));
    if (movie_ == movie) StopMovie();
  });
  mng_->setMovie(movie);
  FitMovie();
  movie->start();
  return true;
}

void ArtworkPanes::SetMovieStretched(bool stretched) {
  movieStretched_ = stretched;
  FitMovie();
}

void ArtworkPanes::FitMovie() {
  if (player_ != nullptr) {
    const QSize canvas = player_->CanvasSize();
    player_->SetShownSize(movieStretched_ ? canvas.scaled(mng_->contentsRect().size(), Qt::KeepAspectRatio)
                                          : canvas);
    return;
  }
  if (movie_ == nullptr) {
    ShowMoviePicture();
    return;
  }
  movie_->setScaledSize(movieStretched_ ? movieSize_.scaled(mng_->contentsRect().size(), Qt::KeepAspectRatio)
                                        : QSize());
}

void ArtworkPanes::ShowMoviePicture() {
  const QSize room = mng_->contentsRect().size();
  if (room.isEmpty()) {
    mng_->setPixmap(QPixmap::fromImage(moviePicture_));
    return;
  }
  mng_->setPixmap(QPixmap::fromImage(moviePicture_.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

// ---- Texts ----

namespace {

// Each file is indexed when it is first needed; one that cannot be read then shows no entries.
template <typename Index>
const Index* IndexWhenNeeded(bool present, std::unique_ptr<Index>& index, const std::filesystem::path& file) {
  if (!present) return nullptr;
  if (!index) {
    index = std::make_unique<Index>(file);
    if (!index->Error().empty()) qWarning("kestrune: %s", index->Error().c_str());
  }
  return index.get();
}

}  // namespace

const cat::HistoryIndex* ArtworkPanes::HistoryEntries() {
  return IndexWhenNeeded(window_->HistoryLoaded(), historyIndex_, window_->HistoryFile());
}

const cat::MameInfoIndex* ArtworkPanes::MameInfoEntries() {
  return IndexWhenNeeded(window_->MameInfoLoaded(), mameInfoIndex_, window_->MameInfoFile());
}

void ArtworkPanes::ShowHistoryIn(QTextBrowser* pane, const SelectedGame& game) {
  history_ = cat::BuildHistoryText(HistoryEntries(), MameInfoEntries(), game.names.romname, game.names.cloneof);
  pane->setHtml(HistoryHtml(history_));
}

void ArtworkPanes::ShowHistoryInfo() {
  if (const std::optional<SelectedGame> game = Selected()) ShowHistoryIn(historyscherm2_, *game);
}

void ArtworkPanes::OpenLink(const QUrl& url) {
  const QString scheme = url.scheme().toLower();
  if (scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("mailto")) {
    openUrl_(url);
  } else {
    qWarning("kestrune: %s is not a web or mail address; not opened", qUtf8Printable(url.toString()));
  }
}

void ArtworkPanes::ShowDriverInfo() {
  const std::optional<SelectedGame> game = Selected();
  if (!game || Form10 == nullptr) return;
  Form10->SetDriver(MameInfoEntries(), game->driver);
  Form10->open();
}

// ---- Cycles ----

void ArtworkPanes::CycleArtworkKind() {
  const std::optional<SelectedGame> game = Selected();
  if (!game) return;
  kindCycle_.Step(
      game->names, [this](ArtworkKind kind) { return FromArchive(kind); },
      [this](ArtworkKind kind, const std::vector<std::string>& names) {
        return ShowFirstOf(kind, names, pictures_[0]);
      });
}

// The numbered snapshots are a folder's, also while the other snapshots come from snap.zip.
void ArtworkPanes::NextCycledSnap() {
  const std::optional<SelectedGame> game = Selected();
  cat::ArtworkSource* source = snapFolder_ ? snapFolder_.get() : Source(ArtworkKind::Snapshot);
  if (!game || source == nullptr) return;
  snapshotCycle_.Step(
      game->names, [source](const std::string& name) { return source->Exists(name); },
      [this, source](const std::string& name) { return ShowFirstFrom(source, {name}, pictures_[0]); });
}

void ArtworkPanes::Timer1Timer() {
  if (!Selected() || pageControl_->currentIndex() != kSnapshotPage || Form4 == nullptr) return;
  if (Form4->RadioButton("cyclesnaps")->isChecked()) {
    NextCycledSnap();
  } else if (Form4->RadioButton("cycletabs")->isChecked()) {
    CycleArtworkKind();
  }
}

// ---- Pages and tabs ----

void ArtworkPanes::ToggleArtworkTab(int page) {
  if (page < 1 || page > kMoviePage || window_->TabsHidden()) return;
  const bool shown = !pageControl_->isTabVisible(page);
  pageControl_->setTabVisible(page, shown);
  window_->Menus()->TabPopupActions()[static_cast<std::size_t>(page - 1)]->setChecked(shown);
  window_->Menus()->TabViewActions()[static_cast<std::size_t>(page - 1)]->setChecked(shown);
  window_->settings().WriteFlag(set::kUiSection, kArtworkTabKeys[static_cast<std::size_t>(page - 1)], shown);
  ShowSelectedGame();
}

void ArtworkPanes::ApplyTabVisibility(bool hidden) {
  ArtworkPicture* snap = pictures_[0];
  QWidget* firstPage = pageControl_->widget(kSnapshotPage);
  const QSignalBlocker quiet(pageControl_);
  if (hidden) {
    for (int page = TForm1::kPageCount - 1; page >= 0; --page) pageControl_->setTabVisible(page, false);
    pageControl_->tabBar()->hide();
    pageControl_->setCurrentIndex(kSnapshotPage);
    // Hiding a tab hides its page too; the first page stays on screen without its tab.
    firstPage->show();
    const bool texts = window_->HistoryLoaded() || window_->MameInfoLoaded();
    historyscherm2_->setVisible(texts);
    if (texts && !snapFitted_) {
      snapFitted_ = true;
      savedResizeMode_ = snap->ResizeMode();
      savedZoom_ = snap->Zoom();
      snap->SetZoom(1.0);
      snap->SetResizeMode(true);
    }
    ShowSelectedGame();
    ShowHistoryInfo();
    return;
  }
  pageControl_->tabBar()->show();
  historyscherm2_->hide();
  if (snapFitted_) {
    snapFitted_ = false;
    snap->SetZoom(savedZoom_);
    snap->SetResizeMode(savedResizeMode_);
  }
  pageControl_->setTabVisible(kSnapshotPage, true);
  MainWindowMenus* menus = window_->Menus();
  for (int page = 1; page < TForm1::kPageCount; ++page) {
    const bool shown =
        window_->settings().ReadFlag(set::kUiSection, kArtworkTabKeys[static_cast<std::size_t>(page - 1)]);
    pageControl_->setTabVisible(page, shown);
    menus->TabPopupActions()[static_cast<std::size_t>(page - 1)]->setChecked(shown);
    menus->TabViewActions()[static_cast<std::size_t>(page - 1)]->setChecked(shown);
  }
  pageControl_->setCurrentIndex(kSnapshotPage);
  ShowSelectedGame();
}

// ---- When the panes are refreshed ----

// Moving through the list refreshes folder pictures at once; an archive's are extracted and decoded
// only when the key is let go or the list clicked, so holding an arrow key does not decode a picture
// per row. Any other change of the selected game (a new list, a filter) refreshes at once.
void ArtworkPanes::SelectedGameChanged() {
  ++changes_;
  refresh_->start();
}

void ArtworkPanes::SelectionMoved() {
  ++moves_;
  RestartCycles();
  refresh_->start();
}

void ArtworkPanes::RestartCycles() {
  kindCycle_.Restart();
  snapshotCycle_.Restart();
}

void ArtworkPanes::RunPendingRefresh() {
  const bool moveOnly = changes_ <= moves_;
  changes_ = 0;
  moves_ = 0;
  if (!moveOnly) {
    RefreshNow();
  } else if (IsFolderPicturePage(pageControl_->currentIndex())) {
    ShowSelectedGame();
  }
}

void ArtworkPanes::RefreshNow() {
  refresh_->stop();
  changes_ = 0;
  moves_ = 0;
  ShowSelectedGame();
  if (window_->TabsHidden()) ShowHistoryInfo();
}

void ArtworkPanes::ListKeyReleased() {
  const int page = pageControl_->currentIndex();
  if (IsFolderPicturePage(page) && !(page == kSnapshotPage && window_->TabsHidden())) return;
  ShowSelectedGame();
  if (window_->TabsHidden()) ShowHistoryInfo();
}

void ArtworkPanes::ListClicked() {
  ShowSelectedGame();
  if (window_->TabsHidden()) ShowHistoryInfo();
}

void ArtworkPanes::PageChanged(int page) {
  if (page != kMoviePage) StopMovie();
  ShowSelectedGame();
}

bool ArtworkPanes::eventFilter(QObject* watched, QEvent* event) {
  if (watched == mng_ && event->type() == QEvent::Resize) {
    FitMovie();
  } else if (event->type() == QEvent::KeyRelease && qobject_cast<QAbstractItemView*>(watched) != nullptr) {
    // A held key repeats its release; only the last one counts.
    if (!static_cast<QKeyEvent*>(event)->isAutoRepeat()) ListKeyReleased();
  }
  return QObject::eventFilter(watched, event);
}
