#include "zip/wide_string.h"

#include <locale.h>

#include <clocale>
#include <cwctype>

#include "platform/code_pages.h"
#include "zip/code_page_iconv.h"

namespace kestrune::zip {
namespace {

constexpr char16_t kReplacementChar = 0xFFFD;

// The C.UTF-8 locale gives Unicode's simple case mappings and character classes whatever the
// process locale is; created once and never changed.
locale_t UnicodeLocale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  return locale;
}

bool IsSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDFFF; }

void AppendCodePoint(WideString& out, char32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(cp));
  }
}

WideString DecodeSingleByte(std::string_view bytes, char32_t (*decode)(std::uint8_t)) {
  WideString out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    out.push_back(static_cast<char16_t>(decode(static_cast<std::uint8_t>(c))));
  }
  return out;
}

std::string EncodeSingleByte(WideStringView text, int (*encode)(char32_t)) {
  std::string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    const int byte = IsSurrogate(c) ? -1 : encode(c);
    out.push_back(byte < 0 ? '?' : static_cast<char>(byte));
  }
  return out;
}

unsigned ResolveCodePage(unsigned codePage) {
  if (codePage == kCodePageDefault) {
    return kCodePage1252;
  }
  return codePage == kCodePageOem ? kCodePage437 : codePage;
}

[[noreturn]] void ThrowUnknownCodePage(unsigned codePage) {
  throw EConvertError("No mapping for the Unicode character exists in the target multi-byte code page (" +
                      std::to_string(codePage) + ")");
}

// UTF-7 character classes (RFC 2152).
bool IsUtf7Direct(char16_t c) {
  if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')) {
    return true;
  }
  constexpr WideStringView kSetDRest = u"'(),-./:?";
  constexpr WideStringView kSetO = u"!\"#$%&*;<=>@[]^_`{|}";
  constexpr WideStringView kBlanks = u" \t\r\n";
  return kSetDRest.find(c) != WideStringView::npos || kSetO.find(c) != WideStringView::npos ||
         kBlanks.find(c) != WideStringView::npos;
}

constexpr std::string_view kBase64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Value(unsigned char c) {
  const auto pos = kBase64.find(static_cast<char>(c));
  return pos == std::string_view::npos ? -1 : static_cast<int>(pos);
}

class Utf7Writer {
 public:
  explicit Utf7Writer(std::size_t capacity) : capacity_(capacity) {}
  void Put(char c) {
    if (out_.size() >= capacity_) {
      throw EConvertError("Buffer overflow");
    }
    out_.push_back(c);
  }
  std::string Take() { return std::move(out_); }

 private:
  std::size_t capacity_;
  std::string out_;
};

}  // namespace

WideString Utf8ToWide(std::string_view utf8) {
  WideString out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    const std::size_t length = platform::DecodeUtf8Sequence(utf8, i, cp);
    if (length == 0) {
      out.push_back(kReplacementChar);
      ++i;
    } else {
      AppendCodePoint(out, cp);
      i += length;
    }
  }
  return out;
}

std::string WideToUtf8(WideStringView text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (IsSurrogate(static_cast<char16_t>(cp))) {
      cp = kReplacementChar;
    }
    platform::AppendUtf8(out, cp);
  }
  return out;
}

WideString MultiByteToWide(std::string_view bytes, unsigned codePage) {
  switch (ResolveCodePage(codePage)) {
    case kCodePage437:
      return DecodeSingleByte(bytes, &platform::Cp437ToUnicode);
    case kCodePage1252:
      return DecodeSingleByte(bytes, &platform::Cp1252ToUnicode);
    case kCodePageUtf8:
      return Utf8ToWide(bytes);
    case kCodePageUtf7: {
      WideString out;
      if (!DecodeUtf7(bytes, out)) {
        throw EConvertError("Invalid UTF7");
      }
      return out;
    }
    default:
      if (auto wide = IconvToWide(bytes, codePage)) {
        return std::move(*wide);
      }
      ThrowUnknownCodePage(codePage);
  }
}

std::string WideToMultiByte(WideStringView text, unsigned codePage) {
  switch (ResolveCodePage(codePage)) {
    case kCodePage437:
      return EncodeSingleByte(text, &platform::UnicodeToCp437);
    case kCodePage1252:
      return EncodeSingleByte(text, &platform::UnicodeToCp1252);
    case kCodePageUtf8:
      return WideToUtf8(text);
    case kCodePageUtf7:
      return EncodeUtf7(text);
    default:
      if (auto bytes = IconvFromWide(text, codePage)) {
        return std::move(*bytes);
      }
      ThrowUnknownCodePage(codePage);
  }
}

