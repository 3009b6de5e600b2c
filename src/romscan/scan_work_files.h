#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "romscan/listxml_reader.h"
#include "romscan/rom_path.h"

// The first half of the ROM scan: from the game list to the work files crc.dat, chdlist.dat and
// bioscrc.dat in the program folder, and the in-memory state the verification continues from.
namespace kestrune::romscan {

inline constexpr std::string_view kCrcFile = "crc.dat";
inline constexpr std::string_view kChdListFile = "chdlist.dat";
inline constexpr std::string_view kBiosCrcFile = "bioscrc.dat";
inline constexpr std::string_view kFileCrcFile = "filecrc.dat";
inline constexpr std::string_view kSetsFile = "sets.dat";

// What the hard-disk images of a set came to.
struct ChdState {
  bool bad = false;      // an image exists in no folder with the right hash, but with a wrong one
  bool missing = false;  // a required image exists in no folder
};

// The state a scan pass carries from step to step. Indexes follow ListXmlData::sets.
struct RomScanState {
  std::string frontDir;  // the program folder, ending in "/"; the work files go there
  ListXmlData list;
  std::vector<std::string> dirs;                  // per set: its crc.dat "dir", "" when it has no section
  std::vector<ChdState> chd;                      // per set
  std::vector<bool> badShared;                    // per set: a BIOS or device archive missing, unreadable or incomplete
  std::vector<std::vector<std::uint32_t>> found;  // per set: CRCs of its own archives, sorted
  std::vector<bool> archiveRead;                  // per set: at least one of its archives could be read
  std::string mameVersionText;

  std::filesystem::path WorkFile(std::string_view name) const { return std::filesystem::path(frontDir) / name; }
};

// Writes crc.dat and chdlist.dat and fills dirs and chd. A set gets a crc.dat section when its archive
// (set + ".zip"), or for a clone its parent's, is in a rom folder: its name in brackets, "romof=",
// "Parent=", "dir=" (the first folder holding either, tried folder by folder, the set's own archive
// first), one line per <rom> line with its crc (empty without one) and an empty line. chdlist.dat
// gets, for every disk of a set and every image file found (in each folder: the set's own subfolder,
// then for a clone its parent's, under the disk's name and then the parent's name for it), "[set]"
// and "chd=OK" or "chd=BAD"; "[set]" and "chd=NOK" when a required image is found nowhere. A disk name
// that fails IsDiskName is never looked up (logged to stderr): such an image is found nowhere.
bool ParseListXmlRoms(RomScanState& state, const RomFolderIndex& folders, std::string* error);

// Writes bioscrc.dat: for every BIOS set, its name in brackets, "dir=" and the first folder holding
// its archive (nothing when none does), its CRCs and an empty line.
bool CollectBiosCrcs(const RomScanState& state, const RomFolderIndex& folders, std::string* error);

// Makes the file MAME's game list is written to, empty, before MAME is started: a folder where it
// cannot be made is then named with the system's reason, and MAME, never started, is not blamed.
bool MakeListFile(const std::filesystem::path& file, std::string* error);

// Appends "text" CR LF, with any CR, LF or NUL inside the text as a blank.
void AppendWorkLine(std::string& out, std::string_view text);

}  // namespace kestrune::romscan
