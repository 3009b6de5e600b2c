#include "romscan/scan_work_files.h"

#include <cstdio>
#include <system_error>

#include "platform/text_file.h"
#include "romscan/chd_header.h"

namespace kestrune::romscan {
namespace {

std::string ArchiveName(std::string_view set) { return std::string(set) + ".zip"; }

// The first folder holding the set's archive or, for a clone, its parent's; "" when none does.
std::string FindSetFolder(const ListXmlSet& set, const RomFolderIndex& folders) {
  const std::string own = ArchiveName(set.name);
  const std::string parent = set.cloneof.empty() ? std::string() : ArchiveName(set.cloneof);
  for (std::size_t i = 0; i < folders.FolderCount(); ++i) {
    if (folders.HasFile(i, own) || (!parent.empty() && folders.HasFile(i, parent))) return folders.Folders()[i];
  }
  return {};
}

void AppendCrcSection(const ListXmlSet& set, const std::string& dir, std::string& out) {
  AppendWorkLine(out, "[" + set.name + "]");
  AppendWorkLine(out, "romof=" + set.romof);
  AppendWorkLine(out, "Parent=" + set.cloneof);
  AppendWorkLine(out, "dir=" + dir);
  for (const ListXmlRom& rom : set.roms) AppendWorkLine(out, rom.crc);
  AppendWorkLine(out, "");
}

bool IsImageFile(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

void LogUnsafeDisk(const ListXmlSet& set, std::string_view name) {
  std::fprintf(stderr,
               "kestrune: set %s: disk name \"%s\" is not a file name MAME writes; the disk is not looked for\n",
               set.name.c_str(), PrintableName(name).c_str());
}

// A place an image is looked for: a set's folder and the file name in it.
struct Place {
  std::string_view folder;
  std::string_view file;
};

// Where MAME finds the image: under the set's own name, then the parent's; a shared image of a clone
// may be kept only under the parent's name for it. A name that could leave the set's folder is never
// looked up: the image counts as not found there.
std::vector<Place> DiskPlaces(const ListXmlSet& set, const ListXmlDisk& disk) {
  std::vector<Place> places;
  if (IsDiskName(disk.name)) {
    places.push_back({set.name, disk.name});
    if (!set.cloneof.empty()) places.push_back({set.cloneof, disk.name});
  } else {
    LogUnsafeDisk(set, disk.name);
  }
  if (!set.cloneof.empty() && !disk.merge.empty() && disk.merge != disk.name) {
    if (IsDiskName(disk.merge)) {
      places.push_back({set.cloneof, disk.merge});
    } else {
      LogUnsafeDisk(set, disk.merge);
    }
  }
  return places;
}

// Checks one disk in every folder; appends its chdlist.dat entries and adds to the set's state.
void CheckDisk(const ListXmlSet& set, const ListXmlDisk& disk, const RomFolderIndex& folders, std::string& out,
               ChdState& state) {
  const std::vector<Place> places = DiskPlaces(set, disk);
  bool anyEntry = false;
  bool anyGood = false;
  for (const std::string& folder : folders.Folders()) {
    for (const Place& place : places) {
      const std::filesystem::path path = folder + std::string(place.folder) + "/" + std::string(place.file) + ".chd";
      if (!IsImageFile(path)) continue;
      const bool good = CheckChdHash(path, disk.md5, disk.sha1);
      AppendWorkLine(out, "[" + set.name + "]");
      AppendWorkLine(out, good ? "chd=OK" : "chd=BAD");
      anyEntry = true;
      anyGood = anyGood || good;
    }
  }
  if (!anyEntry && disk.required) {
    AppendWorkLine(out, "[" + set.name + "]");
    AppendWorkLine(out, "chd=NOK");
  }
  state.bad = state.bad || (anyEntry && !anyGood);
  state.missing = state.missing || (!anyEntry && disk.required);
}

bool SaveWorkFile(const RomScanState& state, std::string_view name, std::string_view text, std::string* error) {
  return platform::WriteFileAtomic(state.WorkFile(name), text, error);
}

}  // namespace

bool MakeListFile(const std::filesystem::path& file, std::string* error) {
  std::string reason;
  if (platform::MakeEmptyFile(file, &reason)) return true;
  if (error != nullptr) *error = "The file \"" + file.string() + "\" for MAME's game list cannot be made: " + reason;
  return false;
}

void AppendWorkLine(std::string& out, std::string_view text) {
  const std::size_t start = out.size();
  out.append(text);
  // Whatever the text holds, it stays one line of the file.
  for (std::size_t i = start; i < out.size(); ++i) {
    if (out[i] == '\r' || out[i] == '\n' || out[i] == '\0') out[i] = ' ';
  }
  out.append("\r\n");
}

bool ParseListXmlRoms(RomScanState& state, const RomFolderIndex& folders, std::string* error) {
  const std::vector<ListXmlSet>& sets = state.list.sets;
  state.dirs.assign(sets.size(), std::string());
  state.chd.assign(sets.size(), ChdState{});
  std::string crcText;
  std::string chdText;
  for (std::size_t i = 0; i < sets.size(); ++i) {
    const ListXmlSet& set = sets[i];
    state.dirs[i] = FindSetFolder(set, folders);
    if (!state.dirs[i].empty()) AppendCrcSection(set, state.dirs[i], crcText);
    for (const ListXmlDisk& disk : set.disks) CheckDisk(set, disk, folders, chdText, state.chd[i]);
  }
  return SaveWorkFile(state, kCrcFile, crcText, error) && SaveWorkFile(state, kChdListFile, chdText, error);
}

bool CollectBiosCrcs(const RomScanState& state, const RomFolderIndex& folders, std::string* error) {
  std::string text;
  for (const ListXmlSet& set : state.list.sets) {
    if (!set.isbios) continue;
    AppendWorkLine(text, "[" + set.name + "]");
    std::string dir;
    const std::string archive = ArchiveName(set.name);
    for (std::size_t i = 0; i < folders.FolderCount() && dir.empty(); ++i) {
      if (folders.HasFile(i, archive)) dir = folders.Folders()[i];
    }
    AppendWorkLine(text, "dir=" + dir);
    for (const ListXmlRom& rom : set.roms) AppendWorkLine(text, rom.crc);
    AppendWorkLine(text, "");
  }
  return SaveWorkFile(state, kBiosCrcFile, text, error);
}

}  // namespace kestrune::romscan
