// The ROM scan on any collection, with its figures:
//   kestrune-scan LISTXML ROMPATH OUTDIR
// reads the game list LISTXML, verifies the archives of the ";"-separated folders of ROMPATH with
// OUTDIR as the program folder (the work files go there, sets.dat stays), and prints each figure as
// "name: value unit". The open/read/close floor is one pass over the same archives that only opens
// each file, reads its last 64 KB and closes it.
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "romscan/rom_path.h"
#include "romscan/rom_verifier.h"
#include "romscan/scan_work_files.h"

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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: kestrune-scan LISTXML ROMPATH OUTDIR\n");
    return 2;
  }
  RomScanState state;
  state.frontDir = std::string(argv[3]);
  if (state.frontDir.back() != '/') state.frontDir += '/';
  fs::create_directories(state.frontDir);
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
  options.threads = static_cast<int>(std::min(4u, std::max(1u, std::thread::hardware_concurrency())));
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
  std::printf("peak-memory: %.0f MB\n", PeakMemoryMb());
  return 0;
}
