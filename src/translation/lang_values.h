#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The value forms of a language file's lines: quoted literals for texts, delimited lists for string
// lists, and plain numbers. Texts are UTF-8 throughout.
namespace kestrune::translation {

// The message of a "#" character code that is missing or names no character.
inline constexpr std::string_view kBadCharacterCode = "Too long character code";

// Decodes a quoted literal such as 'Line one'#13#10'It''s two'. Outside quotes, "#" and decimal digits
// give a character: a code below 256 is a byte of codePage (the Windows code page of the file's
// language, whatever the file's own encoding: #150 is "–" in Windows-1252, #233 "й" in Windows-1251),
// a higher code is that Unicode character; any other character is taken as it stands. Inside quotes,
// "''" gives one quote. A closing quote must end the value or be followed by "#", else the whole text is
// empty; so is a value that ends inside quotes or is shorter than two characters. A code that is no
// character (a surrogate, above U+10FFFF, no digits) returns nothing and puts kBadCharacterCode into *error.
std::optional<std::string> DecodeLangLiteral(std::string_view value, std::string* error = nullptr,
                                             const std::string& codePage = "CP1252");

// Splits a comma-separated list such as 'None', '2x', 'It''s' into its items. A quoted item ends at its
// closing quote (doubled quotes inside give one); an unquoted item ends at a comma or a blank; blanks
// between items are skipped, and a comma with nothing after it adds an empty last item.
std::vector<std::string> SplitDelimitedList(std::string_view value);

// A value read as a 32-bit integer: decimal with an optional sign, or "$" and hex digits; anything
// else (text, blanks inside, out of range) reads as 0.
std::int32_t ReadLangInteger(std::string_view value);
// A value read as a floating-point number with "." as decimal separator; anything else reads as 0.
double ReadLangFloat(std::string_view value);

}  // namespace kestrune::translation
