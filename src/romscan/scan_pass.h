#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "romscan/catalogue_build.h"
#include "romscan/rom_verifier.h"
#include "settings/bios_sets.h"

// The whole ROM scan once MAME has been started on its game list: the list read from roms.dat (while
// MAME still writes it, when asked), the archives verified, the new catalogue built. Runs on a worker
// thread and only reports; nothing of the old catalogue is touched, so a failure anywhere leaves it
// as it was.
namespace kestrune::romscan {

inline constexpr std::string_view kListXmlFile = "roms.dat";

// How MAME's -listxml run ended: told on the GUI thread when MAME exits, read by the scan's worker
// while it reads the list MAME is still writing.
class MameListRun {
 public:
  // listFile: where MAME's list is written, for the messages.
  void Start(std::string listFile = std::string());
  // writeError: the system's reason why not all MAME wrote reached the list file; empty when it did.
  void Ended(int exitCode, bool crashed, std::string writeError = std::string());
  bool Done() const { return done_.load(); }
  // False, with the reason, until MAME has ended by itself with exit code 0 and its whole list was
  // written. A list that could not be written says why before anything else: MAME stopped by it
  // only seems to have failed.
  bool Succeeded(std::string* error) const;

 private:
  // Written before done_ is set and read only once it is.
  std::string listFile_;
  std::string writeError_;
  std::atomic<bool> done_{false};
  std::atomic<int> exitCode_{0};
  std::atomic<bool> crashed_{false};
};

struct ScanPassParams {
  std::string frontDir;  // the program folder, ending in "/": roms.dat, mame.ini and the work files
  // The rom folders; when not given, those of mame.ini's rom path (relative ones under the program
  // folder, where MAME runs), and MAME's own "roms" when mame.ini names none or does not exist.
  std::optional<std::vector<std::string>> romFolders;
  ListXmlReadOptions read;
  // Called once the list has been read whole: false, with the reason, when it must not be used
  // (MAME ended with an error).
  std::function<bool(std::string* error)> listDone;
  RomVerifyOptions verify;               // its observer hears the instructions, texts and progress
  std::vector<std::string> playedLines;  // CollectPlayedLines of the old catalogue
  bool carryCounters = true;
};

struct ScanPassResult {
  CatalogueBuild build;
  int carried = 0;  // lines that took the old counters over
  // "M.A.M.E. build : <build> - Rom Scan Date: <date>", "Unknown" without a <mame> line.
  std::string mameVersionText;
  bool hasMameBuild = false;  // the list had its <mame build=…> line
  settings::BiosSetLists biosSets;
  bool catverPresent = false;
  bool nplayersPresent = false;
};

// False, with *error saying why in words for the user, when the list cannot be read, is cut short or
// lists no game, when MAME failed (listDone), when a work file cannot be written, or when the pass was
// cancelled (read.cancelled, also looked at between the archives).
bool RunScanPass(const ScanPassParams& params, ScanPassResult& result, std::string* error);

// The <biosset> lines of the machines that have BIOS files.
settings::BiosSetLists CollectBiosSets(const ListXmlData& list);

// Removes what a pass leaves in the program folder: roms.dat, every work file, and the temp.bat of older
// versions. Also run at start-up and before a scan, for what a pass that was cut off (the program
// killed, the machine turned off) left behind. A file that cannot be removed is left.
void RemoveScanFiles(const std::string& frontDir);

}  // namespace kestrune::romscan
