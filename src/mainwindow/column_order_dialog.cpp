#include "mainwindow/column_order_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "catalogue/game_list.h"
#include "mainwindow/game_list_controller.h"
#include "mainwindow/main_window.h"
#include "mainwindow/program_windows.h"

namespace cat = kestrune::catalogue;

namespace {

constexpr int kColumnRole = Qt::UserRole;

QPushButton* NewButton(const char* name, const QString& caption) {
  auto* button = new QPushButton(caption);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

QTreeWidget* NewTree(const char* name) {
  auto* tree = new QTreeWidget;
  tree->setObjectName(QString::fromLatin1(name));
  tree->setHeaderHidden(true);
  tree->setRootIsDecorated(false);
  tree->setColumnCount(1);
  return tree;
}

std::vector<int> ColumnsOf(const QTreeWidget* tree) {
  std::vector<int> columns;
  for (int i = 0; i < tree->topLevelItemCount(); ++i)
    columns.push_back(tree->topLevelItem(i)->data(0, kColumnRole).toInt());
  return columns;
}

QHeaderView* MainHeader() { return Form1 == nullptr ? nullptr : Form1->gameList()->View()->ReportView()->header(); }

}  // namespace

std::vector<cat::ColumnPlace> HeaderLayout(const QHeaderView* header) {
  std::vector<cat::ColumnPlace> layout;
  for (int visual = 0; visual < header->count(); ++visual) {
    const int column = header->logicalIndex(visual);
    layout.push_back({column, header->isSectionHidden(column) ? 0 : header->sectionSize(column)});
  }
  return layout;
}

void ApplyHeaderLayout(QHeaderView* header, const std::vector<cat::ColumnPlace>& layout) {
  // A width of 0 must hide a column; the style's minimum would undo it.
  header->setMinimumSectionSize(0);
  for (int visual = 0; visual < static_cast<int>(layout.size()); ++visual) {
    const cat::ColumnPlace& place = layout[static_cast<std::size_t>(visual)];
    if (place.column < 0 || place.column >= header->count()) continue;
    header->moveSection(header->visualIndex(place.column), visual);
    header->setSectionHidden(place.column, false);
    header->resizeSection(place.column, place.width);
  }
}

TFormcolumn::TFormcolumn(QWidget* parent)
    : QDialog(parent),
      leftview_(NewTree("leftview")),
      rightview_(NewTree("rightview")),
      addbutton_(NewButton("addbutton", QStringLiteral("Add ->"))),
      removebutton_(NewButton("removebutton", QStringLiteral("<- Remove"))),
      moveupbutton_(NewButton("moveupbutton", QStringLiteral("Move Up"))),
      movedownbutton_(NewButton("movedownbutton", QStringLiteral("Move Down"))) {
  setObjectName("Formcolumn");
  setWindowTitle(QStringLiteral("Customize Columns"));
  QPushButton* ok = NewButton("Button5", QStringLiteral("OK"));
  QPushButton* cancel = NewButton("Button6", QStringLiteral("Cancel"));
  QPushButton* defaults = NewButton("Button1", QStringLiteral("Default"));
  ok->setDefault(true);

  auto* available = new QLabel(QStringLiteral("Available columns"));
  available->setObjectName("Label1");
  auto* shown = new QLabel(QStringLiteral("Shown columns (in order)"));
  shown->setObjectName("Label2");
  auto* middle = new QVBoxLayout;
  middle->addStretch();
  middle->addWidget(addbutton_);
  middle->addWidget(removebutton_);
  middle->addStretch();
  auto* right = new QVBoxLayout;
  right->addStretch();
  right->addWidget(moveupbutton_);
  right->addWidget(movedownbutton_);
  right->addStretch();
  auto* grid = new QGridLayout;
  grid->addWidget(available, 0, 0);
  grid->addWidget(shown, 0, 2);
  grid->addWidget(leftview_, 1, 0);
  grid->addLayout(middle, 1, 1);
  grid->addWidget(rightview_, 1, 2);
  grid->addLayout(right, 1, 3);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(defaults);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);

