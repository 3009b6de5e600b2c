// Times the program's start on a program folder of full size: a 45,000-line catalogue, a 30 MB
// history.dat, a 10 MB mameinfo.dat and the settings an earlier run left. The folder is made once in a
// temporary folder; then this program starts itself several times as the measured program, which runs
// offscreen, creates the windows as the program does and reports when its main window was painted with
// the game list filled. Each start is timed from just before its process is started (CLOCK_MONOTONIC
// is one clock for all processes), so loading the libraries counts. Prints `name: value unit` lines:
// the median of each step and of the whole start (`start-up`), and the fastest whole start.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QListView>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue_file.h"
#include "common/catalogue_generator.h"
#include "mainwindow/game_list_controller.h"
#include "mainwindow/game_list_model.h"
#include "mainwindow/main_window.h"
#include "mainwindow/program_windows.h"
#include "platform/text_file.h"
#include "settings/settings.h"

extern char** environ;

namespace {

constexpr int kGames = 45000;
constexpr std::size_t kHistoryBytes = std::size_t{30} << 20;
constexpr std::size_t kMameInfoBytes = std::size_t{10} << 20;
constexpr int kDefaultRuns = 7;
constexpr int kSelectedRow = 20000;
constexpr int kStartTimeoutMs = 120000;
constexpr std::string_view kMeasuredStartFlag = "--measured-start";

// The steps of a start in their order, as the measured program reports them, with the figure each
// one's median is printed as. The last step is the whole start.
struct Step {
  const char* reported;
  const char* figure;
};
constexpr std::array<Step, 6> kSteps{{
    {"main", "start-up-main-entered"},
    {"application", "start-up-application-made"},
    {"created", "start-up-windows-created"},
    {"shown", "start-up-first-show-done"},
    {"listed", "start-up-list-filled"},
    {"painted", "start-up"},
}};

std::int64_t MonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return std::int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

// ---- The measured program ----

int FailStart(const std::string& text) {
  std::fprintf(stderr, "startup_bench: the measured start failed: %s\n", text.c_str());
  return 1;
}

// Notes the first paint of the game list once it has rows: the moment the user sees the list.
class ListPaintWatch : public QObject {
 public:
  bool Painted() const { return painted_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && Form1 != nullptr && Form1->gameList()->Model()->rowCount() > 0) {
      painted_ = true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool painted_ = false;
};

// Runs the event loop until `done` holds; false when the start takes longer than anyone would wait.
template <typename Condition>
bool ProcessEventsUntil(const QDeadlineTimer& deadline, Condition done) {
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return true;
}

// The offscreen platform's notes on every start say nothing about the program; the rest is passed on.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (text.contains(QLatin1String("propagateSizeHints")) || text.contains(QLatin1String("XDG_RUNTIME_DIR"))) return;
  std::fprintf(stderr, "%s\n", qUtf8Printable(qFormatLogMessage(type, context, text)));
}

int MeasuredStart(int& argc, char** argv, const char* folder) {
  std::vector<std::pair<const char*, std::int64_t>> times{{"main", MonotonicNs()}};
  qInstallMessageHandler(QuietMessages);
  // The program folder is the current folder at start, as for the program.
  if (chdir(folder) != 0) return FailStart(std::string("cannot enter ") + folder + ": " + std::strerror(errno));
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kestrune"));
  QApplication::setQuitOnLastWindowClosed(false);
  times.emplace_back("application", MonotonicNs());

  CreateProgramWindows();
  times.emplace_back("created", MonotonicNs());
  ListPaintWatch watch;
  for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(Form1->gameList()->View()->ReportView()),
                                  static_cast<QAbstractItemView*>(Form1->gameList()->View()->IconView())}) {
    view->viewport()->installEventFilter(&watch);
  }
  // The first activation ends by telling the panes which game is selected, its list built by then.
  std::int64_t listedNs = 0;
  QObject::connect(Form1->gameList(), &GameListController::selectedGameChanged, &watch, [&listedNs] {
    if (listedNs == 0 && Form1->StartupDone() && Form1->gameList()->Model()->rowCount() > 0) listedNs = MonotonicNs();
  });
  Form1->show();
  times.emplace_back("shown", MonotonicNs());

  // Keeps the wait for events from sleeping past the deadline when nothing else happens.
  QTimer wake;
  wake.start(50);
  const QDeadlineTimer deadline(kStartTimeoutMs);
  if (!ProcessEventsUntil(deadline, [] { return Form1->StartupDone(); })) {
    return FailStart("the main window did not finish its first activation");
  }
  const int rows = Form1->gameList()->Model()->rowCount();
  if (Form1->catalogue().Count() != kGames) {
    return FailStart("the catalogue holds " + std::to_string(Form1->catalogue().Count()) + " lines instead of " +
                     std::to_string(kGames));
  }
  if (rows == 0) return FailStart("the game list is empty after start-up");
  if (listedNs == 0) return FailStart("the first activation never announced the selected game");
  times.emplace_back("listed", listedNs);
  if (!Form1->HistoryLoaded() || !Form1->MameInfoLoaded()) {
    return FailStart("history.dat or mameinfo.dat was not loaded");
  }
  if (!ProcessEventsUntil(deadline, [&watch] { return watch.Painted(); })) {
    return FailStart("the game list was never painted");
  }
  times.emplace_back("painted", MonotonicNs());

  for (const auto& [step, ns] : times) std::printf("step %s %lld\n", step, static_cast<long long>(ns));
  std::printf("rows %d\n", rows);
  std::fflush(stdout);
  // Left without closing the window, so that nothing is saved and every start finds the same folder.
  DestroyProgramWindows();
  return 0;
}

