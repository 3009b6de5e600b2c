#include "romscan/scan_pass.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/text_file.h"
#include "romscan/rom_path.h"
#include "romscan/rom_scan.h"

namespace kestrune::romscan {
namespace {

namespace fs = std::filesystem;

void Say(const RomScanObserver& observer, std::string_view text) {
  if (observer.instruction) observer.instruction(text);
}

bool FindRomFolders(const ScanPassParams& params, std::vector<std::string>& folders, std::string* error) {
  if (params.romFolders) {
    folders = *params.romFolders;
    return true;
  }
  return MameIniRomFolders(params.frontDir, folders, error);
}

// A cancelled pass reads no more archives: the lister answers at once, so the rest of the pass is
// quick and its result is thrown away.
RomVerifyOptions StoppableVerify(const ScanPassParams& params) {
  RomVerifyOptions verify = params.verify;
  if (params.read.cancelled) {
    verify.lister = [lister = verify.lister, cancelled = params.read.cancelled](const fs::path& archive,
                                                                                std::vector<std::uint32_t>& crcs) {
      return !cancelled() && lister(archive, crcs);
    };
  }
  return verify;
}

bool Cancelled(const ScanPassParams& params, std::string* error) {
  if (!params.read.cancelled || !params.read.cancelled()) return false;
  if (error != nullptr) *error = "The scan was cancelled.";
  return true;
}

bool ListsAGame(const ListXmlData& list) {
  return std::any_of(list.sets.begin(), list.sets.end(), [](const ListXmlSet& set) { return set.IsGame(); });
}

}  // namespace

settings::BiosSetLists CollectBiosSets(const ListXmlData& list) {
  settings::BiosSetLists lists;
  for (const settings::BiosFile& file : settings::BiosFiles()) {
    const ListXmlSet* set = list.Find(file.machine);
    if (set != nullptr && !set->biosSets.empty()) lists[std::string(file.machine)] = set->biosSets;
  }
  return lists;
}

bool RunScanPass(const ScanPassParams& params, ScanPassResult& result, std::string* error) {
  result = ScanPassResult{};
  const RomScanObserver& observer = params.verify.observer;
  RomScanState state;
  state.frontDir = params.frontDir;
  if (!ReadListXml(fs::path(params.frontDir) / kListXmlFile, state.list, error, params.read)) {
    Cancelled(params, error);
    return false;
  }
  if (params.listDone && !params.listDone(error)) return false;
  if (!ListsAGame(state.list)) {
    if (error != nullptr) *error = "MAME's game list names no game that MAME can run.";
    return false;
  }
  std::vector<std::string> folders;
  if (!FindRomFolders(params, folders, error)) return false;
  if (!VerifyRomSets(state, folders, StoppableVerify(params), error) || Cancelled(params, error)) return false;

  if (observer.progress) observer.progress(100);
  Say(observer, "Building database...");
  settings::IniFile setsDat;
  if (setsDat.LoadFromFile(state.WorkFile(kSetsFile), error) != settings::LoadResult::kLoaded) {
    if (error != nullptr && error->empty())
      *error = "The verdicts of the scan (" + state.WorkFile(kSetsFile).string() + ") cannot be read.";
    return false;
  }
  const SetNames listed = ListedSetNames(state.list);
  const SupportFiles support = LoadSupportFiles(params.frontDir, listed);
  result.catverPresent = support.catver.has_value();
  result.nplayersPresent = support.nplayers.has_value();
  result.build = BuildGameDatabase(state.list, setsDat, support);
  if (params.carryCounters) {
    Say(observer, "Updating data...");
    result.carried = CarryCountersOver(params.playedLines, result.build.lines);
  }
  result.mameVersionText = ReadMameBuild(state.list.mameBuild, params.verify.date);
  result.hasMameBuild = state.list.mameBuild.has_value();
  result.biosSets = CollectBiosSets(state.list);
  return true;
}

void RemoveScanFiles(const std::string& frontDir) {
  for (std::string_view name :
       {std::string_view("temp.bat"), kListXmlFile, kCrcFile, kChdListFile, kBiosCrcFile, kFileCrcFile, kSetsFile}) {
    std::error_code ignored;
    fs::remove(fs::path(frontDir) / name, ignored);
    // The work files are saved whole or not at all: a pass cut off while saving one left its temporary file.
    platform::RemoveStagedLeftovers(fs::path(frontDir) / name);
  }
}

void MameListRun::Start(std::string listFile) {
  listFile_ = std::move(listFile);
  writeError_.clear();
  exitCode_ = 0;
  crashed_ = false;
  done_ = false;
}

void MameListRun::Ended(int exitCode, bool crashed, std::string writeError) {
  writeError_ = std::move(writeError);
  exitCode_ = exitCode;
  crashed_ = crashed;
  done_ = true;
}

bool MameListRun::Succeeded(std::string* error) const {
  if (!done_) {
    if (error != nullptr) *error = "MAME has not finished its game list.";
    return false;
  }
  if (!writeError_.empty()) {
    if (error != nullptr) *error = "MAME's game list could not be written to \"" + listFile_ + "\": " + writeError_;
    return false;
  }
  if (crashed_) {
    if (error != nullptr) *error = "MAME stopped before it had finished its game list.";
    return false;
  }
  if (exitCode_ != 0) {
    if (error != nullptr) *error = "MAME ended with error code " + std::to_string(exitCode_.load()) + ".";
    return false;
  }
  return true;
}

}  // namespace kestrune::romscan
