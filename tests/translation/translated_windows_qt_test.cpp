#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <filesystem>
#include <map>
#include <optional>
#include <set>

#include "catalogue/list_filters.h"
#include "catalogue/rom_archive_move.h"
#include "mainwindow/bad_roms_dialog.h"
#include "mainwindow/delete_rom_dialog.h"
#include "mainwindow/game_details_dialog.h"
#include "mainwindow/game_list_controller.h"
#include "mainwindow/main_window.h"
#include "mainwindow/main_window_menus.h"
#include "mainwindow/mame_launcher.h"
#include "mainwindow/message_box.h"
#include "mainwindow/program_windows.h"
#include "platform/process_runner_qt.h"
#include "platform/text_file.h"
#include "settings/option_file_reader.h"
#include "settings/options_dialog.h"
#include "settings/settings.h"
#include "shipped_languages.h"
#include "support/file_util.h"
#include "support/program_folder_fixture.h"
#include "translation/lang_ini_file.h"
#include "translation/lang_translator_qt.h"
#include "translation/lang_values.h"
#include "translation/program_strings.h"
#include "translation/program_strings_qt.h"
#include "window_texts.h"

namespace {

namespace tr = kestrune::translation;
using kestrune::test::ShippedLangDir;
using kestrune::test::VisibleTexts;
using kestrune::test::WindowText;

// Every window of the program but the setup wizard, the about box, the driver information and the
// loading window.
constexpr const char* kTranslatedWindowClasses[] = {"TForm1",        "TForm2",        "TForm3", "TForm4",
                                                    "TOKBottomDlg",  "TOKBottomDlg1", "TForm9", "TFormcolumn",
                                                    "TOKBottomDlg2", "TForm12",       "TForm13"};

// Texts that read the same in Dutch, each with why.
const std::map<QString, const char*>& SameInDutch() {
  static const std::map<QString, const char*> words = {
      {"OK", "the button caption Dutch uses too"},
      {"Flyer", "the artwork kind keeps its arcade name"},
      {"Marquee", "the artwork kind keeps its arcade name"},
      {"Help", "the same word in Dutch"},
      {"Filters", "the same word in Dutch"},
      {"Status", "the same word in Dutch"},
      {"Driver", "MAME's own term"},
      {"Bios", "MAME's own term"},
      {"Bios :", "MAME's own term"},
      {"Video", "the same word in Dutch"},
      {"Joystick", "the same word in Dutch"},
      {"Trackball:", "the same word in Dutch"},
      {"Vector", "the same word in Dutch"},
      {"X-Arcade", "the controller's name"},
      {"HotRod", "the controller's name"},
      {"SlikStik", "the controller's name"},
      {"Rom", "the same word in Dutch"},
      {"Effect :", "the same word in Dutch"},
      {"https://www.mamedev.org/", "a web address"},
      {"https://www.xgaming.com/", "a web address"},
      {"http://www.slikstik.com/", "a web address"},
      {"https://www.hanaho.com/", "a web address"},
      {"www.xgaming.com", "a web address"},
      {"www.hanaho.com", "a web address"},
      {"www.slikstik.com", "a web address"},
      {"History.dat :", "a file name"},
      {"Mameinfo.dat :", "a file name"},
      {"Catver.ini :", "a file name"},
      {"NPlayers.ini :", "a file name"},
      {"ST-V Bios :", "a system's name"},
      {"NeoGeo Bios :", "a system's name"},
      {"Megaplay Bios :", "a system's name"},
      {"Playchoice-10 Bios :", "a system's name"},
      {"2x", "a scale factor"},
      {"3x", "a scale factor"},
      {"4x", "a scale factor"},
      {"Cocktail", "the cabinet kind keeps its arcade name"},
      {"Hotrod", "the controller's name"},
      {"Hotrod Se", "the controller's name"},
      {"Slickstik", "the controller's name"},
      {"Pentium 3/AMD Athlon", "processor names"},
      {"Pentium 4/AMD 2000+ XP", "processor names"},
  };
  return words;
}

// A BIOS item naming a country that Dutch writes the same way, and the system or BIOS file.
bool NamesCountryAsDutchDoes(const QString& text) {
  static const QRegularExpression country(QStringLiteral("^(Japan|USA?|Taiwan) "));
  return country.match(text).hasMatch();
}

// The arcade hardware a filter menu item names keeps its maker's name.
bool IsHardwareFamily(const std::string& key) {
  return std::any_of(kestrune::catalogue::kFilterMenu.begin(), kestrune::catalogue::kFilterMenu.end(),
                     [&key](const kestrune::catalogue::FilterMenuEntry& entry) {
                       return (!entry.driver1.empty() || !entry.bios.empty()) &&
                              key == std::string(entry.item) + ".Caption";
                     });
}

// Texts the program writes itself rather than a language file: the main window's title (program name,
// version and skin), the status panels (resource strings), the slider value labels of the MAME
// options dialog and its lists that hold names and numbers only or what the display reports.
bool IsProgramWritten(const std::string& window, const std::string& key) {
  static const std::set<std::string> valueLabels = {
      "brightscherm",       "contrastscherm",  "gammascherm",      "pausscherm",    "fullbrightscherm",
      "fullcontrastscherm", "fullgammascherm", "beamscherm",       "flickerscherm", "volumescherm",
      "latencyscherm",      "deadzonescherm",  "saturationscherm", "prioritylabel", "speedlabel"};
  // Lists of names and numbers only, the same in every language.
  static const std::set<std::string> nameLists = {"megaplaybios", "decocassbios", "arbios", "samplerate",
                                                  "directxversion"};
  if (window == "TForm1" && key == "Caption") return true;
  if (key.starts_with("StatusbalkPanel")) return true;
  if (window == "TForm2" && nameLists.contains(key.substr(0, key.find('.')))) return true;
  // The screens and their modes as the display reports them, after MAME's "Auto".
  if (window == "TForm2" && (key.starts_with("screenshow") || key.starts_with("ressize"))) return true;
  return window == "TForm2" && valueLabels.contains(key.substr(0, key.find('.')));
}

// What a shipped file gives a key, an item of its list for "name.Items.Strings[2]"; nothing without.
std::optional<std::string> ShippedText(const std::map<std::string, std::string>& keys, const std::string& key) {
  const std::size_t bracket = key.find('[');
  const auto found = keys.find(key.substr(0, bracket));
  if (found == keys.end()) return std::nullopt;
  if (bracket == std::string::npos) return tr::DecodeLangLiteral(found->second).value_or("?");
  const std::vector<std::string> items = tr::SplitDelimitedList(found->second);
  const std::size_t index = std::stoul(key.substr(bracket + 1));
  return index < items.size() ? items[index] : std::string("(no item)");
}

bool HasLetter(const QString& text) {
  return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
}

// The program's windows started in a program folder with the shipped language files.
class TranslatedWindows : public kestrune::test::ShippedLanguagesTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ShippedLanguagesTest::SetUp());
    ASSERT_NO_FATAL_FAILURE(Start());
  }

  // The windows that take the language: those carrying a translator, by class name.
  static std::map<std::string, QWidget*> Windows() {
    std::map<std::string, QWidget*> windows;
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (LangTranslatorOf(window) != nullptr) windows[window->metaObject()->className()] = window;
    }
    return windows;
  }
};

