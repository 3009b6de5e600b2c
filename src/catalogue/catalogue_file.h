#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/game_record.h"

// The catalogue: every catalogue line in file order, and the file "ini/kestrune.dat" it lives in.
namespace kestrune::catalogue {

class Catalogue {
 public:
  Catalogue() = default;
  Catalogue(const Catalogue&) = default;
  Catalogue(Catalogue&&) = default;
  // An assigned catalogue counts as changed, whatever revision the other one had.
  Catalogue& operator=(const Catalogue& other);
  Catalogue& operator=(Catalogue&& other) noexcept;
  ~Catalogue() = default;

  int Count() const { return static_cast<int>(lines_.size()); }
  const std::string& operator[](int index) const { return lines_[static_cast<std::size_t>(index)]; }
  const std::vector<std::string>& Lines() const { return lines_; }

  void Add(std::string line);
  void Replace(int index, std::string line);
  void Clear();
  // Takes all lines at once (a load or a rebuilt catalogue).
  void Assign(std::vector<std::string> lines);

  // Counts every change of the lines, so that anything derived from them (the game list's split
  // fields) can tell that it is stale without comparing the text.
  std::uint64_t Revision() const { return revision_; }

 private:
  std::vector<std::string> lines_;
  std::uint64_t revision_ = 0;
};

// The catalogue file under the program folder (`FrontDir`, ending in "/").
std::filesystem::path CataloguePath(const std::string& frontDir);

enum class CatalogueLoad {
  Loaded,   // the file was read (an empty file is an empty catalogue)
  Missing,  // there is no catalogue file; the catalogue is now empty
  Failed,   // the file exists but could not be read; the catalogue is unchanged
};

// Reads the catalogue file; a line ends at CR, LF or CR LF, and lines written in Windows-1252 are
// converted to UTF-8. On Failed, *error names the file and the cause.
CatalogueLoad LoadCatalogue(Catalogue& catalogue, const std::string& frontDir, std::string* error);

// Replaces the catalogue file with every line followed by CR LF. The write is atomic: on failure
// the old file is whole, false is returned and *error names the file and the cause.
bool SaveCatalogue(const Catalogue& catalogue, const std::string& frontDir, std::string* error);

// Writes a played game's record back into its line: the first game line (one that splits into the 25
// fields) whose romname field equals the record's keeps its flag and separator and takes every other
// field from the record. Returns false, writing nothing, when no game line has that romname.
bool WriteBackGameRecord(Catalogue& catalogue, const Tgameinfo& record);

}  // namespace kestrune::catalogue
