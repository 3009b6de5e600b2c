#pragma once

#include <functional>
#include <string>

#include "catalogue/game_record.h"

// Catalogue lines for the list tests: a plain available parent game, changed where a test says.
namespace kestrune::test {

inline std::string GameLine(const std::string& romname, const std::function<void(catalogue::Tgameinfo&)>& change = {}) {
  catalogue::Tgameinfo game;
  game.availflag = "0";
  game.description = "Game " + romname;
  game.year = "1981";
  game.company = "Namco";
  game.category = "Maze";
  game.sound = "Mono";
  game.video = "Raster";
  game.resolution = "224x288";
  game.orientation = "Vertical (90°)";
  game.controls = "Joy4way";
  game.frequency = "60.606060";
  game.veradded = ".37b1";
  game.driver = "pacman.c";
  game.players = "2";
  game.timesplayed = "0";
  game.playtime = "00:00:00";
  game.romname = romname;
  game.romstatus = "0";
  game.driverstatus = "Good";
  game.emulationstatus = "Good";
  game.colorstatus = "good";
  game.graphicstatus = "good";
  game.soundstatus = "good";
  if (change) {
    change(game);
  }
  return catalogue::BuildCatalogueLine(game);
}

}  // namespace kestrune::test
