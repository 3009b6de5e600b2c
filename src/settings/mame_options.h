#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The values of the MAME options dialog, held apart from any window: the option-file writer writes
// them, the reader fills them, and the dialog only binds its controls to them.
namespace kestrune::settings {

// Which file the options dialog edits: MAME's mame.ini, or the selected game's own ini file.
enum class OptionsMode : std::uint8_t { DefaultOptions = 1, GameOptions = 2 };

// How a value is held and shown: a check box, a slider whose position is written divided by 100,
// a slider written as it stands, a 0-based choice of a list, or a text edit.
enum class OptionKind : std::uint8_t { Flag, Ratio, Whole, Choice, Text };

// Every value of the dialog, named after the control that shows it. `render` is the one value behind
// the video-mode radio buttons `opengl`, `bgfx`, `soft`, `accel` and `none` (choices 0 to 4).
// clang-format off
enum class Option : int {
  // Display Options
  runwin, maxwin, stretch, keepaspect, throttle, syncmonitor, switchres, refreshspeed, autoframeskip, waitvsync,
  triplebuffer, ddfilter, frameskip, prescale, directxversion, numscreens, effect, flipupdown, flipleftright,
  rotation, render, brightness, contrast, gamma, pauzebright, fullbrightness, fullcontrast, fullgamma,
  // Screens
  screenshow, aspectauto, aspectx, aspecty, ressize, view,
  screenshow0, aspect0auto, aspectx0, aspecty0, ressize0, view0,
  screenshow1, aspect1auto, aspectx1, aspecty1, ressize1, view1,
  screenshow2, aspect2auto, aspectx2, aspecty2, ressize2, view2,
  screenshow3, aspect3auto, aspectx3, aspecty3, ressize3, view3,
  // Vector
  antivector, beam, flicker,
  // Sound Options
  sound, samples, samplerate, savesound, soundfile, volume, latency,
  // Input Devices
  controller, mouse, steadykey, multikeyboard, multimouse, lightgun, dual, offscreen, joystick, deadzone, saturation,
  paddle_controller, adstick_controller, lightgun_controller, pedal_controller, dial_controller,
  trackball_controller, positional_controller, mouse_controller, joystick_axes, joystick_custom_map,
  // Misc
  readconfig, gameinfo, cheats, sleep, errorlog, verbose, oslog, multithreading, frames, autosavestate, savemng,
  mngfile, artworkcrop, bezels, overlays, backdrops, highpriority, speed,
  // Bios
  stvbios, megaplaybios, neogeobios, decocassbios, arbios, playchoicebios,
};
// clang-format on

inline constexpr int kOptionCount = static_cast<int>(Option::playchoicebios) + 1;

constexpr int Index(Option option) { return static_cast<int>(option); }

// Some of the dialog's values, one bit per `Option`.
using OptionSet = std::bitset<kOptionCount>;

// The description of one value: what the dialog needs to build and bind its control.
struct OptionInfo {
  Option id;
  std::string_view control;  // the control's name (objectName)
  OptionKind kind;
  int minimum;  // slider range; for a choice 0 .. items - 1
  int maximum;
  std::span<const std::string_view> items;  // a list's items; for screen and resolution lists the fixed first item
  bool dynamicItems;                        // the list is filled at run time after its first item
  int initial;                              // when the dialog is created (-1: no choice)
  std::string_view initialText;
  int reset;  // what the Default button sets
  std::string_view resetText;
  bool keptOnReset;                                // the Default button leaves it as it is
  std::span<const std::string_view> radioButtons;  // only `render`: the control of each choice
};

// The table of every value, in the order of `Option`.
std::span<const OptionInfo> OptionTable();
const OptionInfo& Info(Option option);

// The radio-button choices of `render`: the video modes of today's MAME on Linux. OpenGL is MAME's own
// default and takes the place of the Windows modes (Direct3D, DirectDraw, GDI) that MAME no longer has.
inline constexpr int kRenderOpenGl = 0;
inline constexpr int kRenderBgfx = 1;
inline constexpr int kRenderSoft = 2;
inline constexpr int kRenderAccel = 3;
inline constexpr int kRenderNone = 4;

// The values MAME's files hold for a list choice, by choice index (the writer's and the reader's one
// table). An index without a value writes no line.
inline constexpr std::array<std::string_view, 5> kRenderValues{"opengl", "bgfx", "soft", "accel", "none"};
// The Windows video modes of older files; today's MAME falls back from them, so they read as OpenGL.
inline constexpr std::array<std::string_view, 3> kOldRenderValues{"d3d", "ddraw", "gdi"};
// The `sound` values: the sound module MAME picks itself, or none.
inline constexpr std::string_view kSoundOn = "auto";
inline constexpr std::string_view kSoundOff = "none";
inline constexpr std::array<std::string_view, 4> kDeviceValues{"keyboard", "mouse", "joystick", "lightgun"};
inline constexpr std::array<std::string_view, 4> kViewValues{"auto", "standard", "pixel aspect", "cocktail"};
// The `screen` values: MAME on Linux names its monitors "screen0", "screen1" … (see `mame -verbose`).
inline constexpr std::array<std::string_view, 3> kScreenValues{"auto", "screen0", "screen1"};
// The same choices as the Windows program wrote them, still read.
inline constexpr std::array<std::string_view, 3> kWindowsScreenValues{"auto", "\\\\.\\DISPLAY1",
                                                                      "\\\\.\\DISPLAY2"};
inline constexpr std::array<std::string_view, 5> kSampleRateValues{"11025", "22050", "24000", "44100", "48000"};
// Choice 0 ("None") is read from older files' "0" and written as MAME's "1" (no scaling).
inline constexpr std::array<std::string_view, 9> kPrescaleValues{"0", "1", "2", "3", "4", "5", "6", "7", "8"};
inline constexpr std::array<std::string_view, 2> kDirectXVersionValues{"8", "9"};
// Choice 0 ("Keyboard") is written as the unset `ctrlr` line.
inline constexpr std::array<std::string_view, 5> kControllerValues{"", "hotrod", "hotrodse", "slikstik", "xarcade"};

// The choices of `rotation`.
inline constexpr int kRotationDefault = 0;
inline constexpr int kRotationClockwise = 1;
inline constexpr int kRotationAntiClockwise = 2;
inline constexpr int kRotationNone = 3;
inline constexpr int kRotationAutoClockwise = 4;
inline constexpr int kRotationAutoAntiClockwise = 5;

// One group of the Screens page: the default screen (no suffix) and screens 0 to 3.
struct ScreenGroup {
  std::string_view suffix;
  Option screen;
  Option aspectAuto;
  Option aspectX;
  Option aspectY;
  Option resolution;
  Option view;
};
std::span<const ScreenGroup> ScreenGroups();

// One BIOS-selection file of the ini folder: MAME reads it for the machine it is named after and for
// every game that uses that machine's BIOS. `values` are the BIOS set names its control's choices
// write while the installed MAME's own sets are not known; choice 0 writes "default".
struct BiosFile {
  std::string_view fileName;
  std::string_view firstLine;
  std::string_view machine;
  Option control;
  std::span<const std::string_view> values;
};
std::span<const BiosFile> BiosFiles();
inline constexpr std::size_t kBiosFileCount = 6;
// The BIOS value MAME takes for the machine's default set.
inline constexpr std::string_view kDefaultBios = "default";

// One <biosset> of a machine in MAME's -listxml.
struct BiosSet {
  std::string name;
  std::string description;
  bool isDefault = false;  // default="yes"; without one MAME's first set is its default