  connect(addbutton_, &QPushButton::clicked, this, &TFormcolumn::addbuttonClick);
  connect(removebutton_, &QPushButton::clicked, this, &TFormcolumn::removebuttonClick);
  connect(moveupbutton_, &QPushButton::clicked, this, &TFormcolumn::moveupbuttonClick);
  connect(movedownbutton_, &QPushButton::clicked, this, &TFormcolumn::movedownbuttonClick);
  connect(leftview_, &QTreeWidget::itemClicked, this, &TFormcolumn::leftviewClick);
  connect(rightview_, &QTreeWidget::itemClicked, this, &TFormcolumn::rightviewClick);
  connect(defaults, &QPushButton::clicked, this, &TFormcolumn::Button1Click);
  connect(ok, &QPushButton::clicked, this, &TFormcolumn::Button5Click);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormcolumn::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  const QHeaderView* header = MainHeader();
  if (event->spontaneous() || header == nullptr) return;
  QStringList captions;
  for (int column = 0; column < cat::kListColumnCount; ++column) {
    captions << header->model()->headerData(column, Qt::Horizontal).toString();
  }
  // The header's own text is checked like a stored one, so a damaged layout shows the default order.
  const std::string text = cat::FormatColumnOrder(HeaderLayout(header));
  FormShow(cat::CompleteColumnOrder(text, cat::kListColumnCount), captions);
}

void TFormcolumn::FormShow(const std::vector<cat::ColumnPlace>& layout, const QStringList& captions) {
  for (QPushButton* button : {addbutton_, removebutton_, moveupbutton_, movedownbutton_}) button->setEnabled(false);
  captions_ = captions;
  leftview_->clear();
  rightview_->clear();
  for (const cat::ColumnPlace& place : layout) AppendColumn(place.width > 0 ? rightview_ : leftview_, place.column);
}

QString TFormcolumn::ColumnCaptionOf(int column, const QString& fallback) const {
  if (column >= 0 && column < captions_.size() && !captions_[column].isEmpty()) return captions_[column];
  if (column >= 0 && column < cat::kListColumnCount) {
    const std::string_view caption = cat::kListColumns[static_cast<std::size_t>(column)].caption;
    return QString::fromUtf8(caption.data(), static_cast<int>(caption.size()));
  }
  return fallback;
}

void TFormcolumn::AppendColumn(QTreeWidget* tree, int column) {
  auto* item = new QTreeWidgetItem(tree, QStringList{ColumnCaptionOf(column, QString::number(column))});
  item->setData(0, kColumnRole, column);
}

void TFormcolumn::leftviewClick() {
  addbutton_->setEnabled(true);
  for (QPushButton* button : {removebutton_, moveupbutton_, movedownbutton_}) button->setEnabled(false);
}

void TFormcolumn::rightviewClick() {
  addbutton_->setEnabled(false);
  for (QPushButton* button : {removebutton_, moveupbutton_, movedownbutton_}) button->setEnabled(true);
}

void TFormcolumn::addbuttonClick() {
  QTreeWidgetItem* item = leftview_->currentItem();
  if (item == nullptr) return;
  AppendColumn(rightview_, item->data(0, kColumnRole).toInt());
  delete item;
}

void TFormcolumn::removebuttonClick() {
  QTreeWidgetItem* item = rightview_->currentItem();
  // One column always stays shown.
  if (item == nullptr || rightview_->topLevelItemCount() < 2) return;
  AppendColumn(leftview_, item->data(0, kColumnRole).toInt());
  delete item;
}

void TFormcolumn::moveupbuttonClick() { MoveSelected(-1); }

void TFormcolumn::movedownbuttonClick() { MoveSelected(1); }

void TFormcolumn::MoveSelected(int delta) {
  QTreeWidgetItem* item = rightview_->currentItem();
  if (item == nullptr) return;
  const int from = rightview_->indexOfTopLevelItem(item);
  const int to = from + delta;
  if (to < 0 || to >= rightview_->topLevelItemCount()) return;
  rightview_->takeTopLevelItem(from);
  rightview_->insertTopLevelItem(to, item);
  rightview_->setCurrentItem(item);
  rightview_->setFocus();
}

void TFormcolumn::Button1Click() {
  leftview_->clear();
  rightview_->clear();
  for (const cat::ColumnPlace& place : cat::DefaultColumnOrder(cat::kListColumnCount))
    AppendColumn(rightview_, place.column);
}

cat::ColumnChoice TFormcolumn::Choice() const { return {ColumnsOf(rightview_), ColumnsOf(leftview_)}; }

void TFormcolumn::Button5Click() {
  if (QHeaderView* header = MainHeader()) {
    ApplyHeaderLayout(header, cat::LayoutOfChoice(Choice(), Form1->CatverPresent()));
  }
  accept();
}
