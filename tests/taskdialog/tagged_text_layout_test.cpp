#include "taskdialog/tagged_text_layout.h"

#include <gtest/gtest.h>

#include "fake_text_metrics.h"

namespace {

using namespace kestrune::taskdialog;

std::string Narrow(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '*';
  return out;
}

// Every text piece as "text@x,y" (the box's top left), in drawing order.
std::string Pieces(const TaggedLayout& layout) {
  std::string out;
  for (const LaidText& text : layout.texts) {
    if (!out.empty()) out += " ";
    out += Narrow(text.text) + "@" + std::to_string(text.box.x) + "," + std::to_string(text.box.y);
  }
  return out;
}

struct LayoutCase {
  const char* name;
  std::u16string text;
  int width;
  TextSize size;
  std::string pieces;
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }

class TaggedTextLayout : public ::testing::TestWithParam<LayoutCase> {};

// Base font: 10 points, so a character is 10 wide and a line 12 high (ascent 10, descent 2).
TEST_P(TaggedTextLayout, PlacesEveryPieceAndMeasuresTheWhole) {
  FakeTextMetrics metrics;
  const TaggedLayout layout = LayOutTaggedText(GetParam().text, metrics, {GetParam().width, 10});
  EXPECT_EQ(layout.size, GetParam().size);
  EXPECT_EQ(Pieces(layout), GetParam().pieces);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TaggedTextLayout,
    ::testing::Values(
        LayoutCase{"OneLine", u"abc", 0, {30, 12}, "abc@0,0"},
        LayoutCase{"CrLfGivesTwoLines", u"ab\r\ncd", 0, {20, 24}, "ab@0,0 cd@0,12"},
        LayoutCase{"AmpersandEntityIsOneCharacter", u"a &amp; b", 0, {50, 12}, "a @0,0 & @20,0 b@40,0"},
        LayoutCase{"WrapsAtBlanks", u"aa bb cc", 55, {50, 24}, "aa @0,0 bb@30,0 cc@0,12"},
        LayoutCase{"BlanksBeforeAWrapAreDropped", u"aa   bb", 35, {20, 24}, "aa@0,0 bb@0,12"},
        LayoutCase{"BlanksStartingALineAreKept", u"  ab", 0, {40, 12}, "  @0,0 ab@20,0"},
        LayoutCase{"BlankLinesKeepTheirHeight", u" \r \r \r ", 0, {0, 48}, "@0,0 @0,12 @0,24 @0,36"},
        LayoutCase{"LongWordIsCutToTheWidth", u"abcdefgh", 35, {30, 36}, "abc@0,0 def@0,12 gh@0,24"},
        LayoutCase{"BoldIsWider", u"<B>ab</B>c", 0, {32, 12}, "ab@0,0 c@22,0"},
        LayoutCase{"FontSizeRaisesTheLine", u"<FONT size=5>a</FONT>b", 0, {26, 20}, "a@0,0 b@16,6"},
        LayoutCase{"SuperscriptIsSmallerAndRaised", u"a<SUP>b</SUP>", 0, {16, 12}, "a@0,0 b@10,1"},
        LayoutCase{"SubscriptIsSmallerAndLowered", u"a<SUB>b</SUB>", 0, {16, 14}, "a@0,0 b@10,7"},
        LayoutCase{"ShadowAddsItsOffset", u"<SHAD>ab</SHAD>", 0, {21, 13}, "ab@0,0"},
        LayoutCase{"UnknownTagsAreSkipped", u"a<blink>b</blink>", 0, {20, 12}, "a@0,0 b@10,0"},
        LayoutCase{"OffsetPlacesTheText", u"a<OF x=50>b", 0, {60, 12}, "a@0,0 b@50,0"},
        LayoutCase{"IndentNeverGoesBack", u"abc<IND x=20>d<BR><IND x=20>e", 0, {40, 24}, "abc@0,0 d@30,0 e@20,12"},
        LayoutCase{"ListItemsAreIndented", u"<UL><LI>a<LI>b</UL>c", 0, {26, 36}, "*@0,0 a@16,0 *@0,12 b@16,12 c@0,24"},
        LayoutCase{"NestedListsIndentFurther", u"<UL><UL><LI>a</UL></UL>", 0, {42, 12}, "*@16,0 a@32,0"},
        LayoutCase{"CentredParagraph", u"<P align=center>ab</P>c", 100, {60, 24}, "ab@40,0 c@0,12"},
        LayoutCase{"RightParagraphWithQuotes", u"<P ALIGN=\"RIGHT\">ab</P>", 100, {100, 12}, "ab@80,0"},
        LayoutCase{"ParagraphIndent", u"<P indent=5>ab cd</P>", 40, {25, 24}, "ab@5,0 cd@5,12"},
        LayoutCase{"RuleTakesTheWidth", u"a<HR>b", 100, {100, 32}, "a@0,0 b@0,20"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TaggedTextLayout, LinksAreUnderlinedAndHitWhereTheyStand) {
  FakeTextMetrics metrics;
  const TaggedLayout layout =
      LayOutTaggedText(u"go <A href=\"http://x\">here now</A> end <a href=mailto:a@b>m</a>", metrics, {0, 10});
  ASSERT_EQ(layout.links.size(), 2u);
  EXPECT_EQ(layout.links[0].href, u"http://x");
  EXPECT_EQ(layout.links[0].text, u"here now");
  EXPECT_EQ(layout.links[1].href, u"mailto:a@b");
  EXPECT_EQ(LinkAt(layout, {30, 0}), 0);
  EXPECT_EQ(LinkAt(layout, {109, 11}), 0);
  EXPECT_EQ(LinkAt(layout, {29, 5}), -1);
  EXPECT_EQ(LinkAt(layout, {110, 5}), -1);
  EXPECT_EQ(LinkAt(layout, {50, 12}), -1);
  EXPECT_EQ(LinkAt(layout, {165, 5}), 1);
  EXPECT_EQ(LinkRect(layout, 0), (TextRect{30, 0, 80, 12}));
  EXPECT_EQ(LinkRect(layout, 2), std::nullopt);
  for (const LaidText& text : layout.texts)
    EXPECT_EQ(text.style.underline, text.style.linkIndex >= 0) << Narrow(text.text);
}

TEST(TaggedTextLayout, WrappedLinkIsHitOnEveryLine) {
  FakeTextMetrics metrics;
  const TaggedLayout layout = LayOutTaggedText(u"<A href=a>aa bb cc</A>", metrics, {60, 10});
  EXPECT_EQ(LinkAt(layout, {5, 15}), 0);
  EXPECT_EQ(LinkAt(layout, {25, 15}), -1);
  EXPECT_EQ(LinkRect(layout, 0), (TextRect{0, 0, 50, 24}));
}

struct PictureCase {
  const char* name;
  std::u16string text;
  double zoom;
  TextSize size;
  TextRect box;
};

void PrintTo(const PictureCase& c, std::ostream* os) { *os << c.name; }

class TaggedTextPictures : public ::testing::TestWithParam<PictureCase> {};

// The picture "pic" is 20 by 30, beside text of ascent 10 and descent 2.
TEST_P(TaggedTextPictures, SitOnTheLineAsAligned) {
  FakeTextMetrics metrics;
  metrics.pictures[u"pic"] = {20, 30};
  TaggedLayoutOptions options{0, 10};
  options.zoom = GetParam().zoom;
  const TaggedLayout layout = LayOutTaggedText(GetParam().text, metrics, options);
  EXPECT_EQ(layout.size, GetParam().size);
  ASSERT_EQ(layout.pictures.size(), 1u);
  EXPECT_EQ(layout.pictures[0].box, GetParam().box);
  EXPECT_EQ(layout.pictures[0].source, u"pic");
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, TaggedTextPictures,
    ::testing::Values(PictureCase{"Bottom", u"a<IMG src=pic>b", 1.0, {40, 32}, {10, 0, 20, 30}},
                      PictureCase{"Top", u"a<IMG src=pic align=top>", 1.0, {30, 30}, {10, 0, 20, 30}},
                      PictureCase{"Middle", u"a<IMG src=pic align=middle>", 1.0, {30, 30}, {10, 0, 20, 30}},
                      PictureCase{"SizeGiven", u"<IMG src=pic width=8 height=4>", 1.0, {8, 4}, {0, 0, 8, 4}},
                      PictureCase{"Zoomed", u"<IMG src=pic>", 2.0, {40, 60}, {0, 0, 40, 60}},
                      PictureCase{"OwnLine", u"a<IMG src=pic wrap>b", 1.0, {20, 54}, {0, 12, 20, 30}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TaggedTextLayout, MissingPictureShowsItsAltText) {
  FakeTextMetrics metrics;
  const TaggedLayout layout = LayOutTaggedText(u"<IMG src=gone alt=\"no pic\">", metrics, {0, 10});
  EXPECT_TRUE(layout.pictures.empty());
  EXPECT_EQ(Pieces(layout), "no @0,0 pic@30,0");
}

TEST(TaggedTextLayout, TurnedTextCoversItsTurnedBox) {
  FakeTextMetrics metrics;
  const TaggedLayout layout = LayOutTaggedText(u"<R a=90>ab</R>", metrics, {0, 10});
  ASSERT_EQ(layout.texts.size(), 1u);
  const LaidText& text = layout.texts[0];
  EXPECT_EQ(text.box, (TextRect{0, 0, 12, 20}));
  EXPECT_EQ(text.originX, 10);
  EXPECT_EQ(text.baseline, 20);
  EXPECT_EQ(text.style.rotation, 90);
}

TEST(TaggedTextLayout, FontColoursNestAndCloseBackToTheOuterOnes) {
  FakeTextMetrics metrics;
  const TaggedLayout layout = LayOutTaggedText(
      u"<FONT color=clRed bgcolor=#0000FF>a<FONT color=#00FF00 face=Mono>b</FONT>c</FONT>d", metrics, {0, 10});
  ASSERT_EQ(layout.texts.size(), 4u);
  EXPECT_EQ(layout.texts[0].style.colour, RgbColour(255, 0, 0));
  EXPECT_EQ(layout.texts[0].style.background, RgbColour(0, 0, 255));
  EXPECT_EQ(layout.texts[1].style.colour, RgbColour(0, 255, 0));
  EXPECT_EQ(layout.texts[1].style.font.face, u"Mono");
  EXPECT_EQ(layout.texts[2].style.colour, RgbColour(255, 0, 0));
  EXPECT_EQ(layout.texts[2].style.font.face, u"");
  EXPECT_EQ(layout.texts[3].style.colour, std::nullopt);
  EXPECT_EQ(layout.texts[3].style.background, std::nullopt);
}

TEST(TaggedTextLayout, BackgroundsReachTheWidth) {
  FakeTextMetrics metrics;
  const TaggedLayout layout = LayOutTaggedText(
      u"<BODY bgcolor=clWhite bgcolorto=clBlue dir=h background=bg bgtopright=logo><P bgcolor=clRed>a</P>b<HR>",
      metrics, {0, 10});
  EXPECT_EQ(layout.body.colour, RgbColour(255, 255, 255));
  EXPECT_EQ(layout.body.colourTo, RgbColour(0, 0, 255));
  EXPECT_TRUE(layout.body.across);
  EXPECT_EQ(layout.body.background, u"bg");
  EXPECT_EQ(layout.body.topRight, u"logo");
  ASSERT_EQ(layout.fills.size(), 1u);
  EXPECT_EQ(layout.fills[0].box, (TextRect{0, 0, 10, 12}));
  ASSERT_EQ(layout.rules.size(), 1u);
  EXPECT_EQ(layout.rules[0].box, (TextRect{0, 24, 10, kRuleHeight}));
}

}  // namespace
