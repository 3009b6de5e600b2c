#include "zip/zip_records.h"

namespace kestrune::zip {

void PutLE16(std::uint8_t* p, std::uint16_t value) {
  p[0] = static_cast<std::uint8_t>(value);
  p[1] = static_cast<std::uint8_t>(value >> 8);
}

void PutLE32(std::uint8_t* p, std::uint32_t value) {
  PutLE16(p, static_cast<std::uint16_t>(value));
  PutLE16(p + 2, static_cast<std::uint16_t>(value >> 16));
}

void PutLE64(std::uint8_t* p, std::uint64_t value) {
  PutLE32(p, static_cast<std::uint32_t>(value));
  PutLE32(p + 4, static_cast<std::uint32_t>(value >> 32));
}

TZipEndRecord TZipEndRecord::Parse(const std::uint8_t* p) {
  return {GetLE32(p),      GetLE16(p + 4),  GetLE16(p + 6),  GetLE16(p + 8),
          GetLE16(p + 10), GetLE32(p + 12), GetLE32(p + 16), GetLE16(p + 20)};
}

void TZipEndRecord::Write(std::uint8_t* p) const {
  PutLE32(p, Signature);
  PutLE16(p + 4, DiskNumber);
  PutLE16(p + 6, StartDiskNumber);
  PutLE16(p + 8, EntriesOnDisk);
  PutLE16(p + 10, TotalEntries);
  PutLE32(p + 12, DirectorySize);
  PutLE32(p + 16, DirectoryOffset);
  PutLE16(p + 20, CommentLength);
}

TZip64Locator TZip64Locator::Parse(const std::uint8_t* p) {
  return {GetLE32(p), GetLE32(p + 4), GetLE64(p + 8), GetLE32(p + 16)};
}

void TZip64Locator::Write(std::uint8_t* p) const {
  PutLE32(p, Signature);
  PutLE32(p + 4, EndRecordDisk);
  PutLE64(p + 8, EndRecordOffset);
  PutLE32(p + 16, TotalDisks);
}

TZip64EndRecord TZip64EndRecord::Parse(const std::uint8_t* p) {
  return {GetLE32(p),      GetLE64(p + 4),  GetLE16(p + 12), GetLE16(p + 14), GetLE32(p + 16),
          GetLE32(p + 20), GetLE64(p + 24), GetLE64(p + 32), GetLE64(p + 40), GetLE64(p + 48)};
}

void TZip64EndRecord::Write(std::uint8_t* p) const {
  PutLE32(p, Signature);
  PutLE64(p + 4, RecordSize);
  PutLE16(p + 12, VersionMadeBy);
  PutLE16(p + 14, VersionNeeded);
  PutLE32(p + 16, DiskNumber);
  PutLE32(p + 20, StartDiskNumber);
  PutLE64(p + 24, EntriesOnDisk);
  PutLE64(p + 32, TotalEntries);
  PutLE64(p + 40, DirectorySize);
  PutLE64(p + 48, DirectoryOffset);
}

TCentralHeader TCentralHeader::Parse(const std::uint8_t* p) {
  TCentralHeader h;
  h.Signature = GetLE32(p);
  h.VersionMadeBy = GetLE16(p + 4);
  h.VersionNeeded = GetLE16(p + 6);
  h.Flags = GetLE16(p + 8);
  h.Method = GetLE16(p + 10);
  h.Time = GetLE16(p + 12);
  h.Date = GetLE16(p + 14);
  h.Crc32 = GetLE32(p + 16);
  h.CompressedSize = GetLE32(p + 20);
  h.UncompressedSize = GetLE32(p + 24);
  h.NameLength = GetLE16(p + 28);
  h.ExtraLength = GetLE16(p + 30);
  h.CommentLength = GetLE16(p + 32);
  h.DiskNumberStart = GetLE16(p + 34);
  h.InternalAttributes = GetLE16(p + 36);
  h.ExternalAttributes = GetLE32(p + 38);
  h.LocalHeaderOffset = GetLE32(p + 42);
  return h;
}

void TCentralHeader::Write(std::uint8_t* p) const {
  PutLE32(p, Signature);
  PutLE16(p + 4, VersionMadeBy);
  PutLE16(p + 6, VersionNeeded);
  PutLE16(p + 8, Flags);
  PutLE16(p + 10, Method);
  PutLE16(p + 12, Time);
  PutLE16(p + 14, Date);
  PutLE32(p + 16, Crc32);
  PutLE32(p + 20, CompressedSize);
  PutLE32(p + 24, UncompressedSize);
  PutLE16(p + 28, NameLength);
  PutLE16(p + 30, ExtraLength);
  PutLE16(p + 32, CommentLength);
  PutLE16(p + 34, DiskNumberStart);
  PutLE16(p + 36, InternalAttributes);
  PutLE32(p + 38, ExternalAttributes);
  PutLE32(p + 42, LocalHeaderOffset);
}

TLocalHeader TLocalHeader::Parse(const std::uint8_t* p) {
  TLocalHeader h;
  h.Signature = GetLE32(p);
  h.VersionNeeded = GetLE16(p + 4);
  h.Flags = GetLE16(p + 6);
  h.Method = GetLE16(p + 8);
  h.Time = GetLE16(p + 10);
  h.Date = GetLE16(p + 12);
  h.Crc32 = GetLE32(p + 14);
  h.CompressedSize = GetLE32(p + 18);
  h.UncompressedSize = GetLE32(p + 22);
  h.NameLength = GetLE16(p + 26);
  h.ExtraLength = GetLE16(p + 28);
  return h;
}

void TLocalHeader::Write(std::uint8_t* p) const {
  PutLE32(p, Signature);
  PutLE16(p + 4, VersionNeeded);
  PutLE16(p + 6, Flags);
  PutLE16(p + 8, Method);
  PutLE16(p + 10, Time);
  PutLE16(p + 12, Date);
  PutLE32(p + 14, Crc32);
  PutLE32(p + 18, CompressedSize);
  PutLE32(p + 22, UncompressedSize);
  PutLE16(p + 26, NameLength);
  PutLE16(p + 28, ExtraLength);
}

}  // namespace kestrune::zip
