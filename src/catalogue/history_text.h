#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

// The texts the main window shows for a game from history.dat and mameinfo.dat, and the driver
// information of its driver from mameinfo.dat. Neither file is held: each is indexed once, the index
// keeping where each entry starts in the file, and an entry is read from the file when it is shown.
// Lines are taken by the rules of platform::TextLines, as UTF-8 or else Windows-1252.
namespace kestrune::catalogue {

// The most names either index keeps: many times what a real file names (some 50,000 sets). A file
// naming more is not a real one, and the names past that are left out rather than taking gigabytes.
inline constexpr std::size_t kMaxHistoryNames = std::size_t{1} << 20;

// Where each name's entry starts, for a file indexed once: a name is kept as its hash with the offset
// of the first line naming it, and the line is read again to confirm a match, so that a name costs
// the same few dozen bytes however long it is, and the file nothing.
class DatFileIndex {
 public:
  explicit DatFileIndex(std::filesystem::path file) : file_(std::move(file)) {}
  const std::filesystem::path& File() const { return file_; }
  // Why the file could not be indexed (its names are then those read before the failure); empty when it was.
  const std::string& Error() const { return error_; }
  std::size_t NameCount() const { return offsets_.size(); }

 protected:
  // Keeps the first offset of each hash, up to kMaxHistoryNames hashes.
  void Add(std::size_t hash, std::uint64_t offset);
  // The offset noted for the hash, or -1.
  std::int64_t Find(std::size_t hash) const;
  // The line at the offset, decoded; false when it cannot be read.
  bool ReadLine(std::uint64_t offset, std::string& line) const;

  std::filesystem::path file_;
  std::string error_;

 private:
  // The hash is taken as it stands: it already is one.
  struct Identity {
    std::size_t operator()(std::size_t hash) const noexcept { return hash; }
  };
  std::unordered_map<std::size_t, std::uint64_t, Identity> offsets_;
};

// history.dat: an entry starts at a line holding "$info" in which the set name follows a "=" or a ","
// and is itself followed by a "," ("$info=sf2,sf2ua,"); the next line may hold the entry's web address
// (an HTML anchor), the line after it is a tag line, and the text runs up to "$end". The first entry
// naming the set is the set's. Set names are compared exactly; a name holding "=" or "," names no
// entry (MAME's set names are letters, digits and "_").
class HistoryIndex : public DatFileIndex {
 public:
  // Reads the file through once; it is read again for each entry shown.
  explicit HistoryIndex(std::filesystem::path file);
  // The offset of the line that starts the set's entry, or -1.
  std::int64_t FindEntry(std::string_view romname) const;

 private:
  void AddNames(std::string_view line, std::uint64_t at);
};

// mameinfo.dat: a game's entry starts at the line "$info=<set>" (letter case ignored); the next line is
// a tag line and the text runs up to "$end". Driver entries are "$info" lines naming the driver.
class MameInfoIndex : public DatFileIndex {
 public:
  // Reads the file through once; it is read again for each entry shown and each driver looked up.
  explicit MameInfoIndex(std::filesystem::path file);
  // The offset of the line "$info=<name>" in any letter case, or -1.
  std::int64_t FindGameEntry(std::string_view name) const;
  // The offset of the last "$info" line naming the driver after its "=", or -1. An empty driver names
  // nothing. Today's MAME gives drivers with their folder ("namco/pacman.cpp"); when no entry names the
  // whole of it, the entry of its file name is taken. Reads the file through: drivers are looked up
  // only when the driver window opens.
  std::int64_t FindDriverEntry(std::string_view driver) const;
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
