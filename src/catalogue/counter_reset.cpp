#include "catalogue/counter_reset.h"

#include "catalogue/game_record.h"

namespace kestrune::catalogue {
namespace {

// Separators from the end of a line of 25 fields: the 5th stands before `timesplayed`, the 4th before
// `playtime`.
constexpr int kBeforeTimesPlayed = kLineFieldCount - LineField::timesplayed;
constexpr int kBeforePlayTime = kLineFieldCount - LineField::playtime;

int ResetEveryLine(Catalogue& catalogue, int after, std::string_view value) {
  int changed = 0;
  for (int i = 0; i < catalogue.Count(); ++i) {
    std::string line = catalogue[i];
    if (ReplaceFieldFromEnd(line, after, value) && line != catalogue[i]) {
      catalogue.Replace(i, std::move(line));
      ++changed;
    }
  }
  return changed;
}

}  // namespace

bool ReplaceFieldFromEnd(std::string& line, int after, std::string_view value) {
  if (after < 1) return false;
  std::size_t end = std::string::npos;  // the separator after the field
  int seen = 0;
  for (std::size_t i = line.size(); i-- > 0;) {
    if (line[i] != kFieldSeparator) continue;
    ++seen;
    if (seen == after - 1) end = i;
    if (seen == after) {
      const std::size_t start = i + 1;
      const std::size_t stop = after == 1 ? line.size() : end;
      line.replace(start, stop - start, value);
      return true;
    }
  }
  return false;
}

int ResetPlayCounts(Catalogue& catalogue) { return ResetEveryLine(catalogue, kBeforeTimesPlayed, "0"); }

int ResetPlayTimes(Catalogue& catalogue) { return ResetEveryLine(catalogue, kBeforePlayTime, "00:00:00"); }

}  // namespace kestrune::catalogue
