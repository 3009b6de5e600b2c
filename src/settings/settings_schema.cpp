#include "settings/settings_schema.h"

#include <array>

#include "platform/code_pages.h"

namespace kestrune::settings {
namespace {

// A row of the game list: more than a catalogue of every MAME set will ever hold.
constexpr int kMaxListRow = 1 << 24;

// The switch tests follow how the main window takes each key at start: some keys are on only at "1",
// others off only at "0"; a few convert the value to a number first.
constexpr std::array kSettingKeys = std::to_array<SettingKey>({
    {kUiSection, "language", DefaultFrom::kText, "0", FlagTest::kNone},
    {kUiSection, "mamefile", DefaultFrom::kMameFile, "", FlagTest::kNone},
    {kUiSection, "frontdir", DefaultFrom::kFrontDir, "", FlagTest::kNone},
    {kUiSection, "mameversion", DefaultFrom::kMameVersion, "", FlagTest::kNone},
    {kUiSection, "roms", DefaultFrom::kText, "0", FlagTest::kNone},
    {kUiSection, "keepfav", DefaultFrom::kText, "0", FlagTest::kNumberIsOne},
    {kUiSection, "keepcounters", DefaultFrom::kText, "0", FlagTest::kNumberIsOne},
    {kUiSection, "list", DefaultFrom::kText, "1", FlagTest::kNone},
    {kUiSection, "filtermenu", DefaultFrom::kText, "0", FlagTest::kNone},
    {kUiSection, "keyword", DefaultFrom::kText, "", FlagTest::kNone},
    {kUiSection, "searchmenu", DefaultFrom::kText, "1", FlagTest::kNone},
    {kUiSection, "quicksearch", DefaultFrom::kText, "1", FlagTest::kTextIsOne},
    {kUiSection, "notepadedit", DefaultFrom::kText, "0", FlagTest::kTextIsOne},
    {kUiSection, "filter", DefaultFrom::kText, "0", FlagTest::kTextIsOne},
    {kUiSection, "listfont", DefaultFrom::kText, "", FlagTest::kNone},
    {kUiSection, "listfontcolor", DefaultFrom::kText, "", FlagTest::kNone},
    {kUiSection, "listfontsize", DefaultFrom::kText, "", FlagTest::kNone},
    {kUiSection, "clonecolor", DefaultFrom::kText, "0", FlagTest::kNone},
    {kUiSection, "listcolor", DefaultFrom::kText, "", FlagTest::kNone},
    {kUiSection, "smoothscrolling", DefaultFrom::kText, "1", FlagTest::kTextNotZero},
    {kUiSection, "areafont", DefaultFrom::kText, "", FlagTest::kNone},
    {kUiSection, "areafontsize", DefaultFrom::kText, "", FlagTest::kNone},
    {kUiSection, "skinned", DefaultFrom::kText, "0", FlagTest::kTextIsOne},
    {kUiSection, "xarcadenav", DefaultFrom::kText, "0", FlagTest::kTextIsOne},
    {kUiSection, "slikstiknav", DefaultFrom::kText, "0", FlagTest::kTextIsOne},
    {kUiSection, "hotrodnav", DefaultFrom::kText, "0", FlagTest::kTextIsOne},
    {kUiSection, "showcommand", DefaultFrom::kText, "0", FlagTest::kNumberIsOne},
    {kUiSection, "showhints", DefaultFrom::kText, "1", FlagTest::kNumberNotZero},
    {kUiSection, "showloadscreen", DefaultFrom::kText, "1", FlagTest::kNone},
    {kUiSection, "showtabs", DefaultFrom::kText, "0", FlagTest::kNumberNotZero},
    {kUiSection, "moveover", DefaultFrom::kText, "0", FlagTest::kTextNotZero},
    {kUiSection, "preset", DefaultFrom::kText, "0", FlagTest::kNone},
    {kUiSection, "stretch", DefaultFrom::kText, "1", FlagTest::kTextIsOne},
    {kUiSection, "stretchfilter", DefaultFrom::kText, "0", FlagTest::kNone},
    {kUiSection, "scale", DefaultFrom::kText, "0", FlagTest::kNone},
    {kUiSection, "viewtype", DefaultFrom::kText, "0", FlagTest::kNone},
    {kUiSection, "historytab", DefaultFrom::kText, "1", FlagTest::kTextNotZero},
    {kUiSection, "flyertab", DefaultFrom::kText, "1", FlagTest::kTextNotZero},
    {kUiSection, "cabinettab", DefaultFrom::kText, "1", FlagTest::kTextNotZero},
    {kUiSection, "cpaneltab", DefaultFrom::kText, "1", FlagTest::kTextNotZero},
    {kUiSection, "marqueetab", DefaultFrom::kText, "1", FlagTest::kTextNotZero},
    {kUiSection, "titletab", DefaultFrom::kText, "1", FlagTest::kTextNotZero},
    {kUiSection, "mngtab", DefaultFrom::kText, "1", FlagTest::kTextNotZero},
    {kUiSection, "statusbar", DefaultFrom::kText, "1", FlagTest::kTextNotZero},
    {kUiSection, "toolbar", DefaultFrom::kText, "1", FlagTest::kTextNotZero},
    {kUiSection, "bigtoolbar", DefaultFrom::kText, "1", FlagTest::kTextIsOne},
    {kUiSection, "splitter", DefaultFrom::kText, "485", FlagTest::kNone},
    {kUiSection, "splitterex", DefaultFrom::kText, "0", FlagTest::kNone},
    {kUiSection, "showview", DefaultFrom::kText, "1", FlagTest::kNumberNotZero},
    {kUiSection, "winwidth", DefaultFrom::kText, "925", FlagTest::kNone},
    {kUiSection, "winheight", DefaultFrom::kText, "600", FlagTest::kNone},
    {kUiSection, "winleft", DefaultFrom::kText, "150", FlagTest::kNone},
    {kUiSection, "wintop", DefaultFrom::kText, "100", FlagTest::kNone},
    {kUiSection, "winwidthex", DefaultFrom::kText, "710", FlagTest::kNone},
    {kUiSection, "winheightex", DefaultFrom::kText, "460", FlagTest::kNone},
    {kUiSection, "winleftex", DefaultFrom::kText, "150", FlagTest::kNone},
    {kUiSection, "wintopex", DefaultFrom::kText, "100", FlagTest::kNone},
    {kUiSection, "winmax", DefaultFrom::kText, "0", FlagTest::kNumberNotZero},
    {kUiSection, "colorder", DefaultFrom::kText,
     "0=270,1=50,2=98,3=150,14=50,15=48,16=69,17=69,4=70,5=78,6=68,7=91,8=78,9=91,10=66,11=69,12=74,13=74,18=134",
     FlagTest::kNone},
    {kUiSection, "col1", DefaultFrom::kText, "270", FlagTest::kNone},
    {kUiSection, "col2", DefaultFrom::kText, "50", FlagTest::kNone},
    {kUiSection, "col3", DefaultFrom::kText, "98", FlagTest::kNone},
    {kUiSection, "col4", DefaultFrom::kText, "150", FlagTest::kNone},
    {kUiSection, "col5", DefaultFrom::kText, "50", FlagTest::kNone},
    {kUiSection, "col6", DefaultFrom::kText, "48", FlagTest::kNone},
    {kUiSection, "col7", DefaultFrom::kText, "69", FlagTest::kNone},
    {kUiSection, "col8", DefaultFrom::kText, "69", FlagTest::kNone},
    {kUiSection, "col9", DefaultFrom::kText, "70", FlagTest::kNone},
    {kUiSection, "col10", DefaultFrom::kText, "78", FlagTest::kNone},
    {kUiSection, "col11", DefaultFrom::kText, "68", FlagTest::kNone},
    {kUiSection, "col12", DefaultFrom::kText, "91", FlagTest::kNone},
    {kUiSection, "col13", DefaultFrom::kText, "78", FlagTest::kNone},
    {kUiSection, "col14", DefaultFrom::kText, "91", FlagTest::kNone},
    {kUiSection, "col15", DefaultFrom::kText, "66", FlagTest::kNone},
    {kUiSection, "col16", DefaultFrom::kText, "69", FlagTest::kNone},
    {kUiSection, "col17", DefaultFrom::kText, "74", FlagTest::kNone},
    {kUiSection, "col18", DefaultFrom::kText, "74", FlagTest::kNone},
    {kUiSection, "selected", DefaultFrom::kText, "-1", FlagTest::kNone, {-1, kMaxListRow}},
    {kUiSection, "tabselect", DefaultFrom::kText, "0", FlagTest::kNone},
    {kUiSection, "cycle", DefaultFrom::kText, "0", FlagTest::kNumberIsOne},
    {kUiSection, "cycletime", DefaultFrom::kText, "2", FlagTest::kNone, {0, 24 * 3600}},
    {kUiSection, "cyclesnaps", DefaultFrom::kText, "1", FlagTest::kNumberIsOne},
    {kUiSection, "autoini", DefaultFrom::kText, "1", FlagTest::kNumberNotZero},
    {kUiSection, "showclones", DefaultFrom::kText, "1", FlagTest::kTextNotZero},
    {kUiSection, "shownodump", DefaultFrom::kText, "1", FlagTest::kTextIsOne},
    {kUiSection, "showbadroms", DefaultFrom::kText, "0", FlagTest::kTextIsOne},
    {kUiSection, "showplayable", DefaultFrom::kText, "0", FlagTest::kTextNotZero},
    {kUiSection, "showfav", DefaultFrom::kText, "0", FlagTest::kTextIsOne},
    {kUiSection, "thesufix", DefaultFrom::kText, "0", FlagTest::kNumberIsOne},
    {kUiSection, "hidemouse", DefaultFrom::kText, "0", FlagTest::kTextIsOne},
    {kUiSection, "toolbarbuttons", DefaultFrom::kText, "1111111111111", FlagTest::kNone},
    {kUiSection, "commandline", DefaultFrom::kText, "", FlagTest::kNone},
    {kMameSection, "snapdir", DefaultFrom::kFrontDirFolder, "snap", FlagTest::kNone},
    {kMameSection, "inidir", DefaultFrom::kFrontDirFolder, "ini", FlagTest::kNone},
    {kMameSection, "inpdir", DefaultFrom::kFrontDirFolder, "inp", FlagTest::kNone},
    {kMameSection, "flyerdir", DefaultFrom::kFrontDirFolder, "flyers", FlagTest::kNone},
    {kMameSection, "marqueedir", DefaultFrom::kFrontDirFolder, "marquees", FlagTest::kNone},
    {kMameSection, "cabinetdir", DefaultFrom::kFrontDirFolder, "cabinets", FlagTest::kNone},
    {kMameSection, "controldir", DefaultFrom::kFrontDirFolder, "cpanel", FlagTest::kNone},
    {kMameSection, "titledir", DefaultFrom::kFrontDirFolder, "titles", FlagTest::kNone},
    {kMameSection, "mngdir", DefaultFrom::kFrontDirFolder, "mng", FlagTest::kNone},
    {kMameSection, "icondir", DefaultFrom::kFrontDirFolder, "icons", FlagTest::kNone},
    {kFavoritesSection, kFavoritesCountKey, DefaultFrom::kText, "0", FlagTest::kNone, {0, 255}},
});

}  // namespace

std::span<const SettingKey> SettingKeys() { return kSettingKeys; }

const SettingKey* FindSettingKey(std::string_view section, std::string_view key) {
  for (const SettingKey& row : kSettingKeys) {
    if (platform::EqualsIgnoreAsciiCase(row.key, key) && platform::EqualsIgnoreAsciiCase(row.section, section)) {
      return &row;
    }
  }
  return nullptr;
}

std::string DefaultValue(const SettingKey& key, const DefaultInputs& inputs) {
  switch (key.source) {
    case DefaultFrom::kText:
      return std::string(key.text);
    case DefaultFrom::kFrontDir:
      return inputs.frontDir;
    case DefaultFrom::kFrontDirFolder:
      return inputs.frontDir + std::string(key.text);
    case DefaultFrom::kMameFile:
      return inputs.mameFile;
    case DefaultFrom::kMameVersion:
      return inputs.mameVersion;
  }
  return std::string();
}

}  // namespace kestrune::settings
