#include "translation/lang_core.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "fake_lang_tree.h"
#include "support/file_util.h"
#include "support/temp_dir.h"
#include "translation/lang_manager.h"
#include "translation/program_strings.h"
#include "translation/resource_strings.h"

namespace {

namespace fs = std::filesystem;
namespace tr = kestrune::translation;
using kestrune::test::FakeNode;
using kestrune::test::FakeObject;
using kestrune::test::WriteFileBytes;
using Names = std::vector<std::string>;

std::string Owned(FakeNode& window, const std::string& name) {
  for (FakeNode& node : window.owned) {
    if (node.name == name) return node.values["Caption"];
  }
  return "no " + name;
}

constexpr const char* kDutch =
    "[TForm4]\r\nCaption='Voorkeuren'\r\nButton2.Caption='Oké'\r\n"
    "[ResourceStrings]\r\n1001_SListedGames='Getoond : %1'\r\n 1002 ='Roms: "
    "'\r\n1003_X='a'b\r\n1004_Bad='a'#1114112\r\n";

// A language folder, a core, a manager and a translated fake window; counts the window's translations.
class LangCoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "lang");
    WriteFileBytes(dir_ / "lang" / "Dutch.lng", kDutch);
    WriteFileBytes(dir_ / "lang" / "english.lng", "[TForm4]\r\nCaption='Preferences'\r\nButton2.Caption='OK'\r\n");
    core_.SetReporter([this](const std::string& message) { reported_.push_back(message); });
    translator_.AfterTranslate = [this](tr::TLangTranslator&) { ++translations_; };
    translator_.SetManager(&manager_);
  }
  std::string Lang() const { return (dir_ / "lang").string(); }
  std::string Caption() { return window_.values["Caption"]; }

  kestrune::test::TempDir dir_;
  tr::TLangCore core_;
  tr::TLangManager manager_;
  FakeNode window_ = kestrune::test::FakeWindow();
  tr::TLangTranslator translator_{[this] { return std::make_unique<FakeObject>(window_); }};
  int translations_ = 0;
  Names reported_;
};

TEST_F(LangCoreTest, FolderScanListsLanguageFilesSortedIgnoringCase) {
  WriteFileBytes(dir_ / "lang" / "chinese(simp).LNG", "");
  WriteFileBytes(dir_ / "lang" / "readme.txt", "");
  WriteFileBytes(dir_ / "lang" / ".lng", "");
  fs::create_directories(dir_ / "lang" / "folder.lng");
  manager_.SetLangsDir(Lang());
  EXPECT_EQ(manager_.LangsDir(), Lang() + "/");
  EXPECT_EQ(manager_.Languages(), (Names{"chinese(simp)", "Dutch", "english"}));
  // With no language before, English is selected when the folder has it, else the first one listed.
  EXPECT_EQ(manager_.CurrentLang(), "english");
  EXPECT_EQ(translations_, 1);
  fs::remove(dir_ / "lang" / "english.lng");
  manager_.SetLangsDir("");
  manager_.SetLangsDir(Lang());
  EXPECT_EQ(manager_.CurrentLang(), "chinese(simp)");
}

TEST_F(LangCoreTest, LanguageNamesIgnoreCaseToFindButNotToCompare) {
  manager_.SetLangsDir(Lang());
  EXPECT_EQ(manager_.CurrentLang(), "english");
  translations_ = 0;
  manager_.SetCurrentLang("DUTCH");
  EXPECT_EQ(manager_.CurrentLang(), "DUTCH");
  EXPECT_EQ(Caption(), "Voorkeuren");
  EXPECT_EQ(translations_, 1);
  manager_.SetCurrentLang("DUTCH");
  EXPECT_EQ(translations_, 1);
  manager_.SetCurrentLang("dutch");
  EXPECT_EQ(translations_, 2);
  manager_.SetCurrentLang("german");
  EXPECT_EQ(manager_.CurrentLang(), "dutch");
  EXPECT_EQ(translations_, 2);
  // No language: every window is told, and keeps the texts it has.
  manager_.SetCurrentLang("");
  EXPECT_EQ(translations_, 3);
  EXPECT_EQ(Caption(), "Voorkeuren");
  manager_.SetCurrentLang("english");
  EXPECT_EQ(Caption(), "Preferences");
  EXPECT_EQ(Owned(window_, "Button2"), "OK");
}

