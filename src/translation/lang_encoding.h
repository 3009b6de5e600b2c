#pragma once

#include <string>
#include <string_view>

// The text encodings language files come in. Files written for this program are UTF-8; files made for
// the Windows program are in the Windows code page of their language.
namespace kestrune::translation {

// The iconv name of the Windows code page a language's files were written in ("CP1251" for
// "russian", "GBK" for "chinese(simp)"); "CP1252" for the western languages and any name not known.
std::string LegacyCodePageOf(std::string_view language);

// A whole language file as UTF-8: a UTF-8 byte-order mark is dropped, a UTF-16 file (by its mark) is
// converted, valid UTF-8 is kept as it is, and anything else is read in codePage. A byte the code page
// does not define becomes U+FFFD; an unknown code page is read as Windows-1252.
std::string DecodeLangFileBytes(std::string_view bytes, const std::string& codePage);

// Bytes of a code page as UTF-8, whatever they look like (bytes that happen to form UTF-8 are still read
// in codePage). A byte the code page does not define becomes U+FFFD; an unknown code page is read as
// Windows-1252.
std::string CodePageBytesToUtf8(std::string_view bytes, const std::string& codePage);

}  // namespace kestrune::translation
