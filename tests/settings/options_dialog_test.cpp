// The MAME options dialog, offscreen: its controls are the options model's values, OK writes what the
// writer writes for them, Cancel writes nothing, and the installed MAME (when there is one) reads
// what the dialog wrote.
#include "settings/options_dialog.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

#include "platform/code_pages.h"
#include "platform/text_file.h"
#include "settings/mame_query.h"
#include "settings/option_file_reader.h"
#include "settings/option_file_writer.h"
#include "settings/options_dialog_keys.h"
#include "settings/settings.h"
#include "support/file_util.h"
#include "support/temp_dir.h"

namespace kestrune::settings {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

std::string Name(Option option) { return std::string(Info(option).control); }

// An option line as the writer writes it: the key filled with blanks to 24 characters, then the value.
std::string OptionLine(const std::string& key, const std::string& value) {
  return key + std::string(24 - key.size(), ' ') + value;
}

void Type(QWidget* target, const QString& keys);

// What a user does: picks from a list (Qt tells it as activated) or drags a slider.
void Pick(QComboBox* list, int choice) {
  list->setCurrentIndex(choice);
  emit list->activated(choice);
}

void Drag(QSlider* slider, int position) {
  slider->setSliderDown(true);
  slider->setSliderPosition(position);
  slider->setSliderDown(false);
}

// A user's change to one control, and what it changes in the model and in MAME's own configuration.
struct Change {
  const char* control;
  int value;         // a check box's state, a list's choice, a slider's position, a render choice
  const char* text;  // an edit's text, else null
  Option option;
  const char* mameKey;  // as -showconfig names it; null when MAME does not show it
  const char* mameValue;
};

// At least one change on every page.
// clang-format off
const Change kEveryPage[] = {
    {"runwin", 1, nullptr, Option::runwin, "window", "1"},          {"keepaspect", 0, nullptr, Option::keepaspect, "keepaspect", "0"},
    {"waitvsync", 1, nullptr, Option::waitvsync, "waitvsync", "1"}, {"soft", kRenderSoft, nullptr, Option::render, "video", "soft"},
    {"prescale", 3, nullptr, Option::prescale, "prescale", "3"},    {"numscreens", 1, nullptr, Option::numscreens, "numscreens", "2"},
    {"rotation", kRotationClockwise, nullptr, Option::rotation, "ror", "1"},
    {"flipupdown", 1, nullptr, Option::flipupdown, "flipx", "1"},   {"brightness", 120, nullptr, Option::brightness, "brightness", "1.2"},
    {"effect", 0, "scanlines", Option::effect, "effect", "scanlines"},
    {"aspect0auto", 0, nullptr, Option::aspect0auto, nullptr, nullptr},
    {"aspectx0", 0, "5", Option::aspectx0, nullptr, nullptr},       {"aspecty0", 0, "4", Option::aspecty0, "aspect0", "5:4"},
    {"view", 3, nullptr, Option::view, "view", "cocktail"},         {"beam", 250, nullptr, Option::beam, "beam_width_min", "2.5"},
    {"flicker", 12, nullptr, Option::flicker, "flicker", "12"},     {"samples", 0, nullptr, Option::samples, "samples", "0"},
    {"samplerate", 1, nullptr, Option::samplerate, "samplerate", "22050"},
    {"sound", 0, nullptr, Option::sound, "sound", "none"},  // last: it disables the others
    {"volume", 20, nullptr, Option::volume, "volume", "-12"},       {"latency", 3, nullptr, Option::latency, "audio_latency", "3"},
    {"controller", 4, nullptr, Option::controller, "ctrlr", "xarcade"},
    {"steadykey", 1, nullptr, Option::steadykey, "steadykey", "1"}, {"joystick", 1, nullptr, Option::joystick, "joystick", "1"},
    {"deadzone", 20, nullptr, Option::deadzone, "joystick_deadzone", "0.2"},
    {"paddle_controller", 1, nullptr, Option::paddle_controller, "paddle_device", "mouse"},
    {"cheats", 1, nullptr, Option::cheats, "cheat", "1"},           {"sleep", 0, nullptr, Option::sleep, "sleep", "0"},
    {"autosavestate", 1, nullptr, Option::autosavestate, "autosave", "1"},
    {"frames", 0, "30", Option::frames, "seconds_to_run", "30"},    {"artworkcrop", 1, nullptr, Option::artworkcrop, "artwork_crop", "1"},
    {"speed", 150, nullptr, Option::speed, "speed", "1.5"},         {"neogeobios", 2, nullptr, Option::neogeobios, nullptr, nullptr},
};
// clang-format on

class OptionsDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(dir_ / "ini");
    folders_.FrontDir = dir_.folder();
    folders_.IniDir = dir_.folder() + "ini";
    // The files a first run writes, from the defaults.
    defaults_ = MameOptions();
    ResetMameOptions(defaults_);
    MameOptions written = defaults_;
    std::string error;
    ASSERT_TRUE(WriteMameIni(OptionsMode::DefaultOptions, written, folders_, "", &error)) << error;
    dialog_.Folders() = folders_;
    dialog_.SetSettings(&settings_);
    dialog_.SetMissingOptionHint(QStringLiteral("This MAME has no option \"%1\"."));
  }

  template <typename T = QWidget>
  T* Get(const std::string& name) {
    T* found = dialog_.findChild<T*>(QString::fromStdString(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }

  void Open(OptionsMode mode, const std::string& romname = {}) {
    dialog_.SetRequest(mode, romname, mode == OptionsMode::GameOptions ? QStringLiteral("Options: pacman") : QString());
    dialog_.show();
  }

  // Changes the control as a user does, and the expected model the same way.
  void Apply(const Change& change, MameOptions& expected) {
    QWidget* control = Get(change.control);
    ASSERT_NE(control, nullptr);
    if (auto* radio = qobject_cast<QRadioButton*>(control)) {
      radio->click();
    } else if (auto* box = qobject_cast<QCheckBox*>(control)) {
      if (box->isChecked() != (change.value != 0)) box->click();
    } else if (auto* list = qobject_cast<QComboBox*>(control)) {
      Pick(list, change.value);
    } else if (auto* slider = qobject_cast<QSlider*>(control)) {
      Drag(slider, change.value);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
      edit->selectAll();
      Type(edit, QString::fromLatin1(change.text));
    }
    if (change.text != nullptr) {
      expected.SetText(change.option, change.text);
    } else {
      ASSERT_TRUE(expected.SetNumber(change.option, change.value)) << change.control;
    }
  }

  static const Change& Row(std::string_view control) {
    return *std::find_if(std::begin(kEveryPage), std::end(kEveryPage),
                         [control](const Change& change) { return change.control == control; });
  }

  std::string Expected(OptionsMode mode, MameOptions options, const std::string& romname = {}) {
    MameFolders folders = folders_;
    EXPECT_TRUE(PrepareOptionsForWriting(mode, options, folders, nullptr));
    return platform::JoinLinesCrLf(MameIniLines(mode, options, folders, romname));
  }

  test::TempDir dir_;
  MameFolders folders_;
  MameOptions defaults_;
  Settings settings_{dir_.folder()};
  TForm2 dialog_;
};

// ---- Controls ----

// A control's state as the model holds it: checked as 1, a list's choice, a slider's position.
int StateOf(const QWidget* control) {
  if (const auto* button = qobject_cast<const QAbstractButton*>(control)) return button->isChecked() ? 1 : 0;
  if (const auto* list = qobject_cast<const QComboBox*>(control)) return list->currentIndex();
  if (const auto* slider = qobject_cast<const QSlider*>(control)) return slider->value();
  return -2;
}

// Every value's control shows `state` (Initial or Default); texts as `text` unless kept.
void ExpectControls(TForm2& dialog, bool initial) {
  const std::map<OptionKind, std::string> kinds{{OptionKind::Flag, "QCheckBox"},
                                                {OptionKind::Choice, "QComboBox"},
                                                {OptionKind::Ratio, "QSlider"},
                                                {OptionKind::Whole, "QSlider"},
                                                {OptionKind::Text, "QLineEdit"}};
  for (const OptionInfo& info : OptionTable()) {
    SCOPED_TRACE(Name(info.id));
    const int state = initial ? info.initial : info.reset;
    if (info.id == Option::render) {
      for (std::size_t i = 0; i < info.radioButtons.size(); ++i) {
        const auto* button = dialog.findChild<QRadioButton*>(QString::fromLatin1(info.radioButtons[i].data()));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(StateOf(button), static_cast<int>(i) == state ? 1 : 0);
      }
      continue;
    }
    const QList<QWidget*> found = dialog.findChildren<QWidget*>(QString::fromStdString(Name(info.id)));
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0]->metaObject()->className(), kinds.at(info.kind));
    if (const auto* edit = qobject_cast<const QLineEdit*>(found[0])) {
      if (initial || !info.keptOnReset) {
        EXPECT_EQ(edit->text().toStdString(), initial ? info.initialText : info.resetText);
      }
    } else {
      EXPECT_EQ(StateOf(found[0]), state);
    }
    if (const auto* slider = qobject_cast<const QSlider*>(found[0])) {
      EXPECT_EQ(std::pair(slider->minimum(), slider->maximum()), std::pair(info.minimum, info.maximum));
    }
  }
}