TEST_F(TranslatedWindows, AreEveryWindowButTheWizardAboutDriverInfoAndLoading) {
  std::set<std::string> names;
  for (const auto& [name, window] : Windows()) names.insert(name);
  const std::set<std::string> expected(std::begin(kTranslatedWindowClasses), std::end(kTranslatedWindowClasses));
  EXPECT_EQ(names, expected);
}

TEST_F(TranslatedWindows, EveryControlShowingTextHasAName) {
  for (const auto& [name, window] : Windows()) {
    for (const WindowText& text : VisibleTexts(window)) {
      EXPECT_FALSE(text.key.starts_with(".")) << name << ": \"" << text.text.toStdString() << "\" has no name";
    }
  }
}

TEST_F(TranslatedWindows, ShippedFilesHaveAKeyForEveryTextAndEnglishSaysWhatTheProgramSays) {
  const tr::TLangIniFile english(ShippedLangDir() / "english.lng");
  const tr::TLangIniFile dutch(ShippedLangDir() / "dutch.lng");
  for (const auto& [name, window] : Windows()) {
    std::map<std::string, std::string> englishKeys;
    for (const auto& [key, value] : english.ReadSectionValues(name)) englishKeys[key] = value;
    std::map<std::string, std::string> dutchKeys;
    for (const auto& [key, value] : dutch.ReadSectionValues(name)) dutchKeys[key] = value;
    for (const WindowText& text : VisibleTexts(window)) {
      if (IsProgramWritten(name, text.key)) continue;
      const std::optional<std::string> shipped = ShippedText(englishKeys, text.key);
      if (!shipped) {
        ADD_FAILURE() << "english.lng [" << name << "] lacks " << text.key << "='" << text.text.toStdString() << "'";
        continue;
      }
      EXPECT_EQ(*shipped, text.text.toStdString()) << name << " " << text.key;
      EXPECT_TRUE(ShippedText(dutchKeys, text.key)) << "dutch.lng [" << name << "] lacks " << text.key;
    }
  }
}

