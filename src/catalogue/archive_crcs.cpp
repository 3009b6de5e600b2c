#include "catalogue/archive_crcs.h"

#include <exception>

#include "zip/zip_archiver.h"

namespace kestrune::catalogue {

bool ListArchiveCrcs(const std::filesystem::path& archive, std::vector<std::uint32_t>& crcs) {
  zip::TZipArchiver archiver;
  archiver.RebuildDamagedDirectory = false;
  const std::size_t before = crcs.size();
  try {
    archiver.FileName = zip::Utf8ToWide(archive.string());
    archiver.OpenZip(0);
    const zip::TZipDirManager* directory = archiver.DirManager();
    if (directory == nullptr) {
      archiver.CloseZip();
      return false;
    }
    const int count = directory->Items.Count();
    crcs.reserve(before + static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) crcs.push_back(directory->Items.Item(i).CentralDir.Crc32);
  } catch (const std::exception&) {
    // The archiver reports every failure by an exception; for the scan it only means "not readable".
    crcs.resize(before);
    archiver.CloseZip();
    return false;
  }
  archiver.CloseZip();
  return true;
}

}  // namespace kestrune::catalogue
