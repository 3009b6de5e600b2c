#include "catalogue/game_details_text.h"

#include <gtest/gtest.h>

#include <map>

#include "catalogue/game_lines.h"

namespace {

namespace cat = kestrune::catalogue;

std::map<std::string, std::string> ValuesOf(const cat::Tgameinfo& game) {
  std::map<std::string, std::string> values;
  for (const cat::DetailValue& value : cat::GameDetailValues(game)) values[std::string(value.label)] = value.text;
  return values;
}

cat::Tgameinfo Game(const std::function<void(cat::Tgameinfo&)>& change = {}) {
  return *cat::ParseGameRecord(kestrune::test::GameLine("pacman", change));
}

TEST(GameDetailsText, ShowsEveryFieldWithItsUnitAndArchiveName) {
  const auto values = ValuesOf(Game([](cat::Tgameinfo& g) {
    g.cloneof = "puckman";
    g.bios = "";
    g.driverstatus = "imperfect";
    g.emulationstatus = "GOOD";
    g.romstatus = "3";
  }));
  EXPECT_EQ(values.size(), 23u);
  EXPECT_EQ(values.at("frequency"), "60.606060 Hz");
  EXPECT_EQ(values.at("rom_name"), "pacman.zip");
  EXPECT_EQ(values.at("clone_name"), "puckman.zip");
  EXPECT_EQ(values.at("bios"), "N/A");
  EXPECT_EQ(values.at("category"), "Maze");
  EXPECT_EQ(values.at("driver_status"), "Imperfect");
  EXPECT_EQ(values.at("emulation_status"), "Good");
  EXPECT_EQ(values.at("color_status"), "Good");
  EXPECT_EQ(values.at("status"), "Bad rom");
  EXPECT_EQ(cat::GameDetailsCaption(Game()), "\"pacman\" Details");
}

TEST(GameDetailsText, EmptyFieldsReadNotAvailableAndAnUnknownStatusReadsEmpty) {
  for (const char* status : {"", "x", "7", "-1", "12"}) {
    SCOPED_TRACE(status);
    const auto values = ValuesOf(Game([status](cat::Tgameinfo& g) {
      g.category = g.controls = g.resolution = g.bios = g.cloneof = "";
      g.romstatus = status;
    }));
    for (const char* label : {"category", "controls", "resolution", "bios", "clone_name"}) {
      EXPECT_EQ(values.at(label), "N/A") << label;
    }
    EXPECT_EQ(values.at("status"), "");
  }
}

TEST(GameDetailsText, MoveQuestionWarnsOnlyForAParent) {
  EXPECT_EQ(cat::MoveRomQuestion(Game()),
            "This is a parent Rom File.\nDeleting this file will render relevant clone(s) useless.\n\n"
            "Move pacman.zip file to 'Bad Roms' folder?");
  EXPECT_EQ(cat::MoveRomQuestion(Game([](cat::Tgameinfo& g) { g.cloneof = "puckman"; })),
            "Move pacman.zip file to 'Bad Roms' folder?");
  EXPECT_EQ(cat::MoveRomCaption("pacman"), "Move pacman.zip Rom File");
}

TEST(GameDetailsText, DeleteQuestionsUseTheLanguageOrElseEnglish) {
  using K = cat::SetFileKind;
  EXPECT_EQ(cat::DeleteFileQuestion(K::Recording, "pong", 0), "Delete pong.inp ?");
  EXPECT_EQ(cat::DeleteFileQuestion(K::OptionFile, "pong", 1), "Verwijder pong.ini ?");
  EXPECT_EQ(cat::DeleteFileQuestion(K::Recording, "pong", 2), "Lösche pong.inp ?");
  EXPECT_EQ(cat::DeleteFileQuestion(K::OptionFile, "pong", 3), "Effacer le pong.ini ?");
  for (const int language : {4, 5, 9, -1}) {
    EXPECT_EQ(cat::DeleteFileQuestion(K::Recording, "pong", language), "Delete pong.inp ?") << language;
  }
}

TEST(GameDetailsText, StateImageFollowsTheFileThatIsLeft) {
  using K = cat::SetFileKind;
  EXPECT_EQ(cat::StateImageAfterDelete(K::Recording, true), 2);
  EXPECT_EQ(cat::StateImageAfterDelete(K::OptionFile, true), 1);
  EXPECT_EQ(cat::StateImageAfterDelete(K::Recording, false), 0);
  EXPECT_EQ(cat::StateImageAfterDelete(K::OptionFile, false), 0);
}

}  // namespace
