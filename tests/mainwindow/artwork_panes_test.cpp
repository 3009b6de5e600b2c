#include "mainwindow/artwork_panes.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <QAction>
#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMovie>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeView>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "../catalogue/game_lines.h"
#include "mainwindow/about_dialog.h"
#include "mainwindow/artwork_picture.h"
#include "mainwindow/driver_info_dialog.h"
#include "mainwindow/game_details_dialog.h"
#include "mainwindow/game_list_controller.h"
#include "mainwindow/main_window_menus.h"
#include "mainwindow/movie_player.h"
#include "mainwindow/preferences_dialog.h"
#include "mainwindow/program_windows.h"
#include "settings/settings.h"
#include "support/file_util.h"
#include "support/mng_writer.h"
#include "support/program_folder_fixture.h"
#include "support/zip_writer.h"

namespace {

namespace fs = std::filesystem;
namespace set = kestrune::settings;
namespace cat = kestrune::catalogue;
using Values = std::map<std::string, std::string>;

std::string PngOf(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes.toStdString();
}

std::string PngOf(QColor colour, int width = 40, int height = 30) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(colour);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes.toStdString();
}

void PutBe32(std::string& out, quint32 value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(value >> shift));
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
  PutBe32(out, static_cast<quint32>(data.size()));
  const std::string typed = std::string(type, 4) + data;
  out += typed;
  PutBe32(out, crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size())));
}

