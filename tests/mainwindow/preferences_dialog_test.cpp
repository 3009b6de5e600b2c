#include "mainwindow/preferences_dialog.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "catalogue/catalogue_file.h"
#include "mainwindow/artwork_picture.h"
#include "mainwindow/main_window.h"
#include "mainwindow/main_window_menus.h"
#include "mainwindow/program_windows.h"
#include "mainwindow/rom_scan_command_qt.h"
#include "settings/options_dialog.h"
#include "settings/settings.h"
#include "support/file_util.h"
#include "support/temp_dir.h"
#include "taskdialog/task_dialog_qt.h"
#include "taskdialog/task_message_window.h"

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

TEST(PreferencesDialog, EachControllerPageShowsTwoPictures) {
  TForm4 dialog;
  const std::pair<const char*, std::vector<const char*>> pages[] = {
      {"TabSheet6", {"Image1", "Image4"}}, {"TabSheet7", {"Image2", "Image5"}}, {"TabSheet8", {"Image3", "Image6"}}};
  for (const auto& [page, pictures] : pages) {
    for (const char* name : pictures) {
      const auto* picture = dialog.Control(page)->findChild<QLabel*>(name);
      ASSERT_NE(picture, nullptr) << page << " " << name;
      EXPECT_FALSE(picture->pixmap().isNull()) << name;
    }
  }
  // The same control panel on every page.
  EXPECT_EQ(dialog.Control<QLabel>("Image4")->pixmap().toImage(), dialog.Control<QLabel>("Image6")->pixmap().toImage());
}

// A disabled control's caption is disabled with it, so the page shows what can be changed.
TEST(PreferencesDialog, TheCaptionsOfScaleAndCycleTimeFollowTheirControls) {
  TForm4 dialog;
  auto captionOf = [&dialog](const char* control) {
    for (QFormLayout* form : dialog.findChildren<QFormLayout*>()) {
      if (QWidget* label = form->labelForField(dialog.Control(control))) return label;
    }
    return static_cast<QWidget*>(nullptr);
  };
  ASSERT_NE(captionOf("scaletimes"), nullptr);
  ASSERT_NE(captionOf("cycletimer"), nullptr);
  for (const bool on : {true, false}) {
    dialog.CheckBox("stretchssyesno")->setChecked(on);
    dialog.CheckBox("cycle")->setChecked(on);
    EXPECT_EQ(captionOf("scaletimes")->isEnabled(), !on);
    EXPECT_EQ(captionOf("cycletimer")->isEnabled(), on);
  }
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

// ---- Folder edits ----

struct FolderCase {
  const char* edit;
  const char* clearButton;
  bool restart;  // the icons are read at start only
};

void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.edit; }

class FolderEdit : public ::testing::TestWithParam<FolderCase> {};

TEST_P(FolderEdit, TakesTheChosenFolderAndItsClearButtonEmptiesIt) {
  const FolderCase& c = GetParam();
  TForm4 dialog;
  QString chosen = "/chosen/one";
  dialog.SetFolderChooser([&chosen](const QString&, const QString&) { return chosen; });
  QStringList told;
  dialog.SetMessenger([&told](QMessageBox::Icon, const QString& text) { told << text; });
  QLineEdit* edit = dialog.Edit(c.edit);
  edit->setText("/old");
  dialog.Control<QToolButton>(c.clearButton)->click();
  EXPECT_EQ(edit->text(), "");
  dialog.findChild<QAction*>(QString(c.edit) + "Browse")->trigger();
  EXPECT_EQ(edit->text(), "/chosen/one");
  chosen = "/chosen/two";
  dialog.findChild<QAction*>(QString(c.edit) + "Browse")->trigger();
  // MAME searches every rom folder given; the others hold one folder.
  EXPECT_EQ(edit->text(), c.edit == std::string("mameromdir") ? "/chosen/one;/chosen/two" : "/chosen/two");
  chosen.clear();  // cancelled
  dialog.findChild<QAction*>(QString(c.edit) + "Browse")->trigger();
  EXPECT_FALSE(edit->text().isEmpty());
  EXPECT_EQ(told, c.restart ? QStringList(3, "Requires a restart !") : QStringList());
}

