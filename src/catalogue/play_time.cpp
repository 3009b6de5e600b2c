#include "catalogue/play_time.h"

#include <charconv>
#include <limits>

namespace kestrune::catalogue {
namespace {

constexpr std::int64_t kMsPerSecond = 1000;
constexpr std::int64_t kMsPerMinute = 60 * kMsPerSecond;
constexpr std::int64_t kMsPerHour = 60 * kMsPerMinute;

// A non-empty run of ASCII digits that fits in 64 bits; signs, blanks and overflow are refused.
bool ParseDigits(std::string_view text, std::int64_t& value) {
  if (text.empty()) {
    return false;
  }
  for (char c : text) {
    if (c < '0' || c > '9') {
      return false;
    }
  }
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

// Minutes or seconds: one or two digits, below 60.
bool ParseSexagesimal(std::string_view text, std::int64_t& value) {
  return text.size() <= 2 && ParseDigits(text, value) && value < 60;
}

}  // namespace

std::string PadTwoDigits(std::int64_t value) {
  std::string text = std::to_string(value);
  if (value >= 0 && value < 10) {
    text.insert(text.begin(), '0');
  }
  return text;
}

std::string FormatPlayTime(std::int64_t later, std::int64_t earlier) {
  if (later <= earlier) {
    return "00:00:00";
  }
  // Unsigned, so that the difference of two far-apart counts cannot overflow.
  const std::uint64_t d = static_cast<std::uint64_t>(later) - static_cast<std::uint64_t>(earlier);
  const std::uint64_t hours = d / kMsPerHour;
  const std::uint64_t minutes = d % kMsPerHour / kMsPerMinute;
  const std::uint64_t seconds = d % kMsPerMinute / kMsPerSecond;
  std::string text = PadTwoDigits(static_cast<std::int64_t>(hours));
  text += ':';
  text += PadTwoDigits(static_cast<std::int64_t>(minutes));
  text += ':';
  text += PadTwoDigits(static_cast<std::int64_t>(seconds));
  return text;
}

std::int64_t ParsePlayTime(std::string_view text) {
  const std::size_t first = text.find(':');
  if (first == std::string_view::npos) {
    return 0;
  }
  const std::size_t second = text.find(':', first + 1);
  if (second == std::string_view::npos) {
    return 0;
  }
  std::int64_t hours = 0;
  std::int64_t minutes = 0;
  std::int64_t seconds = 0;
  if (!ParseDigits(text.substr(0, first), hours) ||
      !ParseSexagesimal(text.substr(first + 1, second - first - 1), minutes) ||
      !ParseSexagesimal(text.substr(second + 1), seconds)) {
    return 0;
  }
  if (hours > (std::numeric_limits<std::int64_t>::max() - kMsPerHour) / kMsPerHour) {
    return 0;
  }
  return hours * kMsPerHour + minutes * kMsPerMinute + seconds * kMsPerSecond;
}

std::int64_t ParseTimesPlayed(std::string_view text) { return ReadTimesPlayed(text).value_or(0); }

std::optional<std::int64_t> ReadTimesPlayed(std::string_view text) {
  std::int64_t value = 0;
  return ParseDigits(text, value) ? std::optional<std::int64_t>(value) : std::nullopt;
}

}  // namespace kestrune::catalogue