// ---- The timing program ----

// The temporary program folder, removed with everything in it when the timing ends.
class ProgramFolder {
 public:
  ProgramFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kestrune-startup-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      throw std::runtime_error("cannot make a temporary folder: " + std::string(std::strerror(errno)));
    }
    path_ = pattern + "/";
  }
  ProgramFolder(const ProgramFolder&) = delete;
  ProgramFolder& operator=(const ProgramFolder&) = delete;
  ~ProgramFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

void WriteFile(const std::filesystem::path& path, std::string_view data) {
  std::string error;
  if (!kestrune::platform::WriteFileAtomic(path, data, &error)) throw std::runtime_error(error);
}

void FillProgramFolder(const std::string& frontDir) {
  std::filesystem::create_directories(frontDir + "ini");
  kestrune::catalogue::Catalogue catalogue;
  catalogue.Assign(kestrune::bench::GenerateGameCatalogue(kGames, 2024));
  std::string error;
  if (!kestrune::catalogue::SaveCatalogue(catalogue, frontDir, &error)) throw std::runtime_error(error);
  WriteFile(frontDir + "history.dat", kestrune::bench::GenerateHistoryDat(kHistoryBytes, 2024));
  WriteFile(frontDir + "mameinfo.dat", kestrune::bench::GenerateMameInfoDat(kMameInfoBytes, 2024));
  // A stand-in for MAME: the start only checks that the settings' executable is there and runnable.
  WriteFile(frontDir + "mame", "#!/bin/sh\nexit 0\n");
  std::filesystem::permissions(frontDir + "mame", std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);
  kestrune::settings::Settings settings(frontDir);
  settings.WriteDefaults(frontDir, "mame", "0.251");
  settings.WriteInt(kestrune::settings::kUiSection, "selected", kSelectedRow);
  if (!settings.Save(&error)) throw std::runtime_error(error);
}

struct StartTimes {
  std::map<std::string, double> msSinceSpawn;
  int rows = 0;
};

std::string RunMeasuredStart(const std::string& self, const std::string& frontDir, std::int64_t& spawnedNs) {
  int output[2];
  if (pipe2(output, O_CLOEXEC) != 0) throw std::runtime_error("pipe: " + std::string(std::strerror(errno)));
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
  std::string flag(kMeasuredStartFlag);
  std::string folder = frontDir;
  std::string program = self;
  char* arguments[] = {program.data(), flag.data(), folder.data(), nullptr};
  pid_t child = 0;
  spawnedNs = MonotonicNs();
  const int spawned = posix_spawn(&child, self.c_str(), &actions, nullptr, arguments, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(output[1]);
  if (spawned != 0) {
    close(output[0]);
    throw std::runtime_error("cannot start " + self + ": " + std::strerror(spawned));
  }
  std::string text;
  char buffer[4096];
  for (ssize_t got; (got = read(output[0], buffer, sizeof buffer)) != 0;) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  close(output[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error("the measured start ended with status " + std::to_string(status) +
                             " (its messages are above)");
  }
  return text;
}

StartTimes TimeOneStart(const std::string& self, const std::string& frontDir) {
  std::int64_t spawnedNs = 0;
  std::istringstream report(RunMeasuredStart(self, frontDir, spawnedNs));
  StartTimes times;
  for (std::string word; report >> word;) {
    if (word == "step") {
      std::string step;
      long long ns = 0;
      report >> step >> ns;
      times.msSinceSpawn[step] = static_cast<double>(ns - spawnedNs) / 1e6;
    } else if (word == "rows") {
      report >> times.rows;
    }
  }
  for (const Step& step : kSteps) {
    if (times.msSinceSpawn.count(step.reported) == 0) {
      throw std::runtime_error(std::string("the measured start did not report its step \"") + step.reported + "\"");
    }
  }
  return times;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

int TimeStarts(int runs) {
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  ProgramFolder folder;
  FillProgramFolder(folder.Path());
  // The first start writes the option files a program folder keeps (mame.ini, the BIOS ini files) and
  // brings the files into the page cache; every timed start after it finds the same folder.
  TimeOneStart(self, folder.Path());
  std::vector<StartTimes> starts;
  for (int run = 0; run < runs; ++run) starts.push_back(TimeOneStart(self, folder.Path()));

  std::printf("start-up-catalogue: %d lines\n", kGames);
  std::printf("start-up-rows: %d games\n", starts.front().rows);
  for (const Step& step : kSteps) {
    std::vector<double> ms;
    for (const StartTimes& start : starts) ms.push_back(start.msSinceSpawn.at(step.reported));
    std::printf("%s: %.0f ms\n", step.figure, Median(ms));
    if (&step == &kSteps.back()) std::printf("start-up-min: %.0f ms\n", *std::min_element(ms.begin(), ms.end()));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  if (arguments.size() == 2 && arguments[0] == kMeasuredStartFlag) return MeasuredStart(argc, argv, argv[2]);
  int runs = kDefaultRuns;
  if (arguments.size() == 2 && arguments[0] == "--runs" && std::atoi(argv[2]) > 0) {
    runs = std::atoi(argv[2]);
  } else if (!arguments.empty()) {
    std::fprintf(stderr, "usage: %s [--runs N]\n", argv[0]);
    return 2;
  }
  try {
    return TimeStarts(runs);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "startup_bench: %s\n", failure.what());
    return 1;
  }
}
