#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// UTF-16 strings as the archiver keeps names, the code-page conversions between them and 8-bit
// text, per-character case mapping, comparison, wildcard matching and search-and-replace.
namespace kestrune::zip {

using WideString = std::u16string;
using WideStringView = std::u16string_view;
// An 8-bit string whose bytes are in some code page (comments, passwords).
using AnsiString = std::string;

// Code pages the conversions know.
inline constexpr unsigned kCodePageDefault = 0;  // the "ANSI" code page: Windows-1252
inline constexpr unsigned kCodePageOem = 1;      // the "OEM" code page: 437
inline constexpr unsigned kCodePage437 = 437;
inline constexpr unsigned kCodePage1252 = 1252;
inline constexpr unsigned kCodePageUtf7 = 65000;
inline constexpr unsigned kCodePageUtf8 = 65001;

// A conversion that cannot be done ("Invalid UTF7", "Buffer overflow", an unknown code page).
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// 8-bit text in a code page to UTF-16 and back. Bytes that are not valid UTF-8 become U+FFFD;
// characters a single-byte page lacks become "?". Pages other than those named above (850, 866, 932,
// 1250, 1251 ...) go through iconv; a page iconv does not know either is an EConvertError.
WideString MultiByteToWide(std::string_view bytes, unsigned codePage);
std::string WideToMultiByte(WideStringView text, unsigned codePage);
WideString Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(WideStringView text);

// UTF-7 (RFC 2152). The encoder writes into a buffer of `capacity` bytes (EConvertError "Buffer
// overflow" when it is too small); the decoder converts everything it can and returns false when
// the input was not valid UTF-7.
std::string EncodeUtf7(WideStringView text, std::size_t capacity);
std::string EncodeUtf7(WideStringView text);
bool DecodeUtf7(std::string_view bytes, WideString& out);

// Case mapping one UTF-16 unit at a time (no expansions: "ß" stays "ß"), by Unicode's simple mapping.
char16_t WideUpperChar(char16_t c);
char16_t WideLowerChar(char16_t c);
WideString WideUpperCase(WideStringView text);
WideString WideLowerCase(WideStringView text);

// Collation-like comparison (< 0, 0, > 0): letters compare without regard to case first, and a lower-case
// letter sorts before its upper-case form only when the strings are otherwise equal.
int WideCompareStr(WideStringView a, WideStringView b);
// Case-insensitive comparison.
int WideCompareText(WideStringView a, WideStringView b);
bool WideSameText(WideStringView a, WideStringView b);

// A character that ends a word: the null character, white space or punctuation.
bool IsWordBoundary(char16_t c);

enum class TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };
using TReplaceFlags = unsigned;
inline constexpr TReplaceFlags operator|(TReplaceFlag a, TReplaceFlag b) {
  return static_cast<unsigned>(a) | static_cast<unsigned>(b);
}
inline constexpr bool HasFlag(TReplaceFlags flags, TReplaceFlag flag) {
  return (flags & static_cast<unsigned>(flag)) != 0;
}

WideString WideStringReplace(WideStringView text, WideStringView pattern, WideStringView replacement,
                             TReplaceFlags flags, bool wholeWord = false);

// "*" matches any run of characters (also none), "?" exactly one; path separators are ordinary characters.
bool WildcardMatch(WideStringView name, WideStringView mask, bool ignoreCase);
// A file mask as a user writes it: "*.*" and "*" match every name, "*." only names without an extension.
bool MatchesMask(WideStringView name, WideStringView mask);

}  // namespace kestrune::zip
