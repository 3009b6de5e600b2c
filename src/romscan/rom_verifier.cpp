#include "romscan/rom_verifier.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/text_file.h"
#include "zip/zip_listing.h"

namespace kestrune::romscan {

bool ListArchiveCrcs(const std::filesystem::path& archive, std::vector<std::uint32_t>& crcs) {
  return zip::ListZipCrcs(archive, crcs);
}

namespace {

using CrcList = std::vector<std::uint32_t>;
using ArchiveGroups = std::vector<std::vector<std::filesystem::path>>;

// How far the reading threads may run ahead of the consumer, to bound what waits in memory.
constexpr std::size_t kReadAhead = 4096;
constexpr int kMaxRomofDepth = 16;
constexpr std::size_t kUnseen = std::numeric_limits<std::size_t>::max();

struct GroupResult {
  CrcList crcs;
  bool anyRead = false;
};

GroupResult ReadGroup(const std::vector<std::filesystem::path>& archives, const ArchiveCrcLister& lister) {
  GroupResult result;
  CrcList crcs;
  for (const std::filesystem::path& archive : archives) {
    crcs.clear();
    bool read = false;
    try {
      read = lister(archive, crcs);
    } catch (...) {
      // A damaged archive must not end the scan; it simply yields nothing.
      read = false;
    }
    if (!read) continue;
    result.anyRead = true;
    result.crcs.insert(result.crcs.end(), crcs.begin(), crcs.end());
  }
  return result;
}

// Reads groups of archives on `threads` threads; `consume` sees them on the calling thread in order.
void ReadGroupsInOrder(const ArchiveGroups& groups, const ArchiveCrcLister& lister, int threads,
                       const std::function<void(std::size_t, GroupResult&)>& consume) {
  const std::size_t count = groups.size();
  if (threads <= 1 || count <= 1) {
    for (std::size_t k = 0; k < count; ++k) {
      GroupResult result = ReadGroup(groups[k], lister);
      consume(k, result);
    }
    return;
  }
  std::vector<GroupResult> results(count);
  std::unique_ptr<bool[]> ready(new bool[count]());
  std::atomic<std::size_t> next{0};
  std::size_t consumed = 0;
  std::mutex mutex;
  std::condition_variable changed;

  auto work = [&] {
    while (true) {
      const std::size_t k = next.fetch_add(1);
      if (k >= count) return;
      {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return k < consumed + kReadAhead; });
      }
      GroupResult result = ReadGroup(groups[k], lister);
      {
        std::lock_guard lock(mutex);
        results[k] = std::move(result);
        ready[k] = true;
      }
      changed.notify_all();
    }
  };
  std::vector<std::jthread> pool;
  const int workers = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(threads), count));
  for (int i = 0; i < workers; ++i) pool.emplace_back(work);
  for (std::size_t k = 0; k < count; ++k) {
    GroupResult result;
    {
      std::unique_lock lock(mutex);
      changed.wait(lock, [&] { return ready[k]; });
      result = std::move(results[k]);
    }
    consume(k, result);
    {
      std::lock_guard lock(mutex);
      consumed = k + 1;
    }
    changed.notify_all();
  }
}

std::vector<std::filesystem::path> ArchivesOf(std::string_view name, const RomFolderIndex& folders) {
  std::vector<std::filesystem::path> archives;
  const std::string file = std::string(name) + ".zip";
  for (std::size_t i = 0; i < folders.FolderCount(); ++i) {
    if (folders.HasFile(i, file)) archives.emplace_back(folders.Folders()[i] + file);
  }
  return archives;
}

bool HasRequiredCrc(const ListXmlSet& set) {
  return std::any_of(set.roms.begin(), set.roms.end(),
                     [](const ListXmlRom& rom) { return !rom.crc.empty() && !rom.optional; });
}

// BIOS sets, and devices with ROMs, whose archives serve other sets.
bool IsSharedSet(const ListXmlSet& set) { return set.isbios || (set.isdevice && HasRequiredCrc(set)); }

