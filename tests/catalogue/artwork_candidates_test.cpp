#include "catalogue/artwork_candidates.h"

#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace kestrune::catalogue {
namespace {

using Names = std::vector<std::string>;

struct CandidateCase {
  const char* label;
  ArtworkKind kind;
  ArtworkGame game;
  bool fromArchive;
  Names expected;
};

void PrintTo(const CandidateCase& c, std::ostream* out) { *out << c.label; }

class PaneCandidatesTest : public ::testing::TestWithParam<CandidateCase> {};

TEST_P(PaneCandidatesTest, TriesTheSetThenItsParent) {
  const CandidateCase& c = GetParam();
  EXPECT_EQ(PaneCandidates(c.kind, c.game, c.fromArchive), c.expected);
}

const ArtworkGame kClone{"puckman", "pacman"};
const ArtworkGame kParent{"pacman", ""};

INSTANTIATE_TEST_SUITE_P(
    Kinds, PaneCandidatesTest,
    ::testing::Values(
        CandidateCase{"SnapshotFolderOfAClone",
                      ArtworkKind::Snapshot,
                      kClone,
                      false,
                      {"puckman/0000.png", "puckman.png", "pacman.png", "pacman/0000.png"}},
        CandidateCase{"SnapshotFolderOfAParentTriesNoEmptyName",
                      ArtworkKind::Snapshot,
                      kParent,
                      false,
                      {"pacman/0000.png", "pacman.png"}},
        CandidateCase{
            "SnapshotArchiveHoldsSetNamesOnly", ArtworkKind::Snapshot, kClone, true, {"puckman.png", "pacman.png"}},
        CandidateCase{"FlyerFolder", ArtworkKind::Flyer, kClone, false, {"puckman.png", "pacman.png"}},
        CandidateCase{"TitleArchiveOfAParent", ArtworkKind::Title, kParent, true, {"pacman.png"}},
        CandidateCase{"MovieOfAClone", ArtworkKind::Movie, kClone, false, {"puckman.mng", "pacman.mng"}},
        CandidateCase{"MovieOfAParentTriesNoEmptyName", ArtworkKind::Movie, kParent, false, {"pacman.mng"}},
        CandidateCase{"NamesThatLeaveTheFolderAreNotTried", ArtworkKind::Snapshot, {"../etc", "a/b"}, false, {}},
        CandidateCase{"NoGameNoNames", ArtworkKind::Cabinet, {"", ""}, false, {}}),
    [](const ::testing::TestParamInfo<CandidateCase>& info) { return std::string(info.param.label); });

TEST(NumberedSnapshot, HasFourDigitsBeyondNine) {
  EXPECT_EQ(NumberedSnapshot("pacman", 0), "pacman/0000.png");
  EXPECT_EQ(NumberedSnapshot("pacman", 10), "pacman/0010.png");
  EXPECT_EQ(NumberedSnapshot("pacman", kLastSnapshotNumber), "pacman/9999.png");
}

// Artwork that is there, by kind and name; what each step of a cycle showed.
struct FakeArtwork {
  std::set<std::pair<ArtworkKind, std::string>> present;
  std::set<std::string> damaged;  // there, but does not load
  std::vector<std::string> shown;

