#include "support/mng_writer.h"

#include <zlib.h>

#include <array>

namespace kestrune::test {
namespace {

std::string Be32(std::uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
          static_cast<char>(value)};
}

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

}  // namespace

std::string MngChunk(const char* type, const std::string& data) {
  const std::string typed = std::string(type, 4) + data;
  return Be32(static_cast<std::uint32_t>(data.size())) + typed +
         Be32(static_cast<std::uint32_t>(
             crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size()))));
}

std::string MngMovie(const MngSpec& spec) {
  std::string mng("\x8aMNG\r\n\x1a\n", 8);
  std::string header;
  for (std::uint32_t value : {spec.width, spec.height, 30u, 0u, static_cast<std::uint32_t>(spec.frames), 0u, 0u})
    header += Be32(value);
  PutChunk(mng, "MHDR", header);
  const std::string imageHeader = Be32(spec.width) + Be32(spec.height) + static_cast<char>(spec.bitDepth) +
                                  static_cast<char>(spec.colourType) + std::string(3, '\0');
  const std::array<std::string, 2> data{FrameData(spec, '\x20'), FrameData(spec, '\x60')};
  for (int frame = 0; frame < spec.frames; ++frame) {
    if (spec.objects) PutChunk(mng, "DEFI", {static_cast<char>((frame + 1) >> 8), static_cast<char>(frame + 1)});
    PutChunk(mng, "IHDR", imageHeader);
    PutChunk(mng, "IDAT", data[frame % 2]);
    PutChunk(mng, "IEND", "");
  }
  PutChunk(mng, "MEND", "");
  return mng;
}

}  // namespace kestrune::test
