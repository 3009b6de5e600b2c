#include "taskdialog/system_path.h"

#include <gtest/gtest.h>

namespace {

using namespace kestrune::taskdialog;

// Plays a scripted run of the system dialog: each notification goes to the callback, whose answers
// and the messages sent back are recorded.
class FakeSystemApi : public SystemTaskDialogApi {
 public:
  int SystemMajorVersion() const override { return 10; }
  std::optional<std::uint32_t> CommonControlsVersionMS() const override { return 0x00060010; }
  bool LoadDialogFunction() override { return loads; }
  std::optional<SystemDialogOutcome> RunDialog(const TaskDialogConfig& config,
                                               const NotificationCallback& callback) override {
    ranWith = config;
    for (const Notification& n : script) {
      answers.push_back(callback(kWindow, n));
      if (duringRun) duringRun();
    }
    return outcome;
  }
  void SendDialogMessage(WindowHandle window, const DialogMessage& message) override {
    EXPECT_EQ(window, kWindow);
    sent.push_back(message);
  }

  static constexpr WindowHandle kWindow = 0x5150;
  bool loads = true;
  std::vector<Notification> script;
  std::function<void()> duringRun;
  std::optional<SystemDialogOutcome> outcome = SystemDialogOutcome{1, 0, false};
  std::optional<TaskDialogConfig> ranWith;
  std::vector<int> answers;
  std::vector<DialogMessage> sent;
};

}  // namespace

namespace kestrune::taskdialog {
void PrintTo(const DialogMessage& m, std::ostream* os) {
  *os << "{" << m.code << ", " << m.wParam << ", " << m.lParam << ", " << m.text.size() << " units}";
}
}  // namespace kestrune::taskdialog

