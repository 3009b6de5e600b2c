#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrune::zip {
class TZipArchiver;
}

namespace kestrune::catalogue {

// The largest artwork file or archive entry read into memory. Real artwork is far smaller; anything
// larger is taken for a damaged or hostile file.
inline constexpr std::uint64_t kMaxArtworkBytes = std::uint64_t{64} << 20;

// Where one kind of artwork is read from: its archive in its folder when that archive opens, else the
// folder itself; never both. Names are relative ("pacman.png", "pacman/0000.png"). In the folder a name
// is tried exactly first, then in any letter case (each part of it); in the archive in any letter case.
class ArtworkSource {
 public:
  // archiveName: the kind's archive ("snap.zip"), looked for in the folder; empty for a folder-only kind.
  ArtworkSource(std::filesystem::path folder, std::string_view archiveName);
  ~ArtworkSource();
  ArtworkSource(const ArtworkSource&) = delete;
  ArtworkSource& operator=(const ArtworkSource&) = delete;

  bool FromArchive() const { return archive_ != nullptr; }
  // Why an archive that is there could not be opened (it is then treated as absent); empty otherwise.
  const std::string& OpenError() const { return openError_; }
  const std::filesystem::path& Folder() const { return folder_; }

  bool Exists(std::string_view name);
  // The bytes of `name`; false when it is not there, is larger than kMaxArtworkBytes or cannot be read.
  bool Read(std::string_view name, std::string& bytes);
  // The folder's file for `name`; empty when there is none or the source is an archive.
  std::filesystem::path FindFile(std::string_view name);
  // Closes the archive; the source then reads nothing.
  void Close();
  // Called when the archive's password, asked for after a read that could not wait for it, has been
  // given: what was not read for want of it can be read now.
  void SetPasswordGiven(std::function<void()> given);

 private:
  struct Listing {
    std::filesystem::file_time_type written;
    std::unordered_map<std::string, std::string> byFoldedName;  // lower-case name -> name on disk
  };

  void OpenArchive(const std::filesystem::path& path);
  int EntryIndex(std::string_view name) const;
  std::filesystem::path FindInFolder(const std::filesystem::path& folder, const std::string& part);
  const Listing& ListingOf(const std::filesystem::path& folder);

  std::filesystem::path folder_;
  bool closed_ = false;
  std::unique_ptr<zip::TZipArchiver> archive_;
  std::string openError_;
  std::unordered_map<std::string, int> entries_;  // lower-case entry name -> entry index
  std::vector<std::uint64_t> entrySizes_;
  std::unordered_map<std::string, Listing> listings_;  // by folder path
};

}  // namespace kestrune::catalogue