std::string EncodeUtf7(WideStringView text) { return EncodeUtf7(text, text.size() * 7); }

std::string EncodeUtf7(WideStringView text, std::size_t capacity) {
  Utf7Writer out(capacity);
  bool inRun = false;
  unsigned bits = 0;
  int bitCount = 0;
  const auto closeRun = [&](char16_t next) {
    if (bitCount > 0) {
      out.Put(kBase64[(bits << (6 - bitCount)) & 0x3F]);
    }
    // A decoder would take a following base64 letter or "-" as part of the run.
    if (Base64Value(static_cast<unsigned char>(next < 0x80 ? next : 0)) >= 0 || next == u'-') {
      out.Put('-');
    }
    inRun = false, bits = 0, bitCount = 0;
  };
  for (char16_t c : text) {
    if (c == u'+' || IsUtf7Direct(c)) {
      if (inRun) {
        closeRun(c);
      }
      out.Put(static_cast<char>(c));
      if (c == u'+') {
        out.Put('-');
      }
      continue;
    }
    if (!inRun) {
      out.Put('+');
      inRun = true;
    }
    bits = (bits << 16) | c;
    bitCount += 16;
    while (bitCount >= 6) {
      bitCount -= 6;
      out.Put(kBase64[(bits >> bitCount) & 0x3F]);
    }
    bits &= (1u << bitCount) - 1;
  }
  if (inRun && bitCount > 0) {
    out.Put(kBase64[(bits << (6 - bitCount)) & 0x3F]);
  }
  return out.Take();
}

bool DecodeUtf7(std::string_view bytes, WideString& out) {
  out.clear();
  bool valid = true;
  bool inRun = false;
  unsigned bits = 0;
  int bitCount = 0;
  int produced = 0;
  const auto endRun = [&]() {
    if (bitCount > 0 && (bits & ((1u << bitCount) - 1)) != 0) {
      valid = false;
    }
    if (produced == 0) {
      valid = false;
    }
    inRun = false;
  };
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (inRun) {
      const int value = Base64Value(c);
      if (value >= 0) {
        bits = ((bits << 6) | static_cast<unsigned>(value)) & 0xFFFFFF;
        bitCount += 6;
        if (bitCount >= 16) {
          bitCount -= 16;
          out.push_back(static_cast<char16_t>((bits >> bitCount) & 0xFFFF));
          ++produced;
        }
        ++i;
        continue;
      }
      endRun();
      if (c == '-') {
        ++i;
      }
      continue;
    }
    if (c > 127) {
      valid = false;
      out.push_back(kReplacementChar);
      ++i;
    } else if (c == '+' && i + 1 < bytes.size() && bytes[i + 1] == '-') {
      out.push_back(u'+');
      i += 2;
    } else if (c == '+') {
      inRun = true, bits = 0, bitCount = 0, produced = 0;
      ++i;
    } else {
      out.push_back(c);
      ++i;
    }
  }
  if (inRun) {
    endRun();
  }
  return valid;
}

char16_t WideUpperChar(char16_t c) {
  if (c < 0x80) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
  }
  if (IsSurrogate(c) || UnicodeLocale() == static_cast<locale_t>(nullptr)) {
    return c;
  }
  const auto upper = towupper_l(static_cast<wint_t>(c), UnicodeLocale());
  return upper <= 0xFFFF ? static_cast<char16_t>(upper) : c;
}

char16_t WideLowerChar(char16_t c) {
  if (c < 0x80) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
  }
  if (IsSurrogate(c) || UnicodeLocale() == static_cast<locale_t>(nullptr)) {
    return c;
  }
  const auto lower = towlower_l(static_cast<wint_t>(c), UnicodeLocale());
  return lower <= 0xFFFF ? static_cast<char16_t>(lower) : c;
}

WideString WideUpperCase(WideStringView text) {
  WideString out(text);
  for (char16_t& c : out) {
    c = WideUpperChar(c);
  }
  return out;
}

WideString WideLowerCase(WideStringView text) {
  WideString out(text);
  for (char16_t& c : out) {
    c = WideLowerChar(c);
  }
  return out;
}

