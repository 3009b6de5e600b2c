#include "catalogue/rom_archive_move.h"

#include <algorithm>
#include <system_error>

#include "settings/option_file_reader.h"

namespace kestrune::catalogue {
namespace fs = std::filesystem;

fs::path FreeTargetPath(const fs::path& folder, const std::string& fileName) {
  fs::path target = folder / fileName;
  const fs::path name(fileName);
  const std::string stem = name.stem().string();
  const std::string extension = name.extension().string();
  std::error_code ec;
  for (int copy = 2; fs::exists(fs::symlink_status(target, ec)); ++copy) {
    target = folder / (stem + " (" + std::to_string(copy) + ")" + extension);
  }
  return target;
}

bool MoveFileNoReplace(const fs::path& from, const fs::path& to, std::error_code& ec) {
  ec.clear();
  // rename() replaces an existing target without a word, so the target is tested first.
  if (fs::exists(fs::symlink_status(to, ec))) {
    ec = std::make_error_code(std::errc::file_exists);
    return false;
  }
  fs::rename(from, to, ec);
  if (ec != std::errc::cross_device_link) return !ec;
  // Another file system: copy (refused when the target appeared meanwhile), then remove the source.
  if (!fs::copy_file(from, to, fs::copy_options::none, ec)) return false;
  if (!fs::remove(from, ec)) {
    std::error_code ignored;
    fs::remove(to, ignored);
    if (!ec) ec = std::make_error_code(std::errc::io_error);
    return false;
  }
  return true;
}

ArchiveMoveResult MoveRomArchive(const std::vector<std::string>& romFolders, std::string_view romname,
                                 const fs::path& badRomsFolder) {
  ArchiveMoveResult result;
  std::error_code ec;
  fs::create_directories(badRomsFolder, ec);
  if (ec) {
    result.failures.push_back("Cannot create the folder " + badRomsFolder.string() + ": " + ec.message());
    return result;
  }
  const std::string archive = std::string(romname) + ".zip";
  const std::size_t count = std::min(romFolders.size(), kMaxRomFolders);
  for (std::size_t i = 0; i < count; ++i) {
    const fs::path source = fs::path(romFolders[i]) / archive;
    if (!fs::is_regular_file(source, ec)) continue;
    const fs::path target = FreeTargetPath(badRomsFolder, archive);
    if (MoveFileNoReplace(source, target, ec)) {
      result.moved.push_back(target);
    } else {
      result.failures.push_back("Cannot move " + source.string() + " to " + target.string() + ": " + ec.message());
    }
  }
  return result;
}

bool FlagRomNotFound(Catalogue& catalogue, std::string_view romname) {
  const std::string key = "|" + std::string(romname) + "|";
  for (int i = 0; i < catalogue.Count(); ++i) {
    const std::string& line = catalogue[i];
    // Only a game line (flag, then its separator) can be rewritten field by field.
    if (line.size() < 2 || line[1] != kFieldSeparator || GetRomToken(line) != key) continue;
    const std::size_t lastBar = line.rfind(kFieldSeparator);
    std::string flagged = "1" + line.substr(1, lastBar) + "2";
    catalogue.Replace(i, std::move(flagged));
    return true;
  }
  return false;
}

}  // namespace kestrune::catalogue
