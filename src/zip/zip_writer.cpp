#include "zip/zip_writer.h"

#include <zlib.h>

#include <algorithm>
#include <optional>
#include <random>
#include <vector>

#include "zip/zip_records.h"

namespace kestrune::zip {
namespace {

constexpr std::size_t kOutputChunk = std::size_t{256} << 10;
constexpr std::size_t kBlockHeaderSize = 50;
constexpr std::uint16_t kNoBlockEncryption = 0xFFFF;

struct BlockSizeRow {
  int firstMode;
  std::size_t bytes;
};
// Compression modes from firstMode on use this block size.
constexpr BlockSizeRow kBlockSizes[] = {{7, 1572864}, {4, 1048576}, {1, 524288}, {0, 1048576}};

// A deflater that is always ended.
class TDeflater {
 public:
  explicit TDeflater(int level) {
    ok_ = deflateInit2(&stream_, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
  }
  ~TDeflater() {
    if (ok_) {
      deflateEnd(&stream_);
    }
  }
  TDeflater(const TDeflater&) = delete;
  TDeflater& operator=(const TDeflater&) = delete;
  bool Ok() const { return ok_; }
  z_stream& Stream() { return stream_; }

 private:
  z_stream stream_{};
  bool ok_ = false;
};

// Writes entry data, encrypting it first when there is a password, and counts it.
class TDataSink {
 public:
  TDataSink(TZipOutput& out, const TCompressSettings& settings) : out_(out) {
    if (settings.password != nullptr) {
      cipher_.emplace(*settings.password);
      WriteEncryptionHeader(settings.crcForPassword);
    }
  }
  void Put(std::uint8_t* data, std::size_t count) {
    if (cipher_) {
      cipher_->Encrypt(data, count);
    }
    out_.Write(data, count);
    written_ += count;
  }
  std::uint64_t Written() const { return written_; }
  TZipOutput& Out() { return out_; }

 private:
  void WriteEncryptionHeader(std::uint32_t crc) {
    std::uint8_t header[TPkwareCipher::kHeaderSize];
    std::random_device random;
    for (std::size_t i = 0; i + 1 < sizeof header; ++i) {
      header[i] = static_cast<std::uint8_t>(random());
    }
    // A reader checks the password against this byte, the CRC-32's high byte.
    header[sizeof header - 1] = static_cast<std::uint8_t>(crc >> 24);
    Put(header, sizeof header);
  }

  TZipOutput& out_;
  std::optional<TPkwareCipher> cipher_;
  std::uint64_t written_ = 0;
};

// Reads the source a block at a time, keeping the CRC-32 and the count, and tells progress before each block.
class TBlockSource {
 public:
  // A small source gets a buffer of its own size (and one byte to see its end), not a whole block.
  TBlockSource(TStream& source, const TCompressSettings& settings)
      : source_(source),
        settings_(settings),
        buffer_(static_cast<std::size_t>(std::clamp<std::int64_t>(source.Size() - source.Position() + 1, 1,
                                                                  static_cast<std::int64_t>(settings.blockSize)))) {}
  // The next block (empty at the end of the source).
  std::size_t Next() {
    if (settings_.progress) {
      settings_.progress(read_);
    }
    const std::size_t n = source_.Read(buffer_.data(), buffer_.size());
    crc_ = static_cast<std::uint32_t>(crc32(crc_, buffer_.data(), static_cast<uInt>(n)));
    read_ += n;
    return n;
  }
  std::uint8_t* Data() { return buffer_.data(); }
  uLong Capacity() const { return static_cast<uLong>(buffer_.size()); }
  std::uint32_t Crc() const { return crc_; }
  std::uint64_t Read() const { return read_; }

