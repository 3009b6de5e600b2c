#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "settings/mame_options.h"

// The BIOS sets that the installed MAME has for the machines with BIOS files, taken from its -listxml
// (roms.dat), so that the BIOS choices offer only sets MAME knows.
namespace kestrune::settings {

// The <biosset> lines of each BIOS machine, by machine name, in MAME's order.
using BiosSetLists = std::map<std::string, std::vector<BiosSet>, std::less<>>;

// Takes a -listxml line by line (MAME writes one element per line) and keeps the <biosset> lines of
// the machines named in BiosFiles(); old lists' <game> elements are read like <machine>.
class BiosSetCollector {
 public:
  void Line(std::string_view line);
  // Every BIOS machine has been read to its end, so the rest of the list can be skipped.
  bool Complete() const { return finished_ == BiosFiles().size(); }
  const BiosSetLists& Lists() const { return lists_; }

 private:
  BiosSetLists lists_;
  std::vector<BiosSet>* current_ = nullptr;
  std::size_t finished_ = 0;
};

// The BIOS sets of a whole -listxml text.
BiosSetLists BiosSetsFromListXml(std::string_view listXml);

// Reads the BIOS sets from a -listxml file, stopping as soon as every BIOS machine has been read.
// Returns false, with *error naming the file, when it cannot be read.
bool ReadBiosSets(const std::filesystem::path& listXml, BiosSetLists& lists, std::string* error);

// Offers each BIOS control the sets that MAME has for its machine (MameOptions::SetBiosSets); a
// machine that the lists lack keeps its control's list.
void ApplyBiosSets(MameOptions& options, const BiosSetLists& lists);

}  // namespace kestrune::settings
