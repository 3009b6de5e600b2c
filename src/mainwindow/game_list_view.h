#pragma once

#include <QElapsedTimer>
#include <QListView>
#include <QStackedWidget>
#include <QTreeView>
#include <functional>

class GameListModel;

// The view styles of the game list, numbered as the settings key `viewtype` stores them.
enum class ViewStyle { Details = 0, List = 1, Icons = 2 };

// Finds the row for typed text: (text, start row, wrap) -> row or -1.
using TypeAheadFinder = std::function<int(const QString&, int, bool)>;

// Type-ahead shared by both views: keys typed in quick succession extend the text, which is looked
// for from the current row on and then from the top.
class TypeAhead {
 public:
  void SetFinder(TypeAheadFinder finder) { finder_ = std::move(finder); }
  // The row to make current, or -1.
  int Search(const QString& typed, int currentRow);

 private:
  TypeAheadFinder finder_;
  QString text_;
  QElapsedTimer sinceLastKey_;
};

// The report style: one row per game with its columns.
class GameReportView : public QTreeView {
  Q_OBJECT

 public:
  GameReportView(TypeAhead& typeAhead, QWidget* parent);
  void keyboardSearch(const QString& search) override;

 private:
  TypeAhead& typeAhead_;
};

// The list and icon styles: the game names only.
class GameIconView : public QListView {
  Q_OBJECT

 public:
  GameIconView(TypeAhead& typeAhead, QWidget* parent);
  void keyboardSearch(const QString& search) override;

 private:
  TypeAhead& typeAhead_;
};

// The game list `gameview`: the report view and the list/icon view over one model with one selection,
// one of them shown at a time.
class GameListView : public QStackedWidget {
  Q_OBJECT

 public:
  explicit GameListView(QWidget* parent = nullptr);

  void SetModel(GameListModel* model);
  void SetTypeAheadFinder(TypeAheadFinder finder) { typeAhead_.SetFinder(std::move(finder)); }

  ViewStyle Style() const { return style_; }
  void SetStyle(ViewStyle style);
  QTreeView* ReportView() const { return report_; }
  QListView* IconView() const { return icons_; }
  QAbstractItemView* ActiveView() const;

  // The selected row, or -1.
  int SelectedRow() const;
  // Makes the row the current and only selected row, scrolls it into view and focuses the list.
  void SelectRow(int row);
  // The first row at least partly visible, or -1 for an empty list.
  int TopVisibleRow() const;

 signals:
  // A column header was clicked: its column index, whatever its place on screen.
  void columnClicked(int column);
  void selectedRowChanged(int row);

 private:
  TypeAhead typeAhead_;
  GameReportView* report_;
  GameIconView* icons_;
  ViewStyle style_ = ViewStyle::Details;
};
