#pragma once

#include <string>

namespace kestrune::platform {

// Moves one file to the desktop's trash (the freedesktop.org trash: the user's own under
// XDG_DATA_HOME, or the trash of the file's own file system), from where the user can restore it.
// The trash folders are created when missing. Returns whether the file went there; when no trash
// can take it, the file stays where it is. A file that does not exist is not recycled.
bool RecycleFile(const std::string& path);

}  // namespace kestrune::platform
