#include "zip/code_page_iconv.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace kestrune::zip {
namespace {

struct IconvNameRow {
  unsigned codePage;
  const char* name;
};

// Windows numbers whose iconv name is not simply "CP" and the number.
constexpr IconvNameRow kIconvNames[] = {
    {936, "GBK"},          {949, "UHC"},           {950, "BIG5"},          {1200, "UTF-16LE"},
    {1201, "UTF-16BE"},    {10000, "MACINTOSH"},   {12000, "UTF-32LE"},    {12001, "UTF-32BE"},
    {20127, "ASCII"},      {20866, "KOI8-R"},      {20932, "EUC-JP"},      {21866, "KOI8-U"},
    {28591, "ISO-8859-1"}, {28592, "ISO-8859-2"},  {28593, "ISO-8859-3"},  {28594, "ISO-8859-4"},
    {28595, "ISO-8859-5"}, {28596, "ISO-8859-6"},  {28597, "ISO-8859-7"},  {28598, "ISO-8859-8"},
    {28599, "ISO-8859-9"}, {28603, "ISO-8859-13"}, {28605, "ISO-8859-15"}, {50220, "ISO-2022-JP"},
    {51932, "EUC-JP"},     {51949, "EUC-KR"},      {54936, "GB18030"},
};

constexpr char kUtf16[] = "UTF-16LE";

class Converter {
 public:
  Converter(const std::string& to, const std::string& from) : cd_(iconv_open(to.c_str(), from.c_str())) {}
  ~Converter() {
    if (Ok()) {
      iconv_close(cd_);
    }
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts all of input; a sequence the conversion refuses is skipped (`skip` tells how many bytes)
  // and `replacement` is written in its place.
  std::string Run(std::string_view input, std::string_view replacement,
                  std::size_t (*skip)(const char* at, std::size_t left)) {
    std::string out;
    std::vector<char> buffer(input.size() * 4 + 16);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    while (inLeft > 0) {
      char* to = buffer.data();
      std::size_t toLeft = buffer.size();
      const std::size_t result = iconv(cd_, &in, &inLeft, &to, &toLeft);
      const int error = errno;
      out.append(buffer.data(), buffer.size() - toLeft);
      if (result == static_cast<std::size_t>(-1) && error != E2BIG) {
        // EILSEQ, or EINVAL for a sequence cut at the end: replace it and go on after it.
        const std::size_t n = std::min(inLeft, skip(in, inLeft));
        in += n;
        inLeft -= n;
        out.append(replacement);
      }
    }
    // A stateful page (ISO-2022-JP) returns to its initial state at the end.
    char* to = buffer.data();
    std::size_t toLeft = buffer.size();
    iconv(cd_, nullptr, nullptr, &to, &toLeft);
    out.append(buffer.data(), buffer.size() - toLeft);
    return out;
  }

 private:
  iconv_t cd_;
};

std::size_t SkipByte(const char*, std::size_t) { return 1; }

// One UTF-16 unit, or a whole surrogate pair.
std::size_t SkipUtf16Unit(const char* at, std::size_t left) {
  if (left >= 4) {
    const auto high =
        static_cast<unsigned>(static_cast<unsigned char>(at[0]) | (static_cast<unsigned char>(at[1]) << 8));
    const auto low =
        static_cast<unsigned>(static_cast<unsigned char>(at[2]) | (static_cast<unsigned char>(at[3]) << 8));
    if (high >= 0xD800 && high <= 0xDBFF && low >= 0xDC00 && low <= 0xDFFF) {
      return 4;
    }
  }
  return 2;
}

}  // namespace

std::string IconvCodePageName(unsigned codePage) {
  for (const auto& row : kIconvNames) {
    if (row.codePage == codePage) {
      return row.name;
    }
  }
  return "CP" + std::to_string(codePage);
}

std::optional<WideString> IconvToWide(std::string_view bytes, unsigned codePage) {
  Converter converter(kUtf16, IconvCodePageName(codePage));
  if (!converter.Ok()) {
    return std::nullopt;
  }
  const std::string utf16 = converter.Run(bytes, std::string_view("\xFD\xFF", 2), &SkipByte);
  WideString out(utf16.size() / 2, u'\0');
  for (std::size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(utf16[2 * i]) |
                                   (static_cast<unsigned char>(utf16[2 * i + 1]) << 8));
  }
  return out;
}

std::optional<std::string> IconvFromWide(WideStringView text, unsigned codePage) {
  Converter converter(IconvCodePageName(codePage), kUtf16);
  if (!converter.Ok()) {
    return std::nullopt;
  }
  std::string utf16(text.size() * 2, '\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    utf16[2 * i] = static_cast<char>(text[i] & 0xFF);
    utf16[2 * i + 1] = static_cast<char>(text[i] >> 8);
  }
  return converter.Run(utf16, "?", &SkipUtf16Unit);
}

}  // namespace kestrune::zip