// The archives a shared set's ROMs may come from: its own and, for a device, those of its romof chain.
std::vector<std::filesystem::path> SharedArchives(const ListXmlData& list, const ListXmlSet& set,
                                                  const RomFolderIndex& folders) {
  std::vector<std::filesystem::path> archives = ArchivesOf(set.name, folders);
  const ListXmlSet* link = set.isdevice ? list.Find(set.romof) : nullptr;
  for (int depth = 0; link != nullptr && link != &set && depth < kMaxRomofDepth; ++depth) {
    for (std::filesystem::path& archive : ArchivesOf(link->name, folders)) archives.push_back(std::move(archive));
    link = link->romof.empty() ? nullptr : list.Find(link->romof);
  }
  return archives;
}

bool Contains(const CrcList& sorted, std::uint32_t crc) {
  return std::binary_search(sorted.begin(), sorted.end(), crc);
}

// Every required CRC of the set is among `sorted`.
bool HasAllCrcs(const ListXmlSet& set, const CrcList& sorted) {
  for (const ListXmlRom& rom : set.roms) {
    if (rom.crc.empty() || rom.optional) continue;
    if (!rom.valid || !Contains(sorted, rom.value)) return false;
  }
  return true;
}

void AppendCrcLine(std::string& out, std::uint32_t crc) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", crc);
  AppendWorkLine(out, text);
}

std::optional<std::size_t> FindIndex(const ListXmlData& list, std::string_view name) {
  if (name.empty()) return std::nullopt;
  const auto it = list.index.find(name);
  if (it == list.index.end()) return std::nullopt;
  return it->second;
}

}  // namespace

std::string ReadMameBuild(const std::optional<std::string>& build, std::string_view date) {
  return "M.A.M.E. build : " + (build ? *build : std::string("Unknown")) + " - Rom Scan Date: " + std::string(date);
}

std::string CutMameVersionText(std::string_view text) {
  const std::size_t bracket = text.find(')');
  if (bracket == std::string_view::npos) return std::string(text);
  return std::string(text.substr(0, bracket + 2));
}

int ScanProgressValue(std::size_t k, std::size_t total) {
  if (total == 0) return 0;
  return static_cast<int>(std::nearbyint(static_cast<double>(k) / static_cast<double>(total) * 100.0));
}

std::string ScanContentText(std::string_view versionText, std::string_view archive, std::size_t total,
                            std::size_t checked) {
  std::string text(versionText);
  text += "\rScanning ";
  text += archive;
  text += "\rRoms found     : " + std::to_string(total);
  text += "\rRoms checked : " + std::to_string(checked);
  return text;
}

void ReadArchivesInOrder(const std::vector<std::filesystem::path>& archives, const ArchiveCrcLister& lister,
                         int threads,
                         const std::function<void(std::size_t, bool, std::vector<std::uint32_t>&)>& result) {
  ArchiveGroups groups;
  groups.reserve(archives.size());
  for (const std::filesystem::path& archive : archives) groups.push_back({archive});
  ReadGroupsInOrder(groups, lister, threads,
                    [&](std::size_t k, GroupResult& group) { result(k, group.anyRead, group.crcs); });
}

void CheckBiosZips(RomScanState& state, const RomFolderIndex& folders, const RomVerifyOptions& options) {
  const std::vector<ListXmlSet>& sets = state.list.sets;
  state.badShared.assign(sets.size(), false);
  std::vector<std::size_t> shared;
  ArchiveGroups groups;
  for (std::size_t i = 0; i < sets.size(); ++i) {
    if (!IsSharedSet(sets[i])) continue;
    shared.push_back(i);
    groups.push_back(SharedArchives(state.list, sets[i], folders));
  }
  ReadGroupsInOrder(groups, options.lister, options.threads, [&](std::size_t k, GroupResult& group) {
    std::sort(group.crcs.begin(), group.crcs.end());
    // An archive that is there but cannot be read serves MAME no better than a missing one.
    state.badShared[shared[k]] = !group.anyRead || !HasAllCrcs(sets[shared[k]], group.crcs);
  });
}

