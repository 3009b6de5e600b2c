#include "catalogue/movie_header.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <optional>
#include <vector>

namespace kestrune::catalogue {
namespace {

constexpr std::string_view kMngSignature("\x8aMNG\r\n\x1a\n", 8);
constexpr std::string_view kPngSignature("\x89PNG\r\n\x1a\n", 8);
constexpr std::uint32_t kMaxSide = 65535;
constexpr std::uint64_t kUnbounded = std::numeric_limits<std::uint64_t>::max();
// Steps the MNG decoder may take without showing an image (and so without returning to the program
// for the next frame's timer): one per chunk, one per object look-up of a MOVE, CLIP or SHOW (each
// names a range of object ids that the decoder walks one by one, searching its list of objects for
// each), all of it again for every repeat of a LOOP whose body shows no image.
constexpr std::uint64_t kMaxDecoderSteps = std::uint64_t{1} << 28;

std::uint32_t Be32(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

std::uint32_t Be16(std::string_view bytes, std::size_t at) {
  return (std::uint32_t{static_cast<unsigned char>(bytes[at])} << 8) | static_cast<unsigned char>(bytes[at + 1]);
}

std::uint64_t SaturatingMul(std::uint64_t a, std::uint64_t b) {
  return a != 0 && b > kUnbounded / a ? kUnbounded : a * b;
}

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) { return b > kUnbounded - a ? kUnbounded : a + b; }

MovieSize Refuse(std::string* why, std::string reason) {
  if (why != nullptr) *why = std::move(reason);
  return {};
}

struct ChunkAt {
  std::string_view type;
  std::string_view data;
};

// The chunk at `at`; false, with *why, when the bytes end inside it.
bool ReadChunk(std::string_view bytes, std::size_t at, ChunkAt& chunk, std::string* why) {
  if (bytes.size() - at < 12) {
    if (why != nullptr) *why = "the file ends inside a chunk";
    return false;
  }
  const std::uint32_t length = Be32(bytes, at);
  chunk.type = bytes.substr(at + 4, 4);
  if (length > bytes.size() - at - 12) {
    if (why != nullptr) *why = "the file ends inside its " + std::string(chunk.type) + " chunk";
    return false;
  }
  chunk.data = bytes.substr(at + 8, length);
  return true;
}

// The object ids a MOVE, CLIP, MAGN or SHOW chunk names, as the MNG decoder reads them.
struct ObjectRange {
  std::uint32_t first = 0;
  std::uint32_t last = 0;
};

std::optional<ObjectRange> RangeOf(const ChunkAt& chunk) {
  const std::string_view data = chunk.data;
  if (chunk.type == "MOVE" || chunk.type == "CLIP") {
    if (data.size() < 4) return std::nullopt;
    return ObjectRange{Be16(data, 0), Be16(data, 2)};
  }
  if (chunk.type == "MAGN") {
    if (data.size() < 2) return std::nullopt;
    const std::uint32_t first = Be16(data, 0);
    return ObjectRange{first, data.size() < 4 ? first : Be16(data, 2)};
  }
  if (chunk.type == "SHOW") {
    if (data.size() < 2) return ObjectRange{1, 65535};
    const std::uint32_t first = Be16(data, 0);
    return ObjectRange{first, data.size() < 4 ? first : Be16(data, 2)};
  }
  return std::nullopt;
}

// Why the decoder would never leave its walk over the range, or "" when it would. It counts MOVE, CLIP
// and MAGN ids in 16 bits unsigned, so a range up to 65535 wraps round to 0 for ever (MAGN's walk
// crashes on the way); it counts SHOW ids in 16 bits signed, so a range ending at 32767 (or, counting
// down, at 32768) does the same.
std::string EndlessWalk(const ChunkAt& chunk, ObjectRange range) {
  if (chunk.type != "SHOW") {
    if (range.first <= range.last && range.last == 0xFFFF) {
      return "its " + std::string(chunk.type) +
             " chunk names the objects up to 65535, a range the decoder never leaves";
    }
    return {};
  }
  if (range.last == 0x7FFF || range.last == 0x8000) {
    return "its SHOW chunk names the objects up to " + std::to_string(range.last) +
           ", a range the decoder never leaves";
  }
  return {};
}

// Chunks that may create an object the decoder keeps in the list it searches.
bool MakesObject(std::string_view type) {
  return type == "DEFI" || type == "CLON" || type == "IHDR" || type == "JHDR" || type == "BASI" || type == "PAST";
}

// The decoder's steps over a movie, with its LOOP ... ENDL bodies counted as often as they run at once.
class DecoderSteps {
 public:
  void Add(std::uint64_t steps) {
    if (!loops_.empty()) loops_.back().steps = SaturatingAdd(loops_.back().steps, steps);
    total_ = SaturatingAdd(total_, steps);
  }
  // An image was shown: every open loop waits for the next frame's timer once per repeat.
  void ImageShown() { ++imagesShown_; }
  void LoopStarts(const ChunkAt& chunk) {
    if (chunk.data.size() < 5) return;
    std::uint64_t repeats = Be32(chunk.data, 1);
    // A loop that may end early runs at most its largest count.
    if (chunk.data.size() >= 14) repeats = std::max<std::uint64_t>(repeats, Be32(chunk.data, 10));
    loops_.push_back({static_cast<unsigned char>(chunk.data[0]), std::max<std::uint64_t>(repeats, 1), 0, imagesShown_});
    levels_[loops_.back().level]++;
  }
  // The ENDL closes the open loop of its nest level and any inside it; one of no open level is left.
  void LoopEnds(const ChunkAt& chunk) {
    if (chunk.data.empty()) return;
    const unsigned char level = static_cast<unsigned char>(chunk.data[0]);
    if (levels_[level] == 0) return;
    while (true) {
      const OpenLoop loop = loops_.back();
      loops_.pop_back();
      levels_[loop.level]--;
      const bool showsImage = imagesShown_ > loop.imagesAtStart;
      const std::uint64_t steps = showsImage ? loop.steps : SaturatingMul(loop.steps, loop.repeats);
      // The body's steps were counted once already.
      total_ = total_ >= loop.steps ? total_ - loop.steps : 0;
      Add(steps);
      if (loop.level == level) return;
    }
  }
  std::uint64_t Total() const { return total_; }