INSTANTIATE_TEST_SUITE_P(
    Edits, FolderEdit,
    ::testing::Values(
        FolderCase{"mameromdir", "SpeedButton1", false}, FolderCase{"mamesnapdir", "SpeedButton2", false},
        FolderCase{"mameflyerdir", "SpeedButton3", false}, FolderCase{"mamemarqueedir", "SpeedButton4", false},
        FolderCase{"mamecabinetdir", "SpeedButton5", false}, FolderCase{"mamecontroldir", "SpeedButton6", false},
        FolderCase{"mamesampledir", "SpeedButton7", false}, FolderCase{"mamecfgdir", "SpeedButton8", false},
        FolderCase{"mamefontdir", "SpeedButton9", false}, FolderCase{"mamenvramdir", "SpeedButton10", false},
        FolderCase{"mamediffdir", "SpeedButton11", false}, FolderCase{"mameartdir", "SpeedButton12", false},
        FolderCase{"mameinidir", "SpeedButton13", false}, FolderCase{"mamestadir", "SpeedButton14", false},
        FolderCase{"mameinpdir", "SpeedButton15", false}, FolderCase{"mamectrldir", "SpeedButton16", false},
        FolderCase{"mamecarddir", "SpeedButton17", false}, FolderCase{"mameicondir", "SpeedButton18", true},
        FolderCase{"mametitledir", "SpeedButton19", false}, FolderCase{"mamemngdir", "SpeedButton20", false}),
    [](const ::testing::TestParamInfo<FolderCase>& info) { return std::string(info.param.edit); });

TEST(PreferencesDialog, ControllerBoxesExcludeEachOtherAndDefaultKeepsFoldersAndSkin) {
  TForm4 dialog;
  dialog.CheckBox("xarcadegui")->click();
  dialog.CheckBox("slikstikgui")->click();
  EXPECT_FALSE(dialog.CheckBox("xarcadegui")->isChecked());
  dialog.CheckBox("slikstikgui")->click();  // unchecking one leaves the others alone
  EXPECT_FALSE(dialog.CheckBox("hotrodgui")->isChecked());
  dialog.Edit("mamesnapdir")->setText("/snaps");
  dialog.CheckBox("bigtoolbar")->setChecked(true);
  dialog.CheckBox("showcommand")->setChecked(true);
  dialog.Edit("commandline")->setText("-nothrottle");
  dialog.ComboBox("scaletimes")->setCurrentIndex(3);
  dialog.Control<QPushButton>("Button4")->click();
  EXPECT_EQ(dialog.Edit("mamesnapdir")->text(), "/snaps");
  EXPECT_TRUE(dialog.CheckBox("bigtoolbar")->isChecked());
  EXPECT_FALSE(dialog.CheckBox("showcommand")->isChecked());
  EXPECT_TRUE(dialog.CheckBox("stretchssyesno")->isChecked());
  EXPECT_FALSE(dialog.ComboBox("scaletimes")->isEnabled());
  EXPECT_EQ(dialog.Edit("commandline")->text(), "");
  EXPECT_EQ(dialog.ComboBox("scaletimes")->currentIndex(), 0);
  EXPECT_TRUE(dialog.RadioButton("cyclesnaps")->isChecked());
  EXPECT_FALSE(dialog.Edit("cycletimer")->isEnabled());
}

// ---- With the program's windows ----

namespace fs = std::filesystem;
namespace set = kestrune::settings;