// A movie as MNG-VLC writes it: the MHDR header, then each frame as a PNG datastream without its
// signature (IHDR, IDAT, IEND), then MEND. Qt writes no MNG, so the test does.
std::string MngOf(const std::vector<QColor>& frames, int width = 8, int height = 6) {
  std::string mng("\x8aMNG\r\n\x1a\n", 8);
  std::string header;
  for (quint32 value : {quint32(width), quint32(height), 20u, 0u, quint32(frames.size()), 0u, 0u})
    PutBe32(header, value);
  PutChunk(mng, "MHDR", header);
  for (const QColor& colour : frames) {
    std::string ihdr;
    PutBe32(ihdr, static_cast<quint32>(width));
    PutBe32(ihdr, static_cast<quint32>(height));
    ihdr += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB
    PutChunk(mng, "IHDR", ihdr);
    std::string raw;
    for (int y = 0; y < height; ++y) {
      raw += '\0';
      for (int x = 0; x < width; ++x) raw += {char(colour.red()), char(colour.green()), char(colour.blue())};
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(size, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
             static_cast<uLong>(raw.size()));
    packed.resize(size);
    PutChunk(mng, "IDAT", packed);
    PutChunk(mng, "IEND", "");
  }
  PutChunk(mng, "MEND", "");
  return mng;
}

// A movie as MAME records it: a canvas of its own size, then each frame a whole PNG image.
std::string MngOfPngs(quint32 width, quint32 height, const std::vector<std::string>& pngs) {
  std::string mng("\x8aMNG\r\n\x1a\n", 8);
  std::string header;
  for (quint32 value : {width, height, 60u, 0u, 0u, 0u, 65u}) PutBe32(header, value);
  PutChunk(mng, "MHDR", header);
  for (const std::string& png : pngs) mng += png.substr(8);
  PutChunk(mng, "MEND", "");
  return mng;
}

void Settle(int ms = 30) {
  QElapsedTimer waited;
  waited.start();
  do {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  } while (waited.elapsed() < ms);
}

// A program folder with a small catalogue: pacman, its clone puckman, dkong without any artwork, and
// galaga and bosco whose snapshots are damaged.
class ArtworkPanesTest : public kestrune::test::ProgramFolderTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ProgramFolderTest::SetUp());
    using kestrune::test::GameLine;
    Write("ini/kestrune.dat", GameLine("pacman") + "\r\n" +
                                  GameLine("puckman", [](cat::Tgameinfo& g) { g.cloneof = "pacman"; }) + "\r\n" +
                                  GameLine("dkong", [](cat::Tgameinfo& g) { g.driver = "nintendo/dkong.cpp"; }) +
                                  "\r\n" + GameLine("galaga") + "\r\n" + GameLine("bosco") + "\r\n");
  }
  void Start(const Values& changes = {}) {
    set::Settings settings(folder_);
    settings.WriteDefaults(folder_, "mame", "");
    for (const auto& [key, value] : Values{{"showtabs", "1"}, {"tabselect", "0"}, {"stretch", "1"}})
      settings.WriteText(set::kUiSection, key, value);
    for (const auto& [key, value] : changes) settings.WriteText(set::kUiSection, key, value);
    std::string error;
    ASSERT_TRUE(settings.Save(&error)) << error;
    CreateWindows();
    Form1->resize(900, 600);
    ShowAndWait();
    Settle();
  }

  void Select(const char* rom) {
    const int row = Form1->gameList()->List().FindRomRow(rom);
    ASSERT_GE(row, 0) << rom;
    Form1->gameList()->View()->SelectRow(row);
    Settle();
  }
  void ReleaseKey() {
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
    QCoreApplication::sendEvent(Form1->gameList()->View()->ReportView(), &release);
    Settle();
  }
  void ShowPage(int page) {
    Form1->PageControl()->setCurrentIndex(page);
    Settle();
  }
  ArtworkPicture* Snap() const { return Form1->Pictures()[0]; }
  QRgb SnapColour() const { return Snap()->Image().isNull() ? 0 : Snap()->Image().pixel(0, 0); }
  bool ShowsLogo(ArtworkPicture* picture) const { return picture->Image() == BuiltInLogo(); }
  // The colour in the middle of the movie page's picture.
  QRgb MovieColour() const {
    const QImage shown = Control<QLabel>("mng")->pixmap().toImage();
    return shown.isNull() ? 0 : shown.pixel(shown.width() / 2, shown.height() / 2);
  }
  // The movie page without a movie: the about box's picture, as large as the page allows.
  bool ShowsAboutPicture() const {
    const QLabel* mng = Control<QLabel>("mng");
    const QImage shown = mng->pixmap().toImage();
    const QImage about = AboutPicture();
    const QSize fitted = about.size().scaled(mng->contentsRect().size(), Qt::KeepAspectRatio);
    return mng->movie() == nullptr && shown.size() == fitted && fitted.width() > 100 &&
           shown.convertToFormat(QImage::Format_RGB32) ==
               about.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                   .convertToFormat(QImage::Format_RGB32);
  }
  // The snapshot's colour after each of `ticks` steps of the cycle timer.
  std::vector<QRgb> CycledColours(int ticks) const {
    std::vector<QRgb> shown;
    for (int tick = 0; tick < ticks; ++tick) {
      Form1->Panes()->Timer1Timer();
      shown.push_back(SnapColour());
    }
    return shown;
  }
  template <typename T>
  T* Control(const char* name) const {
    return Form1->findChild<T*>(QString::fromLatin1(name));
  }
};

const QRgb kRed = QColor(Qt::red).rgb();
const QRgb kBlue = QColor(Qt::blue).rgb();
const QRgb kGreen = QColor(Qt::green).rgb();

TEST_F(ArtworkPanesTest, SelectingAGameShowsItsSnapshotItsParentsOrTheDefaultPicture) {
  Write("snap/pacman.png", PngOf(Qt::red));
  Write("snap/galaga.png", PngOf(Qt::blue).substr(0, 60));
  std::string huge = PngOf(Qt::blue);
  huge.replace(16, 8, std::string("\0\0\x75\x30\0\0\x75\x30", 8));  // 30,000 x 30,000
  const quint32 crc = crc32(0, reinterpret_cast<const Bytef*>(huge.data() + 12), 17);
  for (int i = 0; i < 4; ++i) huge[static_cast<std::size_t>(29 + i)] = static_cast<char>(crc >> (24 - 8 * i));
  Write("snap/bosco.png", huge);
  Start();
  EXPECT_EQ(Form1->OpenArchives(), (std::array<bool, 6>{}));
  Select("pacman");
  EXPECT_EQ(SnapColour(), kRed);
  Select("dkong");
  EXPECT_TRUE(ShowsLogo(Snap()));
  Select("puckman");
  EXPECT_EQ(SnapColour(), kRed);
  for (const char* damaged : {"galaga", "bosco"}) {
    Select(damaged);
    EXPECT_TRUE(ShowsLogo(Snap())) << damaged;
  }
}

