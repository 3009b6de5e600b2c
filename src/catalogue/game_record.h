#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

// One game of the catalogue in memory, and the catalogue line it is stored in.
namespace kestrune::catalogue {

// One game, filled from its catalogue line. Everything is UTF-8 text as the line holds it, except
// imageindex, which is never stored.
struct Tgameinfo {
  std::string availflag;  // "1" = the ROM set is not available; anything else = available
  std::string description;
  std::string year;  // at most 4 characters
  std::string company;
  std::string category;
  std::string bios;
  std::string sound;
  std::string video;
  std::string resolution;
  std::string orientation;
  std::string controls;
  std::string frequency;
  std::string veradded;
  std::string driver;
  std::string players;
  std::string timesplayed;
  std::string playtime;
  std::string cloneof;
  std::string romname;  // the key of the game everywhere
  std::string romstatus;
  int imageindex = 0;  // 0 = icon not yet resolved
  std::string driverstatus;
  std::string emulationstatus;
  std::string colorstatus;
  std::string graphicstatus;
  std::string soundstatus;
};

// Field numbers of a catalogue line, in line order (the order differs from the record's).
struct LineField {
  enum : int {
    availflag,
    description,
    company,
    category,
    year,
    bios,
    sound,
    video,
    resolution,
    orientation,
    controls,
    frequency,
    driverstatus,
    emulationstatus,
    colorstatus,
    graphicstatus,
    soundstatus,
    veradded,
    driver,
    players,
    timesplayed,
    playtime,
    cloneof,
    romname,
    romstatus,
  };
};

inline constexpr int kLineFieldCount = 25;
inline constexpr char kFieldSeparator = '|';
inline constexpr std::size_t kYearLength = 4;

struct LineFieldInfo {
  int number;
  std::string Tgameinfo::*member;
};

// The one map from a line's field number to the record member it fills; splitting, rebuilding,
// searching and sorting all go through it. Row i is field number i.
inline constexpr std::array<LineFieldInfo, kLineFieldCount> kLineFields{{
    {LineField::availflag, &Tgameinfo::availflag},
    {LineField::description, &Tgameinfo::description},
    {LineField::company, &Tgameinfo::company},
    {LineField::category, &Tgameinfo::category},
    {LineField::year, &Tgameinfo::year},
    {LineField::bios, &Tgameinfo::bios},
    {LineField::sound, &Tgameinfo::sound},
    {LineField::video, &Tgameinfo::video},
    {LineField::resolution, &Tgameinfo::resolution},
    {LineField::orientation, &Tgameinfo::orientation},
    {LineField::controls, &Tgameinfo::controls},
    {LineField::frequency, &Tgameinfo::frequency},
    {LineField::driverstatus, &Tgameinfo::driverstatus},
    {LineField::emulationstatus, &Tgameinfo::emulationstatus},
    {LineField::colorstatus, &Tgameinfo::colorstatus},
    {LineField::graphicstatus, &Tgameinfo::graphicstatus},
    {LineField::soundstatus, &Tgameinfo::soundstatus},
    {LineField::veradded, &Tgameinfo::veradded},
    {LineField::driver, &Tgameinfo::driver},
    {LineField::players, &Tgameinfo::players},
    {LineField::timesplayed, &Tgameinfo::timesplayed},
    {LineField::playtime, &Tgameinfo::playtime},
    {LineField::cloneof, &Tgameinfo::cloneof},
    {LineField::romname, &Tgameinfo::romname},
    {LineField::romstatus, &Tgameinfo::romstatus},
}};

// The record member that line field `number` (0..24) fills.
inline std::string& RecordField(Tgameinfo& record, int number) { return record.*kLineFields[number].member; }
inline const std::string& RecordField(const Tgameinfo& record, int number) {
  return record.*kLineFields[number].member;
}

// The scan status texts, indexed by the romstatus code "0".."6".
inline constexpr std::array<std::string_view, 7> RomStatusText{
    "OK", "No good dump known", "Rom not found", "Bad rom", "Missing CHD", "Missing Bios", "Bad CHD",
};

// The text of a romstatus code, or "" for a code outside the table (a damaged line must not index
// past it).
std::string_view RomStatusTextOf(std::string_view romstatus);

// The 25 fields of a line, viewing into the line's own text.
using LineFields = std::array<std::string_view, kLineFieldCount>;

// Splits a catalogue line into its fields without copying. A line that is not a game (empty, no
// separator after the one-character flag, fewer than 24 separators) gives false and leaves `fields`
// undefined. A "|" beyond the 24th separator stays part of romstatus.
bool SplitCatalogueLine(std::string_view line, LineFields& fields);

// Fills a record from split fields, reusing the record's string buffers; year is cut to 4
// characters and imageindex reset to 0.
void FillGameRecord(const LineFields& fields, Tgameinfo& record);

// Split and fill in one step; false (record untouched) when the line is not a game.
bool ParseGameRecord(std::string_view line, Tgameinfo& record);
std::optional<Tgameinfo> ParseGameRecord(std::string_view line);

// The year as stored and shown: its first 4 characters (UTF-8 characters, not bytes).
std::string_view CutYear(std::string_view year);

// The catalogue line of a record: the 25 fields in line order joined by "|", year cut to 4.
std::string BuildCatalogueLine(const Tgameinfo& record);
// Appends fields first..24 of the record, joined by "|", to `out`.
void AppendLineFields(const Tgameinfo& record, int first, std::string& out);

// Field n (1..23) of a line: the text between the n-th and the (n+1)-th "|" counted from the
// line's second character. "" when n is out of range or the line has too few separators. The view
// points into `line`.
std::string_view GetLineField(std::string_view line, int n);

// "|", the romname and "|": the text from the line's second-last "|" through its last one. "" when
// the line has fewer than two. The view points into `line`.
std::string_view GetRomToken(std::string_view line);

}  // namespace kestrune::catalogue