bool WaitUntil(const std::function<bool()>& condition, int ms) {
  QElapsedTimer timer;
  timer.start();
  while (!condition() && timer.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  return condition();
}

// A program folder with a fake "mame" and a catalogue of two games, the current folder while the
// program's windows live in it.
class PreferencesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    oldFolder_ = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir_.path().string())));
    folder_ = QDir::currentPath().toStdString() + "/";
    kestrune::test::WriteFileBytes(folder_ + "mame", "#!/bin/sh\nexit 1\n");
    fs::permissions(folder_ + "mame", fs::perms(0755));
    fs::create_directories(folder_ + "ini");
    kestrune::test::WriteFileBytes(folder_ + "ini/kestrune.dat",
                                   "0|Galaga|Namco|Shooter|1981|||||||||||||||2|12|1:02:03||galaga|0\r\n"
                                   "0|Pac|Man|Namco|Maze|1980|||||||||||||||1|3|0:00:09||pacman|0\r\n");
  }
  void TearDown() override {
    DestroyProgramWindows();
    QDir::setCurrent(oldFolder_);
  }
  void Start() {
    CreateProgramWindows();
    Form1->SetMessenger([this](QMessageBox::Icon, const QString& text, QMessageBox::StandardButtons) {
      messages_ << text;
      return QMessageBox::Ok;
    });
    Form4->SetMessenger([this](QMessageBox::Icon, const QString& text) { messages_ << text; });
    Form1->show();
    ASSERT_TRUE(WaitUntil([] { return Form1->StartupDone(); }, 10000));
  }
  std::string Ui(const char* key) const { return Form1->settings().ReadText(set::kUiSection, key); }

  kestrune::test::TempDir dir_;
  QString oldFolder_;
  std::string folder_;
  QStringList messages_;
};

TEST_F(PreferencesTest, OkWithEmptyFoldersWritesTheKeysTheDefaultFoldersAndMameIni) {
  set::Settings saved(folder_);  // with the artwork tabs shown, OK sets the panes' scale
  saved.WriteDefaults(folder_, "mame", "");
  saved.WriteText(set::kUiSection, "showtabs", "1");
  std::string error;
  ASSERT_TRUE(saved.Save(&error)) << error;
  Start();
  Form4->show();
  for (QLineEdit* edit : Form4->findChildren<QLineEdit*>()) {
    if (edit->objectName().startsWith("mame") && edit->objectName() != "mamefiledisplay") edit->clear();
  }
  const std::map<const char*, bool> boxes = {
      {"showcommand", true},     {"xarcadegui", false},      {"slikstikgui", true}, {"hotrodgui", false},
      {"stretchssyesno", false}, {"smoothscrolling", false}, {"showhints", false},  {"reinitialise", false},
      {"keepfavorites", true},   {"keepcounters", true},     {"bigtoolbar", true}};
  for (const auto& [box, on] : boxes) Form4->CheckBox(box)->setChecked(on);
  Form4->ComboBox("scaletimes")->setCurrentIndex(3);
  Form4->Edit("cycletimer")->clear();
  Form4->Control<QPushButton>("Button2")->click();
  EXPECT_FALSE(Form4->isVisible());
  EXPECT_EQ(Form4->result(), QDialog::Accepted);

  const std::map<std::string, std::string> keys = {
      {"mamefile", "mame"}, {"frontdir", folder_}, {"cycletime", "2"}, {"showcommand", "1"}, {"xarcadenav", "0"},
      {"slikstiknav", "1"}, {"hotrodnav", "0"},    {"stretch", "0"},   {"bigtoolbar", "0"},  {"smoothscrolling", "0"},
      {"scale", "3"},       {"showhints", "0"},    {"autoini", "0"},   {"keepfav", "1"},     {"keepcounters", "1"}};
  for (const auto& [key, value] : keys) EXPECT_EQ(Ui(key.c_str()), value) << key;
  const std::map<std::string, std::string> folders = {
      {"snapdir", "snap"},        {"inpdir", "inp"},          {"inidir", "ini"},        {"flyerdir", "flyers"},
      {"marqueedir", "marquees"}, {"cabinetdir", "cabinets"}, {"controldir", "cpanel"}, {"titledir", "titles"},
      {"mngdir", "mng"},          {"icondir", "icons"}};
  for (const auto& [key, word] : folders) {
    EXPECT_EQ(Form1->settings().ReadText(set::kMameSection, key), folder_ + word) << key;
  }
  const std::string mameIni = kestrune::test::ReadFileBytes(folder_ + "mame.ini");
  for (const char* word : {"roms", "samples", "ctrlr", "cfg", "sta", "inp", "ini"}) {
    EXPECT_NE(mameIni.find("\"" + folder_ + word + "\""), std::string::npos) << word;
  }
  // 4x is a zoom of 2.5, drawn at scale because stretching is off.
  EXPECT_DOUBLE_EQ(Form1->Pictures()[0]->Zoom(), 2.5);
  EXPECT_FALSE(Form1->Pictures()[0]->ResizeMode());
  EXPECT_EQ(Form1->CycleTimer()->interval(), 2000);
}

