#include <gtest/gtest.h>

#include <QDialog>
#include <QFont>
#include <QLabel>
#include <ostream>
#include <string>

#include "translation/lang_object.h"
#include "translation/lang_object_qt.h"

namespace {

namespace tr = kestrune::translation;

// Numbers a language file gives a window's font and geometry: std::abs of the most negative size was
// undefined, and a size of two billion points or pixels took gigabytes to draw. Only sizes within
// bounds are used; anything else leaves the window as it was.
struct NumberCase {
  const char* name;
  const char* path;
  const char* value;
  int pointSize;  // the label's font afterwards
  int pixelSize;
  int width;  // the label's width afterwards
  int x;
};

void PrintTo(const NumberCase& c, std::ostream* out) { *out << c.name; }

class LangNumberRange : public ::testing::TestWithParam<NumberCase> {};

TEST_P(LangNumberRange, OnlySizesWithinBoundsAreUsed) {
  const NumberCase& c = GetParam();
  QDialog window;
  window.setObjectName("Form4");
  auto* label = new QLabel("Text", &window);
  label->setObjectName("Label1");
  QFont font = label->font();
  font.setPointSize(9);
  label->setFont(font);
  label->setGeometry(10, 20, 100, 30);
  const std::unique_ptr<tr::LangObject> root = tr::WindowLangObject(&window);

  EXPECT_EQ(tr::ApplyPropertyPath(*root, c.path, c.value).status, tr::PathOutcome::kApplied);
  EXPECT_EQ(label->font().pointSize(), c.pointSize);
  EXPECT_EQ(label->font().pixelSize(), c.pixelSize);
  EXPECT_EQ(label->width(), c.width);
  EXPECT_EQ(label->x(), c.x);
}

INSTANTIATE_TEST_SUITE_P(
    Values, LangNumberRange,
    ::testing::Values(NumberCase{"NegativeSizeIsItsMagnitude", "Label1.Font.Size", "-13", 13, -1, 100, 10},
                      NumberCase{"LargestSize", "Label1.Font.Size", "200", 200, -1, 100, 10},
                      NumberCase{"SizeTooLarge", "Label1.Font.Size", "201", 9, -1, 100, 10},
                      NumberCase{"MostNegativeSize", "Label1.Font.Size", "-2147483648", 9, -1, 100, 10},
                      NumberCase{"LargestPositiveSize", "Label1.Font.Size", "2147483647", 9, -1, 100, 10},
                      NumberCase{"NegativeHeightIsPixels", "Label1.Font.Height", "-16", -1, 16, 100, 10},
                      NumberCase{"MostNegativeHeight", "Label1.Font.Height", "-2147483648", 9, -1, 100, 10},
                      NumberCase{"HexHeightTooLarge", "Label1.Font.Height", "$7FFFFFFF", 9, -1, 100, 10},
                      NumberCase{"Width", "Label1.Width", "8192", 9, -1, 8192, 10},
                      NumberCase{"WidthTooLarge", "Label1.Width", "2147483647", 9, -1, 100, 10},
                      NumberCase{"NegativeLeft", "Label1.Left", "-8192", 9, -1, 100, -8192},
                      NumberCase{"LeftTooFar", "Label1.Left", "-2147483648", 9, -1, 100, 10}),
    [](const ::testing::TestParamInfo<NumberCase>& info) { return std::string(info.param.name); });

TEST(LangNumberRange, AWindowIsNotSizedPastTheBound) {
  QDialog window;
  window.resize(300, 200);
  const std::unique_ptr<tr::LangObject> root = tr::WindowLangObject(&window);
  tr::ApplyPropertyPath(*root, "Width", "2147483647");
  tr::ApplyPropertyPath(*root, "Height", "99999");
  EXPECT_EQ(window.size(), QSize(300, 200));
}

}  // namespace