bool ScanRomZips(RomScanState& state, const RomFolderIndex& folders, const RomVerifyOptions& options,
                 std::string* error) {
  const RomScanObserver& observer = options.observer;
  const std::vector<ListXmlSet>& sets = state.list.sets;
  state.found.assign(sets.size(), CrcList());
  state.archiveRead.assign(sets.size(), false);
  if (observer.instruction) observer.instruction("Verifying roms...");
  state.mameVersionText = CutMameVersionText(ReadMameBuild(state.list.mameBuild, options.date));

  std::vector<std::size_t> scanned;
  ArchiveGroups groups;
  for (std::size_t i = 0; i < sets.size(); ++i) {
    if (i >= state.dirs.size() || state.dirs[i].empty()) continue;
    scanned.push_back(i);
    groups.push_back(ArchivesOf(sets[i].name, folders));
  }
  const std::size_t total = scanned.size();
  std::string text;
  int shown = 0;
  if (observer.progress) observer.progress(shown);
  ReadGroupsInOrder(groups, options.lister, options.threads, [&](std::size_t k, GroupResult& group) {
    const std::size_t i = scanned[k];
    const int progress = ScanProgressValue(k, total);
    if (observer.progress && progress != shown) observer.progress(progress);
    shown = progress;
    if (observer.content) {
      observer.content(ScanContentText(state.mameVersionText, state.dirs[i] + sets[i].name + ".zip", total, k + 1));
    }
    AppendWorkLine(text, "[" + sets[i].name + "]");
    for (std::uint32_t crc : group.crcs) AppendCrcLine(text, crc);
    std::sort(group.crcs.begin(), group.crcs.end());
    group.crcs.erase(std::unique(group.crcs.begin(), group.crcs.end()), group.crcs.end());
    state.found[i] = std::move(group.crcs);
    state.archiveRead[i] = group.anyRead;
  });
  return platform::WriteFileAtomic(state.WorkFile(kFileCrcFile), text, error);
}

SetJudge::SetJudge(const RomScanState& state) : state_(state) {
  const std::vector<ListXmlSet>& sets = state.list.sets;
  crcs_.resize(sets.size());
  for (std::size_t i = 0; i < sets.size(); ++i) {
    for (const ListXmlRom& rom : sets[i].roms) {
      if (rom.crc.empty() || rom.optional) continue;
      if (rom.valid) {
        crcs_[i].sorted.push_back(rom.value);
      } else {
        crcs_[i].unreadable = true;
      }
    }
    std::sort(crcs_[i].sorted.begin(), crcs_[i].sorted.end());
  }
  for (std::size_t i = 0; i < sets.size(); ++i) {
    if (!IsSharedSet(sets[i]) || IsBadShared(i)) continue;
    goodSharedCrcs_.insert(goodSharedCrcs_.end(), crcs_[i].sorted.begin(), crcs_[i].sorted.end());
  }
  std::sort(goodSharedCrcs_.begin(), goodSharedCrcs_.end());
  refs_.resize(sets.size());
  refsDone_.assign(sets.size(), 0);
  componentOf_.assign(sets.size(), kUnseen);
  visitOrder_.assign(sets.size(), kUnseen);
  lowest_.assign(sets.size(), 0);
  onPath_.assign(sets.size(), 0);
}

const std::vector<std::size_t>& SetJudge::Refs(std::size_t i) const {
  if (refsDone_[i] == 0) {
    refsDone_[i] = 1;
    std::vector<std::size_t>& refs = refs_[i];
    for (const std::string& ref : state_.list.sets[i].deviceRefs) {
      const std::optional<std::size_t> device = FindIndex(state_.list, ref);
      if (device && *device != i) refs.push_back(*device);
    }
    std::sort(refs.begin(), refs.end());
    refs.erase(std::unique(refs.begin(), refs.end()), refs.end());
  }
  return refs_[i];
}

std::size_t SetJudge::ComponentOf(std::size_t set) const {
  if (componentOf_[set] == kUnseen) FindComponents(set);
  return componentOf_[set];
}