 private:
  struct OpenLoop {
    unsigned char level;
    std::uint64_t repeats;
    std::uint64_t steps;
    std::uint64_t imagesAtStart;
  };
  std::vector<OpenLoop> loops_;
  // Open loops by nest level, kept beside loops_ so that an ENDL of no open level is turned away without
  // a walk over every open loop (a movie of many LOOPs and such ENDLs would take quadratic time).
  std::array<std::uint64_t, 256> levels_{};
  std::uint64_t total_ = 0;
  std::uint64_t imagesShown_ = 0;
};

int ChannelsOf(int colourType) {
  switch (colourType) {
    case 0:
    case 3:
      return 1;
    case 4:
      return 2;
    case 2:
      return 3;
    case 6:
      return 4;
    default:
      return 0;
  }
}

// Bytes a pixel takes in the decoder's buffers: a byte a channel at 8 bits or fewer (palette images
// keep their indexes), two above. A header too short to say counts as the largest.
std::uint64_t PixelBytes(const ChunkAt& chunk) {
  constexpr std::uint64_t kLargest = 8;
  const std::string_view data = chunk.data;
  if (data.size() < 10) return kLargest;
  const int first = static_cast<unsigned char>(data[8]);
  const int second = static_cast<unsigned char>(data[9]);
  if (chunk.type == "JHDR") {
    // Colour types 8, 10, 12 and 14: grey, colour, and each with alpha; 12-bit samples take two bytes.
    const int channels = (first & 2 ? 3 : 1) + (first & 4 ? 1 : 0);
    return static_cast<std::uint64_t>(channels) * (second > 8 ? 2 : 1);
  }
  const int channels = ChannelsOf(second);
  if (channels == 0) return kLargest;
  return static_cast<std::uint64_t>(channels) * (first > 8 ? 2 : 1);
}

// What Qt's MNG decoder holds while the movie plays: the frame, a copy of every image once it has been
// shown (kept so that loops and the next round replay without decoding again, and freed only with the
// movie), the buffer of every object a DEFI defines or a CLON copies, MAGN's magnified buffers, and the
// image being decoded. Object 0, the one of images without a DEFI, is a scratch buffer reused by each.
class DecodedMemory {
 public:
  void Frame(std::uint32_t width, std::uint32_t height) {
    // The decoder draws into Qt's picture of the frame; the movie reads a copy of it and shows a third.
    frame_ = std::max(frame_, SaturatingMul(std::uint64_t{width} * height, 12));
  }
  void Define(const ChunkAt& chunk) {
    if (chunk.data.size() >= 2) object_ = Be16(chunk.data, 0);
  }
  void Image(const ChunkAt& chunk) {
    const std::uint64_t pixels = std::uint64_t{Be32(chunk.data, 0)} * Be32(chunk.data, 4);
    const std::uint64_t bytes = SaturatingMul(SaturatingMul(pixels, PixelBytes(chunk)), magnification_);
    shown_ = SaturatingAdd(shown_, bytes);
    decoding_ = std::max(decoding_, bytes);
    if (object_ != 0) SetObject(object_, bytes);
  }
  void Clone(const ChunkAt& chunk) {
    if (chunk.data.size() < 4) return;
    const auto source = objects_.find(Be16(chunk.data, 0));
    if (source == objects_.end()) return;
    const char kind = chunk.data.size() >= 5 ? chunk.data[4] : 0;
    // A partial clone shares its source's buffer; a renumbering moves it; a full clone copies it.
    if (kind == 1) return;
    const std::uint64_t bytes = source->second;
    if (kind == 2) SetObject(source->first, 0);
    SetObject(Be16(chunk.data, 2), bytes);
  }
  void Magnify(const ChunkAt& chunk) {
    const std::string_view data = chunk.data;
    if (data.size() < 5 || data[4] == 0) return;  // method 0 magnifies nothing
    const auto field = [data](std::size_t at, std::uint32_t otherwise) {
      return data.size() >= at + 2 ? Be16(data, at) : otherwise;
    };
    const std::uint32_t mx = field(5, 1);
    const std::uint32_t my = field(7, mx);
    const std::uint64_t factor =
        std::uint64_t{std::max({mx, field(9, mx), field(11, mx)})} * std::max({my, field(13, my), field(15, my)});
    if (factor <= 1) return;
    // Later images of the range are magnified as they come; which ones is not worth telling apart.
    magnification_ = std::max(magnification_, factor);
    const std::uint32_t first = Be16(data, 0);
    const std::uint32_t last = Be16(data, 2);
    // Each magnified object at least doubles, so the walks end long before the total runs past any bound.
    for (auto it = objects_.lower_bound(first); it != objects_.end() && it->first <= last; ++it) {
      const std::uint64_t bytes = SaturatingMul(it->second, factor);
      objectBytes_ = SaturatingAdd(objectBytes_ - std::min(objectBytes_, it->second), bytes);
      it->second = bytes;
    }
  }
  std::uint64_t Total() const {
    return SaturatingAdd(SaturatingAdd(frame_, shown_), SaturatingAdd(decoding_, objectBytes_));
  }

