#include "mainwindow/delete_rom_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QStringList>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "catalogue/game_details_text.h"
#include "catalogue/mame_launch.h"
#include "catalogue/rom_archive_move.h"
#include "mainwindow/artwork_panes.h"
#include "mainwindow/game_list_controller.h"
#include "mainwindow/main_window.h"
#include "mainwindow/program_windows.h"
#include "mainwindow/window_frame.h"
#include "platform/text_file.h"
#include "romscan/rom_path.h"
#include "translation/program_strings_qt.h"

namespace cat = kestrune::catalogue;
namespace fs = std::filesystem;

std::vector<std::string> RomFoldersOf(const std::string& frontDir) {
  std::vector<std::string> folders;
  std::string error;
  if (!kestrune::romscan::MameIniRomFolders(frontDir, folders, &error)) qWarning("kestrune: %s", error.c_str());
  return folders;
}

TOKBottomDlg2::TOKBottomDlg2(QWidget* parent)
    : OkBottomDialog(parent, "OKBottomDlg2", QStringLiteral("Delete Rom File"), QStringLiteral("OK"),
                     QStringLiteral("Cancel")) {
  // No border icons: the caption only.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  connect(OkButton(), &QPushButton::clicked, this, &TOKBottomDlg2::OKBtnClick);
}

void TOKBottomDlg2::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  AskForNoMinimiseOrMaximise(*this);
  const int row = Form1 != nullptr ? Form1->gameList()->View()->SelectedRow() : -1;
  if (row >= 0) FormShow(Form1->gameList()->List().Record(row));
  FitQuestion();
}

void TOKBottomDlg2::FormShow(const cat::Tgameinfo& game) {
  romname_ = game.romname;
  moved_ = 0;
  Question()->setText(ProgramQTextOf(cat::MoveRomQuestion(game)));
  setWindowTitle(ProgramQTextOf(cat::MoveRomCaption(game.romname)));
}

void TOKBottomDlg2::OKBtnClick() {
  accept();
  // Only a name MAME could have written is put into a path.
  if (Form1 == nullptr || !cat::IsMameSetName(romname_)) return;
  const std::string& frontDir = Form1->FrontDir();
  const cat::ArchiveMoveResult result =
      cat::MoveRomArchive(RomFoldersOf(frontDir), romname_, fs::path(frontDir) / "badroms");
  moved_ = static_cast<int>(result.moved.size());
  if (!result.failures.empty()) {
    QStringList failures;
    for (const std::string& failure : result.failures) failures << ProgramQTextOf(failure);
    Form1->Tell(QMessageBox::Warning, failures.join('\n'));
  } else if (moved_ == 0) {
    Form1->Tell(QMessageBox::Information,
                ProgramQText(kestrune::translation::kSRomFileMerged));
  }
  if (moved_ == 0 || !cat::FlagRomNotFound(Form1->catalogue(), romname_)) return;
  GameListController* list = Form1->gameList();
  const int row = list->View()->SelectedRow();
  list->ClearIconIndexes();
  if (list->Mode() == cat::ListMode::SearchResult) {
    list->QuickSearch();
  } else {
    list->BuildGameList();
  }
  // The game stays selected; when the list no longer shows it (only available games listed), the game
  // that took its place is. Selecting refreshes the picture area and the history text.
  QString rom = QString::fromStdString(romname_);
  const int count = list->List().GameCount();
  if (list->List().FindRomRow(romname_) < 0 && row >= 0 && count > 0) {
    rom = QString::fromStdString(std::string(list->List().Field(std::min(row, count - 1), cat::LineField::romname)));
  }
  list->SelectGameByRom(rom);
}
