#include "zip/wide_string.h"

#include <gtest/gtest.h>

namespace kestrune::zip {
namespace {

TEST(WideString, Utf7Encoding) {
  struct Row {
    std::u16string text;
    std::string utf7;
  };
  const Row rows[] = {
      {u"a+b", "a+-b"},
      {u"\u00A31", "+AKM-1"},   // a run followed by a base64 letter is closed
      {u"\u00A3 x", "+AKM x"},  // not before a blank
      {u"\u00A3", "+AKM"},      // nor at the end
      {u"\u00A3-", "+AKM--"},
      {u"!\"#$%&*;<=>@[]^_`{|}", "!\"#$%&*;<=>@[]^_`{|}"},  // the optional direct characters
      {u"Hi Mom -\u263A-!", "Hi Mom -+Jjo--!"},
      {u"\u65E5\u672C\u8A9E", "+ZeVnLIqe"},
      {u"a\\b~", "a+AFw-b+AH4"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(EncodeUtf7(row.text), row.utf7) << row.utf7;
    WideString back;
    EXPECT_TRUE(DecodeUtf7(row.utf7, back)) << row.utf7;
    EXPECT_EQ(back, row.text) << row.utf7;
    EXPECT_EQ(WideToMultiByte(row.text, kCodePageUtf7), row.utf7);
  }
  EXPECT_THROW(EncodeUtf7(u"\u00A3\u00A3", 3), EConvertError);
}

TEST(WideString, Utf7DecodingErrors) {
  struct Row {
    std::string utf7;
    std::u16string text;
    bool valid;
  };
  const Row rows[] = {
      {"caf\xC3\xA9", u"caf\uFFFD\uFFFD", false},  // a byte above 127
      {"+!", u"!", false},                         // a run that gives nothing
      {"+AKN-", u"\u00A3", false},                 // left-over bits that are not zero
      {"+AKM.", u"\u00A3.", true},                 // a non-base64 character ends the run and stays
      {"+-+-", u"++", true},
  };
  for (const auto& row : rows) {
    WideString text;
    EXPECT_EQ(DecodeUtf7(row.utf7, text), row.valid) << row.utf7;
    EXPECT_EQ(text, row.text) << row.utf7;
  }
  try {
    MultiByteToWide("caf\xC3\xA9", kCodePageUtf7);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Invalid UTF7");
  }
}

TEST(WideString, CodePages) {
  EXPECT_EQ(MultiByteToWide("\x80\x9C\xE1", kCodePage437), u"\u00C7\u00A3\u00DF");
  EXPECT_EQ(MultiByteToWide("\x80\x9C\xE1", kCodePageDefault), u"\u20AC\u0153\u00E1");
  EXPECT_EQ(MultiByteToWide("\xC3\xBC\xF0\x9F\x98\x80\xC3", kCodePageUtf8), u"\u00FC\U0001F600\uFFFD");
  EXPECT_EQ(WideToMultiByte(u"\u00FC\u4E00", kCodePage437), "\x81?");
  EXPECT_EQ(WideToMultiByte(u"\u20AC", kCodePage1252), "\x80");
  EXPECT_EQ(WideToUtf8(u"\U0001F600\xD800"), "\xF0\x9F\x98\x80\xEF\xBF\xBD");
  EXPECT_THROW(MultiByteToWide("x", 4242), EConvertError);
  EXPECT_THROW(WideToMultiByte(u"x", 4242), EConvertError);
}

// Pages without a table of their own go through iconv, both ways.
TEST(WideString, OtherCodePagesThroughIconv) {
  struct Row {
    unsigned codePage;
    std::string bytes;
    std::u16string text;
  };
  const Row rows[] = {
      {850, "\x9B\xD5", u"\u00F8\u0131"},
      {866, "\x8F\xE0\xA8", u"\u041F\u0440\u0438"},
      {932, "\x93\xFA\x96\x7B\xB1", u"\u65E5\u672C\uFF71"},
      {1250, "\x8A\xB9\xE8", u"\u0160\u0105\u010D"},
      {1251, "\xC6\xE8\xE2", u"\u0416\u0438\u0432"},
      {28605, "\xA4", u"\u20AC"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(MultiByteToWide(row.bytes, row.codePage), row.text) << row.codePage;
    EXPECT_EQ(WideToMultiByte(row.text, row.codePage), row.bytes) << row.codePage;
  }
  // What a page cannot hold or decode is replaced, never dropped silently or thrown.
  EXPECT_EQ(WideToMultiByte(u"a\u65E5\U0001F600b", 1251), "a??b");
  EXPECT_EQ(MultiByteToWide("a\x93", 932), u"a\uFFFD");
}

TEST(WideString, CaseAndCompare) {
  EXPECT_EQ(WideUpperCase(u"stra\u00DFe \u00E9\u03B1\u0436"), u"STRA\u00DFE \u00C9\u0391\u0416");
  EXPECT_EQ(WideLowerCase(u"\u00C9A"), u"\u00E9a");
  EXPECT_LT(WideCompareStr(u"a", u"B"), 0);
  EXPECT_LT(WideCompareStr(u"a", u"A"), 0);
  EXPECT_GT(WideCompareStr(u"b", u"A"), 0);
  EXPECT_EQ(WideCompareText(u"\u00FCber", u"\u00DCBER"), 0);
  EXPECT_LT(WideCompareText(u"ab", u"abc"), 0);
}

TEST(WideString, ReplaceWholeWordsAndCase) {
  struct Row {
    std::u16string text, pattern, replacement;
    TReplaceFlags flags;
    bool wholeWord;
    std::u16string result;
  };
  const auto all = TReplaceFlag::rfReplaceAll | TReplaceFlag::rfIgnoreCase;
  const Row rows[] = {
      {u"cat catalog cat.", u"cat", u"dog", all, true, u"dog catalog dog."},
      {u"cat catalog cat.", u"cat", u"dog", all, false, u"dog dogalog dog."},
      {u"Cat cat", u"cat", u"dog", static_cast<unsigned>(TReplaceFlag::rfReplaceAll), false, u"Cat dog"},
      {u"Cat cat", u"CAT", u"dog", static_cast<unsigned>(TReplaceFlag::rfIgnoreCase), false, u"dog cat"},
      {u"xcat cat", u"cat", u"dog", static_cast<unsigned>(TReplaceFlag::rfIgnoreCase), true, u"xcat dog"},
      {u"a,b (,)", u",", u";", all, true, u"a,b (;)"},
      {u"abc", u"", u"x", all, false, u"abc"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(WideStringReplace(row.text, row.pattern, row.replacement, row.flags, row.wholeWord), row.result)
        << WideToUtf8(row.text);
  }
}

TEST(WideString, Masks) {
  struct Row {
    std::u16string name, mask;
    bool matches;
  };
  const Row rows[] = {
      {u"readme", u"*.*", true},
      {u"a.b.c", u"*.*", true},
      {u"dir/", u"*.*", true},
      {u"readme", u"*", true},
      {u"a.b.c", u"*", true},
      {u"readme", u"*.", true},
      {u"readme.txt", u"*.", false},
      {u"a.png", u"?.png", true},
      {u"ab.png", u"?.png", false},
      {u"abc.png", u"A*.PNG", true},
      {u"dir/x.png", u"*\\*.png", false},
      {u"dir\\x.png", u"*\\*.png", true},
      {u"x", u"", false},
      {u"abcbcd", u"a*bcd", true},
      {u"abc", u"a*c*", true},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(MatchesMask(row.name, row.mask), row.matches) << WideToUtf8(row.name) << " " << WideToUtf8(row.mask);
  }
}

}  // namespace
}  // namespace kestrune::zip
