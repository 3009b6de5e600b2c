#pragma once

#include <QMainWindow>

#include <memory>
#include <string>

#include "catalogue/catalogue_file.h"
#include "settings/settings.h"

class GameListController;

// The main window of the program: closing it ends the program.
class TForm1 : public QMainWindow {
  Q_OBJECT

public:
  // frontDir: the program folder ending in "/"; by default the current folder at start.
  explicit TForm1(QWidget* parent = nullptr, const std::string& frontDir = std::string());

  // Brings the window back from the taskbar or behind other windows (asked by a second start).
  void ShowAndRaise();

  const std::string& FrontDir() const { return frontDir_; }
  kestrune::settings::Settings& settings() { return *settings_; }
  kestrune::catalogue::Catalogue& catalogue() { return catalogue_; }
  // The game list `gameview` with its menus, search box and status panels.
  GameListController* gameList() const { return gameList_; }

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  void CreateGameList();

  std::string frontDir_;
  std::unique_ptr<kestrune::settings::Settings> settings_;
  kestrune::catalogue::Catalogue catalogue_;
  GameListController* gameList_ = nullptr;
};

// The program folder: the current folder with "/" appended, its letter case kept.
std::string CurrentFrontDir();
