#include "taskdialog/task_dialog_buttons.h"

#include <gtest/gtest.h>

#include "taskdialog/task_dialog_layout.h"

namespace {

using namespace kestrune::taskdialog;

struct RolesCase {
  const char* name;
  TCommonButtons buttons;
  int defaultButton;
  std::optional<TCommonButton> expectedDefault;
  std::optional<TCommonButton> expectedCancel;
};

void PrintTo(const RolesCase& c, std::ostream* os) { *os << c.name << " default " << c.defaultButton; }

class CommonButtonRolesTest : public ::testing::TestWithParam<RolesCase> {};

TEST_P(CommonButtonRolesTest, ChoosesDefaultAndCancel) {
  const CommonButtonRoles roles = ChooseCommonButtonRoles(GetParam().buttons, GetParam().defaultButton);
  EXPECT_EQ(roles.defaultButton, GetParam().expectedDefault);
  EXPECT_EQ(roles.cancelButton, GetParam().expectedCancel);
}

INSTANTIATE_TEST_SUITE_P(
    Sets, CommonButtonRolesTest,
    ::testing::Values(RolesCase{"OkAlone", {cbOK}, 0, cbOK, std::nullopt},
                      RolesCase{"YesNo", {cbYes, cbNo}, 0, cbYes, cbNo},
                      RolesCase{"YesNoCancelPrefersCancel", {cbYes, cbNo, cbCancel}, 0, cbYes, cbCancel},
                      RolesCase{"RetryAbort", {cbRetry, cbClose}, 0, cbRetry, std::nullopt},
                      RolesCase{"CancelAloneHasNoDefault", {cbCancel}, 0, std::nullopt, cbCancel},
                      RolesCase{"AskedForOkGetsYes", {cbYes, cbNo}, 1, cbYes, cbNo},
                      RolesCase{"AskedForOkWithRetryOnly", {cbRetry}, 1, std::nullopt, std::nullopt},
                      RolesCase{"AskedForCancelGetsNo", {cbYes, cbNo}, 2, cbNo, cbNo},
                      RolesCase{"CustomDefaultLeavesCommonAlone", {cbOK}, 100, std::nullopt, std::nullopt},
                      RolesCase{"None", {}, 0, std::nullopt, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ButtonForId, CommonByPositionCustomFrom100) {
  EXPECT_EQ(ButtonForId(1, 2, 3), (ButtonRef{ButtonRef::kCommon, 0}));
  EXPECT_EQ(ButtonForId(2, 2, 3), (ButtonRef{ButtonRef::kCommon, 1}));
  EXPECT_EQ(ButtonForId(3, 2, 3), ButtonRef{});
  EXPECT_EQ(ButtonForId(0, 2, 3), ButtonRef{});
  EXPECT_EQ(ButtonForId(102, 2, 3), (ButtonRef{ButtonRef::kCustom, 2}));
  EXPECT_EQ(ButtonForId(103, 2, 3), ButtonRef{});
  EXPECT_EQ(ButtonForId(-1, 2, 3), ButtonRef{});
}

TEST(DialogMetrics, DialogUnitsOfTheAverageLetterAndProgressWithinRange) {
  // 52 letters 364 pixels wide: 7 pixels a letter; 16 pixels high.
  const DialogMetrics m = ComputeDialogMetrics(364 + 51, 16);
  EXPECT_EQ(m, (DialogMetrics{14, 16, 17, 20, 87, 28, 7}));
  EXPECT_EQ(CommonButtonWidth(30, m), 87);
  EXPECT_EQ(CommonButtonWidth(80, m), 96);
  EXPECT_EQ(CustomButtonWidth(20), 60);
  EXPECT_EQ(ClientWidth({}), 350);
  EXPECT_EQ(ClientWidth({120, 610, 300}), 610);
  // Progress stays within the bar's range, even one given upside down.
  EXPECT_EQ(ClampProgress(150, 0, 100), 100);
  EXPECT_EQ(ClampProgress(-5, 0, 100), 0);
  EXPECT_EQ(ClampProgress(42, 0, 100), 42);
  EXPECT_EQ(ClampProgress(42, 50, 10), 50);
}

TEST(CommandLinkLayout, HeadingAndNotesCentredTwoPixelsLow) {
  // Heading 18 high, notes 15: the block is 18 + 4 + 2 * (15 + 2) = 56, centred in 80 then 2 lower.
  EXPECT_EQ(CommandLinkBlockHeight(18, 15, 3), 56);
  EXPECT_EQ(CommandLinkLineTops(80, 18, 15, 3), (std::vector<int>{14, 36, 53}));
  EXPECT_EQ(CommandLinkLineTops(40, 18, 15, 1), std::vector<int>{11});
  DialogMetrics metrics;
  metrics.ButtonHeight = 30;
  EXPECT_EQ(CommandLinkHeight(18, 15, 1, metrics), 38);
  EXPECT_EQ(CommandLinkHeight(18, 15, 3, metrics), 66);
}

}  // namespace
