#include "romscan/rom_scan.h"

namespace kestrune::romscan {

bool VerifyRomSets(RomScanState& state, const std::vector<std::string>& romFolders, const RomVerifyOptions& verify,
                   std::string* error) {
  if (verify.observer.instruction) verify.observer.instruction("Preparing data...");
  const RomFolderIndex folders(romFolders);
  if (!ParseListXmlRoms(state, folders, error) || !CollectBiosCrcs(state, folders, error)) return false;
  CheckBiosZips(state, folders, verify);
  return ScanRomZips(state, folders, verify, error) && WriteSetVerdicts(state, error);
}

bool RunRomScan(const RomScanParams& params, RomScanState& state, std::string* error) {
  state = RomScanState{};
  state.frontDir = params.frontDir;
  if (!ReadListXml(params.listXml, state.list, error, params.read)) return false;
  return VerifyRomSets(state, params.romFolders, params.verify, error);
}

}  // namespace kestrune::romscan