namespace {

struct FlagsCase {
  const char* name;
  TTaskDialogOptions options;
  TTaskDialogPosition position;
  bool customIcon;
  std::uint32_t flags;
};

void PrintTo(const FlagsCase& c, std::ostream* os) { *os << c.name; }

class SystemFlags : public ::testing::TestWithParam<FlagsCase> {};

TEST_P(SystemFlags, OptionsBecomeTheRecordsFlags) {
  EXPECT_EQ(SystemDialogFlags(GetParam().options, GetParam().position, GetParam().customIcon), GetParam().flags);
}

INSTANTIATE_TEST_SUITE_P(
    Options, SystemFlags,
    ::testing::Values(FlagsCase{"None", {}, dpScreenCenter, false, 0},
                      FlagsCase{"ScanDialog", {doProgressBar}, dpOwnerFormCenter, true, 0x200 | 0x800 | 0x1000 | 0x2},
                      FlagsCase{"TimerAlone", {doTimer}, dpScreenCenter, false, 0x800},
                      FlagsCase{"MarqueeTicks", {doProgressBarMarquee}, dpScreenCenter, false, 0x400 | 0x800},
                      FlagsCase{"CommandLinks", {doCommandLinks}, dpScreenCenter, false, 0x10},
                      FlagsCase{
                          "NoIconReplacesLinks", {doCommandLinks, doCommandLinksNoIcon}, dpScreenCenter, false, 0x20},
                      FlagsCase{"TheRest",
                                {doHyperlinks, doExpandedDefault, doExpandedFooter, doAllowMinimize, doVerifyChecked,
                                 doNoDefaultRadioButton, doAllowDialogCancel},
                                dpScreenCenter,
                                false,
                                0x1 | 0x80 | 0x40 | 0x8000 | 0x100 | 0x4000 | 0x8}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BuildTaskDialogConfig, TextsButtonsAndIcons) {
  TaskDialogSettings s;
  s.Title = u"Scan\\nnow";
  s.Content = u"one\\ntwo";
  s.VerificationText = u"keep\\nas is";
  s.CustomButtons = {u"Stop\\nit", u"Go"};
  s.CommonButtons = {cbOK, cbCancel, cbClose};
  s.Icon = tiInformation;
  s.FooterIcon = tfiShield;
  s.DefaultButton = 101;
  const TaskDialogConfig c = BuildTaskDialogConfig(s);
  EXPECT_EQ(c.cbSize, 96u);
  EXPECT_EQ(c.pszWindowTitle, u"Scan\nnow");
  EXPECT_EQ(c.pszContent, u"one\ntwo");
  EXPECT_EQ(c.pszVerificationText, u"keep\\nas is");
  EXPECT_FALSE(c.pszMainInstruction.has_value());
  EXPECT_FALSE(c.pszFooter.has_value());
  EXPECT_EQ(c.pButtons, (std::vector<ButtonEntry>{{100, u"Stop\nit"}, {101, u"Go"}}));
  EXPECT_TRUE(c.pRadioButtons.empty());
  EXPECT_EQ(c.dwCommonButtons, 0x1u | 0x8u | 0x20u);
  EXPECT_EQ(c.mainIconResource, 81u);
  EXPECT_EQ(c.footerIconResource, 65532u);
  EXPECT_EQ(c.nDefaultButton, 101);
  EXPECT_EQ(SystemMainIcon(tiNotUsed), 0u);
  EXPECT_EQ(SystemFooterIcon(tfiBlank), 0u);
}

TEST(UseSystemDialog, NeedsSystem6AndCommonControlsAbove5) {
  EXPECT_FALSE(UseSystemDialog(5, 0x00060000));
  EXPECT_FALSE(UseSystemDialog(6, 0x00050052));
  EXPECT_TRUE(UseSystemDialog(6, 0x00060000));
  EXPECT_TRUE(UseSystemDialog(6, std::nullopt));  // unreadable counts as 255
  EXPECT_FALSE(UseSystemDialog(6, 0x01050000));   // only the low byte of the high word counts
}

class SystemRun : public ::testing::Test {
 protected:
  int Show() { return dialog.Show(settings, handlers, outcome); }

  FakeSystemApi api;
  SystemTaskDialog dialog{api};
  TaskDialogSettings settings;
  TaskDialogHandlers handlers;
  SystemDialogOutcome outcome;
};

TEST_F(SystemRun, ProgressRangeIsSetWithoutACreatedHandlerAndNotForTheTimerAlone) {
  settings.Options = {doProgressBar};
  settings.ProgressBarMin = 5;
  settings.ProgressBarMax = 70000;
  api.script = {{kCreated, 0, {}}, {kTimer, 0, {}}};
  Show();
  EXPECT_EQ(api.sent, (std::vector<DialogMessage>{{kSetProgressBarRange, 0, 5 | (std::intptr_t{0xFFFF} << 16), {}}}));
  settings.Options = {doTimer};
  int ticks = 0;
  handlers.timer = [&] { ++ticks; };
  api.sent.clear();
  Show();
  EXPECT_EQ(ticks, 1);
  EXPECT_TRUE(api.sent.empty());
}

TEST_F(SystemRun, RefusedCloseKeepsTheDialogAfterTheButtonEvent) {
  std::vector<int> clicked;
  handlers.buttonClick = [&](int id) { clicked.push_back(id); };
  handlers.close = [&](bool& canClose) { canClose = clicked.size() > 1; };
  api.script = {{kButtonClicked, 100, {}}, {kButtonClicked, 1, {}}};
  Show();
  EXPECT_EQ(clicked, (std::vector<int>{100, 1}));
  EXPECT_EQ(api.answers, (std::vector<int>{1, 0}));
}

TEST_F(SystemRun, ProgressHandlerMovesTheBarWithinItsRangeAndSetsItsState) {
  settings.ProgressBarMin = 10;
  std::vector<int> seen;
  handlers.progress = [&](int& pos, TTaskDialogProgressState& state) {
    seen.push_back(pos);
    pos = seen.size() == 1 ? 250 : 40;
    if (seen.size() == 2) state = psPaused;
  };
  api.script = {{kTimer, 0, {}}, {kTimer, 0, {}}};
  Show();
  EXPECT_EQ(seen, (std::vector<int>{10, 100}));
  EXPECT_EQ(api.sent, (std::vector<DialogMessage>{{kSetProgressBarPos, 100, 0, {}},
                                                  {kSetProgressBarState, 1, 0, {}},
                                                  {kSetProgressBarPos, 40, 0, {}},
                                                  {kSetProgressBarState, 3, 0, {}}}));
}

TEST_F(SystemRun, TextsAndButtonsGoToTheOpenDialogOnly) {
  api.script = {{kCreated, 0, {}}};
  api.duringRun = [&] {
    dialog.UpdateElementText(TextElement::kInstruction, u"Reading");
    dialog.EnableButton(1, false);
  };
  api.outcome = SystemDialogOutcome{6, 201, true};
  EXPECT_EQ(Show(), 6);
  EXPECT_EQ(outcome.radio, 201);
  EXPECT_TRUE(outcome.verified);
  dialog.UpdateElementText(TextElement::kContent, u"late");
  EXPECT_EQ(api.sent, (std::vector<DialogMessage>{{kUpdateElementText, 3, 0, u"Reading"}, {kEnableButton, 1, 0, {}}}));
  EXPECT_FALSE(dialog.IsOpen());
}

TEST_F(SystemRun, MissingLibraryShowsNothing) {
  api.loads = false;
  bool created = false;
  handlers.created = [&] { created = true; };
  api.script = {{kCreated, 0, {}}};
  EXPECT_EQ(Show(), -1);
  EXPECT_FALSE(api.ranWith.has_value());
  EXPECT_FALSE(created);
  api.loads = true;
  api.outcome.reset();
  EXPECT_EQ(Show(), -1);
}

}  // namespace
