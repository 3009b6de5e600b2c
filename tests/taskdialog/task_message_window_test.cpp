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
#include <QRadioButton>

#include "shown_dialog.h"
#include "taskdialog/tagged_text_qt.h"
#include "taskdialog/task_dialog_button_qt.h"
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

// While the program is at work (OK disabled) the close box and Escape are the Cancel button's, so that
// work can always be stopped; a dialog without one is cancelled by them when it allows cancelling.
TEST(TaskDialogEx, WithOkDisabledTheCloseBoxAndEscapeAreCancel) {
  for (const int kind : {0, 1, 2, 3}) {
    const bool byEscape = (kind & 1) != 0;
    const bool allowCancel = (kind & 2) != 0;
    TTaskDialogEx dialog;
    dialog.SetCommonButtons(allowCancel ? TCommonButtons{cbOK} : TCommonButtons{cbOK, cbCancel});
    if (allowCancel) dialog.SetOptions({doAllowDialogCancel});
    dialog.OnDialogCreated = [&](QObject*) { dialog.SetButtonEnabled(1, false); };
    int asked = 0;
    dialog.OnDialogClose = [&](QObject*, bool&) { ++asked; };
    const int result = RunShown(dialog, [&](TTaskMessageForm& form) {
      EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowCloseButtonHint));
      if (byEscape) {
        Press(form, Qt::Key_Escape);
      } else {
        form.close();
      }
    });
    EXPECT_EQ(result, 2) << (byEscape ? "Escape" : "close box") << (allowCancel ? " allowing cancel" : " to Cancel");
    EXPECT_EQ(asked, 1);
  }
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
  bool whileOpen = false;
  RunShown(dialog, [&](TTaskMessageForm& form) {
    whileOpen = dialog.VerifyResult();
    Button(form, "OK")->click();
  });
  EXPECT_TRUE(whileOpen) << "the last dialog's value until this one closes";
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

// A dialog with every part that the upper band and the footer can hold.
void FillDialog(TTaskDialogEx& dialog) {
  dialog.SetTitle("Kestrune");
  dialog.SetInstruction("The ROM folder has changed");
  dialog.SetContent("Read <A href=\"https://www.mamedev.org\">the site</A> first.");
  dialog.SetOptions({doHyperlinks, doCommandLinks});
  dialog.SetCommonButtons({cbCancel});
  dialog.SetCustomButtons({"&Rescan now\\nReads every archive again", "&Keep the old list"});
  dialog.SetRadioButtons({"Check ROMs only", "Check ROMs and disks"});
  dialog.SetExpandedText("Folders: /home/mame/roms");
  dialog.SetExpandControlText("Hide folders");
  dialog.SetCollapsControlText("Show folders");
  dialog.SetFooter("Help: <A href=\"mailto:help@example.org\">write to us</A>");
  dialog.SetFooterIcon(tfiWarning);
}

TEST(TaskMessageForm, CommandLinksStandInTheUpperBandAndReportTheirIds) {
  TTaskDialogEx dialog;
  FillDialog(dialog);
  dialog.SetTitle("");
  std::vector<int> clicked;
  dialog.OnDialogButtonClick = [&](QObject*, int id) { clicked.push_back(id); };
  TTaskMessageForm form(dialog);
  auto* rescan = form.findChild<TTaskDialogButton*>("Button0");
  auto* keep = form.findChild<TTaskDialogButton*>("Button1");
  ASSERT_TRUE(rescan && keep);
  EXPECT_TRUE(form.HasCommandLinks());
  EXPECT_LT(keep->geometry().bottom(), form.BandTop());
  EXPECT_GT(keep->y(), rescan->geometry().bottom());
  EXPECT_GT(rescan->height(), keep->height());  // the note adds a line
  EXPECT_FALSE(rescan->Picture().isNull());
  EXPECT_EQ(rescan->ModalResult, 100);
  EXPECT_FALSE(form.ClipboardText().contains("Rescan"));
  EXPECT_TRUE(form.ClipboardText().contains("Cancel   "));

  EXPECT_EQ(RunShown(dialog, [](TTaskMessageForm& shown) { Press(shown, Qt::Key_K); }), 101);
  EXPECT_EQ(RunShown(dialog, [](TTaskMessageForm& shown) { Button(shown, "Button0")->click(); }), 100);
  EXPECT_EQ(clicked, (std::vector<int>{101, 100}));

  dialog.SetOptions({doCommandLinks, doCommandLinksNoIcon});
  TTaskMessageForm plain(dialog);
  EXPECT_TRUE(plain.findChild<TTaskDialogButton*>("Button0")->Picture().isNull());
  EXPECT_EQ(plain.findChild<QLabel*>("Image"), nullptr);

  // Without doCommandLinks the custom buttons are push buttons, whatever else is set.
  dialog.SetOptions({doCommandLinksNoIcon});
  TTaskMessageForm pushed(dialog);
  EXPECT_FALSE(pushed.HasCommandLinks());
  EXPECT_EQ(pushed.findChild<TTaskDialogButton*>("Button0"), nullptr);
  ASSERT_NE(Button(pushed, "Button0"), nullptr);
  EXPECT_GT(Button(pushed, "Button0")->y(), pushed.BandTop());
  EXPECT_EQ(pushed.findChild<QLabel*>("Image"), nullptr);
}

