#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue_file.h"

// Moving a game's ROM archive out of the rom folders into the bad-ROMs folder, and marking its
// catalogue line as a game whose ROMs are gone.
namespace kestrune::catalogue {

// More rom folders than this are not searched.
inline constexpr std::size_t kMaxRomFolders = 255;

// The path in `folder` that `fileName` can take without replacing a file: the name itself while it is
// free, else "name (2).ext", "name (3).ext" ...
std::filesystem::path FreeTargetPath(const std::filesystem::path& folder, const std::string& fileName);

// Moves one file to a path that must not exist yet: a rename, or a copy and a removal across file
// systems. A target that exists is never replaced (the call fails with file_exists). A copy whose
// source cannot be removed afterwards is taken back, so the file stays in exactly one place.
bool MoveFileNoReplace(const std::filesystem::path& from, const std::filesystem::path& to, std::error_code& ec);

struct ArchiveMoveResult {
  std::vector<std::filesystem::path> moved;  // where each moved copy now is
  std::vector<std::string> failures;         // one message per copy that could not be moved
};

// Moves "<romname>.zip" out of every folder that holds it into `badRomsFolder` (created when missing),
// in folder order; a copy whose name is taken there gets a free name (FreeTargetPath). When the
// bad-ROMs folder cannot be created nothing is moved and the one failure says why.
ArchiveMoveResult MoveRomArchive(const std::vector<std::string>& romFolders, std::string_view romname,
                                 const std::filesystem::path& badRomsFolder);

// Marks the game's line as not available with the status "Rom not found" ("1" first, "2" last),
// keeping every other field. The line is the first game line whose romname field is exactly this. Returns
// whether a line was changed.
bool FlagRomNotFound(Catalogue& catalogue, std::string_view romname);

}  // namespace kestrune::catalogue