// A search that lists nothing, or a list rebuilt with no row selected, leaves no old game on show.
TEST_F(ArtworkPanesTest, WithNoGameSelectedThePanesShowTheLogoAndTheStatusNothing) {
  Write("snap/pacman.png", PngOf(Qt::red));
  Write("ini/pacman.ini", "");
  Write("inp/pacman.inp", "");
  Start();
  Select("pacman");
  ASSERT_EQ(SnapColour(), kRed);
  ASSERT_EQ(Form1->gameList()->PanelText(2), "INI : Yes");
  Form1->gameList()->SearchBox()->setText("no such game");
  Form1->gameList()->QuickSearch();
  Settle();
  ASSERT_EQ(Form1->gameList()->List().GameCount(), 0);
  EXPECT_TRUE(ShowsLogo(Snap()));
  EXPECT_EQ(Form1->gameList()->PanelText(2), "INI : N/A");
  EXPECT_EQ(Form1->gameList()->PanelText(3), "INP : N/A");

  // Preferences ▸ OK lists the games again under the search typed but not yet run.
  Form1->gameList()->SearchBox()->clear();
  Form1->gameList()->ShowAllGames();
  Select("pacman");
  ASSERT_EQ(SnapColour(), kRed);
  Form1->gameList()->SearchBox()->setText("no such game");
  Form1->ApplyPreferences();
  Settle();
  ASSERT_LT(Form1->gameList()->View()->SelectedRow(), 0);
  EXPECT_TRUE(ShowsLogo(Snap()));
  EXPECT_EQ(Form1->gameList()->PanelText(3), "INP : N/A");
}

TEST_F(ArtworkPanesTest, AnArchivedPictureWaitsForTheKeyToBeLetGoAndTheFolderIsNotAsked) {
  Write("flyers/flyers.zip", kestrune::test::StoredZip({{"PACMAN.PNG", PngOf(Qt::blue), std::nullopt}}));
  Write("flyers/pacman.png", PngOf(Qt::red));
  Write("flyers/dkong.png", PngOf(Qt::green));
  Start({{"tabselect", "2"}});
  ArtworkPicture* flyer = Form1->Pictures()[1];
  EXPECT_EQ(Form1->OpenArchives()[4], true);
  // The start shows the selected game (the first) at once.
  EXPECT_EQ(flyer->Image().pixel(0, 0), kBlue);
  Select("dkong");
  EXPECT_EQ(flyer->Image().pixel(0, 0), kBlue);
  ReleaseKey();
  EXPECT_TRUE(ShowsLogo(flyer));
  Select("pacman");
  EXPECT_TRUE(ShowsLogo(flyer));
  // Changing the page loads the page's picture at once.
  ShowPage(0);
  ShowPage(2);
  EXPECT_EQ(flyer->Image().pixel(0, 0), kBlue);
}

TEST_F(ArtworkPanesTest, TheSnapshotCyclesThroughTheNumberedSnapshotsAndTheKinds) {
  Write("snap/pacman/0000.png", PngOf(Qt::red));
  Write("snap/pacman/0001.png", PngOf(Qt::green));
  Write("cabinets/pacman.png", PngOf(Qt::blue));
  Start();
  Select("pacman");
  EXPECT_EQ(SnapColour(), kRed);
  Form4->RadioButton("cyclesnaps")->setChecked(true);
  EXPECT_EQ(CycledColours(3), (std::vector<QRgb>{kRed, kGreen, kRed}));
  // The preferences' OK starts the cycle again at the first snapshot.
  Form1->Panes()->Timer1Timer();
  ASSERT_EQ(SnapColour(), kGreen);
  Form1->ApplyPreferences();
  Settle();
  EXPECT_EQ(Form1->gameList()->GetSelectedRom(), "pacman") << "the list is built again around the selected game";
  Form1->Panes()->Timer1Timer();
  EXPECT_EQ(SnapColour(), kRed);
  // The kind cycle of a clone: its parent's cabinet, nothing more on the next step, its parent's snapshot.
  Form4->RadioButton("cycletabs")->setChecked(true);
  Select("puckman");
  EXPECT_EQ(CycledColours(3), (std::vector<QRgb>{kBlue, kBlue, kRed}));
}

