// Extracting one entry of an open archive into a stream: the local header, stored and deflated data,
// the traditional PKWARE encryption, the archiver's own block format, and the size and CRC-32 checks.
#include <zlib.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

#include "zip/zip_archiver.h"
#include "zip/zip_crypto.h"

namespace kestrune::zip {
namespace {

constexpr std::size_t kChunkSize = std::size_t{1} << 20;
// A handler that keeps answering with wrong passwords is asked this often, then the entry fails.
constexpr int kMaxPasswordPrompts = 16;
// A destination that keeps writing short is retried this often after the disk-full event.
constexpr int kMaxWriteAttempts = 8;
constexpr std::size_t kBlockHeaderSize = 50;
// Larger blocks than the archiver's own writer uses; anything beyond is damage, not data.
constexpr std::uint32_t kMaxBlockSize = 64u << 20;
constexpr std::uint16_t kNotEncrypted = 0xFFFF;
// Deflate cannot expand input by more than this.
constexpr std::uint64_t kMaxInflateRatio = 1032;
constexpr std::uint32_t kEscape32 = 0xFFFFFFFF;
constexpr std::uint16_t kLastPlainVersion = 10;

enum class TExtractOutcome {
  Done,
  Mismatch,     // size or CRC-32 differ from the directory's
  Invalid,      // unsupported or damaged data, or more data than the entry's size
  Skipped,      // the password prompt skipped the entry
  Cancelled,    // a progress handler cancelled
  WriteFailed,  // the destination took fewer bytes than given
};

// An inflater that is always ended.
class TInflater {
 public:
  explicit TInflater(int windowBits) { ok_ = inflateInit2(&stream_, windowBits) == Z_OK; }
  ~TInflater() {
    if (ok_) {
      inflateEnd(&stream_);
    }
  }
  TInflater(const TInflater&) = delete;
  TInflater& operator=(const TInflater&) = delete;
  bool Ok() const { return ok_; }
  z_stream& Stream() { return stream_; }

 private:
  z_stream stream_{};
  bool ok_ = false;
};

std::size_t ChunkFor(std::uint64_t bytes) {
  return static_cast<std::size_t>(std::clamp<std::uint64_t>(bytes, 1, kChunkSize));
}

}  // namespace

class TEntryExtractor {
 public:
  TEntryExtractor(TZipBaseArchiver& zip, const TDirItem& entry, TStream& destination)
      : zip_(zip), entry_(entry), destination_(destination), source_(*zip.stream_) {}

  TExtractOutcome Run();

 private:
  void LocateData();
  TExtractOutcome ReadStoredOrDeflated();
  TExtractOutcome Unlock(TPkwareDecrypter& decrypter);
  TExtractOutcome InflateChunk(TInflater& inflater, std::uint8_t* input, std::size_t count);
  TExtractOutcome ReadBlockFormat();
  TExtractOutcome ReadBlock(std::uint32_t length, std::uint64_t wanted, bool compressed);
  TExtractOutcome Emit(const std::uint8_t* data, std::size_t count);
  bool WriteWithRetry(const std::uint8_t* data, std::size_t count);
  bool ProgressAllows(std::uint64_t done);
  std::uint64_t Room() const { return entry_.UncompressedSize - produced_; }

