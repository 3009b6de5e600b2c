#include "translation/lang_values.h"

#include <charconv>
#include <cmath>

#include "platform/code_pages.h"

namespace kestrune::translation {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the digits of a "#" code at value[i]; advances i past them. Returns -1 when there is no digit
// or the code exceeds 255 (checked as the digits come, so a long run of digits cannot overflow).
int ReadCharacterCode(std::string_view value, std::size_t& i) {
  const std::size_t start = i;
  int code = 0;
  while (i < value.size() && IsDigit(value[i])) {
    code = code * 10 + (value[i] - '0');
    if (code > 255) return -1;
    ++i;
  }
  return i == start ? -1 : code;
}

// Copies a quoted part starting after its opening quote at value[i]. Returns false when the part
// never closes; on success i stands after the closing quote.
bool ReadQuotedPart(std::string_view value, std::size_t& i, std::string& out) {
  while (i < value.size()) {
    if (value[i] == '\'') {
      if (i + 1 < value.size() && value[i + 1] == '\'') {
        out += '\'';
        i += 2;
        continue;
      }
      ++i;
      return true;
    }
    out += value[i++];
  }
  return false;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::optional<std::string> DecodeLangLiteral(std::string_view value, std::string* error) {
  std::string out;
  if (value.size() < 2) return out;
  std::size_t i = 0;
  while (i < value.size()) {
    const char c = value[i];
    if (c == '\'') {
      ++i;
      if (!ReadQuotedPart(value, i, out)) return std::string();
      if (i < value.size() && value[i] != '#') return std::string();
    } else if (c == '#') {
      ++i;
      const int code = ReadCharacterCode(value, i);
      if (code < 0) {
        if (error != nullptr) *error = kBadCharacterCode;
        return std::nullopt;
      }
      platform::AppendUtf8(out, static_cast<char32_t>(code));
    } else {
      out += c;
      ++i;
    }
  }
  return out;
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
