#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>

// Where the game list's icons come from: the icon archive when it is open, else the icon folder.
namespace kestrune::catalogue {

class IconSource {
 public:
  virtual ~IconSource() = default;
  // The bytes of the icon file `fileName` ("pacman.ico"); false when there is none or it cannot be read.
  virtual bool ReadIcon(std::string_view fileName, std::string& bytes) = 0;
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

// The icon of a game: its own ("romname.ico"), else its parent's ("cloneof.ico").
bool ReadGameIcon(IconSource& source, std::string_view romname, std::string_view cloneof, std::string& bytes);

}  // namespace kestrune::catalogue