  TZipBaseArchiver& zip_;
  const TDirItem& entry_;
  TStream& destination_;
  TStream& source_;
  std::uint64_t dataSize_ = 0;
  std::uint64_t remaining_ = 0;
  std::uint64_t produced_ = 0;
  std::uint32_t crc_ = 0;
  bool streamEnded_ = false;
  std::vector<std::uint8_t> output_;
};

TExtractOutcome TEntryExtractor::Run() {
  if (entry_.SizesUnknown) {
    return TExtractOutcome::Invalid;
  }
  LocateData();
  TExtractOutcome outcome = TExtractOutcome::Invalid;
  switch (entry_.CentralDir.Method) {
    case 0:
    case 8:
      outcome = ReadStoredOrDeflated();
      break;
    case 9:
      throw EZipException(55, &zip_);
    default:
      // The zip archiver proper reads only stored and deflated data; other methods are the bare
      // component's own block format, and never methods of the oldest zip versions.
      if (zip_.ReadsBlockFormat() && entry_.CentralDir.VersionNeeded > kLastPlainVersion) {
        outcome = ReadBlockFormat();
      }
      break;
  }
  if (outcome != TExtractOutcome::Done) {
    return outcome;
  }
  if (produced_ != entry_.UncompressedSize || crc_ != entry_.CentralDir.Crc32) {
    return TExtractOutcome::Mismatch;
  }
  return TExtractOutcome::Done;
}

// Positions the source at the entry's data and works out how much of it there is: never past the
// central directory, whatever the sizes claim.
void TEntryExtractor::LocateData() {
  const auto streamSize = static_cast<std::uint64_t>(source_.Size());
  const std::uint64_t offset = entry_.LocalHeaderOffset;
  if (offset > streamSize || streamSize - offset < TLocalHeader::kSize) {
    throw EReadError();
  }
  std::uint8_t bytes[TLocalHeader::kSize];
  source_.SetPosition(static_cast<std::int64_t>(offset));
  source_.ReadBuffer(bytes, sizeof bytes);
  const TLocalHeader local = TLocalHeader::Parse(bytes);
  const std::uint64_t dataStart = offset + TLocalHeader::kSize + local.NameLength + local.ExtraLength;
  const auto directoryStart = static_cast<std::uint64_t>(std::max<std::int64_t>(zip_.dirManager_->DirectoryStart, 0));
  const std::uint64_t limit = std::min(directoryStart, streamSize);
  dataSize_ = dataStart >= limit ? 0 : std::min(entry_.CompressedSize, limit - dataStart);
  remaining_ = dataSize_;
  if (dataSize_ > 0) {
    source_.SetPosition(static_cast<std::int64_t>(dataStart));
  }
}

TExtractOutcome TEntryExtractor::ReadStoredOrDeflated() {
  const bool encrypted = (entry_.CentralDir.Flags & kFlagEncrypted) != 0;
  TPkwareDecrypter decrypter({});
  if (encrypted) {
    if (const TExtractOutcome unlocked = Unlock(decrypter); unlocked != TExtractOutcome::Done) {
      return unlocked;
    }
  }
  const bool deflated = entry_.CentralDir.Method == 8;
  TInflater inflater(-MAX_WBITS);
  if (deflated) {
    if (!inflater.Ok()) {
      return TExtractOutcome::Invalid;
    }
    output_.resize(entry_.UncompressedSize >= kChunkSize ? kChunkSize
                                                         : static_cast<std::size_t>(entry_.UncompressedSize) + 1);
  }
  std::vector<std::uint8_t> input(ChunkFor(remaining_));
  const bool anyData = remaining_ > 0;
  while (remaining_ > 0 && !streamEnded_) {
    if (!ProgressAllows(dataSize_ - remaining_)) {
      return TExtractOutcome::Cancelled;
    }
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(remaining_, input.size()));
    source_.ReadBuffer(input.data(), count);
    remaining_ -= count;
    if (encrypted) {
      decrypter.Decrypt(input.data(), count);
    }
    const TExtractOutcome outcome = deflated ? InflateChunk(inflater, input.data(), count) : Emit(input.data(), count);
    if (outcome != TExtractOutcome::Done) {
      return outcome;
    }
  }
  // Deflate data that stops before its final block is a cut entry, whatever it produced so far. An entry
  // with no data bytes at all has nothing to cut: its sizes and CRC-32 decide.
  if (deflated && !streamEnded_ && anyData) {
    return TExtractOutcome::Mismatch;
  }
  return TExtractOutcome::Done;
}

TExtractOutcome TEntryExtractor::Unlock(TPkwareDecrypter& decrypter) {
  std::uint8_t header[TPkwareDecrypter::kHeaderSize];
  if (remaining_ < sizeof header) {
    return TExtractOutcome::Invalid;
  }
  source_.ReadBuffer(header, sizeof header);
  remaining_ -= sizeof header;
  const std::int64_t dataStart = source_.Position();
  const TCentralHeader& central = entry_.CentralDir;
  const auto check =
      static_cast<std::uint8_t>((central.Flags & kFlagDataDescriptor) != 0 ? central.Time >> 8 : central.Crc32 >> 24);
  for (int prompts = 0;; ++prompts) {
    if (PkwarePasswordFits(zip_.Password, header, check, decrypter)) {
      return TExtractOutcome::Done;
    }
    if (prompts == kMaxPasswordPrompts) {
      return TExtractOutcome::Invalid;
    }
    bool skip = false;
    zip_.DoOnPassword(entry_.FileName, zip_.Password, skip);
    if (skip) {
      return TExtractOutcome::Skipped;
    }
    // While the question was open, the event loop of its dialog may have read other entries.
    source_.SetPosition(dataStart);
  }
}

