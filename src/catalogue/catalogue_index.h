#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue_file.h"
#include "catalogue/game_record.h"

// Where each field of each catalogue line lies, so that listing, searching and sorting read fields
// straight out of the lines instead of copying 25 strings per game on every rebuild.
namespace kestrune::catalogue {

class CatalogueIndex {
 public:
  explicit CatalogueIndex(const Catalogue& catalogue) : catalogue_(catalogue) {}

  // Splits the lines again when the catalogue changed since the last call; cheap otherwise.
  void Refresh();

  const Catalogue& Lines() const { return catalogue_; }
  int Count() const { return static_cast<int>(isGame_.size()); }
  // A line that does not split into 25 fields is kept in the catalogue but is not a game.
  bool IsGame(int line) const { return isGame_[static_cast<std::size_t>(line)] != 0; }
  // Field `number` (line-field numbering, 0..24) of a game line as stored; "" for other lines.
  std::string_view Field(int line, int number) const;
  // As shown and sorted: the year cut to its first four characters, every other field as stored.
  std::string_view ShownField(int line, int number) const;
  // Asks the processor to start loading a field of a line that will be read soon: the lines lie
  // scattered over the heap, and a filtered rebuild otherwise waits on memory at every line.
  void Prefetch(int line, int number) const;
  // The record of a game line (an empty record for other lines).
  Tgameinfo Record(int line) const;
  // The line as rebuilt from its record: the stored line with the year cut; other lines unchanged.
  std::string RebuiltLine(int line) const;

 private:
  using Starts = std::array<std::uint32_t, kLineFieldCount + 1>;
  void Split(int line);

  const Catalogue& catalogue_;
  bool indexed_ = false;
  std::uint64_t revision_ = 0;
  // starts_[i][n] is where field n of line i begins; starts_[i][25] is one past the line's end, so
  // field n ends one character (its separator) before field n + 1 begins.
  std::vector<Starts> starts_;
  std::vector<char> isGame_;
};

}  // namespace kestrune::catalogue
