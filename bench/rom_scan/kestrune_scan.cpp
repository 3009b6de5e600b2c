// The ROM scan on any collection, with its figures:
//   kestrune-scan LISTXML ROMPATH OUTDIR
// reads the game list LISTXML, verifies the archives of the ";"-separated folders of ROMPATH with
// OUTDIR as the program folder (the work files go there, sets.dat stays), builds the catalogue (the
// counters of OUTDIR/ini/kestrune.dat carried over unless OUTDIR/ini/kestrune.ini ticks keepcounters)
// and writes it to OUTDIR/ini/kestrune.dat. The open/read/close floor is one pass over the same
// archives that only opens each file, reads its last 64 KB and closes it.
//   kestrune-scan --mame MAME ROMPATH OUTDIR
// times the whole "Initialize Roms" as the program runs it: MAME -listxml at idle priority writing
// OUTDIR/roms.dat while the list is read, then verification, build and the catalogue written; beside
// it MAME's own -listxml run alone into a file at the same priority. The front-end's share is what
// comes after MAME has exited.
// Each figure is printed as "name: value unit".
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/catalogue_file.h"
#include "romscan/catalogue_build.h"
#include "romscan/rom_path.h"
#include "romscan/rom_verifier.h"
#include "romscan/scan_pass.h"
#include "romscan/scan_work_files.h"
#include "settings/ini_file.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace kestrune::romscan;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

double PeakMemoryMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

std::vector<fs::path> ZipFiles(const std::vector<std::string>& folders) {
  std::vector<fs::path> files;
  for (const std::string& folder : folders) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
      // Only regular files (a link to one counts), as in the program's own scan: opening a named
      // pipe called "*.zip" would wait forever for a writer.
      if (it->path().extension() == ".zip" && it->is_regular_file(ec)) files.push_back(it->path());
      ec.clear();
    }
  }
  return files;
}

// Open, read the tail where the directory ends, close: what no archive reader can beat.
double FloorRate(const std::vector<fs::path>& files) {
  std::vector<char> buffer(64 * 1024);
  const Clock::time_point start = Clock::now();
  for (const fs::path& file : files) {
    std::FILE* f = std::fopen(file.c_str(), "rb");
    if (f == nullptr) continue;
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fseek(f, size > static_cast<long>(buffer.size()) ? size - static_cast<long>(buffer.size()) : 0, SEEK_SET);
    if (std::fread(buffer.data(), 1, buffer.size(), f) == 0 && std::ferror(f)) std::fputs("read error\n", stderr);
    std::fclose(f);
  }
  return static_cast<double>(files.size()) / Seconds(start);
}

// The program folder's played games and whether its settings reset the counters.
struct OldCatalogue {
  std::vector<std::string> played;
  bool carryCounters = true;
};

OldCatalogue ReadOldCatalogue(const std::string& frontDir) {
  OldCatalogue old;
  kestrune::catalogue::Catalogue catalogue;
  std::string error;
  if (kestrune::catalogue::LoadCatalogue(catalogue, frontDir, &error) == kestrune::catalogue::CatalogueLoad::Failed) {
    std::fprintf(stderr, "%s\n", error.c_str());
  }
  old.played = CollectPlayedLines(catalogue.Lines());
  kestrune::settings::IniFile settings;
  settings.LoadFromFile(fs::path(frontDir) / "ini/kestrune.ini");
  const std::string* keep = settings.FindValue("kestruneui", "keepcounters");
  old.carryCounters = keep == nullptr || *keep != "1";
  return old;
}

bool SaveLines(std::vector<std::string> lines, const std::string& frontDir, std::string* error) {
  kestrune::catalogue::Catalogue catalogue;
  catalogue.Assign(std::move(lines));
  return kestrune::catalogue::SaveCatalogue(catalogue, frontDir, error);
}

std::string FolderArgument(const char* text) {
  std::string folder(text);
  if (folder.empty() || folder.back() != '/') folder += '/';
  fs::create_directories(folder + "ini");
  return folder;
}

int Threads() { return static_cast<int>(std::min(4u, std::max(1u, std::thread::hardware_concurrency()))); }

