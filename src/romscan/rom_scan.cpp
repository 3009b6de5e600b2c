#include "romscan/rom_scan.h"

namespace kestrune::romscan {

bool RunRomScan(const RomScanParams& params, RomScanState& state, std::string* error) {
  state = RomScanState{};
  state.frontDir = params.frontDir;
  if (!ReadListXml(params.listXml, state.list, error)) return false;
  if (params.verify.observer.instruction) params.verify.observer.instruction("Preparing data...");
  const RomFolderIndex folders(params.romFolders);
  if (!ParseListXmlRoms(state, folders, error) || !CollectBiosCrcs(state, folders, error)) return false;
  CheckBiosZips(state, folders, params.verify);
  return ScanRomZips(state, folders, params.verify, error) && WriteSetVerdicts(state, error);
}

}  // namespace kestrune::romscan
