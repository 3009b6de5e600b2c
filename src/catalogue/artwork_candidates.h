#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Which files the picture area tries for a game, in which order, and the two automatic cycles of the
// snapshot pane.
namespace kestrune::catalogue {

// The artwork kinds, one per picture page, in the order of the main window's pictures.
enum class ArtworkKind : int { Snapshot, Flyer, Cabinet, Marquee, ControlPanel, Title, Movie };
inline constexpr int kArtworkKindCount = 7;

// The game whose artwork is shown: its own set name and its parent's (empty for a parent).
struct ArtworkGame {
  std::string romname;
  std::string cloneof;
};

// A set name that can stand as one file or folder name: not empty, no separator, not "." or "..".
// Anything else (a damaged catalogue line) is never looked up, so no look-up leaves the artwork folder.
bool IsPlainSetName(std::string_view name);

// The names tried for one kind, best first, relative to the kind's folder or archive. An archive is
// asked for "<set>.png"; the snapshot folder also holds MAME's numbered snapshots "<set>/0000.png"; a
// movie is "<set>.mng". The game's own name comes before its parent's, and a parent tries no parent.
std::vector<std::string> PaneCandidates(ArtworkKind kind, const ArtworkGame& game, bool fromArchive);

// MAME's name for a numbered snapshot of a set: "<folder>/0003.png".
std::string NumberedSnapshot(std::string_view folder, int number);
inline constexpr int kLastSnapshotNumber = 9999;

// Tries names of one kind in order and shows the first that loads; true when one was shown.
using ShowFirstOf = std::function<bool(ArtworkKind kind, const std::vector<std::string>& names)>;
// Whether a kind is read from its archive (else from its folder).
using FromArchive = std::function<bool(ArtworkKind kind)>;

// The kind cycle of the snapshot pane: each step shows the next kind of artwork the game has, in the
// order snapshot, cabinet, control panel, flyer, marquee, title, then the snapshot again. A game with
// none keeps the picture it has: the cycle never shows the default picture.
class ArtworkKindCycle {
 public:
  static constexpr std::array<ArtworkKind, 6> kOrder = {ArtworkKind::Snapshot,     ArtworkKind::Cabinet,
                                                        ArtworkKind::ControlPanel, ArtworkKind::Flyer,
                                                        ArtworkKind::Marquee,      ArtworkKind::Title};

  // A game was selected: its snapshot is on show, so the cycle goes on with the cabinet.
  void Restart() { next_ = 1; }
  // The place in kOrder of the kind tried first by the next step.
  int Next() const { return next_; }
  // Shows the next kind the game has; returns it, or nothing when the game has none.
  std::optional<ArtworkKind> Step(const ArtworkGame& game, const FromArchive& fromArchive, const ShowFirstOf& show);

 private:
  int next_ = 0;
};

// The snapshot cycle: MAME's numbered snapshots of the game, "0000.png", "0001.png", … in turn, and
// back to "0000.png" after the last number there is. A clone without numbered snapshots of its own
// cycles its parent's. Only files that are there are shown.
class SnapshotCycle {
 public:
  using Exists = std::function<bool(const std::string& name)>;
  using Show = std::function<bool(const std::string& name)>;

  // A game was selected: the cycle starts again at "0000.png".
  void Restart() { next_ = 0; }
  int Next() const { return next_; }
  // Shows the next numbered snapshot; returns its name, or nothing when none was shown.
  std::optional<std::string> Step(const ArtworkGame& game, const Exists& exists, const Show& show);

 private:
  int next_ = 0;
};

}  // namespace kestrune::catalogue
