#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "zip/wide_string.h"
#include "zip/zip_exception.h"
#include "zip/zip_records.h"
#include "zip/zip_stream.h"

// The in-memory central directory of an open archive and the reading of it from the file.
namespace kestrune::zip {

class TZipBaseArchiver;

enum class TZipProcessOperation {
  poAdd,
  poMove,
  poDelete,
  poUpdate,
  poExtract,
  poTest,
  poRename,
  poChangeAttr,
  poChangeComment,
  poMakeSFX
};

// A change to an entry, queued while an update is open and carried out by its commit.
struct TZipPendingChange {
  bool Process = false;
  TZipProcessOperation Operation = TZipProcessOperation::poAdd;
  bool IsNew = false;        // not in the archive yet: it has no data to copy or to keep
  bool NameChanged = false;  // the stored name is written anew from FileName
  // The new data of poAdd, poMove and poUpdate: a file, or bytes held in memory.
  WideString SourceFile;
  std::shared_ptr<const std::string> SourceData;
  // The file's size when it was added: no more is read from it (-1: it was missing then).
  std::int64_t SourceSize = -1;
  std::uint32_t ExternalAttributes = 0;
  std::uint32_t DosDateTime = 0;  // of bytes from memory; a file's own time is taken when it is read
};

struct TZipExtraBlock {
  std::uint16_t HeaderId = 0;
  std::uint16_t DataSize = 0;
  std::vector<std::uint8_t> Data;
};

// One central-directory entry.
struct TDirItem {
  TCentralHeader CentralDir;  // the 46 bytes as read
  WideString FileName;        // as stored: "/" separators, a trailing "/" on folders
  WideString NewFileName;     // used while an archive is updated
  AnsiString Comment;
  std::vector<TZipExtraBlock> ExtraFields;
  bool Zip64 = false;  // a ZIP64 block was read
  // The real values: the ZIP64 value where the header's field escapes to it, else the header's own.
  // The local-header offset is corrected for data in front of the archive.
  std::uint64_t UncompressedSize = 0;
  std::uint64_t CompressedSize = 0;
  std::uint64_t LocalHeaderOffset = 0;
  std::uint32_t DiskNumberStart = 0;
  // Rebuilt from a local header that defers its CRC and sizes to a data descriptor, and none was found:
  // the zeros in the header are not the entry's real values.
  bool SizesUnknown = false;
  // The name's bytes as they stand in the archive, so that an entry copied by an update keeps them exactly.
  std::string StoredName;
  TZipPendingChange Pending;

  bool IsDirectory() const { return (CentralDir.ExternalAttributes & 0x10) != 0; }
};

// The upper-cased entry names, index for index with the directory, and a hash from name to index.
// Where a name occurs twice, a look-up finds the later entry.
class TZipHashedStringList {
 public:
  int Count() const { return static_cast<int>(keys_.size()); }
  // Growing keeps the hash: the new, empty names are not in it (an empty name is looked up by a scan),
  // so that adding entries one by one costs no rebuild per entry.
  void Resize(int count);
  void Reserve(int count) { keys_.reserve(static_cast<std::size_t>(count)); }
  void Set(int index, WideString upperName);
  void Clear();
  // The index of an upper-cased name, or -1.
  int IndexOf(const WideString& upperName) const;

 private:
  std::vector<WideString> keys_;
  mutable std::unordered_map<WideString, int> index_;
  mutable bool indexValid_ = false;
};

class TZipDirArray {
 public:
  explicit TZipDirArray(const TComponent* owner = nullptr) : owner_(owner) {}

  int Count() const { return static_cast<int>(items_.size()); }
  int Capacity() const { return capacity_; }
  // Growing doubles the step (from 500, at most 10,000); 0 frees every entry.
  void SetCount(int count);
  void Clear() { SetCount(0); }
  int Add(TDirItem item);
  // Room for count entries, so that adding them one by one moves none.
  void Reserve(int count);

  // Error 1 (read) or 2 (write access) outside 0..Count-1.
  const TDirItem& Item(int index) const;
  TDirItem& MutableItem(int index);
  // Replaces the name and its index entry together (error 3 outside the range).
  void SetEntryName(int index, WideString name);
  // The entry with this stored name, compared without regard to case, or -1. Error 58 when the index
  // is out of step with the entries.
  int IndexOfName(WideStringView name) const;

