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
// The player reads past an ENDL back to its body, or past the end back to TERM, at most a few
// such stretches between two frames.
constexpr std::uint64_t kMaxStepsBetweenFrames = 4 * kMaxChunksBetweenImages + 16;
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

// Chunks a frame-by-frame player passes over: a PNG image's own chunks stand between IHDR and IEND
// and are not looked at here.
bool PassedOver(std::string_view type) {
  const bool ancillary = (type[0] & 0x20) != 0;
  return ancillary || type == "BACK" || type == "SAVE" || type == "SEEK";
}

}  // namespace

bool MngStream::Chunk::Is(const char* name) const { return std::memcmp(type, name, 4) == 0; }

MngStream::MngStream(const std::filesystem::path& file, std::uint64_t maxPixels) {
  auto in = std::make_unique<std::ifstream>(file, std::ios::binary);
  const bool open = in->is_open();
  in_ = std::move(in);
  if (!open) {
    survey_.why = "the file cannot be opened";
    return;
  }
  Walk(maxPixels);
}

MngStream::MngStream(std::string bytes, std::uint64_t maxPixels)
    : in_(std::make_unique<std::istringstream>(std::move(bytes), std::ios::binary)) {
  Walk(maxPixels);
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

void MngStream::Walk(std::uint64_t maxPixels) {
  auto refuse = [this](std::string why) {
    survey_.verdict = MngSurvey::Verdict::kRefused;
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
  if (survey_.width > kMaxSide || survey_.height > kMaxSide || canvasPixels > maxPixels) {
    return refuse("its canvas of " + SizeText(survey_.width, survey_.height) + " pixels is more than the " +
                  std::to_string(maxPixels) + " pixels a picture may have");
  }
  const std::uint64_t afterHeader = 8 + 12 + std::uint64_t{chunk.length};
  repeatAt_ = afterHeader;

  std::uint64_t at = afterHeader;
  bool inImage = false;
  std::uint64_t imageBytes = 0;
  std::uint64_t chunksSinceImage = 0;
  std::uint64_t largestDecoded = 0;
  unsigned framingMode = 1;
  std::uint64_t imagesInSubframe = 0;
  bool terminated = false;
  while (at < size_) {
    chunk = Chunk{};
    if (!ReadChunkHeader(at, chunk)) {
      return refuse(chunk.type[0] != 0 ? "the file ends inside its " + std::string(chunk.type, 4) + " chunk"
                                       : "the file ends inside a chunk");
    }
    const std::uint64_t next = at + 12 + chunk.length;
    if (++chunksSinceImage > kMaxChunksBetweenImages) {
      return refuse("it holds more than " + std::to_string(kMaxChunksBetweenImages) +
                    " chunks between two images at byte " + std::to_string(at));
    }
    if (inImage) {
      imageBytes += 12 + std::uint64_t{chunk.length};
      if (imageBytes > kMaxArtworkBytes) {
        return refuse("its image " + std::to_string(survey_.images + 1) + " takes more than " +
                      Megabytes(kMaxArtworkBytes) + " of the file");
      }
      if (chunk.Is("IHDR") || chunk.Is("MHDR") || chunk.Is("MEND")) {
        return refuse("its image " + std::to_string(survey_.images + 1) + " has no IEND");
      }
      if (chunk.Is("IEND")) {
        inImage = false;
        ++survey_.images;
        chunksSinceImage = 0;
      }
    } else if (chunk.Is("IHDR")) {
      if (chunk.length < 13 || !ReadData(chunk, data)) return refuse("its IHDR chunk is too short");
      const std::uint32_t width = Be32(data, 0);
      const std::uint32_t height = Be32(data, 4);
      const std::uint64_t pixels = std::uint64_t{width} * height;
      if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide || pixels > maxPixels) {
        return refuse("its image " + std::to_string(survey_.images + 1) + " of " + SizeText(width, height) +
                      " pixels is more than the " + std::to_string(maxPixels) + " pixels a picture may have");
      }
      // Qt decodes 16-bit samples to 8 bytes a pixel, anything else to at most 4.
      const std::uint64_t decoded = pixels * (data[8] == 16 ? 8 : 4);
      if (decoded > largestDecoded) {
        largestDecoded = decoded;
        survey_.largestWidth = width;
        survey_.largestHeight = height;
      }
      if ((framingMode == 2 || framingMode == 4) && ++imagesInSubframe > 1) {
        survey_.verdict = MngSurvey::Verdict::kNeedsDecoder;
        survey_.why = "its frames are made of several images each";
        return;
      }
      inImage = true;
      imageBytes = 12 + std::uint64_t{chunk.length};
    } else if (chunk.Is("MEND")) {
      break;
    } else if (chunk.Is("FRAM")) {
      if (!ReadData(chunk, data)) return refuse("the file cannot be read");
      if (!data.empty() && data[0] >= 1 && data[0] <= 4) framingMode = static_cast<unsigned char>(data[0]);
      imagesInSubframe = 0;
    } else if (chunk.Is("TERM")) {
      if (!terminated) {
        if (!ReadData(chunk, data)) return refuse("the file cannot be read");
        Terminate(data);
        repeatAt_ = next;
        terminated = true;
      }
    } else if (!chunk.Is("LOOP") && !chunk.Is("ENDL") && !PassedOver(std::string_view(chunk.type, 4))) {
      survey_.verdict = MngSurvey::Verdict::kNeedsDecoder;
      survey_.why = "its " + std::string(chunk.type, 4) + " chunk";
      return;
    }
    at = next;
  }
  if (inImage) return refuse("the file ends inside its image " + std::to_string(survey_.images + 1));
  if (survey_.images == 0) return refuse("the movie holds no image");
  // The frame as decoded and a converted copy to scale from, then the picture shown and the screen's copy.
  survey_.showBytes = 2 * largestDecoded + 8 * canvasPixels;
  if (survey_.showBytes > kMaxMovieBytes) {
    return refuse("its frames of " + SizeText(survey_.largestWidth, survey_.largestHeight) + " on a canvas of " +
                  SizeText(survey_.width, survey_.height) + " would take " + Megabytes(survey_.showBytes) +
                  " of memory to show, more than " + Megabytes(kMaxMovieBytes));
  }
  survey_.verdict = MngSurvey::Verdict::kFrames;
  at_ = afterHeader;
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
  auto fail = [why](const char* reason) {
    if (why != nullptr) *why = reason;
    return false;
  };
  frame.png.assign(kPngSignature);
  Chunk chunk = first;
  while (true) {
    const std::size_t end = frame.png.size();
    if (frame.png.size() - kPngSignature.size() + 12 + chunk.length > kMaxArtworkBytes) {
      return fail("an image has grown past what the file held when it was opened");
    }
    frame.png.resize(end + 12 + chunk.length);
    in_->clear();
    in_->seekg(static_cast<std::streamoff>(chunk.at));
    if (!in_->read(frame.png.data() + end, static_cast<std::streamsize>(12 + chunk.length))) {
      return fail("the file can no longer be read");
    }
    const std::uint64_t next = chunk.at + 12 + chunk.length;
    if (chunk.Is("IEND")) {
      at_ = next;
      break;
    }
    if (!ReadChunkHeader(next, chunk)) return fail("the file has changed since it was opened");
  }
  const std::string_view header(frame.png.data() + kPngSignature.size() + 8, 8);
  if (first.length < 8) return fail("the file has changed since it was opened");
  frame.width = Be32(header, 0);
  frame.height = Be32(header, 4);
  return true;
}

MngStream::Step MngStream::Next(MngFrame& frame, std::string* why) {
  if (ended_ || survey_.verdict != MngSurvey::Verdict::kFrames) return Step::kEnd;
  std::string data;
  for (std::uint64_t steps = 0; steps < kMaxStepsBetweenFrames; ++steps) {
    Chunk chunk;
    const bool passEnds = at_ >= size_ || (ReadChunkHeader(at_, chunk) && chunk.Is("MEND"));
    if (passEnds) {
      if (EndOfPass()) continue;
      ended_ = true;
      return Step::kEnd;
    }
    if (chunk.at != at_) {
      if (why != nullptr) *why = "the file has changed since it was opened";
      return Step::kError;
    }
    const std::uint64_t next = at_ + 12 + chunk.length;
    if (chunk.Is("IHDR")) {
      if (!ReadImage(chunk, frame, why)) return Step::kError;
      frame.delayUs = endOnFirst_ ? kMngForever : TicksToUs(subframeDelay_);
      frame.pauseBeforeUs = std::exchange(pendingPause_, 0);
      ended_ = endOnFirst_;
      ++imagesShown_;
      return Step::kFrame;
    }
    if (chunk.Is("FRAM") || chunk.Is("LOOP") || chunk.Is("ENDL")) {
      if (!ReadData(chunk, data)) {
        if (why != nullptr) *why = "the file can no longer be read";
        return Step::kError;
      }
    }
    at_ = next;
    if (chunk.Is("FRAM")) {
      Framing(data);
    } else if (chunk.Is("LOOP")) {
      LoopStarts(data, next);
    } else if (chunk.Is("ENDL")) {
      at_ = LoopEnds(data, next);
    }
  }
  if (why != nullptr) *why = "the file has changed since it was opened";
  return Step::kError;
}

}  // namespace kestrune::catalogue
