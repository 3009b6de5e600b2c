#include "settings/mame_options.h"

#include <algorithm>
#include <utility>

namespace kestrune::settings {
namespace {

using Items = std::span<const std::string_view>;

constexpr std::array<std::string_view, 11> kFrameskipItems{
    "Draw every frame", "Skip 1 frame",  "Skip 2 frames", "Skip 3 frames", "Skip 4 frames", "Skip 5 frames",
    "Skip 6 frames",    "Skip 7 frames", "Skip 8 frames", "Skip 9 frames", "Skip 10 frames"};
// MAME scales by 1 to 8; "None" is a scale of 1.
constexpr std::array<std::string_view, 9> kPrescaleItems{"None", "1", "2", "3", "4", "5", "6", "7", "8"};
constexpr std::array<std::string_view, 2> kDirectXItems{"Direct-X 8", "Direct-X 9"};
constexpr std::array<std::string_view, 4> kNumScreensItems{"1 Screen", "2 Screens", "3 Screens", "4 Screens"};
constexpr std::array<std::string_view, 6> kRotationItems{"Default", "Clockwise",      "Anti-Clockwise",
                                                         "None",    "Auto Clockwise", "Auto Anti-Clockwise"};
constexpr std::array<std::string_view, 5> kRenderItems{"OpenGL", "BGFX", "Software", "SDL Accelerated", "None"};
constexpr std::array<std::string_view, 5> kRenderButtons{"opengl", "bgfx", "soft", "accel", "none"};
constexpr std::array<std::string_view, 1> kAutoItem{"Auto"};
constexpr std::array<std::string_view, 4> kViewItems{"Auto", "Standard", "Pixel Aspect", "Cocktail"};
constexpr std::array<std::string_view, 5> kControllerItems{"Keyboard", "Hotrod", "Hotrod Se", "Slickstik", "X-Arcade"};
constexpr std::array<std::string_view, 4> kDeviceItems{"Keyboard", "Mouse", "Joystick", "Lightgun"};
constexpr std::array<std::string_view, 2> kJoystickAxesItems{"Auto", "Custom"};
constexpr std::array<std::string_view, 6> kStvItems{"Japan (bios epr19730)",  "Japan (bios mp17951a)",
                                                    "USA (bios mp17952a)",    "Japan (bios 20091)",
                                                    "Taiwan (bios mp17953a)", "Europe (bios mp17954a)"};
constexpr std::array<std::string_view, 2> kMegaplayItems{"Megaplay Bios (Ver. 1)", "Megaplay Bios (Ver. 2)"};
constexpr std::array<std::string_view, 8> kNeogeoItems{
    "Europe MVS (Ver. 2)", "Europe MVS (Ver. 1)", "US MVS (Ver. 2?)",   "US MVS (Ver. 1)",
    "Asia MVS (Ver. 3)",   "Japan MVS (Ver. 3)",  "Japan MVS (Ver. 2)", "Japan MVS (Ver. 1)"};
constexpr std::array<std::string_view, 2> kDecocassItems{"rms8.CPU", "dsp3.p0b & dsp3.p1b"};
constexpr std::array<std::string_view, 3> kArcadiaItems{"OnePlay 3.00", "OnePlay 2.11", "TenPlay 2.11"};
constexpr std::array<std::string_view, 2> kPlaychoiceItems{"Dual Monitor Version", "Single Monitor Version"};

constexpr OptionInfo MakeFlag(Option id, std::string_view control, bool initial, bool reset) {
  return {id, control, OptionKind::Flag, 0, 1, {}, false, initial ? 1 : 0, {}, reset ? 1 : 0, {}, false, {}};
}
constexpr OptionInfo MakeChoice(Option id, std::string_view control, Items items, int initial, int reset) {
  const int last = static_cast<int>(items.size()) - 1;
  return {id, control, OptionKind::Choice, 0, last, items, false, initial, {}, reset, {}, false, {}};
}
// A screen or resolution list: "Auto" and what the display reports, with no choice at first.
constexpr OptionInfo MakeDisplayList(Option id, std::string_view control) {
  return {id, control, OptionKind::Choice, 0, 0, kAutoItem, true, -1, {}, 0, {}, false, {}};
}
constexpr OptionInfo MakeSlider(Option id, std::string_view control, OptionKind kind, int minimum, int maximum,
                                int initial, int reset) {
  return {id, control, kind, minimum, maximum, {}, false, initial, {}, reset, {}, false, {}};
}
constexpr OptionInfo MakeRatio(Option id, std::string_view control, int minimum, int maximum, int initial, int reset) {
  return MakeSlider(id, control, OptionKind::Ratio, minimum, maximum, initial, reset);
}
constexpr OptionInfo MakeWhole(Option id, std::string_view control, int minimum, int maximum, int initial, int reset) {
  return MakeSlider(id, control, OptionKind::Whole, minimum, maximum, initial, reset);
}
constexpr OptionInfo MakeText(Option id, std::string_view control, std::string_view initial, bool kept) {
  return {id, control, OptionKind::Text, 0, 0, {}, false, 0, initial, 0, initial, kept, {}};
}
constexpr OptionInfo MakeRender() {
  return {Option::render, "render", OptionKind::Choice, 0,  kRenderNone, kRenderItems,  false,
          kRenderOpenGl,  {},       kRenderOpenGl,      {}, false,       kRenderButtons};
}

#define KESTRUNE_SCREEN_GROUP(n)                                                                                    \
  MakeDisplayList(Option::screenshow##n, "screenshow" #n),                                                          \
      MakeFlag(Option::aspect##n##auto, "aspect" #n "auto", true, true),                                            \
      MakeText(Option::aspectx##n, "aspectx" #n, "", false), MakeText(Option::aspecty##n, "aspecty" #n, "", false), \
      MakeDisplayList(Option::ressize##n, "ressize" #n), MakeChoice(Option::view##n, "view" #n, kViewItems, 0, 0)

constexpr std::array<OptionInfo, kOptionCount> kOptions{{
    // Display Options
    MakeFlag(Option::runwin, "runwin", false, false),
    MakeFlag(Option::maxwin, "maxwin", true, true),
    MakeFlag(Option::stretch, "stretch", true, true),
    MakeFlag(Option::keepaspect, "keepaspect", true, true),
    MakeFlag(Option::throttle, "throttle", true, true),
    MakeFlag(Option::syncmonitor, "syncmonitor", false, false),
    MakeFlag(Option::switchres, "switchres", false, false),
    MakeFlag(Option::refreshspeed, "refreshspeed", false, false),
    MakeFlag(Option::autoframeskip, "autoframeskip", true, false),
    MakeFlag(Option::waitvsync, "waitvsync", false, false),
    MakeFlag(Option::triplebuffer, "triplebuffer", false, false),
    MakeFlag(Option::ddfilter, "ddfilter", true, true),
    MakeChoice(Option::frameskip, "frameskip", kFrameskipItems, 0, 0),
    MakeChoice(Option::prescale, "prescale", kPrescaleItems, 1, 1),
    MakeChoice(Option::directxversion, "directxversion", kDirectXItems, 0, 1),
    MakeChoice(Option::numscreens, "numscreens", kNumScreensItems, 0, 0),
    MakeText(Option::effect, "effect", "", true),
    MakeFlag(Option::flipupdown, "flipupdown", false, false),
    MakeFlag(Option::flipleftright, "flipleftright", false, false),
    MakeChoice(Option::rotation, "rotation", kRotationItems, kRotationDefault, kRotationDefault),
    MakeRender(),
    MakeRatio(Option::brightness, "brightness", 50, 200, 100, 100),
    MakeRatio(Option::contrast, "contrast", 50, 200, 100, 100),
    MakeRatio(Option::gamma, "gamma", 50, 200, 100, 100),
    // MAME scales the paused screen's brightness by 0 to 1.
    MakeRatio(Option::pauzebright, "pauzebright", 0, 100, 65, 65),
    MakeRatio(Option::fullbrightness, "fullbrightness", 50, 200, 100, 100),
    MakeRatio(Option::fullcontrast, "fullcontrast", 50, 200, 100, 100),
    MakeRatio(Option::fullgamma, "fullgamma", 50, 200, 100, 100),
    // Screens
    KESTRUNE_SCREEN_GROUP(),
    KESTRUNE_SCREEN_GROUP(0),
    KESTRUNE_SCREEN_GROUP(1),
    KESTRUNE_SCREEN_GROUP(2),
    KESTRUNE_SCREEN_GROUP(3),
    // Vector
    MakeFlag(Option::antivector, "antivector", true, true),
    MakeRatio(Option::beam, "beam", 100, 1600, 100, 100),
    MakeWhole(Option::flicker, "flicker", 0, 100, 0, 0),
    // Sound Options
    MakeFlag(Option::sound, "sound", true, true),
    MakeFlag(Option::samples, "samples", true, true),
    MakeChoice(Option::samplerate, "samplerate", kSampleRateValues, 4, 4),
    MakeFlag(Option::savesound, "savesound", false, false),
    MakeText(Option::soundfile, "soundfile", "", true),
    MakeWhole(Option::volume, "volume", 0, 32, 32, 32),
    MakeWhole(Option::latency, "latency", 1, 4, 1, 1),
    // Input Devices
    MakeChoice(Option::controller, "controller", kControllerItems, 0, 0),
    MakeFlag(Option::mouse, "mouse", false, false),
    MakeFlag(Option::steadykey, "steadykey", false, false),
    MakeFlag(Option::multikeyboard, "multikeyboard", false, false),
    MakeFlag(Option::multimouse, "multimouse", false, false),
    MakeFlag(Option::lightgun, "lightgun", false, false),
    MakeFlag(Option::dual, "dual", false, false),
    MakeFlag(Option::offscreen, "offscreen", false, false),
    MakeFlag(Option::joystick, "joystick", false, false),
    MakeRatio(Option::deadzone, "deadzone", 0, 100, 10, 30),
    MakeRatio(Option::saturation, "saturation", 0, 100, 10, 85),
    MakeChoice(Option::paddle_controller, "paddle_controller", kDeviceItems, 0, 0),
    MakeChoice(Option::adstick_controller, "adstick_controller", kDeviceItems, 0, 0),
    MakeChoice(Option::lightgun_controller, "lightgun_controller", kDeviceItems, 0, 0),
    MakeChoice(Option::pedal_controller, "pedal_controller", kDeviceItems, 0, 0),
    MakeChoice(Option::dial_controller, "dial_controller", kDeviceItems, 0, 0),
    MakeChoice(Option::trackball_controller, "trackball_controller", kDeviceItems, 0, 0),
    MakeChoice(Option::positional_controller, "positional_controller", kDeviceItems, 0, 0),
    MakeChoice(Option::mouse_controller, "mouse_controller", kDeviceItems, 0, 1),
    MakeChoice(Option::joystick_axes, "joystick_axes", kJoystickAxesItems, 0, 0),
    MakeText(Option::joystick_custom_map, "joystick_custom_map", "", true),
    // Misc
    MakeFlag(Option::readconfig, "readconfig", true, true),
    MakeFlag(Option::gameinfo, "gameinfo", false, false),
    MakeFlag(Option::cheats, "cheats", false, false),
    MakeFlag(Option::sleep, "sleep", false, true),
    MakeFlag(Option::errorlog, "errorlog", false, false),
    MakeFlag(Option::verbose, "verbose", false, false),
    MakeFlag(Option::oslog, "oslog", false, false),
    MakeFlag(Option::multithreading, "multithreading", false, false),
    MakeText(Option::frames, "frames", "0", false),
    MakeFlag(Option::autosavestate, "autosavestate", false, false),
    MakeFlag(Option::savemng, "savemng", false, false),
    MakeText(Option::mngfile, "mngfile", "", true),
    MakeFlag(Option::artworkcrop, "artworkcrop", false, false),
    MakeFlag(Option::bezels, "bezels", true, true),
    MakeFlag(Option::overlays, "overlays", true, true),
    MakeFlag(Option::backdrops, "backdrops", true, true),
    MakeWhole(Option::highpriority, "highpriority", -15, 1, -15, 0),
    // MAME 0.251 refuses 0, and below 0.05 times real time it corrupts its heap and dies at some sample
    // rates (0.04 at 11025 Hz, 0.03 at all of them).
    MakeRatio(Option::speed, "speed", 5, 200, 100, 100),
    // Bios
    MakeChoice(Option::stvbios, "stvbios", kStvItems, 0, 0),
    MakeChoice(Option::megaplaybios, "megaplaybios", kMegaplayItems, 0, 0),
    MakeChoice(Option::neogeobios, "neogeobios", kNeogeoItems, 0, 0),
    MakeChoice(Option::decocassbios, "decocassbios", kDecocassItems, 0, 0),
    MakeChoice(Option::arbios, "arbios", kArcadiaItems, 0, 0),
    MakeChoice(Option::playchoicebios, "playchoicebios", kPlaychoiceItems, 0, 0),
}};

#undef KESTRUNE_SCREEN_GROUP

constexpr bool RowsFollowTheEnum() {
  for (int i = 0; i < kOptionCount; ++i) {
    if (Index(kOptions[static_cast<std::size_t>(i)].id) != i) {
      return false;
    }
  }
  return true;
}
static_assert(RowsFollowTheEnum(), "the option table must list the options in the order of Option");

constexpr std::array<ScreenGroup, 5> kScreenGroups{{
    {"", Option::screenshow, Option::aspectauto, Option::aspectx, Option::aspecty, Option::ressize, Option::view},
    {"0", Option::screenshow0, Option::aspect0auto, Option::aspectx0, Option::aspecty0, Option::ressize0,
     Option::view0},
    {"1", Option::screenshow1, Option::aspect1auto, Option::aspectx1, Option::aspecty1, Option::ressize1,
     Option::view1},
    {"2", Option::screenshow2, Option::aspect2auto, Option::aspectx2, Option::aspecty2, Option::ressize2,
     Option::view2},
    {"3", Option::screenshow3, Option::aspect3auto, Option::aspectx3, Option::aspecty3, Option::ressize3,
     Option::view3},
}};

constexpr std::array<std::string_view, 8> kNeogeoValues{"default", "euro-s1", "us ",      "us-e",
                                                        "asia",    "japan ",  "japan-s2", "japan-s1"};
constexpr std::array<std::string_view, 6> kStvValues{"default", "japana", "us", "japanb", "taiwan", "europe"};
constexpr std::array<std::string_view, 2> kMegatechValues{"default", "ver2"};
constexpr std::array<std::string_view, 2> kDecocassValues{"default", "bios1"};
constexpr std::array<std::string_view, 3> kArcadiaValues{"default", "onep211", "tenp211"};
constexpr std::array<std::string_view, 2> kPlaychoiceValues{"default", "single"};

constexpr std::array<BiosFile, kBiosFileCount> kBiosFiles{{
    {"neogeo.ini", "### neogeo.c ###", "neogeo", Option::neogeobios, kNeogeoValues},
    {"stvbios.ini", "### stvbios.c ###", "stvbios", Option::stvbios, kStvValues},
    {"megatech.ini", "### megatech.c ###", "megatech", Option::megaplaybios, kMegatechValues},
    {"decocass.ini", "### decocass.c ###", "decocass", Option::decocassbios, kDecocassValues},
    {"ar_bios.ini", "### arcadia.c ###", "ar_bios", Option::arbios, kArcadiaValues},
    {"playch10.ini", "### playch10.c ###", "playch10", Option::playchoicebios, kPlaychoiceValues},
}};

// The position of a BIOS control's file, kBiosFileCount for any other option.
std::size_t BiosIndex(Option option) {
  const auto found =
      std::find_if(kBiosFiles.begin(), kBiosFiles.end(), [option](const BiosFile& f) { return f.control == option; });
  return static_cast<std::size_t>(found - kBiosFiles.begin());
}

bool IsBiosChoice(Option option) { return BiosIndex(option) < kBiosFileCount; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') {
    text.remove_prefix(1);
  }
  while (!text.empty() && text.back() == ' ') {
    text.remove_suffix(1);
  }
  return text;
}

// MAME's default set first, the others in MAME's order.
std::vector<BiosSet> DefaultFirst(std::vector<BiosSet> sets) {
  const auto marked = std::find_if(sets.begin(), sets.end(), [](const BiosSet& set) { return set.isDefault; });
  if (marked != sets.end()) {
    std::rotate(sets.begin(), marked, marked + 1);
  }
  return sets;
}

}  // namespace

std::span<const OptionInfo> OptionTable() { return kOptions; }

const OptionInfo& Info(Option option) { return kOptions[static_cast<std::size_t>(Index(option))]; }

std::span<const ScreenGroup> ScreenGroups() { return kScreenGroups; }

std::span<const BiosFile> BiosFiles() { return kBiosFiles; }

MameOptions::MameOptions() {
  for (const OptionInfo& info : kOptions) {
    const int i = Index(info.id);
    numbers_[static_cast<std::size_t>(i)] = info.initial;
    texts_[static_cast<std::size_t>(i)] = std::string(info.initialText);
    items_[static_cast<std::size_t>(i)].assign(info.items.begin(), info.items.end());
  }
  for (std::size_t i = 0; i < kBiosFileCount; ++i) {
    biosNames_[i].assign(kBiosFiles[i].values.begin(), kBiosFiles[i].values.end());
  }
}

const std::vector<std::string>& MameOptions::BiosNames(Option control) const {
  static const std::vector<std::string> kNone;
  const std::size_t i = BiosIndex(control);
  return i < kBiosFileCount ? biosNames_[i] : kNone;
}

bool MameOptions::BiosFromMame(Option control) const {
  const std::size_t i = BiosIndex(control);
  return i < kBiosFileCount && biosFromMame_[i];
}

void MameOptions::SetBiosSets(Option control, const std::vector<BiosSet>& sets) {
  const std::size_t i = BiosIndex(control);
  if (i == kBiosFileCount || sets.empty()) {
    return;
  }
  const std::optional<std::string> chosen = BiosValueOf(*this, control, Number(control));
  std::vector<std::string> names;
  std::vector<std::string> items;
  for (const BiosSet& set : DefaultFirst(sets)) {
    names.push_back(set.name);
    items.push_back(set.description.empty() ? set.name : set.description);
  }
  biosNames_[i] = std::move(names);
  biosFromMame_[i] = true;
  items_[static_cast<std::size_t>(Index(control))] = std::move(items);
  numbers_[static_cast<std::size_t>(Index(control))] = chosen ? BiosChoiceOf(*this, control, *chosen).value_or(0) : 0;
}

std::string MameOptions::ChoiceText(Option option) const {
  const auto& items = Items(option);
  const int choice = Number(option);
  if (choice < 0 || choice >= static_cast<int>(items.size())) {
    return {};
  }
  return items[static_cast<std::size_t>(choice)];
}

void MameOptions::SetFlag(Option option, bool checked) { numbers_[static_cast<std::size_t>(Index(option))] = checked; }

bool MameOptions::SetNumber(Option option, int value) {
  const OptionInfo& info = Info(option);
  int& slot = numbers_[static_cast<std::size_t>(Index(option))];
  switch (info.kind) {
    case OptionKind::Flag:
      if (value != 0 && value != 1) {
        return false;
      }
      break;
    case OptionKind::Choice: {
      const int count = static_cast<int>(Items(option).size());
      const int lowest = info.dynamicItems ? -1 : 0;
      if (value < lowest || value >= count) {
        return false;
      }
      break;
    }
    case OptionKind::Ratio:
    case OptionKind::Whole:
      value = std::clamp(value, info.minimum, info.maximum);
      break;
    case OptionKind::Text:
      return false;
  }
  slot = value;
  return true;
}

void MameOptions::SetText(Option option, std::string text) {
  texts_[static_cast<std::size_t>(Index(option))] = std::move(text);
}

void MameOptions::SetDynamicItems(Option option, const std::vector<std::string>& items) {
  const OptionInfo& info = Info(option);
  if (!info.dynamicItems) {
    return;
  }
  auto& list = items_[static_cast<std::size_t>(Index(option))];
  list.assign(info.items.begin(), info.items.end());
  list.insert(list.end(), items.begin(), items.end());
  int& choice = numbers_[static_cast<std::size_t>(Index(option))];
  if (choice >= static_cast<int>(list.size())) {
    choice = -1;
  }
}

OptionSet ResetMameOptions(MameOptions& options) {
  OptionSet set;
  for (const OptionInfo& info : kOptions) {
    if (info.keptOnReset) {
      continue;
    }
    if (info.kind == OptionKind::Text) {
      options.SetText(info.id, std::string(info.resetText));
    } else {
      options.SetNumber(info.id, info.reset);
    }
    set.set(static_cast<std::size_t>(Index(info.id)));
  }
  return set;
}

namespace {

// What a preset sets; -1 leaves a choice as it is. OpenGL, MAME's own default, stands in for Direct3D.
struct Preset {
  int samplerate;
  int latency;
  bool triplebuffer;
  int frameskip;
  bool autoframeskip;
};

constexpr std::array<Preset, kPresetCount - 1> kPresets{{
    {0, 3, false, -1, true},  // 11025 Hz
    {3, 2, false, -1, true},  // 44100 Hz
    {4, 1, true, 0, false},   // 48000 Hz, every frame drawn
}};

}  // namespace

OptionSet ApplyMamePreset(MameOptions& options, int preset) {
  if (preset < 1 || preset >= kPresetCount) {
    return {};
  }
  const Preset& row = kPresets[static_cast<std::size_t>(preset - 1)];
  options.SetNumber(Option::samplerate, row.samplerate);
  options.SetNumber(Option::latency, row.latency);
  options.SetNumber(Option::render, kRenderOpenGl);
  options.SetFlag(Option::waitvsync, false);
  options.SetFlag(Option::triplebuffer, row.triplebuffer);
  if (row.frameskip >= 0) {
    options.SetNumber(Option::frameskip, row.frameskip);
  }
  options.SetFlag(Option::throttle, true);
  options.SetFlag(Option::autoframeskip, row.autoframeskip);
  OptionSet set;
  for (const Option option : {Option::samplerate, Option::latency, Option::render, Option::waitvsync,
                              Option::triplebuffer, Option::throttle, Option::autoframeskip}) {
    set.set(static_cast<std::size_t>(Index(option)));
  }
  set.set(static_cast<std::size_t>(Index(Option::frameskip)), row.frameskip >= 0);
  return set;
}

MameOptions CleanOptions(const MameOptions& current) {
  MameOptions clean = current;
  ResetMameOptions(clean);
  for (const OptionInfo& info : kOptions) {
    if (IsBiosChoice(info.id)) {
      clean.SetNumber(info.id, current.Number(info.id));
    } else if (info.keptOnReset) {
      clean.SetText(info.id, std::string(info.initialText));
    }
  }
  return clean;
}

std::optional<int> BiosChoiceOf(const MameOptions& options, Option control, std::string_view value) {
  value = Trimmed(value);
  if (value == kDefaultBios) {
    return 0;
  }
  const std::vector<std::string>& names = options.BiosNames(control);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (Trimmed(names[i]) == value) {
      return static_cast<int>(i);
    }
  }
  return std::nullopt;
}

std::optional<std::string> BiosValueOf(const MameOptions& options, Option control, int choice) {
  const std::vector<std::string>& names = options.BiosNames(control);
  if (choice < 0 || choice >= static_cast<int>(names.size())) {
    return std::nullopt;
  }
  return choice == 0 ? std::string(kDefaultBios) : names[static_cast<std::size_t>(choice)];
}

std::string SliderLabel(const MameOptions& options, Option option, char decimalSeparator) {
  const int position = options.Number(option);
  switch (option) {
    case Option::speed:
      return std::to_string(position) + "%";
    case Option::volume:
      return position >= 32 ? "0db" : "-" + std::to_string(32 - position) + "db";
    default:
      break;
  }
  if (Info(option).kind == OptionKind::Ratio) {
    return RatioText(position, decimalSeparator);
  }
  return std::to_string(position);
}

std::string RatioText(int position, char decimalSeparator) {
  const int whole = position / 100;
  int fraction = position % 100;
  std::string text = (position < 0 && whole == 0) ? "-" : "";
  text += std::to_string(whole);
  if (fraction == 0) {
    return text;
  }
  fraction = fraction < 0 ? -fraction : fraction;
  text += decimalSeparator;
  text += static_cast<char>('0' + fraction / 10);
  if (fraction % 10 != 0) {
    text += static_cast<char>('0' + fraction % 10);
  }
  return text;
}

std::string DefaultFolder(const MameFolders& folders, std::string_view word) {
  return folders.FrontDir + std::string(word);
}

std::vector<std::string> SearchPathFolders(std::string_view path) {
  std::vector<std::string> folders;
  while (!path.empty()) {
    const std::size_t end = std::min(path.find(';'), path.size());
    if (end > 0) {
      folders.emplace_back(path.substr(0, end));
    }
    path.remove_prefix(std::min(end + 1, path.size()));
  }
  return folders;
}

namespace {

std::size_t KeyRank(std::string_view key) {
  return static_cast<std::size_t>(std::find(kMameOwnPathKeys.begin(), kMameOwnPathKeys.end(), key) -
                                  kMameOwnPathKeys.begin());
}

}  // namespace

void SetMameOwnPath(std::vector<MamePathOption>& paths, std::string_view key, std::string value) {
  const std::size_t rank = KeyRank(key);
  if (rank == kMameOwnPathKeys.size()) {
    return;
  }
  const auto at =
      std::find_if(paths.begin(), paths.end(), [rank](const MamePathOption& p) { return KeyRank(p.key) >= rank; });
  const bool same = at != paths.end() && at->key == key;
  if (value.empty()) {
    if (same) {
      paths.erase(at);
    }
  } else if (same) {
    at->value = std::move(value);
  } else {
    paths.insert(at, {std::string(key), std::move(value)});
  }
}

std::string MameOwnPath(const std::vector<MamePathOption>& paths, std::string_view key) {
  const auto at = std::find_if(paths.begin(), paths.end(), [key](const MamePathOption& p) { return p.key == key; });
  return at == paths.end() ? std::string() : at->value;
}

}  // namespace kestrune::settings
