#include "settings/mame_options.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "mame_options_printer.h"

namespace kestrune::settings {

namespace {

std::string ValueText(const MameOptions& options, const OptionInfo& info) {
  if (info.kind == OptionKind::Text) {
    return "\"" + options.Text(info.id) + "\"";
  }
  std::string text = std::to_string(options.Number(info.id));
  if (info.dynamicItems) {
    text += " of " + std::to_string(options.Items(info.id).size());
  }
  return text;
}

}  // namespace

std::string OptionDifferences(const MameOptions& a, const MameOptions& b) {
  std::ostringstream out;
  for (const OptionInfo& info : OptionTable()) {
    const std::string left = ValueText(a, info);
    const std::string right = ValueText(b, info);
    if (left != right || a.Items(info.id) != b.Items(info.id)) {
      out << info.control << ": " << left << " | " << right << "\n";
    }
  }
  return out.str();
}

void PrintTo(const MameOptions& options, std::ostream* out) {
  MameOptions defaults;
  ResetMameOptions(defaults);
  *out << "options differing from the defaults {\n" << OptionDifferences(options, defaults) << "}";
}

namespace {

TEST(MameOptionsTest, TheTableNamesEveryControlOnceWithSaneRanges) {
  std::set<std::string_view> names;
  for (const OptionInfo& info : OptionTable()) {
    EXPECT_TRUE(names.insert(info.control).second) << info.control;
    EXPECT_LE(info.minimum, info.maximum) << info.control;
    if (info.kind == OptionKind::Choice) {
      EXPECT_FALSE(info.items.empty()) << info.control;
      EXPECT_LT(info.reset, static_cast<int>(info.items.size())) << info.control;
    }
    if (info.kind == OptionKind::Ratio || info.kind == OptionKind::Whole) {
      EXPECT_GE(info.initial, info.minimum) << info.control;
      EXPECT_LE(info.initial, info.maximum) << info.control;
      EXPECT_GE(info.reset, info.minimum) << info.control;
      EXPECT_LE(info.reset, info.maximum) << info.control;
    }
  }
  EXPECT_EQ(Info(Option::render).radioButtons.size(), kRenderValues.size());
  EXPECT_EQ(Info(Option::render).items.size(), kRenderValues.size());
  for (const BiosFile& file : BiosFiles()) {
    EXPECT_EQ(file.values.size(), Info(file.control).items.size()) << file.fileName;
  }
}

TEST(MameOptionsTest, InitialAndDefaultValuesDiffer) {
  MameOptions options;
  EXPECT_TRUE(options.Flag(Option::autoframeskip));
  EXPECT_EQ(options.Number(Option::deadzone), 10);
  EXPECT_EQ(options.Number(Option::highpriority), -15);
  EXPECT_EQ(options.Number(Option::screenshow2), -1);
  EXPECT_EQ(options.Text(Option::frames), "0");
  options.SetText(Option::effect, "scan");
  options.SetText(Option::aspectx, "5");
  ResetMameOptions(options);
  EXPECT_FALSE(options.Flag(Option::autoframeskip));
  EXPECT_TRUE(options.Flag(Option::sleep));
  EXPECT_EQ(options.Number(Option::deadzone), 30);
  EXPECT_EQ(options.Number(Option::saturation), 85);
  EXPECT_EQ(options.Number(Option::mouse_controller), 1);
  EXPECT_EQ(options.Number(Option::directxversion), 1);
  EXPECT_EQ(options.Number(Option::highpriority), 0);
  EXPECT_EQ(options.Number(Option::screenshow2), 0);
  EXPECT_EQ(options.Text(Option::effect), "scan");  // kept by the Default button
  EXPECT_EQ(options.Text(Option::aspectx), "");
}

TEST(MameOptionsTest, CleanOptionsForgetKeptTextsButKeepListsAndBios) {
  MameOptions options;
  options.SetText(Option::effect, "scan");
  options.SetText(Option::mngfile, "/m.mng");
  options.SetNumber(Option::neogeobios, 5);
  options.SetDynamicItems(Option::ressize, {"640x480@60"});
  const MameOptions clean = CleanOptions(options);
  EXPECT_EQ(clean.Text(Option::effect), "");
  EXPECT_EQ(clean.Text(Option::mngfile), "");
  EXPECT_EQ(clean.Number(Option::neogeobios), 5);
  EXPECT_EQ(clean.Items(Option::ressize).size(), 2u);
}

TEST(MameOptionsTest, NumbersAreTakenAsTheControlWouldTakeThem) {
  MameOptions options;
  EXPECT_TRUE(options.SetNumber(Option::speed, 500));
  EXPECT_EQ(options.Number(Option::speed), 200);
  EXPECT_TRUE(options.SetNumber(Option::highpriority, -99));
  EXPECT_EQ(options.Number(Option::highpriority), -15);
  EXPECT_FALSE(options.SetNumber(Option::frameskip, 11));
  EXPECT_FALSE(options.SetNumber(Option::frameskip, -1));
  EXPECT_EQ(options.Number(Option::frameskip), 0);
  EXPECT_FALSE(options.SetNumber(Option::throttle, 2));
  EXPECT_FALSE(options.SetNumber(Option::screenshow, 1));  // only "Auto" so far
  options.SetDynamicItems(Option::screenshow, {"\\\\.\\DISPLAY1"});
  EXPECT_TRUE(options.SetNumber(Option::screenshow, 1));
  options.SetDynamicItems(Option::screenshow, {});
  EXPECT_EQ(options.Number(Option::screenshow), -1);
  EXPECT_FALSE(options.SetNumber(Option::effect, 1));
}

TEST(MameOptionsTest, SliderLabels) {
  MameOptions options;
  const std::tuple<Option, int, char, const char*> cases[] = {
      {Option::brightness, 100, '.', "1"},   {Option::pauzebright, 65, ',', "0,65"}, {Option::beam, 150, '.', "1.5"},
      {Option::deadzone, 5, '.', "0.05"},    {Option::speed, 50, '.', "50%"},        {Option::volume, 32, '.', "0db"},
      {Option::volume, 20, '.', "-12db"},    {Option::volume, 0, '.', "-32db"},      {Option::flicker, 42, '.', "42"},
      {Option::highpriority, -7, '.', "-7"},
  };
  for (const auto& [option, position, separator, label] : cases) {
    ASSERT_TRUE(options.SetNumber(option, position));
    EXPECT_EQ(SliderLabel(options, option, separator), label) << Info(option).control;
  }
  EXPECT_EQ(RatioText(-150, '.'), "-1.5");
  EXPECT_EQ(RatioText(-5, '.'), "-0.05");
}

}  // namespace
}  // namespace kestrune::settings