 private:
  TStream& source_;
  const TCompressSettings& settings_;
  std::vector<std::uint8_t> buffer_;
  std::uint32_t crc_ = 0;
  std::uint64_t read_ = 0;
};

void WriteStored(TBlockSource& source, TDataSink& sink) {
  for (std::size_t n = source.Next(); n != 0; n = source.Next()) {
    sink.Put(source.Data(), n);
  }
}

// Raw deflate data, as a zip entry holds it.
void WriteDeflated(TBlockSource& source, TDataSink& sink, int level, const TComponent* owner) {
  TDeflater deflater(level);
  if (!deflater.Ok()) {
    throw EZipException(46, owner);
  }
  z_stream& z = deflater.Stream();
  std::vector<std::uint8_t> output(std::min<std::size_t>(kOutputChunk, deflateBound(&z, source.Capacity())));
  bool finished = false;
  while (!finished) {
    const std::size_t n = source.Next();
    const int flush = n == 0 ? Z_FINISH : Z_NO_FLUSH;
    z.next_in = source.Data();
    z.avail_in = static_cast<uInt>(n);
    do {
      z.next_out = output.data();
      z.avail_out = static_cast<uInt>(output.size());
      const int result = deflate(&z, flush);
      if (result == Z_STREAM_ERROR) {
        throw EZipException(46, owner);
      }
      sink.Put(output.data(), output.size() - z.avail_out);
      finished = result == Z_STREAM_END;
    } while (z.avail_out == 0 || (flush == Z_FINISH && !finished));
  }
}

// The archiver's own format: a 50-byte header, then each block as its length and a zlib stream (or the
// block itself at compression mode 0).
void WriteBlockFormat(TBlockSource& source, TDataSink& sink, const TCompressSettings& settings) {
  TZipOutput& out = sink.Out();
  const std::int64_t headerAt = out.Position();
  std::uint8_t header[kBlockHeaderSize] = {};
  // Never encrypted (the format's cipher is not part of this archiver), so the header can be patched in place.
  sink.Put(header, sizeof header);
  const bool compressed = settings.level > 0;
  std::uint32_t blocks = 0;
  std::vector<std::uint8_t> packed;
  for (std::size_t n = source.Next(); n != 0; n = source.Next()) {
    std::uint8_t* data = source.Data();
    std::size_t length = n;
    if (compressed) {
      uLongf packedSize = compressBound(static_cast<uLong>(n));
      packed.resize(packedSize);
      if (compress2(packed.data(), &packedSize, data, static_cast<uLong>(n), settings.level) != Z_OK) {
        throw EZipException(46);
      }
      data = packed.data();
      length = packedSize;
    }
    std::uint8_t lengthBytes[4];
    PutLE32(lengthBytes, static_cast<std::uint32_t>(length));
    sink.Put(lengthBytes, sizeof lengthBytes);
    sink.Put(data, length);
    ++blocks;
  }
  PutLE32(header, static_cast<std::uint32_t>(settings.blockSize));
  PutLE32(header + 8, static_cast<std::uint32_t>(std::min<std::uint64_t>(source.Read(), 0xFFFFFFFF)));
  PutLE32(header + 16, blocks);
  header[20] = 0;  // zlib
  header[21] = compressed ? 1 : 0;
  PutLE16(header + 22, kNoBlockEncryption);
  const std::int64_t end = out.Position();
  out.SetPosition(headerAt);
  out.Write(header, sizeof header);
  out.SetPosition(end);
}

}  // namespace

TEncodedName EncodeEntryName(WideStringView name, bool oemNames) {
  const unsigned codePage = oemNames ? kCodePage437 : kCodePage1252;
  std::string bytes = WideToMultiByte(name, codePage);
  if (MultiByteToWide(bytes, codePage) == name) {
    return {std::move(bytes), false};
  }
  return {WideToUtf8(name), true};
}

WideString NormalizeEntryName(WideStringView name) {
  WideString out(name);
  std::replace(out.begin(), out.end(), u'\\', u'/');
  return out;
}

bool IsUnsafeEntryName(WideStringView name) {
  const WideString normal = NormalizeEntryName(name);
  if (normal.empty() || normal.front() == u'/' || normal.find(u'\0') != WideString::npos) {
    return true;
  }
  // A drive ("C:x"); "1:2.txt" is an ordinary name.
  const auto isLetter = [](char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); };
  if (normal.size() >= 2 && normal[1] == u':' && isLetter(normal[0])) {
    return true;
  }
  std::size_t start = 0;
  while (start <= normal.size()) {
    const std::size_t end = std::min(normal.find(u'/', start), normal.size());
    if (WideStringView(normal).substr(start, end - start) == u"..") {
      return true;
    }
    start = end + 1;
  }
  return false;
}

std::string ExtraBlock(std::uint16_t id, std::string_view data) {
  std::string block(4, '\0');
  auto* p = reinterpret_cast<std::uint8_t*>(block.data());
  PutLE16(p, id);
  PutLE16(p + 2, static_cast<std::uint16_t>(data.size()));
  block.append(data);
  return block;
}

std::string UnicodeNameBlock(WideStringView name) {
  std::string data(8 + 2 * name.size(), '\0');
  auto* p = reinterpret_cast<std::uint8_t*>(data.data());
  PutLE32(p, kUnicodeNameTag);
  PutLE32(p + 4, static_cast<std::uint32_t>(name.size()));
  for (std::size_t i = 0; i < name.size(); ++i) {
    PutLE16(p + 8 + 2 * i, name[i]);
  }
  return ExtraBlock(kUnicodeNameExtraId, data);
}

std::string KeptExtraBlocks(std::string_view extra, bool keepZip64) {
  std::string kept;
  std::size_t at = 0;
  while (at + 4 <= extra.size()) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(extra.data() + at);
    const std::uint16_t id = GetLE16(p);
    const std::size_t size = std::min<std::size_t>(GetLE16(p + 2), extra.size() - at - 4);
    if (id != kUnicodeNameExtraId && (keepZip64 || id != kZip64ExtraId)) {
      kept += ExtraBlock(id, extra.substr(at + 4, size));
    }
    at += 4 + size;
  }
  return kept;
}