 private:
  void SetObject(std::uint32_t id, std::uint64_t bytes) {
    const auto it = objects_.find(id);
    if (it != objects_.end()) {
      objectBytes_ -= std::min(objectBytes_, it->second);
      objects_.erase(it);
    }
    if (bytes == 0) return;
    objects_.emplace(id, bytes);
    objectBytes_ = SaturatingAdd(objectBytes_, bytes);
  }

  std::uint64_t frame_ = 0;
  std::uint64_t shown_ = 0;
  std::uint64_t decoding_ = 0;
  std::uint64_t magnification_ = 1;
  std::uint32_t object_ = 0;
  std::map<std::uint32_t, std::uint64_t> objects_;
  std::uint64_t objectBytes_ = 0;
};

// Inflates the image data of one PNG and says when it runs past what the image needs.
class ImageDataBound {
 public:
  explicit ImageDataBound(std::uint64_t limit) : limit_(limit) { ok_ = inflateInit(&stream_) == Z_OK; }
  ~ImageDataBound() {
    if (ok_) inflateEnd(&stream_);
  }
  ImageDataBound(const ImageDataBound&) = delete;
  ImageDataBound& operator=(const ImageDataBound&) = delete;

  // False once the data has inflated to more than the limit. Data that is damaged, or that follows
  // the end of the stream, is not looked at: the decoder stops there too.
  bool Feed(std::string_view data) {
    if (!ok_ || ended_) return true;
    stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream_.avail_in = static_cast<uInt>(data.size());
    do {
      stream_.next_out = scratch_.data();
      stream_.avail_out = static_cast<uInt>(scratch_.size());
      const int result = inflate(&stream_, Z_NO_FLUSH);
      produced_ += scratch_.size() - stream_.avail_out;
      if (produced_ > limit_) return false;
      if (result == Z_STREAM_END || (result != Z_OK && result != Z_BUF_ERROR)) {
        ended_ = true;
        return true;
      }
      if (result == Z_BUF_ERROR) return true;
    } while (stream_.avail_in > 0 || stream_.avail_out == 0);
    return true;
  }

