#include "catalogue/column_order.h"

#include <gtest/gtest.h>

namespace {

namespace cat = kestrune::catalogue;

constexpr const char* kDefault =
    "0=270,1=50,2=98,3=150,14=50,15=48,16=69,17=69,4=70,5=78,6=68,7=91,8=78,9=91,10=66,11=69,12=74,13=74,18=134";

struct OrderCase {
  const char* label;
  const char* text;
  bool isDefault;  // the text falls back to the default layout
};

void PrintTo(const OrderCase& c, std::ostream* os) { *os << c.label << " \"" << c.text << '"'; }

class CompleteColumnOrderTest : public ::testing::TestWithParam<OrderCase> {};

TEST_P(CompleteColumnOrderTest, PlacesEveryColumnOrFallsBack) {
  const std::vector<cat::ColumnPlace> places = cat::CompleteColumnOrder(GetParam().text, 19);
  ASSERT_EQ(places.size(), 19u);
  if (GetParam().isDefault) {
    EXPECT_EQ(cat::FormatColumnOrder(places), kDefault);
  } else {
    EXPECT_EQ(cat::FormatColumnOrder(places), GetParam().text);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CompleteColumnOrderTest,
    ::testing::Values(
        OrderCase{"PlayedFirstAndHidden",
                  "14=0,0=270,1=50,2=98,3=150,15=48,16=69,17=69,4=70,5=78,6=68,7=91,8=78,9=91,10=66,11=69,12=74,13=74,"
                  "18=134",
                  false},
        OrderCase{"Empty", "", true}, OrderCase{"Short", "0=270,1=50,2=98", true},
        OrderCase{"Garbage", "0=270,1=x,=,,,;;", true},
        OrderCase{"ColumnTwice",
                  "0=270,0=50,2=98,3=150,14=50,15=48,16=69,17=69,4=70,5=78,6=68,7=91,8=78,9=91,10=66,11=69,12=74,13=74,"
                  "18=134",
                  true},
        OrderCase{"ColumnOutOfRange",
                  "19=270,1=50,2=98,3=150,14=50,15=48,16=69,17=69,4=70,5=78,6=68,7=91,8=78,9=91,10=66,11=69,12=74,13="
                  "74,18=134",
                  true}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(ColumnOrder, ChoiceSplitsShownAndHiddenInLayoutOrder) {
  const cat::ColumnChoice choice = cat::ChoiceOfLayout({{14, 50}, {0, 270}, {3, 0}, {1, 50}, {11, 0}, {18, 134}});
  EXPECT_EQ(choice.shown, (std::vector<int>{14, 0, 1, 18}));
  EXPECT_EQ(choice.hidden, (std::vector<int>{3, 11}));
}

TEST(ColumnOrder, ChosenLayoutPutsHiddenLastAtWidthZeroAndCatverColumnsNeedCatver) {
  const cat::ColumnChoice choice{{3, 0, 11, 18}, {1, 2}};
  EXPECT_EQ(cat::FormatColumnOrder(cat::LayoutOfChoice(choice, true)), "3=160,0=270,11=91,18=134,1=0,2=0");
  EXPECT_EQ(cat::FormatColumnOrder(cat::LayoutOfChoice(choice, false)), "3=0,0=270,11=0,18=134,1=0,2=0");
  EXPECT_EQ(cat::ChosenColumnWidth(2, false), 197);
  EXPECT_EQ(cat::ChosenColumnWidth(19, true), 0);
}

}  // namespace