TEST_F(OptionsDialogTest, EveryValueHasOneNamedControlOfItsKindInItsFirstState) {
  ExpectControls(dialog_, true);
  for (const char* slider : {"beam", "deadzone", "saturation"}) {
    EXPECT_EQ(Get<QSlider>(slider)->pageStep(), 50) << slider;
  }
  const QStringList pages = {"Display Options", "Screens", "Vector", "Sound Options", "Input Devices", "Misc", "Bios"};
  auto* tabs = Get<QTabWidget>("pagecontrol1");
  ASSERT_EQ(tabs->count(), pages.size());
  for (int i = 0; i < tabs->count(); ++i) {
    EXPECT_EQ(tabs->tabText(i), pages[i]);
  }
}

// ---- Modes and buttons ----

TEST_F(OptionsDialogTest, TheDefaultOptionsShowTheBiosPageAndPresetsAGamesOptionsHideThem) {
  WriteFileBytes(dir_ / "ini" / "pacman.ini", "");
  auto* tabs = Get<QTabWidget>("pagecontrol1");
  tabs->setCurrentIndex(TForm2::kBiosPage);
  Open(OptionsMode::GameOptions, "pacman");
  EXPECT_FALSE(tabs->isTabVisible(TForm2::kBiosPage));
  EXPECT_NE(tabs->currentIndex(), TForm2::kBiosPage);
  EXPECT_FALSE(Get("presets")->isEnabled());
  EXPECT_EQ(dialog_.windowTitle(), "Options: pacman");
  dialog_.reject();
  Open(OptionsMode::DefaultOptions);
  EXPECT_TRUE(tabs->isTabVisible(TForm2::kBiosPage));
  EXPECT_TRUE(Get("presets")->isEnabled());
  EXPECT_EQ(dialog_.windowTitle(), "MAME Default Options");
  EXPECT_FALSE(Get("errortext")->isVisible());
}

