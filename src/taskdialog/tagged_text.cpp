#include "taskdialog/tagged_text.h"

#include <algorithm>
#include <array>

namespace kestrune::taskdialog {

namespace {

struct Entity {
  std::u16string_view name;  // between "&" and ";", lower case
  char16_t character;
};

constexpr std::array<Entity, 12> kEntities = {{
    {u"amp", u'&'},
    {u"quot", u'"'},
    {u"sect", u'\u00A7'},
    {u"permil", u'\u2030'},
    {u"reg", u'\u00AE'},
    {u"copy", u'\u00A9'},
    {u"para", u'\u00B6'},
    {u"trade", u'\u2122'},
    {u"euro", u'\u20AC'},
    {u"nbsp", u'\u00A0'},
    {u"lt", u'<'},
    {u"gt", u'>'},
}};

constexpr std::size_t kLongestEntity = 6;

struct TagName {
  std::u16string_view name;
  TagKind kind;
};

constexpr std::array<TagName, 20> kTagNames = {{
    {u"A", TagKind::kA},     {u"B", TagKind::kB},       {u"BODY", TagKind::kBody}, {u"BR", TagKind::kBr},
    {u"E", TagKind::kE},     {u"FONT", TagKind::kFont}, {u"HI", TagKind::kHi},     {u"HR", TagKind::kHr},
    {u"I", TagKind::kI},     {u"IMG", TagKind::kImg},   {u"IND", TagKind::kInd},   {u"LI", TagKind::kLi},
    {u"P", TagKind::kP},     {u"S", TagKind::kS},       {u"SHAD", TagKind::kShad}, {u"SUB", TagKind::kSub},
    {u"SUP", TagKind::kSup}, {u"U", TagKind::kU},       {u"UL", TagKind::kUl},     {u"Z", TagKind::kZ},
}};

struct NamedColour {
  std::u16string_view name;  // lower case
  TagColour colour;
};

constexpr std::array<NamedColour, 40> kColourNames = {{
    {u"clred", RgbColour(255, 0, 0)},
    {u"clblack", RgbColour(0, 0, 0)},
    {u"clblue", RgbColour(0, 0, 255)},
    {u"clgreen", RgbColour(0, 128, 0)},
    {u"claqua", RgbColour(0, 255, 255)},
    {u"clyellow", RgbColour(255, 255, 0)},
    {u"clfuchsia", RgbColour(255, 0, 255)},
    {u"clwhite", RgbColour(255, 255, 255)},
    {u"cllime", RgbColour(0, 255, 0)},
    {u"clsilver", RgbColour(192, 192, 192)},
    {u"clgray", RgbColour(128, 128, 128)},
    {u"clolive", RgbColour(128, 128, 0)},
    {u"clnavy", RgbColour(0, 0, 128)},
    {u"clpurple", RgbColour(128, 0, 128)},
    {u"clteal", RgbColour(0, 128, 128)},
    {u"clmaroon", RgbColour(128, 0, 0)},
    {u"clbackground", SystemColour(1)},
    {u"clactivecaption", SystemColour(2)},
    {u"clinactivecaption", SystemColour(3)},
    {u"clmenu", SystemColour(4)},
    {u"clwindow", SystemColour(5)},
    {u"clwindowframe", SystemColour(6)},
    {u"clmenutext", SystemColour(7)},
    {u"clwindowtext", SystemColour(8)},
    {u"clcaptiontext", SystemColour(9)},
    {u"clactiveborder", SystemColour(10)},
    {u"clinactiveborder", SystemColour(11)},
    {u"clappworkspace", SystemColour(12)},
    {u"clhighlight", SystemColour(13)},
    {u"clhighlighttext", SystemColour(14)},
    {u"clbtnface", SystemColour(15)},
    {u"clbtnshadow", SystemColour(16)},
    {u"clgraytext", SystemColour(17)},
    {u"clbtntext", SystemColour(18)},
    {u"clinactivecaptiontext", SystemColour(19)},
    {u"clbtnhighlight", SystemColour(20)},
    {u"cl3ddkshadow", SystemColour(21)},
    {u"cl3dlight", SystemColour(22)},
    {u"clinfotext", SystemColour(23)},
    {u"clinfobk", SystemColour(24)},
}};

constexpr std::array<int, 5> kHtmlFontSizes = {8, 10, 12, 14, 16};
constexpr int kIntLimit = 100000;

bool IsAsciiLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
char16_t LowerAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char16_t x, char16_t y) { return LowerAscii(x) == LowerAscii(y); });
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

std::optional<TagColour> ParseHexColour(std::u16string_view value) {
  if (value.size() != 7 || value[0] != u'#') return std::nullopt;
  std::array<std::uint8_t, 3> parts{};
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const int high = HexDigit(value[1 + 2 * i]);
    const int low = HexDigit(value[2 + 2 * i]);
    if (high < 0 || low < 0) return std::nullopt;
    parts[i] = static_cast<std::uint8_t>(high * 16 + low);
  }
  return RgbColour(parts[0], parts[1], parts[2]);
}

// The end of a tag that starts at start ("<"): the index of its ">", or npos when it is no tag.
std::size_t FindTagEnd(std::u16string_view text, std::size_t start) {
  std::size_t at = start + 1;
  if (at < text.size() && text[at] == u'/') ++at;
  if (at >= text.size() || !IsAsciiLetter(text[at])) return std::u16string_view::npos;
  char16_t quote = 0;
  for (; at < text.size(); ++at) {
    const char16_t c = text[at];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == u'"' || c == u'\'') {
      quote = c;
    } else if (c == u'>') {
      return at;
    } else if (c == u'<') {
      return std::u16string_view::npos;
    }
  }
  return std::u16string_view::npos;
}

