#include "taskdialog/task_dialog_text.h"

#include <gtest/gtest.h>

namespace {

using namespace kestrune::taskdialog;

struct BreakCase {
  const char* name;
  std::u16string stored;
  std::u16string shown;
};

void PrintTo(const BreakCase& c, std::ostream* os) { *os << c.name; }

class DisplayTextBreaks : public ::testing::TestWithParam<BreakCase> {};

TEST_P(DisplayTextBreaks, EveryKindOfLineEndBreaksOnce) { EXPECT_EQ(DisplayText(GetParam().stored), GetParam().shown); }

INSTANTIATE_TEST_SUITE_P(Texts, DisplayTextBreaks,
                         ::testing::Values(BreakCase{"Cr", u"a\rb", u"a\nb"}, BreakCase{"Lf", u"a\nb", u"a\nb"},
                                           BreakCase{"CrLf", u"a\r\nb", u"a\nb"},
                                           BreakCase{"LfCrIsTwoBreaks", u"a\n\rb", u"a\n\nb"},
                                           BreakCase{"BackslashN", u"a\\nb", u"a\nb"},
                                           BreakCase{"LoneBackslash", u"C:\\x\\", u"C:\\x\\"},
                                           BreakCase{"ScanPlaceholder", u" \r \r \r ", u" \n \n \n "},
                                           BreakCase{"TrailingCr", u"end\r", u"end\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CutForSystemDialog, KeepsAtMost1023UnitsAndNeverHalvesASurrogatePair) {
  EXPECT_EQ(CutForSystemDialog(std::u16string(1023, u'x')).size(), 1023u);
  EXPECT_EQ(CutForSystemDialog(std::u16string(2000, u'x')).size(), 1023u);
  const std::u16string pairAtCut = std::u16string(1022, u'x') + u"\U0001F600";
  EXPECT_EQ(CutForSystemDialog(pairAtCut), std::u16string(1022, u'x'));
}

TEST(BuildClipboardText, DashedLinesAroundCaptionInstructionAndButtons) {
  const std::u16string dashes = u"---------------------------\r\n";
  EXPECT_EQ(BuildClipboardText(u"Initializing Roms", u"Reading", {u"OK", u"Cancel"}),
            dashes + u"Initializing Roms\r\n" + dashes + u"Reading\r\n" + dashes + u"OK   Cancel   \r\n" + dashes);
  EXPECT_EQ(BuildClipboardText(u"", u"", {u"&Yes", u"&No", u"R&&D"}),
            dashes + u"\r\n" + dashes + u"\r\n" + dashes + u"Yes   No   RD   \r\n" + dashes);
}

TEST(CaptionLines, HeadingThenNotesAtEveryKindOfBreak) {
  EXPECT_EQ(CaptionLines(u"&Rescan\\nReads every archive\r\nagain"),
            (std::vector<std::u16string>{u"&Rescan", u"Reads every archive", u"again"}));
  EXPECT_EQ(CaptionLines(u""), std::vector<std::u16string>{u""});
}

TEST(AcceleratorOf, MarkedLetterInLowerCaseAndNoneForDoubledAmpersands) {
  EXPECT_EQ(AcceleratorOf(u"&Rescan"), u'r');
  EXPECT_EQ(AcceleratorOf(u"Save && &quit"), u'q');
  EXPECT_EQ(AcceleratorOf(u"Tom && Jerry"), 0);
  EXPECT_EQ(AcceleratorOf(u"trailing &"), 0);
  EXPECT_EQ(AcceleratorOf(u"&7 sets"), u'7');
}

}  // namespace
