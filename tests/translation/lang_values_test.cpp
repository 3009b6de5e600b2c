#include "translation/lang_values.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

namespace tr = kestrune::translation;

struct LiteralCase {
  const char* name;
  std::string_view value;
  std::optional<std::string_view> text;  // nothing: the value is refused as a bad character code
};

void PrintTo(const LiteralCase& c, std::ostream* out) { *out << "value <" << c.value << ">"; }

class LiteralDecoding : public ::testing::TestWithParam<LiteralCase> {};

TEST_P(LiteralDecoding, GivesTheTextOrRefusesTheCode) {
  std::string error;
  const std::optional<std::string> text = tr::DecodeLangLiteral(GetParam().value, &error);
  if (GetParam().text) {
    ASSERT_TRUE(text.has_value()) << error;
    EXPECT_EQ(*text, *GetParam().text);
  } else {
    EXPECT_FALSE(text.has_value());
    EXPECT_EQ(error, tr::kBadCharacterCode);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, LiteralDecoding,
    ::testing::Values(
        LiteralCase{"Quoted", "'Preferences'", "Preferences"},
        LiteralCase{"TwoLinesJoinedByCodes", "'a'#13#10'b'", "a\r\nb"},
        LiteralCase{"DoubledQuoteIsOne", "'It''s'", "It's"}, LiteralCase{"OnlyADoubledQuote", "''''", "'"},
        LiteralCase{"EmptyQuotes", "''", ""}, LiteralCase{"UnquotedTextAsItIs", "Plain text", "Plain text"},
        LiteralCase{"CodeAboveAsciiIsAWindows1252Byte", "'caf'#233", "caf\xC3\xA9"},
        LiteralCase{"Code150IsAnEnDash", "'a'#150'b'",
                    "a\xE2\x80\x93"
                    "b"},
        LiteralCase{"CodeThenUnquotedText", "#65bc", "Abc"},
        LiteralCase{"Utf8InsideQuotes", "'Voorkeuren \xE2\x80\x93 \xC3\xA9'", "Voorkeuren \xE2\x80\x93 \xC3\xA9"},
        LiteralCase{"TextAfterClosingQuoteEmptiesAll", "'abc'd", ""},
        LiteralCase{"BlankAfterClosingQuoteEmptiesAll", "'abc' ", ""}, LiteralCase{"UnclosedQuoteIsEmpty", "'abc", ""},
        LiteralCase{"UnclosedAfterCodeIsEmpty", "#65'abc", ""}, LiteralCase{"ShorterThanTwoIsEmpty", "x", ""},
        LiteralCase{"EmptyValueIsEmpty", "", ""}, LiteralCase{"Code255IsTheLastCode", "'a'#255", "a\xC3\xBF"},
        LiteralCase{"Code256IsUnicode", "'a'#256", "a\xC4\x80"},
        LiteralCase{"Code8211IsUnicodeEnDash", "#8211", "\xE2\x80\x93"},
        LiteralCase{"LastUnicodeCodeIsAccepted", "#1114111", "\xF4\x8F\xBF\xBF"},
        LiteralCase{"CodeAboveUnicodeIsRefused", "'a'#1114112", std::nullopt},
        LiteralCase{"SurrogateCodeIsRefused", "'a'#55296", std::nullopt},
        LiteralCase{"HashWithoutDigitsIsRefused", "'a'#", std::nullopt},
        LiteralCase{"HashBeforeQuoteIsRefused", "#'a'", std::nullopt},
        LiteralCase{"EndlessDigitsAreRefused", "#99999999999999999999999", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

struct ListCase {
  const char* name;
  std::string_view value;
  std::vector<std::string> items;
};

void PrintTo(const ListCase& c, std::ostream* out) { *out << "list <" << c.value << ">"; }

class DelimitedList : public ::testing::TestWithParam<ListCase> {};

TEST_P(DelimitedList, SplitsIntoItems) { EXPECT_EQ(tr::SplitDelimitedList(GetParam().value), GetParam().items); }

INSTANTIATE_TEST_SUITE_P(
    Values, DelimitedList,
    ::testing::Values(ListCase{"QuotedItems", "'None','2x', '3x' ,'4x'", {"None", "2x", "3x", "4x"}},
                      ListCase{"QuotedItemKeepsCommaAndBlanks", "'Sharpen, More', 'Blur'", {"Sharpen, More", "Blur"}},
                      ListCase{"DoubledQuoteInsideItem", "'It''s','b'", {"It's", "b"}},
                      ListCase{"UnquotedItems", "a,b,c", {"a", "b", "c"}},
                      ListCase{"BlankEndsUnquotedItem", "Sharpen More,Blur", {"Sharpen", "More", "Blur"}},
                      ListCase{"EmptyBetweenCommas", "a,,b", {"a", "", "b"}},
                      ListCase{"TrailingCommaAddsEmptyItem", "a,", {"a", ""}},
                      ListCase{"UnclosedQuoteTakesTheRest", "'a,b", {"a,b"}}, ListCase{"EmptyValueIsNoItem", "", {}},
                      ListCase{"OnlyBlanksIsNoItem", "   ", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LangNumbers, ReadTheNumberOrZero) {
  const std::pair<std::string_view, std::int32_t> integers[] = {{"12", 12}, {"-8", -8}, {"+7", 7},          {"$1F", 31},
                                                                {"abc", 0}, {"", 0},    {"12x", 0},         {"1 2", 0},
                                                                {"+-3", 0}, {"$-1", 0}, {"99999999999", 0}, {"--1", 0}};
  for (const auto& [text, number] : integers) EXPECT_EQ(tr::ReadLangInteger(text), number) << text;
  const std::pair<std::string_view, double> floats[] = {
      {"1.5", 1.5}, {"-0.25", -0.25}, {"2", 2}, {"abc", 0}, {"1,5", 0}, {"", 0}, {"inf", 0}, {"nan", 0}, {"+-1", 0}};
  for (const auto& [text, number] : floats) EXPECT_EQ(tr::ReadLangFloat(text), number) << text;
}

}  // namespace