 private:
  const TComponent* owner_;
  std::vector<TDirItem> items_;
  TZipHashedStringList names_;
  int capacity_ = 0;
  int growStep_ = 500;
};

// Which signatures an archiver writes and recognises, and how it reads names.
struct TZipReadOptions {
  std::vector<std::uint32_t> EndRecordSignatures{kEndRecordSignature};
  std::uint32_t LocalHeaderSignature = kLocalHeaderSignature;
  bool RebuildDamagedDirectory = true;
  bool OEMFileNames = true;
};

// The directory of one open, single-file archive.
class TZipDirManager {
 public:
  TZipDirManager(TStream& stream, bool creating, const TComponent* owner, TZipReadOptions options);

  // The position of the archive's end record, or -1: of the records whose comment reaches the end of the
  // stream exactly, the first whose directory checks out (the others are in its comment). Reads the tail of the stream
  // once; later calls answer from that.
  std::int64_t FindEndRecord();
  // The stream's size as the caller already knows it, so that the end-record search need not ask.
  void SetKnownSize(std::int64_t size) { knownSize_ = size; }
  // Once the directory is loaded the tail is no longer needed: later reads go to the stream.
  void ForgetTail();
  // Reads the central directory (or rebuilds it from the local headers, see the options).
  void LoadDirectory();
  // Builds the directory from the local headers alone (error 35 when there is none).
  void RebuildDirectory();

  TStream& Stream() { return stream_; }
  bool Creating() const { return creating_; }
  // The stream joins the volumes of a split archive, each starting where given: local-header offsets
  // count from their entry's volume, and a directory that cannot be read is not rebuilt (error 44).
  void SetVolumeStarts(std::vector<std::int64_t> starts) { volumeStarts_ = std::move(starts); }
  bool MultiVolume() const { return !volumeStarts_.empty(); }
  std::int64_t EndRecordPosition() const { return endRecordPosition_; }

  TZipDirArray Items;
  TZipDirArray NewItems;
  TZipEndRecord EndRecord;
  TZip64Locator Zip64Locator;
  TZip64EndRecord Zip64EndRecord;
  AnsiString Comment;
  bool IsZip64 = false;
  std::int64_t BaseOffset = 0;
  std::int64_t DirectoryStart = 0;

 private:
  struct DirectoryExtent {
    std::int64_t start = 0;
    std::uint64_t size = 0;
    std::uint64_t count = 0;
    bool walk = false;  // count unknown: take every header the directory holds
  };
  std::vector<std::uint8_t> ReadRange(std::int64_t position, std::size_t count);
  DirectoryExtent LocateDirectory();
  std::int64_t FindZip64EndRecord(std::int64_t locatorPosition);
  bool DirectoryChecksOut(std::int64_t position, const TZipEndRecord& record);
  void ReadDirectory(const DirectoryExtent& extent);
  void FindBaseOffset();
  void PlaceOnVolumes();
  void CheckCompressedSizes();

  TStream& stream_;
  bool creating_;
  const TComponent* owner_;
  TZipReadOptions options_;
  std::int64_t streamSize_ = 0;
  std::int64_t knownSize_ = -1;
  // The last bytes of the stream, read once (not zeroed first: the read fills them).
  std::unique_ptr<std::uint8_t[]> ownTail_;
  const std::uint8_t* tail_ = nullptr;
  std::size_t tailSize_ = 0;
  std::int64_t tailStart_ = 0;
  bool endRecordSearched_ = false;
  std::int64_t endRecordPosition_ = -1;
  std::vector<std::int64_t> volumeStarts_;
};

// The name of an entry from its stored bytes: UTF-8 when flag bit 11 is set, else code page 437 ("OEM")
// or Windows-1252 ("ANSI"); names in the archiver's own scheme are not read.
WideString DecodeEntryName(std::string_view raw, std::uint16_t flags, std::uint16_t versionNeeded, bool oemNames);

}  // namespace kestrune::zip