std::size_t CompressionBlockSize(int compressionMode) {
  for (const auto& row : kBlockSizes) {
    if (compressionMode >= row.firstMode) {
      return row.bytes;
    }
  }
  return kBlockSizes[std::size(kBlockSizes) - 1].bytes;
}

void TZipOutput::Write(const void* data, std::size_t count) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  while (count != 0) {
    const std::size_t written = stream_.Write(bytes, count);
    bytes += written;
    count -= written;
    if (count != 0 && !(diskFull_ && diskFull_())) {
      throw EZipException(46, owner_);
    }
  }
}

void TZipOutput::CutAt(std::int64_t position) {
  stream_.SetSize(position);
  stream_.SetPosition(position);
}

std::uint32_t SourceCrc32(TStream& source) {
  const std::int64_t start = source.Position();
  std::vector<std::uint8_t> buffer(
      static_cast<std::size_t>(std::clamp<std::int64_t>(source.Size() - start + 1, 1, kOutputChunk)));
  uLong crc = 0;
  for (std::size_t n = source.Read(buffer.data(), buffer.size()); n != 0;
       n = source.Read(buffer.data(), buffer.size())) {
    crc = crc32(crc, buffer.data(), static_cast<uInt>(n));
  }
  source.SetPosition(start);
  return static_cast<std::uint32_t>(crc);
}

TCompressedData CompressEntryData(TStream& source, TZipOutput& out, const TCompressSettings& settings) {
  TDataSink sink(out, settings);
  TBlockSource blocks(source, settings);
  switch (settings.method) {
    case 0:
      WriteStored(blocks, sink);
      break;
    case 8:
      WriteDeflated(blocks, sink, settings.level, nullptr);
      break;
    default:
      WriteBlockFormat(blocks, sink, settings);
      break;
  }
  return {blocks.Crc(), blocks.Read(), sink.Written()};
}

}  // namespace kestrune::zip