  bool operator==(const BiosSet&) const = default;
};

// A search-path or folder option that belongs to the installed MAME rather than to the front-end
// (where MAME finds its hash files, plug-ins, shaders ...), with the value MAME uses by itself.
struct MamePathOption {
  std::string key;
  std::string value;  // as MAME gives it, "$HOME" and all

  bool operator==(const MamePathOption&) const = default;
};

// The keys of those options. MAME is run with -inipath, which makes it skip the system's own
// configuration, so mame.ini keeps them at the values the installation gives them. "ctrlrpath" is no
// line of its own: MAME's controller folders follow the front-end's ctrlr folder on its line.
inline constexpr std::array<std::string_view, 10> kMameOwnPathKeys{
    "homepath",     "hashpath", "cheatpath",       "crosshairpath", "pluginspath",
    "languagepath", "swpath",   "share_directory", "bgfx_path",     "ctrlrpath"};
inline constexpr std::string_view kCtrlrPathKey = "ctrlrpath";

// MAME's folders as the front-end's settings keep them. `FrontDir` is the program folder with a
// trailing "/"; the others are full paths, and a search path may hold several folders joined by ";".
// `MameOwnPaths` holds the installation's own path options, in the order of kMameOwnPathKeys.
struct MameFolders {
  std::string FrontDir;
  std::string RomPath;
  std::string SamplePath;
  std::string ArtPath;
  std::string CtrlrPath;
  std::string IniDir;
  std::string FontPath;
  std::string CfgDir;
  std::string NvramDir;
  std::string MemcardDir;
  std::string InpDir;
  std::string StateDir;
  std::string SnapDir;
  std::string DiffDir;
  std::vector<MamePathOption> MameOwnPaths;

