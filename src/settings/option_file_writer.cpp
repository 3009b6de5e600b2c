#include "settings/option_file_writer.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <system_error>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "platform/code_pages.h"
#include "platform/text_file.h"
#include "settings/option_file_reader.h"

namespace kestrune::settings {
namespace {

// MAME reads the value from the 25th column; the key is filled with blanks up to it.
constexpr std::size_t kValueColumn = 24;
constexpr std::string_view kUnsetText = "<NULL> (not set)";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

enum class Form : std::uint8_t {
  Head,           // a section head; key is its title
  Flag,           // "1" or "0"
  Sound,          // "auto" or "none"
  Ratio,          // position / 100
  Whole,          // the position
  Path,           // a folder in quotes, default options only
  CtrlrPath,      // the ctrlr folder, then MAME's own controller folders, in quotes
  OwnPaths,       // the installation's own path options under their head, when there are any
  Fixed,          // a fixed text
  Unset,          // always the unset comment line
  SaveFile,       // option checked: the file edit `second` in quotes; else unset
  Text,           // the text as it stands
  Choice,         // the value of the choice index; an index without one writes no line
  Prescale,       // the scale chosen; "None" is MAME's 1
  ChoiceIndex,    // the choice index in decimal
  ChoicePlusOne,  // the choice index plus one
  Rotate,         // "0" for "None", else "1"
  RotationIs,     // "1" when the rotation is `number`, else "0"
  Volume,         // attenuation in dB
  Controller,     // choice 0 unset, else its name
  JoystickMap,    // "auto" or the custom map
  Effect,         // "none" for an empty text
  Screen,         // screen group `number`
  Aspect,
  Resolution,
  View,
};

struct LineRow {
  Form form;
  std::string_view key;
  Option option = Option::runwin;
  Option second = Option::runwin;
  int number = 0;
  std::string MameFolders::*folder = nullptr;
  std::span<const std::string_view> values = {};
  std::string_view fixed = {};
  bool defaultOptionsOnly = false;
  // MAME no longer has the option: mame.ini keeps its line, which MAME skips without a word, but in a
  // game's file MAME warns about it, so it is not written there.
  bool gone = false;
};

constexpr LineRow Head(std::string_view title) { return {.form = Form::Head, .key = title}; }
constexpr LineRow Line(Form form, std::string_view key, Option option) {
  return {.form = form, .key = key, .option = option};
}
constexpr LineRow PathLine(std::string_view key, std::string MameFolders::*folder) {
  return {.form = Form::Path, .key = key, .folder = folder, .defaultOptionsOnly = true};
}
constexpr LineRow FixedLine(std::string_view key, std::string_view text, bool defaultOptionsOnly = false) {
  return {.form = Form::Fixed, .key = key, .fixed = text, .defaultOptionsOnly = defaultOptionsOnly};
}
constexpr LineRow UnsetLine(std::string_view key) { return {.form = Form::Unset, .key = key}; }
constexpr LineRow SaveFileLine(std::string_view key, Option box, Option file) {
  return {.form = Form::SaveFile, .key = key, .option = box, .second = file};
}
constexpr LineRow ChoiceLine(std::string_view key, Option option, std::span<const std::string_view> values) {
  return {.form = Form::Choice, .key = key, .option = option, .values = values};
}
constexpr LineRow RotationLine(std::string_view key, int choice) {
  return {.form = Form::RotationIs, .key = key, .option = Option::rotation, .number = choice};
}
constexpr LineRow GroupLine(Form form, std::string_view key, int group) {
  return {.form = form, .key = key, .number = group};
}
constexpr LineRow Gone(LineRow row) {
  row.gone = true;
  return row;
}

#define KESTRUNE_SCREEN_LINES(n, group)                                                   \
  GroupLine(Form::Screen, "screen" n, group), GroupLine(Form::Aspect, "aspect" n, group), \
      GroupLine(Form::Resolution, "resolution" n, group), GroupLine(Form::View, "view" n, group)

// Every line of mame.ini and of a game's file, in the order MAME's own files have them.
constexpr LineRow kLines[] = {
    Head("CORE SEARCH PATH OPTIONS"),
    Line(Form::Flag, "readconfig", Option::readconfig),
    Head("CORE SEARCH PATH OPTIONS"),
    PathLine("rompath", &MameFolders::RomPath),
    PathLine("samplepath", &MameFolders::SamplePath),
    PathLine("artpath", &MameFolders::ArtPath),
    {.form = Form::CtrlrPath, .key = "ctrlrpath", .defaultOptionsOnly = true},
    PathLine("inipath", &MameFolders::IniDir),
    PathLine("fontpath", &MameFolders::FontPath),
    Head("CORE OUTPUT DIRECTORY OPTIONS"),
    PathLine("cfg_directory", &MameFolders::CfgDir),
    PathLine("nvram_directory", &MameFolders::NvramDir),
    Gone(PathLine("memcard_directory", &MameFolders::MemcardDir)),
    PathLine("input_directory", &MameFolders::InpDir),
    PathLine("state_directory", &MameFolders::StateDir),
    PathLine("snapshot_directory", &MameFolders::SnapDir),
    PathLine("diff_directory", &MameFolders::DiffDir),
    FixedLine("comment_directory", "comments"),
    Head("CORE FILENAME OPTIONS"),
    Gone(FixedLine("cheat_file", "cheat.dat")),
    Head("CORE STATE/PLAYBACK OPTIONS"),
    UnsetLine("state"),
    Line(Form::Flag, "autosave", Option::autosavestate),
    UnsetLine("playback"),
    UnsetLine("record"),
    SaveFileLine("mngwrite", Option::savemng, Option::mngfile),
    SaveFileLine("wavwrite", Option::savesound, Option::soundfile),
    Head("CORE PERFORMANCE OPTIONS"),
    Line(Form::Flag, "autoframeskip", Option::autoframeskip),
    Line(Form::ChoiceIndex, "frameskip", Option::frameskip),
    Line(Form::Text, "seconds_to_run", Option::frames),
    Line(Form::Flag, "throttle", Option::throttle),
    Line(Form::Flag, "sleep", Option::sleep),
    Line(Form::Ratio, "speed", Option::speed),
    Line(Form::Flag, "refreshspeed", Option::refreshspeed),
    Head("CORE ROTATION OPTIONS"),
    Line(Form::Rotate, "rotate", Option::rotation),
    RotationLine("ror", kRotationClockwise),
    RotationLine("rol", kRotationAntiClockwise),
    RotationLine("autoror", kRotationAutoClockwise),
    RotationLine("autorol", kRotationAutoAntiClockwise),
    Line(Form::Flag, "flipx", Option::flipupdown),
    Line(Form::Flag, "flipy", Option::flipleftright),
    Head("CORE ARTWORK OPTIONS"),
    Line(Form::Flag, "artwork_crop", Option::artworkcrop),
    Gone(Line(Form::Flag, "use_backdrops", Option::backdrops)),
    Gone(Line(Form::Flag, "use_overlays", Option::overlays)),
    Gone(Line(Form::Flag, "use_bezels", Option::bezels)),
    Head("CORE SCREEN OPTIONS"),
    Line(Form::Ratio, "brightness", Option::brightness),
    Line(Form::Ratio, "contrast", Option::contrast),
    Line(Form::Ratio, "gamma", Option::gamma),
    Line(Form::Ratio, "pause_brightness", Option::pauzebright),
    Head("CORE VECTOR OPTIONS"),
    Gone(Line(Form::Flag, "antialias", Option::antivector)),
    // Today's MAME draws a beam between two widths and no longer knows "beam"; one width is both.
    Line(Form::Ratio, "beam_width_min", Option::beam),
    Line(Form::Ratio, "beam_width_max", Option::beam),
    Line(Form::Whole, "flicker", Option::flicker),
    Head("CORE SOUND OPTIONS"),
    Line(Form::Sound, "sound", Option::sound),
    ChoiceLine("samplerate", Option::samplerate, kSampleRateValues),
    Line(Form::Flag, "samples", Option::samples),
    Line(Form::Volume, "volume", Option::volume),
    Head("CORE INPUT OPTIONS"),
    Line(Form::Controller, "ctrlr", Option::controller),
    Line(Form::Flag, "mouse", Option::mouse),
    Line(Form::Flag, "joystick", Option::joystick),
    Line(Form::Flag, "lightgun", Option::lightgun),
    Line(Form::Flag, "multikeyboard", Option::multikeyboard),
    Line(Form::Flag, "multimouse", Option::multimouse),
    Line(Form::Flag, "offscreen_reload", Option::offscreen),
    Line(Form::Flag, "steadykey", Option::steadykey),
    Line(Form::JoystickMap, "joystick_map", Option::joystick_axes),
    Line(Form::Ratio, "joystick_deadzone", Option::deadzone),
    Line(Form::Ratio, "joystick_saturation", Option::saturation),
    Head("CORE INPUT AUTOMATIC ENABLE OPTIONS"),
    ChoiceLine("paddle_device", Option::paddle_controller, kDeviceValues),
    ChoiceLine("adstick_device", Option::adstick_controller, kDeviceValues),
    ChoiceLine("pedal_device", Option::pedal_controller, kDeviceValues),
    ChoiceLine("dial_device", Option::dial_controller, kDeviceValues),
    ChoiceLine("trackball_device", Option::trackball_controller, kDeviceValues),
    ChoiceLine("lightgun_device", Option::lightgun_controller, kDeviceValues),
    ChoiceLine("positional_device", Option::positional_controller, kDeviceValues),
    ChoiceLine("mouse_device", Option::mouse_controller, kDeviceValues),
    Head("CORE DEBUGGING OPTIONS"),
    Line(Form::Flag, "log", Option::errorlog),
    Line(Form::Flag, "verbose", Option::verbose),
    Head("CORE MISC OPTIONS"),
    FixedLine("bios", "default", true),
    Line(Form::Flag, "cheat", Option::cheats),
    Line(Form::Flag, "skip_gameinfo", Option::gameinfo),
    Head("WINDOWS DEBUGGING OPTIONS"),
    Line(Form::Flag, "oslog", Option::oslog),
    Head("WINDOWS PERFORMANCE OPTIONS"),
    Gone(Line(Form::Whole, "priority", Option::highpriority)),
    Gone(Line(Form::Flag, "multithreading", Option::multithreading)),
    Head("WINDOWS VIDEO OPTIONS"),
    ChoiceLine("video", Option::render, kRenderValues),
    Line(Form::ChoicePlusOne, "numscreens", Option::numscreens),
    Line(Form::Flag, "window", Option::runwin),
    Line(Form::Flag, "maximize", Option::maxwin),
    Line(Form::Flag, "keepaspect", Option::keepaspect),
    Line(Form::Prescale, "prescale", Option::prescale),
    Line(Form::Effect, "effect", Option::effect),
    Line(Form::Flag, "waitvsync", Option::waitvsync),
    Line(Form::Flag, "syncrefresh", Option::syncmonitor),
    Head("DIRECTDRAW-SPECIFIC OPTIONS"),
    Gone(Line(Form::Flag, "hwstretch", Option::stretch)),
    Head("DIRECT3D-SPECIFIC OPTIONS"),
    Gone(ChoiceLine("d3dversion", Option::directxversion, kDirectXVersionValues)),
    Line(Form::Flag, "filter", Option::ddfilter),
    Head("PER-WINDOW VIDEO OPTIONS"),
    KESTRUNE_SCREEN_LINES("", 0),
    KESTRUNE_SCREEN_LINES("0", 1),
    KESTRUNE_SCREEN_LINES("1", 2),
    KESTRUNE_SCREEN_LINES("2", 3),
    KESTRUNE_SCREEN_LINES("3", 4),
    Head("FULL SCREEN OPTIONS"),
    Gone(Line(Form::Flag, "triplebuffer", Option::triplebuffer)),
    Line(Form::Flag, "switchres", Option::switchres),
    Gone(Line(Form::Ratio, "full_screen_brightness", Option::fullbrightness)),
    Gone(Line(Form::Ratio, "full_screen_contrast", Option::fullcontrast)),
    Gone(Line(Form::Ratio, "full_screen_gamma", Option::fullgamma)),
    Head("WINDOWS SOUND OPTIONS"),
    Line(Form::Whole, "audio_latency", Option::latency),
    Head("INPUT DEVICE OPTIONS"),
    Gone(Line(Form::Flag, "dual_lightgun", Option::dual)),
    {.form = Form::OwnPaths, .key = "MAME INSTALLATION PATH OPTIONS", .defaultOptionsOnly = true},
    // Sections MAME lists without options of ours.
    Head("CORE COMMANDS"),
    Head("CONFIGURATION COMMANDS"),
    Head("FRONTEND COMMANDS"),
};

#undef KESTRUNE_SCREEN_LINES

struct FolderDefault {
  std::string MameFolders::*folder;
  std::string_view word;
};

constexpr FolderDefault kFolderDefaults[] = {
    {&MameFolders::RomPath, "roms"},    {&MameFolders::SamplePath, "samples"}, {&MameFolders::ArtPath, "artwork"},
    {&MameFolders::CtrlrPath, "ctrlr"}, {&MameFolders::IniDir, "ini"},         {&MameFolders::FontPath, "font"},
    {&MameFolders::SnapDir, "snap"},    {&MameFolders::CfgDir, "cfg"},         {&MameFolders::InpDir, "inp"},
    {&MameFolders::NvramDir, "nvram"},  {&MameFolders::DiffDir, "diff"},       {&MameFolders::MemcardDir, "memcard"},
    {&MameFolders::StateDir, "sta"},
};

std::string Padded(std::string_view key, std::size_t width) {
  std::string line(key);
  if (line.size() < width) {
    line.append(width - line.size(), ' ');
  }
  return line;
}

// A value ends at the end of its line: a line break or other control character in a typed text must
// not start a line of its own.
std::string OneLine(std::string_view value) {
  std::string text(value);
  std::replace_if(
      text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < ' '; }, ' ');
  return text;
}

std::string ValueLine(std::string_view key, std::string_view value) {
  return Padded(key, kValueColumn) += OneLine(value);
}

std::string QuotedLine(std::string_view key, std::string_view path) {
  return Padded(key, kValueColumn) += '"' + OneLine(path) + '"';
}

std::string UnsetCommentLine(std::string_view key) {
  return Padded("# " + std::string(key), kValueColumn) += kUnsetText;
}

std::optional<std::string_view> ValueAt(std::span<const std::string_view> values, int index) {
  if (index < 0 || index >= static_cast<int>(values.size())) {
    return std::nullopt;
  }
  return values[static_cast<std::size_t>(index)];
}

std::string Flag(bool checked) { return checked ? "1" : "0"; }

std::string AspectValue(const MameOptions& options, const ScreenGroup& group) {
  if (options.Flag(group.aspectAuto)) {
    return "auto";
  }
  return options.Text(group.aspectX) + ":" + options.Text(group.aspectY);
}

// A resolution list without a usable choice is written as "auto": an empty value is no display mode.
std::string ResolutionValue(const MameOptions& options, Option list) {
  const std::string text = options.Number(list) == 0 ? std::string() : options.ChoiceText(list);
  return text.empty() ? std::string("auto") : text;
}

std::string ScreenValue(const MameOptions& options, Option list) {
  const int choice = options.Number(list);
  return std::string(kScreenValues[static_cast<std::size_t>(choice == 0 || choice == 1 ? choice : 2)]);
}

// The value of a line, or nothing when the line is not written; an unset line is made by the caller.
std::optional<std::string> ScreenGroupValue(const LineRow& row, const MameOptions& options) {
  const ScreenGroup& group = ScreenGroups()[static_cast<std::size_t>(row.number)];
  switch (row.form) {
    case Form::Screen:
      return ScreenValue(options, group.screen);
    case Form::Aspect:
      return AspectValue(options, group);
    case Form::Resolution:
      return ResolutionValue(options, group.resolution);
    default: {
      const auto value = ValueAt(kViewValues, options.Number(group.view));
      return value ? std::optional<std::string>(*value) : std::nullopt;
    }
  }
}

void AppendHead(std::vector<std::string>& lines, std::string_view title) {
  lines.emplace_back();
  lines.emplace_back("#");
  lines.push_back("# " + std::string(title));
  lines.emplace_back("#");
}

// MAME looks for a controller file in each folder in turn: the front-end's own come first, then MAME's,
// each named once.
std::string CtrlrPathValue(const MameFolders& folders) {
  std::string value = folders.CtrlrPath;
  const std::vector<std::string> own = SearchPathFolders(folders.CtrlrPath);
  for (const std::string& folder : SearchPathFolders(MameOwnPath(folders.MameOwnPaths, kCtrlrPathKey))) {
    if (std::find(own.begin(), own.end(), folder) == own.end()) {
      value += (value.empty() ? "" : ";") + folder;
    }
  }
  return value;
}

void AppendOwnPaths(std::vector<std::string>& lines, std::string_view title, const MameFolders& folders) {
  bool headWritten = false;
  for (const MamePathOption& path : folders.MameOwnPaths) {
    if (path.key == kCtrlrPathKey) {
      continue;
    }
    if (!headWritten) {
      AppendHead(lines, title);
      headWritten = true;
    }
    lines.push_back(QuotedLine(path.key, path.value));
  }
}

void AppendOptionLine(std::vector<std::string>& lines, const LineRow& row, const MameOptions& options,
                      const MameFolders& folders) {
  const int number = options.Number(row.option);
  auto add = [&](std::string_view value) { lines.push_back(ValueLine(row.key, value)); };
  switch (row.form) {
    case Form::Head:
      AppendHead(lines, row.key);
      return;
    case Form::Flag:
      return add(Flag(options.Flag(row.option)));
    case Form::Sound:
      return add(options.Flag(row.option) ? kSoundOn : kSoundOff);
    case Form::Ratio:
      return add(RatioText(number, '.'));
    case Form::Whole:
    case Form::ChoiceIndex:
      return add(std::to_string(number));
    case Form::ChoicePlusOne:
      return add(std::to_string(number + 1));
    case Form::Path:
      lines.push_back(QuotedLine(row.key, folders.*row.folder));
      return;
    case Form::CtrlrPath:
      lines.push_back(QuotedLine(row.key, CtrlrPathValue(folders)));
      return;
    case Form::OwnPaths:
      return AppendOwnPaths(lines, row.key, folders);
    case Form::Fixed:
      return add(row.fixed);
    case Form::Unset:
      lines.push_back(UnsetCommentLine(row.key));
      return;
    case Form::SaveFile:
      lines.push_back(options.Flag(row.option) ? QuotedLine(row.key, options.Text(row.second))
                                               : UnsetCommentLine(row.key));
      return;
    case Form::Text:
      return add(options.Text(row.option));
    case Form::Choice:
      if (const auto value = ValueAt(row.values, number)) {
        add(*value);
      }
      return;
    case Form::Prescale:
      if (const auto value = ValueAt(kPrescaleValues, std::max(number, 1))) {
        add(*value);
      }
      return;
    case Form::Rotate:
      return add(Flag(number != kRotationNone));
    case Form::RotationIs:
      return add(Flag(number == row.number));
    case Form::Volume:
      return add(number < 32 ? "-" + std::to_string(32 - number) : std::string("0"));
    case Form::Controller:
      if (number == 0) {
        lines.push_back(UnsetCommentLine(row.key));
      } else if (const auto value = ValueAt(kControllerValues, number)) {
        add(*value);
      }
      return;
    case Form::JoystickMap:
      if (number == 0) {
        add("auto");
      } else if (number == 1) {
        add(options.Text(Option::joystick_custom_map));
      }
      return;
    case Form::Effect:
      return add(options.Text(row.option).empty() ? std::string("none") : options.Text(row.option));
    case Form::Screen:
    case Form::Aspect:
    case Form::Resolution:
    case Form::View:
      if (const auto value = ScreenGroupValue(row, options)) {
        add(*value);
      }
      return;
  }
}

// The key of an option line, or of one written as a comment ("# state   <NULL> (not set)").
std::string_view LineKey(std::string_view line) {
  line = platform::TrimBlanks(line);
  while (!line.empty() && (line.front() == '#' || line.front() == ' ' || line.front() == '\t')) {
    line.remove_prefix(1);
  }
  return line.substr(0, line.find_first_of(" \t"));
}

// A line that sets an option: it starts with an option's name. A byte-order mark (MAME starts its own
// files with one) or any other text is no option, and MAME loops forever on a mark in mid-file.
bool IsOptionLine(std::string_view line) {
  line = platform::TrimBlanks(line);
  const auto first = line.empty() ? '\0' : line.front();
  return (first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z') || (first >= '0' && first <= '9') ||
         first == '_';
}

// Keys the reader takes for one of the dialog's values although the writer writes them under another
// name: a line of the user's with one of them would otherwise override what the dialog wrote.
constexpr std::string_view kReadAliases[] = {"beam", "joy_deadzone", "joy_saturation"};

// A fixed line that the user's file already sets keeps the user's line: the dialog has no control for it.
const std::string* UserFixedLine(const LineRow& row, const std::vector<std::string>& old) {
  if (row.form != Form::Fixed) return nullptr;
  const auto found =
      std::find_if(old.rbegin(), old.rend(), [&row](const std::string& line) { return SetsOption(line, row.key); });
  return found == old.rend() ? nullptr : &*found;
}

// An unset option as the writer writes it: "# key", blanks, "<NULL> (not set)".
bool IsUnsetLine(std::string_view line) {
  return line.starts_with('#') && platform::TrimBlanks(line).ends_with(kUnsetText);
}

// The option a line of the file sets, as an option line or as the writer's unset line; empty for a
// comment, a section or a blank line.
std::string OwnedKey(std::string_view line) {
  return IsOptionLine(line) || IsUnsetLine(line) ? std::string(LineKey(line)) : std::string();
}

// The keys whose lines the writer writes from the dialog's values in this mode. Every other option line
// of the user's file is the user's own and is kept.
std::unordered_set<std::string> ManagedKeys(OptionsMode mode, const MameFolders& folders) {
  std::unordered_set<std::string> keys;
  for (const std::string_view alias : kReadAliases) keys.emplace(alias);
  for (const LineRow& row : kLines) {
    if (row.defaultOptionsOnly && mode != OptionsMode::DefaultOptions) continue;
    if (row.form == Form::OwnPaths) {
      for (const MamePathOption& path : folders.MameOwnPaths) keys.insert(path.key);
    } else if (row.form != Form::Head) {
      keys.emplace(row.key);
    }
  }
  return keys;
}

// Names that MAME takes for one option: a file may set it under either.
constexpr std::pair<std::string_view, std::string_view> kSameOption[] = {{"joy_deadzone", "joystick_deadzone"},
                                                                         {"joy_saturation", "joystick_saturation"}};

// The last line of the replaced file for each option (MAME takes the last).
class ReplacedLines {
 public:
  explicit ReplacedLines(const std::vector<std::string>& old) {
    for (const std::string& line : old) {
      if (std::string key = OwnedKey(line); !key.empty()) last_[std::move(key)] = &line;
    }
  }
  const std::string* Find(std::string_view key) const {
    if (key.empty()) return nullptr;
    if (const auto found = last_.find(std::string(key)); found != last_.end()) return found->second;
    for (const auto& [one, other] : kSameOption) {
      const std::string_view alias = key == one ? other : key == other ? one : std::string_view();
      if (const auto found = last_.find(std::string(alias)); !alias.empty() && found != last_.end()) {
        return found->second;
      }
    }
    return nullptr;
  }

 private:
  std::unordered_map<std::string, const std::string*> last_;
};

// The ini, input and snapshot folders are the program's own: MAME must use them whatever the file held.
bool IsProgramFolder(const LineRow& row) {
  return row.form == Form::Path && (row.folder == &MameFolders::IniDir || row.folder == &MameFolders::InpDir ||
                                    row.folder == &MameFolders::SnapDir);
}

// The dialog's values a line is written from; none for the folders and the fixed lines.
OptionSet RowOptions(const LineRow& row) {
  OptionSet values;
  const auto add = [&values](std::initializer_list<Option> options) {
    for (const Option option : options) values.set(static_cast<std::size_t>(Index(option)));
  };
  const auto group = [&row] { return ScreenGroups()[static_cast<std::size_t>(row.number)]; };
  switch (row.form) {
    case Form::Head:
    case Form::Path:
    case Form::CtrlrPath:
    case Form::OwnPaths:
    case Form::Fixed:
    case Form::Unset:
      break;
    case Form::SaveFile:
      add({row.option, row.second});
      break;
    case Form::JoystickMap:
      add({Option::joystick_axes, Option::joystick_custom_map});
      break;
    case Form::Screen:
      add({group().screen});
      break;
    case Form::Aspect:
      add({group().aspectAuto, group().aspectX, group().aspectY});
      break;
    case Form::Resolution:
      add({group().resolution});
      break;
    case Form::View:
      add({group().view});
      break;
    default:
      add({row.option});
      break;
  }
  return values;
}

// Where the values shown were read from: the replaced file's lines, and for a game's file then those of the
// files MAME reads before it (the last line of a key is the nearest file's).
class LinesAsRead {
 public:
  LinesAsRead(const std::vector<std::string>& old, const std::vector<std::string>& chain) : old_(old), chain_(chain) {}
  const std::string* Find(std::string_view key) const {
    const std::string* line = old_.Find(key);
    return line != nullptr ? line : chain_.Find(key);
  }

 private:
  ReplacedLines old_;
  ReplacedLines chain_;
};

// Whether a line stands as it was read: the user set none of the values it is written from, or, when
// what the user set is not known, the values are still those read.
bool StandsAsRead(const LineRow& row, const std::vector<std::string>& now, const ValuesAsRead& asRead,
                  const OptionSet* setByUser) {
  const OptionSet values = RowOptions(row);
  if (setByUser != nullptr && values.any()) {
    return (values & *setByUser).none();
  }
  std::vector<std::string> was;
  AppendOptionLine(was, row, asRead.options, asRead.folders);
  return now == was;
}

// A line that stands as it was read is the line its value came from, byte for byte: a value that a control
// cannot show (beyond a slider's range, not in a list, not a number) and the user's spacing stay until
// the user sets the control, and a game's file gives MAME what the files it reads before that one gave it.
void AppendOptionLineAsRead(std::vector<std::string>& lines, const LineRow& row, const MameOptions& options,
                            const MameFolders& folders, const ValuesAsRead& asRead, const LinesAsRead& read,
                            const OptionSet* setByUser) {
  std::vector<std::string> now;
  AppendOptionLine(now, row, options, folders);
  if (row.form == Form::Head || IsProgramFolder(row) || !StandsAsRead(row, now, asRead, setByUser)) {
    lines.insert(lines.end(), now.begin(), now.end());
    return;
  }
  if (now.empty()) {
    if (const std::string* kept = read.Find(row.key)) lines.push_back(*kept);
    return;
  }
  for (const std::string& line : now) {
    const std::string* kept = read.Find(OwnedKey(line));
    lines.push_back(kept != nullptr ? *kept : line);
  }
}

// Stands for the end of the file among the options a user's line followed.
constexpr std::string_view kEndOfFile = "\n";

std::string_view WithoutMark(std::string_view line) { return line.starts_with("\xEF\xBB\xBF") ? line.substr(3) : line; }

bool IsBlankLine(std::string_view line) { return platform::TrimBlanks(line).empty(); }

// A section head as MAME and the writer write it: "#", "# TITLE" in capitals, "#". A user's framed note
// in small letters is no head.
bool IsHeadAt(const std::vector<std::string>& old, std::size_t i) {
  if (i + 2 >= old.size() || WithoutMark(old[i]) != "#" || old[i + 2] != "#" || !old[i + 1].starts_with("# ")) {
    return false;
  }
  return std::none_of(old[i + 1].begin(), old[i + 1].end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

// The title the writer writes, or the byte-order mark that MAME's own file starts with.
bool IsTitleLine(std::string_view line, std::size_t at) {
  const std::string_view text = WithoutMark(line);
  return (text.starts_with("### ") && text.ends_with(" ###")) ||
         (at == 0 && text.size() < line.size() && (text.empty() || text == "#"));
}

// The user's own lines of the replaced file, in groups that travel together: the comment lines (and
// sections, blank lines, anything the writer does not know) before the option line of ours they
// preceded, and each option line of the user's own with the comment lines before it after the option of
// ours it followed. MAME's and the writer's section heads and title are the writer's.
class UserLines {
 public:
  UserLines(const std::vector<std::string>& old, const std::unordered_set<std::string>& managed) {
    std::size_t lastManaged = 0;
    for (std::size_t i = 0; i < old.size(); ++i) {
      if (managed.contains(OwnedKey(old[i]))) lastManaged = i + 1;
    }
    std::string anchor;
    std::vector<std::string> pending;
    for (std::size_t i = 0; i < old.size(); ++i) {
      const std::string& line = old[i];
      const std::string key = OwnedKey(line);
      if (!key.empty() && managed.contains(key)) {
        Add(true, key, pending);
        anchor = key;
        continue;
      }
      if (IsOptionLine(line)) {
        pending.push_back(line);
        Add(false, anchor, pending);
        continue;
      }
      // Past our last option and the blank or comment line after it: the rest was added at the end.
      if (i >= lastManaged && lastManaged > 0) anchor = kEndOfFile;
      if (IsHeadAt(old, i)) {
        while (!pending.empty() && IsBlankLine(pending.back())) pending.pop_back();
        i += 2;
      } else if (!IsTitleLine(line, i)) {
        pending.push_back(line);
      }
    }
    while (!pending.empty() && IsBlankLine(pending.back())) pending.pop_back();
    Add(false, std::string(kEndOfFile), pending);
  }

  // Appends the group and forgets it.
  void Place(std::vector<std::string>& lines, bool before, const std::string& key) {
    const auto found = index_.find({before, key});
    if (found == index_.end()) return;
    std::vector<std::string>& group = groups_[found->second].lines;
    lines.insert(lines.end(), group.begin(), group.end());
    group.clear();
  }

  // The groups not placed yet, in the order of the file.
  void PlaceRest(std::vector<std::string>& lines) {
    for (Group& group : groups_) {
      lines.insert(lines.end(), group.lines.begin(), group.lines.end());
      group.lines.clear();
    }
  }

 private:
  struct Group {
    std::vector<std::string> lines;
  };

  void Add(bool before, const std::string& key, std::vector<std::string>& lines) {
    if (lines.empty()) return;
    auto [found, added] = index_.try_emplace({before, key}, groups_.size());
    if (added) groups_.emplace_back();
    std::vector<std::string>& group = groups_[found->second].lines;
    group.insert(group.end(), lines.begin(), lines.end());
    lines.clear();
  }

  std::vector<Group> groups_;
  std::map<std::pair<bool, std::string>, std::size_t> index_;
};

// Puts the user's own lines back into the written lines: comments before the option line they preceded,
// the user's own option lines after the option they followed, those at the top after the title, and
// those after the last option of ours (or whose option is no longer written) after all of the writer's
// own lines.
std::vector<std::string> WithUserLines(const std::vector<std::string>& written, const std::vector<std::string>& old,
                                       const std::unordered_set<std::string>& managed) {
  UserLines user(old, managed);
  std::vector<std::string> lines;
  lines.reserve(written.size() + old.size());
  for (std::size_t i = 0; i < written.size(); ++i) {
    const std::string key = i == 0 ? std::string() : OwnedKey(written[i]);
    const bool ours = !key.empty() && managed.contains(key);
    if (ours) user.Place(lines, true, key);
    lines.push_back(written[i]);
    if (i == 0) user.Place(lines, false, std::string());
    if (ours) user.Place(lines, false, key);
  }
  const bool endsEmpty = !lines.empty() && lines.back().empty();
  if (endsEmpty) lines.pop_back();
  user.PlaceRest(lines);
  if (endsEmpty) lines.emplace_back();
  return lines;
}

// The lines of the file the writer is about to replace, as they stand. A file that is there but cannot
// be read is not replaced: what the user has in it would be lost.
bool ReadReplacedFile(const std::filesystem::path& target, std::vector<std::string>& lines, std::string* error) {
  if (platform::NothingAt(target)) {
    return true;
  }
  std::string readError;
  if (ReadOptionFileLines(target, lines, &readError)) {
    return true;
  }
  if (error != nullptr) {
    *error = readError + "\nIt was not saved over and is left as it is.";
  }
  return false;
}

struct PendingFile {
  std::filesystem::path target;
  std::string data;
};

// A folder standing where a file goes would stop the renames half-way through the set; it is found
// before anything is written.
bool IsFolder(const std::filesystem::path& target, std::string* error) {
  std::error_code ignored;
  if (!std::filesystem::is_directory(target, ignored)) {
    return false;
  }
  if (error != nullptr) {
    *error = "Cannot replace \"" + target.string() + "\": " + std::make_error_code(std::errc::is_a_directory).message();
  }
  return true;
}

void DiscardAll(const std::vector<platform::StagedFile>& staged, std::size_t from) {
  for (std::size_t i = from; i < staged.size(); ++i) {
    platform::DiscardStagedFile(staged[i]);
  }
}

// Writes every file aside first and puts them in place only when all of them were written whole. Each
// file is saved as a single atomic save would save it: through its link, with its permission bits, and
// a read-only one is refused before any file of the set is replaced.
bool WriteFilesTogether(const std::vector<PendingFile>& files, std::string* error) {
  for (const PendingFile& file : files) {
    if (IsFolder(file.target, error)) {
      return false;
    }
  }
  std::vector<platform::StagedFile> staged;
  for (const PendingFile& file : files) {
    platform::StagedFile stage;
    if (!platform::StageFile(file.target, file.data, stage, error)) {
      DiscardAll(staged, 0);
      return false;
    }
    staged.push_back(std::move(stage));
  }
  for (std::size_t i = 0; i < staged.size(); ++i) {
    if (!platform::CommitStagedFile(staged[i], error)) {
      DiscardAll(staged, i + 1);
      return false;
    }
  }
  return true;
}

PendingFile NewBiosFile(const BiosFile& file, const MameOptions& options, const std::string& iniDir) {
  return {std::filesystem::path(iniDir) / file.fileName, platform::JoinLinesCrLf(BiosIniLines(file, options))};
}

// A BIOS file as the choice leaves it. A missing one is written whole; one that is there keeps every
// byte but those of its bios line. A choice that names no set leaves the file as it is, and a file that
// is there but cannot be read is not written over.
bool AddBiosFile(const BiosFile& file, const MameOptions& options, const std::string& iniDir,
                 std::vector<PendingFile>& files, std::string* error) {
  const std::filesystem::path target = std::filesystem::path(iniDir) / file.fileName;
  if (platform::NothingAt(target)) {
    files.push_back(NewBiosFile(file, options, iniDir));
    return true;
  }
  const std::optional<std::string> value = BiosValueOf(options, file.control, options.Number(file.control));
  if (!value) return true;
  std::vector<std::string> checked;
  std::string text;
  if (!ReadReplacedFile(target, checked, error)) return false;
  if (!platform::ReadWholeFile(target, text, error)) {
    if (error != nullptr) *error += "\nIt was not saved over and is left as it is.";
    return false;
  }
  files.push_back({target, WithBiosLine(text, ValueLine("bios", *value))});
  return true;
}

bool IsKnownMode(OptionsMode mode) { return mode == OptionsMode::DefaultOptions || mode == OptionsMode::GameOptions; }

}  // namespace

std::optional<int> WholeNumber(std::string_view text) {
  if (text.starts_with('+') && !text.substr(1).starts_with('-')) {
    text.remove_prefix(1);
  }
  int value = 0;
  const char* last = text.data() + text.size();
  const auto [end, ec] = std::from_chars(text.data(), last, value);
  if (text.empty() || ec != std::errc() || end != last) {
    return std::nullopt;
  }
  return value;
}

std::string CommaToDot(std::string_view text) {
  std::string out(text);
  std::replace(out.begin(), out.end(), ',', '.');
  return out;
}

bool IsSafeRomName(std::string_view romname) {
  return !romname.empty() && romname != "." && romname != ".." && romname.find('/') == std::string_view::npos &&
         romname.find('\\') == std::string_view::npos && romname.find('\0') == std::string_view::npos;
}

bool CheckOptionsRequest(OptionsMode mode, std::string_view romname, std::string* error) {
  if (!IsKnownMode(mode)) {
    if (error != nullptr) {
      *error = "Unknown options mode " + std::to_string(static_cast<int>(mode));
    }
    return false;
  }
  if (mode == OptionsMode::GameOptions && !IsSafeRomName(romname)) {
    if (error != nullptr) {
      *error = "\"" + std::string(romname) + "\" is not a game's name";
    }
    return false;
  }
  return true;
}

std::filesystem::path MameIniPath(OptionsMode mode, const MameFolders& folders, std::string_view romname) {
  if (mode == OptionsMode::DefaultOptions) {
    return std::filesystem::path(folders.FrontDir) / "mame.ini";
  }
  return std::filesystem::path(folders.IniDir) / (std::string(romname) + ".ini");
}

bool PrepareOptionsForWriting(OptionsMode mode, MameOptions& options, MameFolders& folders, std::string* error) {
  const std::string& framesText = options.Text(Option::frames);
  const std::optional<int> frames = framesText.empty() ? std::optional<int>(0) : WholeNumber(framesText);
  if (!frames) {
    if (error != nullptr) {
      *error = "'" + framesText + "' is not a valid integer value";
    }
    return false;
  }
  options.SetText(Option::frames, std::to_string(*frames));
  for (const ScreenGroup& group : ScreenGroups()) {
    if (options.Text(group.aspectX).empty()) {
      options.SetText(group.aspectX, "4");
    }
    if (options.Text(group.aspectY).empty()) {
      options.SetText(group.aspectY, "3");
    }
  }
  if (mode == OptionsMode::DefaultOptions) {
    for (const FolderDefault& entry : kFolderDefaults) {
      std::string& value = folders.*entry.folder;
      if (value.empty()) {
        value = DefaultFolder(folders, entry.word);
      }
    }
  }
  return true;
}

std::optional<ValuesAsRead> ReadValuesAsRead(OptionsMode mode, const MameOptions& options, const MameFolders& folders,
                                             std::string_view romname, const IniChain& chain) {
  ValuesAsRead read{options, folders, {}};
  if (!ReadMameIni(mode, read.options, read.folders, romname, nullptr, nullptr, chain) ||
      !PrepareOptionsForWriting(mode, read.options, read.folders, nullptr)) {
    return std::nullopt;
  }
  if (mode == OptionsMode::GameOptions) read.chainLines = ReadChainLinesBefore(folders, chain, romname);
  return read;
}

std::vector<std::string> MameIniLines(OptionsMode mode, const MameOptions& options, const MameFolders& folders,
                                      std::string_view romname, const std::vector<std::string>& old,
                                      const ValuesAsRead* asRead, const OptionSet* setByUser) {
  static const std::vector<std::string> kNoLines;
  const std::vector<std::string>& chain = asRead != nullptr ? asRead->chainLines : kNoLines;
  const LinesAsRead read(old, chain);
  std::vector<std::string> lines;
  lines.reserve(300);
  lines.push_back(mode == OptionsMode::DefaultOptions ? std::string("### mame.ini ###")
                                                      : "### " + std::string(romname) + ".ini ###");
  for (const LineRow& row : kLines) {
    if ((row.defaultOptionsOnly || row.gone) && mode != OptionsMode::DefaultOptions) {
      continue;
    }
    if (const std::string* kept = UserFixedLine(row, old)) {
      lines.push_back(*kept);
    } else if (const std::string* given = UserFixedLine(row, chain)) {
      lines.push_back(*given);
    } else if (asRead != nullptr) {
      AppendOptionLineAsRead(lines, row, options, folders, *asRead, read, setByUser);
    } else {
      AppendOptionLine(lines, row, options, folders);
    }
  }
  lines.emplace_back();
  return old.empty() ? lines : WithUserLines(lines, old, ManagedKeys(mode, folders));
}

bool IsWrittenKey(std::string_view key) {
  static const std::unordered_set<std::string> keys = [] {
    MameFolders folders;
    return ManagedKeys(OptionsMode::DefaultOptions, folders);
  }();
  return keys.contains(std::string(key));
}

std::vector<std::string> GoneOptionKeys() {
  std::vector<std::string> keys;
  for (const LineRow& row : kLines) {
    if (row.gone) keys.emplace_back(row.key);
  }
  return keys;
}

std::string_view WithoutByteOrderMark(std::string_view text) {
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  return text;
}

bool SetsOption(std::string_view line, std::string_view key) { return IsOptionLine(line) && LineKey(line) == key; }

std::vector<std::string> BiosIniLines(const BiosFile& file, const MameOptions& options) {
  std::vector<std::string> lines{std::string(file.firstLine), std::string(), "### Mame CORE misc options ###"};
  if (const auto value = BiosValueOf(options, file.control, options.Number(file.control))) {
    lines.push_back(ValueLine("bios", *value));
  }
  return lines;
}

std::string WithBiosLine(std::string_view text, std::string_view biosLine) {
  std::size_t from = std::string_view::npos;
  std::size_t to = std::string_view::npos;
  std::string_view lineEnd;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(platform::FindLineEnd(text, start), text.size());
    std::string_view line = text.substr(start, end - start);
    // MAME's own files start with a byte-order mark, which is not part of the first line's key.
    const std::size_t keyAt = start == 0 ? line.size() - WithoutByteOrderMark(line).size() : 0;
    line.remove_prefix(keyAt);
    // MAME takes the last line that sets an option.
    if (SetsOption(line, "bios")) {
      from = start + keyAt;
      to = end;
    }
    std::size_t next = end;
    if (next < text.size()) next += text.compare(next, 2, "\r\n") == 0 ? 2 : 1;
    if (lineEnd.empty()) lineEnd = text.substr(end, next - end);
    start = next;
  }
  if (from != std::string_view::npos) {
    return std::string(text.substr(0, from)).append(biosLine).append(text.substr(to));
  }
  // A file without a bios line gets one at its end, with the line end the file uses.
  if (lineEnd.empty()) lineEnd = "\r\n";
  std::string out(text);
  if (!out.empty() && out.back() != '\n' && out.back() != '\r') out.append(lineEnd);
  return out.append(biosLine).append(lineEnd);
}

bool WriteMameIni(OptionsMode mode, MameOptions& options, MameFolders& folders, std::string_view romname,
                  std::string* error, const OptionSet* setByUser, const IniChain& chain) {
  if (!CheckOptionsRequest(mode, romname, error)) {
    return false;
  }
  if (!PrepareOptionsForWriting(mode, options, folders, error)) {
    return false;
  }
  const std::filesystem::path target = MameIniPath(mode, folders, romname);
  std::vector<std::string> old;
  if (!ReadReplacedFile(target, old, error)) {
    return false;
  }
  // A game's new file still has what the files MAME reads before it give the game to keep.
  const std::optional<ValuesAsRead> asRead = old.empty() && mode == OptionsMode::DefaultOptions
                                                 ? std::nullopt
                                                 : ReadValuesAsRead(mode, options, folders, romname, chain);
  std::vector<PendingFile> files;
  files.push_back({target, platform::JoinLinesCrLf(MameIniLines(mode, options, folders, romname, old,
                                                                asRead ? &*asRead : nullptr, setByUser))});
  if (mode == OptionsMode::DefaultOptions) {
    for (const BiosFile& file : BiosFiles()) {
      // A BIOS choice that the user left as its file gave it stays in the file as the user has it.
      const bool unchanged = setByUser != nullptr
                                 ? !setByUser->test(static_cast<std::size_t>(Index(file.control)))
                                 : asRead && asRead->options.Number(file.control) == options.Number(file.control);
      std::error_code ec;
      if ((!unchanged || !std::filesystem::is_regular_file(std::filesystem::path(folders.IniDir) / file.fileName, ec)) &&
          !AddBiosFile(file, options, folders.IniDir, files, error)) {
        return false;
      }
    }
  }
  return WriteFilesTogether(files, error);
}

bool WriteBiosInis(const MameOptions& options, const std::string& iniDir, std::string* error) {
  std::vector<PendingFile> files;
  for (const BiosFile& file : BiosFiles()) {
    if (!AddBiosFile(file, options, iniDir, files, error)) return false;
  }
  return WriteFilesTogether(files, error);
}

bool WriteMissingBiosInis(const MameOptions& options, const std::string& iniDir, std::string* error) {
  std::vector<PendingFile> files;
  for (const BiosFile& file : BiosFiles()) {
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::path(iniDir) / file.fileName, ec)) {
      files.push_back(NewBiosFile(file, options, iniDir));
    }
  }
  return WriteFilesTogether(files, error);
}

}  // namespace kestrune::settings