TEST_F(TranslatedWindows, DutchLeavesNoEnglishTextOnAnyWindow) {
  std::map<std::string, std::vector<WindowText>> english;
  for (const auto& [name, window] : Windows()) english[name] = VisibleTexts(window);
  Form1->Menus()->LanguageActions()[1]->trigger();
  ASSERT_EQ(Form1->LanguageManager()->Manager().CurrentLang(), "dutch");
  for (const auto& [name, window] : Windows()) {
    std::map<std::string, QString> dutch;
    for (const WindowText& text : VisibleTexts(window)) dutch[text.key] = text.text;
    for (const WindowText& text : english[name]) {
      if (!HasLetter(text.text) || SameInDutch().contains(text.text) || IsProgramWritten(name, text.key) ||
          IsHardwareFamily(text.key) || NamesCountryAsDutchDoes(text.text)) {
        continue;
      }
      EXPECT_NE(dutch[text.key], text.text) << name << " " << text.key << " stays English";
    }
  }
}

TEST_F(TranslatedWindows, StatusBarSpeaksTheNewLanguageAtOnce) {
  Form1->gameList()->SetRomsText("12");
  const auto panel = [](int index) {
    return Form1->findChild<QLabel*>(QStringLiteral("StatusbalkPanel%1").arg(index))->text();
  };
  ASSERT_EQ(panel(2), "INI : N/A");
  Form1->Menus()->LanguageActions()[1]->trigger();
  // Without any game the first panel says how to build the list.
  EXPECT_EQ(panel(0), "Geen spellen: druk op F5 (Instellingen > Roms initialiseren) om de spellenlijst te maken.");
  EXPECT_EQ(panel(1), "Roms : 12");
  EXPECT_EQ(panel(2), "INI : n.v.t.");
  EXPECT_EQ(panel(3), "INP : n.v.t.");
}

TEST_F(TranslatedWindows, MessagesComeInTheChosenLanguage) {
  Form1->Menus()->LanguageActions()[1]->trigger();
  ASSERT_TRUE(Form1->MameFile().empty());
  Form1->Launcher()->PlayGame();
  ASSERT_FALSE(messages_.empty());
  EXPECT_EQ(messages_.back().text, "\rGeen MAME-programma gekozen !");
  Form1->Menus()->LanguageActions()[0]->trigger();
  Form1->Launcher()->PlayGame();
  EXPECT_EQ(messages_.back().text, "\rNo Mame binary selected !");
}

