// A language file as translators of the Windows program write them, applied to the two option dialogs:
// sections by window class, component paths with quoted texts and "#" codes, Boolean and enumeration
// values, in the language's Windows code page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolTip>
#include <utility>

#include "mainwindow/preferences_dialog.h"
#include "settings/options_dialog.h"
#include "support/file_util.h"
#include "support/temp_dir.h"
#include "translation/lang_translator_qt.h"

namespace {

// Windows-1251 bytes: "Параметры MAME", "Экран", "Яркость", "Контроллер :", "Настройки", "Папки",
// "Масштаб:". #150 is the en dash of that code page, #8470 the Unicode numero sign.
constexpr std::string_view kRussianFile =
    "; Russian translation\r\n"
    "[TForm2]\r\n"
    "Caption='\xCF\xE0\xF0\xE0\xEC\xE5\xF2\xF0\xFB MAME'\r\n"
    "TabSheet1.Caption='\xDD\xEA\xF0\xE0\xED'\r\n"
    "TabSheet7.Visible=False\r\n"
    "GroupBox4.Caption='\xDF\xF0\xEA\xEE\xF1\xF2\xFC'#150'1'\r\n"
    "GroupBox2.Enabled=False\r\n"
    "Label27.Caption='\xCA\xEE\xED\xF2\xF0\xEE\xEB\xEB\xE5\xF0 :'\r\n"
    "Label1.Alignment=taRightJustify\r\n"
    "Label1.Layout=tlBottom\r\n"
    "zoomscherm.WordWrap=false\r\n"
    "runwin.Checked=True\r\n"
    "throttle.Visible=False\r\n"
    "opengl.Caption=#8470'1'\r\n"
    "[TForm4]\r\n"
    "Caption='\xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE8'\r\n"
    "TabSheet3.Caption='\xCF\xE0\xEF\xEA\xE8'\r\n"
    "GroupBox1.Caption='GUI'#13#10'2'\r\n"
    "Label1.Caption='\xCC\xE0\xF1\xF8\xF2\xE0\xE1:'\r\n"
    "showhints.Checked=FALSE\r\n"
    "Button4.Enabled=False\r\n"
    "ShowHint=False\r\n"
    "BiDiMode=bdRightToLeft\r\n"
    "Enabled=False\r\n"
    "Visible=True\r\n";

// Answers each message box with OK once its event loop runs, keeping "text | informative text".
class MessageBoxCloser {
 public:
  MessageBoxCloser() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        shown_.push_back(box->text().toStdString() + " | " + box->informativeText().toStdString());
        box->button(QMessageBox::Ok)->click();
      }
    });
    timer_.start(1);
  }
  std::vector<std::string> Take() { return std::exchange(shown_, {}); }

 private:
  QTimer timer_;
  std::vector<std::string> shown_;
};

QString TabText(QWidget* window, const char* page) {
  auto* widget = window->findChild<QWidget*>(page);
  auto* tabs = qobject_cast<QTabWidget*>(widget->parentWidget()->parentWidget());
  return tabs->tabText(tabs->indexOf(widget));
}

bool TabVisible(QWidget* window, const char* page) {
  auto* widget = window->findChild<QWidget*>(page);
  auto* tabs = qobject_cast<QTabWidget*>(widget->parentWidget()->parentWidget());
  return tabs->isTabVisible(tabs->indexOf(widget));
}

template <typename T>
T* Find(QWidget* window, const char* name) {
  T* found = window->findChild<T*>(name);
  EXPECT_NE(found, nullptr) << name;
  return found;
}

class OptionWindowsInRussian : public ::testing::Test {
 protected:
  void SetUp() override {
    kestrune::test::WriteFileBytes(dir_ / "russian.lng", kRussianFile);
    kestrune::test::WriteFileBytes(
        dir_ / "greek.lng",
        "[TForm4]\r\nshowhints.Checked=Maybe\r\nButton2.Visible=1\r\nCaption='a'#\r\nTabSheet3.Caption='x'\r\n"
        "Button4.Enabled=Maybe\r\nButton4.Caption='b'#1114112\r\nLabel1.Caption='y'\r\n");
    manager_.Manager().SetLangsDir(dir_.path().string());
    AttachLangTranslator(&options_, &manager_.Manager());
    AttachLangTranslator(&preferences_, &manager_.Manager());
    manager_.Manager().SetCurrentLang("russian");
  }

  MessageBoxCloser boxes_;  // the folder's first language, greek, has faults
  kestrune::test::TempDir dir_;
  LangManagerQt manager_;
  TForm2 options_;
  TForm4 preferences_;
};