std::vector<TagAttribute> ParseAttributes(std::u16string_view body) {
  std::vector<TagAttribute> out;
  std::size_t at = 0;
  while (at < body.size()) {
    while (at < body.size() && IsBlank(body[at])) ++at;
    const std::size_t nameStart = at;
    while (at < body.size() && !IsBlank(body[at]) && body[at] != u'=') ++at;
    TagAttribute attribute{UpperAscii(body.substr(nameStart, at - nameStart)), {}};
    while (at < body.size() && IsBlank(body[at])) ++at;
    if (at < body.size() && body[at] == u'=') {
      ++at;
      while (at < body.size() && IsBlank(body[at])) ++at;
      if (at < body.size() && (body[at] == u'"' || body[at] == u'\'')) {
        const char16_t quote = body[at++];
        const std::size_t end = std::min(body.find(quote, at), body.size());
        attribute.value = DecodeEntities(body.substr(at, end - at));
        at = end + 1;
      } else {
        const std::size_t valueStart = at;
        while (at < body.size() && !IsBlank(body[at])) ++at;
        attribute.value = DecodeEntities(body.substr(valueStart, at - valueStart));
      }
    }
    if (!attribute.name.empty()) out.push_back(std::move(attribute));
  }
  return out;
}

TextToken ParseTag(std::u16string_view tag) {
  TextToken token;
  token.type = TextToken::kTag;
  std::size_t at = 0;
  if (at < tag.size() && tag[at] == u'/') {
    token.closing = true;
    ++at;
  }
  const std::size_t nameStart = at;
  while (at < tag.size() && (IsAsciiLetter(tag[at]) || (tag[at] >= u'0' && tag[at] <= u'9'))) ++at;
  token.tag = TagKindForName(tag.substr(nameStart, at - nameStart));
  token.attributes = ParseAttributes(tag.substr(at));
  return token;
}

TextToken LineBreakToken() {
  TextToken token;
  token.type = TextToken::kTag;
  token.tag = TagKind::kBr;
  return token;
}

}  // namespace

std::u16string UpperAscii(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return out;
}

std::u16string DecodeEntities(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'&') {
      const std::size_t semicolon = text.find(u';', i + 1);
      if (semicolon != std::u16string_view::npos && semicolon - i - 1 <= kLongestEntity) {
        const std::u16string_view name = text.substr(i + 1, semicolon - i - 1);
        const auto entity = std::find_if(kEntities.begin(), kEntities.end(),
                                         [&](const Entity& e) { return EqualNoCase(e.name, name); });
        if (entity != kEntities.end()) {
          out += entity->character;
          i = semicolon;
          continue;
        }
      }
    }
    out += text[i];
  }
  return out;
}

TagKind TagKindForName(std::u16string_view name) {
  const std::u16string upper = UpperAscii(name);
  for (const TagName& entry : kTagNames) {
    if (entry.name == upper) return entry.kind;
  }
  if (upper.starts_with(u"OF")) return TagKind::kOffset;
  if (upper.starts_with(u"R")) return TagKind::kRotate;
  return TagKind::kUnknown;
}

const std::u16string* TextToken::Attribute(std::u16string_view name) const {
  for (const TagAttribute& attribute : attributes) {
    if (EqualNoCase(attribute.name, name)) return &attribute.value;
  }
  return nullptr;
}

std::vector<TextToken> TokenizeTaggedText(std::u16string_view text) {
  std::vector<TextToken> tokens;
  std::u16string run;
  const auto flushRun = [&] {
    if (run.empty()) return;
    tokens.push_back({TextToken::kText, DecodeEntities(run), TagKind::kUnknown, false, {}});
    run.clear();
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      flushRun();
      tokens.push_back(LineBreakToken());
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else if (c == u'<') {
      const std::size_t end = FindTagEnd(text, i);
      if (end == std::u16string_view::npos) {
        run += c;
        continue;
      }
      flushRun();
      tokens.push_back(ParseTag(text.substr(i + 1, end - i - 1)));
      i = end;
    } else {
      run += c;
    }
  }
  flushRun();
  return tokens;
}

TagColour ParseTagColour(std::u16string_view value) {
  if (const std::optional<TagColour> hex = ParseHexColour(value)) return *hex;
  for (const NamedColour& entry : kColourNames) {
    if (EqualNoCase(entry.name, value)) return entry.colour;
  }
  return RgbColour(0, 0, 0);
}

int ParseTagInt(std::u16string_view value, int fallback) {
  std::size_t at = 0;
  while (at < value.size() && IsBlank(value[at])) ++at;
  bool negative = false;
  if (at < value.size() && (value[at] == u'-' || value[at] == u'+')) negative = value[at++] == u'-';
  if (at >= value.size() || value[at] < u'0' || value[at] > u'9') return fallback;
  int number = 0;
  for (; at < value.size() && value[at] >= u'0' && value[at] <= u'9'; ++at) {
    number = std::min(kIntLimit, number * 10 + (value[at] - u'0'));
  }
  return negative ? -number : number;
}

int FontSizeForAttribute(std::u16string_view value, int current) {
  const int size = ParseTagInt(value, 0);
  if (size >= 1 && size <= static_cast<int>(kHtmlFontSizes.size())) return kHtmlFontSizes[size - 1];
  if (size <= 0) return current;
  return std::min(size, kMaxTagPointSize);
}

}  // namespace kestrune::taskdialog
