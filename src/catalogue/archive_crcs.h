#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

// The CRC-32 values of a zip archive's central directory, read through the program's zip archiver.
namespace kestrune::catalogue {

// Appends the CRC-32 of every entry, in directory order, to `crcs` and returns true; false, leaving
// `crcs` as it was, when the archive is missing, unreadable or its directory damaged (a damaged
// directory is not rebuilt from local headers). Thread-safe: each call uses its own archiver.
bool ListArchiveCrcs(const std::filesystem::path& archive, std::vector<std::uint32_t>& crcs);

}  // namespace kestrune::catalogue