// The move question names the set in the language's own sentence, the parent's warning included.
TEST_F(TranslatedWindows, MoveQuestionIsAskedInTheChosenLanguage) {
  Form1->Menus()->LanguageActions()[1]->trigger();
  kestrune::catalogue::Tgameinfo parent;
  parent.romname = "mslug";
  OKBottomDlg2->FormShow(parent);
  EXPECT_EQ(OKBottomDlg2->windowTitle(), "Rombestand mslug.zip verplaatsen");
  EXPECT_EQ(OKBottomDlg2->Question()->text(),
            "Dit is een ouder-rombestand.\nDoor dit bestand te verwijderen worden de bijbehorende klonen "
            "onbruikbaar.\n\nBestand mslug.zip naar de map 'Bad Roms' verplaatsen?");
  kestrune::catalogue::Tgameinfo clone = parent;
  clone.romname = "mslugb";
  clone.cloneof = "mslug";
  OKBottomDlg2->FormShow(clone);
  EXPECT_EQ(OKBottomDlg2->Question()->text(), "Bestand mslugb.zip naar de map 'Bad Roms' verplaatsen?");
}

// The program's own English in a message around what the system said (the system's text, such as
// "Is a directory", stays as the system gives it).
bool SaysEnglish(const QString& text) {
  static const char* const kEnglish[] = {"Cannot ",          "cannot ",  "could not",    "settings",
                                         "which holds",      "kept as",  "is read-only", "not saved",
                                         "is still running", "is not a", "folder",       "does not"};
  return std::any_of(std::begin(kEnglish), std::end(kEnglish),
                     [&text](const char* words) { return text.contains(QLatin1String(words)); });
}

// What the lower layers say on damaged input reaches the user in a Dutch sentence, the system's text
// in it as a value; so do the messages the program shows with them.
TEST_F(TranslatedWindows, DutchMessagesPutWhatTheSystemSaidInDutchSentences) {
  namespace fs = std::filesystem;
  Write("blocker", "");
  Write("aside/ini/kestrune.ini", "no section here\n");
  fs::create_directories(folder_ + "folded/ini/kestrune.ini");
  Write("readonly.lng", "[TForm1]\n");
  fs::permissions(folder_ + "readonly.lng", fs::perms(0444));
  std::vector<std::string> said;
  std::string error;
  std::vector<std::string> lines;
  EXPECT_FALSE(kestrune::platform::WriteFileAtomic(folder_ + "blocker/game.ini", "", &error));
  said.push_back(error);
  EXPECT_FALSE(kestrune::platform::WriteFileAtomic(folder_ + "lang", "", &error));
  said.push_back(error);
  EXPECT_FALSE(kestrune::platform::ReadTextFileLines(folder_ + "lang", lines, &error));
  said.push_back(error);
  said.push_back(kestrune::settings::Settings(folder_ + "folded/").LoadError());
  said.push_back(kestrune::settings::Settings(folder_ + "aside/").LoadWarning());
  said.push_back(kestrune::catalogue::MoveRomArchive({folder_}, "pacman", folder_ + "blocker/badroms").failures.at(0));
  {
    tr::TLangIniFile file(folder_ + "readonly.lng");
    file.SetReporter([&said](const std::string& message) { said.push_back(message); });
    file.WriteString("TForm1", "Caption", "Kestrune");
  }
  kestrune::platform::ProcessRunner runner;
  runner.SetApplication(QString::fromStdString(folder_ + "no-mame"));
  QString notStarted;
  EXPECT_FALSE(runner.Run(&notStarted));
  said.push_back(notStarted.toStdString());
  Write("utf16.ini", std::string("\xFF\xFE"
                                 "v\0i\0d\0e\0o\0",
                                 12));
  EXPECT_FALSE(kestrune::settings::ReadOptionFileLines(folder_ + "utf16.ini", lines, &error));
  said.push_back(error);
  Form1->Menus()->LanguageActions()[1]->trigger();
  ASSERT_EQ(said.size(), 9u);
  for (const std::string& english : said) {
    ASSERT_TRUE(SaysEnglish(QString::fromStdString(english))) << english;
    const QString dutch = ProgramQTextOf(english);
    EXPECT_FALSE(SaysEnglish(dutch)) << english << "\n -> " << dutch.toStdString();
  }

  // As the options dialog shows one: a game's ini that cannot be written.
  Form2->Folders().FrontDir = folder_;
  Form2->Folders().IniDir = folder_ + "blocker";
  Form2->SetRequest(kestrune::settings::OptionsMode::GameOptions, "pacman");
  Form2->findChild<QPushButton*>("Button1")->click();
  const QString shown = Form2->findChild<QLabel*>("errortext")->text();
  EXPECT_TRUE(shown.startsWith("Kan ")) << shown.toStdString();
  EXPECT_FALSE(SaysEnglish(shown)) << shown.toStdString();

  // As a message box shows one: the settings that cannot be saved at the close.
  fs::remove(folder_ + "ini/kestrune.ini");
  fs::create_directories(folder_ + "ini/kestrune.ini/in-the-way");
  messages_.clear();
  Form1->close();
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_TRUE(messages_[0].text.startsWith("De instellingen konden niet opgeslagen worden:\nKan "))
      << messages_[0].text.toStdString();
  EXPECT_FALSE(SaysEnglish(messages_[0].text)) << messages_[0].text.toStdString();
  QMessageBox box(QMessageBox::Warning, "Kestrune", messages_[0].text, QMessageBox::Yes | QMessageBox::No);
  PrepareMessageBox(box);
  EXPECT_EQ(box.button(QMessageBox::Yes)->text(), "&Ja");
}

