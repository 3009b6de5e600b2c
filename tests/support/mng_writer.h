#pragma once

#include <cstdint>
#include <string>

// MNG movies made on the spot for tests and benchmarks, as MAME writes them: the MHDR header, then each
// frame as a PNG datastream (IHDR, IDAT, IEND), then MEND. The frames alternate between two colours;
// a one-colour frame deflates to a few kilobytes even at 5000 x 5000.
namespace kestrune::test {

struct MngSpec {
  std::uint32_t width = 320;
  std::uint32_t height = 240;
  int frames = 1;
  int colourType = 2;    // PNG colour types 0, 2, 4 and 6 (no palette)
  int bitDepth = 8;      // 8 or 16
  bool objects = false;  // each frame defined as an object of its own (DEFI 1, 2, ...)
  // MAME's own layout: a canvas of its own size (0: the frame's), 60 ticks a second, a frame count of 0,
  // simplicity profile 65, and its two tEXt chunks inside the first image.
  bool mame = false;
  std::uint32_t canvasWidth = 0;
  std::uint32_t canvasHeight = 0;
  // The top rows of each 8-bit RGB frame in a colour that gives its number, so that a player's frames can
  // be told apart and their order checked, also after scaling.
  bool numbered = false;
};

// The colour (0xRRGGBB) of the top rows of a numbered frame: five bits of the number in each channel,
// spaced by 8 so that a rounding of scaling does not change it.
std::uint32_t NumberedFrameRgb(int number);
// The number of a numbered frame's colour; -1 when no number has it.
int FrameNumberOfRgb(std::uint32_t rgb);

std::string MngMovie(const MngSpec& spec);

// Big-endian numbers as chunks hold them.
std::string Be32(std::uint32_t value);
std::string Be16(std::uint32_t value);

// One chunk with its length and CRC, to add to a movie before its MEND (the last 12 bytes).
std::string MngChunk(const char* type, const std::string& data);

}  // namespace kestrune::test