TExtractOutcome TEntryExtractor::InflateChunk(TInflater& inflater, std::uint8_t* input, std::size_t count) {
  z_stream& z = inflater.Stream();
  z.next_in = input;
  z.avail_in = static_cast<uInt>(count);
  while (true) {
    // One byte more than the entry may still hold, so that data running past its size shows at once.
    // (Room() + 1 would wrap to 0 for a size of 2^64 - 1 and leave inflate no room at all.)
    const auto room = static_cast<uInt>(Room() >= output_.size() ? output_.size() : Room() + 1);
    z.next_out = output_.data();
    z.avail_out = room;
    const int result = inflate(&z, Z_NO_FLUSH);
    if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) {
      return TExtractOutcome::Invalid;
    }
    const std::size_t produced = room - z.avail_out;
    if (produced > Room()) {
      return TExtractOutcome::Invalid;
    }
    if (const TExtractOutcome written = Emit(output_.data(), produced); written != TExtractOutcome::Done) {
      return written;
    }
    if (result == Z_STREAM_END) {
      // Whatever follows the end of the deflate stream is not part of the entry.
      streamEnded_ = true;
      return TExtractOutcome::Done;
    }
    if (z.avail_out != 0) {
      // inflate stopped with room to spare: it needs more input (or can make no progress at all).
      return z.avail_in == 0 ? TExtractOutcome::Done : TExtractOutcome::Invalid;
    }
  }
}

TExtractOutcome TEntryExtractor::ReadBlockFormat() {
  std::uint8_t header[kBlockHeaderSize];
  if (remaining_ < sizeof header) {
    return TExtractOutcome::Invalid;
  }
  source_.ReadBuffer(header, sizeof header);
  remaining_ -= sizeof header;
  const std::uint32_t blockSize = GetLE32(header);
  std::uint64_t total = GetLE32(header + 8);
  const std::uint32_t blocks = GetLE32(header + 16);
  const std::uint8_t algorithm = header[20];
  const bool compressed = header[21] == 1;
  const std::uint16_t encryption = GetLE16(header + 22);
  if (entry_.CentralDir.UncompressedSize == kEscape32) {
    total = entry_.UncompressedSize;
  }
  // The block cipher is not part of this reader: such entries cannot be read.
  if (algorithm != 0 || header[21] > 1 || encryption != kNotEncrypted || blockSize == 0 || blockSize > kMaxBlockSize ||
      total > entry_.UncompressedSize) {
    return TExtractOutcome::Invalid;
  }
  for (std::uint32_t block = 0; block < blocks; ++block) {
    if (!ProgressAllows(dataSize_ - remaining_)) {
      return TExtractOutcome::Cancelled;
    }
    std::uint8_t lengthBytes[4];
    if (remaining_ < sizeof lengthBytes) {
      return TExtractOutcome::Invalid;
    }
    source_.ReadBuffer(lengthBytes, sizeof lengthBytes);
    remaining_ -= sizeof lengthBytes;
    const std::uint32_t length = GetLE32(lengthBytes);
    const std::uint64_t wanted = std::min<std::uint64_t>(blockSize, total - produced_);
    if (const TExtractOutcome outcome = ReadBlock(length, wanted, compressed); outcome != TExtractOutcome::Done) {
      return outcome;
    }
  }
  return TExtractOutcome::Done;
}

// One block of the block format: `length` bytes that hold at most `wanted` bytes of the entry.
TExtractOutcome TEntryExtractor::ReadBlock(std::uint32_t length, std::uint64_t wanted, bool compressed) {
  const std::uint64_t largest = compressed ? compressBound(static_cast<uLong>(wanted)) : wanted;
  if (length == 0 || wanted == 0 || length > remaining_ || length > largest) {
    return TExtractOutcome::Invalid;
  }
  std::vector<std::uint8_t> input(length);
  source_.ReadBuffer(input.data(), length);
  remaining_ -= length;
  if (!compressed) {
    return Emit(input.data(), input.size());
  }
  TInflater inflater(MAX_WBITS);
  if (!inflater.Ok()) {
    return TExtractOutcome::Invalid;
  }
  // No more room than the block's bytes can inflate to.
  const std::uint64_t reachable = std::uint64_t{length} * kMaxInflateRatio + 1024;
  std::vector<std::uint8_t> output(static_cast<std::size_t>(std::min(wanted, reachable)));
  z_stream& z = inflater.Stream();
  z.next_in = input.data();
  z.avail_in = length;
  z.next_out = output.data();
  z.avail_out = static_cast<uInt>(output.size());
  if (inflate(&z, Z_FINISH) != Z_STREAM_END || z.total_out == 0) {
    return TExtractOutcome::Invalid;
  }
  return Emit(output.data(), z.total_out);
}

