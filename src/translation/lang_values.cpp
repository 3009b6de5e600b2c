#include "translation/lang_values.h"

#include <charconv>
#include <cmath>

#include "platform/code_pages.h"
#include "translation/lang_encoding.h"

namespace kestrune::translation {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

constexpr long kLastCodePoint = 0x10FFFF;

bool IsSurrogate(long code) { return code >= 0xD800 && code <= 0xDFFF; }

// Reads the digits of a "#" code at value[i]; advances i past them. Returns -1 when there is no digit
// or the code is no character (checked as the digits come, so a long run of digits cannot overflow).
long ReadCharacterCode(std::string_view value, std::size_t& i) {
  const std::size_t start = i;
  long code = 0;
  while (i < value.size() && IsDigit(value[i])) {
    code = code * 10 + (value[i] - '0');
    if (code > kLastCodePoint) return -1;
    ++i;
  }
  return i == start || IsSurrogate(code) ? -1 : code;
}

// The text being decoded. Consecutive codes below 256 are bytes of the code page and are converted
// together, so that a double-byte character written as two codes ("#196#227" in GBK) stays one.
class LiteralText {
 public:
  explicit LiteralText(const std::string& codePage) : codePage_(codePage) {}
  void AddByte(char byte) { bytes_ += byte; }
  void AddCodePoint(char32_t code) {
    Flush();
    platform::AppendUtf8(text_, code);
  }
  void AddText(char c) {
    Flush();
    text_ += c;
  }
  std::string& Text() {
    Flush();
    return text_;
  }

 private:
  void Flush() {
    if (bytes_.empty()) return;
    text_ += CodePageBytesToUtf8(bytes_, codePage_);
    bytes_.clear();
  }
  const std::string& codePage_;
  std::string bytes_;
  std::string text_;
};

void Append(std::string& out, char c) { out += c; }
void Append(LiteralText& out, char c) { out.AddText(c); }

// Copies a quoted part starting after its opening quote at value[i]. Returns false when the part
// never closes; on success i stands after the closing quote.
template <typename Out>
bool ReadQuotedPart(std::string_view value, std::size_t& i, Out& out) {
  while (i < value.size()) {
    if (value[i] == '\'') {
      if (i + 1 < value.size() && value[i + 1] == '\'') {
        Append(out, '\'');
        i += 2;
        continue;
      }
      ++i;
      return true;
    }
    Append(out, value[i++]);
  }
  return false;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::optional<std::string> DecodeLangLiteral(std::string_view value, std::string* error, const std::string& codePage) {
  if (value.size() < 2) return std::string();
  LiteralText out(codePage);
  std::size_t i = 0;
  while (i < value.size()) {
    const char c = value[i];
    if (c == '\'') {
      ++i;
      if (!ReadQuotedPart(value, i, out)) return std::string();
      if (i < value.size() && value[i] != '#') return std::string();
    } else if (c == '#') {
      ++i;
      const long code = ReadCharacterCode(value, i);
      if (code < 0) {
        if (error != nullptr) *error = kBadCharacterCode;
        return std::nullopt;
      }
      if (code < 256) {
        out.AddByte(static_cast<char>(code));
      } else {
        out.AddCodePoint(static_cast<char32_t>(code));
      }
    } else {
      out.AddText(c);
      ++i;
    }
  }
  return std::move(out.Text());
}

std::vector<std::string> SplitDelimitedList(std::string_view value) {
  std::vector<std::string> items;
  std::size_t i = 0;
  const auto skipBlanks = [&] {
    while (i < value.size() && IsBlank(value[i])) ++i;
  };
  skipBlanks();
  while (i < value.size()) {
    std::string item;
    if (value[i] == '\'') {
      ++i;
      ReadQuotedPart(value, i, item);  // an unclosed quote takes the rest of the value
    } else {
      const std::size_t start = i;
      while (i < value.size() && !IsBlank(value[i]) && value[i] != ',') ++i;
      item.assign(value.substr(start, i - start));
    }
    items.push_back(std::move(item));
    skipBlanks();
    if (i < value.size() && value[i] == ',') {
      ++i;
      if (i == value.size()) items.emplace_back();
      skipBlanks();
    }
  }
  return items;
}

std::int32_t ReadLangInteger(std::string_view value) {
  int base = 10;
  if (!value.empty() && value.front() == '$') {
    value.remove_prefix(1);
    base = 16;
  } else if (!value.empty() && value.front() == '+') {
    value.remove_prefix(1);
    if (!value.empty() && value.front() == '-') return 0;
  }
  // from_chars takes a "-" of its own; a second sign, or any sign after "$", is not a number.
  if (value.empty() || value.front() == '+' || (base == 16 && value.front() == '-')) return 0;
  std::int32_t number = 0;
  const char* last = value.data() + value.size();
  const auto [end, error] = std::from_chars(value.data(), last, number, base);
  return error == std::errc() && end == last ? number : 0;
}

double ReadLangFloat(std::string_view value) {
  if (!value.empty() && value.front() == '+') {
    value.remove_prefix(1);
    if (!value.empty() && value.front() == '-') return 0;
  }
  if (value.empty() || value.front() == '+') return 0;
  double number = 0;
  const char* last = value.data() + value.size();
  const auto [end, error] = std::from_chars(value.data(), last, number);
  return error == std::errc() && end == last && std::isfinite(number) ? number : 0;
}

}  // namespace kestrune::translation
