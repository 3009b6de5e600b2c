#include "translation/lang_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <utility>

#include "platform/code_pages.h"

namespace kestrune::translation {

namespace {

struct LanguageCodePage {
  std::string_view language;
  const char* codePage;
};

// The languages of the Setup ▸ Language menu that are not written in Windows-1252.
constexpr LanguageCodePage kLegacyCodePages[] = {
    {"russian", "CP1251"},
    {"greek", "CP1253"},
    {"chinese(simp)", "GBK"},
};

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

class Converter {
 public:
  explicit Converter(const char* from) : handle_(iconv_open("UTF-8", from)) {}
  ~Converter() {
    if (Ok()) iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool Ok() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  // Converts everything; a byte that starts no character of the code page gives U+FFFD and is skipped.
  std::string Convert(std::string_view bytes) {
    std::string out;
    std::string chunk(4096, '\0');
    char* in = const_cast<char*>(bytes.data());  // iconv's signature; it does not write the input
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
      char* target = chunk.data();
      std::size_t outLeft = chunk.size();
      const std::size_t done = iconv(handle_, &in, &inLeft, &target, &outLeft);
      out.append(chunk.data(), chunk.size() - outLeft);
      if (done != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
      platform::AppendUtf8(out, U'\uFFFD');  // EILSEQ, or EINVAL: a character cut off at the end
      ++in;
      --inLeft;
      iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
  }

 private:
  iconv_t handle_;
};

std::string ConvertFrom(const char* codePage, std::string_view bytes) {
  Converter converter(codePage);
  return converter.Ok() ? converter.Convert(bytes) : platform::Cp1252ToUtf8(bytes);
}

}  // namespace

std::string LegacyCodePageOf(std::string_view language) {
  for (const LanguageCodePage& entry : kLegacyCodePages) {
    if (platform::EqualsIgnoreAsciiCase(entry.language, language)) return entry.codePage;
  }
  return "CP1252";
}

std::string DecodeLangFileBytes(std::string_view bytes, const std::string& codePage) {
  if (bytes.starts_with(kUtf8Mark)) bytes.remove_prefix(kUtf8Mark.size());
  if (bytes.starts_with(kUtf16LeMark)) return ConvertFrom("UTF-16LE", bytes.substr(kUtf16LeMark.size()));
  if (bytes.starts_with(kUtf16BeMark)) return ConvertFrom("UTF-16BE", bytes.substr(kUtf16BeMark.size()));
  if (platform::IsValidUtf8(bytes)) return std::string(bytes);
  return CodePageBytesToUtf8(bytes, codePage);
}

std::string CodePageBytesToUtf8(std::string_view bytes, const std::string& codePage) {
  // Windows-1252 defines every byte the way the rest of the program reads that code page.
  if (codePage == "CP1252") return platform::Cp1252ToUtf8(bytes);
  return ConvertFrom(codePage.c_str(), bytes);
}

}  // namespace kestrune::translation
