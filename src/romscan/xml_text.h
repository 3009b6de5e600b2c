#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Text helpers for MAME's -listxml output, which the ROM scan reads line by line with substring
// searches rather than with an XML parser (one element per line).
namespace kestrune::romscan {

// The line without leading and trailing tabs, CRs, LFs and blanks.
std::string_view TrimXmlLine(std::string_view line);

// Decodes the character references of one line into `out` (replacing its contents): the line is
// trimmed first; "&quot;", "&lt;", "&gt;", "&apos;", "&amp;" and "&nbsp;" (a plain blank) become their
// character, "&#NN;" and "&#xHH;" the Windows-1252 character of the number's low byte. A reference
// ends at the first ";" or blank after "&", or at the end of the line; the terminator goes with it.
// A numeric reference that is not a number, overflows, or would give "|", NUL, CR, LF or 0x1A gives a
// blank, so that decoded text can never break the program's line- and "|"-based files. Unknown
// names stay as they are. Each reference is decoded once: "&amp;lt;" gives "&lt;".
void DecodeXmlEntities(std::string_view line, std::string& out);
std::string DecodeXmlEntities(std::string_view line);

// The value of the first `name="…"` in the line: from after the opening quote to the next quote;
// empty when `name="` does not occur or its value is not closed. `name` may include
// the element's prefix ("<mame build", "disk name"). A plain substring search: a longer attribute
// name ending in `name` earlier in the line would match too. The view points into `line`.
std::string_view XmlAttrValue(std::string_view line, std::string_view name);

}  // namespace kestrune::romscan
