#pragma once

#include <filesystem>

namespace kestrune::platform {

// Whether the path names a program this user could start: a regular file (after links) with its
// owner's execute bit.
bool IsRunnableFile(const std::filesystem::path& path);

}  // namespace kestrune::platform
