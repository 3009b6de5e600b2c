#include "catalogue/mng_stream.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string_view>
#include <utility>

#include "catalogue/artwork_source.h"
#include "catalogue/movie_header.h"

namespace kestrune::catalogue {
namespace {

constexpr std::string_view kMngSignature("\x8aMNG\r\n\x1a\n", 8);
constexpr std::string_view kPngSignature("\x89PNG\r\n\x1a\n", 8);
constexpr std::uint32_t kMaxSide = 65535;
constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFF;
// Chunks from one image's end to the next one's: each is a step of the player between two frames.
constexpr std::uint64_t kMaxChunksBetweenImages = std::uint64_t{1} << 16;
// Opening a movie looks at no more chunks than this: what comes later is checked as it is played.
constexpr std::uint64_t kChunksSurveyedAtOpen = 1024;
// The fields of FRAM, LOOP and TERM that are read fit in this; the rest (names of sync ids) is not.
constexpr std::uint32_t kMaxControlBytes = 256;
constexpr std::uint32_t kRepeatForEver = 0x7FFFFFFF;

std::uint32_t Be32(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

std::string Megabytes(std::uint64_t bytes) { return std::to_string((bytes + (1 << 19)) >> 20) + " MB"; }

std::string SizeText(std::uint32_t width, std::uint32_t height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

// Chunks outside an image that a frame-by-frame player reads or passes over; the rest (objects, delta
// and JNG images, stray image chunks) are a full MNG decoder's work. An image's own chunks stand between
// IHDR and IEND and are not looked at here.
bool Playable(std::string_view type) {
  const bool ancillary = (type[0] & 0x20) != 0;
  return ancillary || type == "IHDR" || type == "MEND" || type == "FRAM" || type == "LOOP" || type == "ENDL" ||
         type == "TERM" || type == "BACK" || type == "SAVE" || type == "SEEK";
}

std::string At(std::uint64_t at) { return " at byte " + std::to_string(at); }

// FRAM's framing mode, 1 to 4; 0 leaves it as it was.
unsigned FramingModeOf(const std::string& data, unsigned current) {
  return !data.empty() && data[0] >= 1 && data[0] <= 4 ? static_cast<unsigned char>(data[0]) : current;
}

}  // namespace

bool MngStream::Chunk::Is(const char* name) const { return std::memcmp(type, name, 4) == 0; }

MngStream::MngStream(const std::filesystem::path& file, std::uint64_t maxPixels) : maxPixels_(maxPixels) {
  auto in = std::make_unique<std::ifstream>(file, std::ios::binary);
  const bool open = in->is_open();
  in_ = std::move(in);
  if (!open) {
    survey_.why = "the file cannot be opened";
    return;
  }
  Walk();
}

MngStream::MngStream(std::string bytes, std::uint64_t maxPixels)
    : in_(std::make_unique<std::istringstream>(std::move(bytes), std::ios::binary)), maxPixels_(maxPixels) {
  Walk();
}

MngStream::~MngStream() = default;

bool MngStream::ReadChunkHeader(std::uint64_t at, Chunk& chunk) {
  if (size_ < 8 || at > size_ - 8) return false;
  char header[8];
  in_->clear();
  in_->seekg(static_cast<std::streamoff>(at));
  if (!in_->read(header, sizeof header)) return false;
  chunk.at = at;
  chunk.length = Be32(std::string_view(header, sizeof header), 0);
  std::memcpy(chunk.type, header + 4, 4);
  return chunk.length <= kMaxChunkLength && size_ - at >= 12 && chunk.length <= size_ - at - 12;
}

// The chunk's data, as much of it as control chunks need.
bool MngStream::ReadData(const Chunk& chunk, std::string& data) {
  data.resize(std::min(chunk.length, kMaxControlBytes));
  in_->clear();
  in_->seekg(static_cast<std::streamoff>(chunk.at + 8));
  return static_cast<bool>(in_->read(data.data(), static_cast<std::streamsize>(data.size())));
}

std::string MngStream::Damaged(std::uint64_t at, const Chunk& chunk) const {
  if (size_ - at < 8) return "the file ends inside a chunk's header" + At(at);
  const std::string what = "its " + std::string(chunk.type, 4) + " chunk" + At(at);
  if (chunk.length > kMaxChunkLength) {
    return what + " declares " + std::to_string(chunk.length) + " bytes, more than a chunk may have";
  }
  return "the file ends inside " + what + ": " + std::to_string(chunk.length) + " bytes declared, " +
         std::to_string(size_ - at < 12 ? 0 : size_ - at - 12) + " left";
}

std::uint64_t MngStream::ShowBytes(const Chunk& ihdr, const std::string& data, std::string* why) const {
  const auto fail = [why](std::string reason) {
    if (why != nullptr) *why = std::move(reason);
    return std::uint64_t{0};
  };
  if (data.size() < 13) return fail("its IHDR chunk" + At(ihdr.at) + " is too short");
  const std::uint32_t width = Be32(data, 0);
  const std::uint32_t height = Be32(data, 4);
  const std::uint64_t pixels = std::uint64_t{width} * height;
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide || pixels > maxPixels_) {
    return fail("its image" + At(ihdr.at) + " of " + SizeText(width, height) + " pixels is more than the " +
                std::to_string(maxPixels_) + " pixels a picture may have");
  }
  // Qt decodes 16-bit samples to 8 bytes a pixel, anything else to at most 4. The frame as decoded and a
  // converted copy to scale from, then the picture shown and the screen's copy.
  const std::uint64_t decoded = pixels * (data[8] == 16 ? 8 : 4);
  const std::uint64_t bytes = 2 * decoded + 8 * std::uint64_t{survey_.width} * survey_.height;
  if (bytes > kMaxMovieBytes) {
    return fail("its image" + At(ihdr.at) + ", a frame of " + SizeText(width, height) + " on a canvas of " +
                SizeText(survey_.width, survey_.height) + ", would take " + Megabytes(bytes) +
                " of memory to show, more than " + Megabytes(kMaxMovieBytes));
  }
  return bytes;
}

bool MngStream::Layered() { return (framingMode_ == 2 || framingMode_ == 4) && ++imagesInSubframe_ > 1; }

void MngStream::Walk() {
  auto refuse = [this](std::string why) {
    survey_.verdict = MngSurvey::Verdict::kRefused;
    survey_.why = std::move(why);
  };
  auto needsDecoder = [this](std::string why) {
    survey_.verdict = MngSurvey::Verdict::kNeedsDecoder;
    survey_.why = std::move(why);
  };
  char signature[8] = {};
  if (!in_->read(signature, sizeof signature) || std::string_view(signature, 8) != kMngSignature) {
    return refuse(in_->bad() ? "the file cannot be read" : "not an MNG movie");
  }
  in_->clear();
  in_->seekg(0, std::ios::end);
  size_ = static_cast<std::uint64_t>(in_->tellg());

  Chunk chunk;
  std::string data;
  if (!ReadChunkHeader(8, chunk) || !chunk.Is("MHDR")) return refuse("the movie does not start with its one MHDR header");
  if (chunk.length < 8 || !ReadData(chunk, data)) return refuse("its MHDR chunk is too short");
  survey_.width = Be32(data, 0);
  survey_.height = Be32(data, 4);
  survey_.ticksPerSecond = data.size() >= 12 ? Be32(data, 8) : 0;
  if (survey_.width == 0 || survey_.height == 0) return refuse("the movie declares no frame size");
  const std::uint64_t canvasPixels = std::uint64_t{survey_.width} * survey_.height;
  if (survey_.width > kMaxSide || survey_.height > kMaxSide || canvasPixels > maxPixels_) {
    return refuse("its canvas of " + SizeText(survey_.width, survey_.height) + " pixels is more than the " +
                  std::to_string(maxPixels_) + " pixels a picture may have");
  }
  const std::uint64_t afterHeader = 8 + 12 + std::uint64_t{chunk.length};
  repeatAt_ = afterHeader;
  at_ = afterHeader;

  // The start of the movie decides how it is played: up to its second image, which tells whether
  // images are layered into frames. The rest is checked as it is played.
  std::uint64_t at = afterHeader;
  std::uint64_t images = 0;
  std::uint64_t imageAt = 0;
  bool inImage = false;
  std::uint64_t chunks = 0;
  for (; at < size_ && chunks < kChunksSurveyedAtOpen; ++chunks) {
    chunk = Chunk{};
    if (!ReadChunkHeader(at, chunk)) return refuse(Damaged(at, chunk));
    if (inImage) {
      if (chunk.Is("IHDR") || chunk.Is("MHDR") || chunk.Is("MEND")) {
        return refuse("its image" + At(imageAt) + " has no IEND");
      }
      inImage = !chunk.Is("IEND");
    } else if (chunk.Is("IHDR")) {
      std::string why;
      if (!ReadData(chunk, data)) return refuse("the file cannot be read");
      const std::uint64_t bytes = ShowBytes(chunk, data, &why);
      if (bytes == 0) return refuse(why);
      if (bytes > survey_.showBytes) {
        survey_.showBytes = bytes;
        survey_.largestWidth = Be32(data, 0);
        survey_.largestHeight = Be32(data, 4);
      }
      if (Layered()) return needsDecoder("its frames are made of several images each, from byte " + std::to_string(at));
      if (++images == 2) break;
      inImage = true;
      imageAt = at;
    } else if (chunk.Is("MEND")) {
      break;
    } else if (chunk.Is("FRAM")) {
      if (!ReadData(chunk, data)) return refuse("the file cannot be read");
      framingMode_ = FramingModeOf(data, framingMode_);
      imagesInSubframe_ = 0;
    } else if (!Playable(std::string_view(chunk.type, 4))) {
      return needsDecoder("its " + std::string(chunk.type, 4) + " chunk" + At(at));
    }
    at += 12 + chunk.length;
  }
  framingMode_ = 1;
  imagesInSubframe_ = 0;
  if (images == 0) {
    return refuse(chunks < kChunksSurveyedAtOpen
                      ? "the movie holds no image"
                      : "it holds no image in its first " + std::to_string(kChunksSurveyedAtOpen) + " chunks");
  }
  if (inImage && at >= size_) return refuse("the file ends inside its image" + At(imageAt));
  survey_.verdict = MngSurvey::Verdict::kFrames;
}

void MngStream::Terminate(const std::string& data) {
  if (data.empty()) return;
  termAction_ = std::min<unsigned>(static_cast<unsigned char>(data[0]), 3);
  if (termAction_ != 3) return;
  // A repeat without its fields repeats for ever.
  passesLeft_ = kMngForever;
  if (data.size() < 10) return;
  afterRepeats_ = std::min<unsigned>(static_cast<unsigned char>(data[1]), 2);
  termDelay_ = Be32(data, 2);
  const std::uint32_t passes = Be32(data, 6);
  passesLeft_ = passes >= kRepeatForEver ? kMngForever : std::max<std::uint32_t>(passes, 1);
}

void MngStream::Framing(const std::string& data) {
  framingMode_ = FramingModeOf(data, framingMode_);
  imagesInSubframe_ = 0;
  subframeDelay_ = defaultDelay_;
  // Framing mode, then the subframe's name ended by a zero byte, then what changes.
  const std::size_t nameEnd = data.find('\0', 1);
  if (data.size() < 2 || nameEnd == std::string::npos) return;
  std::size_t at = nameEnd + 1;
  if (data.size() < at + 4) return;
  const unsigned char changeDelay = static_cast<unsigned char>(data[at]);
  at += 4;
  if (changeDelay == 0 || data.size() < at + 4) return;
  subframeDelay_ = Be32(data, at);
  if (changeDelay == 2) defaultDelay_ = subframeDelay_;
}

void MngStream::LoopStarts(const std::string& data, std::uint64_t bodyAt) {
  if (data.empty()) return;
  const unsigned level = static_cast<unsigned char>(data[0]);
  const std::uint64_t repeats = data.size() >= 5 ? Be32(data, 1) : 1;
  // A loop opened inside one of its own level or deeper closes those: the nesting stays strict.
  while (!loops_.empty() && loops_.back().level >= level) loops_.pop_back();
  loops_.push_back({level, std::max<std::uint64_t>(repeats, 1), bodyAt, imagesShown_});
}

std::uint64_t MngStream::LoopEnds(const std::string& data, std::uint64_t after) {
  if (data.empty()) return after;
  const unsigned level = static_cast<unsigned char>(data[0]);
  const auto open = std::find_if(loops_.rbegin(), loops_.rend(), [level](const Loop& loop) {
    return loop.level == level;
  });
  if (open == loops_.rend()) return after;
  loops_.erase(open.base(), loops_.end());
  Loop& loop = loops_.back();
  // A body that showed no image is not repeated: it would keep the player busy without a frame.
  if (loop.repeatsLeft > 1 && imagesShown_ > loop.imagesAtStart) {
    --loop.repeatsLeft;
    loop.imagesAtStart = imagesShown_;
    // Layers are counted in the file's order, as they were when the movie was opened.
    imagesInSubframe_ = 0;
    return loop.bodyAt;
  }
  loops_.pop_back();
  return after;
}

std::uint64_t MngStream::TicksToUs(std::uint64_t ticks) const {
  // A tick of no length per second is an endless one.
  if (survey_.ticksPerSecond == 0) return kMngForever;
  return ticks * 1'000'000 / survey_.ticksPerSecond;
}

bool MngStream::EndOfPass() {
  loops_.clear();
  imagesInSubframe_ = 0;
  if (imagesShown_ == imagesAtPassStart_) return false;
  imagesAtPassStart_ = imagesShown_;
  if (endOnFirst_) return false;
  if (termAction_ == 3 && passesLeft_ > 1) {
    if (passesLeft_ != kMngForever) --passesLeft_;
    at_ = repeatAt_;
    pendingPause_ = TicksToUs(termDelay_);
    return true;
  }
  const unsigned action = termAction_ == 3 ? afterRepeats_ : termAction_;
  clearsAtEnd_ = action == 1;
  if (action != 2) return false;
  endOnFirst_ = true;
  at_ = repeatAt_;
  return true;
}

bool MngStream::ReadImage(const Chunk& first, MngFrame& frame, std::string* why) {
  auto fail = [why](std::string reason) {
    if (why != nullptr) *why = std::move(reason);
    return false;
  };
  frame.png.assign(kPngSignature);
  Chunk chunk = first;
  for (std::uint64_t chunks = 1;; ++chunks) {
    if (chunks > kMaxChunksBetweenImages) {
      return fail("its image" + At(first.at) + " holds more than " + std::to_string(kMaxChunksBetweenImages) +
                  " chunks");
    }
    if (chunks > 1 && (chunk.Is("IHDR") || chunk.Is("MHDR") || chunk.Is("MEND"))) {
      return fail("its image" + At(first.at) + " has no IEND");
    }
    const std::size_t end = frame.png.size();
    const std::uint64_t imageBytes = end - kPngSignature.size() + 12 + std::uint64_t{chunk.length};
    if (imageBytes > kMaxArtworkBytes) {
      return fail("its image" + At(first.at) + " takes more than " + Megabytes(kMaxArtworkBytes) + " of the file");
    }
    frame.png.resize(end + 12 + chunk.length);
    in_->clear();
    in_->seekg(static_cast<std::streamoff>(chunk.at));
    if (!in_->read(frame.png.data() + end, static_cast<std::streamsize>(12 + chunk.length))) {
      return fail("the file can no longer be read" + At(chunk.at));
    }
    const std::uint64_t next = chunk.at + 12 + chunk.length;
    if (chunk.Is("IEND")) {
      at_ = next;
      break;
    }
    if (next >= size_) return fail("the file ends inside its image" + At(first.at));
    if (!ReadChunkHeader(next, chunk)) return fail(Damaged(next, chunk));
  }
  const std::string_view header(frame.png.data() + kPngSignature.size() + 8, 8);
  frame.width = Be32(header, 0);
  frame.height = Be32(header, 4);
  return true;
}

MngStream::Step MngStream::Next(MngFrame& frame, std::string* why) {
  if (ended_ || survey_.verdict != MngSurvey::Verdict::kFrames) return Step::kEnd;
  // The movie goes no further than a chunk it cannot play: the frames shown so far stay shown.
  auto stop = [this, why](std::string reason) {
    ended_ = true;
    if (why != nullptr) *why = std::move(reason);
    return Step::kError;
  };
  std::string data;
  std::string reason;
  for (std::uint64_t chunks = 0;; ++chunks) {
    Chunk chunk;
    const bool read = at_ < size_ && ReadChunkHeader(at_, chunk);
    if (at_ >= size_ || (read && chunk.Is("MEND"))) {
      if (EndOfPass()) continue;
      ended_ = true;
      return Step::kEnd;
    }
    if (!read) return stop(Damaged(at_, chunk));
    if (chunks == kMaxChunksBetweenImages) {
      return stop("it holds more than " + std::to_string(kMaxChunksBetweenImages) + " chunks between two images" +
                  At(at_));
    }
    const std::string_view type(chunk.type, 4);
    if (!Playable(type)) return stop("its " + std::string(type) + " chunk" + At(at_) + " needs a full MNG decoder");
    if (chunk.Is("IHDR") || chunk.Is("FRAM") || chunk.Is("LOOP") || chunk.Is("ENDL") || chunk.Is("TERM")) {
      if (!ReadData(chunk, data)) return stop("the file can no longer be read" + At(at_));
    }
    if (chunk.Is("IHDR")) {
      if (ShowBytes(chunk, data, &reason) == 0) return stop(std::move(reason));
      if (Layered()) {
        return stop("its image" + At(at_) + " is a further layer of its frame, which needs a full MNG decoder");
      }
      if (!ReadImage(chunk, frame, &reason)) return stop(std::move(reason));
      frame.delayUs = endOnFirst_ ? kMngForever : TicksToUs(subframeDelay_);
      frame.pauseBeforeUs = std::exchange(pendingPause_, 0);
      ended_ = endOnFirst_;
      ++imagesShown_;
      return Step::kFrame;
    }
    const std::uint64_t next = at_ + 12 + chunk.length;
    at_ = next;
    if (chunk.Is("FRAM")) {
      Framing(data);
    } else if (chunk.Is("LOOP")) {
      LoopStarts(data, next);
    } else if (chunk.Is("ENDL")) {
      at_ = LoopEnds(data, next);
    } else if (chunk.Is("TERM") && !terminated_) {
      // The first TERM says how the movie ends; its repeats start after it.
      Terminate(data);
      repeatAt_ = next;
      terminated_ = true;
    }
  }
}

}  // namespace kestrune::catalogue
