#include "settings/option_file_reader.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <system_error>
#include <utility>

#include "platform/code_pages.h"
#include "platform/text_file.h"
#include "settings/option_file_writer.h"
#include "settings/preference_values.h"

namespace kestrune::settings {
namespace {

enum class Test : std::uint8_t { StartsWith, Holds };

enum class Effect : std::uint8_t {
  Flag,         // checked when the value is "1"
  Sound,        // unchecked when the value is "none" or "0", else checked
  Video,        // a video mode of today's MAME, or an old Windows one as OpenGL
  RomPath,      // the ROM folder, without its quotes
  SaveFile,     // check box `option` and file edit `second`; `fixed` names the default file
  Number,       // a whole number plus `number`
  Frames,       // the text, when it is a whole number
  Text,         // the text as it stands
  Ratio,        // a slider position from a ratio
  Flicker,      // a slider position from a decimal, not scaled
  Choice,       // the index of the value in `values`; `number` for any other value (-1: unchanged)
  Rotate,       // "0" chooses "None", anything else "Default"
  RotationIs,   // "1" chooses rotation `number`
  Aspect,       // screen group `number`
  Resolution,   // screen group `number`
  Controller,   // the unset line chooses "Keyboard"
  JoystickMap,  // "auto" or a custom map
};

struct ReadRow {
  Test test;
  std::string_view text;
  Effect effect;
  Option option = Option::runwin;
  Option second = Option::runwin;
  int number = 0;
  std::span<const std::string_view> values = {};
  std::string_view fixed = {};
  std::span<const std::string_view> oldValues = {};  // older names of `values`, item for item
};

constexpr int kUnchanged = -1;

constexpr ReadRow Starts(std::string_view text, Effect effect, Option option = Option::runwin, int number = 0) {
  return {.test = Test::StartsWith, .text = text, .effect = effect, .option = option, .number = number};
}
constexpr ReadRow FlagRow(std::string_view text, Option option) { return Starts(text, Effect::Flag, option); }
constexpr ReadRow ChoiceRow(std::string_view text, Option option, std::span<const std::string_view> values,
                            int otherwise = kUnchanged, std::span<const std::string_view> oldValues = {}) {
  return {.test = Test::StartsWith,
          .text = text,
          .effect = Effect::Choice,
          .option = option,
          .number = otherwise,
          .values = values,
          .oldValues = oldValues};
}
constexpr ReadRow SaveFileRow(std::string_view key, Option box, Option file, std::string_view defaultFile) {
  return {.test = Test::Holds,
          .text = key,
          .effect = Effect::SaveFile,
          .option = box,
          .second = file,
          .fixed = defaultFile};
}

constexpr std::array<std::string_view, 2> kFilterValues{"0", "1"};

#define KESTRUNE_SCREEN_ROWS(text, n, group)                                                \
  ChoiceRow("screen" text, Option::screenshow##n, kScreenValues, 2, kWindowsScreenValues), \
      Starts("aspect" text, Effect::Aspect, Option::aspect##n##auto, group),                \
      Starts("resolution" text, Effect::Resolution, Option::ressize##n, group),             \
      ChoiceRow("view" text, Option::view##n, kViewValues, 0)

// The tests in the order they are tried; the first that matches handles the line. The texts are
// prefixes as they stand, trailing blanks included ("cheat " is not "cheat_file").
constexpr ReadRow kRows[] = {
    FlagRow("readconfig", Option::readconfig),
    FlagRow("skip_game", Option::gameinfo),
    Starts("rompath", Effect::RomPath),
    FlagRow("cheat ", Option::cheats),
    FlagRow("autosave", Option::autosavestate),
    SaveFileRow("mngwrite", Option::savemng, Option::mngfile, "movieclip.mng"),
    SaveFileRow("wavwrite", Option::savesound, Option::soundfile, "soundclip.wav"),
    FlagRow("log", Option::errorlog),
    FlagRow("oslog", Option::oslog),
    FlagRow("verbose", Option::verbose),
    FlagRow("autoframeskip", Option::autoframeskip),
    Starts("frameskip", Effect::Number, Option::frameskip),
    Starts("seconds_to", Effect::Frames, Option::frames),
    FlagRow("thro", Option::throttle),
    FlagRow("sleep ", Option::sleep),
    Starts("speed ", Effect::Ratio, Option::speed),
    FlagRow("refreshspeed", Option::refreshspeed),
    Starts("priority", Effect::Number, Option::highpriority),
    FlagRow("multithreading", Option::multithreading),
    Starts("video ", Effect::Video, Option::render),
    Starts("numscreens", Effect::Number, Option::numscreens, -1),
    FlagRow("window", Option::runwin),
    FlagRow("maximi", Option::maxwin),
    FlagRow("keep", Option::keepaspect),
    ChoiceRow("prescale", Option::prescale, kPrescaleValues),
    Starts("effect", Effect::Text, Option::effect),
    Starts("pause_br", Effect::Ratio, Option::pauzebright),
    FlagRow("waitvsync", Option::waitvsync),
    FlagRow("syncrefresh", Option::syncmonitor),
    // "rotate" comes first in every file, so the lines after it can name a direction.
    Starts("rotate ", Effect::Rotate, Option::rotation),
    Starts("ror", Effect::RotationIs, Option::rotation, kRotationClockwise),
    Starts("rol", Effect::RotationIs, Option::rotation, kRotationAntiClockwise),
    Starts("autoror", Effect::RotationIs, Option::rotation, kRotationAutoClockwise),
    Starts("autorol", Effect::RotationIs, Option::rotation, kRotationAutoAntiClockwise),
    FlagRow("flipx", Option::flipupdown),
    FlagRow("flipy", Option::flipleftright),
    FlagRow("hwstretch", Option::stretch),
    ChoiceRow("d3dversion", Option::directxversion, kDirectXVersionValues, 1),
    ChoiceRow("filter", Option::ddfilter, kFilterValues, 1),
    KESTRUNE_SCREEN_ROWS(" ", , 0),
    KESTRUNE_SCREEN_ROWS("0", 0, 1),
    KESTRUNE_SCREEN_ROWS("1", 1, 2),
    KESTRUNE_SCREEN_ROWS("2", 2, 3),
    KESTRUNE_SCREEN_ROWS("3", 3, 4),
    FlagRow("triplebuffer", Option::triplebuffer),
    FlagRow("switchr", Option::switchres),
    Starts("full_screen_brightness", Effect::Ratio, Option::fullbrightness),
    Starts("full_screen_contrast", Effect::Ratio, Option::fullcontrast),
    Starts("full_screen_gamma", Effect::Ratio, Option::fullgamma),
    Starts("brig", Effect::Ratio, Option::brightness),
    Starts("contrast", Effect::Ratio, Option::contrast),
    Starts("gamma", Effect::Ratio, Option::gamma),
    FlagRow("anti", Option::antivector),
    // Older files have one width, today's MAME two (the later line wins); its other beam_ options
    // (dot size, intensity weight) are no width.
    Starts("beam ", Effect::Ratio, Option::beam),
    Starts("beam_width_min ", Effect::Ratio, Option::beam),
    Starts("beam_width_max ", Effect::Ratio, Option::beam),
    Starts("flic", Effect::Flicker, Option::flicker),
    FlagRow("artwork_c", Option::artworkcrop),
    FlagRow("use_ba", Option::backdrops),
    FlagRow("use_ov", Option::overlays),
    FlagRow("use_be", Option::bezels),
    Starts("soun", Effect::Sound, Option::sound),
    ChoiceRow("sampler", Option::samplerate, kSampleRateValues),
    FlagRow("samples", Option::samples),
    Starts("vol", Effect::Number, Option::volume, 32),
    Starts("aud", Effect::Number, Option::latency),
    {.test = Test::Holds, .text = "ctrlr ", .effect = Effect::Controller, .option = Option::controller},
    FlagRow("mouse ", Option::mouse),
    FlagRow("joystick ", Option::joystick),
    FlagRow("lightgun ", Option::lightgun),
    FlagRow("multikeyboard", Option::multikeyboard),
    FlagRow("multimouse", Option::multimouse),
    FlagRow("dual", Option::dual),
    FlagRow("offscreen", Option::offscreen),
    FlagRow("steady", Option::steadykey),
    // Today's MAME and the writer use the long names; older files hold the short ones MAME still reads.
    Starts("joy_deadzone", Effect::Ratio, Option::deadzone),
    Starts("joystick_deadzone", Effect::Ratio, Option::deadzone),
    Starts("joy_saturation", Effect::Ratio, Option::saturation),
    Starts("joystick_saturation", Effect::Ratio, Option::saturation),
    Starts("joystick_map", Effect::JoystickMap, Option::joystick_axes),
    ChoiceRow("paddle_dev", Option::paddle_controller, kDeviceValues),
    ChoiceRow("adstick_dev", Option::adstick_controller, kDeviceValues),
    ChoiceRow("pedal_dev", Option::pedal_controller, kDeviceValues),
    ChoiceRow("dial_dev", Option::dial_controller, kDeviceValues),
    ChoiceRow("trackball_dev", Option::trackball_controller, kDeviceValues),
    ChoiceRow("lightgun_dev", Option::lightgun_controller, kDeviceValues),
    ChoiceRow("positional_dev", Option::positional_controller, kDeviceValues),
    ChoiceRow("mouse_dev", Option::mouse_controller, kDeviceValues),
};

#undef KESTRUNE_SCREEN_ROWS

// The key of an option line, or of a comment line "# key ...", with what follows it.
std::string_view FromKey(std::string_view line) {
  while (!line.empty() && (line.front() == '#' || line.front() == ' ')) {
    line.remove_prefix(1);
  }
  return line;
}

// A "holds" test looks for its key in the set and the unset form of the line, never inside a value, so a
// folder named "mngwrite" does not switch on movie recording.
bool Matches(const ReadRow& row, std::string_view line) {
  return row.test == Test::StartsWith ? line.starts_with(row.text) : FromKey(line).starts_with(row.text);
}

// Rounds half to even, into the range of a slider's int without overflow.
int RoundedPosition(double value) { return static_cast<int>(std::nearbyint(std::clamp(value, -1.0e9, 1.0e9))); }

// The value without the double quotes around it; a value that opens a quote and does not close it
// loses only the opening one.
std::string Unquoted(std::string_view value) {
  if (value.starts_with('"')) {
    value.remove_prefix(1);
    if (value.ends_with('"')) {
      value.remove_suffix(1);
    }
  }
  return std::string(value);
}

void SetChoice(const ReadRow& row, MameOptions& options, std::string_view value) {
  auto found = std::find(row.values.begin(), row.values.end(), value);
  if (found == row.values.end()) {
    const auto old = std::find(row.oldValues.begin(), row.oldValues.end(), value);
    if (old != row.oldValues.end()) found = row.values.begin() + (old - row.oldValues.begin());
  }
  if (found != row.values.end()) {
    options.SetNumber(row.option, static_cast<int>(found - row.values.begin()));
  } else if (row.number != kUnchanged) {
    options.SetNumber(row.option, row.number);
  }
}

void SetSaveFile(const ReadRow& row, LineTarget& target, std::string_view value) {
  if (value.starts_with('<')) {
    target.options.SetFlag(row.option, false);
    target.options.SetText(row.second, std::string());
    return;
  }
  std::string file = Unquoted(value);
  if (file.empty()) {
    file = target.frontDir + std::string(row.fixed);
  }
  target.options.SetFlag(row.option, true);
  target.options.SetText(row.second, std::move(file));
}

void SetAspect(const ScreenGroup& group, MameOptions& options, std::string_view value) {
  if (value == "auto") {
    options.SetFlag(group.aspectAuto, true);
    options.SetText(group.aspectX, std::string());
    options.SetText(group.aspectY, std::string());
    return;
  }
  // Both sides are kept whole, so that "16:9" is written back as it was read and no ":" becomes a
  // side of the ratio.
  const std::size_t colon = value.find(':');
  if (colon == std::string_view::npos || colon == 0 || colon + 1 == value.size()) {
    return;
  }
  options.SetFlag(group.aspectAuto, false);
  options.SetText(group.aspectX, std::string(value.substr(0, colon)));
  options.SetText(group.aspectY, std::string(value.substr(colon + 1)));
}

void SetResolution(const ScreenGroup& group, MameOptions& options, std::string_view value) {
  const auto& items = options.Items(group.resolution);
  int choice = 0;
  if (value != "auto") {
    const auto found = std::find(items.begin(), items.end(), value);
    choice = found == items.end() ? 0 : static_cast<int>(found - items.begin());
  }
  options.SetNumber(group.resolution, choice);
}

void SetController(MameOptions& options, const std::optional<std::string>& value) {
  // The unset comment line, and a line MAME wrote with no controller file, mean no controller.
  if (!value || value->starts_with('<')) {
    options.SetNumber(Option::controller, 0);
    return;
  }
  const auto found = std::find(kControllerValues.begin() + 1, kControllerValues.end(), *value);
  if (found != kControllerValues.end()) {
    options.SetNumber(Option::controller, static_cast<int>(found - kControllerValues.begin()));
  }
}

// A value that names no video mode leaves the choice as it is, as for any list.
void SetVideo(MameOptions& options, std::string_view value) {
  const auto found = std::find(kRenderValues.begin(), kRenderValues.end(), value);
  if (found != kRenderValues.end()) {
    options.SetNumber(Option::render, static_cast<int>(found - kRenderValues.begin()));
  } else if (std::find(kOldRenderValues.begin(), kOldRenderValues.end(), value) != kOldRenderValues.end()) {
    options.SetNumber(Option::render, kRenderOpenGl);
  }
}

void SetJoystickMap(MameOptions& options, const std::string& value) {
  if (value == "auto") {
    options.SetNumber(Option::joystick_axes, 0);
    return;
  }
  options.SetNumber(Option::joystick_axes, 1);
  options.SetText(Option::joystick_custom_map, value);
}

// Rows whose effect needs a value; a line without one leaves the options as they are.
void ApplyValue(const ReadRow& row, LineTarget& target, const std::string& value) {
  MameOptions& options = target.options;
  switch (row.effect) {
    case Effect::RomPath:
      if (target.romPath != nullptr) {
        if (std::string path = Unquoted(value); !path.empty()) {
          *target.romPath = std::move(path);
        }
      }
      return;
    case Effect::SaveFile:
      return SetSaveFile(row, target, value);
    case Effect::Number:
      if (const auto number = WholeNumber(value)) {
        // A number at the edge of int must not overflow when shifted; the slider clamps it, a list refuses it.
        const long long shifted = static_cast<long long>(*number) + row.number;
        options.SetNumber(row.option, static_cast<int>(std::clamp<long long>(shifted, INT_MIN, INT_MAX)));
      }
      return;
    case Effect::Frames:
      // The dialog could not write back a text that is not a whole number.
      if (WholeNumber(value)) {
        options.SetText(row.option, value);
      }
      return;
    case Effect::Text:
      return options.SetText(row.option, value);
    case Effect::Ratio:
      if (const auto position = RatioPosition(value)) {
        options.SetNumber(row.option, *position);
      }
      return;
    case Effect::Flicker:
      if (const auto number = ParseDecimal(value)) {
        options.SetNumber(row.option, RoundedPosition(*number));
      }
      return;
    case Effect::Choice:
      return SetChoice(row, options, value);
    case Effect::Rotate:
      options.SetNumber(row.option, value == "0" ? kRotationNone : kRotationDefault);
      return;
    case Effect::RotationIs:
      if (value == "1") {
        options.SetNumber(row.option, row.number);
      }
      return;
    case Effect::Aspect:
      return SetAspect(ScreenGroups()[static_cast<std::size_t>(row.number)], options, value);
    case Effect::Resolution:
      return SetResolution(ScreenGroups()[static_cast<std::size_t>(row.number)], options, value);
    case Effect::JoystickMap:
      return SetJoystickMap(options, value);
    case Effect::Video:
      return SetVideo(options, value);
    case Effect::Sound:
      // Old files write "1" and "0"; today's MAME names a sound module ("auto", "sdl" ...) or "none".
      options.SetFlag(row.option, value != kSoundOff && value != "0");
      return;
    case Effect::Flag:
    case Effect::Controller:
      return;  // handled before, with or without a value
  }
}

void ApplyRow(const ReadRow& row, LineTarget& target, const std::optional<std::string>& value) {
  if (row.effect == Effect::Flag) {
    target.options.SetFlag(row.option, value && *value == "1");
  } else if (row.effect == Effect::Controller) {
    SetController(target.options, value);
  } else if (value) {
    ApplyValue(row, target, *value);
  }
}

void ReadBiosLines(const BiosFile& file, MameOptions& options, const std::vector<std::string>& lines) {
  const std::optional<std::string> value = LastOptionValue(lines, "bios");
  if (!value) {
    return;
  }
  // An empty value is MAME's default BIOS. A set that the installed MAME does not have (a name of an older
  // MAME) would make MAME fall back to its default with a warning; the choice says so instead of keeping
  // what it held.
  if (const std::optional<int> choice = value->empty() ? 0 : BiosChoiceOf(options, file.control, *value)) {
    options.SetNumber(file.control, *choice);
  } else if (options.BiosFromMame(file.control)) {
    options.SetNumber(file.control, 0);
  }
}

// The value part of a line that sets an option, as MAME cuts it out.
std::string MameLineValue(std::string_view line) {
  line = platform::TrimBlanks(line);
  const std::size_t keyEnd = line.find_first_of(" \t");
  std::string_view data = keyEnd == std::string_view::npos ? std::string_view() : line.substr(keyEnd + 1);
  bool quoted = false;
  for (std::size_t at = 0; at < data.size(); ++at) {
    if (data[at] == '"') {
      quoted = !quoted;
    } else if (data[at] == '#' && !quoted) {
      data = data.substr(0, at);
      break;
    }
  }
  data = platform::TrimBlanks(data);
  if (data.size() >= 2 && data.front() == '"' && data.back() == '"') {
    data = data.substr(1, data.size() - 2);
  }
  return std::string(data);
}

}  // namespace

std::optional<std::string> IniLineValue(std::string_view line) {
  const bool comment = line.find('#') != std::string_view::npos;
  std::size_t blank = line.find(' ');
  if (blank == std::string_view::npos) {
    return std::nullopt;
  }
  line.remove_prefix(blank + 1);
  if (comment) {
    blank = line.find(' ');
    if (blank == std::string_view::npos) {
      return std::nullopt;
    }
    line.remove_prefix(blank + 1);
  }
  line = platform::TrimBlanks(line);
  if (line.empty()) {
    return std::nullopt;
  }
  return std::string(line);
}

std::optional<std::string> LastOptionValue(const std::vector<std::string>& lines, std::string_view key) {
  for (std::size_t at = lines.size(); at-- > 0;) {
    const std::string_view line = at == 0 ? WithoutByteOrderMark(lines[at]) : std::string_view(lines[at]);
    if (SetsOption(line, key)) return MameLineValue(line);
  }
  return std::nullopt;
}

std::string DotToComma(std::string_view text) {
  std::string out(text);
  std::replace(out.begin(), out.end(), '.', ',');
  return out;
}

std::optional<double> ParseDecimal(std::string_view text) {
  std::string number(text.starts_with('+') ? text.substr(1) : text);
  std::replace(number.begin(), number.end(), ',', '.');
  double value = 0;
  const char* last = number.data() + number.size();
  const auto [end, ec] = std::from_chars(number.data(), last, value);
  if (number.empty() || ec != std::errc() || end != last || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<int> RatioPosition(std::string_view value) {
  const auto number = ParseDecimal(value);
  if (!number) {
    return std::nullopt;
  }
  return RoundedPosition(*number * 100.0);
}

namespace {

const ReadRow* MatchingRow(std::string_view line) {
  const auto found =
      std::find_if(std::begin(kRows), std::end(kRows), [line](const ReadRow& row) { return Matches(row, line); });
  return found == std::end(kRows) ? nullptr : &*found;
}

// A number the dialog cannot take: the line stays in the file as it is, so the user is told once.
bool Unconvertible(std::string_view line) {
  const ReadRow* row = MatchingRow(line);
  const std::optional<std::string> value = IniLineValue(line);
  // A prefix can match an option of MAME's that the dialog does not write ("aud" and "audiodriver").
  if (row == nullptr || !value || !IsWrittenKey(line.substr(0, line.find_first_of(" \t")))) return false;
  switch (row->effect) {
    case Effect::Number:
    case Effect::Frames:
      return !WholeNumber(*value);
    case Effect::Ratio:
    case Effect::Flicker:
      return !ParseDecimal(*value);
    default:
      return false;
  }
}

// UTF-16 text (a byte-order mark FF FE or FE FF) has a zero byte in every ASCII character: no line of it
// reads as an option, and writing the file anew would lose all of them.
bool IsUtf16(const std::vector<std::string>& lines) {
  if (lines.empty()) return false;
  const std::string_view first = lines.front();
  return first.starts_with("\xFF\xFE") || first.starts_with("\xFE\xFF");
}

}  // namespace

void ApplyMameIniLine(std::string_view line, LineTarget& target) {
  if (const ReadRow* row = MatchingRow(line)) {
    ApplyRow(*row, target, IniLineValue(line));
  }
}

bool ReadOptionFileLines(const std::filesystem::path& path, std::vector<std::string>& lines, std::string* error) {
  if (!platform::ReadTextFileLinesAsIs(path, lines, error)) {
    return false;
  }
  if (IsUtf16(lines)) {
    lines.clear();
    if (error != nullptr) {
      *error = "Cannot read \"" + path.string() + "\": it is written in UTF-16, which MAME does not read";
    }
    return false;
  }
  return true;
}

void ApplyMameIniLines(const std::vector<std::string>& lines, LineTarget& target) {
  for (const std::string& line : lines) {
    ApplyMameIniLine(line, target);
  }
}

void ReadMameOwnPaths(const std::vector<std::string>& lines, MameFolders& folders) {
  const std::string ctrlr = folders.CtrlrPath.empty() ? DefaultFolder(folders, "ctrlr") : folders.CtrlrPath;
  const std::vector<std::string> frontEnd = SearchPathFolders(ctrlr);
  for (const std::string& line : lines) {
    const std::string_view key = std::string_view(line).substr(0, line.find(' '));
    if (std::find(kMameOwnPathKeys.begin(), kMameOwnPathKeys.end(), key) == kMameOwnPathKeys.end()) {
      continue;
    }
    const std::optional<std::string> value = IniLineValue(line);
    std::string path = value ? Unquoted(*value) : std::string();
    if (key == kCtrlrPathKey) {
      std::string mame;
      for (const std::string& folder : SearchPathFolders(path)) {
        if (std::find(frontEnd.begin(), frontEnd.end(), folder) == frontEnd.end()) {
          mame += (mame.empty() ? "" : ";") + folder;
        }
      }
      path = std::move(mame);
    }
    SetMameOwnPath(folders.MameOwnPaths, key, std::move(path));
  }
}

std::filesystem::path FindGameIni(const std::string& iniDir, std::string_view romname) {
  const std::string name = std::string(romname) + ".ini";
  const std::filesystem::path exact = std::filesystem::path(iniDir) / name;
  std::error_code ec;
  if (std::filesystem::exists(exact, ec)) {
    return exact;
  }
  for (std::filesystem::directory_iterator it(iniDir, ec), end; !ec && it != end; it.increment(ec)) {
    if (platform::EqualsIgnoreAsciiCase(it->path().filename().string(), name)) {
      return it->path();
    }
  }
  return exact;
}

bool ReadMameIni(OptionsMode mode, MameOptions& options, MameFolders& folders, std::string_view romname,
                 std::string* error, std::vector<std::string>* unconvertible, const IniChain& chain) {
  if (!CheckOptionsRequest(mode, romname, error)) {
    return false;
  }
  const std::filesystem::path mameIni = std::filesystem::path(folders.FrontDir) / "mame.ini";
  const bool defaults = mode == OptionsMode::DefaultOptions;
  std::vector<std::string> lines;
  // As they stand: a value the dialog does not change is written back byte for byte.
  if (!ReadOptionFileLines(defaults ? mameIni : FindGameIni(folders.IniDir, romname), lines, error)) {
    return false;
  }
  if (unconvertible != nullptr) {
    unconvertible->clear();
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(*unconvertible), Unconvertible);
  }
  MameOptions result = CleanOptions(options);
  if (!defaults) {
    // A game's file holds what differs from the files MAME reads before it; the rest is what they give.
    LineTarget base{result, nullptr, folders.FrontDir};
    ApplyMameIniLines(ReadChainLinesBefore(folders, chain, romname), base);
  }
  std::string romPath = folders.RomPath;
  LineTarget target{result, defaults ? &romPath : nullptr, folders.FrontDir};
  ApplyMameIniLines(lines, target);
  if (defaults) {
    // Every folder comes from the file, so that writing it back changes none the user did not change.
    ApplyMameFolderLines(lines, folders, /*keepProgramFolders=*/true);
    romPath = folders.RomPath.empty() ? romPath : folders.RomPath;
    ReadBiosInis(result, folders.IniDir);
    ReadMameOwnPaths(lines, folders);
  }
  options = std::move(result);
  folders.RomPath = std::move(romPath);
  return true;
}

void ReadBiosInis(MameOptions& options, const std::string& iniDir) {
  for (const BiosFile& file : BiosFiles()) {
    std::vector<std::string> lines;
    if (platform::ReadTextFileLinesAsIs(std::filesystem::path(iniDir) / file.fileName, lines, nullptr)) {
      ReadBiosLines(file, options, lines);
    }
  }
}

}  // namespace kestrune::settings
