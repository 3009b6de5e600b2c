#pragma once

#include <cstddef>
#include <cstdint>

// The zip format's on-disk records, little-endian, read from and written to byte buffers.
namespace kestrune::zip {

inline constexpr std::uint32_t kLocalHeaderSignature = 0x04034B50;
inline constexpr std::uint32_t kCentralHeaderSignature = 0x02014B50;
inline constexpr std::uint32_t kEndRecordSignature = 0x06054B50;
inline constexpr std::uint32_t kZip64LocatorSignature = 0x07064B50;
inline constexpr std::uint32_t kZip64EndRecordSignature = 0x06064B50;
inline constexpr std::uint32_t kDataDescriptorSignature = 0x08074B50;
// The archiver's own signatures, used by the bare base component.
inline constexpr std::uint32_t kAltEndRecordSignature = 0x06054141;
inline constexpr std::uint32_t kAltLocalHeaderSignature = 0x05045C61;

inline constexpr std::uint16_t kZip64ExtraId = 0x0001;
inline constexpr std::uint16_t kUnicodeNameExtraId = 0x554E;
inline constexpr std::uint32_t kUnicodeNameTag = 0x5843554E;
inline constexpr std::uint16_t kOwnNameSchemeVersion = 0x4114;

inline constexpr std::uint16_t kFlagEncrypted = 0x0001;
inline constexpr std::uint16_t kFlagDataDescriptor = 0x0008;
inline constexpr std::uint16_t kFlagUtf8 = 0x0800;

inline std::uint16_t GetLE16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint32_t GetLE32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint64_t GetLE64(const std::uint8_t* p) {
  return static_cast<std::uint64_t>(GetLE32(p)) | (static_cast<std::uint64_t>(GetLE32(p + 4)) << 32);
}
void PutLE16(std::uint8_t* p, std::uint16_t value);
void PutLE32(std::uint8_t* p, std::uint32_t value);
void PutLE64(std::uint8_t* p, std::uint64_t value);

struct TZipEndRecord {
  static constexpr std::size_t kSize = 22;
  std::uint32_t Signature = 0;
  std::uint16_t DiskNumber = 0;
  std::uint16_t StartDiskNumber = 0;
  std::uint16_t EntriesOnDisk = 0;
  std::uint16_t TotalEntries = 0;
  std::uint32_t DirectorySize = 0;
  std::uint32_t DirectoryOffset = 0;
  std::uint16_t CommentLength = 0;
  static TZipEndRecord Parse(const std::uint8_t* p);
  void Write(std::uint8_t* p) const;
};

struct TZip64Locator {
  static constexpr std::size_t kSize = 20;
  std::uint32_t Signature = 0;
  std::uint32_t EndRecordDisk = 0;
  std::uint64_t EndRecordOffset = 0;
  std::uint32_t TotalDisks = 0;
  static TZip64Locator Parse(const std::uint8_t* p);
  void Write(std::uint8_t* p) const;
};

struct TZip64EndRecord {
  static constexpr std::size_t kSize = 56;
  std::uint32_t Signature = 0;
  std::uint64_t RecordSize = 0;  // of what follows this field: 44 plus any extensible data
  std::uint16_t VersionMadeBy = 0;
  std::uint16_t VersionNeeded = 0;
  std::uint32_t DiskNumber = 0;
  std::uint32_t StartDiskNumber = 0;
  std::uint64_t EntriesOnDisk = 0;
  std::uint64_t TotalEntries = 0;
  std::uint64_t DirectorySize = 0;
  std::uint64_t DirectoryOffset = 0;
  static TZip64EndRecord Parse(const std::uint8_t* p);
  void Write(std::uint8_t* p) const;
};

struct TCentralHeader {
  static constexpr std::size_t kSize = 46;
  std::uint32_t Signature = 0;
  std::uint16_t VersionMadeBy = 0;
  std::uint16_t VersionNeeded = 0;
  std::uint16_t Flags = 0;
  std::uint16_t Method = 0;
  std::uint16_t Time = 0;
  std::uint16_t Date = 0;
  std::uint32_t Crc32 = 0;
  std::uint32_t CompressedSize = 0;
  std::uint32_t UncompressedSize = 0;
  std::uint16_t NameLength = 0;
  std::uint16_t ExtraLength = 0;
  std::uint16_t CommentLength = 0;
  std::uint16_t DiskNumberStart = 0;
  std::uint16_t InternalAttributes = 0;
  std::uint32_t ExternalAttributes = 0;
  std::uint32_t LocalHeaderOffset = 0;
  static TCentralHeader Parse(const std::uint8_t* p);
  void Write(std::uint8_t* p) const;
};

struct TLocalHeader {
  static constexpr std::size_t kSize = 30;
  std::uint32_t Signature = 0;
  std::uint16_t VersionNeeded = 0;
  std::uint16_t Flags = 0;
  std::uint16_t Method = 0;
  std::uint16_t Time = 0;
  std::uint16_t Date = 0;
  std::uint32_t Crc32 = 0;
  std::uint32_t CompressedSize = 0;
  std::uint32_t UncompressedSize = 0;
  std::uint16_t NameLength = 0;
  std::uint16_t ExtraLength = 0;
  static TLocalHeader Parse(const std::uint8_t* p);
  void Write(std::uint8_t* p) const;
};

}  // namespace kestrune::zip
