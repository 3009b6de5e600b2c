// Times the refresh of the snapshot pane when the selected game changes, at real scale: a program
// folder with a 20,000-game catalogue and a snap.zip of 20,000 pictures (most of them small, 256 of
// them full 320 x 240 snapshots with the detail of a game screen), opened by the main window as the
// program opens it. Each timed change selects one of the 256 games in the list and lets the key go, as
// a user moving through the list does; the time runs until the pane holds the picture resampled to its
// size with the Lanczos kernel. The same is timed with the pictures as files in the snapshot folder.
// Prints `name: value unit` lines.
#include <unistd.h>
#include <zlib.h>

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFont>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QSplitter>
#include <QTreeView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "catalogue/game_record.h"
#include "common/catalogue_generator.h"
#include "mainwindow/artwork_picture.h"
#include "mainwindow/game_list_controller.h"
#include "mainwindow/main_window.h"
#include "mainwindow/program_windows.h"
#include "settings/settings.h"

namespace {

namespace fs = std::filesystem;

constexpr int kGames = 20000;
constexpr int kTimedGames = 256;

std::string RomnameOf(const std::string& line) {
  std::size_t start = 0;
  for (int field = 0; field < kestrune::catalogue::LineField::romname; ++field) start = line.find('|', start) + 1;
  return line.substr(start, line.find('|', start) - start);
}

std::string Png(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes.toStdString();
}

// A game screen's worth of detail: tiles, sprites, a score line and some dithering.
QImage GameScreen(std::mt19937& random, int width, int height) {
  QImage screen(width, height, QImage::Format_RGB32);
  screen.fill(QColor::fromHsv(static_cast<int>(random() % 360), 200, 40));
  QPainter painter(&screen);
  for (int tile = 0; tile < 300; ++tile) {
    painter.fillRect(static_cast<int>(random() % width), static_cast<int>(random() % height), 8 + random() % 24,
                     8 + random() % 16, QColor::fromHsv(static_cast<int>(random() % 360), 180, 80 + random() % 170));
  }
  QFont font;
  font.setPixelSize(12);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(8, 14, QStringLiteral("1UP  %1   HI-SCORE  %2").arg(random() % 99999).arg(random() % 999999));
  painter.end();
  for (int dot = 0; dot < width * height / 6; ++dot) {
    screen.setPixel(static_cast<int>(random() % width), static_cast<int>(random() % height), random() | 0xFF000000);
  }
  return screen;
}

void PutLe(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A zip archive of stored entries, as artwork packs are usually made (PNG does not compress further).
void WriteStoredZip(const fs::path& path, const std::vector<std::pair<std::string, const std::string*>>& entries) {
  std::ofstream out(path, std::ios::binary);
  std::string central;
  std::uint32_t offset = 0;
  for (const auto& [name, data] : entries) {
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data->data()), static_cast<uInt>(data->size())));
    auto common = [&](std::string& record) {
      PutLe(record, 20, 2);
      PutLe(record, 0, 2);
      PutLe(record, 0, 2);
      PutLe(record, 0, 4);
      PutLe(record, crc, 4);
      PutLe(record, static_cast<std::uint32_t>(data->size()), 4);
      PutLe(record, static_cast<std::uint32_t>(data->size()), 4);
      PutLe(record, static_cast<std::uint32_t>(name.size()), 2);
      PutLe(record, 0, 2);
    };
    std::string local;
    PutLe(local, 0x04034b50, 4);
    common(local);
    local += name;
    out << local << *data;
    PutLe(central, 0x02014b50, 4);
    PutLe(central, 20, 2);
    common(central);
    PutLe(central, 0, 2);
    PutLe(central, 0, 2);
    PutLe(central, 0, 2);
    PutLe(central, 0, 4);
    PutLe(central, offset, 4);
    central += name;
    offset += static_cast<std::uint32_t>(local.size() + data->size());
  }
  std::string end;
  PutLe(end, 0x06054b50, 4);
  PutLe(end, 0, 4);
  PutLe(end, static_cast<std::uint32_t>(entries.size()), 2);
  PutLe(end, static_cast<std::uint32_t>(entries.size()), 2);
  PutLe(end, static_cast<std::uint32_t>(central.size()), 4);
  PutLe(end, offset, 4);
  PutLe(end, 0, 2);
  out << central << end;
}

struct Folder {
  fs::path root;
  std::vector<std::string> timed;  // the games with full snapshots
};

