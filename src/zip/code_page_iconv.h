#pragma once

#include <optional>
#include <string>

#include "zip/wide_string.h"

// Conversions for the Windows code pages the archiver has no table of its own for (850, 866, 932,
// 1250, 1251 ...), through the C library's iconv. Bytes a page cannot decode become U+FFFD and
// characters it lacks become "?", as the other conversions do.
namespace kestrune::zip {

// The iconv name of a Windows code page number ("CP850", "SHIFT_JIS" ...).
std::string IconvCodePageName(unsigned codePage);

// Nothing when iconv does not know the code page.
std::optional<WideString> IconvToWide(std::string_view bytes, unsigned codePage);
std::optional<std::string> IconvFromWide(WideStringView text, unsigned codePage);

}  // namespace kestrune::zip
