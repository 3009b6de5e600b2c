#include "mainwindow/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QMenu>
#include <QLineEdit>
#include <QMenuBar>
#include <QToolButton>
#include <QToolBar>
#include <QTreeView>

#include <filesystem>
#include <system_error>

#include "mainwindow/game_list_controller.h"

std::string CurrentFrontDir() {
  std::string folder = QDir::currentPath().toStdString();
  if (folder.empty() || folder.back() != '/') {
    folder += '/';
  }
  return folder;
}

TForm1::TForm1(QWidget* parent, const std::string& frontDir)
    : QMainWindow(parent), frontDir_(frontDir.empty() ? CurrentFrontDir() : frontDir) {
  setObjectName("Form1");
  setWindowTitle(QStringLiteral("Kestrune ") + QStringLiteral(KESTRUNE_VERSION));
  resize(925, 600);

  std::error_code error;
  std::filesystem::create_directories(frontDir_ + "ini", error);
  if (error) {
    qWarning("kestrune: cannot create the folder %sini: %s", frontDir_.c_str(), error.message().c_str());
  }
  settings_ = std::make_unique<kestrune::settings::Settings>(frontDir_);
  if (!settings_->LoadError().empty()) {
    qWarning("kestrune: %s", settings_->LoadError().c_str());
  }
  CreateGameList();
}

void TForm1::CreateGameList() {
  gameList_ = new GameListController(catalogue_, this);
  gameList_->SetSettings(settings_.get());
  setCentralWidget(gameList_->View());
  setStatusBar(gameList_->StatusBar());

  auto* toolBar = new QToolBar(this);
  toolBar->setObjectName("ToolBar1");
  toolBar->addWidget(gameList_->ListModeButton());
  toolBar->addWidget(gameList_->FilterButton());
  toolBar->addWidget(gameList_->SearchBox());
  addToolBar(toolBar);

  QMenu* game = menuBar()->addMenu("Game");
  game->setObjectName("Game1");
  game->addAction(gameList_->Action("AddtoFavorites2"));
  game->addAction(gameList_->Action("RemovefromFavorites1"));
  QMenu* view = menuBar()->addMenu("View");
  view->setObjectName("View1");
  view->addActions(gameList_->ViewStyleActions());
  view->addSeparator();
  view->addActions(gameList_->ViewMenuListModeActions());

  auto* popup = new QMenu(this);
  popup->setObjectName("PopupMenu1");
  popup->addAction(gameList_->Action("AddtoFavorites1"));
  popup->addAction(gameList_->Action("RemovefromFavoritelist1"));
  QTreeView* report = gameList_->View()->ReportView();
  QAbstractItemView* icons = gameList_->View()->IconView();
  for (QAbstractItemView* list : {static_cast<QAbstractItemView*>(report), icons}) {
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, popup,
            [popup, list](const QPoint& at) { popup->popup(list->viewport()->mapToGlobal(at)); });
  }
}

void TForm1::ShowAndRaise() {
  if (isMinimized()) {
    showNormal();
  } else {
    show();
  }
  raise();
  activateWindow();
}

void TForm1::closeEvent(QCloseEvent* event) {
  event->accept();
  QCoreApplication::quit();
}
