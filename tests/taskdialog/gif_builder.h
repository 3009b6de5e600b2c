#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Builds small animated GIF files that real decoders read: a four-colour palette (black, red, green,
// blue), a looping extension before the first frame, and each frame one colour over its rectangle.
namespace gif_builder {

struct Frame {
  std::uint8_t colour;  // 0 black, 1 red, 2 green, 3 blue
  int left = 0;
  int top = 0;
  int width = 4;
  int height = 4;
};

inline void Word(std::vector<std::uint8_t>& out, int value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

// LZW data with a clear code before every pixel, so the code size stays at three bits.
inline std::vector<std::uint8_t> SolidLzw(std::uint8_t colour, int pixels) {
  std::vector<std::uint8_t> data;
  unsigned bits = 0;
  int count = 0;
  const auto put = [&](unsigned code) {
    bits |= code << count;
    count += 3;
    while (count >= 8) {
      data.push_back(static_cast<std::uint8_t>(bits & 0xFF));
      bits >>= 8;
      count -= 8;
    }
  };
  for (int i = 0; i < pixels; ++i) {
    put(4);
    put(colour);
  }
  put(5);
  if (count > 0) data.push_back(static_cast<std::uint8_t>(bits & 0xFF));
  return data;
}

inline std::vector<std::uint8_t> MakeGif(const std::vector<Frame>& frames, int screenWidth = 4, int screenHeight = 4) {
  std::vector<std::uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
  Word(out, screenWidth);
  Word(out, screenHeight);
  out.insert(out.end(), {0x81, 0, 0});  // a global table of four colours
  out.insert(out.end(), {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255});
  const std::string loop = "NETSCAPE2.0";
  out.insert(out.end(), {0x21, 0xFF, 0x0B});
  out.insert(out.end(), loop.begin(), loop.end());
  out.insert(out.end(), {3, 1, 0, 0, 0});
  for (const Frame& frame : frames) {
    out.insert(out.end(), {0x21, 0xF9, 0x04, 0x00, 10, 0, 0, 0});
    out.push_back(0x2C);
    Word(out, frame.left);
    Word(out, frame.top);
    Word(out, frame.width);
    Word(out, frame.height);
    out.push_back(0);
    out.push_back(2);  // LZW minimum code size
    const std::vector<std::uint8_t> data = SolidLzw(frame.colour, frame.width * frame.height);
    for (std::size_t at = 0; at < data.size(); at += 255) {
      const std::size_t size = std::min<std::size_t>(255, data.size() - at);
      out.push_back(static_cast<std::uint8_t>(size));
      out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                 data.begin() + static_cast<std::ptrdiff_t>(at + size));
    }
    out.push_back(0);
  }
  out.push_back(0x3B);
  return out;
}

// Red, green, then blue in the lower right part.
inline std::vector<std::uint8_t> ThreeFrameGif() { return MakeGif({{1}, {2}, {3, 2, 1, 2, 3}}); }

}  // namespace gif_builder