// With snap.zip open the panes show its pictures, and the snapshot cycle still runs through the
// numbered snapshots of the folder.
TEST_F(ArtworkPanesTest, WithSnapZipOpenTheCycleRunsThroughTheFoldersNumberedSnapshots) {
  Write("snap/snap.zip", kestrune::test::StoredZip({{"pacman.png", PngOf(Qt::blue), std::nullopt}}));
  Write("snap/pacman/0000.png", PngOf(Qt::red));
  Write("snap/pacman/0001.png", PngOf(Qt::green));
  Start();
  ASSERT_TRUE(Form1->OpenArchives()[0]);
  Select("pacman");
  ReleaseKey();
  EXPECT_EQ(SnapColour(), kBlue);
  Form4->RadioButton("cyclesnaps")->setChecked(true);
  EXPECT_EQ(CycledColours(3), (std::vector<QRgb>{kRed, kGreen, kRed}));
}

TEST_F(ArtworkPanesTest, TheMoviePanePlaysTheGamesMovieOrShowsTheDefaultPicture) {
  Write("mng/pacman.mng", MngOf({Qt::red, Qt::green, Qt::blue}));
  Start({{"tabselect", "7"}});
  ASSERT_EQ(Form1->PageControl()->currentIndex(), 7);
  Select("puckman");
  ReleaseKey();
  ASSERT_NE(Form1->Panes()->Player(), nullptr);
  // Whole-image frames are played without Qt's MNG decoder.
  EXPECT_EQ(Form1->Panes()->Movie(), nullptr);
  // The frames are stepped, never waited for: the movie is started again and paused before its timer
  // can move it.
  Form1->Panes()->PlayMngMovie();
  MoviePlayer* player = Form1->Panes()->Player();
  ASSERT_NE(player, nullptr);
  EXPECT_TRUE(player->IsRunning());
  player->SetPaused(true);
  ASSERT_EQ(player->CurrentFrameNumber(), 0);
  std::vector<QRgb> frames{MovieColour()};
  while (frames.size() < 4 && player->Step()) frames.push_back(MovieColour());
  EXPECT_EQ(frames, (std::vector<QRgb>{kRed, kGreen, kBlue}));
  // Stretched: the canvas as large as the page allows, its proportions kept.
  const QLabel* mng = Control<QLabel>("mng");
  EXPECT_EQ(mng->pixmap().size(), QSize(8, 6).scaled(mng->contentsRect().size(), Qt::KeepAspectRatio));
  Select("dkong");
  ReleaseKey();
  EXPECT_EQ(Form1->Panes()->Player(), nullptr);
  EXPECT_TRUE(ShowsAboutPicture());
}

// MAME records a screen's raw pixels, wider than its canvas: the whole frame is scaled to the canvas
// (its right-hand end too), at the canvas's size when the stretch setting is off.
TEST_F(ArtworkPanesTest, AFrameLargerThanTheCanvasIsShownWhole) {
  QImage frame(64, 6, QImage::Format_RGB32);
  frame.fill(Qt::red);
  for (int y = 0; y < 6; ++y)
    for (int x = 48; x < 64; ++x) frame.setPixel(x, y, kBlue);
  Write("mng/pacman.mng", MngOfPngs(8, 6, {PngOf(frame), PngOf(frame)}));
  Start({{"tabselect", "7"}, {"stretch", "0"}});
  Select("pacman");
  ReleaseKey();
  ASSERT_NE(Form1->Panes()->Player(), nullptr);
  Form1->Panes()->Player()->SetPaused(true);
  const QImage shown = Control<QLabel>("mng")->pixmap().toImage();
  ASSERT_EQ(shown.size(), QSize(8, 6));
  EXPECT_EQ(shown.pixel(0, 3), kRed);
  EXPECT_EQ(shown.pixel(7, 3), kBlue);
}

