#pragma once

#include <QDialog>
#include <QStringList>
#include <vector>

#include "catalogue/column_order.h"

class QHeaderView;
class QPushButton;
class QTreeWidget;

// Chooses which of the game list's columns are shown and in which order. Nothing reaches the list
// until OK.
class TFormcolumn : public QDialog {
  Q_OBJECT

 public:
  explicit TFormcolumn(QWidget* parent = nullptr);

  // Shown (exec()), it lists the main window's columns; OK lays them out there.
  // Lists the columns of a layout under their captions (by column index): shown ones on the right.
  void FormShow(const std::vector<kestrune::catalogue::ColumnPlace>& layout, const QStringList& captions);
  void addbuttonClick();
  void removebuttonClick();
  void moveupbuttonClick();
  void movedownbuttonClick();
  void leftviewClick();
  void rightviewClick();
  // Default: every column shown in the first-run order.
  void Button1Click();

  // The columns as the trees hold them now.
  kestrune::catalogue::ColumnChoice Choice() const;
  // The caption of a column index as the last show took it; `fallback` for another index.
  QString ColumnCaptionOf(int column, const QString& fallback = QString()) const;

  QTreeWidget* LeftView() const { return leftview_; }
  QTreeWidget* RightView() const { return rightview_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void AppendColumn(QTreeWidget* tree, int column);
  void MoveSelected(int delta);
  void Button5Click();

  QStringList captions_;
  QTreeWidget* leftview_;
  QTreeWidget* rightview_;
  QPushButton* addbutton_;
  QPushButton* removebutton_;
  QPushButton* moveupbutton_;
  QPushButton* movedownbutton_;
};

// A header's layout: every section in the order on screen with its width (0 for a hidden one).
std::vector<kestrune::catalogue::ColumnPlace> HeaderLayout(const QHeaderView* header);
// Places every column of the layout in its order and gives it its width (0 hides it).
void ApplyHeaderLayout(QHeaderView* header, const std::vector<kestrune::catalogue::ColumnPlace>& layout);