// Tarjan's strongly connected components from one set, with an explicit stack: a chain of references
// as long as the list must not use one call per link. A component is closed only after every
// component it reaches; sets met by an earlier search are in closed components already.
void SetJudge::FindComponents(std::size_t root) const {
  std::vector<std::size_t> path;
  struct Frame {
    std::size_t set;
    std::size_t next = 0;  // the next of its references to follow
  };
  std::vector<Frame> calls;
  auto enter = [&](std::size_t set) {
    visitOrder_[set] = lowest_[set] = visited_++;
    path.push_back(set);
    onPath_[set] = 1;
    calls.push_back({set});
  };
  enter(root);
  while (!calls.empty()) {
    Frame& frame = calls.back();
    const std::size_t set = frame.set;
    const std::vector<std::size_t>& refs = Refs(set);
    if (frame.next < refs.size()) {
      const std::size_t ref = refs[frame.next++];
      if (visitOrder_[ref] == kUnseen) {
        enter(ref);
      } else if (onPath_[ref] != 0) {
        lowest_[set] = std::min(lowest_[set], visitOrder_[ref]);
      }
      continue;
    }
    calls.pop_back();
    if (!calls.empty()) lowest_[calls.back().set] = std::min(lowest_[calls.back().set], lowest_[set]);
    if (lowest_[set] != visitOrder_[set]) continue;
    std::vector<std::size_t> members;
    std::size_t member;
    do {
      member = path.back();
      path.pop_back();
      onPath_[member] = 0;
      members.push_back(member);
    } while (member != set);
    CloseComponent(std::move(members));
  }
}

void SetJudge::CloseComponent(std::vector<std::size_t> members) const {
  const std::size_t id = components_.size();
  for (std::size_t member : members) componentOf_[member] = id;
  Component component;
  for (std::size_t member : members) {
    for (std::size_t ref : Refs(member)) {
      if (componentOf_[ref] != id) component.children.push_back(componentOf_[ref]);
    }
    if (HasRoms(member) && IsBadShared(member)) ++component.badDevices;
    component.lackingBelow = component.lackingBelow || LacksOwnRoms(member);
  }
  std::sort(component.children.begin(), component.children.end());
  component.children.erase(std::unique(component.children.begin(), component.children.end()), component.children.end());
  component.badBelow = component.badDevices > 0;
  for (std::size_t child : component.children) {
    component.badBelow = component.badBelow || components_[child].badBelow;
    component.lackingBelow = component.lackingBelow || components_[child].lackingBelow;
  }
  component.members = std::move(members);
  components_.push_back(std::move(component));
}

bool SetJudge::IsBadShared(std::size_t i) const { return i < state_.badShared.size() && state_.badShared[i]; }

// A set whose ROMs a device reference brings in.
bool SetJudge::HasRoms(std::size_t i) const { return !crcs_[i].sorted.empty() || crcs_[i].unreadable; }

// A device that cannot be complete from its own archives: only such a device can make a set miss ROMs.
bool SetJudge::LacksOwnRoms(std::size_t device) const {
  if (crcs_[device].unreadable) return true;
  if (!IsBadShared(device)) return false;
  const CrcList& own = Found(device);
  return std::any_of(crcs_[device].sorted.begin(), crcs_[device].sorted.end(),
                     [&](std::uint32_t crc) { return !Contains(own, crc); });
}

const CrcList& SetJudge::Found(std::size_t i) const {
  static const CrcList kNone;
  return i < state_.found.size() ? state_.found[i] : kNone;
}

bool SetJudge::SetSystem::Empty() const {
  return std::all_of(lists.begin(), lists.end(), [](const CrcList* list) { return list == nullptr; });
}

bool SetJudge::SetSystem::Has(std::uint32_t crc) const {
  return std::any_of(lists.begin(), lists.end(),
                     [crc](const CrcList* list) { return list != nullptr && Contains(*list, crc); });
}