  bool ShowFirst(ArtworkKind kind, const Names& names) {
    for (const std::string& name : names) {
      if (present.count({kind, name}) != 0 && damaged.count(name) == 0) {
        shown.push_back(name);
        return true;
      }
    }
    return false;
  }
};

const char* KindName(ArtworkKind kind) {
  constexpr const char* kNames[] = {"snap", "flyer", "cabinet", "marquee", "cpanel", "title", "movie"};
  return kNames[static_cast<int>(kind)];
}

// Runs `steps` steps of the kind cycle after a selection: "kind:name" of each picture shown, "-" for a
// step that showed nothing.
Names KindCycleSequence(FakeArtwork& art, const ArtworkGame& game, bool snapArchive, int steps) {
  ArtworkKindCycle cycle;
  cycle.Restart();
  Names sequence;
  for (int i = 0; i < steps; ++i) {
    const std::size_t before = art.shown.size();
    const auto kind = cycle.Step(
        game, [snapArchive](ArtworkKind k) { return snapArchive && k == ArtworkKind::Snapshot; },
        [&art](ArtworkKind k, const Names& names) { return art.ShowFirst(k, names); });
    EXPECT_EQ(kind.has_value(), art.shown.size() > before);
    sequence.push_back(kind ? std::string(KindName(*kind)) + ":" + art.shown.back() : "-");
  }
  return sequence;
}

TEST(ArtworkKindCycle, ShowsEachKindTheGameHasInTurn) {
  FakeArtwork art;
  art.present = {{ArtworkKind::Snapshot, "pacman/0000.png"},
                 {ArtworkKind::Cabinet, "pacman.png"},
                 {ArtworkKind::Title, "pacman.png"}};
  EXPECT_EQ(KindCycleSequence(art, kParent, false, 5),
            (Names{"cabinet:pacman.png", "title:pacman.png", "snap:pacman/0000.png", "cabinet:pacman.png",
                   "title:pacman.png"}));
}

TEST(ArtworkKindCycle, AClonesParentArtworkCounts) {
  FakeArtwork art;
  art.present = {{ArtworkKind::Snapshot, "pacman.png"}, {ArtworkKind::Flyer, "pacman.png"}};
  // From the flyer the cycle runs past the title to the snapshot, "<set>.png" only on that pass.
  EXPECT_EQ(KindCycleSequence(art, kClone, false, 4),
            (Names{"flyer:pacman.png", "snap:pacman.png", "flyer:pacman.png", "snap:pacman.png"}));
}

TEST(ArtworkKindCycle, AGameWithoutArtworkKeepsItsPicture) {
  FakeArtwork art;
  EXPECT_EQ(KindCycleSequence(art, kParent, false, 3), (Names{"-", "-", "-"}));
}

TEST(ArtworkKindCycle, ANumberedSnapshotAloneComesBackEverySecondStep) {
  FakeArtwork art;
  art.present = {{ArtworkKind::Snapshot, "pacman/0000.png"}};
  // The pass after the title tries "<set>.png" only, so the step after it starts from the snapshot.
  EXPECT_EQ(KindCycleSequence(art, kParent, false, 4),
            (Names{"-", "snap:pacman/0000.png", "-", "snap:pacman/0000.png"}));
}

TEST(ArtworkKindCycle, AnArchivedSnapshotIsAskedForByItsSetName) {
  FakeArtwork art;
  art.present = {{ArtworkKind::Snapshot, "pacman/0000.png"}, {ArtworkKind::Snapshot, "pacman.png"}};
  EXPECT_EQ(KindCycleSequence(art, kParent, true, 2), (Names{"snap:pacman.png", "snap:pacman.png"}));
}

// Runs `steps` steps of the snapshot cycle after a selection.
Names SnapshotSequence(FakeArtwork& art, const ArtworkGame& game, int steps) {
  SnapshotCycle cycle;
  cycle.Restart();
  Names sequence;
  for (int i = 0; i < steps; ++i) {
    const auto name = cycle.Step(
        game,
        [&art](const std::string& n) {
          return art.present.count({ArtworkKind::Snapshot, n}) != 0;
        },
        [&art](const std::string& n) { return art.ShowFirst(ArtworkKind::Snapshot, {n}); });
    sequence.push_back(name.value_or("-"));
  }
  return sequence;
}

FakeArtwork NumberedSnapshots(const std::string& set, int count) {
  FakeArtwork art;
  for (int n = 0; n < count; ++n) art.present.insert({ArtworkKind::Snapshot, NumberedSnapshot(set, n)});
  return art;
}

TEST(SnapshotCycle, RunsThroughTheNumberedSnapshotsAndStartsAgain) {
  FakeArtwork art = NumberedSnapshots("pacman", 3);
  EXPECT_EQ(SnapshotSequence(art, kParent, 5),
            (Names{"pacman/0000.png", "pacman/0001.png", "pacman/0002.png", "pacman/0000.png", "pacman/0001.png"}));
}

TEST(SnapshotCycle, ASingleSnapshotStaysOnShow) {
  FakeArtwork art = NumberedSnapshots("pacman", 1);
  EXPECT_EQ(SnapshotSequence(art, kParent, 2), (Names{"pacman/0000.png", "pacman/0000.png"}));
}

TEST(SnapshotCycle, ReachesNumbersBeyondNine) {
  FakeArtwork art = NumberedSnapshots("pacman", 12);
  const Names sequence = SnapshotSequence(art, kParent, 13);
  EXPECT_EQ(sequence[9], "pacman/0009.png");
  EXPECT_EQ(sequence[11], "pacman/0011.png");
  EXPECT_EQ(sequence[12], "pacman/0000.png");
}

TEST(SnapshotCycle, AGapEndsTheRun) {
  FakeArtwork art = NumberedSnapshots("pacman", 2);
  art.present.insert({ArtworkKind::Snapshot, "pacman/0003.png"});
  EXPECT_EQ(SnapshotSequence(art, kParent, 3), (Names{"pacman/0000.png", "pacman/0001.png", "pacman/0000.png"}));
}

TEST(SnapshotCycle, AnUnreadableSnapshotIsPassedOver) {
  FakeArtwork art = NumberedSnapshots("pacman", 3);
  art.damaged.insert("pacman/0001.png");
  EXPECT_EQ(SnapshotSequence(art, kParent, 3), (Names{"pacman/0000.png", "-", "pacman/0002.png"}));
}

TEST(SnapshotCycle, AClonesCycleIsItsParentsSnapshots) {
  FakeArtwork parentOnly = NumberedSnapshots("pacman", 2);
  EXPECT_EQ(SnapshotSequence(parentOnly, kClone, 2), (Names{"pacman/0000.png", "pacman/0001.png"}));
  FakeArtwork both = NumberedSnapshots("pacman", 2);
  both.present.insert({ArtworkKind::Snapshot, "puckman/0000.png"});
  EXPECT_EQ(SnapshotSequence(both, kClone, 2), (Names{"pacman/0000.png", "pacman/0001.png"}));
  FakeArtwork cloneOnly = NumberedSnapshots("puckman", 2);
  EXPECT_EQ(SnapshotSequence(cloneOnly, kClone, 1), (Names{"-"}));
}

TEST(SnapshotCycle, NothingToShowWithoutNumberedSnapshots) {
  FakeArtwork art;
  art.present = {{ArtworkKind::Snapshot, "pacman.png"}};
  EXPECT_EQ(SnapshotSequence(art, kParent, 2), (Names{"-", "-"}));
}

}  // namespace
}  // namespace kestrune::catalogue
