// Times splitting a full-size catalogue into game records, as every list rebuild and every search
// keystroke does. Prints `name: value unit` lines.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/catalogue_file.h"
#include "common/catalogue_generator.h"
#include "catalogue/game_record.h"

namespace {

using kestrune::catalogue::Tgameinfo;

constexpr int kLines = 45'000;
constexpr int kRuns = 31;

// Median of kRuns timed runs, in milliseconds.
double MedianMs(const std::function<void()>& run) {
  std::vector<double> times;
  for (int i = 0; i < kRuns; ++i) {
    const auto start = std::chrono::steady_clock::now();
    run();
    const auto end = std::chrono::steady_clock::now();
    times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  }
  std::nth_element(times.begin(), times.begin() + kRuns / 2, times.end());
  return times[kRuns / 2];
}

void Report(const char* name, double ms) { std::printf("%s: %.3f ms\n", name, ms); }

}  // namespace

int main() {
  const std::vector<std::string> lines = kestrune::bench::GenerateGameCatalogue(kLines, 1);
  kestrune::catalogue::Catalogue catalogue;
  catalogue.Assign(lines);
  std::printf("catalogue-lines: %d lines\n", catalogue.Count());

  Report("catalogue-split-fields", MedianMs([&] {
           kestrune::catalogue::LineFields fields;
           int games = 0;
           for (int i = 0; i < catalogue.Count(); ++i) {
             games += kestrune::catalogue::SplitCatalogueLine(catalogue[i], fields) ? 1 : 0;
             benchmark::DoNotOptimize(fields);
           }
           benchmark::DoNotOptimize(games);
         }));

  // A list rebuild fills the same Games array again and again, so record buffers are reused.
  std::vector<Tgameinfo> games(static_cast<std::size_t>(catalogue.Count()));
  Report("catalogue-split", MedianMs([&] {
           int count = 0;
           for (int i = 0; i < catalogue.Count(); ++i) {
             count +=
                 kestrune::catalogue::ParseGameRecord(catalogue[i], games[static_cast<std::size_t>(count)]) ? 1 : 0;
           }
           benchmark::DoNotOptimize(count);
           benchmark::ClobberMemory();
         }));

  Report("catalogue-split-fresh-records", MedianMs([&] {
           std::vector<Tgameinfo> fresh(static_cast<std::size_t>(catalogue.Count()));
           int count = 0;
           for (int i = 0; i < catalogue.Count(); ++i) {
             count +=
                 kestrune::catalogue::ParseGameRecord(catalogue[i], fresh[static_cast<std::size_t>(count)]) ? 1 : 0;
           }
           benchmark::DoNotOptimize(count);
           benchmark::DoNotOptimize(fresh.data());
         }));

  Report("catalogue-rebuild-lines", MedianMs([&] {
           std::size_t bytes = 0;
           for (const Tgameinfo& record : games) {
             bytes += kestrune::catalogue::BuildCatalogueLine(record).size();
           }
           benchmark::DoNotOptimize(bytes);
         }));
  return 0;
}
