#include "taskdialog/tagged_text.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace kestrune::taskdialog;

std::string Narrow(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += "\\u" + std::to_string(static_cast<int>(c));
    }
  }
  return out;
}

std::string TagName(TagKind kind) {
  static const std::map<TagKind, std::string> names = {
      {TagKind::kA, "A"},       {TagKind::kB, "B"},       {TagKind::kBr, "BR"},
      {TagKind::kFont, "FONT"}, {TagKind::kI, "I"},       {TagKind::kOffset, "OF"},
      {TagKind::kRotate, "R"},  {TagKind::kUnknown, "?"}, {TagKind::kImg, "IMG"}};
  const auto found = names.find(kind);
  return found == names.end() ? "#" + std::to_string(static_cast<int>(kind)) : found->second;
}

// Text runs as T(...), tags as <NAME ATTR=value>.
std::string Dump(const std::vector<TextToken>& tokens) {
  std::string out;
  for (const TextToken& token : tokens) {
    if (token.type == TextToken::kText) {
      out += "T(" + Narrow(token.text) + ")";
      continue;
    }
    out += std::string(token.closing ? "</" : "<") + TagName(token.tag);
    for (const TagAttribute& attribute : token.attributes) {
      out += " " + Narrow(attribute.name) + "=" + Narrow(attribute.value);
    }
    out += ">";
  }
  return out;
}

struct TokenCase {
  const char* name;
  std::u16string text;
  std::string tokens;
};

void PrintTo(const TokenCase& c, std::ostream* os) { *os << c.name; }

class TaggedTextTokens : public ::testing::TestWithParam<TokenCase> {};

TEST_P(TaggedTextTokens, SplitsAsDrawn) { EXPECT_EQ(Dump(TokenizeTaggedText(GetParam().text)), GetParam().tokens); }

INSTANTIATE_TEST_SUITE_P(
    Texts, TaggedTextTokens,
    ::testing::Values(TokenCase{"AmpBetweenWords", u"a &amp; b", "T(a & b)"},
                      TokenCase{"AmpQuotIsDecodedOnce", u"&amp;quot; &AMP;amp;", "T(&quot; &amp;)"},
                      TokenCase{"LoneAmpersandIsText", u"R&D <B>x", "T(R&D )<B>T(x)"},
                      TokenCase{"UnknownEntityIsText", u"&foo; &amp", "T(&foo; &amp)"},
                      TokenCase{"Entities", u"&sect;&permil;&reg;&copy;&para;&trade;&euro;&nbsp;&QUOT;",
                                "T(\\u167\\u8240\\u174\\u169\\u182\\u8482\\u8364\\u160\")"},
                      TokenCase{"EscapedTagStaysText", u"&lt;B&gt;", "T(<B>)"},
                      TokenCase{"LoneLessThanIsText", u"1 < 2 <B>b</B>", "T(1 < 2 )<B>T(b)</B>"},
                      TokenCase{"UnclosedTagIsText", u"a <B never closed", "T(a <B never closed)"},
                      TokenCase{"LessThanBeforeATag", u"x<<B>y", "T(x<)<B>T(y)"},
                      TokenCase{"TagBrokenByAnotherTag", u"<B <I>z", "T(<B )<I>T(z)"},
                      TokenCase{"EveryLineEndBreaksOnce", u"a\r\nb\rc\nd\r\n", "T(a)<BR>T(b)<BR>T(c)<BR>T(d)<BR>"},
                      TokenCase{"AttributesQuotedOrNot", u"<FONT color=#FF0000 Size='3' face=\"Times New Roman\">",
                                "<FONT COLOR=#FF0000 SIZE=3 FACE=Times New Roman>"},
                      TokenCase{"GreaterThanInQuotes", u"<A href=\"a>b\">x</A>", "<A HREF=a>b>T(x)</A>"},
                      TokenCase{"EntityInAttribute", u"<a HREF=\"?a=1&amp;b=2\">", "<A HREF=?a=1&b=2>"},
                      TokenCase{"UnknownTagsAreKept", u"<blink>x</blink>", "<?>T(x)</?>"},
                      TokenCase{"PrefixNamedTags", u"<OFFSET x=5><rot a=90>", "<OF X=5><R A=90>"},
                      TokenCase{"AttributeWithoutValue", u"<IMG src=pic wrap>", "<IMG SRC=pic WRAP=>"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ColourCase {
  const char* name;
  std::u16string value;
  TagColour colour;
};

void PrintTo(const ColourCase& c, std::ostream* os) { *os << c.name; }

class TaggedTextColours : public ::testing::TestWithParam<ColourCase> {};

TEST_P(TaggedTextColours, NamesAndHexGiveTheirColour) {
  EXPECT_EQ(ParseTagColour(GetParam().value), GetParam().colour);
}

INSTANTIATE_TEST_SUITE_P(Values, TaggedTextColours,
                         ::testing::Values(ColourCase{"Red", u"clRed", RgbColour(255, 0, 0)},
                                           ColourCase{"Green", u"CLGREEN", RgbColour(0, 128, 0)},
                                           ColourCase{"Maroon", u"clmaroon", RgbColour(128, 0, 0)},
                                           ColourCase{"BtnFace", u"clBtnFace", SystemColour(15)},
                                           ColourCase{"InfoBk", u"clInfoBk", SystemColour(24)},
                                           ColourCase{"Background", u"clBackground", SystemColour(1)},
                                           ColourCase{"HexRed", u"#FF0000", RgbColour(255, 0, 0)},
                                           ColourCase{"HexLowerCase", u"#00ff80", RgbColour(0, 255, 128)},
                                           ColourCase{"HexTooShort", u"#FF00", RgbColour(0, 0, 0)},
                                           ColourCase{"HexBadDigit", u"#GG0000", RgbColour(0, 0, 0)},
                                           ColourCase{"UnknownName", u"clNothing", RgbColour(0, 0, 0)},
                                           ColourCase{"Empty", u"", RgbColour(0, 0, 0)}),
                         [](const auto& info) { return std::string(info.param.name); });

struct SizeCase {
  const char* name;
  std::u16string value;
  int size;
};

void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.name; }

class TaggedTextFontSizes : public ::testing::TestWithParam<SizeCase> {};

TEST_P(TaggedTextFontSizes, MapsHtmlSizesAndKeepsPointSizes) {
  EXPECT_EQ(FontSizeForAttribute(GetParam().value, 9), GetParam().size);
}

INSTANTIATE_TEST_SUITE_P(Values, TaggedTextFontSizes,
                         ::testing::Values(SizeCase{"One", u"1", 8}, SizeCase{"Three", u"3", 12},
                                           SizeCase{"Five", u"5", 16}, SizeCase{"SixIsPoints", u"6", 6},
                                           SizeCase{"Twenty", u"20", 20}, SizeCase{"WithUnit", u"12px", 12},
                                           SizeCase{"Huge", u"99999999999", kMaxTagPointSize},
                                           SizeCase{"Zero", u"0", 9}, SizeCase{"Negative", u"-2", 9},
                                           SizeCase{"Word", u"big", 9}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
