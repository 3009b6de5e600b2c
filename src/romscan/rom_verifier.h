#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "romscan/rom_path.h"
#include "romscan/scan_work_files.h"

// The second half of the ROM scan: the CRC-32 values in the central directories of the user's
// archives against those MAME expects, one verdict per set in sets.dat. Nothing is decompressed.
namespace kestrune::romscan {

// Lists the CRC-32 of every entry of a zip archive, in directory order, without decompressing.
// Returns false when the archive cannot be opened or its directory is damaged (it is never rebuilt
// from local headers). Called from several threads at once, for different archives.
using ArchiveCrcLister = std::function<bool(const std::filesystem::path& archive, std::vector<std::uint32_t>& crcs)>;

// What the scan tells the dialog that shows it. Called on the scanning thread; a dialog on another
// thread queues what it receives. Any member may be empty.
struct RomScanObserver {
  std::function<void(std::string_view)> instruction;
  std::function<void(std::string_view)> content;
  std::function<void(int)> progress;  // 0..100
};

// The archiver's own listing: one read of the archive's tail and one of its central directory.
bool ListArchiveCrcs(const std::filesystem::path& archive, std::vector<std::uint32_t>& crcs);

struct RomVerifyOptions {
  ArchiveCrcLister lister = ListArchiveCrcs;
  int threads = 4;   // archives whose directories are read at the same time
  std::string date;  // today's date in the user's short format, for the version text
  RomScanObserver observer;
};

// The verdicts of sets.dat, as RomStatusText indexes them.
enum class SetVerdict : char {
  ok = '0',
  noGoodDump = '1',
  romNotFound = '2',
  badRom = '3',
  missingChd = '4',
  missingBios = '5',
  badChd = '6',
};

// "M.A.M.E. build : " + build + " - Rom Scan Date: " + date, or with "Unknown" for a game list without
// a <mame> line.
std::string ReadMameBuild(const std::optional<std::string>& build, std::string_view date);
// The version text shown during the archive scan: cut after the character following its first ")",
// so "…(unknown) - Rom Scan Date: …" keeps "…(unknown) ". A text without ")" is kept whole.
std::string CutMameVersionText(std::string_view text);

// The progress shown while set k of total is scanned: k / total × 100, to the nearest integer, halves
// to even.
int ScanProgressValue(std::size_t k, std::size_t total);

// The dialog text while an archive is scanned.
std::string ScanContentText(std::string_view versionText, std::string_view archive, std::size_t total,
                            std::size_t checked);

// Reads the archives of the BIOS sets and of the devices whose ROMs a set needs, in every rom folder;
// marks in state.badShared each whose archive is missing, cannot be read, or lacks one of its CRCs.
void CheckBiosZips(RomScanState& state, const RomFolderIndex& folders, const RomVerifyOptions& options);

// Reads the archives of every set with a crc.dat section, in every rom folder that holds one, and
// writes filecrc.dat: per set "[set]" and the 8-digit upper-case CRC of each entry in directory
// order. Reports "Verifying roms...", the progress and the content text per set.
bool ScanRomZips(RomScanState& state, const RomFolderIndex& folders, const RomVerifyOptions& options,
                 std::string* error);

// The verdicts of a scanned game list. Built once after ScanRomZips: it resolves every set's CRCs and
// device references up front, so judging 45,000 sets stays cheap.
//
// The devices a set needs are those its device_ref lines reach, however deep, each once. Devices that
// reach each other in a cycle form one component of the reference graph (found without recursion),
// and what a component reaches is worked out once and shared, so every set on a cycle needs the same,
// whole set of devices whichever is judged first. A device whose archives are complete never makes a
// set incomplete; the others are looked up where the set's own ROMs are, once per such place.
class SetJudge {
 public:
  explicit SetJudge(const RomScanState& state);
  // The verdict of set i, or nothing when it gets no sets.dat line.
  std::optional<SetVerdict> Judge(std::size_t i) const;