int WideCompareText(WideStringView a, WideStringView b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t x = WideUpperChar(a[i]);
    const char16_t y = WideUpperChar(b[i]);
    if (x != y) {
      return x < y ? -1 : 1;
    }
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool WideSameText(WideStringView a, WideStringView b) { return a.size() == b.size() && WideCompareText(a, b) == 0; }

int WideCompareStr(WideStringView a, WideStringView b) {
  const int folded = WideCompareText(a, b);
  if (folded != 0) {
    return folded;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) {
      // Same letter in another case: the lower-case form sorts first.
      return a[i] == WideLowerChar(a[i]) ? -1 : 1;
    }
  }
  return 0;
}

bool IsWordBoundary(char16_t c) {
  if (c == 0) {
    return true;
  }
  if (c < 0x80) {
    return std::iswspace(c) != 0 || std::iswpunct(c) != 0;
  }
  if (IsSurrogate(c) || UnicodeLocale() == static_cast<locale_t>(nullptr)) {
    return false;
  }
  return iswspace_l(static_cast<wint_t>(c), UnicodeLocale()) != 0 ||
         iswpunct_l(static_cast<wint_t>(c), UnicodeLocale()) != 0;
}

WideString WideStringReplace(WideStringView text, WideStringView pattern, WideStringView replacement,
                             TReplaceFlags flags, bool wholeWord) {
  if (pattern.empty()) {
    return WideString(text);
  }
  const bool ignoreCase = HasFlag(flags, TReplaceFlag::rfIgnoreCase);
  const WideString searchText = ignoreCase ? WideUpperCase(text) : WideString(text);
  const WideString searchPattern = ignoreCase ? WideUpperCase(pattern) : WideString(pattern);
  WideString out;
  out.reserve(text.size());
  std::size_t from = 0;
  while (from <= text.size()) {
    const std::size_t hit = searchText.find(searchPattern, from);
    if (hit == WideString::npos) {
      break;
    }
    out.append(text.substr(from, hit - from));
    const std::size_t after = hit + pattern.size();
    const char16_t before = out.empty() ? char16_t{0} : out.back();
    const char16_t next = after < text.size() ? text[after] : char16_t{0};
    const bool counted = !wholeWord || (IsWordBoundary(before) && IsWordBoundary(next));
    from = after;
    if (!counted) {
      out.append(text.substr(hit, pattern.size()));
      continue;
    }
    out.append(replacement);
    if (!HasFlag(flags, TReplaceFlag::rfReplaceAll)) {
      break;
    }
  }
  out.append(text.substr(std::min(from, text.size())));
  return out;
}

bool WildcardMatch(WideStringView name, WideStringView mask, bool ignoreCase) {
  if (mask == u"*.*") {
    return true;
  }
  const auto same = [ignoreCase](char16_t a, char16_t b) {
    return a == b || (ignoreCase && WideUpperChar(a) == WideUpperChar(b));
  };
  // Iterative form of the recursive match: only the latest "*" ever needs to be retried.
  std::size_t n = 0, m = 0;
  std::size_t starMask = WideStringView::npos, starName = 0;
  while (true) {
    if (m + 1 == mask.size() && mask[m] == u'*') {
      return true;
    }
    bool advance = false;
    if (n == name.size()) {
      if (m == mask.size()) {
        return true;
      }
    } else if (m < mask.size() && mask[m] == u'*') {
      starMask = m, starName = n;
      ++m;
      continue;
    } else if (m < mask.size() && (mask[m] == u'?' || same(mask[m], name[n]))) {
      advance = true;
    }
    if (advance) {
      ++n, ++m;
      continue;
    }
    // A "*" never stretches to the very end of the name: its remainder must match something.
    if (starMask == WideStringView::npos || ++starName >= name.size()) {
      return false;
    }
    n = starName, m = starMask + 1;
  }
}

bool MatchesMask(WideStringView name, WideStringView mask) {
  if (mask.empty()) {
    return false;
  }
  WideString m(mask);
  if (const auto pos = m.find(u"*.*"); pos != WideString::npos) {
    m = m.substr(0, pos) + u'*' + m.substr(pos + 3);
  }
  const bool maskEndsWithDot = mask.back() == u'.';
  if (maskEndsWithDot) {
    m.pop_back();
  }
  WideStringView n = name;
  if (!n.empty() && n.back() == u'.') {
    n.remove_suffix(1);
  }
  if (!WildcardMatch(n, m, true)) {
    return false;
  }
  if (!maskEndsWithDot) {
    return true;
  }
  const auto delimiter = name.find_last_of(u"\\/:");
  const auto dot = name.rfind(u'.');
  const bool hasDot = dot != WideStringView::npos && (delimiter == WideStringView::npos || dot > delimiter);
  return !hasDot || name.substr(dot) == u".";
}

}  // namespace kestrune::zip