TExtractOutcome TEntryExtractor::Emit(const std::uint8_t* data, std::size_t count) {
  if (count == 0) {
    return TExtractOutcome::Done;
  }
  // Never more than the entry's size, whatever the data holds.
  if (count > Room()) {
    return TExtractOutcome::Invalid;
  }
  crc_ = static_cast<std::uint32_t>(crc32(crc_, data, static_cast<uInt>(count)));
  if (!WriteWithRetry(data, count)) {
    return TExtractOutcome::WriteFailed;
  }
  produced_ += count;
  return TExtractOutcome::Done;
}

bool TEntryExtractor::WriteWithRetry(const std::uint8_t* data, std::size_t count) {
  const std::int64_t start = destination_.Position();
  for (int attempt = 0; attempt < kMaxWriteAttempts; ++attempt) {
    if (destination_.Write(data, count) == count) {
      return true;
    }
    bool cancel = false;
    zip_.DoOnDiskFull(-1, zip_.FileName, cancel);
    if (cancel) {
      zip_.Aborted = true;
      return false;
    }
    destination_.SetPosition(start);
  }
  return false;
}

bool TEntryExtractor::ProgressAllows(std::uint64_t done) {
  if (!zip_.ProgressEnabled) {
    return true;
  }
  const double percent = dataSize_ == 0 ? 100.0 : static_cast<double>(done) * 100.0 / static_cast<double>(dataSize_);
  bool cancel = false;
  zip_.DoOnFileProgress(entry_.FileName, percent, TZipProcessOperation::poExtract, TZipProgressPhase::ppProcess,
                        cancel);
  if (!cancel) {
    zip_.DoOnOverallProgress(percent, TZipProcessOperation::poExtract, TZipProgressPhase::ppProcess, cancel);
  }
  if (cancel) {
    zip_.Aborted = true;
  }
  return !cancel;
}

void TZipBaseArchiver::ExtractEntryByIndex(int index, TStream& stream) {
  CheckActive();
  CheckNoUpdate();
  if (index < 0 || index >= dirManager_->Items.Count()) {
    throw EZipException(16, this);
  }
  Aborted = false;
  SkipFile = false;
  TEntryExtractor extractor(*this, dirManager_->Items.Item(index), stream);
  const TExtractOutcome outcome = extractor.Run();
  // Set at the end: a read that ran while this one's password question was open had its own outcome.
  SkipFile = outcome == TExtractOutcome::Skipped;
  if (outcome == TExtractOutcome::Done || outcome == TExtractOutcome::Skipped ||
      (outcome == TExtractOutcome::Mismatch && ExtractCorruptedFiles)) {
    return;
  }
  // A cancelled or short-written entry is as incomplete as a damaged one: the caller hears of it.
  throw EZipException(8, this);
}

void TZipBaseArchiver::ExtractEntryToStream(const WideString& fileName, TStream& stream) {
  CheckActive();
  CheckNoUpdate();
  struct Restore {
    TZipBaseArchiver& zip;
    bool progress;
    bool recurse;
    ~Restore() {
      zip.ProgressEnabled = progress;
      zip.Options.Recurse = recurse;
    }
  } restore{*this, ProgressEnabled, Options.Recurse};
  ProgressEnabled = false;
  // The look-up keeps to the folder the name gives: "x.png" is a root entry, never "snap/x.png".
  Options.Recurse = false;
  int index = -1;
  const bool found = FindEntryByName(fileName, index);
  Options.Recurse = restore.recurse;
  if (!found) {
    throw EZipException(15, this, {fileName});
  }
  ExtractEntryByIndex(index, stream);
}

}  // namespace kestrune::zip
