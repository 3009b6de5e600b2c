#pragma once

#include <string>
#include <string_view>

#include "catalogue/catalogue_file.h"

// The "No 'The' Prefix" view: a description's leading article moved behind it ("The Simpsons" <->
// "Simpsons,The") in the catalogue lines themselves.
namespace kestrune::catalogue {

// The line with "The " taken off the front of its description and ",The" put behind it. Lines whose
// description does not begin with "The" and a blank (such as "Theatre ..."), and lines that are not
// games, come back unchanged.
std::string MoveTheToSuffix(std::string_view line);

// The line with the description's trailing ",The" put back in front as "The ". Lines whose
// description does not end in ",The", and lines that are not games, come back unchanged.
std::string MoveTheToPrefix(std::string_view line);

// Apply the moves to every line of the catalogue; each returns how many lines it changed.
int TheSuffixAll(Catalogue& catalogue);
int ThePrefixAll(Catalogue& catalogue);

}  // namespace kestrune::catalogue
