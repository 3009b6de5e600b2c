#include "catalogue/game_record.h"

#include <cstring>

namespace kestrune::catalogue {
namespace {

constexpr bool LineFieldsInOrder() {
  for (int i = 0; i < kLineFieldCount; ++i) {
    if (kLineFields[static_cast<std::size_t>(i)].number != i) {
      return false;
    }
  }
  return true;
}
static_assert(LineFieldsInOrder(), "kLineFields rows must stand in line-field order");

// Position of the next separator at or after `from`, or npos. memchr keeps the split of a whole
// catalogue within a few milliseconds.
std::size_t NextSeparator(std::string_view text, std::size_t from) {
  if (from >= text.size()) {
    return std::string_view::npos;
  }
  const void* hit = std::memchr(text.data() + from, kFieldSeparator, text.size() - from);
  return hit == nullptr ? std::string_view::npos
                        : static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
}

bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::string_view RomStatusTextOf(std::string_view romstatus) {
  if (romstatus.size() != 1 || romstatus[0] < '0' || romstatus[0] > '6') {
    return {};
  }
  return RomStatusText[static_cast<std::size_t>(romstatus[0] - '0')];
}

bool SplitCatalogueLine(std::string_view line, LineFields& fields) {
  // The flag is the first character and the second is its separator; a line shaped otherwise would
  // shift every later field, so it is not a game.
  if (line.size() < 2 || line[1] != kFieldSeparator) {
    return false;
  }
  fields[LineField::availflag] = line.substr(0, 1);
  std::size_t pos = 2;
  for (int n = LineField::description; n < LineField::romstatus; ++n) {
    const std::size_t sep = NextSeparator(line, pos);
    if (sep == std::string_view::npos) {
      return false;
    }
    fields[static_cast<std::size_t>(n)] = line.substr(pos, sep - pos);
    pos = sep + 1;
  }
  fields[LineField::romstatus] = line.substr(pos);
  return true;
}

std::string_view CutYear(std::string_view year) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < year.size(); ++i) {
    if (IsUtf8Continuation(year[i])) {
      continue;
    }
    if (chars == kYearLength) {
      return year.substr(0, i);
    }
    ++chars;
  }
  return year;
}

void FillGameRecord(const LineFields& fields, Tgameinfo& record) {
  for (const LineFieldInfo& info : kLineFields) {
    const std::string_view value = fields[static_cast<std::size_t>(info.number)];
    record.*info.member = info.number == LineField::year ? CutYear(value) : value;
  }
  record.imageindex = 0;
}

bool ParseGameRecord(std::string_view line, Tgameinfo& record) {
  LineFields fields;
  if (!SplitCatalogueLine(line, fields)) {
    return false;
  }
  FillGameRecord(fields, record);
  return true;
}

std::optional<Tgameinfo> ParseGameRecord(std::string_view line) {
  Tgameinfo record;
  if (!ParseGameRecord(line, record)) {
    return std::nullopt;
  }
  return record;
}

void AppendLineFields(const Tgameinfo& record, int first, std::string& out) {
  for (int n = first; n < kLineFieldCount; ++n) {
    if (n > first) {
      out += kFieldSeparator;
    }
    const std::string& value = RecordField(record, n);
    out += n == LineField::year ? CutYear(value) : std::string_view(value);
  }
}

std::string BuildCatalogueLine(const Tgameinfo& record) {
  std::string line;
  line.reserve(256);
  AppendLineFields(record, LineField::availflag, line);
  return line;
}

std::string_view GetLineField(std::string_view line, int n) {
  if (n < 1 || n > LineField::romname || line.empty()) {
    return {};
  }
  std::size_t pos = 1;
  for (int count = 0; count < n; ++count) {
    const std::size_t sep = NextSeparator(line, pos);
    if (sep == std::string_view::npos) {
      return {};
    }
    pos = sep + 1;
  }
  const std::size_t end = NextSeparator(line, pos);
  if (end == std::string_view::npos) {
    return {};
  }
  return line.substr(pos, end - pos);
}

std::string_view GetRomToken(std::string_view line) {
  const std::size_t last = line.rfind(kFieldSeparator);
  if (last == std::string_view::npos || last == 0) {
    return {};
  }
  const std::size_t before = line.rfind(kFieldSeparator, last - 1);
  if (before == std::string_view::npos) {
    return {};
  }
  return line.substr(before, last - before + 1);
}

}  // namespace kestrune::catalogue
