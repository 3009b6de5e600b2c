#include "romscan/bad_rom_move.h"

#include <filesystem>
#include <system_error>

#include "catalogue/rom_archive_move.h"
#include "romscan/rom_path.h"

namespace kestrune::romscan {
namespace {

namespace fs = std::filesystem;

// MAME's own rom path when its ini file names none.

std::string WithoutZip(const std::string& archive) {
  constexpr std::string_view kZip = ".zip";
  if (archive.size() > kZip.size() && archive.compare(archive.size() - kZip.size(), kZip.size(), kZip) == 0) {
    return archive.substr(0, archive.size() - kZip.size());
  }
  return archive;
}

void ReportArchive(const std::string& archive, const catalogue::ArchiveMoveResult& moves,
                   std::vector<std::string>& lines) {
  for (const fs::path& target : moves.moved) {
    const std::string kept = target.filename().string();
    lines.push_back(kept == archive ? archive + " Moved." : archive + " Moved as " + kept + ".");
  }
  for (const std::string& failure : moves.failures) lines.push_back(archive + " Not moved: " + failure);
  if (moves.moved.empty() && moves.failures.empty()) lines.push_back(archive + " is a merged rom file. Not Moved!");
}

}  // namespace

std::vector<std::string> BadRomsListLines(const std::vector<std::string>& badRoms) {
  if (badRoms.empty()) return {"No bad Roms found."};
  std::vector<std::string> lines = badRoms;
  lines.emplace_back();
  lines.push_back("Bad roms found : " + std::to_string(badRoms.size()));
  return lines;
}

std::vector<std::string> MoveBadRoms(const std::string& frontDir, const std::vector<std::string>& badRoms) {
  std::vector<std::string> lines;
  std::vector<std::string> folders;
  std::string error;
  const fs::path target = fs::path(frontDir) / "badroms";
  std::error_code ec;
  if (!MameIniRomFolders(frontDir, folders, &error)) {
    lines.push_back("Nothing was moved: " + error);
  } else if (fs::create_directories(target, ec); ec) {
    lines.push_back("Nothing was moved: the folder " + target.string() + " cannot be made (" + ec.message() + ").");
  } else {
    for (const std::string& archive : badRoms) {
      ReportArchive(archive, catalogue::MoveRomArchive(folders, WithoutZip(archive), target), lines);
    }
  }
  lines.emplace_back();
  lines.push_back("Done.");
  return lines;
}

}  // namespace kestrune::romscan