TEST_F(PreferencesTest, BothCounterResetsRunOnOkAndTheCatalogueIsSaved) {
  Start();
  Form4->show();
  Form4->CheckBox("resetcounter")->setChecked(true);
  Form4->CheckBox("resetcounter2")->setChecked(true);
  Form4->Control<QPushButton>("Button2")->click();
  EXPECT_EQ(kestrune::test::ReadFileBytes(folder_ + "ini/kestrune.dat"),
            "0|Galaga|Namco|Shooter|1981|||||||||||||||2|0|00:00:00||galaga|0\r\n"
            "0|Pac|Man|Namco|Maze|1980|||||||||||||||1|0|00:00:00||pacman|0\r\n");
  EXPECT_FALSE(Form4->CheckBox("resetcounter")->isChecked());
  EXPECT_FALSE(Form4->CheckBox("resetcounter2")->isChecked());
}

TEST_F(PreferencesTest, AnExecutableInAnotherFolderIsRefusedAndOneBesideTheProgramAccepted) {
  Start();
  Form4->show();
  fs::create_directories(folder_ + "other");
  kestrune::test::WriteFileBytes(folder_ + "other/mame", "#!/bin/sh\n");
  fs::permissions(folder_ + "other/mame", fs::perms(0755));
  QString chosen = QString::fromStdString(folder_ + "other/mame");
  Form4->SetFileChooser([&chosen](const QString&, const QString&, const QString&) { return chosen; });
  Form4->findChild<QAction*>("mamefiledisplayBrowse")->trigger();
  EXPECT_EQ(messages_, QStringList{"The mame file must be in the same folder as Kestrune"});
  EXPECT_EQ(Form4->Edit("mamefiledisplay")->text().toStdString(), folder_ + "mame");
  EXPECT_FALSE(Form4->RescanPending());

  kestrune::test::WriteFileBytes(folder_ + "mame2", "#!/bin/sh\n");
  fs::permissions(folder_ + "mame2", fs::perms(0755));
  chosen = QString::fromStdString(folder_ + "mame2");
  Form4->findChild<QAction*>("mamefiledisplayBrowse")->trigger();
  EXPECT_EQ(messages_.size(), 1);
  EXPECT_EQ(Form4->MameFile(), "mame2");
  EXPECT_TRUE(Form4->RescanPending());
  Form4->Control<QPushButton>("Button2")->click();
  EXPECT_EQ(Form1->MameFile(), "mame2");
}

