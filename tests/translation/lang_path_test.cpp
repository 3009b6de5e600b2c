#include <gtest/gtest.h>

#include <functional>
#include <ostream>

#include "fake_lang_tree.h"
#include "translation/lang_object.h"

namespace {

namespace tr = kestrune::translation;
using kestrune::test::FakeNode;
using kestrune::test::FakeObject;
using Status = tr::PathOutcome::Status;

FakeNode& Owned(FakeNode& window, const std::string& name) {
  for (FakeNode& node : window.owned) {
    if (node.name == name) return node;
  }
  throw std::runtime_error("no component " + name);
}

// Where a case's value is expected to land, read back from the tree.
using Reader = std::function<std::string(FakeNode&)>;

Reader Value(const std::string& property) {
  return [property](FakeNode& w) { return w.values[property]; };
}
Reader OwnedValue(const std::string& component, const std::string& property) {
  return [=](FakeNode& w) { return Owned(w, component).values[property]; };
}

struct PathCase {
  const char* name;
  std::string_view key;
  std::string_view value;
  Status status;
  Reader read;           // null: nothing in the tree may change
  std::string expected;  // what read gives
  std::string error = {};
};

void PrintTo(const PathCase& c, std::ostream* out) { *out << c.key << "=" << c.value; }

class PropertyPath : public ::testing::TestWithParam<PathCase> {};

TEST_P(PropertyPath, SetsWhatTheKeyNames) {
  const PathCase& c = GetParam();
  FakeNode window = kestrune::test::FakeWindow();
  FakeObject root(window);
  const tr::PathOutcome outcome = tr::ApplyPropertyPath(root, c.key, c.value);
  EXPECT_EQ(outcome.status, c.status);
  EXPECT_EQ(outcome.error, c.error);
  if (c.read) {
    EXPECT_EQ(c.read(window), c.expected);
  } else {
    const FakeNode untouched = kestrune::test::FakeWindow();
    EXPECT_EQ(window.values, untouched.values);
    for (std::size_t i = 0; i < window.owned.size(); ++i) EXPECT_EQ(window.owned[i].values, untouched.owned[i].values);
  }
}

const auto Column = [](int index) {
  return [index](FakeNode& w) { return Owned(w, "gameview").collections["Columns"][index].values["Caption"]; };
};

INSTANTIATE_TEST_SUITE_P(
    Keys, PropertyPath,
    ::testing::Values(
        PathCase{"WindowCaption", "Caption", "'Voorkeuren'", Status::kApplied, Value("Caption"), "Voorkeuren"},
        PathCase{"OwnedButtonCaption", "Button2.Caption", "'OK'", Status::kApplied, OwnedValue("Button2", "Caption"),
                 "OK"},
        PathCase{"NamesIgnoreLetterCase", "bUTTON2.caption", "'Ok'", Status::kApplied, OwnedValue("Button2", "Caption"),
                 "Ok"},
        PathCase{"TabOfAPageControl", "PageControl1.TabSheet2.Caption", "'Opties'", Status::kApplied,
                 [](FakeNode& w) { return Owned(w, "PageControl1").Child("TabSheet2").values["Caption"]; }, "Opties"},
        PathCase{
            "ControlOnATab", "PageControl1.TabSheet2.showhints.Hint", "'Tips'", Status::kApplied,
            [](FakeNode& w) { return Owned(w, "PageControl1").Child("TabSheet2").Child("showhints").values["Hint"]; },
            "Tips"},
        PathCase{"FirstChildOfThatName", "Panel1.Label1.Caption", "'Eerste'", Status::kApplied,
                 [](FakeNode& w) { return w.Child("Panel1").children[0].values["Caption"]; }, "Eerste"},
        PathCase{
            "OwnedComponentBeforeChildControl", "Button2.Hint", "'Owned'", Status::kApplied,
            [](FakeNode& w) { return Owned(w, "Button2").values["Hint"] + "/" + w.Child("Button2").values["Hint"]; },
            "Owned/"},
        PathCase{"PropertyBeforeComponent", "Left.Caption", "'x'", Status::kIgnored, nullptr, ""},
        PathCase{"ComboItems", "scaletimes.Items.Strings", "'Geen', '2x', 'Zo''n'", Status::kApplied,
                 OwnedValue("scaletimes", "Items"), "Geen|2x|Zo'n"},
        PathCase{"StringsIsCaseSensitive", "scaletimes.Items.strings", "'Geen'", Status::kIgnored, nullptr, ""},
        PathCase{"StringListWithoutStrings", "scaletimes.Items", "'Geen'", Status::kIgnored, nullptr, ""},
        PathCase{"FontSize", "Font.Size", "12", Status::kApplied,
                 [](FakeNode& w) { return w.objects[0].values["Size"]; }, "12"},
        PathCase{"FontWithoutProperty", "Font", "12", Status::kIgnored, nullptr, ""},
        PathCase{"SetKindIsIgnored", "Font.Style", "[fsBold]", Status::kIgnored, nullptr, ""},
        PathCase{"IntegerAbcGivesZero", "Left", "abc", Status::kApplied, Value("Left"), "0"},
        PathCase{"IntegerWithMorePathIsIgnored", "Left.Size", "3", Status::kIgnored, nullptr, ""},
        PathCase{"Float", "Ratio", "1.5", Status::kApplied, Value("Ratio"), "1.500000"},
        PathCase{"FloatAbcGivesZero", "Ratio", "abc", Status::kApplied, Value("Ratio"), "0.000000"},
        PathCase{"EnumerationIgnoresCase", "Visible", "true", Status::kApplied, Value("Visible"), "True"},
        PathCase{"UnknownElementFails", "Visible", "Maybe", Status::kFailed, nullptr, "",
                 "Invalid property element: Maybe"},
        PathCase{"BadCharacterCodeFails", "Caption", "'a'#1114112", Status::kFailed, nullptr, "",
                 "Too long character code"},
        PathCase{"ClosingQuoteFollowedByTextEmpties", "Caption", "'a'b", Status::kApplied, Value("Caption"), ""},
        PathCase{"ColumnCaption", "gameview.Columns.Items(1).Caption", "'Jaar'", Status::kApplied, Column(1), "Jaar"},
        PathCase{"CollectionNameNotChecked", "gameview.Columns.Anything(0).Caption", "'Naam'", Status::kApplied,
                 Column(0), "Naam"},
        PathCase{"ColumnBeyondCount", "gameview.Columns.Items(2).Caption", "'x'", Status::kIgnored, nullptr, ""},
        PathCase{"ColumnNegative", "gameview.Columns.Items(-1).Caption", "'x'", Status::kIgnored, nullptr, ""},
        PathCase{"ColumnNotANumber", "gameview.Columns.Items(a).Caption", "'x'", Status::kIgnored, nullptr, ""},
        PathCase{"ColumnWithoutProperty", "gameview.Columns.Items(0)", "'x'", Status::kIgnored, nullptr, ""},
        PathCase{"ColumnItemsHaveNoComponents", "gameview.Columns.Items(0).Button2.Caption", "'x'", Status::kIgnored,
                 nullptr, ""},
        PathCase{"NoSuchComponent", "Button9.Caption", "'x'", Status::kIgnored, nullptr, ""},
        PathCase{"ComponentWithoutProperty", "Button2", "'x'", Status::kIgnored, nullptr, ""},
        PathCase{"EmptyElementAtEnd", "Button2.", "'x'", Status::kIgnored, nullptr, ""},
        PathCase{"EmptyElementAtStart", ".Caption", "'x'", Status::kIgnored, nullptr, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