TEST_F(OptionWindowsInRussian, TextsReachTitlesTabsGroupBoxesAndRowLabels) {
  EXPECT_EQ(options_.windowTitle(), "Параметры MAME");
  EXPECT_EQ(TabText(&options_, "TabSheet1"), "Экран");
  EXPECT_EQ(Find<QGroupBox>(&options_, "GroupBox4")->title(), "Яркость–1");
  EXPECT_EQ(Find<QLabel>(&options_, "Label27")->text(), "Контроллер :");
  EXPECT_EQ(Find<QRadioButton>(&options_, "opengl")->text(), "№1");
  EXPECT_EQ(preferences_.windowTitle(), "Настройки");
  EXPECT_EQ(TabText(&preferences_, "TabSheet3"), "Папки");
  EXPECT_EQ(Find<QGroupBox>(&preferences_, "GroupBox1")->title(), "GUI\r\n2");
  EXPECT_EQ(Find<QLabel>(&preferences_, "Label1")->text(), "Масштаб:");
}

TEST_F(OptionWindowsInRussian, BooleanAndEnumerationValuesApply) {
  EXPECT_FALSE(TabVisible(&options_, "TabSheet7"));
  EXPECT_TRUE(TabVisible(&options_, "TabSheet6"));
  EXPECT_FALSE(Find<QGroupBox>(&options_, "GroupBox2")->isEnabled());
  auto* label = Find<QLabel>(&options_, "Label1");
  EXPECT_EQ(label->alignment() & (Qt::AlignHorizontal_Mask | Qt::AlignVertical_Mask), Qt::AlignRight | Qt::AlignBottom);
  EXPECT_FALSE(Find<QLabel>(&options_, "zoomscherm")->wordWrap());
  EXPECT_TRUE(Find<QCheckBox>(&options_, "runwin")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>(&options_, "throttle")->isHidden());
  EXPECT_FALSE(preferences_.CheckBox("showhints")->isChecked());
  EXPECT_FALSE(Find<QPushButton>(&preferences_, "Button4")->isEnabled());
  EXPECT_EQ(preferences_.layoutDirection(), Qt::RightToLeft);
  // A window is neither disabled nor shown by its language file.
  EXPECT_TRUE(preferences_.isEnabled());
  EXPECT_FALSE(preferences_.isVisible());
}

// Whether asking the control for its tool tip shows one.
void HideToolTip() {
  QToolTip::hideText();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the tip's window goes only then
}

bool ShowsToolTip(QWidget* control) {
  HideToolTip();
  QHelpEvent event(QEvent::ToolTip, QPoint(1, 1), control->mapToGlobal(QPoint(1, 1)));
  QCoreApplication::sendEvent(control, &event);
  const bool shown = QToolTip::text() == control->toolTip();
  HideToolTip();
  return shown;
}

TEST_F(OptionWindowsInRussian, ShowHintOffKeepsTheToolTipsOfTheWindowsControlsFromShowing) {
  QWidget* box = preferences_.CheckBox("cycle");
  box->setToolTip("Cycle");
  QCheckBox elsewhere("Elsewhere");
  elsewhere.setToolTip("Elsewhere");
  EXPECT_TRUE(ShowsToolTip(&elsewhere));
  EXPECT_FALSE(ShowsToolTip(box));
  EXPECT_EQ(box->toolTip(), "Cycle");  // kept for when hints are on again
}

// A value naming no element and a "#" naming no character are each shown once per reading of the file,
// and the keys after them still apply.
TEST_F(OptionWindowsInRussian, ValueThatNamesNoElementChangesNothingAndTheOtherKeysGoOn) {
  const std::vector<std::string> faults = {"Invalid property element: Maybe | greek.lng: [TForm4] showhints.Checked",
                                           "Invalid property element: 1 | greek.lng: [TForm4] Button2.Visible",
                                           "Too long character code | greek.lng: [TForm4] Caption"};
  EXPECT_EQ(boxes_.Take(), faults);  // greek.lng was read when the windows were attached
  const bool checked = preferences_.CheckBox("showhints")->isChecked();
  manager_.Manager().SetCurrentLang("greek");
  EXPECT_EQ(TabText(&preferences_, "TabSheet3"), "x");
  EXPECT_EQ(Find<QLabel>(&preferences_, "Label1")->text(), "y");
  EXPECT_EQ(preferences_.CheckBox("showhints")->isChecked(), checked);
  EXPECT_FALSE(Find<QPushButton>(&preferences_, "Button2")->isHidden());
  EXPECT_FALSE(Find<QPushButton>(&preferences_, "Button4")->isEnabled());  // as russian.lng left it
  EXPECT_EQ(boxes_.Take(), faults);

  TForm4 later;  // translated from the same reading
  AttachLangTranslator(&later, &manager_.Manager());
  EXPECT_EQ(TabText(&later, "TabSheet3"), "x");
  EXPECT_EQ(boxes_.Take(), std::vector<std::string>());
}

}  // namespace
