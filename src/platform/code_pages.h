#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The single-byte code pages the Windows program wrote its files in, and UTF-8 helpers.
// Everything the program keeps in memory is UTF-8; these convert at the edges.
namespace kestrune::platform {

// Unicode code point of a Windows-1252 byte. The five bytes Windows leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same value, as Windows does.
char32_t Cp1252ToUnicode(std::uint8_t byte);
// Unicode code point of a code page 437 (IBM PC, the zip format's default) byte.
char32_t Cp437ToUnicode(std::uint8_t byte);
// The byte of a code point in that code page, or -1 when the page has no such character.
int UnicodeToCp1252(char32_t codePoint);
int UnicodeToCp437(char32_t codePoint);

// The well-formed UTF-8 sequence at text[i]: its length, with its code point in cp; 0 when the bytes
// there are not UTF-8 (a stray or cut sequence, an overlong form, a surrogate, beyond U+10FFFF).
std::size_t DecodeUtf8Sequence(std::string_view text, std::size_t i, char32_t& cp);
bool IsValidUtf8(std::string_view text);
void AppendUtf8(std::string& out, char32_t codePoint);
std::string Cp1252ToUtf8(std::string_view bytes);
std::string Cp437ToUtf8(std::string_view bytes);

// A line of a text file as UTF-8: kept as it is when it is valid UTF-8, otherwise taken as
// Windows-1252, so files written by the Windows program still load.
std::string DecodeTextLine(std::string_view bytes);

// The text without the blanks and control characters at either end (everything up to 0x20, as the
// Windows program's trimming took them).
std::string_view TrimBlanks(std::string_view text);

// ASCII-only case folding on bytes: UTF-8 sequences are left untouched.
char AsciiLower(char c);
std::string AsciiLowerCopy(std::string_view text);
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

// ASCII case-folded hashing and comparison for hashed look-ups, usable by string_view.
struct CaseInsensitiveHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const noexcept;
};
struct CaseInsensitiveEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const noexcept;
};

}  // namespace kestrune::platform
