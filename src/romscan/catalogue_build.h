#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <initializer_list>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/code_pages.h"
#include "romscan/listxml_reader.h"
#include "settings/ini_file.h"

// The last step of the ROM scan: MAME's game list and the verdicts of sets.dat become a fresh
// catalogue, one line per game, in the catalogue file's line format; the play counters of the old
// catalogue carry over to the new lines.
namespace kestrune::romscan {

// The first character upper-cased and the rest lower-cased, ASCII letters only ("raster" gives
// "Raster", "PRELIMINARY" gives "Preliminary"); "" for "".
std::string CapitaliseWord(std::string_view text);

// "|" + timesplayed + "|" + playtime + "|" of a catalogue line: from its fifth "|" counted from the end
// through its third. "" when the line has fewer than five.
std::string_view CounterFields(std::string_view line);

// The position of the line's last "|"; 0 when it has none.
std::size_t LastBarPos(std::string_view line);

// The romof of every set whose romof differs from its cloneof: the BIOS a parent uses, which its
// clones (romof naming the parent) take over.
class RomOfList {
 public:
  void Add(std::string_view set, std::string_view romof);
  // The romof noted for `parent` (the first, when it was noted twice); "" when none.
  std::string_view ParentBios(std::string_view parent) const;

 private:
  std::unordered_map<std::string, std::string> romof_;
};

// The romof of every set of the list, as RomOfList holds it.
RomOfList CollectRomOfList(const ListXmlData& list);

// The verdict of a set: its value in section "roms" of sets.dat, "2" ("Rom not found") when it has
// none. A set with a verdict other than "3" to "6" adds one to `goodSetCount`.
std::string SetStatusCode(const settings::IniFile& setsDat, std::string_view set, int& goodSetCount);

// The names of the sets a game list gives a catalogue line, in any letter case.
using SetNames = std::unordered_set<std::string_view, platform::CaseInsensitiveHash, platform::CaseInsensitiveEqual>;
SetNames ListedSetNames(const ListXmlData& list);

// What catver.ini or nplayers.ini gives the listed sets. The file is read a line at a time by the rules
// of settings::IniFile (a repeated key's later value wins, names in any letter case), and only the
// values of the sections it is read for and of listed sets are kept: a file of any size costs no more
// than the list.
class SupportValues {
 public:
  // `sets` must outlive this.
  SupportValues(std::initializer_list<std::string_view> sections, const SetNames& sets);
  // The file's next line, as it stands in the file; `first` for its first line.
  void ReadLine(std::string_view line, bool first);
  // Whether the file held any of the sections it is read for.
  bool HasSection() const;
  // The set's value in the section; null when the file gives none (or the set is not listed).
  const std::string* FindValue(std::string_view section, std::string_view set) const;
  std::size_t ValueCount() const;

 private:
  struct Section {
    std::string name;
    bool seen = false;
    std::unordered_map<std::string, std::string, platform::CaseInsensitiveHash, platform::CaseInsensitiveEqual>
        values;
  };
  const SetNames* sets_;
  std::vector<Section> sections_;
  static constexpr std::size_t kNoSection = static_cast<std::size_t>(-1);
  std::size_t current_ = kNoSection;  // the section being read, when it is one of sections_
};

// catver.ini (sections "category" and "veradded") and nplayers.ini (section "nplayers") of the
// program folder, each keyed by set name, when the folder has them.
struct SupportFiles {
  std::optional<SupportValues> catver;
  std::optional<SupportValues> nplayers;
};

// Reads the files that exist for the sets of `sets`; one that cannot be read, or has none of the
// sections above, is logged to stderr and counts as absent.
SupportFiles LoadSupportFiles(const std::string& frontDir, const SetNames& sets);

// The catalogue line of one game: status is its verdict, romof the BIOS it uses (its own romof, or
// its parent's when its romof names the parent). Field text that holds "|" gets "/" instead, so
// that the line keeps its 25 fields.
std::string BuildGameLine(const ListXmlSet& set, std::string_view status, std::string_view romof,
                          const SupportFiles& support);

struct CatalogueBuild {
  std::vector<std::string> lines;
  std::vector<std::string> badRoms;  // set + ".zip" of every game with verdict "3", in list order
  int goodSetCount = 0;              // games with a verdict in sets.dat other than "3" to "6"

  // The value of the settings key "roms": good sets, "/", lines.
  std::string RomsText() const;
};

// One line per game of the list, in list order; BIOS sets, devices and sets MAME cannot run get none.
CatalogueBuild BuildGameDatabase(const ListXmlData& list, const settings::IniFile& setsDat,
                                 const SupportFiles& support);

// The catalogue lines of played games: those whose counters are not "0" and "00:00:00". Lines that
// are not game lines are left out.
std::vector<std::string> CollectPlayedLines(const std::vector<std::string>& catalogue);

// Gives the new line of each played game (the first with the same romname) the played line's
// timesplayed and playtime; every other field stays the new line's, so the availability, the texts
// and the verdict are the new scan's. Played games the new list lacks are dropped. Returns how many
// lines took counters over.
int CarryCountersOver(const std::vector<std::string>& played, std::vector<std::string>& lines);

}  // namespace kestrune::romscan
