#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/code_pages.h"

// The texts the main window shows for a game from history.dat and mameinfo.dat, and the driver
// information of its driver from mameinfo.dat. Both files are held as their lines, in file order.
namespace kestrune::catalogue {

// history.dat: an entry starts at a line holding "$info" in which the set name follows a "=" or a ","
// and is itself followed by a "," ("$info=sf2,sf2ua,"); the next line may hold the entry's web address
// (an HTML anchor), the line after it is a tag line, and the text runs up to "$end". The first entry
// naming the set is the set's. Set names are compared exactly; a name holding "=" or "," names no
// entry (MAME's set names are letters, digits and "_"). The index keeps at most kMaxHistoryNames
// names, which is many times what a real history.dat names: a file naming more is not one, and the
// names past that are left out rather than taking gigabytes.
inline constexpr std::size_t kMaxHistoryNames = std::size_t{1} << 20;

class HistoryIndex {
 public:
  // The lines must stay as they are while the index lives.
  explicit HistoryIndex(const std::vector<std::string>& lines);
  const std::vector<std::string>& Lines() const { return lines_; }
  // The line of the set's entry, or -1.
  int FindEntry(std::string_view romname) const;

 private:
  void AddNames(std::string_view line, int at);

  const std::vector<std::string>& lines_;
  std::unordered_map<std::string_view, int> entries_;  // set name (in lines_) -> first "$info" line naming it
};

// mameinfo.dat: a game's entry starts at the line "$info=<set>" (letter case ignored); the next line is
// a tag line and the text runs up to "$end". Driver entries are "$info" lines naming the driver.
class MameInfoIndex {
 public:
  // The lines must stay as they are while the index lives.
  explicit MameInfoIndex(const std::vector<std::string>& lines);
  const std::vector<std::string>& Lines() const { return lines_; }
  // The line "$info=<name>" in any letter case, or -1.
  int FindGameEntry(std::string_view name) const;
  // The last "$info" line naming the driver after its "=" (searched from the end), or -1. An empty
  // driver names nothing. Today's MAME gives drivers with their folder ("namco/pacman.cpp"); when no
  // entry names the whole of it, the entry of its file name is taken.
  int FindDriverEntry(std::string_view driver) const;

 private:
  int FindDriverLine(std::string_view driver) const;

  const std::vector<std::string>& lines_;
  // "$info=<name>" line (in lines_, without trailing blanks) -> its first line
  std::unordered_map<std::string_view, int, platform::CaseInsensitiveHash, platform::CaseInsensitiveEqual> games_;
};

// What one entry shows at most: a real entry is a few pages, while an entry without its "$end" line
// would run to the end of a file of hundreds of megabytes. A longer entry ends in kEntryCutText.
inline constexpr std::size_t kMaxEntryBytes = std::size_t{512} << 10;
inline constexpr std::size_t kMaxEntryLines = 10000;
inline constexpr std::string_view kEntryCutText = "[The rest of this entry is not shown: it is too long.]";

// The words before the host name on the line that stands for an entry's web address.
inline constexpr std::string_view kEditEntryText = "Edit this entry at ";

// What the history panes show for a game: its history entry, then its mameinfo entry (the parent's for
// a clone). Lines end in "\n". `link` is the history entry's web address, empty when the entry has none
// or the game has no entry; `linkLine` is the text of the line that stands for it.
struct HistoryText {
  std::string text;
  std::string link;
  std::string linkLine;
};

// Either index may be null (the file is not loaded): its part of the text is left out.
HistoryText BuildHistoryText(const HistoryIndex* history, const MameInfoIndex* mameinfo, std::string_view romname,
                             std::string_view cloneof);

// The address of an HTML anchor on a history link line (what its href="…" holds); empty when none.
std::string HistoryLinkAddress(std::string_view line);
// The host name of a web address ("www.arcade-history.com"); empty when it has none.
std::string LinkHost(std::string_view address);

// The driver window's text: "Driver : <driver>", then the driver's mameinfo.dat entry when there is one.
std::string DriverInfoText(const MameInfoIndex* mameinfo, std::string_view driver);

}  // namespace kestrune::catalogue
