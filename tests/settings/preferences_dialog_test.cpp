#include "settings/preferences_dialog.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QTabWidget>

#include "settings/options_dialog.h"

namespace {

// The main window and the language files find these controls by name, so each must exist exactly
// once, with its type, its caption (or items, joined by "|", or text) and its state when the dialog
// is created.
struct NamedControl {
  const char* name;
  const char* type;
  const char* text;
  bool on;
};

const NamedControl kPreferenceControls[] = {
    {"showcommand", "QCheckBox", "Show Commandline", false},
    {"showhints", "QCheckBox", "Show Hints", true},
    {"realtimesearch", "QCheckBox", "Quick Search Mode ", false},
    {"Notepadedit", "QCheckBox", "Edit Mame.ini with Notepad", false},
    {"reinitialise", "QCheckBox", "Auto re-initialize Roms", true},
    {"keepfavorites", "QCheckBox", "Reset Favorites after re-initializing", false},
    {"keepcounters", "QCheckBox", "Reset counters after re-initializing", false},
    {"hidemouse", "QCheckBox", "Hide Mouse (Needs Restart)", false},
    {"stretchssyesno", "QCheckBox", "Auto Stretch Screenshots", false},
    {"scaletimes", "QComboBox", "None|2x|3x|4x", false},
    {"stretchfilter", "QComboBox", "Sharpen|Sharpen More|Blur|Blur More|Full Blur", false},
    {"cycle", "QCheckBox", "Cycle Mode", false},
    {"cyclesnaps", "QRadioButton", "Cycle Snapshots", false},
    {"cycletabs", "QRadioButton", "Cycle Screens", true},
    {"cycletimer", "QLineEdit", "2", false},
    {"cyclemove", "QCheckBox", "OnMouseOver Cycling", false},
    {"commandline", "QLineEdit", "", false},
    {"showclones", "QCheckBox", "Enable Clones", true},
    {"nodump", "QCheckBox", "Enable Bad Rom Dumps", true},
    {"onlygood", "QCheckBox", "Only Show Playable Roms", false},
    {"resetcounter", "QCheckBox", "Reset play counters", false},
    {"resetcounter2", "QCheckBox", "Reset time counters", false},
    {"mamesnapdir", "QLineEdit", "", false},
    {"mameicondir", "QLineEdit", "", false},
    {"mamemngdir", "QLineEdit", "", false},
    {"catverscherm", "QLineEdit", "", false},
    {"mamefiledisplay", "QLineEdit", "", false},
    {"mameromdir", "QLineEdit", "", false},
    {"mamefontdir", "QLineEdit", "", false},
    {"SpeedButton1", "QToolButton", "C", false},
    {"SpeedButton20", "QToolButton", "C", false},
    {"Button1", "QPushButton", "Font", false},
    {"Button3", "QPushButton", "Font", false},
    {"smoothscrolling", "QCheckBox", "Use Smooth Scrolling", false},
    {"Toolbarskinned", "QCheckBox", "Use Toolbar Skin (Required restart)", false},
    {"bigtoolbar", "QCheckBox", "Use Small Toolbar icons.", false},
    {"xarcadegui", "QCheckBox", "Use X-Arcade to navigate GUI", false},
    {"hotrodgui", "QCheckBox", "Use HotRod to navigate GUI", false},
    {"slikstikgui", "QCheckBox", "Use SlikStik to navigate GUI", false},
    {"Button4", "QPushButton", "Default", false},
    {"Button2", "QPushButton", "OK", false},
};

QString TextOf(const QWidget* control) {
  if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
    return button->text();
  }
  if (const auto* list = qobject_cast<const QComboBox*>(control)) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) {
      items << list->itemText(i);
    }
    return items.join('|');
  }
  if (const auto* edit = qobject_cast<const QLineEdit*>(control)) {
    return edit->text();
  }
  return QString();
}

