#include "mainwindow/game_list_view.h"

#include <QApplication>
#include <QHeaderView>

#include "mainwindow/game_list_model.h"

int TypeAhead::Search(const QString& typed, int currentRow) {
  if (!finder_ || typed.isEmpty()) {
    return -1;
  }
  const bool continues = sinceLastKey_.isValid() && sinceLastKey_.elapsed() < QApplication::keyboardInputInterval();
  sinceLastKey_.start();
  text_ = continues ? text_ + typed : typed;
  // A new first letter moves on from the current row, so pressing it again steps through the games
  // that begin with it; a longer text may still match the current row.
  const int start = text_.size() == 1 ? currentRow + 1 : currentRow;
  return finder_(text_, start < 0 ? 0 : start, true);
}

GameReportView::GameReportView(TypeAhead& typeAhead, QWidget* parent) : QTreeView(parent), typeAhead_(typeAhead) {}

void GameReportView::keyboardSearch(const QString& search) {
  const int row = typeAhead_.Search(search, currentIndex().row());
  if (row >= 0) {
    setCurrentIndex(model()->index(row, 0));
  }
}

GameIconView::GameIconView(TypeAhead& typeAhead, QWidget* parent) : QListView(parent), typeAhead_(typeAhead) {}

void GameIconView::keyboardSearch(const QString& search) {
  const int row = typeAhead_.Search(search, currentIndex().row());
  if (row >= 0) {
    setCurrentIndex(model()->index(row, 0));
  }
}

GameListView::GameListView(QWidget* parent)
    : QStackedWidget(parent),
      report_(new GameReportView(typeAhead_, this)),
      icons_(new GameIconView(typeAhead_, this)) {
  setObjectName("gameview");
  report_->setObjectName("gameviewReport");
  icons_->setObjectName("gameviewIcons");
  report_->setRootIsDecorated(false);
  report_->setUniformRowHeights(true);
  report_->setItemsExpandable(false);
  report_->setAllColumnsShowFocus(true);
  report_->setSortingEnabled(false);
  report_->header()->setSectionsClickable(true);
  report_->header()->setSectionsMovable(true);
  icons_->setUniformItemSizes(true);
  icons_->setResizeMode(QListView::Adjust);
  for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(report_), static_cast<QAbstractItemView*>(icons_)}) {
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    addWidget(view);
  }
  connect(report_->header(), &QHeaderView::sectionClicked, this, &GameListView::columnClicked);
  SetStyle(ViewStyle::Details);
}

void GameListView::SetModel(GameListModel* model) {
  report_->setModel(model);
  icons_->setModel(model);
  // One selection for both, so switching the style keeps the selected game.
  icons_->setSelectionModel(report_->selectionModel());
  connect(report_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { emit selectedRowChanged(current.isValid() ? current.row() : -1); });
}

void GameListView::SetStyle(ViewStyle style) {
  style_ = style;
  if (style == ViewStyle::Details) {
    setCurrentWidget(report_);
    return;
  }
  const bool large = style == ViewStyle::Icons;
  icons_->setViewMode(large ? QListView::IconMode : QListView::ListMode);
  icons_->setFlow(large ? QListView::LeftToRight : QListView::TopToBottom);
  icons_->setWrapping(true);
  icons_->setIconSize(large ? QSize(32, 32) : QSize(16, 16));
  icons_->setMovement(QListView::Static);
  setCurrentWidget(icons_);
}

QAbstractItemView* GameListView::ActiveView() const {
  return style_ == ViewStyle::Details ? static_cast<QAbstractItemView*>(report_) : icons_;
}

int GameListView::SelectedRow() const {
  const QItemSelectionModel* selection = report_->selectionModel();
  if (selection == nullptr) {
    return -1;
  }
  const QModelIndexList rows = selection->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

void GameListView::SelectRow(int row) {
  QAbstractItemModel* model = report_->model();
  if (model == nullptr || row < 0 || row >= model->rowCount()) {
    return;
  }
  const QModelIndex index = model->index(row, 0);
  report_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  ActiveView()->scrollTo(index, QAbstractItemView::EnsureVisible);
  ActiveView()->setFocus();
}

int GameListView::TopVisibleRow() const {
  QAbstractItemModel* model = report_->model();
  if (model == nullptr || model->rowCount() == 0) {
    return -1;
  }
  const QAbstractItemView* view = ActiveView();
  const QModelIndex top = view->indexAt(QPoint(1, 1));
  return top.isValid() ? top.row() : 0;
}