// Starts MAME -listxml at the lowest priority, its output into `output`; -1 when it cannot start.
pid_t StartMame(const std::string& mame, const std::string& output) {
  // The file is there, empty, before the reader looks for it (as when the program's runner returns).
  std::ofstream(output, std::ios::binary | std::ios::trunc);
  const pid_t pid = fork();
  if (pid != 0) return pid;
  const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int null = open("/dev/null", O_WRONLY);
  if (out < 0 || null < 0 || dup2(out, 1) < 0 || dup2(null, 2) < 0) _exit(127);
  [[maybe_unused]] const int niced = nice(19);
  execl(mame.c_str(), mame.c_str(), "-listxml", static_cast<char*>(nullptr));
  _exit(127);
}

bool MameExitedWell(int status) { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }

// MAME alone, then the whole command, one after the other on the same machine.
int RunWithMame(const std::string& mame, const std::string& romPath, const std::string& frontDir) {
  const std::string alone = frontDir + "mame-alone.xml";
  Clock::time_point start = Clock::now();
  const pid_t first = StartMame(mame, alone);
  int status = 0;
  if (first < 0 || waitpid(first, &status, 0) < 0 || !MameExitedWell(status)) {
    std::fprintf(stderr, "%s -listxml failed\n", mame.c_str());
    return 1;
  }
  const double mameSeconds = Seconds(start);
  fs::remove(alone);

  const OldCatalogue old = ReadOldCatalogue(frontDir);
  ScanPassParams params;
  params.frontDir = frontDir;
  params.romFolders = SplitRomPath("\"" + romPath + "\"");
  params.verify.threads = Threads();
  params.verify.date = "today";
  params.playedLines = old.played;
  params.carryCounters = old.carryCounters;
  std::atomic<bool> done{false};
  std::atomic<int> exitStatus{0};
  Clock::time_point mameEnd;
  params.read.writerDone = [&done] { return done.load(); };
  params.listDone = [&exitStatus](std::string* error) {
    if (MameExitedWell(exitStatus)) return true;
    *error = "MAME failed";
    return false;
  };
  start = Clock::now();
  const pid_t pid = StartMame(mame, frontDir + std::string(kListXmlFile));
  if (pid < 0) return 1;
  std::thread waiter([&] {
    int code = 0;
    waitpid(pid, &code, 0);
    mameEnd = Clock::now();
    exitStatus = code;
    done = true;
  });
  ScanPassResult result;
  std::string error;
  const bool scanned = RunScanPass(params, result, &error);
  waiter.join();
  const std::size_t lines = result.build.lines.size();
  const std::string roms = result.build.RomsText();
  if (!scanned || !SaveLines(std::move(result.build.lines), frontDir, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  RemoveScanFiles(frontDir);
  const double wholeSeconds = Seconds(start);
  const double shareSeconds = Seconds(mameEnd);
  std::printf("mame-listxml-alone-time: %.3f s\n", mameSeconds);
  std::printf("initialize-roms-time: %.3f s\n", wholeSeconds);
  std::printf("front-end-share-time: %.3f s\n", shareSeconds);
  std::printf("initialize-roms-vs-mame-alone: %.2f ratio\n", wholeSeconds / mameSeconds);
  std::printf("catalogue-lines: %zu count\n", lines);
  std::printf("counters-carried: %d count\n", result.carried);
  std::printf("roms-good-of-total: %s sets\n", roms.c_str());
  std::printf("peak-memory: %.0f MB\n", PeakMemoryMb());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--mame") return RunWithMame(argv[2], argv[3], FolderArgument(argv[4]));
  if (argc != 4) {
    std::fprintf(stderr,
                 "usage: kestrune-scan LISTXML ROMPATH OUTDIR\n       kestrune-scan --mame MAME ROMPATH OUTDIR\n");
    return 2;
  }
  RomScanState state;
  state.frontDir = FolderArgument(argv[3]);
  const std::vector<std::string> folders = SplitRomPath("\"" + std::string(argv[2]) + "\"");
  std::string error;

  Clock::time_point start = Clock::now();
  if (!ReadListXml(argv[1], state.list, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const double readSeconds = Seconds(start);

  start = Clock::now();
  const RomFolderIndex index(folders);
  if (!ParseListXmlRoms(state, index, &error) || !CollectBiosCrcs(state, index, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const double prepareSeconds = Seconds(start);

  const std::vector<fs::path> zips = ZipFiles(folders);
  FloorRate(zips);  // the same warm cache for both measurements

  std::atomic<long> opened{0};
  RomVerifyOptions options;
  options.threads = Threads();
  options.date = "today";
  options.lister = [&opened](const fs::path& archive, std::vector<std::uint32_t>& crcs) {
    opened.fetch_add(1, std::memory_order_relaxed);
    return ListArchiveCrcs(archive, crcs);
  };
  start = Clock::now();
  CheckBiosZips(state, index, options);
  const double biosSeconds = Seconds(start);
  Clock::time_point step = Clock::now();
  const bool scanned = ScanRomZips(state, index, options, &error);
  const double scanSeconds = Seconds(step);
  step = Clock::now();
  if (!scanned || !WriteSetVerdicts(state, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const double verdictSeconds = Seconds(step);
  const double verifySeconds = Seconds(start);
  const double floor = FloorRate(zips);

  long judged = 0;
  long good = 0;
  const SetJudge judge(state);
  for (std::size_t i = 0; i < state.list.sets.size(); ++i) {
    const std::optional<SetVerdict> verdict = judge.Judge(i);
    judged += verdict ? 1 : 0;
    good += verdict && (*verdict == SetVerdict::ok || *verdict == SetVerdict::noGoodDump) ? 1 : 0;
  }
  step = Clock::now();
  const OldCatalogue old = ReadOldCatalogue(state.frontDir);
  kestrune::settings::IniFile setsDat;
  setsDat.LoadFromFile(state.WorkFile(kSetsFile));
  const SetNames listed = ListedSetNames(state.list);
  CatalogueBuild build = BuildGameDatabase(state.list, setsDat, LoadSupportFiles(state.frontDir, listed));
  const int carried = old.carryCounters ? CarryCountersOver(old.played, build.lines) : 0;
  const double buildSeconds = Seconds(step);
  step = Clock::now();
  const std::size_t catalogueLines = build.lines.size();
  const std::string roms = build.RomsText();
  if (!SaveLines(std::move(build.lines), state.frontDir, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const double saveSeconds = Seconds(step);
  const double frontEndSeconds = readSeconds + prepareSeconds + verifySeconds + buildSeconds + saveSeconds;

  const double megabytes = static_cast<double>(state.list.bytes) / 1e6;
  std::printf("listxml-size: %.1f MB\n", megabytes);
  std::printf("listxml-lines: %lld count\n", static_cast<long long>(state.list.lines));
  std::printf("machines: %zu count\n", state.list.sets.size());
  std::printf("listxml-read: %.0f MB/s\n", megabytes / readSeconds);
  std::printf("listxml-read-time: %.3f s\n", readSeconds);
  std::printf("work-files-time: %.3f s\n", prepareSeconds);
  std::printf("archives-read: %ld count\n", opened.load());
  std::printf("bios-check-time: %.3f s\n", biosSeconds);
  std::printf("archive-scan-time: %.3f s\n", scanSeconds);
  std::printf("verdicts-time: %.3f s\n", verdictSeconds);
  std::printf("verify-time: %.3f s\n", verifySeconds);
  std::printf("verify-rate: %.0f archives/s\n", static_cast<double>(opened.load()) / verifySeconds);
  std::printf("open-read-close-floor: %.0f archives/s\n", floor);
  std::printf("verify-vs-floor: %.2f ratio\n", static_cast<double>(opened.load()) / verifySeconds / floor);
  std::printf("sets-judged: %ld count\n", judged);
  std::printf("sets-available: %ld count\n", good);
  std::printf("build-time: %.3f s\n", buildSeconds);
  std::printf("catalogue-save-time: %.3f s\n", saveSeconds);
  std::printf("catalogue-lines: %zu count\n", catalogueLines);
  std::printf("counters-carried: %d count\n", carried);
  std::printf("roms-good-of-total: %s sets\n", roms.c_str());
  std::printf("front-end-time: %.3f s\n", frontEndSeconds);
  std::printf("peak-memory: %.0f MB\n", PeakMemoryMb());
  return 0;
}
