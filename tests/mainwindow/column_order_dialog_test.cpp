#include "mainwindow/column_order_dialog.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTreeWidget>

#include "catalogue/game_list.h"

namespace {

namespace cat = kestrune::catalogue;

QStringList Captions() {
  QStringList captions;
  for (const cat::ListColumn& column : cat::kListColumns) {
    captions << QString::fromUtf8(column.caption.data(), static_cast<int>(column.caption.size()));
  }
  return captions;
}

QStringList Items(const QTreeWidget* tree) {
  QStringList items;
  for (int i = 0; i < tree->topLevelItemCount(); ++i) items << tree->topLevelItem(i)->text(0);
  return items;
}

bool Enabled(const TFormcolumn& dialog, const char* button) {
  return dialog.findChild<QPushButton*>(button)->isEnabled();
}

void Click(const TFormcolumn& dialog, const char* button) { dialog.findChild<QPushButton*>(button)->click(); }

TEST(ColumnOrderDialog, ListsShownColumnsInOrderAndHiddenOnesOnTheLeft) {
  TFormcolumn dialog;
  EXPECT_EQ(dialog.objectName(), "Formcolumn");
  EXPECT_EQ(dialog.windowTitle(), "Customize Columns");
  const std::vector<cat::ColumnPlace> layout = cat::CompleteColumnOrder(
      "14=50,0=270,1=50,2=0,3=150,15=48,16=69,17=69,4=70,5=78,6=68,7=91,8=78,9=91,10=66,11=0,12=74,13=74,18=134", 19);
  dialog.FormShow(layout, Captions());
  EXPECT_EQ(Items(dialog.RightView()).first(), "Played");
  EXPECT_EQ(Items(dialog.RightView()).size(), 17);
  EXPECT_EQ(Items(dialog.LeftView()), (QStringList{"Company", "Version Added"}));
  for (const char* button : {"addbutton", "removebutton", "moveupbutton", "movedownbutton"}) {
    EXPECT_FALSE(Enabled(dialog, button)) << button;
  }
  dialog.leftviewClick();
  EXPECT_TRUE(Enabled(dialog, "addbutton"));
  EXPECT_FALSE(Enabled(dialog, "removebutton"));
  dialog.rightviewClick();
  EXPECT_FALSE(Enabled(dialog, "addbutton"));
  EXPECT_TRUE(Enabled(dialog, "removebutton") && Enabled(dialog, "moveupbutton") && Enabled(dialog, "movedownbutton"));
}

TEST(ColumnOrderDialog, AddRemoveMoveAndDefault) {
  TFormcolumn dialog;
  dialog.FormShow({{0, 270}, {1, 50}, {2, 0}}, Captions());
  Click(dialog, "addbutton");  // nothing chosen yet
  EXPECT_EQ(dialog.RightView()->topLevelItemCount(), 2);
  dialog.LeftView()->setCurrentItem(dialog.LeftView()->topLevelItem(0));
  dialog.leftviewClick();
  Click(dialog, "addbutton");
  EXPECT_EQ(Items(dialog.RightView()), (QStringList{"Game Name", "Year", "Company"}));
  EXPECT_EQ(dialog.LeftView()->topLevelItemCount(), 0);

  dialog.RightView()->setCurrentItem(dialog.RightView()->topLevelItem(2));
  dialog.rightviewClick();
  Click(dialog, "moveupbutton");
  Click(dialog, "moveupbutton");
  Click(dialog, "moveupbutton");  // already first
  EXPECT_EQ(Items(dialog.RightView()), (QStringList{"Company", "Game Name", "Year"}));
  dialog.RightView()->setCurrentItem(dialog.RightView()->topLevelItem(1));
  Click(dialog, "movedownbutton");
  Click(dialog, "movedownbutton");  // already last
  EXPECT_EQ(Items(dialog.RightView()), (QStringList{"Company", "Year", "Game Name"}));

  for (int i = 0; i < 3; ++i) {
    dialog.RightView()->setCurrentItem(dialog.RightView()->topLevelItem(0));
    Click(dialog, "removebutton");
  }
  EXPECT_EQ(Items(dialog.RightView()), (QStringList{"Game Name"})) << "the last shown column stays";
  EXPECT_EQ(dialog.Choice(), (cat::ColumnChoice{{0}, {2, 1}}));

  Click(dialog, "Button1");
  EXPECT_EQ(dialog.LeftView()->topLevelItemCount(), 0);
  const QStringList shown = Items(dialog.RightView());
  ASSERT_EQ(shown.size(), 19);
  EXPECT_EQ(shown[4], "Played");
  EXPECT_EQ(shown[18], "Status");
}

}  // namespace
