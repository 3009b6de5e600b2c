#pragma once

#include <string>

namespace kestrune::platform {

// Moves one file to the desktop's trash, from where the user can restore it.
// Returns whether the file went there; a file that does not exist is not recycled.
bool RecycleFile(const std::string& path);

}  // namespace kestrune::platform