TEST(TaskMessageForm, RadioButtonsStartAsAskedAndReportTheChoice) {
  TTaskDialogEx dialog;
  FillDialog(dialog);
  dialog.SetDefaultRadioButton(201);
  std::vector<int> radios;
  dialog.OnDialogRadioClick = [&](QObject*, int id) { radios.push_back(id); };
  const int result = RunShown(dialog, [](TTaskMessageForm& form) {
    auto* second = form.findChild<QRadioButton*>("Radio1");
    EXPECT_TRUE(second && second->isChecked());
    form.findChild<QRadioButton*>("Radio0")->click();
    Button(form, "Cancel")->click();
  });
  EXPECT_EQ(result, 2);
  EXPECT_EQ(radios, std::vector<int>{200});
  EXPECT_EQ(dialog.RadioResult(), 200);

  dialog.SetOptions({doNoDefaultRadioButton});
  RunShown(dialog, [](TTaskMessageForm& form) { Button(form, "Cancel")->click(); });
  EXPECT_EQ(dialog.RadioResult(), 0);
}

TEST(TaskMessageForm, DefaultRadioButtonChecksTheOneItNamesOrNone) {
  struct Case {
    int defaultRadio;
    int checked;  // -1: none
  };
  for (const Case c : {Case{0, 0}, Case{-3, 0}, Case{200, 0}, Case{201, 1}, Case{202, -1}, Case{150, -1}}) {
    TTaskDialogEx dialog;
    FillDialog(dialog);
    dialog.SetDefaultRadioButton(c.defaultRadio);
    TTaskMessageForm form(dialog);
    for (int i = 0; i < 2; ++i) {
      EXPECT_EQ(form.findChild<QRadioButton*>(QString("Radio%1").arg(i))->isChecked(), i == c.checked)
          << "DefaultRadioButton " << c.defaultRadio << ", radio " << i;
    }
  }
}

TEST(TaskMessageForm, LongRadioCaptionWrapsWithinTheWindow) {
  TTaskDialogEx dialog;
  dialog.SetCommonButtons({cbOK});
  dialog.SetRadioButtons({"short", QString("word ").repeated(60)});
  TTaskMessageForm form(dialog);
  auto* shortRadio = form.findChild<QRadioButton*>("Radio0");
  auto* longRadio = form.findChild<QRadioButton*>("Radio1");
  EXPECT_LE(longRadio->geometry().right(), form.width() - form.Metrics().HorzMargin);
  EXPECT_GE(longRadio->height(), 3 * shortRadio->fontMetrics().height());
  EXPECT_GT(longRadio->y(), shortRadio->geometry().bottom());
}

TEST(TaskMessageForm, ExpandButtonShowsAndHidesTheExpandedText) {
  TTaskDialogEx dialog;
  FillDialog(dialog);
  TTaskMessageForm form(dialog);
  TTaskDialogButton* expand = form.ExpandButton();
  ASSERT_NE(expand, nullptr);
  EXPECT_EQ(expand->objectName(), "ExpandButton");
  EXPECT_FALSE(form.Expanded());
  EXPECT_TRUE(form.ExpandedRect().isEmpty());
  EXPECT_EQ(expand->text(), "Show folders");
  EXPECT_GT(expand->y(), form.BandTop());
  const int collapsedHeight = form.height();
  expand->click();
  EXPECT_TRUE(form.Expanded());
  EXPECT_EQ(expand->text(), "Hide folders");
  EXPECT_GT(form.height(), collapsedHeight);
  EXPECT_LT(form.ExpandedRect().bottom(), form.BandTop());
  EXPECT_LT(form.ExpandedRect().bottom(), form.findChild<QWidget*>("Button0")->y());

  dialog.SetOptions({doExpandedDefault, doExpandedFooter});
  TTaskMessageForm footer(dialog);
  EXPECT_TRUE(footer.Expanded());
  EXPECT_GT(footer.ExpandedRect().top(), footer.FooterRect().bottom());
}