// The texts the windows put up outside their controls speak Dutch too: the options dialog's file
// dialogs, the details' "N/A" and the bad ROMs dialog's move button, shown whole.
TEST_F(TranslatedWindows, FileDialogsDetailsAndTheMoveButtonSpeakDutch) {
  Form1->Menus()->LanguageActions()[1]->trigger();
  QStringList asked;
  Form2->SetFileChooser([&asked](const QString& title, const QString& filter, const QString&, bool) {
    asked << title + "|" + filter;
    return QString();
  });
  for (const char* edit : {"effect", "mngfile"}) Form2->findChild<QLineEdit*>(edit)->actions().front()->trigger();
  EXPECT_EQ(asked, (QStringList{"Kies een .PNG-bestand|Alle bestanden (*.png)", "Kestrune|Alle bestanden (*.mng)"}));

  kestrune::catalogue::Tgameinfo game;
  game.romname = "pacman";
  Form12->ShowGame(game);
  EXPECT_EQ(Form12->findChild<QLabel*>("bios")->text(), "n.v.t.");
  EXPECT_EQ(Form12->windowTitle(), "Details van \"pacman\"");

  Form9->SetBadRoms({"galaga.zip"});
  Form9->show();
  auto* move = Form9->findChild<QPushButton*>("Button2");
  EXPECT_EQ(move->text(), "Naar map verplaatsen");
  EXPECT_GE(move->width(), move->sizeHint().width());
  EXPECT_LE(move->geometry().right(), Form9->findChild<QPushButton*>("Button1")->x());
  Form9->hide();
}

// Every program string has its key in both shipped files: english.lng gives the program's own text,
// dutch.lng a Dutch one.
TEST(ShippedResourceStrings, EnglishSaysTheProgramsTextAndDutchTranslatesEachOne) {
  const tr::TLangIniFile english(ShippedLangDir() / "english.lng");
  const tr::TLangIniFile dutch(ShippedLangDir() / "dutch.lng");
  const auto valueOf = [](const tr::TLangIniFile& file, const tr::ProgramStringEntry& entry) {
    const std::string key = std::to_string(entry.identifier) + "_" + entry.name;
    for (const auto& [name, value] : file.ReadSectionValues(tr::kResourceStringsSection)) {
      if (name == key) return tr::DecodeLangLiteral(value).value_or("(bad literal)");
    }
    return std::string("(no key ") + key + ")";
  };
  // Texts Dutch writes the same way, each with why.
  const std::set<std::string> sameInDutch = {
      "Roms : ",  // the status panel keeps MAME's word
      "OK",       // the button caption Dutch uses too
  };
  for (const tr::ProgramStringEntry& entry : tr::kProgramStrings) {
    EXPECT_EQ(valueOf(english, entry), entry.text) << entry.name;
    const std::string translated = valueOf(dutch, entry);
    EXPECT_FALSE(translated.starts_with("(")) << entry.name << ": " << translated;
    if (!sameInDutch.contains(entry.text)) {
      EXPECT_NE(translated, entry.text) << entry.name;
    }
  }
}

}  // namespace