TEST_F(LangCoreTest, FolderChangeKeepsTheLanguageOnlyWhereTheNewFolderHasIt) {
  manager_.SetLangsDir(Lang());
  translations_ = 0;
  manager_.SetCurrentLang("dutch");
  manager_.SetLangsDir(Lang() + "/");
  EXPECT_EQ(manager_.CurrentLang(), "dutch");
  EXPECT_EQ(translations_, 1);
  fs::create_directories(dir_ / "other");
  WriteFileBytes(dir_ / "other" / "dutch.lng", "[TForm4]\r\nCaption='Andere map'\r\n");
  manager_.SetLangsDir((dir_ / "other").string());
  EXPECT_EQ(manager_.CurrentLang(), "dutch");
  EXPECT_EQ(Caption(), "Andere map");
  // A folder without the language takes the first language it lists instead.
  fs::create_directories(dir_ / "third");
  WriteFileBytes(dir_ / "third" / "german.lng", "[TForm4]\r\nCaption='Einstellungen'\r\n");
  WriteFileBytes(dir_ / "third" / "French.lng",
                 "[TForm4]\r\nCaption='Pr\xC3\xA9"
                 "f\xC3\xA9rences'\r\n");
  manager_.SetLangsDir((dir_ / "third").string());
  EXPECT_EQ(manager_.CurrentLang(), "French");
  EXPECT_EQ(Caption(),
            "Pr\xC3\xA9"
            "f\xC3\xA9rences");
  // A folder without any language leaves none current, and its old file no longer translates.
  manager_.SetLangsDir((dir_ / "empty").string());
  EXPECT_EQ(manager_.CurrentLang(), "");
  window_.values.clear();
  translator_.Translate();
  EXPECT_EQ(Caption(), "");
}

TEST_F(LangCoreTest, BadKeyIsReportedAndTheOtherKeysAndWindowsGoOn) {
  WriteFileBytes(dir_ / "lang" / "dutch.lng",
                 "[TForm4]\r\nVisible=Maybe\r\nCaption='a'#55296\r\nButton2.Caption='OK'\r\n"
                 "[TForm1]\r\nCaption='Hoofdvenster'\r\n");
  fs::remove(dir_ / "lang" / "Dutch.lng");
  FakeNode main = kestrune::test::FakeWindow("TForm1");
  tr::TLangTranslator second([&main] { return std::make_unique<FakeObject>(main); });
  second.SetManager(&manager_);
  manager_.SetLangsDir(Lang());
  manager_.SetCurrentLang("dutch");
  const std::string file = (dir_ / "lang" / "dutch.lng").string();
  EXPECT_EQ(reported_, (Names{file + ": [TForm4] Visible: Invalid property element: Maybe",
                              file + ": [TForm4] Caption: Too long character code"}));
  EXPECT_EQ(Owned(window_, "Button2"), "OK");
  EXPECT_EQ(main.values["Caption"], "Hoofdvenster");
}

TEST_F(LangCoreTest, EventsComeInOrderAndChangingHandlersCanCancel) {
  Names events;
  manager_.LangsDirChanging = [&](tr::TLangManager&, const std::string& from, const std::string& to, bool&) {
    events.push_back("folder " + from + " -> " + to);
  };
  manager_.CurrentLangChanging = [&](tr::TLangManager&, const std::string& from, const std::string& to, bool& cancel) {
    events.push_back("language " + from + " -> " + to);
    cancel = to == "english";
  };
  manager_.BeforeAllTranslate = [&](tr::TLangManager&) { events.push_back("before all"); };
  manager_.AfterAllTranslate = [&](tr::TLangManager&) { events.push_back("after all"); };
  translator_.BeforeTranslate = [&](tr::TLangTranslator&) { events.push_back("before " + Caption()); };
  translator_.AfterTranslate = [&](tr::TLangTranslator&) { events.push_back("after " + Caption()); };
  manager_.SetLangsDir("x");
  manager_.SetCurrentLang("english");
  EXPECT_EQ(manager_.CurrentLang(), "");
  manager_.SetLangsDir(Lang());
  manager_.SetCurrentLang("dutch");
  // The new folder's English is selected at once, then the one asked for.
  EXPECT_EQ(events, (Names{"folder  -> x", "language  -> english", "folder x/ -> " + Lang(), "before all", "before ",
                           "after Preferences", "after all", "language english -> dutch", "before all",
                           "before Preferences", "after Voorkeuren", "after all"}));
}