TEST(TaskMessageForm, FooterIsMeasuredAsItIsDrawn) {
  TTaskDialogEx dialog;
  dialog.SetCommonButtons({cbOK});
  dialog.SetFooter("<FONT size=24>Large</FONT> footer");
  dialog.SetFooterIcon(tfiWarning);
  TTaskMessageForm form(dialog);
  QLabel* icon = form.FooterImage();
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->objectName(), "FooterImage");
  EXPECT_FALSE(icon->isHidden());
  EXPECT_EQ(form.FooterRect().left(), form.Metrics().HorzMargin + 20);
  EXPECT_GT(form.FooterRect().top(), form.BandTop());
  const TaggedTextResult measured = HTMLDrawEx(nullptr, dialog.Footer(), form.FooterRect(), form.font());
  EXPECT_EQ(form.FooterRect().height(), measured.size.height());
  QFont large = form.font();
  large.setPointSize(24);
  EXPECT_GE(form.FooterRect().height(), QFontMetrics(large).height());
  EXPECT_LE(form.FooterRect().bottom(), form.height());

  dialog.SetFooterIcon(tfiBlank);
  TTaskMessageForm blank(dialog);
  EXPECT_TRUE(blank.FooterImage()->isHidden());
  EXPECT_EQ(blank.FooterRect().left(), blank.Metrics().HorzMargin);
}

// The first point of the window from which LinkAt reports href, scanning the middle of rect's first line.
QPoint PointOfLink(const TTaskMessageForm& form, const QRect& rect, const QString& href) {
  const int y = rect.top() + form.fontMetrics().height() / 2;
  for (int x = rect.left(); x <= rect.right(); ++x) {
    if (form.LinkAt(QPoint(x, y)) == href) return {x + 1, y};
  }
  return {-1, -1};
}

void Click(QWidget& widget, QPoint at) {
  QMouseEvent press(QEvent::MouseButtonPress, at, widget.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(&widget, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, at, widget.mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(&widget, &release);
}

void Move(QWidget& widget, QPoint at) {
  QMouseEvent move(QEvent::MouseMove, at, widget.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&widget, &move);
}

TEST(TaskMessageForm, EveryClickedLinkIsReportedAndOnlyWebAndMailLinksOpen) {
  TTaskDialogEx dialog;
  dialog.SetCommonButtons({cbOK});
  dialog.SetOptions({doHyperlinks});
  const QStringList links = {"https://example.org", "mailto:a@b.org", "file:///etc/passwd", "local"};
  QString content;
  for (const QString& link : links) content += QString("<A href=\"%1\">%2</A> ").arg(link, link.left(4));
  dialog.SetContent(content);
  dialog.SetFooter("<A href=\"http://footer.example\">help</A>");
  QStringList reported;
  dialog.OnDialogHyperlinkClick = [&](QObject*, const QString& href) { reported << href; };
  TTaskMessageForm form(dialog);
  QStringList opened;
  form.UrlOpener = [&](const QUrl& url) {
    opened << url.toString();
    return true;
  };
  for (const QString& link : links) {
    const QPoint at = PointOfLink(form, form.ContentRect(), link);
    ASSERT_NE(at.x(), -1) << qPrintable(link);
    Click(form, at);
  }
  Click(form, PointOfLink(form, form.FooterRect(), "http://footer.example"));
  Click(form, form.ContentRect().topLeft() + QPoint(1, form.ContentRect().height() + 2));
  EXPECT_EQ(reported, links + QStringList{"http://footer.example"});
  EXPECT_EQ(opened, (QStringList{"https://example.org", "mailto:a@b.org", "http://footer.example"}));
}

TEST(TaskMessageForm, HandCursorOverLinksOnly) {
  TTaskDialogEx dialog;
  dialog.SetCommonButtons({cbOK});
  dialog.SetContent("<A href=\"https://example.org\">site</A> is not a link when links are off");
  TTaskMessageForm plain(dialog);
  EXPECT_FALSE(plain.LinkAt(plain.ContentRect().topLeft() + QPoint(2, 4)));
  dialog.SetOptions({doHyperlinks});
  TTaskMessageForm form(dialog);
  const QPoint link = PointOfLink(form, form.ContentRect(), "https://example.org");
  Move(form, link);
  EXPECT_EQ(form.cursor().shape(), Qt::PointingHandCursor);
  Move(form, QPoint(form.width() - 2, link.y()));
  EXPECT_EQ(form.cursor().shape(), Qt::ArrowCursor);
}

TEST(TaskMessageForm, DrawsLinksBlueInContentAndFooter) {
  TTaskDialogEx dialog;
  FillDialog(dialog);
  TTaskMessageForm form(dialog);
  const QImage image = form.grab().toImage();
  const auto blueIn = [&](const QRect& rect) {
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
      for (int x = rect.left(); x <= rect.right(); ++x) count += image.pixelColor(x, y) == QColor(0, 0, 255);
    }
    return count;
  };
  EXPECT_GT(blueIn(form.ContentRect()), 10);
  EXPECT_GT(blueIn(form.FooterRect()), 10);
  EXPECT_EQ(image.pixelColor(1, form.BandTop() + 1), QColor(240, 240, 240));
}

}  // namespace