std::size_t SetJudge::SystemKeyHash::operator()(const std::array<std::size_t, 3>& key) const noexcept {
  std::size_t hash = 0;
  for (std::size_t part : key) hash = hash * 1'000'003u ^ std::hash<std::size_t>{}(part);
  return hash;
}

SetJudge::SetSystem SetJudge::SystemOf(std::size_t i, std::optional<std::size_t> parent,
                                       std::optional<std::size_t> bios) const {
  constexpr std::size_t kNoOne = std::numeric_limits<std::size_t>::max();
  SetSystem system{{kNoOne, kNoOne, kNoOne}, {nullptr, nullptr, nullptr}};
  const std::optional<std::size_t> places[3] = {i, parent, bios};
  for (std::size_t k = 0; k < 3; ++k) {
    if (!places[k]) continue;
    const CrcList& list = k == 2 ? crcs_[*places[k]].sorted : Found(*places[k]);
    if (list.empty()) continue;
    system.key[k] = *places[k];
    system.lists[k] = &list;
  }
  return system;
}

// A device's ROMs are looked for in its own archives first, then where the set's are; never in
// another device's archive.
bool SetJudge::DeviceMisses(std::size_t device, const SetSystem& system) const {
  if (!LacksOwnRoms(device)) return false;
  if (crcs_[device].unreadable) return true;
  const CrcList& own = Found(device);
  return std::any_of(crcs_[device].sorted.begin(), crcs_[device].sorted.end(),
                     [&](std::uint32_t crc) { return !Contains(own, crc) && !system.Has(crc); });
}

bool SetJudge::MembersMiss(std::size_t component, const SetSystem& system) const {
  const std::vector<std::size_t>& members = components_[component].members;
  return std::any_of(members.begin(), members.end(), [&](std::size_t device) { return DeviceMisses(device, system); });
}

// Whether a device the component reaches misses ROMs for sets with this system: a walk with its own
// stack over the components that lack ROMs, remembered per system, since clones of one parent all
// look in the same places.
bool SetJudge::ComponentMisses(std::size_t component, const SetSystem& system) const {
  const std::size_t number = systemNumbers_.try_emplace(system.key, systemNumbers_.size()).first->second;
  auto key = [&](std::size_t c) { return static_cast<std::uint64_t>(number) * components_.size() + c; };
  if (const auto known = misses_.find(key(component)); known != misses_.end()) return known->second;
  struct Frame {
    std::size_t component;
    std::size_t next = 0;
  };
  std::vector<Frame> walk;
  auto missed = [&] {
    for (const Frame& frame : walk) misses_[key(frame.component)] = true;
    return true;
  };
  walk.push_back({component});
  if (MembersMiss(component, system)) return missed();
  while (!walk.empty()) {
    Frame& frame = walk.back();
    const std::vector<std::size_t>& children = components_[frame.component].children;
    if (frame.next == children.size()) {
      misses_[key(frame.component)] = false;
      walk.pop_back();
      continue;
    }
    const std::size_t child = children[frame.next++];
    if (!components_[child].lackingBelow) continue;
    if (const auto known = misses_.find(key(child)); known != misses_.end()) {
      if (known->second) return missed();
      continue;
    }
    walk.push_back({child});
    if (MembersMiss(child, system)) return missed();
  }
  return false;
}

// Whether a device set i needs misses ROMs. Set i itself may be on a device cycle: a device it then
// needs as its own lacks nothing its own ROMs do not already lack.
bool SetJudge::DevicesMiss(std::size_t i, const SetSystem& system) const {
  for (std::size_t ref : Refs(i)) {
    const std::size_t component = ComponentOf(ref);
    if (!components_[component].lackingBelow) continue;
    // With no archive to look in, a device that lacks ROMs lacks them for the set too.
    if (system.Empty() || ComponentMisses(component, system)) return true;
  }
  return false;
}