 private:
  z_stream stream_{};
  bool ok_ = false;
  bool ended_ = false;
  std::uint64_t limit_;
  std::uint64_t produced_ = 0;
  std::vector<Bytef> scratch_ = std::vector<Bytef>(std::size_t{64} << 10);
};

std::uint64_t RowsBytes(std::uint64_t width, std::uint64_t height, std::uint64_t bitsPerPixel) {
  if (width == 0 || height == 0) return 0;
  const std::uint64_t row = (width * bitsPerPixel + 7) / 8 + 1;
  return SaturatingMul(row, height);
}

// The bytes the image data of a PNG header inflates to (the filter byte of every row included);
// the largest value when the header is damaged.
std::uint64_t PngImageDataBytes(std::uint32_t width, std::uint32_t height, int bitDepth, int colourType,
                                bool interlaced) {
  const int channels = ChannelsOf(colourType);
  if (channels == 0 || bitDepth <= 0 || bitDepth > 16) return kUnbounded;
  const std::uint64_t bits = static_cast<std::uint64_t>(channels) * static_cast<std::uint64_t>(bitDepth);
  if (!interlaced) return RowsBytes(width, height, bits);
  // Adam7: each pass is a sub-image of its own rows, each row with its filter byte.
  struct Pass {
    std::uint64_t x, y, dx, dy;
  };
  constexpr Pass kPasses[] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                              {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
  std::uint64_t total = 0;
  for (const Pass& pass : kPasses) {
    const std::uint64_t w = width > pass.x ? (width - pass.x + pass.dx - 1) / pass.dx : 0;
    const std::uint64_t h = height > pass.y ? (height - pass.y + pass.dy - 1) / pass.dy : 0;
    total = SaturatingAdd(total, RowsBytes(w, h, bits));
  }
  return total;
}

}  // namespace

MovieSize CheckMngMovie(std::string_view bytes, std::uint64_t maxPixels, std::string* why) {
  if (bytes.substr(0, kMngSignature.size()) != kMngSignature) return Refuse(why, "not an MNG movie");
  MovieSize frame;
  std::uint64_t objects = 0;
  DecoderSteps steps;
  DecodedMemory memory;
  bool overBound = false;
  const auto tooMuch = [&memory](const char* atLeast) {
    return "its images and objects would take " + std::string(atLeast) + std::to_string(memory.Total() >> 20) +
           " MB of memory to play, more than " + std::to_string(kMaxMovieBytes >> 20) + " MB";
  };
  std::size_t at = kMngSignature.size();
  while (at < bytes.size()) {
    ChunkAt chunk;
    std::string reason;
    if (!ReadChunk(bytes, at, chunk, &reason)) return Refuse(why, overBound ? tooMuch("at least ") : reason);
    const std::string_view type = chunk.type;
    if ((at == kMngSignature.size()) != (type == "MHDR")) {
      return Refuse(why, "the movie does not start with its one MHDR header");
    }
    if (type == "MHDR" || type == "IHDR" || type == "JHDR" || type == "BASI") {
      if (chunk.data.size() < 8) return Refuse(why, "its " + std::string(type) + " chunk is too short");
      const std::uint32_t width = Be32(chunk.data, 0);
      const std::uint32_t height = Be32(chunk.data, 4);
      if (width > kMaxSide || height > kMaxSide || std::uint64_t{width} * height > maxPixels) {
        return Refuse(
            why, std::string(type) + " declares " + std::to_string(width) + " x " + std::to_string(height) + " pixels");
      }
      if (type == "MHDR") {
        frame = {width, height};
        memory.Frame(width, height);
      } else {
        memory.Image(chunk);
      }
    } else if (type == "DEFI") {
      memory.Define(chunk);
    } else if (type == "CLON") {
      memory.Clone(chunk);
    } else if (type == "MAGN") {
      memory.Magnify(chunk);
    }
    // Past the bound only the memory is counted on, so that the refusal gives the whole movie's figure.
    if (memory.Total() > kMaxMovieBytes) overBound = true;
    if (overBound) {
      if (type == "MEND") break;
      at += 12 + chunk.data.size();
      continue;
    }
    if (MakesObject(type)) ++objects;
    steps.Add(1);
    if (const std::optional<ObjectRange> range = RangeOf(chunk)) {
      if (std::string endless = EndlessWalk(chunk, *range); !endless.empty()) return Refuse(why, endless);
      const std::uint32_t span = std::max(range->first, range->last) - std::min(range->first, range->last) + 1;
      // A SHOW in cycle mode walks its range twice.
      const std::uint64_t walks = type == "SHOW" ? 2 : 1;
      steps.Add(SaturatingMul(SaturatingMul(span, walks), objects + 1));
    } else if (type == "LOOP") {
      steps.LoopStarts(chunk);
    } else if (type == "ENDL") {
      steps.LoopEnds(chunk);
    } else if (type == "IEND") {
      steps.ImageShown();
    }
    if (steps.Total() > kMaxDecoderSteps) {
      return Refuse(why, "its LOOP, MOVE, CLIP and SHOW chunks would keep the decoder busy without a frame");
    }
    if (type == "MEND") break;
    at += 12 + chunk.data.size();
  }
  if (overBound) return Refuse(why, tooMuch(""));
  if (frame.width == 0 || frame.height == 0) return Refuse(why, "the movie declares no frame size");
  frame.decodedBytes = memory.Total();
  return frame;
}

bool CheckPngData(std::string_view bytes, std::string* why) {
  if (bytes.substr(0, kPngSignature.size()) != kPngSignature) return true;
  std::optional<ImageDataBound> bound;
  std::uint64_t limit = 0;
  std::size_t at = kPngSignature.size();
  while (at < bytes.size()) {
    ChunkAt chunk;
    if (!ReadChunk(bytes, at, chunk, nullptr)) return true;
    if (chunk.type == "IHDR" && !bound && chunk.data.size() >= 13) {
      const std::uint64_t needed =
          PngImageDataBytes(Be32(chunk.data, 0), Be32(chunk.data, 4), static_cast<unsigned char>(chunk.data[8]),
                            static_cast<unsigned char>(chunk.data[9]), chunk.data[12] != 0);
      // Some writers pad their data a little; the decoder only warns about that.
      limit = SaturatingAdd(SaturatingAdd(needed, needed / 8), 4096);
      bound.emplace(limit);
    } else if (chunk.type == "IDAT" && bound && !bound->Feed(chunk.data)) {
      if (why != nullptr) {
        *why = "its image data inflates to more than the " + std::to_string(limit) + " bytes its size needs";
      }
      return false;
    } else if (chunk.type == "IEND") {
      break;
    }
    at += 12 + chunk.data.size();
  }
  return true;
}

}  // namespace kestrune::catalogue