bool IsOn(const QWidget* control) {
  const auto* button = qobject_cast<const QAbstractButton*>(control);
  return button != nullptr && button->isChecked();
}

TEST(PreferencesDialog, EveryNamedControlExistsOnceWithItsTypeCaptionAndFirstState) {
  TForm4 dialog;
  EXPECT_EQ(dialog.objectName(), "Form4");
  for (const NamedControl& expected : kPreferenceControls) {
    SCOPED_TRACE(expected.name);
    const QList<QWidget*> found = dialog.findChildren<QWidget*>(QString::fromLatin1(expected.name));
    ASSERT_EQ(found.size(), 1);
    EXPECT_STREQ(found[0]->metaObject()->className(), expected.type);
    EXPECT_EQ(TextOf(found[0]), QString::fromLatin1(expected.text));
    EXPECT_EQ(IsOn(found[0]), expected.on);
    if (const auto* list = qobject_cast<const QComboBox*>(found[0])) {
      EXPECT_EQ(list->currentIndex(), 0);
      EXPECT_EQ(dialog.ComboBox(expected.name), list);
    }
  }
  EXPECT_EQ(dialog.CheckBox("realtimesearch"), dialog.findChild<QCheckBox*>("realtimesearch"));
  EXPECT_EQ(dialog.RadioButton("cyclesnaps"), dialog.findChild<QRadioButton*>("cyclesnaps"));
  EXPECT_EQ(dialog.Edit("commandline"), dialog.findChild<QLineEdit*>("commandline"));
}

TEST(PreferencesDialog, PagesInOrderWithTheOptionsPageFirst) {
  TForm4 dialog;
  const auto* pages = dialog.Control<QTabWidget>("PageControl1");
  const QStringList captions = {"  Options", "Folders", "Mame", "Appearance", "X-Arcade", "HotRod", "SlikStik"};
  ASSERT_EQ(pages->count(), captions.size());
  for (int i = 0; i < pages->count(); ++i) {
    EXPECT_EQ(pages->tabText(i), captions[i]);
  }
  EXPECT_EQ(pages->widget(0), dialog.Control("TabSheet2"));
}

TEST(PreferencesDialog, SelectingOneCycleChoiceClearsTheOther) {
  TForm4 dialog;
  dialog.RadioButton("cyclesnaps")->setChecked(true);
  EXPECT_FALSE(dialog.RadioButton("cycletabs")->isChecked());
}

TEST(SettingsDialogs, OpenedModallyTheyCanBeLeftByTheirButton) {
  TForm4 preferences;
  preferences.open();
  preferences.Control<QPushButton>("Button2")->click();
  EXPECT_FALSE(preferences.isVisible());
  EXPECT_EQ(preferences.result(), QDialog::Accepted);

  TForm2 options;
  options.open();
  options.findChild<QPushButton*>("Button2")->click();
  EXPECT_FALSE(options.isVisible());
}

TEST(OptionsDialog, ScreenAndResolutionListsInOrderStartWithAutoAndNoChoice) {
  TForm2 dialog;
  EXPECT_EQ(dialog.objectName(), "Form2");
  const QStringList screens = {"screenshow", "screenshow0", "screenshow1", "screenshow2", "screenshow3"};
  const QStringList resolutions = {"ressize", "ressize0", "ressize1", "ressize2", "ressize3"};
  for (int i = 0; i < TForm2::kScreenCount; ++i) {
    for (const auto& [list, name] :
         {std::pair{dialog.ScreenLists()[i], screens[i]}, std::pair{dialog.ResolutionLists()[i], resolutions[i]}}) {
      SCOPED_TRACE(name.toStdString());
      ASSERT_NE(list, nullptr);
      EXPECT_EQ(list->objectName(), name);
      EXPECT_EQ(dialog.findChildren<QComboBox*>(name).size(), 1);
      EXPECT_EQ(TextOf(list), "Auto");
      EXPECT_EQ(list->currentIndex(), -1);
    }
  }
}

}  // namespace