// Whether a device set i needs, other than itself, has a missing or incomplete archive.
bool SetJudge::NeedsBadDevice(std::size_t i) const {
  const bool ownBad = HasRoms(i) && IsBadShared(i);
  for (std::size_t ref : Refs(i)) {
    const std::size_t id = ComponentOf(ref);
    const Component& component = components_[id];
    // A set the search from its device did not meet is on no cycle with it.
    if (id != componentOf_[i]) {
      if (component.badBelow) return true;
      continue;
    }
    if (component.badDevices > (ownBad ? 1 : 0)) return true;
    for (std::size_t child : component.children) {
      if (components_[child].badBelow) return true;
    }
  }
  return false;
}

std::optional<std::size_t> SetJudge::Bios(std::size_t i, std::optional<std::size_t> parent) const {
  const ListXmlSet& set = state_.list.sets[i];
  // A clone's romof names its parent; the BIOS is then the parent's.
  std::string_view romof = set.romof;
  if (romof == set.cloneof) romof = parent ? std::string_view(state_.list.sets[*parent].romof) : "";
  const std::optional<std::size_t> bios = FindIndex(state_.list, romof);
  if (!bios || !state_.list.sets[*bios].isbios) return std::nullopt;
  return bios;
}

std::optional<SetVerdict> SetJudge::Judge(std::size_t i) const {
  const ListXmlSet& set = state_.list.sets[i];
  const bool hasSection = i < state_.dirs.size() && !state_.dirs[i].empty();
  // Sets outside the game list are judged only when their archive is there.
  if (!hasSection && !set.IsGame()) return std::nullopt;
  // Without an archive of its own a set can only be complete through BIOS and device archives; most
  // are not, and are told apart before anything is looked up.
  if (!hasSection) {
    if (crcs_[i].unreadable) return std::nullopt;
    for (std::uint32_t crc : crcs_[i].sorted) {
      if (!Contains(goodSharedCrcs_, crc)) return std::nullopt;
    }
  }
  const std::optional<std::size_t> parent = FindIndex(state_.list, set.cloneof);
  const std::optional<std::size_t> bios = Bios(i, parent);
  const bool biosBad = bios && IsBadShared(*bios);
  const SetSystem system = SystemOf(i, parent, biosBad ? std::nullopt : bios);
  const bool ownMissing = crcs_[i].unreadable || !std::all_of(crcs_[i].sorted.begin(), crcs_[i].sorted.end(),
                                                              [&](std::uint32_t crc) { return system.Has(crc); });
  const bool missing = ownMissing || DevicesMiss(i, system);
  if (!hasSection && missing) return std::nullopt;

  const ChdState none;
  const ChdState& own = i < state_.chd.size() ? state_.chd[i] : none;
  // Today's list names every disk a clone needs, shared ones included, so its own disks decide; the
  // old list names only the clone's own, and the parent's images count as well.
  const bool parentDisksCount = !state_.list.machineForm;
  const ChdState& parentChd = parentDisksCount && parent && *parent < state_.chd.size() ? state_.chd[*parent] : none;
  if (own.bad || parentChd.bad) return SetVerdict::badChd;
  if (own.missing || parentChd.missing) return SetVerdict::missingChd;
  if (missing) return biosBad || NeedsBadDevice(i) ? SetVerdict::missingBios : SetVerdict::badRom;
  return set.noGoodDump ? SetVerdict::noGoodDump : SetVerdict::ok;
}

bool WriteSetVerdicts(const RomScanState& state, std::string* error) {
  std::string text;
  AppendWorkLine(text, "[roms]");
  const SetJudge judge(state);
  for (std::size_t i = 0; i < state.list.sets.size(); ++i) {
    const std::optional<SetVerdict> verdict = judge.Judge(i);
    if (!verdict) continue;
    AppendWorkLine(text, state.list.sets[i].name + '=' + static_cast<char>(*verdict));
  }
  if (!platform::WriteFileAtomic(state.WorkFile(kSetsFile), text, error)) return false;
  for (std::string_view name : {kCrcFile, kBiosCrcFile, kFileCrcFile, kChdListFile}) {
    std::error_code ignored;
    std::filesystem::remove(state.WorkFile(name), ignored);
  }
  return true;
}

}  // namespace kestrune::romscan
