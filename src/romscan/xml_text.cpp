#include "romscan/xml_text.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "platform/code_pages.h"

namespace kestrune::romscan {
namespace {

bool IsXmlBlank(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

struct NamedReference {
  std::string_view name;
  char character;
};

constexpr std::array<NamedReference, 6> kNamedReferences{{
    {"quot", '"'},
    {"lt", '<'},
    {"gt", '>'},
    {"apos", '\''},
    {"amp", '&'},
    {"nbsp", ' '},  // a plain blank: the catalogue has no use for a non-breaking one
}};

int DigitValue(char c, int base) {
  if (c >= '0' && c <= '9') return c - '0';
  if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The number of a numeric reference's text ("65", "x41"), or -1 when it is not a number or does not
// fit a 32-bit signed integer.
long long ParseReferenceNumber(std::string_view text) {
  int base = 10;
  if (!text.empty() && (text[0] == 'x' || text[0] == 'X')) {
    base = 16;
    text.remove_prefix(1);
  }
  if (text.empty()) return -1;
  long long value = 0;
  for (char c : text) {
    const int digit = DigitValue(c, base);
    if (digit < 0) return -1;
    value = value * base + digit;
    if (value > 0x7FFFFFFF) return -1;
  }
  return value;
}

// Characters that would split a line or a catalogue field, or end a text file early.
bool IsUnsafeCharacter(std::uint8_t byte) {
  return byte == 0 || byte == '\r' || byte == '\n' || byte == 0x1A || byte == '|';
}

void AppendNumericReference(std::string_view number, std::string& out) {
  const long long value = ParseReferenceNumber(number);
  const auto byte = static_cast<std::uint8_t>(value & 0xFF);
  if (value < 0 || IsUnsafeCharacter(byte)) {
    out.push_back(' ');
    return;
  }
  platform::AppendUtf8(out, platform::Cp1252ToUnicode(byte));
}

const NamedReference* FindNamedReference(std::string_view name) {
  for (const NamedReference& reference : kNamedReferences) {
    if (reference.name == name) return &reference;
  }
  return nullptr;
}

}  // namespace

std::string_view TrimXmlLine(std::string_view line) {
  std::size_t first = 0;
  std::size_t last = line.size();
  while (first < last && IsXmlBlank(line[first])) ++first;
  while (last > first && IsXmlBlank(line[last - 1])) --last;
  return line.substr(first, last - first);
}

void DecodeXmlEntities(std::string_view line, std::string& out) {
  out.clear();
  line = TrimXmlLine(line);
  std::size_t pos = 0;
  // The terminator found for an earlier "&" also ends every later reference that starts before it,
  // so a line of unknown names ("&&&…") is searched once, not once per "&".
  std::size_t terminator = 0;
  while (pos < line.size()) {
    const std::size_t amp = line.find('&', pos);
    if (amp == std::string_view::npos) break;
    out.append(line.substr(pos, amp - pos));
    if (terminator != std::string_view::npos && terminator <= amp) terminator = line.find_first_of("; ", amp + 1);
    const std::size_t end = terminator;
    const std::size_t bodyEnd = end == std::string_view::npos ? line.size() : end;
    const std::size_t next = end == std::string_view::npos ? line.size() : end + 1;
    const std::string_view body = line.substr(amp + 1, bodyEnd - amp - 1);
    if (!body.empty() && body[0] == '#') {
      AppendNumericReference(body.substr(1), out);
      pos = next;
    } else if (const NamedReference* named = FindNamedReference(body)) {
      out.push_back(named->character);
      pos = next;
    } else {
      // Left as it is; a later reference inside it is still decoded.
      out.push_back('&');
      pos = amp + 1;
    }
  }
  if (pos < line.size()) out.append(line.substr(pos));
}

std::string DecodeXmlEntities(std::string_view line) {
  std::string out;
  DecodeXmlEntities(line, out);
  return out;
}

std::string_view XmlAttrValue(std::string_view line, std::string_view name) {
  std::size_t from = 0;
  while (true) {
    const std::size_t at = line.find(name, from);
    if (at == std::string_view::npos) return {};
    const std::size_t after = at + name.size();
    if (line.substr(after, 2) == "=\"") {
      const std::size_t open = after + 2;
      const std::size_t close = line.find('"', open);
      if (close == std::string_view::npos) return {};
      return line.substr(open, close - open);
    }
    from = at + 1;
  }
}

}  // namespace kestrune::romscan
