#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The sizes an MNG movie declares, checked before the movie is handed to a decoder that would
// allocate them: its frame (MHDR) and every image in it (IHDR, JHDR, BASI).
namespace kestrune::catalogue {

struct MovieSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

// The movie's frame size when the bytes are an MNG whose chunks are whole and whose every declared
// image is at most `maxPixels` pixels and no larger than 65,535 on a side; otherwise a zero size and
// *why says what is wrong.
MovieSize CheckMngSizes(std::string_view bytes, std::uint64_t maxPixels, std::string* why);

}  // namespace kestrune::catalogue
