#include "catalogue/artwork_candidates.h"

#include <cstdio>

namespace kestrune::catalogue {
namespace {

void AddIfPlain(std::vector<std::string>& names, const std::string& set, std::string_view suffix) {
  if (IsPlainSetName(set)) {
    names.push_back(set + std::string(suffix));
  }
}

void AddNumberedIfPlain(std::vector<std::string>& names, const std::string& set) {
  if (IsPlainSetName(set)) {
    names.push_back(NumberedSnapshot(set, 0));
  }
}

// The snapshot names of the kind cycle: with `numbered`, each set's "0000.png" before its "<set>.png".
std::vector<std::string> CycleSnapshotNames(const ArtworkGame& game, bool fromArchive, bool numbered) {
  std::vector<std::string> names;
  for (const std::string* set : {&game.romname, &game.cloneof}) {
    if (numbered && !fromArchive) {
      AddNumberedIfPlain(names, *set);
    }
    AddIfPlain(names, *set, ".png");
  }
  return names;
}

}  // namespace

bool IsPlainSetName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

std::vector<std::string> PaneCandidates(ArtworkKind kind, const ArtworkGame& game, bool fromArchive) {
  std::vector<std::string> names;
  if (kind == ArtworkKind::Movie) {
    AddIfPlain(names, game.romname, ".mng");
    AddIfPlain(names, game.cloneof, ".mng");
    return names;
  }
  const bool numbered = kind == ArtworkKind::Snapshot && !fromArchive;
  if (numbered) {
    AddNumberedIfPlain(names, game.romname);
  }
  AddIfPlain(names, game.romname, ".png");
  AddIfPlain(names, game.cloneof, ".png");
  if (numbered) {
    AddNumberedIfPlain(names, game.cloneof);
  }
  return names;
}

std::string NumberedSnapshot(std::string_view folder, int number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04d", number);
  return std::string(folder) + "/" + digits + ".png";
}

std::optional<ArtworkKind> ArtworkKindCycle::Step(const ArtworkGame& game, const FromArchive& fromArchive,
                                                  const ShowFirstOf& show) {
  const int count = static_cast<int>(kOrder.size());
  for (int place = next_; place < count; ++place) {
    const ArtworkKind kind = kOrder[static_cast<std::size_t>(place)];
    const std::vector<std::string> names = kind == ArtworkKind::Snapshot
                                               ? CycleSnapshotNames(game, fromArchive(kind), true)
                                               : PaneCandidates(kind, game, fromArchive(kind));
    if (!names.empty() && show(kind, names)) {
      next_ = (place + 1) % count;
      return kind;
    }
  }
  // Past the title: the snapshot once more, its plain "<set>.png" names only.
  const std::vector<std::string> names = CycleSnapshotNames(game, fromArchive(ArtworkKind::Snapshot), false);
  if (!names.empty() && show(ArtworkKind::Snapshot, names)) {
    next_ = 1;
    return ArtworkKind::Snapshot;
  }
  next_ = 0;
  return std::nullopt;
}

std::optional<std::string> SnapshotCycle::Step(const ArtworkGame& game, const Exists& exists, const Show& show) {
  // A clone cycles through its parent's snapshots, which is where a snapshot collection keeps them.
  const std::string& folder = game.cloneof.empty() ? game.romname : game.cloneof;
  if (!IsPlainSetName(folder) || !exists(NumberedSnapshot(folder, 0))) {
    return std::nullopt;
  }
  if (next_ < 0 || next_ > kLastSnapshotNumber || !exists(NumberedSnapshot(folder, next_))) {
    next_ = 0;
  }
  const std::string name = NumberedSnapshot(folder, next_);
  const bool more = next_ < kLastSnapshotNumber && exists(NumberedSnapshot(folder, next_ + 1));
  next_ = more ? next_ + 1 : 0;
  // A file that does not load is passed over: the cycle has already moved on to the next number.
  if (!show(name)) {
    return std::nullopt;
  }
  return name;
}

}  // namespace kestrune::catalogue