TEST_F(PreferencesTest, AnUnwritableMameIniIsReportedAndTheDialogCanStillBeClosed) {
  Start();
  ASSERT_TRUE(fs::exists(folder_ + "mame.ini"));
  const std::string before = kestrune::test::ReadFileBytes(folder_ + "mame.ini");
  fs::permissions(folder_ + "mame.ini", fs::perms::owner_read);
  Form4->show();
  Form4->Edit("mamesampledir")->setText("/elsewhere");
  Form4->CheckBox("showcommand")->setChecked(true);
  Form4->Control<QPushButton>("Button2")->click();
  EXPECT_TRUE(Form4->isVisible());
  EXPECT_NE(Form4->ErrorText().indexOf("mame.ini"), -1) << Form4->ErrorText().toStdString();
  EXPECT_TRUE(Form4->Control<QLabel>("errortext")->isVisibleTo(Form4));
  // What could be applied was: the settings hold it. OK is the only way out: a second OK that fails
  // alike leaves the dialog.
  EXPECT_EQ(Ui("showcommand"), "1");
  Form4->Control<QPushButton>("Button2")->click();
  EXPECT_FALSE(Form4->isVisible());
  EXPECT_TRUE(Form4->CheckBox("showcommand")->isChecked());
  fs::permissions(folder_ + "mame.ini", fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(kestrune::test::ReadFileBytes(folder_ + "mame.ini"), before);
}

TEST_F(PreferencesTest, OnlyOkLeavesTheDialogNotEscapeNorACloseRequest) {
  Start();
  EXPECT_FALSE(Form4->windowFlags() & Qt::WindowCloseButtonHint);
  Form4->show();
  const QString roms = Form4->Edit("mameromdir")->text();
  Form4->Edit("mameromdir")->setText("/new roms");
  Form4->CheckBox("cycle")->setChecked(true);
  QTest::keyClick(Form4, Qt::Key_Escape);
  EXPECT_TRUE(Form4->isVisible());
  QCloseEvent request;
  QCoreApplication::sendEvent(Form4, &request);
  EXPECT_FALSE(request.isAccepted());
  EXPECT_TRUE(Form4->isVisible());
  EXPECT_EQ(Form4->Edit("mameromdir")->text(), "/new roms");
  EXPECT_TRUE(Form4->CheckBox("cycle")->isChecked());
  EXPECT_TRUE(Form4->RescanPending());
  // The program's end closes it as cancelled: what OK did not apply is put back.
  Form4->reject();
  EXPECT_FALSE(Form4->isVisible());
  EXPECT_EQ(Form4->Edit("mameromdir")->text(), roms);
  EXPECT_FALSE(Form4->CheckBox("cycle")->isChecked());
  EXPECT_FALSE(Form4->RescanPending());
  Form4->show();
  Form4->Control<QPushButton>("Button2")->click();
  EXPECT_FALSE(Form4->isVisible());
  EXPECT_EQ(Form4->result(), QDialog::Accepted);
}

// Setup > Preferences: a changed rom folder starts the ROM scan once the dialog has closed, when
// "Auto re-initialize Roms" is ticked.
struct RescanCase {
  const char* name;
  bool changeRomFolder;
  bool reinitialise;
  bool scans;
};

void PrintTo(const RescanCase& c, std::ostream* os) { *os << c.name; }

class PreferencesRescan : public PreferencesTest, public ::testing::WithParamInterface<RescanCase> {};

TEST_P(PreferencesRescan, StartsTheScanAfterTheDialogClosesOnlyWhenAsked) {
  const RescanCase& c = GetParam();
  Start();
  RomScanCommand* scan = Form1->RomScan();
  bool shownWhileScanning = false;
  scan->SetModalRunner([&c](QDialog& dialog) {
    if (&dialog != Form4) return int{QDialog::Accepted};
    Form4->show();
    if (c.changeRomFolder) Form4->Edit("mameromdir")->setText("/other roms");
    Form4->CheckBox("reinitialise")->setChecked(c.reinitialise);
    Form4->Control<QPushButton>("Button2")->click();
    return Form4->result();
  });
  std::vector<QString> instructions;
  QObject::connect(scan, &RomScanCommand::instructionShown, [&](const QString& text) {
    instructions.push_back(text);
    shownWhileScanning = shownWhileScanning || Form4->isVisible();
  });
  QObject::connect(scan, &RomScanCommand::scanEnded, [scan](bool, const QString&) {
    QTimer::singleShot(0, [scan] {
      if (TTaskMessageForm* form = scan->Dialog()->MessageForm()) form->done(0);
    });
  });
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [scan] {
    if (TTaskMessageForm* form = scan->Dialog()->MessageForm()) form->done(-99);
  });
  guard.start(30000);
  Form1->Menus()->Action("Interfaceoptions1")->trigger();
  EXPECT_EQ(!instructions.empty(), c.scans);
  if (c.scans) {
    EXPECT_EQ(instructions.front(), "Getting info from Mame...");
  }
  EXPECT_FALSE(shownWhileScanning);
}

INSTANTIATE_TEST_SUITE_P(Changes, PreferencesRescan,
                         ::testing::Values(RescanCase{"RomFolderChangedAutoTicked", true, true, true},
                                           RescanCase{"RomFolderChangedAutoNotTicked", true, false, false},
                                           RescanCase{"NothingChanged", false, true, false}),
                         [](const ::testing::TestParamInfo<RescanCase>& info) { return std::string(info.param.name); });

}  // namespace
