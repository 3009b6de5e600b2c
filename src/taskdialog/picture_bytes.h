#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The bytes of a picture the tagged text can show, kept as they were loaded, and the choice of one
// frame of an animated GIF: the image loader shows the first image it finds, so the bytes of the
// frames before the wanted one are left out of what it gets.
namespace kestrune::taskdialog {

enum class PictureError {
  kAllocate,
  kCreateStream,
  kEmptyStream,
  kInvalidFormat,
  kNotLoaded,
};

// The text the user sees for each error.
const char* PictureErrorMessage(PictureError error);

class PictureLoadError : public std::runtime_error {
 public:
  explicit PictureLoadError(PictureError error) : std::runtime_error(PictureErrorMessage(error)), error_(error) {}
  PictureError Error() const { return error_; }

 private:
  PictureError error_;
};

struct GifFrameRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const GifFrameRect&, const GifFrameRect&) = default;
};

// Where the frames of a GIF start: each at a graphic control extension (0x21 0xF9 0x04, four bytes,
// a terminator) that an image descriptor (",") follows at once.
struct GifScan {
  bool isGif = false;  // begins with "GIF8" and is longer than that
  int screenWidth = 0;
  int screenHeight = 0;
  std::vector<std::size_t> frameStarts;
};

GifScan ScanGif(std::span<const std::uint8_t> bytes);
// The image descriptor's position and size of the frame that starts at start.
GifFrameRect ReadGifFrameRect(std::span<const std::uint8_t> bytes, std::size_t start);

// A picture's bytes with the frame count worked out once per set of bytes.
class PictureBytes {
 public:
  void Assign(std::vector<std::uint8_t> bytes);
  void Clear();
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  bool Empty() const { return empty_; }

  // -1 for anything but a GIF; a GIF's count of frame starts otherwise (0 for a GIF without them).
  int FrameCount() const;
  // What the image loader gets to show frame (1-based): the bytes before the first frame and from
  // the start of frame on, or all bytes for anything but a GIF with frames. A GIF frame outside
  // 1..FrameCount() gives kNotLoaded; no bytes at all give kEmptyStream.
  std::vector<std::uint8_t> LoaderBytes(int frame) const;
  // The frame's rectangle; empty when the bytes have no such frame.
  GifFrameRect FrameRect(int frame) const;
  int ScreenWidth() const { return Scan().screenWidth; }
  int ScreenHeight() const { return Scan().screenHeight; }

 private:
  const GifScan& Scan() const;

  std::vector<std::uint8_t> bytes_;
  bool empty_ = true;
  mutable std::optional<GifScan> scan_;
};

// An address a picture can be loaded from: "RES://name" (the program's own resources), "FILE://path",
// or anything else, which is kept but never fetched.
struct PictureAddress {
  enum Kind { kResource, kFile, kOther };
  Kind kind = kOther;
  std::string target;  // the name or path after the prefix; the whole address for kOther
  friend bool operator==(const PictureAddress&, const PictureAddress&) = default;
};

PictureAddress ParsePictureAddress(std::string_view address);

}  // namespace kestrune::taskdialog