// A movie of objects needs Qt's MNG decoder: it plays through it where it is installed, else the default
// picture is shown.
TEST_F(ArtworkPanesTest, AMovieOfObjectsPlaysThroughQtsDecoder) {
  Write("mng/pacman.mng", kestrune::test::MngMovie({8, 6, 2, 2, 8, true}));
  Start({{"tabselect", "7"}});
  Select("pacman");
  ReleaseKey();
  EXPECT_EQ(Form1->Panes()->Player(), nullptr);
  const bool decoder = QMovie::supportedFormats().contains("mng");
  EXPECT_EQ(Form1->Panes()->Movie() != nullptr, decoder);
  EXPECT_NE(ShowsAboutPicture(), decoder);
}

// MAME takes the screen: a running movie stops and the still picture takes its place.
TEST_F(ArtworkPanesTest, APlayingMovieStopsWhenMameStarts) {
  Write("mng/pacman.mng", MngOf({Qt::red, Qt::green}));
  WriteScript("mame", "exit 0\n");
  Start({{"tabselect", "7"}});
  Select("pacman");
  ReleaseKey();
  ASSERT_NE(Form1->Panes()->Player(), nullptr);
  Form1->Menus()->Action("PlayGame2")->trigger();
  EXPECT_EQ(Form1->Panes()->Player(), nullptr);
  EXPECT_TRUE(ShowsAboutPicture());
}

// Real 300-byte movies on which Qt's MNG decoder never returns (a MOVE or CLIP of the objects up to
// 65535, a LOOP of nothing repeated 2^31 - 1 times), given to every game, with the movie page current and a game
// selected at start-up. The objects are refused; the empty loop is passed over and its one frame shown.
struct HostileMovie {
  const char* file;
  bool shown;
};

class HostileMovieTest : public ArtworkPanesTest, public ::testing::WithParamInterface<HostileMovie> {};

