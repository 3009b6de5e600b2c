#pragma once

#include <string>
#include <vector>

#include "catalogue/game_record.h"
#include "mainwindow/delete_ini_dialog.h"

// Moves the selected game's ROM archive out of every rom folder into the bad-ROMs folder and marks
// the game as one whose ROMs are not found.
class TOKBottomDlg2 : public OkBottomDialog {
  Q_OBJECT

 public:
  explicit TOKBottomDlg2(QWidget* parent = nullptr);

  // Shown (exec()), it asks about the main window's selected game.
  // Builds the question and the caption for the game.
  void FormShow(const kestrune::catalogue::Tgameinfo& game);
  // OK: moves every copy of the archive (never replacing one already in the bad-ROMs folder), tells
  // of copies that could not be moved, or that the set lives in another set's archive; when a copy
  // moved, flags the catalogue line, lists the games again and keeps the game selected. Closes the
  // window.
  void OKBtnClick();

  const std::string& RomName() const { return romname_; }
  int MovedCount() const { return moved_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  std::string romname_;
  int moved_ = 0;
};

// MAME's rom folders as the program folder's mame.ini names them ("rompath", environment names
// and "~" expanded, relative folders under the program folder); the folder "roms" there when there is
// no mame.ini. A mame.ini without a rom path names none.
std::vector<std::string> RomFoldersOf(const std::string& frontDir);
