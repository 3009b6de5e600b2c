#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "zip/wide_string.h"
#include "zip/zip_crypto.h"
#include "zip/zip_exception.h"
#include "zip/zip_stream.h"

// The pieces an update writes entries with: stored names and their safety, extra blocks, and the
// compression of an entry's data (stored, deflated, or the archiver's own block format).
namespace kestrune::zip {

// Method number of the archiver's own block format (the bare base component's choice).
inline constexpr std::uint16_t kBlockFormatMethod = 0xFFFF;

struct TEncodedName {
  std::string bytes;
  bool utf8 = false;  // flag bit 11
};

// A name's bytes as stored: in the OEM page (437) or the ANSI page (1252) when the name is all in that
// page, else in UTF-8 with the UTF-8 flag, so that no character becomes "?" in the archive.
TEncodedName EncodeEntryName(WideStringView name, bool oemNames);

// A name as the archive keeps it: "\" separators turned into "/".
WideString NormalizeEntryName(WideStringView name);

// Whether a stored name would put a file outside the folder it is extracted to: an empty name, an
// absolute path ("/x", "\x", "//server/x"), a drive ("C:x"), a ".." part, or a NUL character.
bool IsUnsafeEntryName(WideStringView name);

// One extra block: id, data size, data.
std::string ExtraBlock(std::uint16_t id, std::string_view data);
// The archiver's own block with the name in UTF-16 (id 0x554E, tag 0x5843554E).
std::string UnicodeNameBlock(WideStringView name);
// The extra field's blocks other than the Unicode-name one and (unless keepZip64) the ZIP64 one, which
// a writer makes anew.
std::string KeptExtraBlocks(std::string_view extra, bool keepZip64);

// Bytes of input compressed at a time, by compression mode.
std::size_t CompressionBlockSize(int compressionMode);

// Writes to the new archive; a short write is error 46.
class TZipOutput {
 public:
  TZipOutput(TStream& stream, const TComponent* owner) : stream_(stream), owner_(owner) {}
  void Write(const void* data, std::size_t count);
  void Write(std::string_view bytes) { Write(bytes.data(), bytes.size()); }
  std::int64_t Position() { return stream_.Position(); }
  void SetPosition(std::int64_t position) { stream_.SetPosition(position); }
  // Drops everything from position on (an entry that failed half-way).
  void CutAt(std::int64_t position);
  TStream& Stream() { return stream_; }
  // Asked when a write stops short (errno tells why); true has the rest of it tried again.
  void SetDiskFullHandler(std::function<bool()> handler) { diskFull_ = std::move(handler); }

 private:
  TStream& stream_;
  const TComponent* owner_;
  std::function<bool()> diskFull_;
};

struct TCompressedData {
  std::uint32_t crc = 0;
  std::uint64_t read = 0;     // bytes taken from the source
  std::uint64_t written = 0;  // bytes written, the encryption header included
};

struct TCompressSettings {
  std::uint16_t method = 0;  // 0, 8 or kBlockFormatMethod
  int level = 1;
  std::size_t blockSize = 1 << 20;
  const AnsiString* password = nullptr;  // traditional encryption when not null
  std::uint32_t crcForPassword = 0;      // the CRC-32 of the whole source, needed before the data
  // Told the bytes read so far before each block; throws to stop.
  std::function<void(std::uint64_t)> progress;
};

// Reads the source from its position to its end and writes its data as the method wants it.
TCompressedData CompressEntryData(TStream& source, TZipOutput& out, const TCompressSettings& settings);
// The CRC-32 of the source from its position to its end; the position is restored.
std::uint32_t SourceCrc32(TStream& source);

}  // namespace kestrune::zip