  bool operator==(const MameFolders&) const = default;
};

// The dialog's values. A new object holds the values the dialog has when it is created.
class MameOptions {
 public:
  MameOptions();

  bool Flag(Option option) const { return numbers_[Index(option)] != 0; }
  // A slider's position, a choice's index (-1: none) or a flag as 0 or 1.
  int Number(Option option) const { return numbers_[Index(option)]; }
  const std::string& Text(Option option) const { return texts_[Index(option)]; }
  const std::vector<std::string>& Items(Option option) const { return items_[Index(option)]; }
  // The text of the chosen item, empty when nothing is chosen.
  std::string ChoiceText(Option option) const;

  void SetFlag(Option option, bool checked);
  // Sets a number as the control would take it: a slider clamps it to its range; a choice outside
  // the list (or -1 on a list that needs a choice) and a flag other than 0 or 1 are refused.
  // Returns whether the value was taken.
  bool SetNumber(Option option, int value);
  void SetText(Option option, std::string text);
  // Fills a screen or resolution list: its fixed first item followed by these. A choice that no longer
  // names an item becomes "no choice".
  void SetDynamicItems(Option option, const std::vector<std::string>& items);

  // The BIOS set names behind a BIOS control's choices, by choice index; the set of choice 0 is
  // MAME's default and is written as "default".
  const std::vector<std::string>& BiosNames(Option control) const;
  // Whether those names are the installed MAME's own sets (SetBiosSets) rather than the fixed list.
  bool BiosFromMame(Option control) const;
  // Offers the sets that the installed MAME has for the control's machine, its default set first,
  // each shown by its description. The choice keeps the set it named; a set that MAME does not have
  // becomes the default one. No sets leave the list as it is.
  void SetBiosSets(Option control, const std::vector<BiosSet>& sets);

  bool operator==(const MameOptions&) const = default;

 private:
  std::array<int, kOptionCount> numbers_{};
  std::array<std::string, kOptionCount> texts_;
  std::array<std::vector<std::string>, kOptionCount> items_;
  std::array<std::vector<std::string>, kBiosFileCount> biosNames_;
  std::array<bool, kBiosFileCount> biosFromMame_{};
};

// The choice of a BIOS control that a BIOS value names ("default", or a set name, blanks around it not
// counting); nothing when the list has no such set.
std::optional<int> BiosChoiceOf(const MameOptions& options, Option control, std::string_view value);

// The BIOS value a choice writes: "default" for choice 0, else its set's name; nothing for no choice.
std::optional<std::string> BiosValueOf(const MameOptions& options, Option control, int choice);

// The Default button: every value takes its default, except those kept on reset. Returns the values it set.
OptionSet ResetMameOptions(MameOptions& options);

// The option presets: 0 changes nothing; 1 to 3 set the sample rate, audio latency, render system,
// vertical sync, triple buffering, frame skipping and throttling for slower to faster computers.
inline constexpr int kPresetCount = 4;
// Returns the values the preset set.
OptionSet ApplyMamePreset(MameOptions& options, int preset);

// The defaults of every value, with the values that the Default button keeps at their initial state;
// the screen and resolution lists and the BIOS choices are taken from `current`. Reading an option
// file starts from this, so nothing of the previously shown file stays behind.
MameOptions CleanOptions(const MameOptions& current);

// The text of a slider's value label: a ratio as position / 100 with the given decimal separator,
// `speed` with "%", `volume` in "db", the others as the position.
std::string SliderLabel(const MameOptions& options, Option option, char decimalSeparator);

// A slider position divided by 100 as the shortest decimal ("1", "0.65", "1.5"), made with whole numbers
// so that no locale can change it.
std::string RatioText(int position, char decimalSeparator);

// The program folder's default for an empty folder value, `FrontDir` + word.
std::string DefaultFolder(const MameFolders& folders, std::string_view word);

// The folders of a search path joined by ";", in order, without empty ones.
std::vector<std::string> SearchPathFolders(std::string_view path);

// Sets the value of one of the installation's path options, in the order of kMameOwnPathKeys; an
// empty value or a key not in that table is not kept.
void SetMameOwnPath(std::vector<MamePathOption>& paths, std::string_view key, std::string value);

// The value kept for a key, empty when there is none.
std::string MameOwnPath(const std::vector<MamePathOption>& paths, std::string_view key);

}  // namespace kestrune::settings
