#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The play counters of a game: total play time as "h:mm:ss" text and the number of starts.
namespace kestrune::catalogue {

// The decimal text of value, with a leading "0" when it is 0..9.
std::string PadTwoDigits(std::int64_t value);

// later - earlier (milliseconds) as hours:minutes:seconds, at least two digits each; hours are not
// limited, leftover milliseconds are dropped, and a negative difference gives "00:00:00".
std::string FormatPlayTime(std::int64_t later, std::int64_t earlier);

// Milliseconds of an "h:mm:ss" play time with any number of hour digits; malformed text gives 0.
std::int64_t ParsePlayTime(std::string_view text);

// The played count; anything but a plain decimal number (or one too large) gives 0.
std::int64_t ParseTimesPlayed(std::string_view text);

// The played count when the text is a plain decimal number that fits; nothing otherwise.
std::optional<std::int64_t> ReadTimesPlayed(std::string_view text);

}  // namespace kestrune::catalogue