// The program folder; the snapshots go into snap/snap.zip, or as files into snap/ when !zipped.
Folder MakeProgramFolder(const fs::path& root, bool zipped) {
  Folder folder{root, {}};
  fs::create_directories(root / "ini");
  fs::create_directories(root / "snap");
  const std::vector<std::string> lines = kestrune::bench::GenerateGameCatalogue(kGames, 2024);
  std::ofstream catalogue(root / "ini" / "kestrune.dat", std::ios::binary);
  for (const std::string& line : lines) catalogue << line << "\r\n";
  catalogue.close();

  std::mt19937 random(7);
  std::vector<std::string> small;
  for (int i = 0; i < 16; ++i) small.push_back(Png(GameScreen(random, 64, 48)));
  std::vector<std::string> full;
  for (int i = 0; i < kTimedGames; ++i) full.push_back(Png(GameScreen(random, 320, 240)));
  std::vector<std::pair<std::string, const std::string*>> entries;
  for (int i = 0; i < kGames; ++i) {
    const std::string rom = RomnameOf(lines[static_cast<std::size_t>(i)]);
    // Every 78th game has a full snapshot, spread over the whole list and the whole archive.
    const bool timed = i % (kGames / kTimedGames) == 0 && static_cast<int>(folder.timed.size()) < kTimedGames;
    const std::string* data = timed ? &full[folder.timed.size()] : &small[static_cast<std::size_t>(i) % small.size()];
    if (timed) folder.timed.push_back(rom);
    if (zipped) {
      entries.emplace_back(rom + ".png", data);
    } else {
      std::ofstream(root / "snap" / (rom + ".png"), std::ios::binary) << *data;
    }
  }
  if (zipped) WriteStoredZip(root / "snap" / "snap.zip", entries);

  kestrune::settings::Settings settings(root.string() + "/");
  settings.WriteDefaults(root.string() + "/", "", "");
  for (const auto& [key, value] : {std::pair{"showtabs", "1"},
                                   {"tabselect", "0"},
                                   {"stretch", "1"},
                                   {"stretchfilter", "0"},
                                   {"winwidth", "1280"},
                                   {"winheight", "800"},
                                   {"splitter", "560"},
                                   {"showview", "1"}}) {
    settings.WriteText(kestrune::settings::kUiSection, key, value);
  }
  std::string error;
  if (!settings.Save(&error)) std::fprintf(stderr, "artwork_bench: %s\n", error.c_str());
  return folder;
}

double Percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

// Starts the windows in the folder and times each change of the selected game to a timed game.
std::vector<double> TimeRefreshes(const Folder& folder, bool resamples) {
  const fs::path previous = fs::current_path();
  fs::current_path(folder.root);
  CreateProgramWindows();
  Form1->SetMessenger([](QMessageBox::Icon, const QString& text, QMessageBox::StandardButtons) {
    std::fprintf(stderr, "artwork_bench: %s\n", qUtf8Printable(text));
    return QMessageBox::Ok;
  });
  Form1->show();
  while (!Form1->StartupDone()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  // The offscreen screen is small; the window is given a desktop's size, the picture area most of it.
  Form1->resize(1400, 900);
  Form1->Splitter()->setSizes({560, 840});
  QCoreApplication::processEvents();
  GameListController* list = Form1->gameList();
  ArtworkPicture* snap = Form1->Pictures()[0];
  std::vector<int> rows;
  for (const std::string& rom : folder.timed) {
    if (const int row = list->List().FindRomRow(rom); row >= 0) rows.push_back(row);
  }
  std::shuffle(rows.begin(), rows.end(), std::mt19937(11));
  std::vector<double> times;
  for (int row : rows) {
    QCoreApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    list->View()->SelectRow(row);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
    QCoreApplication::sendEvent(list->View()->ReportView(), &release);
    const QImage& shown = snap->Displayed();
    times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    if (shown.width() < 320)
      std::fprintf(stderr, "artwork_bench: row %d shows a %d-pixel picture\n", row, shown.width());
  }
  std::printf("artwork-pane-size: %dx%d pixels\n", snap->width(), snap->height());
  // The share of the resampling alone, for each kernel, on the last picture shown.
  const QImage picture = snap->Image();
  const QSize size = snap->DrawnSize();
  constexpr const char* kKernels[] = {"lanczos", "box", "mitchell", "linear", "spline"};
  for (int kernel = 0; resamples && kernel < ArtworkPicture::kKernelCount && !picture.isNull(); ++kernel) {
    std::vector<double> resamples;
    for (int i = 0; i < 20; ++i) {
      QElapsedTimer timer;
      timer.start();
      const QImage resampled = ResampleArtwork(picture, size, static_cast<ArtworkPicture::Kernel>(kernel));
      resamples.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("artwork-resample-%s: %.2f ms\n", kKernels[kernel], Percentile(resamples, 0.5));
  }
  DestroyProgramWindows();
  fs::current_path(previous);
  return times;
}

void Report(const char* name, const std::vector<double>& times) {
  std::printf("%s: %.2f ms\n", name, Percentile(times, 0.5));
  std::printf("%s-p95: %.2f ms\n", name, Percentile(times, 0.95));
  std::printf("%s-max: %.2f ms\n", name, Percentile(times, 1.0));
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const fs::path root = fs::temp_directory_path() / ("kestrune-artwork-bench-" + std::to_string(::getpid()));
  const Folder zipped = MakeProgramFolder(root / "zip", true);
  std::printf("artwork-snap-zip: %.1f MB\n",
              static_cast<double>(fs::file_size(root / "zip" / "snap" / "snap.zip")) / 1e6);
  Report("artwork-refresh-zip", TimeRefreshes(zipped, true));
  const Folder files = MakeProgramFolder(root / "folder", false);
  Report("artwork-refresh-folder", TimeRefreshes(files, false));
  std::error_code ec;
  fs::remove_all(root, ec);
  return 0;
}
