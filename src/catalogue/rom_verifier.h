#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/rom_path.h"
#include "catalogue/scan_work_files.h"

// The second half of the ROM scan: the CRC-32 values in the central directories of the user's
// archives against those MAME expects, one verdict per set in sets.dat. Nothing is decompressed.
namespace kestrune::catalogue {

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
  int threads = 4;  // archives whose directories are read at the same time
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
  bool IsBadShared(std::size_t i) const;
  const std::vector<std::uint32_t>& Found(std::size_t i) const;
  const std::vector<std::size_t>& DeviceClosure(std::size_t device) const;
  std::vector<std::size_t> NeededDevices(std::size_t i) const;
  std::optional<std::size_t> Bios(std::size_t i, std::optional<std::size_t> parent) const;

  const RomScanState& state_;
  std::vector<SetCrcs> crcs_;
  const std::vector<std::size_t>& Refs(std::size_t i) const;

  mutable std::vector<std::vector<std::size_t>> refs_;  // resolved device references, memoised
  mutable std::vector<char> refsDone_;
  mutable std::vector<std::vector<std::size_t>> closure_;  // devices with ROMs a device brings, memoised
  mutable std::vector<char> closureDone_;
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

}  // namespace kestrune::catalogue