TEST_F(OptionsDialogTest, OkWritesMameIniAndTheBiosFilesAsTheWriterWritesTheChangedValues) {
  Open(OptionsMode::DefaultOptions);
  MameOptions expected = defaults_;
  for (const Change& change : kEveryPage) {
    Apply(change, expected);
  }
  Get<QPushButton>("Button1")->click();
  EXPECT_FALSE(dialog_.isVisible());
  EXPECT_EQ(dialog_.result(), QDialog::Accepted);
  EXPECT_EQ(ReadFileBytes(dir_ / "mame.ini"), Expected(OptionsMode::DefaultOptions, expected));
  for (const auto& [label, text] :
       {std::pair{"speedlabel", "150%"}, std::pair{"volumescherm", "-12db"}, std::pair{"brightscherm", "1.2"},
        std::pair{"beamscherm", "2.5"}, std::pair{"flickerscherm", "12"}, std::pair{"latencyscherm", "3"}}) {
    EXPECT_EQ(Get<QLabel>(label)->text(), text) << label;
  }
  EXPECT_EQ(ReadFileBytes(dir_ / "ini" / "neogeo.ini"),
            "### neogeo.c ###\r\n\r\n### Mame CORE misc options ###\r\nbios                    us \r\n");
}

TEST_F(OptionsDialogTest, OkInAGamesModeWritesOnlyItsFileOverWhatMameIniHolds) {
  MameOptions base = defaults_;
  base.SetNumber(Option::speed, 50);
  MameFolders folders = folders_;
  ASSERT_TRUE(WriteMameIni(OptionsMode::DefaultOptions, base, folders, "", nullptr));
  WriteFileBytes(dir_ / "ini" / "pacman.ini", "");
  const std::string mameIni = ReadFileBytes(dir_ / "mame.ini");
  const std::string neogeo = ReadFileBytes(dir_ / "ini" / "neogeo.ini");
  Open(OptionsMode::GameOptions, "pacman");
  EXPECT_EQ(Get<QSlider>("speed")->value(), 50);
  EXPECT_EQ(Get<QLabel>("speedlabel")->text(), "50%");
  MameOptions expected = base;
  for (const char* control : {"runwin", "volume", "neogeobios"}) {
    Apply(Row(control), expected);
  }
  Get<QPushButton>("Button1")->click();
  EXPECT_FALSE(dialog_.isVisible());
  EXPECT_EQ(ReadFileBytes(dir_ / "ini" / "pacman.ini"), Expected(OptionsMode::GameOptions, expected, "pacman"));
  EXPECT_EQ(ReadFileBytes(dir_ / "mame.ini"), mameIni);
  EXPECT_EQ(ReadFileBytes(dir_ / "ini" / "neogeo.ini"), neogeo);
}

// A game's values are those of the nearest file MAME reads for it: a name in the program folder before the
// same name in the ini folder, a parent's file after the orientation's. OK without a change gives the game's
// file those files' lines.
TEST_F(OptionsDialogTest, AGamesValuesComeFromTheNearestFileMameReadsForIt) {
  WriteFileBytes(dir_ / "horizont.ini", "gamma 0.8\r\nspeed 0.5\r\n");
  WriteFileBytes(dir_ / "ini" / "horizont.ini", "gamma 1.2\r\nbrightness 1.1\r\n");
  WriteFileBytes(dir_ / "ini" / "1292apvs.ini", "speed                   1.5\r\n");
  WriteFileBytes(dir_ / "ini" / "1392apvs.ini", "");
  dialog_.SetRequest(OptionsMode::GameOptions, "1392apvs", QString(),
                     {"mame.ini", "horizont.ini", "source/vc4000.ini", "1292apvs.ini", "1392apvs.ini"});
  dialog_.show();
  EXPECT_EQ(Get<QSlider>("speed")->value(), 150);
  EXPECT_EQ(Get<QLabel>("speedlabel")->text(), "150%");
  EXPECT_EQ(Get<QSlider>("gamma")->value(), 80);
  EXPECT_EQ(Get<QSlider>("brightness")->value(), 100);
  Get<QPushButton>("Button1")->click();
  ASSERT_FALSE(dialog_.isVisible());
  std::vector<std::string> lines;
  ASSERT_TRUE(platform::ReadTextFileLinesAsIs(dir_ / "ini" / "1392apvs.ini", lines, nullptr));
  for (const char* line : {"speed                   1.5", "gamma 0.8", "brightness              1"}) {
    EXPECT_EQ(std::count(lines.begin(), lines.end(), line), 1) << line;
  }
}

