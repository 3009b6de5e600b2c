#pragma once

#include <string>
#include <string_view>

#include "catalogue/catalogue_file.h"

// The preferences' one-shot resets of the play counters of every catalogue line.
namespace kestrune::catalogue {

// Replaces the text between the separators `after` and `after - 1` counted from the line's end (the
// 1st separator from the end is the one before the last field), so that a "|" inside an earlier field,
// a description say, cannot shift the field. A line with fewer separators is left as it is; returns
// whether the line changed.
bool ReplaceFieldFromEnd(std::string& line, int after, std::string_view value);

// Every line's `timesplayed` becomes "0"; returns how many lines changed.
int ResetPlayCounts(Catalogue& catalogue);
// Every line's `playtime` becomes "00:00:00"; returns how many lines changed.
int ResetPlayTimes(Catalogue& catalogue);

}  // namespace kestrune::catalogue
