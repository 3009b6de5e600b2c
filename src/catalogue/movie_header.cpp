#include "catalogue/movie_header.h"

namespace kestrune::catalogue {
namespace {

constexpr std::string_view kMngSignature("\x8aMNG\r\n\x1a\n", 8);
constexpr std::uint32_t kMaxSide = 65535;

std::uint32_t Be32(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

MovieSize Refuse(std::string* why, std::string reason) {
  if (why != nullptr) *why = std::move(reason);
  return {};
}

}  // namespace

MovieSize CheckMngSizes(std::string_view bytes, std::uint64_t maxPixels, std::string* why) {
  if (bytes.substr(0, kMngSignature.size()) != kMngSignature) return Refuse(why, "not an MNG movie");
  MovieSize frame;
  std::size_t at = kMngSignature.size();
  while (at < bytes.size()) {
    if (bytes.size() - at < 12) return Refuse(why, "the movie ends inside a chunk");
    const std::uint32_t length = Be32(bytes, at);
    const std::string_view type = bytes.substr(at + 4, 4);
    if (length > bytes.size() - at - 12)
      return Refuse(why, "the movie ends inside its " + std::string(type) + " chunk");
    if ((at == kMngSignature.size()) != (type == "MHDR")) {
      return Refuse(why, "the movie does not start with its one MHDR header");
    }
    if (type == "MHDR" || type == "IHDR" || type == "JHDR" || type == "BASI") {
      if (length < 8) return Refuse(why, "its " + std::string(type) + " chunk is too short");
      const std::uint32_t width = Be32(bytes, at + 8);
      const std::uint32_t height = Be32(bytes, at + 12);
      if (width > kMaxSide || height > kMaxSide || std::uint64_t{width} * height > maxPixels) {
        return Refuse(
            why, std::string(type) + " declares " + std::to_string(width) + " x " + std::to_string(height) + " pixels");
      }
      if (type == "MHDR") frame = {width, height};
    }
    if (type == "MEND") break;
    at += 12 + std::size_t{length};
  }
  if (frame.width == 0 || frame.height == 0) return Refuse(why, "the movie declares no frame size");
  return frame;
}

}  // namespace kestrune::catalogue
