#include "support/mng_writer.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <optional>

namespace kestrune::test {

std::string Be32(std::uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
          static_cast<char>(value)};
}
std::string Be16(std::uint32_t value) { return {static_cast<char>(value >> 8), static_cast<char>(value)}; }

namespace {

void PutChunk(std::string& out, const char* type, const std::string& data) { out += MngChunk(type, data); }

int Channels(int colourType) { return colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1; }

// The image data of a frame of one byte value, deflated a row at a time.
std::string FrameData(const MngSpec& spec, char value) {
  const std::size_t rowBytes = std::size_t{spec.width} * Channels(spec.colourType) * (spec.bitDepth / 8);
  std::string row(rowBytes + 1, value);
  row[0] = '\0';  // no filter
  z_stream stream{};
  deflateInit(&stream, Z_BEST_COMPRESSION);
  std::string packed;
  std::array<char, 1 << 16> buffer{};
  for (std::uint32_t y = 0; y < spec.height; ++y) {
    stream.next_in = reinterpret_cast<Bytef*>(row.data());
    stream.avail_in = static_cast<uInt>(row.size());
    do {
      stream.next_out = reinterpret_cast<Bytef*>(buffer.data());
      stream.avail_out = static_cast<uInt>(buffer.size());
      deflate(&stream, y + 1 == spec.height ? Z_FINISH : Z_NO_FLUSH);
      packed.append(buffer.data(), buffer.size() - stream.avail_out);
    } while (stream.avail_out == 0);
  }
  deflateEnd(&stream);
  return packed;
}

constexpr std::uint32_t kNumberRows = 4;

// Deflates `raw` without a zlib header: to its end, or flushed so that more data deflated on its own
// can follow it in the same stream.
std::string RawDeflate(const std::string& raw, bool finish) {
  z_stream stream{};
  deflateInit2(&stream, finish ? Z_BEST_COMPRESSION : Z_BEST_SPEED, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  std::string packed(deflateBound(&stream, static_cast<uLong>(raw.size())) + 64, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.data()));
  stream.avail_in = static_cast<uInt>(raw.size());
  stream.next_out = reinterpret_cast<Bytef*>(packed.data());
  stream.avail_out = static_cast<uInt>(packed.size());
  deflate(&stream, finish ? Z_FINISH : Z_FULL_FLUSH);
  packed.resize(packed.size() - stream.avail_out);
  deflateEnd(&stream);
  return packed;
}

// Frames whose top rows carry their number, made fast enough for thousands of large frames: the rows
// below are deflated once, and each frame's top rows, fully flushed, are put in front of them.
class NumberedFrames {
 public:
  explicit NumberedFrames(const MngSpec& spec) : rowBytes_(std::size_t{spec.width} * 3 + 1) {
    const std::uint32_t below = spec.height > kNumberRows ? spec.height - kNumberRows : 0;
    for (std::size_t i = 0; i < rest_.size(); ++i) {
      std::string rows(rowBytes_ * below, i == 0 ? '\x20' : '\x60');
      for (std::size_t at = 0; at < rows.size(); at += rowBytes_) rows[at] = '\0';
      rest_[i] = {RawDeflate(rows, true), Adler(rows), rows.size()};
    }
    rows_ = std::min(kNumberRows, spec.height);
  }
  std::string Data(int number) const {
    const std::uint32_t rgb = NumberedFrameRgb(number);
    std::string rows(rowBytes_ * rows_, '\0');
    for (std::size_t at = 0; at < rows.size(); at += rowBytes_) {
      for (std::size_t x = at + 1; x + 2 < at + rowBytes_; x += 3) {
        rows[x] = static_cast<char>(rgb >> 16);
        rows[x + 1] = static_cast<char>(rgb >> 8);
        rows[x + 2] = static_cast<char>(rgb);
      }
    }
    const Part& rest = rest_[static_cast<std::size_t>(number % 2)];
    const uLong adler = adler32_combine(Adler(rows), rest.adler, static_cast<z_off_t>(rest.size));
    return std::string("\x78\x01", 2) + RawDeflate(rows, false) + rest.packed + Be32(static_cast<std::uint32_t>(adler));
  }

 private:
  struct Part {
    std::string packed;
    uLong adler = 0;
    std::size_t size = 0;
  };
  static uLong Adler(const std::string& raw) {
    return adler32(adler32(0, nullptr, 0), reinterpret_cast<const Bytef*>(raw.data()), static_cast<uInt>(raw.size()));
  }
  std::size_t rowBytes_;
  std::uint32_t rows_ = 0;
  std::array<Part, 2> rest_;
};

std::string MameText() {
  return MngChunk("tEXt", std::string("Software\0MAME 0.251 (unknown)", 29)) +
         MngChunk("tEXt", std::string("System\0Atari Pong (Rev E) [TTL]", 31));
}

}  // namespace

std::uint32_t NumberedFrameRgb(int number) {
  const auto channel = [number](int shift) { return static_cast<std::uint32_t>((number >> shift) & 31) * 8 + 4; };
  return (channel(0) << 16) | (channel(5) << 8) | channel(10);
}

int FrameNumberOfRgb(std::uint32_t rgb) {
  int number = 0;
  for (int i = 0; i < 3; ++i) {
    const int value = static_cast<int>((rgb >> (16 - 8 * i)) & 0xFF);
    if (value % 8 < 1 || value % 8 > 7) return -1;
    number |= (value / 8) << (5 * i);
  }
  return number;
}

std::string MngChunk(const char* type, const std::string& data) {
  const std::string typed = std::string(type, 4) + data;
  return Be32(static_cast<std::uint32_t>(data.size())) + typed +
         Be32(static_cast<std::uint32_t>(
             crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size()))));
}

std::string MngMovie(const MngSpec& spec) {
  std::string mng("\x8aMNG\r\n\x1a\n", 8);
  std::string header;
  const std::uint32_t canvasWidth = spec.canvasWidth != 0 ? spec.canvasWidth : spec.width;
  const std::uint32_t canvasHeight = spec.canvasHeight != 0 ? spec.canvasHeight : spec.height;
  const std::uint32_t frameCount = spec.mame ? 0 : static_cast<std::uint32_t>(spec.frames);
  for (std::uint32_t value :
       {canvasWidth, canvasHeight, spec.mame ? 60u : 30u, 0u, frameCount, 0u, spec.mame ? 65u : 0u})
    header += Be32(value);
  PutChunk(mng, "MHDR", header);
  const bool numbered = spec.numbered && spec.colourType == 2 && spec.bitDepth == 8;
  const std::string imageHeader = Be32(spec.width) + Be32(spec.height) + static_cast<char>(spec.bitDepth) +
                                  static_cast<char>(spec.colourType) + std::string(3, '\0');
  std::array<std::string, 2> data;
  std::optional<NumberedFrames> numberedFrames;
  if (numbered) {
    numberedFrames.emplace(spec);
  } else {
    data = {FrameData(spec, '\x20'), FrameData(spec, '\x60')};
  }
  for (int frame = 0; frame < spec.frames; ++frame) {
    if (spec.objects) PutChunk(mng, "DEFI", {static_cast<char>((frame + 1) >> 8), static_cast<char>(frame + 1)});
    PutChunk(mng, "IHDR", imageHeader);
    PutChunk(mng, "IDAT", numbered ? numberedFrames->Data(frame) : data[frame % 2]);
    if (spec.mame && frame == 0) mng += MameText();
    PutChunk(mng, "IEND", "");
  }
  PutChunk(mng, "MEND", "");
  return mng;
}

}  // namespace kestrune::test
