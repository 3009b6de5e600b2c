#include "catalogue/case_fold.h"

#include <cstdint>

#include "platform/code_pages.h"
#include "zip/wide_string.h"

namespace kestrune::catalogue {
namespace {

bool IsAscii(std::string_view text) {
  unsigned char any = 0;
  for (const char c : text) {
    any |= static_cast<unsigned char>(c);
  }
  return any < 0x80;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

char32_t FoldCodePoint(char32_t cp) {
  if (cp > 0xFFFF) {
    return cp;
  }
  const auto unit = static_cast<char16_t>(cp);
  return zip::WideLowerChar(zip::WideUpperChar(unit));
}

// U+DC80 + byte - 0x80 in the UTF-8 form: no valid sequence is ever folded into these bytes.
void AppendStrayByte(std::string& out, std::uint8_t byte) {
  out.push_back(static_cast<char>(0xED));
  out.push_back(static_cast<char>(0xB2 | ((byte >> 6) & 1)));
  out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
}

// Both texts ASCII, `folded` already folded.
bool EqualAsciiAt(std::string_view field, std::size_t at, std::string_view folded) {
  for (std::size_t i = 0; i < folded.size(); ++i) {
    if (LowerAscii(field[at + i]) != folded[i]) {
      return false;
    }
  }
  return true;
}

enum class AsciiMatch { kFound, kAbsent, kNotAscii };

// Looks for an ASCII text, already folded and not empty, in a field and notes on the way whether the
// field is ASCII: nearly every field is, and then it need not be folded. A match found among ASCII
// bytes is a match whatever else the field holds.
AsciiMatch FindInAscii(std::string_view field, std::string_view folded) {
  // A letter also matches its capital: the two differ only in bit 0x20.
  const char first = folded[0];
  const char mask = first >= 'a' && first <= 'z' ? 0x20 : 0;
  const std::string_view rest = folded.substr(1);
  unsigned char seen = 0;
  std::size_t at = 0;
  for (; at + folded.size() <= field.size(); ++at) {
    const char c = field[at];
    seen |= static_cast<unsigned char>(c);
    if ((c | mask) == first && EqualAsciiAt(field, at + 1, rest)) {
      return AsciiMatch::kFound;
    }
  }
  return seen < 0x80 && IsAscii(field.substr(at)) ? AsciiMatch::kAbsent : AsciiMatch::kNotAscii;
}

}  // namespace

void FoldCaseInto(std::string_view text, std::string& out) {
  out.clear();
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<std::uint8_t>(text[i]);
    if (byte < 0x80) {
      out.push_back(LowerAscii(text[i]));
      ++i;
      continue;
    }
    char32_t cp = 0;
    const std::size_t length = platform::DecodeUtf8Sequence(text, i, cp);
    if (length == 0) {
      AppendStrayByte(out, byte);
      ++i;
      continue;
    }
    platform::AppendUtf8(out, FoldCodePoint(cp));
    i += length;
  }
}

std::string FoldCase(std::string_view text) {
  std::string out;
  FoldCaseInto(text, out);
  return out;
}

CaseFoldedText::CaseFoldedText(std::string_view typed) : folded_(FoldCase(typed)), asciiOnly_(IsAscii(folded_)) {}

std::string_view CaseFoldedText::FoldedField(std::string_view field) const {
  FoldCaseInto(field, buffer_);
  return buffer_;
}

bool CaseFoldedText::FoundIn(std::string_view field) const {
  if (folded_.empty()) {
    return true;
  }
  if (asciiOnly_) {
    const AsciiMatch match = FindInAscii(field, folded_);
    if (match != AsciiMatch::kNotAscii) {
      return match == AsciiMatch::kFound;
    }
  } else if (IsAscii(field)) {
    // An ASCII field folds to ASCII, so a text with any other character cannot be in it.
    return false;
  }
  return FoldedField(field).find(folded_) != std::string_view::npos;
}

bool CaseFoldedText::Begins(std::string_view field) const {
  if (IsAscii(field)) {
    return asciiOnly_ && folded_.size() <= field.size() && EqualAsciiAt(field, 0, folded_);
  }
  return FoldedField(field).starts_with(folded_);
}

}  // namespace kestrune::catalogue
