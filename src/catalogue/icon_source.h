#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Where the game list's icons come from: the icon archive when it is open, else the icon folder.
namespace kestrune::zip {
class TZipArchiver;
}

namespace kestrune::catalogue {

// The largest icon file or archive entry read, and the largest icon decoded (on either side). A list
// icon is drawn 32 pixels high at most; anything beyond these is taken for a damaged or hostile file.
inline constexpr std::uint64_t kMaxIconBytes = std::uint64_t{1} << 20;
inline constexpr int kMaxIconSide = 1024;

class IconSource {
 public:
  virtual ~IconSource() = default;
  // The bytes of the icon file `fileName` ("pacman.ico"); false when there is none, it is larger than
  // kMaxIconBytes or it cannot be read.
  virtual bool ReadIcon(std::string_view fileName, std::string& bytes) = 0;
  // Called when a password, asked for after a read that could not wait for it, has been given: icons
  // found missing for want of it can be read now. A source without passwords never calls it.
  virtual void SetPasswordGiven(std::function<void()> /*given*/) {}
};

// The icon folder `IconDir`: a name is tried exactly first, then matched without regard to case.
class FolderIconSource final : public IconSource {
 public:
  explicit FolderIconSource(std::filesystem::path iconDir);
  bool ReadIcon(std::string_view fileName, std::string& bytes) override;
  // Forgets the folder's listing, so icons added since are found by their case-folded names too.
  void Rescan();

 private:
  void ListFolder();

  std::filesystem::path iconDir_;
  bool listed_ = false;
  std::unordered_map<std::string, std::string> byFoldedName_;  // lower-case name -> name on disk
};

// The icon archive (IconDir + "/icons.zip"), kept open while the list uses it. Entries are found by
// their stored names without regard to case (`IconNames`) and read by their index.
class ArchiveIconSource final : public IconSource {
 public:
  // Opens the archive read-only; IsOpen tells whether that worked, OpenError why not.
  explicit ArchiveIconSource(const std::filesystem::path& archive);
  ~ArchiveIconSource() override;
  ArchiveIconSource(const ArchiveIconSource&) = delete;
  ArchiveIconSource& operator=(const ArchiveIconSource&) = delete;

  bool IsOpen() const { return open_; }
  const std::string& OpenError() const { return openError_; }
  bool ReadIcon(std::string_view fileName, std::string& bytes) override;
  void SetPasswordGiven(std::function<void()> given) override;

 private:
  std::unique_ptr<zip::TZipArchiver> archiver_;
  bool open_ = false;
  std::string openError_;
  std::unordered_map<std::string, int> iconNames_;  // lower-case entry name -> entry index
  std::vector<std::uint64_t> entrySizes_;           // by entry index, as the directory gives them
};

// The icons of an icon folder: from its icons.zip when that archive opens, else from the folder.
std::unique_ptr<IconSource> OpenIconSource(const std::filesystem::path& iconDir);

// Whether the PNG pictures an .ico file may hold are within kMaxIconSide on either side: the .ico's
// own directory gives at most 256 for them, whatever they hold. True for bytes that are no .ico.
bool IcoPicturesWithinLimits(std::string_view bytes);

// The icon of a game: its own ("romname.ico"), else its parent's ("cloneof.ico"). Both names are taken
// before anything is read.
bool ReadGameIcon(IconSource& source, std::string_view romname, std::string_view cloneof, std::string& bytes);

}  // namespace kestrune::catalogue