TEST_F(LangCoreTest, TranslatorsLeaveTheirManagerEitherWay) {
  manager_.SetLangsDir(Lang());
  translations_ = 0;
  {
    FakeNode other = kestrune::test::FakeWindow();
    tr::TLangTranslator gone([&other] { return std::make_unique<FakeObject>(other); });
    gone.SetManager(&manager_);
    gone.SetManager(&manager_);  // once only
  }
  auto manager = std::make_unique<tr::TLangManager>();
  translator_.SetManager(manager.get());
  manager.reset();
  EXPECT_EQ(translator_.Manager(), nullptr);
  translator_.SetManager(&manager_);
  manager_.SetCurrentLang("dutch");  // translates the one window left, once
  EXPECT_EQ(translations_, 1);
}

TEST(LangCoreAbsent, ManagerWithoutCoreRaisesAndSecondCoreIsRefused) {
  tr::TLangManager manager;
  const auto message = [](auto&& call) {
    try {
      call();
    } catch (const tr::LangError& error) {
      return std::string(error.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(message([&] { (void)manager.CurrentLang(); }), tr::kNoCoreToRead);
  EXPECT_EQ(message([&] { (void)manager.LangsDir(); }), tr::kNoCoreToRead);
  EXPECT_EQ(message([&] { (void)manager.TranslateResourceStrings(); }), tr::kNoCoreToRead);
  EXPECT_EQ(message([&] { manager.SetCurrentLang("dutch"); }), tr::kNoCoreToWrite);
  EXPECT_EQ(message([&] { manager.SetLangsDir("lang"); }), tr::kNoCoreToWrite);
  manager.SetTranslateResourceStrings(true);
  tr::TLangCore core;
  EXPECT_EQ(message([] { tr::TLangCore second; }), tr::kSecondCore);
  EXPECT_EQ(tr::GetLangCore(), &core);
}

TEST_F(LangCoreTest, ResourceStringsComeFromTheLanguageWhileTheHookIsActive) {
  tr::ResourceStringTable table;
  for (std::uint32_t id = 1001; id <= 1005; ++id) table.Add(id, "table " + std::to_string(id));
  const auto load = [&table](std::uint32_t id) {
    const tr::ResStringRec record{&table, id, nullptr};
    return tr::LoadResString(&record);
  };
  manager_.SetLangsDir(Lang());
  manager_.SetCurrentLang("dutch");
  ASSERT_TRUE(manager_.TranslateResourceStrings());
  EXPECT_EQ(load(1001), "Getoond : %1");
  EXPECT_EQ(load(1002), "Roms: ");
  EXPECT_EQ(load(1003), "");  // not a valid literal, yet translated
  EXPECT_EQ(load(1004), "");
  EXPECT_EQ(load(1005), "table 1005");
  EXPECT_EQ(tr::ProgramText(tr::kSListedGames), "Getoond : %1");
  const tr::ResStringRec direct{&table, 1001, "as given"};
  EXPECT_EQ(tr::LoadResString(&direct), "as given");
  // Switching the hook on or off twice changes nothing the second time; off restores the plain loader.
  manager_.SetTranslateResourceStrings(true);
  EXPECT_EQ(tr::ResStringLoaderSlot().load(), &tr::HookedLoadResString);
  manager_.SetTranslateResourceStrings(false);
  manager_.SetTranslateResourceStrings(false);
  EXPECT_EQ(tr::ResStringLoaderSlot().load(), &tr::LoadResStringFromTable);
  EXPECT_EQ(load(1001), "table 1001");
  EXPECT_EQ(tr::ProgramText(tr::kSListedGames), "Listed : %1");
  EXPECT_EQ(tr::LoadResString(&direct), "as given");
  EXPECT_EQ(tr::LoadResString(nullptr), "");
}

// A library's English text with its values filled in reaches the user in the language, values carried
// over in the language's order; a text that is no program string stays as it is.
TEST_F(LangCoreTest, FilledInProgramStringsCarryTheirValuesIntoTheLanguage) {
  WriteFileBytes(dir_ / "lang" / "Dutch.lng",
                 "[ResourceStrings]\r\n1012_SMameEnded='%2, dus MAME stopte bij \"%1\".'\r\n"
                 "1039_SScanDone='Klaar!'\r\n1074_SBadRomsFound='Slechte roms gevonden : %1'\r\n"
                 "1075_SBadRomMoved='%1 verplaatst.'\r\n1076_SBadRomMovedAs='%1 verplaatst als %2.'\r\n"
                 "1085_SScanContent='%1'#13'Bezig met %2'#13'Roms gevonden : %3'#13'Roms gecontroleerd : %4'\r\n");
  manager_.SetLangsDir(Lang());
  manager_.SetCurrentLang("dutch");
  manager_.SetTranslateResourceStrings(true);
  const struct {
    const char* english;
    const char* shown;
  } cases[] = {
      {"Done!", "Klaar!"},
      {"galaga.zip Moved.", "galaga.zip verplaatst."},
      {"galaga.zip Moved as galaga (2).zip.", "galaga.zip verplaatst als galaga (2).zip."},
      {"Bad roms found : 12", "Slechte roms gevonden : 12"},
      {"MAME ended on \"pong\" because 100%2 failed.", "100%2 failed, dus MAME stopte bij \"pong\"."},
      {"M.A.M.E. build : 0.251 (x) \rScanning /r/a.zip\rRoms found     : 12\rRoms checked : 3",
       "M.A.M.E. build : 0.251 (x) \rBezig met /r/a.zip\rRoms gevonden : 12\rRoms gecontroleerd : 3"},
      {"galaga.zip", "galaga.zip"},
      {"Bad roms found: 12", "Bad roms found: 12"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(tr::ProgramTextOf(c.english), c.shown) << c.english;
  manager_.SetTranslateResourceStrings(false);
  EXPECT_EQ(tr::ProgramTextOf("galaga.zip Moved."), "galaga.zip Moved.");
}

// "#" codes below 256 are bytes of the language's Windows code page, whatever the file's own encoding;
// higher codes are Unicode.
struct CodeFileCase {
  const char* name;
  const char* language;
  std::string_view value;  // the bytes of the line's value as the file holds them
  std::string_view text;   // UTF-8
};

void PrintTo(const CodeFileCase& c, std::ostream* out) { *out << c.language << " <" << c.value << ">"; }

class CharacterCodesInFiles : public ::testing::TestWithParam<CodeFileCase> {};

TEST_P(CharacterCodesInFiles, DecodeInTheLanguagesCodePage) {
  kestrune::test::TempDir dir;
  WriteFileBytes(dir / (std::string(GetParam().language) + ".lng"),
                 "[ResourceStrings]\r\n7_SText=" + std::string(GetParam().value) + "\r\n");
  tr::TLangCore core;
  core.SetLangsDir(dir.path().string());
  core.SetCurrentLang(GetParam().language);
  ASSERT_EQ(core.CurrentLang(), GetParam().language);
  EXPECT_EQ(core.TranslateResString(7).value_or("nothing"), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Files, CharacterCodesInFiles,
    ::testing::Values(
        CodeFileCase{"Utf8DutchEnDashAndEllipsis", "dutch", "'Caf\xC3\xA9 '#150' ok'#133",
                     "Caf\xC3\xA9 \xE2\x80\x93 ok\xE2\x80\xA6"},
        CodeFileCase{"Utf8RussianCodesAreCyrillic", "russian", "'\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB '#185#233",
                     "\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB \xE2\x84\x96\xD0\xB9"},
        CodeFileCase{"Utf8GreekCodeIsAlpha", "greek", "#225'\xCE\xB2'", "\xCE\xB1\xCE\xB2"},
        CodeFileCase{"Utf8ChineseTwoCodesMakeOneCharacter", "chinese(simp)", "#196#227'!'", "\xE4\xBD\xA0!"},
        CodeFileCase{"Utf8CodeAbove255IsUnicode", "dutch", "#8364#32'5'", "\xE2\x82\xAC 5"},
        CodeFileCase{"Windows1251TextAndCodes", "russian", "'\xD4\xE0\xE9\xEB'#150#185",
                     "\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB\xE2\x80\x93\xE2\x84\x96"},
        CodeFileCase{"Windows1251CodeAbove255IsUnicode", "russian", "'\xD4'#8364", "\xD0\xA4\xE2\x82\xAC"},
        CodeFileCase{"Windows1252TextAndCodes", "french",
                     "'Pr\xE9"
                     "f\xE9rences'#133",
                     "Pr\xC3\xA9"
                     "f\xC3\xA9rences\xE2\x80\xA6"},
        CodeFileCase{"Windows1252CodeThatLooksLikeUtf8StaysTwoLetters", "german", "'\xFC'#195#169",
                     "\xC3\xBC\xC3\x83\xC2\xA9"}),
    [](const auto& info) { return std::string(info.param.name); });

// Every resource string the program loads was looked up by copying the whole section; a file that
// translates many strings answers each look-up without going through them.
TEST_F(LangCoreTest, ManyResourceStringsAreEachFoundByTheirNumber) {
  std::string text = "[ResourceStrings]\r\n";
  constexpr std::uint32_t kCount = 100000;
  for (std::uint32_t id = 1; id <= kCount; ++id)
    text += std::to_string(id) + "_SGamesListedInTheList='Text " + std::to_string(id) + "'\r\n";
  text += "7_SAgain='Later'\r\n0042_SLeadingZero='Zero'\r\n";
  WriteFileBytes(dir_ / "lang" / "dutch.lng", text);
  fs::remove(dir_ / "lang" / "Dutch.lng");
  manager_.SetLangsDir(Lang());
  manager_.SetCurrentLang("dutch");
  for (std::uint32_t id = 1; id <= kCount; ++id) {
    ASSERT_EQ(core_.TranslateResString(id).value_or("none"), "Text " + std::to_string(id));
  }
  EXPECT_EQ(core_.TranslateResString(kCount + 1).value_or("none"), "none");
  EXPECT_TRUE(reported_.empty());
}

// Values far longer than any text a window shows: a 15 MB caption took 680 MB once laid out.
TEST_F(LangCoreTest, ValuesLongerThanTheBoundAreReportedAndLeftOut) {
  const std::string longest = "'" + std::string(tr::kMaxLangValueBytes - 2, 'x') + "'";
  const std::string tooLong = "'" + std::string(tr::kMaxLangValueBytes - 1, 'y') + "'";
  WriteFileBytes(dir_ / "lang" / "dutch.lng", "[TForm4]\r\nCaption=" + tooLong + "\r\nButton2.Caption=" + longest +
                                                  "\r\nscaletimes.Items.Strings=" + tooLong +
                                                  "\r\n[ResourceStrings]\r\n1001_S=" + tooLong + "\r\n");
  fs::remove(dir_ / "lang" / "Dutch.lng");
  tr::ResourceStringTable table;
  table.Add(1001, "table 1001");
  manager_.SetLangsDir(Lang());
  manager_.SetCurrentLang("dutch");
  // The caption left out keeps English's.
  EXPECT_EQ(Caption(), "Preferences");
  EXPECT_EQ(Owned(window_, "Button2"), std::string(tr::kMaxLangValueBytes - 2, 'x'));
  const tr::ResStringRec record{&table, 1001, nullptr};
  EXPECT_EQ(tr::LoadResString(&record), "table 1001");
  const std::string file = (dir_ / "lang" / "dutch.lng").string();
  const std::string why = ": the value is longer than 64 KB and is left out";
  // Resource strings are read once, when the file opens; the windows' texts as the windows are translated.
  EXPECT_EQ(reported_, (Names{file + ": [ResourceStrings] 1001_S" + why, file + ": [TForm4] Caption" + why,
                              file + ": [TForm4] scaletimes.Items.Strings" + why}));
}

}  // namespace