 private:
  struct SetCrcs {
    std::vector<std::uint32_t> sorted;  // required CRCs, sorted
    bool unreadable = false;            // a required CRC text that is no CRC: never found
  };
  // Where MAME looks for a set's own ROMs: its archives, its parent's, its BIOS's expected CRCs when
  // that archive is complete. Sets with the same key look in the same places.
  struct SetSystem {
    std::array<std::size_t, 3> key;
    std::array<const std::vector<std::uint32_t>*, 3> lists;
    bool Empty() const;
    bool Has(std::uint32_t crc) const;
  };
  struct SystemKeyHash {
    std::size_t operator()(const std::array<std::size_t, 3>& key) const noexcept;
  };
  // Sets that reach each other through device references.
  struct Component {
    std::vector<std::size_t> members;
    std::vector<std::size_t> children;  // the other components its members reference
    int badDevices = 0;                 // members with ROMs whose archives are missing or incomplete
    bool badBelow = false;              // such a device is reachable from here, the members included
    bool lackingBelow = false;          // a reachable device lacks ROMs its own archives should hold
  };

  const std::vector<std::size_t>& Refs(std::size_t i) const;
  std::size_t ComponentOf(std::size_t set) const;
  void FindComponents(std::size_t root) const;
  void CloseComponent(std::vector<std::size_t> members) const;
  bool IsBadShared(std::size_t i) const;
  bool HasRoms(std::size_t i) const;
  bool LacksOwnRoms(std::size_t device) const;
  bool DeviceMisses(std::size_t device, const SetSystem& system) const;
  bool MembersMiss(std::size_t component, const SetSystem& system) const;
  bool DevicesMiss(std::size_t i, const SetSystem& system) const;
  bool ComponentMisses(std::size_t component, const SetSystem& system) const;
  bool NeedsBadDevice(std::size_t i) const;
  SetSystem SystemOf(std::size_t i, std::optional<std::size_t> parent, std::optional<std::size_t> bios) const;
  const std::vector<std::uint32_t>& Found(std::size_t i) const;
  std::optional<std::size_t> Bios(std::size_t i, std::optional<std::size_t> parent) const;

  const RomScanState& state_;
  std::vector<SetCrcs> crcs_;
  // The graph is walked only as far as the sets judged reach, and remembered.
  mutable std::vector<std::vector<std::size_t>> refs_;  // resolved device references, each once
  mutable std::vector<char> refsDone_;
  mutable std::vector<std::size_t> componentOf_;
  mutable std::vector<Component> components_;    // every component after those it references
  mutable std::vector<std::size_t> visitOrder_;  // the component search's numbering of the sets it met
  mutable std::vector<std::size_t> lowest_;
  mutable std::vector<char> onPath_;
  mutable std::size_t visited_ = 0;
  // Whether a component's devices miss ROMs for a system, by system number and component.
  mutable std::unordered_map<std::array<std::size_t, 3>, std::size_t, SystemKeyHash> systemNumbers_;
  mutable std::unordered_map<std::uint64_t, bool> misses_;
  // Sorted CRCs of every BIOS and device whose archive is complete: what a set without an archive of
  // its own could at best be made of.
  std::vector<std::uint32_t> goodSharedCrcs_;
};

// Writes sets.dat ("[roms]" and set=verdict per judged set, in game-list order) and deletes crc.dat,
// bioscrc.dat, filecrc.dat and chdlist.dat.
bool WriteSetVerdicts(const RomScanState& state, std::string* error);

// The archives read on a pool of threads, handed to `result` on the calling thread in the order of
// `archives`. The lister gets a fresh vector per archive.
void ReadArchivesInOrder(const std::vector<std::filesystem::path>& archives, const ArchiveCrcLister& lister,
                         int threads,
                         const std::function<void(std::size_t, bool, std::vector<std::uint32_t>&)>& result);

}  // namespace kestrune::romscan
