#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrune::bench {

// A zip archive of small stored entries, one per CRC, whose CRC fields are the given values.
std::string StoredZip(const std::vector<std::uint32_t>& crcs);

}  // namespace kestrune::bench