// The user sets controls to other values and back to those shown, which are not the file's (values MAME
// takes in mame.ini): OK writes the values shown, in mame.ini and in a game's new file, and a control left
// alone keeps the line its value came from.
TEST_F(OptionsDialogTest, AValueSetBackToTheOneShownIsWrittenAsShown) {
  for (const std::filesystem::path& file : {dir_ / "mame.ini", dir_ / "ini" / "pacman.ini"}) {
    WriteFileBytes(dir_ / "mame.ini", "samplerate  96000\r\nspeed  3\r\nsound  portaudio\r\ngamma  2.5\r\n");
    WriteFileBytes(dir_ / "ini" / "pacman.ini", "");
    Open(file.filename() == "mame.ini" ? OptionsMode::DefaultOptions : OptionsMode::GameOptions, "pacman");
    Pick(Get<QComboBox>("samplerate"), 3);
    Pick(Get<QComboBox>("samplerate"), 4);
    Drag(Get<QSlider>("speed"), 150);
    Drag(Get<QSlider>("speed"), 200);
    Get<QCheckBox>("sound")->click();
    Get<QCheckBox>("sound")->click();
    Get<QPushButton>("Button1")->click();
    std::vector<std::string> lines;
    ASSERT_TRUE(platform::ReadTextFileLines(file, lines, nullptr));
    for (const std::string& line : {OptionLine("samplerate", "48000"), OptionLine("speed", "2"),
                                    OptionLine("sound", "auto"), std::string("gamma  2.5")}) {
      EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << file << ": " << line;
    }
  }
}

TEST_F(OptionsDialogTest, CancelLeavesEveryFileByteForByteAndTheValuesAsShown) {
  // A file MAME wrote by hand, with blanks and a comment the writer would not keep.
  const std::string own = "# my own\nspeed  0.5\nwindow 1\nresolution   1280x1024@75\n";
  WriteFileBytes(dir_ / "mame.ini", own);
  const std::string neogeo = ReadFileBytes(dir_ / "ini" / "neogeo.ini");
  Open(OptionsMode::DefaultOptions);
  const MameOptions shown = dialog_.Options();
  MameOptions ignored;
  for (const Change& change : kEveryPage) {
    Apply(change, ignored);
  }
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&dialog_, &escape);
  EXPECT_FALSE(dialog_.isVisible());
  EXPECT_EQ(dialog_.result(), QDialog::Rejected);
  EXPECT_EQ(ReadFileBytes(dir_ / "mame.ini"), own);
  EXPECT_EQ(ReadFileBytes(dir_ / "ini" / "neogeo.ini"), neogeo);
  EXPECT_TRUE(dialog_.Options() == shown);
  EXPECT_TRUE(Get<QCheckBox>("keepaspect")->isChecked());
}

TEST_F(OptionsDialogTest, DefaultSetsEveryControlToItsDefaultAndKeepsTheFileNames) {
  Open(OptionsMode::DefaultOptions);
  MameOptions ignored;
  for (const Change& change : kEveryPage) {
    Apply(change, ignored);
  }
  Get<QComboBox>("presets")->setCurrentIndex(2);
  settings_.WriteText(kUiSection, "preset", "2");
  Get<QPushButton>("Button3")->click();
  ExpectControls(dialog_, false);
  EXPECT_EQ(Get<QLineEdit>("effect")->text(), "scanlines");  // kept
  EXPECT_EQ(Get<QLabel>("deadzonescherm")->text(), "0.3");
  EXPECT_EQ(Get<QComboBox>("presets")->currentIndex(), 0);
  EXPECT_EQ(settings_.ReadText(kUiSection, "preset"), "0");

  // A game's Default leaves the stored preset alone.
  WriteFileBytes(dir_ / "ini" / "pacman.ini", "");
  dialog_.reject();
  settings_.WriteText(kUiSection, "preset", "2");
  Open(OptionsMode::GameOptions, "pacman");
  Get<QPushButton>("Button3")->click();
  EXPECT_EQ(settings_.ReadText(kUiSection, "preset"), "2");
}

