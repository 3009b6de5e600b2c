#include "catalogue/game_record.h"

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

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

// Position of the next separator at or after `from`, or npos.
std::size_t NextSeparator(std::string_view text, std::size_t from) {
  if (from >= text.size()) {
    return std::string_view::npos;
  }
  const void* hit = std::memchr(text.data() + from, kFieldSeparator, text.size() - from);
  return hit == nullptr ? std::string_view::npos
                        : static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
}

// A whole catalogue is split on every list rebuild and search keystroke, so a line is scanned 64
// bytes at a time into a mask of its separators, and the separator positions are taken out of the
// mask without a branch per separator (with one every few bytes, such branches mispredict often).
constexpr std::size_t kBlock = 64;
constexpr int kSeparatorsAfterFlag = kLineFieldCount - 2;

// One bit per byte of the kBlock bytes at p, set where a separator stands.
std::uint64_t SeparatorMask(const char* p) {
#if defined(__SSE2__) || defined(_M_X64)
  const __m128i separator = _mm_set1_epi8(kFieldSeparator);
  std::uint64_t mask = 0;
  for (std::size_t k = 0; k < kBlock / 16; ++k) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    const auto bits = static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, separator)));
    mask |= std::uint64_t{bits} << (16 * k);
  }
  return mask;
#else
  std::uint64_t mask = 0;
  for (std::size_t k = 0; k < kBlock; ++k) {
    mask |= std::uint64_t{p[k] == kFieldSeparator} << k;
  }
  return mask;
#endif
}

int CountBits(std::uint64_t x) {
#if defined(__POPCNT__)
  return std::popcount(x);
#else
  // Without the instruction std::popcount is a library call; the same sum inline is cheaper here.
  x -= (x >> 1) & 0x5555555555555555ULL;
  x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
  return static_cast<int>((x * 0x0101010101010101ULL) >> 56);
#endif
}

// Separator positions of a line after its flag, in order.
struct SeparatorPositions {
  // Room for every separator needed plus one whole block, which Add may write past the count.
  std::array<std::size_t, kSeparatorsAfterFlag + kBlock + 1> at;
  int count = 0;

  void Add(std::uint64_t mask, std::size_t base) {
    const int found = CountBits(mask);
    std::size_t* out = at.data() + count;
    TakeEight(mask, base, out);
    if (found > 8) {
      TakeEight(mask, base, out + 8);
      for (int k = 16; k < found; ++k) {
        out[k] = base + static_cast<std::size_t>(std::countr_zero(mask));
        mask &= mask - 1;
      }
    }
    count += found;
  }

  // Writes the next eight positions whether or not there are so many; the surplus lies beyond count.
  static void TakeEight(std::uint64_t& mask, std::size_t base, std::size_t* out) {
    for (int k = 0; k < 8; ++k) {
      out[k] = base + static_cast<std::size_t>(std::countr_zero(mask));
      mask &= mask - 1;
    }
  }
};

// Collects the first 23 separators after the flag's own; fewer when the line has fewer.
void FindSeparators(std::string_view line, SeparatorPositions& positions) {
  const char* data = line.data();
  std::size_t i = 2;
  for (; i + kBlock <= line.size() && positions.count < kSeparatorsAfterFlag; i += kBlock) {
    positions.Add(SeparatorMask(data + i), i);
  }
  if (positions.count >= kSeparatorsAfterFlag || i >= line.size()) {
    return;
  }
  if (line.size() >= kBlock) {
    // The last block of the line, shifted past the bytes already scanned: no copy needed.
    const std::size_t last = line.size() - kBlock;
    positions.Add(SeparatorMask(data + last) >> (i - last), i);
  } else {
    char tail[kBlock] = {};
    std::memcpy(tail, data + i, line.size() - i);
    positions.Add(SeparatorMask(tail), i);
  }
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
  SeparatorPositions positions;
  FindSeparators(line, positions);
  if (positions.count < kSeparatorsAfterFlag) {
    return false;
  }
  fields[LineField::availflag] = line.substr(0, 1);
  std::size_t start = 2;
  for (int n = LineField::description; n < LineField::romstatus; ++n) {
    const std::size_t end = positions.at[static_cast<std::size_t>(n - 1)];
    fields[static_cast<std::size_t>(n)] = std::string_view(line.data() + start, end - start);
    start = end + 1;
  }
  fields[LineField::romstatus] = std::string_view(line.data() + start, line.size() - start);
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