TEST_P(HostileMovieTest, ShowsTheDefaultPictureOrTheFrameInsteadOfHanging) {
  const std::string movie =
      kestrune::test::ReadFileBytes(kestrune::test::TestDataDir() / "catalogue/movies" / GetParam().file);
  ASSERT_EQ(movie.size(), 300u);
  for (const char* rom : {"pacman", "puckman", "dkong", "galaga", "bosco"})
    Write("mng/" + std::string(rom) + ".mng", movie);
  Start({{"tabselect", "7"}, {"selected", "0"}});
  ASSERT_EQ(Form1->PageControl()->currentIndex(), 7);
  Select("pacman");
  ReleaseKey();
  EXPECT_EQ(Form1->Panes()->Movie(), nullptr);
  EXPECT_EQ(Form1->Panes()->Player() != nullptr, GetParam().shown);
  EXPECT_NE(ShowsAboutPicture(), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Files, HostileMovieTest,
                         ::testing::Values(HostileMovie{"move-65535.mng", false}, HostileMovie{"clip-65535.mng", false},
                                           HostileMovie{"loop-empty.mng", true}),
                         [](const ::testing::TestParamInfo<HostileMovie>& info) {
                           return std::string(info.param.file).substr(0, 4);
                         });

// Only a movie's start is read when it is selected: what it cannot play further on ends it there, its last
// frame staying, or the default picture when it had shown none.
struct EndedMovie {
  const char* label;
  std::string bytes;
  QRgb last;  // 0: the default picture
};

void PrintTo(const EndedMovie& movie, std::ostream* out) { *out << movie.label; }

std::string WithoutEnd(const std::string& mng, int chunks) { return mng.substr(0, mng.size() - 12 * chunks); }

std::string ThreeFramesThenAnObject() {
  std::string mng = WithoutEnd(MngOf({Qt::red, Qt::green, Qt::blue}), 1);
  PutChunk(mng, "DEFI", std::string(2, '\1'));
  PutChunk(mng, "MEND", "");
  return mng;
}

// The file ends inside its first image, past what is looked at when it is opened.
std::string AFirstImageCutShort() {
  std::string mng = WithoutEnd(MngOf({Qt::red}), 2);
  for (int i = 0; i < 1100; ++i) PutChunk(mng, "tEXt", "");
  return mng;
}

class EndedMovieTest : public ArtworkPanesTest, public ::testing::WithParamInterface<EndedMovie> {};

TEST_P(EndedMovieTest, KeepsTheLastFrameShown) {
  Write("mng/pacman.mng", GetParam().bytes);
  Start({{"tabselect", "7"}});
  Select("pacman");
  ReleaseKey();
  if (MoviePlayer* player = Form1->Panes()->Player()) {
    player->SetPaused(true);
    while (player->Step()) continue;
  }
  EXPECT_EQ(Form1->Panes()->Player() != nullptr, GetParam().last != 0);
  if (GetParam().last != 0) {
    EXPECT_EQ(MovieColour(), GetParam().last);
  }
  EXPECT_EQ(ShowsAboutPicture(), GetParam().last == 0);
}

INSTANTIATE_TEST_SUITE_P(Files, EndedMovieTest,
                         ::testing::Values(EndedMovie{"AnObjectAfterThreeFrames", ThreeFramesThenAnObject(), kBlue},
                                           EndedMovie{"AFirstImageCutShort", AFirstImageCutShort(), 0}),
                         [](const ::testing::TestParamInfo<EndedMovie>& info) {
                           return std::string(info.param.label);
                         });

TEST_F(ArtworkPanesTest, TheHistoryPageShowsBothEntriesAndOpensOnlyTheGamesOwnAddress) {
  Write("history.dat",
        "$info=pacman,puckman,\r\n$<a href=\"https://www.arcade-history.com/?id=1\" target=\"_blank\">x</a>\r\n"
        "$bio\r\nPac-Man (c) 1980 Namco.\r\n$end\r\n");
  Write("mameinfo.dat", "$info=pacman\r\n$mame\r\nPac notes.\r\n$end\r\n");
  Start({{"tabselect", "1"}});
  std::vector<QUrl> opened;
  Form1->Panes()->SetUrlOpener([&opened](const QUrl& url) { opened.push_back(url); });
  auto* history = Control<QTextBrowser>("historyscherm");
  Select("puckman");
  ReleaseKey();
  EXPECT_EQ(history->toPlainText().toStdString(),
            "\nEdit this entry at www.arcade-history.com\n\nPac-Man (c) 1980 Namco.\n\n\nPac notes.");
  EXPECT_TRUE(history->toHtml().contains("https://www.arcade-history.com/?id=1"));
  emit history->anchorClicked(QUrl("https://www.arcade-history.com/?id=1"));
  emit history->anchorClicked(QUrl("file:///etc/passwd"));
  EXPECT_EQ(opened, (std::vector<QUrl>{QUrl("https://www.arcade-history.com/?id=1")}));
  Select("dkong");
  ReleaseKey();
  EXPECT_EQ(Form1->Panes()->HistoryLink(), "");
  EXPECT_FALSE(history->toHtml().contains("arcade-history"));
}

TEST_F(ArtworkPanesTest, WithTheTabsHiddenTheTextsStandUnderTheSnapshot) {
  Write("history.dat", "$info=pacman,\r\n\r\n$bio\r\nPac-Man.\r\n$end\r\n");
  Write("snap/pacman.png", PngOf(Qt::red));
  Start({{"showtabs", "0"}, {"flyertab", "0"}});
  Select("pacman");
  ReleaseKey();
  EXPECT_TRUE(Form1->TabsHidden());
  EXPECT_EQ(SnapColour(), kRed);
  auto* texts = Control<QTextBrowser>("historyscherm2");
  EXPECT_TRUE(texts->isVisible());
  EXPECT_EQ(texts->toPlainText().toStdString(), "\n\nPac-Man.");
  EXPECT_LE(Snap()->height(), Form1->PageControl()->height() / 2 + 4);
  Form1->Menus()->Action("HideTabs1")->trigger();
  EXPECT_FALSE(texts->isVisible());
  EXPECT_FALSE(Form1->PageControl()->isTabVisible(2));  // its key says "0"
  EXPECT_TRUE(Form1->PageControl()->isTabVisible(3));
  Form1->Menus()->TabViewActions()[1]->trigger();  // Flyer
  EXPECT_TRUE(Form1->PageControl()->isTabVisible(2));
  EXPECT_TRUE(Form1->Menus()->TabPopupActions()[1]->isChecked());
  EXPECT_EQ(Form1->settings().ReadText(set::kUiSection, "flyertab"), "1");
}

// Next and Previous of the game details choose a game: the main window's panes follow at once, also
// for pictures from an archive, which a move through the list leaves until the key is let go.
TEST_F(ArtworkPanesTest, NextAndPreviousOfTheDetailsRefreshEveryPane) {
  const std::map<std::string, QColor> colours{
      {"pacman", Qt::red}, {"puckman", Qt::green}, {"dkong", Qt::blue}, {"galaga", Qt::yellow}, {"bosco", Qt::cyan}};
  std::vector<kestrune::test::StoredZipEntry> snaps;
  std::string history;
  for (const auto& [rom, colour] : colours) {
    snaps.push_back({rom + ".png", PngOf(colour), std::nullopt});
    history += "$info=" + rom + ",\r\n\r\n$bio\r\nAbout " + rom + ".\r\n$end\r\n";
  }
  Write("snap/snap.zip", kestrune::test::StoredZip(snaps));
  Write("history.dat", history);
  Start();
  Form1->gameList()->View()->SelectRow(0);
  ReleaseKey();
  Form12->open();
  Settle();
  ASSERT_TRUE(Form12->isVisible());
  auto selected = [] { return Form1->gameList()->GetSelectedRom().toStdString(); };
  Form12->findChild<QPushButton*>("Button1")->click();
  EXPECT_EQ(SnapColour(), colours.at(selected()).rgb()) << selected();
  ShowPage(1);
  Form12->findChild<QPushButton*>("Button1")->click();
  EXPECT_TRUE(Control<QTextBrowser>("historyscherm")->toPlainText().contains(QString::fromStdString("About " + selected())))
      << selected();
  Form12->findChild<QPushButton*>("Button2")->click();
  EXPECT_TRUE(Control<QTextBrowser>("historyscherm")->toPlainText().contains(QString::fromStdString("About " + selected())))
      << selected();
  Form12->reject();
  // With the tabs hidden the texts under the snapshot follow as well.
  Form1->Menus()->Action("HideTabs1")->trigger();
  Form12->open();
  Form12->findChild<QPushButton*>("Button1")->click();
  EXPECT_EQ(SnapColour(), colours.at(selected()).rgb()) << selected();
  EXPECT_TRUE(Control<QTextBrowser>("historyscherm2")->toPlainText().contains(QString::fromStdString("About " + selected())));
  Form12->reject();
}

TEST_F(ArtworkPanesTest, TheDriverWindowShowsTheSelectedGamesDriverEntry) {
  Write("mameinfo.dat", "$info=dkong.cpp\r\n$drv\r\nDonkey Kong driver.\r\n$end\r\n");
  Start();
  Select("dkong");
  Form1->Menus()->Action("ShowGameDriverInfo1")->trigger();
  Settle();
  ASSERT_TRUE(Form10->isVisible());
  EXPECT_EQ(Form10->findChild<QPlainTextEdit*>("gamedrivermemo")->toPlainText().toStdString(),
            "Driver : nintendo/dkong.cpp\n\nDonkey Kong driver.\n");
  Form10->reject();
}

}  // namespace
