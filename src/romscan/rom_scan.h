#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "romscan/rom_verifier.h"
#include "romscan/scan_work_files.h"

// The ROM scan from MAME's game list to sets.dat, in the order its steps depend on each other. Runs
// on a worker thread; the dialog only shows what the observer is told.
namespace kestrune::romscan {

struct RomScanParams {
  std::filesystem::path listXml;        // roms.dat as MAME wrote it
  std::string frontDir;                 // the program folder, ending in "/"
  std::vector<std::string> romFolders;  // SplitRomPath of the rom path
  RomVerifyOptions verify;
  ListXmlReadOptions read;
};

// The steps after the game list has been read: writes crc.dat, chdlist.dat and bioscrc.dat, reads
// the archives of the rom folders, writes filecrc.dat and sets.dat and deletes the other work files.
bool VerifyRomSets(RomScanState& state, const std::vector<std::string>& romFolders, const RomVerifyOptions& verify,
                   std::string* error);

// Reads the game list, writes crc.dat, chdlist.dat and bioscrc.dat, reads the archives, writes
// filecrc.dat and sets.dat and deletes the other work files. `state` keeps the game list and the
// results for the catalogue build. Returns false, with *error saying why, when a file cannot be read
// or written or the game list is not whole; the old catalogue is then still the one to keep. The list
// is read whole before the first work file is written, so a list MAME did not finish replaces none.
bool RunRomScan(const RomScanParams& params, RomScanState& state, std::string* error);

}  // namespace kestrune::romscan
