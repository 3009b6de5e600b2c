#include "taskdialog/task_message_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "shown_dialog.h"
#include "taskdialog/task_dialog_qt.h"

namespace {

using namespace kestrune::taskdialog;

QAbstractButton* Button(TTaskMessageForm& form, const char* name) {
  return form.findChild<QAbstractButton*>(QString::fromLatin1(name));
}

void Press(QWidget& target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent event(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(&target, &event);
}

TEST(TaskMessageForm, EveryControlCarriesItsName) {
  TTaskDialogEx dialog;
  dialog.SetInstruction("Reading");
  dialog.SetOptions({doProgressBar});
  dialog.SetVerificationText("Show badroms after initializing");
  dialog.SetCommonButtons({cbOK, cbYes, cbNo, cbCancel, cbRetry, cbClose});
  dialog.SetCustomButtons({"Rescan", "Skip"});
  TTaskMessageForm form(dialog);
  for (const char* name : {"Instr", "Image", "ProgressBar", "Verification", "OK", "Yes", "No", "Cancel", "Retry",
                           "Abort", "Button0", "Button1"}) {
    EXPECT_NE(form.findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
  }
  EXPECT_EQ(form.findChild<QLabel*>("Instr")->text(), "Reading");
  EXPECT_EQ(Button(form, "Abort")->text(), "&Abort");
  EXPECT_EQ(form.ProgressBar()->height(), 12);
}

struct RolesCase {
  const char* name;
  TCommonButtons buttons;
  const char* defaultButton;
  const char* cancelButton;
};

void PrintTo(const RolesCase& c, std::ostream* os) { *os << c.name; }

class TaskMessageFormRoles : public ::testing::TestWithParam<RolesCase> {};

TEST_P(TaskMessageFormRoles, DefaultAndCancelButtons) {
  TTaskDialogEx dialog;
  dialog.SetCommonButtons(GetParam().buttons);
  TTaskMessageForm form(dialog);
  ASSERT_NE(form.DefaultButton(), nullptr);
  EXPECT_EQ(form.DefaultButton()->objectName(), GetParam().defaultButton);
  EXPECT_EQ(form.CancelButton() ? form.CancelButton()->objectName() : QString(), GetParam().cancelButton);
}

INSTANTIATE_TEST_SUITE_P(Sets, TaskMessageFormRoles,
                         ::testing::Values(RolesCase{"OkAlone", {cbOK}, "OK", ""},
                                           RolesCase{"YesNo", {cbYes, cbNo}, "Yes", "No"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TaskMessageForm, LongTitleWidensTheWindowAndEmptyIsStill350) {
  TTaskDialogEx dialog;
  EXPECT_EQ(TTaskMessageForm(dialog).width(), 350);
  dialog.SetTitle(QString(120, QLatin1Char('W')));
  TTaskMessageForm wide(dialog);
  EXPECT_GE(wide.width(), std::min(QFontMetrics(wide.font()).horizontalAdvance(dialog.Title()), 1000) + 50);
  EXPECT_GT(wide.width(), 350);
}

TEST(TaskMessageForm, CtrlCCopiesCaptionInstructionAndButtons) {
  TTaskDialogEx dialog;
  dialog.SetTitle("Initializing Roms");
  dialog.SetInstruction("Reading");
  dialog.SetContent("not copied");
  dialog.SetCommonButtons({cbOK, cbCancel});
  TTaskMessageForm form(dialog);
  Press(form, Qt::Key_C, Qt::ControlModifier);
  const QString dashes = QString(27, QLatin1Char('-')) + "\r\n";
  EXPECT_EQ(QGuiApplication::clipboard()->text(),
            dashes + "Initializing Roms\r\n" + dashes + "Reading\r\n" + dashes + "OK   Cancel   \r\n" + dashes);
}

TEST(TaskMessageForm, EveryLineEndBreaksTheContentAndChangesRelayOut) {
  TTaskDialogEx dialog;
  dialog.SetCommonButtons({cbOK});
  dialog.SetContent("one");
  TTaskMessageForm form(dialog);
  const int oneLine = form.ContentRect().height();
  const int height = form.height();
  for (const char* breaks : {"one\rtwo\nthree\r\nfour", "one\\ntwo\\nthree\\nfour"}) {
    dialog.SetContent("one");
    form.LayOut();
    dialog.SetContent(breaks);
    form.LayOut();
    EXPECT_GE(form.ContentRect().height(), 4 * oneLine) << breaks;
    EXPECT_EQ(form.BandTop(), form.ContentRect().bottom() + 1 + form.Metrics().VertSpacing);
    EXPECT_GT(form.height(), height);
  }
}

TEST(TaskDialogEx, CreatedEventRunsBeforeShowingAndCanDisableOk) {
  TTaskDialogEx dialog;
  dialog.SetCommonButtons({cbOK});
  dialog.SetOptions({doAllowDialogCancel});
  bool visibleWhenCreated = true;
  dialog.OnDialogCreated = [&](QObject* sender) {
    EXPECT_EQ(sender, &dialog);
    visibleWhenCreated = dialog.MessageForm()->isVisible();
    dialog.SetButtonEnabled(1, false);
  };
  int asked = 0;
  dialog.OnDialogClose = [&](QObject*, bool&) { ++asked; };
  const int result = RunShown(dialog, [&](TTaskMessageForm& form) {
    QAbstractButton* ok = Button(form, "OK");
    EXPECT_FALSE(ok->isEnabled());
    Press(form, Qt::Key_Escape);
    form.close();
    ok->click();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(asked, 0);
    dialog.SetButtonEnabled(1, true);
    ok->click();
  });
  EXPECT_FALSE(visibleWhenCreated);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(dialog.MessageForm(), nullptr);
}

TEST(TaskDialogEx, TimerFeedsTheBarWithoutDoTimerWithinItsRange) {
  TTaskDialogEx dialog;
  dialog.SetCommonButtons({cbOK});
  dialog.SetOptions({doProgressBar});
  dialog.SetProgressBarMax(90);
  int ticks = 0;
  dialog.OnDialogTimer = [&](QObject*) { ++ticks; };
  dialog.OnDialogProgress = [](QObject*, int& pos, TTaskDialogProgressState&) { pos += 40; };
  const int result = RunShown(dialog, [&](TTaskMessageForm& form) {
    EXPECT_EQ(form.ProgressBar()->maximum(), 90);
    EXPECT_TRUE(WaitUntil([&] { return ticks >= 4; }));
    EXPECT_EQ(form.ProgressBar()->value(), 90);
    Button(form, "OK")->click();
  });
  EXPECT_EQ(result, 1);
}

TEST(TaskDialogEx, RefusedCloseKeepsTheWindowOpen) {
  TTaskDialogEx dialog;
  dialog.SetCommonButtons({cbOK});
  int asked = 0;
  dialog.OnDialogClose = [&](QObject*, bool& canClose) { canClose = ++asked > 2; };
  const int result = RunShown(dialog, [&](TTaskMessageForm& form) {
    Button(form, "OK")->click();
    form.close();
    EXPECT_TRUE(form.isVisible());
    Button(form, "OK")->click();
  });
  EXPECT_EQ(asked, 3);
  EXPECT_EQ(result, 1);
}

TEST(TaskDialogEx, CustomButtonsRaiseTheButtonEventCommonOnesDoNot) {
  TTaskDialogEx dialog;
  dialog.SetCommonButtons({cbYes, cbNo});
  dialog.SetCustomButtons({"Rescan", "Skip"});
  std::vector<int> clicked;
  dialog.OnDialogButtonClick = [&](QObject*, int id) { clicked.push_back(id); };
  EXPECT_EQ(RunShown(dialog, [](TTaskMessageForm& form) { Button(form, "Button1")->click(); }), 101);
  EXPECT_EQ(RunShown(dialog, [](TTaskMessageForm& form) { Button(form, "Yes")->click(); }), 6);
  EXPECT_EQ(RunShown(dialog, [](TTaskMessageForm& form) { Press(form, Qt::Key_Escape); }), 7);
  EXPECT_EQ(clicked, std::vector<int>{101});
}

TEST(TaskDialogEx, VerifyResultIsTheBoxOfTheLastRun) {
  TTaskDialogEx dialog;
  dialog.SetCommonButtons({cbOK});
  dialog.SetVerificationText("Show badroms after initializing");
  std::vector<bool> clicks;
  dialog.OnDialogVerifyClick = [&](QObject*, bool checked) { clicks.push_back(checked); };
  RunShown(dialog, [](TTaskMessageForm& form) {
    form.Verification()->click();
    Button(form, "OK")->click();
  });
  EXPECT_TRUE(dialog.VerifyResult());
  RunShown(dialog, [](TTaskMessageForm& form) { Button(form, "OK")->click(); });
  EXPECT_FALSE(dialog.VerifyResult());
  dialog.SetOptions({doVerifyChecked});
  RunShown(dialog, [](TTaskMessageForm& form) { Button(form, "OK")->click(); });
  EXPECT_TRUE(dialog.VerifyResult());
  EXPECT_EQ(clicks, std::vector<bool>{true});
}

TEST(TaskDialogEx, PropertiesReachableByName) {
  TTaskDialogEx dialog;
  EXPECT_TRUE(dialog.setProperty("Instruction", "Reading"));
  EXPECT_EQ(dialog.Instruction(), "Reading");
  EXPECT_TRUE(dialog.setProperty("CustomButtons", QStringList{"Stop"}));
  EXPECT_EQ(dialog.CustomButtons(), QStringList{"Stop"});
  dialog.setProperty("Version", "9");
  EXPECT_EQ(dialog.property("Version").toString(), "1.2.1.0");
  EXPECT_EQ(dialog.property("ProgressBarMax").toInt(), 100);
  EXPECT_TRUE(dialog.property("ApplicationIsParent").toBool());
}

}  // namespace
