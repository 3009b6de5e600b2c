#include "taskdialog/picture_bytes.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <new>

namespace kestrune::taskdialog {

namespace {

struct ErrorText {
  PictureError error;
  const char* text;
};

constexpr std::array<ErrorText, 5> kErrorTexts = {{
    {PictureError::kAllocate, "Could not allocate memory for image"},
    {PictureError::kCreateStream, "Could not create image stream"},
    {PictureError::kEmptyStream, "Empty image stream created"},
    {PictureError::kInvalidFormat, "Could not load image. Invalid format"},
    {PictureError::kNotLoaded, "Could not load image"},
}};

constexpr std::size_t kGifSignatureSize = 4;
constexpr std::size_t kScreenSizeOffset = 6;
constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kGraphicControlLabel = 0xF9;
constexpr std::uint8_t kGraphicControlSize = 4;
constexpr std::uint8_t kImageSeparator = 0x2C;
// Introducer, label, size, the four bytes and the terminator come before the image descriptor.
constexpr std::size_t kDescriptorOffset = 8;

int ReadWord(std::span<const std::uint8_t> bytes, std::size_t at) {
  if (at + 1 >= bytes.size()) return 0;
  return bytes[at] | (bytes[at + 1] << 8);
}

bool IsFrameStart(std::span<const std::uint8_t> bytes, std::size_t at) {
  return at + kDescriptorOffset < bytes.size() && bytes[at] == kExtensionIntroducer &&
         bytes[at + 1] == kGraphicControlLabel && bytes[at + 2] == kGraphicControlSize &&
         bytes[at + kDescriptorOffset] == kImageSeparator;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  return std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
    return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
  });
}

}  // namespace

const char* PictureErrorMessage(PictureError error) {
  for (const ErrorText& entry : kErrorTexts) {
    if (entry.error == error) return entry.text;
  }
  return kErrorTexts.back().text;
}

GifScan ScanGif(std::span<const std::uint8_t> bytes) {
  GifScan scan;
  static constexpr std::array<std::uint8_t, kGifSignatureSize> kSignature = {'G', 'I', 'F', '8'};
  scan.isGif = bytes.size() > kGifSignatureSize && std::equal(kSignature.begin(), kSignature.end(), bytes.begin());
  if (!scan.isGif) return scan;
  scan.screenWidth = ReadWord(bytes, kScreenSizeOffset);
  scan.screenHeight = ReadWord(bytes, kScreenSizeOffset + 2);
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    if (IsFrameStart(bytes, at)) scan.frameStarts.push_back(at);
  }
  return scan;
}

GifFrameRect ReadGifFrameRect(std::span<const std::uint8_t> bytes, std::size_t start) {
  const std::size_t fields = start + kDescriptorOffset + 1;
  return {ReadWord(bytes, fields), ReadWord(bytes, fields + 2), ReadWord(bytes, fields + 4),
          ReadWord(bytes, fields + 6)};
}

void PictureBytes::Assign(std::vector<std::uint8_t> bytes) {
  bytes_ = std::move(bytes);
  empty_ = false;
  scan_.reset();  // new bytes, new frames
}

void PictureBytes::Clear() {
  bytes_.clear();
  empty_ = true;
  scan_.reset();
}

const GifScan& PictureBytes::Scan() const {
  if (!scan_) scan_ = ScanGif(bytes_);
  return *scan_;
}

int PictureBytes::FrameCount() const {
  const GifScan& scan = Scan();
  return scan.isGif ? static_cast<int>(scan.frameStarts.size()) : -1;
}

std::vector<std::uint8_t> PictureBytes::LoaderBytes(int frame) const {
  if (bytes_.empty()) throw PictureLoadError(PictureError::kEmptyStream);
  const GifScan& scan = Scan();
  try {
    if (!scan.isGif || scan.frameStarts.empty()) return bytes_;
    if (frame < 1 || frame > static_cast<int>(scan.frameStarts.size())) {
      throw PictureLoadError(PictureError::kNotLoaded);
    }
    const auto first = bytes_.begin() + static_cast<std::ptrdiff_t>(scan.frameStarts.front());
    const auto wanted = bytes_.begin() + static_cast<std::ptrdiff_t>(scan.frameStarts[frame - 1]);
    std::vector<std::uint8_t> out(bytes_.begin(), first);
    out.insert(out.end(), wanted, bytes_.end());
    return out;
  } catch (const std::bad_alloc&) {
    throw PictureLoadError(PictureError::kAllocate);
  }
}

GifFrameRect PictureBytes::FrameRect(int frame) const {
  const GifScan& scan = Scan();
  if (frame < 1 || frame > static_cast<int>(scan.frameStarts.size())) return {};
  return ReadGifFrameRect(bytes_, scan.frameStarts[frame - 1]);
}

PictureAddress ParsePictureAddress(std::string_view address) {
  static constexpr std::string_view kResourcePrefix = "RES://";
  static constexpr std::string_view kFilePrefix = "FILE://";
  if (StartsWithNoCase(address, kResourcePrefix)) {
    return {PictureAddress::kResource, std::string(address.substr(kResourcePrefix.size()))};
  }
  if (StartsWithNoCase(address, kFilePrefix)) {
    return {PictureAddress::kFile, std::string(address.substr(kFilePrefix.size()))};
  }
  return {PictureAddress::kOther, std::string(address)};
}

}  // namespace kestrune::taskdialog