TEST_F(OptionsDialogTest, AReadOnlyFileKeepsTheDialogOpenWithTheErrorShown) {
  const std::filesystem::path mameIni = dir_ / "mame.ini";
  const std::string before = ReadFileBytes(mameIni);
  Open(OptionsMode::DefaultOptions);
  Get<QCheckBox>("runwin")->setChecked(true);
  std::filesystem::permissions(mameIni, std::filesystem::perms::owner_read);
  Get<QPushButton>("Button1")->click();
  std::filesystem::permissions(mameIni, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  EXPECT_TRUE(dialog_.isVisible());
  auto* error = Get<QLabel>("errortext");
  EXPECT_TRUE(error->isVisible());
  EXPECT_TRUE(error->text().contains(QString::fromStdString(mameIni.string()))) << error->text().toStdString();
  EXPECT_EQ(ReadFileBytes(mameIni), before);
  // Once the file can be written, OK closes the dialog.
  Get<QPushButton>("Button1")->click();
  EXPECT_FALSE(dialog_.isVisible());
}

TEST_F(OptionsDialogTest, AMissingOrDamagedFileStillOpensTheDialog) {
  Open(OptionsMode::GameOptions, "nosuchgame");
  EXPECT_TRUE(dialog_.isVisible());
  EXPECT_TRUE(Get<QLabel>("errortext")->text().contains("nosuchgame.ini"));
  // Nothing was read into the screen list; OK writes it as Auto, not as the second display.
  EXPECT_EQ(dialog_.ScreenLists()[1]->currentIndex(), -1);
  Get<QPushButton>("Button1")->click();
  EXPECT_NE(ReadFileBytes(dir_ / "ini" / "nosuchgame.ini").find(OptionLine("screen0", "auto")), std::string::npos);

  WriteFileBytes(dir_ / "mame.ini", "speed abc\r\nframeskip x\r\nwindow 1\r\n\x01\xff\xfe garbage\r\nvolume\r\n");
  Open(OptionsMode::DefaultOptions);
  EXPECT_TRUE(dialog_.isVisible());
  EXPECT_TRUE(Get<QCheckBox>("runwin")->isChecked());
  EXPECT_EQ(Get<QSlider>("speed")->value(), 100);
  EXPECT_FALSE(Get("errortext")->isVisible());
}

TEST_F(OptionsDialogTest, AStoredPresetThatIsNoChoiceIsTakenAsTheFirst) {
  for (const auto& [stored, shown] : {std::pair{"3", 3}, std::pair{"abc", 0}, std::pair{"9", 0}, std::pair{"-1", 0}}) {
    settings_.WriteText(kUiSection, "preset", stored);
    Open(OptionsMode::DefaultOptions);
    EXPECT_EQ(Get<QComboBox>("presets")->currentIndex(), shown) << stored;
    EXPECT_EQ(Get<QCheckBox>("autoframeskip")->isChecked(), defaults_.Flag(Option::autoframeskip));
    dialog_.reject();
  }
}

// ---- Presets ----

struct PresetCase {
  int preset;
  int samplerate;
  int latency;
  bool triplebuffer;
  int frameskip;
  bool autoframeskip;
};

void PrintTo(const PresetCase& c, std::ostream* out) { *out << "preset " << c.preset; }

class OptionsDialogPresetTest : public OptionsDialogTest, public testing::WithParamInterface<PresetCase> {};

TEST_P(OptionsDialogPresetTest, SetsItsControlsAndIsStored) {
  const PresetCase& c = GetParam();
  const std::string before = ReadFileBytes(dir_ / "mame.ini");
  Open(OptionsMode::DefaultOptions);
  Get<QRadioButton>("bgfx")->click();
  Get<QCheckBox>("waitvsync")->setChecked(true);
  Get<QCheckBox>("throttle")->setChecked(false);
  Get<QComboBox>("frameskip")->setCurrentIndex(5);
  auto* presets = Get<QComboBox>("presets");
  presets->setCurrentIndex(c.preset);
  emit presets->activated(c.preset);
  EXPECT_EQ(Get<QComboBox>("samplerate")->currentIndex(), c.samplerate);
  EXPECT_EQ(Get<QSlider>("latency")->value(), c.latency);
  EXPECT_TRUE(Get<QRadioButton>("opengl")->isChecked());
  EXPECT_FALSE(Get<QCheckBox>("waitvsync")->isChecked());
  EXPECT_EQ(Get<QCheckBox>("triplebuffer")->isChecked(), c.triplebuffer);
  EXPECT_EQ(Get<QComboBox>("frameskip")->currentIndex(), c.frameskip);
  EXPECT_TRUE(Get<QCheckBox>("throttle")->isChecked());
  EXPECT_EQ(Get<QCheckBox>("autoframeskip")->isChecked(), c.autoframeskip);
  EXPECT_EQ(Get("frameskip")->isEnabled(), !c.autoframeskip);
  EXPECT_EQ(settings_.ReadInt(kUiSection, "preset"), c.preset);
  EXPECT_EQ(ReadFileBytes(dir_ / "mame.ini"), before);  // nothing is written before OK
}

INSTANTIATE_TEST_SUITE_P(Presets, OptionsDialogPresetTest,
                         testing::Values(PresetCase{1, 0, 3, false, 5, true}, PresetCase{2, 3, 2, false, 5, true},
                                         PresetCase{3, 4, 1, true, 0, false}),
                         [](const auto& info) { return "Preset" + std::to_string(info.param.preset); });

// ---- Enable rules ----

struct RuleCase {
  const char* name;
  std::function<void(TForm2&)> act;
  std::vector<const char*> enabled;
  std::vector<const char*> disabled;
};

void PrintTo(const RuleCase& c, std::ostream* out) { *out << c.name; }

template <typename T>
std::function<void(TForm2&)> Set(const char* name, bool on) {
  return [name, on](TForm2& dialog) { dialog.findChild<T*>(name)->setChecked(on); };
}

class OptionsDialogRuleTest : public OptionsDialogTest, public testing::WithParamInterface<RuleCase> {};

TEST_P(OptionsDialogRuleTest, EnablesAndDisablesItsControlsAtOnce) {
  Open(OptionsMode::DefaultOptions);
  GetParam().act(dialog_);
  for (const char* name : GetParam().enabled) {
    EXPECT_TRUE(Get(name)->isEnabled()) << name;
  }
  for (const char* name : GetParam().disabled) {
    EXPECT_FALSE(Get(name)->isEnabled()) << name;
  }
}

std::function<void(TForm2&)> Both(std::function<void(TForm2&)> first, std::function<void(TForm2&)> then) {
  return [=](TForm2& dialog) {
    first(dialog);
    then(dialog);
  };
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rules, OptionsDialogRuleTest, testing::Values(
    RuleCase{"SoundOffKeepsTheWaveFile", Both(Set<QCheckBox>("savesound", true), Set<QCheckBox>("sound", false)),
             {"soundfile", "wavefile"}, {"samples", "samplerate", "sampleratelabel", "latency", "volume", "savesound"}},
    RuleCase{"SoundOn", Set<QCheckBox>("sound", true),
             {"samples", "samplerate", "sampleratelabel", "latency", "volume", "savesound"}, {"soundfile"}},
    RuleCase{"SoftwareRendering", Set<QRadioButton>("soft", true), {"prescale"}, {"ddfilter", "zoomscherm"}},
    RuleCase{"BgfxAfterSoftware", Both(Set<QRadioButton>("soft", true), Set<QRadioButton>("bgfx", true)),
             {"ddfilter", "zoomscherm"}, {}},
    RuleCase{"SdlAccelerated", Set<QRadioButton>("accel", true), {"ddfilter", "zoomscherm"}, {}},
    RuleCase{"AutoFrameskipOff", Set<QCheckBox>("autoframeskip", false), {"frameskip"}, {}},
    RuleCase{"RunInWindow", Set<QCheckBox>("runwin", true), {"maxwin"}, {}},
    // Today's MAME has no dual lightgun option: its box stays disabled whatever the lightgun says.
    RuleCase{"Lightgun", Set<QCheckBox>("lightgun", true), {"offscreen"}, {"dual"}},
    RuleCase{"SaveMovie", Set<QCheckBox>("savemng", true), {"mngfile", "Moviefile"}, {}},
    RuleCase{"NoMovie", Set<QCheckBox>("savemng", false), {}, {"mngfile", "Moviefile"}},
    RuleCase{"ScreenTwoAspectTyped", Set<QCheckBox>("aspect1auto", false),
             {"aspectx1", "aspecty1", "aspectratioscherm1"}, {"aspectx", "aspecty0", "aspectratioscherm2"}}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// ---- Keys and file edits ----

void Type(QWidget* target, const QString& keys) {
  for (const QChar key : keys) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(key));
    QApplication::sendEvent(target, &press);
  }
}

TEST_F(OptionsDialogTest, AspectEditsTakeOneDigitFromOneToNineAndSecondsOnlyDigits) {
  Get<QCheckBox>("aspect2auto")->setChecked(false);
  auto* aspect = Get<QLineEdit>("aspectx2");
  Type(aspect, "0a4");
  EXPECT_EQ(aspect->text(), "4");
  Type(aspect, "5");
  EXPECT_EQ(aspect->text(), "4");
  EXPECT_EQ(dialog_.Options().Text(Option::aspectx2), "4");
  auto* frames = Get<QLineEdit>("frames");
  frames->clear();
  Type(frames, "1x2-0");
  EXPECT_EQ(frames->text(), "120");
}

TEST_F(OptionsDialogTest, FileDialogsNameTheEffectByItsPictureAndAddTheExtensions) {
  QString asked;
  QString answer;
  // Saving a movie without a name takes the program folder's file.
  Get<QCheckBox>("savemng")->setChecked(true);
  EXPECT_EQ(Get<QLineEdit>("mngfile")->text().toStdString(), dir_.folder() + "movieclip.mng");
  dialog_.SetFileChooser([&](const QString& title, const QString& filter, const QString&, bool) {
    asked = title + "|" + filter;
    return answer;
  });
  const std::tuple<Option, const char*, const char*, const char*> cases[] = {
      {Option::effect, "/art/effects/scan.png", "scan", "Choose .PNG file|All files (*.png)"},
      {Option::soundfile, "/tmp/clip", "/tmp/clip.wav", "Kestrune|All files (*.wav)"},
      {Option::mngfile, "/tmp/film.mng", "/tmp/film.mng", "Kestrune|All files (*.mng)"},
      {Option::mngfile, "", "/tmp/film.mng", "Kestrune|All files (*.mng)"},  // the dialog was cancelled
  };
  for (const auto& [option, chosen, shown, dialog] : cases) {
    answer = QString::fromLatin1(chosen);
    auto* edit = Get<QLineEdit>(Name(option));
    edit->actions().front()->trigger();
    EXPECT_EQ(asked, dialog) << Name(option);
    EXPECT_EQ(edit->text(), shown) << Name(option);
    EXPECT_EQ(dialog_.Options().Text(option), shown);
  }
}

// ---- Values the lists cannot offer ----

TEST_F(OptionsDialogTest, ValuesTheListsDoNotOfferAreWrittenBackAsTheyWere) {
  for (QComboBox* list : dialog_.ResolutionLists()) {
    list->addItem("1920x1080x24@60");  // as the main window fills them
  }
  std::vector<std::string> file;
  ASSERT_TRUE(platform::ReadTextFileLines(dir_ / "mame.ini", file, nullptr));
  for (std::string& line : file) {
    for (const std::string changed : {"resolution2 1280x1024@75", "aspect3 16:10", "resolution  1920x1080x24@60"}) {
      if (line.substr(0, line.find(' ')) == changed.substr(0, changed.find(' '))) {
        line = changed;
      }
    }
  }
  WriteFileBytes(dir_ / "mame.ini", platform::JoinLinesCrLf(file));
  Open(OptionsMode::DefaultOptions);
  EXPECT_EQ(dialog_.ResolutionLists()[3]->currentText(), "1280x1024@75");
  EXPECT_EQ(dialog_.ResolutionLists()[0]->currentIndex(), 1);
  EXPECT_EQ(Get<QLineEdit>("aspectx3")->text(), "16");
  // A mode typed into a list is kept as a choice of its own.
  QComboBox* typed = dialog_.ResolutionLists()[1];
  typed->lineEdit()->selectAll();
  Type(typed->lineEdit(), "800x600@60");
  emit typed->lineEdit()->editingFinished();
  Get<QPushButton>("Button1")->click();
  std::vector<std::string> lines;
  ASSERT_TRUE(platform::ReadTextFileLines(dir_ / "mame.ini", lines, nullptr));
  EXPECT_NE(std::find(lines.begin(), lines.end(), OptionLine("resolution0", "800x600@60")), lines.end());
  // The lines not changed come back as the file had them.
  for (const char* line : {"resolution2 1280x1024@75", "aspect3 16:10", "resolution  1920x1080x24@60"}) {
    EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
  }
}

// ---- What today's MAME ignores ----

// Waits for the dialog's question to MAME, at most a minute.
bool WaitForMame(TForm2& dialog) {
  QEventLoop loop;
  bool answered = false;
  QObject::connect(&dialog, &TForm2::mameAnswered, &loop, [&] {
    answered = true;
    loop.quit();
  });
  QTimer::singleShot(60000, &loop, &QEventLoop::quit);
  loop.exec();
  return answered;
}

// A control whose value MAME would not take is disabled and says why.
void ExpectMarked(QWidget* control, bool marked) {
  EXPECT_EQ(control->isEnabled(), !marked) << control->objectName().toStdString();
  EXPECT_EQ(control->toolTip().startsWith("This MAME has no option"), marked) << control->objectName().toStdString();
}

TEST_F(OptionsDialogTest, ControlsOfOptionsMameDoesNotHaveAreDisabledAndSaySo) {
  // What today's MAME no longer has is marked before MAME is asked.
  Open(OptionsMode::DefaultOptions);
  for (const char* gone : {"stretch", "highpriority", "bezels", "dual", "fullgamma", "directxversion"}) {
    ExpectMarked(Get(gone), true);
  }
  EXPECT_TRUE(Get("stretch")->toolTip().contains("\"hwstretch\""));
  // A MAME that lists every key but three, and knows one of those by another name; a value is ignored only
  // when all its keys are unknown (beam writes two).
  std::string config;
  for (const auto& [key, value] : WrittenKeys()) {
    if (key != "waitvsync" && key != "joystick_deadzone" && key != "beam_width_max") {
      config += key + "                  " + value + "\n";
    }
  }
  WriteFileBytes(dir_ / "config.txt", config);
  const std::filesystem::path mame = dir_ / "mame";
  WriteFileBytes(mame,
                 "#!/bin/sh\nif [ $# = 1 ]; then cat \"$(dirname \"$0\")/config.txt\"; exit 0; fi\n"
                 "[ \"$2\" = -joystick_deadzone ] && exit 0\necho \"Error: unknown option: $2\" >&2\nexit 6\n");
  std::filesystem::permissions(mame, std::filesystem::perms::owner_all);
  dialog_.AskMame(mame);
  ASSERT_TRUE(WaitForMame(dialog_));
  for (const char* ignored : {"waitvsync", "stretch", "bezels"}) {
    ExpectMarked(Get(ignored), true);
  }
  EXPECT_TRUE(Get("waitvsync")->toolTip().contains("\"waitvsync\""));
  for (const char* known : {"deadzone", "beam", "throttle", "samples", "neogeobios"}) {
    ExpectMarked(Get(known), false);
  }
  // A later answer replaces MAME's marks; an enable rule does not enable a marked control.
  dialog_.MarkIgnoredOptions({"throttle"});
  ExpectMarked(Get("waitvsync"), false);
  ExpectMarked(Get("throttle"), true);
  ExpectMarked(Get("stretch"), true);
  Get<QCheckBox>("lightgun")->setChecked(true);
  ExpectMarked(Get("dual"), true);
  // A MAME that knows none of the options marks those that no control shows too.
  std::vector<std::string> everyKey;
  for (const OptionInfo& info : OptionTable()) {
    for (const std::string& key : KeysOfOption(info.id)) everyKey.push_back(key);
  }
  dialog_.MarkIgnoredOptions(everyKey);
  // The hint follows the language.
  dialog_.SetMissingOptionHint(QStringLiteral("Deze MAME heeft geen optie \"%1\"."));
  EXPECT_EQ(Get("throttle")->toolTip(), "Deze MAME heeft geen optie \"throttle\".");
}

// ---- The installed MAME ----

std::string InstalledMame() { return access("/usr/games/mame", X_OK) == 0 ? "/usr/games/mame" : std::string(); }

std::map<std::string, std::string> ConfigValues(const std::string& showConfig) {
  std::map<std::string, std::string> values;
  for (std::string_view line : platform::SplitTextLines(showConfig)) {
    const std::size_t blank = line.find(' ');
    if (!line.starts_with('#') && blank != std::string_view::npos) {
      values[std::string(line.substr(0, blank))] = std::string(platform::TrimBlanks(line.substr(blank)));
    }
  }
  return values;
}

class OptionsDialogMameTest : public OptionsDialogTest {
 protected:
  void SetUp() override {
    mame_ = InstalledMame();
    if (mame_.empty()) {
      GTEST_SKIP() << "MAME is not installed";
    }
    // MAME keeps its own files under a home of the test's and needs a runtime folder.
    for (const char* folder : {"home", "run"}) {
      std::filesystem::create_directory(dir_ / folder);
    }
    std::filesystem::permissions(dir_ / "run", std::filesystem::perms::owner_all);
    for (const auto& [name, folder] : {std::pair{"HOME", "home"}, std::pair{"XDG_RUNTIME_DIR", "run"}}) {
      const char* old = std::getenv(name);
      saved_.emplace_back(name, old != nullptr ? std::optional<std::string>(old) : std::nullopt);
      setenv(name, (dir_ / folder).c_str(), 1);
    }
    OptionsDialogTest::SetUp();
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      value ? setenv(name, value->c_str(), 1) : unsetenv(name);
    }
  }

  std::string mame_;
  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST_F(OptionsDialogMameTest, MameReadsAMameIniWithEveryPageChangedAndShowsTheChangedValues) {
  for (QComboBox* list : dialog_.ResolutionLists()) {
    list->addItem("1024x768@60");
  }
  Open(OptionsMode::DefaultOptions);
  MameOptions expected;
  for (const Change& change : kEveryPage) {
    Apply(change, expected);
  }
  Pick(dialog_.ResolutionLists()[2], 1);
  Get<QPushButton>("Button1")->click();
  ASSERT_FALSE(dialog_.isVisible()) << Get<QLabel>("errortext")->text().toStdString();

  std::string config;
  std::string error;
  ASSERT_TRUE(
      RunForOutput(mame_, {"-inipath", dir_.folder() + ";" + dir_.folder() + "ini", "-showconfig"}, config, &error))
      << error;
  const auto values = ConfigValues(config);
  for (const Change& change : kEveryPage) {
    if (change.mameKey == nullptr) continue;
    ASSERT_TRUE(values.contains(change.mameKey)) << change.mameKey;
    const auto shown = ParseDecimal(values.at(change.mameKey));
    const auto wanted = ParseDecimal(change.mameValue);
    if (shown && wanted) {
      EXPECT_DOUBLE_EQ(*shown, *wanted) << change.mameKey;
    } else {
      EXPECT_EQ(values.at(change.mameKey), change.mameValue) << change.mameKey;
    }
  }
  EXPECT_EQ(values.at("resolution1"), "1024x768@60");
  EXPECT_EQ(values.at("rompath"), dir_.folder() + "roms");
}

TEST_F(OptionsDialogMameTest, TipsMarkExactlyTheOptionsTheInstalledMameDoesNotKnow) {
  dialog_.AskMame(mame_);
  ASSERT_TRUE(WaitForMame(dialog_));
  std::string config;
  ASSERT_TRUE(RunForOutput(mame_, {"-showconfig"}, config, nullptr));
  const auto known = ShowConfigKeys(config);
  int marked = 0;
  for (const OptionInfo& info : OptionTable()) {
    const QWidget* control = info.id == Option::render ? Get("opengl") : Get(Name(info.id));
    if (control->toolTip().isEmpty()) continue;
    ++marked;
    for (const std::string& key : KeysOfOption(info.id)) {
      EXPECT_FALSE(known.contains(key)) << Name(info.id) << " " << key;
    }
  }
  // MAME 0.251 on Linux: Windows-only and long-gone options; the joystick's short names are still known.
  for (const char* ignored : {"stretch", "directxversion", "highpriority", "triplebuffer", "backdrops"}) {
    EXPECT_FALSE(Get(ignored)->toolTip().isEmpty()) << ignored;
  }
  for (const char* knownControl : {"deadzone", "saturation", "throttle", "ddfilter", "beam", "controller"}) {
    EXPECT_EQ(Get(knownControl)->toolTip(), "") << knownControl;
  }
  EXPECT_GE(marked, 5);
  // What the installed MAME does not know is what a game's file leaves out.
  std::vector<std::string> unknown;
  std::string error;
  ASSERT_TRUE(AskMameUnknownKeys(mame_, unknown, &error)) << error;
  std::vector<std::string> gone = GoneOptionKeys();
  std::sort(unknown.begin(), unknown.end());
  std::sort(gone.begin(), gone.end());
  EXPECT_EQ(unknown, gone);
}

}  // namespace
}  // namespace kestrune::settings
