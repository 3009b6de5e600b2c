#include "zip/zip_directory.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <limits>

namespace kestrune::zip {
namespace {

// The end-record search reads at most this many bytes of the stream's tail: the end record and a
// comment of the largest size, with room for a ZIP64 locator before them.
constexpr std::int64_t kTailSize = 65600;
constexpr std::size_t kScanBlock = 65535;
constexpr std::uint32_t kEscape32 = 0xFFFFFFFF;
constexpr std::uint16_t kEscape16 = 0xFFFF;
constexpr std::uint16_t kMaxRebuildExtraLength = 0x105;

// Reads a stream in cached blocks, so that scans and small reads near each other cost one read. Blocks
// start small and grow while a scan goes on, so that a single probe does not read 64 KiB; a buffer of
// the stream already in memory (the tail read for the end record) is used before any read.
class TBlockReader {
 public:
  TBlockReader(TStream& stream, std::int64_t size) : stream_(stream), size_(size) {}
  TBlockReader(TStream& stream, std::int64_t size, const std::uint8_t* known, std::size_t knownSize,
               std::int64_t knownStart)
      : stream_(stream), size_(size), data_(known), dataSize_(knownSize), blockStart_(knownStart) {}

  // n bytes at pos, or nullptr when they run past the end of the stream.
  const std::uint8_t* Peek(std::int64_t pos, std::size_t n) {
    if (pos < 0 || static_cast<std::uint64_t>(pos) + n > static_cast<std::uint64_t>(size_)) {
      return nullptr;
    }
    if (!Holds(pos, n)) {
      Load(pos, n);
    }
    return data_ + (pos - blockStart_);
  }

  // The first position in [from, limit) where the four bytes of the signature lie before limit, or -1.
  std::int64_t Find(std::uint32_t signature, std::int64_t from, std::int64_t limit) {
    limit = std::min(limit, size_);
    from = std::max<std::int64_t>(from, 0);
    while (from + 4 <= limit) {
      if (!Holds(from, 4)) {
        Load(from, 4);
      }
      const std::int64_t end = std::min(limit, blockStart_ + static_cast<std::int64_t>(dataSize_));
      // memchr skips what cannot start the signature, so that scanning a large file without one is quick.
      const auto first = static_cast<std::uint8_t>(signature);
      for (std::int64_t q = from; q + 4 <= end; ++q) {
        const std::uint8_t* p = data_ + (q - blockStart_);
        const auto* hit =
            static_cast<const std::uint8_t*>(std::memchr(p, first, static_cast<std::size_t>(end - 3 - q)));
        if (hit == nullptr) {
          break;
        }
        q += hit - p;
        if (GetLE32(hit) == signature) {
          return q;
        }
      }
      from = std::max(from + 1, end - 3);
    }
    return -1;
  }

 private:
  bool Holds(std::int64_t pos, std::size_t n) const {
    return data_ != nullptr && pos >= blockStart_ &&
           pos + static_cast<std::int64_t>(n) <= blockStart_ + static_cast<std::int64_t>(dataSize_);
  }
  void Load(std::int64_t pos, std::size_t n) {
    const std::size_t wanted = std::max(n, nextBlock_);
    nextBlock_ = std::min(nextBlock_ * 4, kScanBlock);
    const auto length =
        static_cast<std::size_t>(std::min<std::int64_t>(size_ - pos, static_cast<std::int64_t>(wanted)));
    // One buffer for the whole scan: a scan over a large file makes no allocation per block.
    owned_.resize(length);
    stream_.SetPosition(pos);
    stream_.ReadBuffer(owned_.data(), length);
    data_ = owned_.data();
    dataSize_ = owned_.size();
    blockStart_ = pos;
  }

  static constexpr std::size_t kFirstBlock = 4096;
  TStream& stream_;
  std::int64_t size_;
  std::vector<std::uint8_t> owned_;
  const std::uint8_t* data_ = nullptr;
  std::size_t dataSize_ = 0;
  std::int64_t blockStart_ = 0;
  std::size_t nextBlock_ = kFirstBlock;
};

// The central directory's bytes, read a window at a time, so that a directory costs the memory of what
// it really holds: a size that lies costs one window, not the size it claims. A window holds the largest
// entry (a 46-byte header and three fields of at most 65,535 bytes).
class TDirectoryWindow {
 public:
  using ReadFunction = std::function<std::vector<std::uint8_t>(std::int64_t position, std::size_t count)>;
  TDirectoryWindow(ReadFunction read, std::int64_t start, std::uint64_t size)
      : read_(std::move(read)), start_(start), size_(size) {}

  // n bytes at offset from the directory's start; EReadError when they run past its end.
  const std::uint8_t* Bytes(std::uint64_t offset, std::size_t n) {
    if (offset > size_ || size_ - offset < n) {
      throw EReadError();
    }
    if (offset < windowOffset_ || offset + n > windowOffset_ + window_.size()) {
      const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(size_ - offset, kWindow));
      window_ = read_(start_ + static_cast<std::int64_t>(offset), length);
      windowOffset_ = offset;
    }
    return window_.data() + (offset - windowOffset_);
  }

 private:
  static constexpr std::size_t kWindow = std::size_t{1} << 20;
  ReadFunction read_;
  std::int64_t start_;
  std::uint64_t size_;
  std::vector<std::uint8_t> window_;
  std::uint64_t windowOffset_ = 0;
};

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) {
  return a > std::numeric_limits<std::uint64_t>::max() - b ? std::numeric_limits<std::uint64_t>::max() : a + b;
}

// The ZIP64 extended information: each value only where the header escapes to it, and only while
// the block still holds it.
void ReadZip64Block(const std::uint8_t* data, std::size_t size, TDirItem& item) {
  std::size_t at = 0;
  const auto take64 = [&](std::uint64_t& value) {
    if (at + 8 <= size) {
      value = GetLE64(data + at);
      at += 8;
    }
  };
  const TCentralHeader& h = item.CentralDir;
  if (h.UncompressedSize == kEscape32) {
    take64(item.UncompressedSize);
  }
  if (h.CompressedSize == kEscape32) {
    take64(item.CompressedSize);
  }
  if (h.LocalHeaderOffset == kEscape32) {
    take64(item.LocalHeaderOffset);
  }
  if (h.DiskNumberStart == kEscape16) {
    if (at + 4 <= size) {
      item.DiskNumberStart = GetLE32(data + at);
    } else if (at + 2 <= size) {
      item.DiskNumberStart = GetLE16(data + at);
    }
  }
  item.Zip64 = true;
}

// The archiver's own UTF-16 name block replaces the stored name when its tag and length hold.
void ReadUnicodeNameBlock(const std::uint8_t* data, std::size_t size, TDirItem& item) {
  if (size < 8 || GetLE32(data) != kUnicodeNameTag) {
    return;
  }
  const std::uint64_t units = GetLE32(data + 4);
  if (units * 2 > size - 8) {
    return;
  }
  WideString name(static_cast<std::size_t>(units), u'\0');
  for (std::size_t i = 0; i < name.size(); ++i) {
    name[i] = static_cast<char16_t>(GetLE16(data + 8 + 2 * i));
  }
  item.FileName = std::move(name);
}

void ReadExtraField(const std::uint8_t* data, std::size_t length, TDirItem& item) {
  std::size_t at = 0;
  while (at + 4 <= length) {
    TZipExtraBlock block;
    block.HeaderId = GetLE16(data + at);
    const std::size_t left = length - at - 4;
    block.DataSize = static_cast<std::uint16_t>(std::min<std::size_t>(GetLE16(data + at + 2), left));
    const std::uint8_t* blockData = data + at + 4;
    block.Data.assign(blockData, blockData + block.DataSize);
    if (block.HeaderId == kZip64ExtraId) {
      ReadZip64Block(blockData, block.DataSize, item);
    } else if (block.HeaderId == kUnicodeNameExtraId) {
      ReadUnicodeNameBlock(blockData, block.DataSize, item);
    }
    at += 4 + block.DataSize;
    item.ExtraFields.push_back(std::move(block));
  }
}

// Whether an entry's local header and name, as the central header places them, end before `limit`.
bool EntryLiesBefore(const TDirItem& item, std::int64_t limit) {
  const std::uint64_t end = SaturatingAdd(item.LocalHeaderOffset, TLocalHeader::kSize + item.CentralDir.NameLength);
  return end <= static_cast<std::uint64_t>(limit);
}

// The name, extra field and comment that follow an entry's central header at p, whose lengths the header
// gives and whose bytes the caller has checked are there.
void ParseCentralEntry(const std::uint8_t* p, bool oemNames, TDirItem& item) {
  const TCentralHeader& h = item.CentralDir;
  p += TCentralHeader::kSize;
  item.StoredName.assign(reinterpret_cast<const char*>(p), h.NameLength);
  item.FileName = DecodeEntryName(item.StoredName, h.Flags, h.VersionNeeded, oemNames);
  item.UncompressedSize = h.UncompressedSize;
  item.CompressedSize = h.CompressedSize;
  item.LocalHeaderOffset = h.LocalHeaderOffset;
  item.DiskNumberStart = h.DiskNumberStart;
  ReadExtraField(p + h.NameLength, h.ExtraLength, item);
  const char* comment = reinterpret_cast<const char*>(p + h.NameLength + h.ExtraLength);
  item.Comment.assign(comment, h.CommentLength);
}

TDirItem EntryFromLocalHeader(const TLocalHeader& lh, std::int64_t position) {
  TDirItem item;
  TCentralHeader& h = item.CentralDir;
  h.Signature = lh.Signature;
  h.VersionMadeBy = lh.VersionNeeded;
  h.VersionNeeded = lh.VersionNeeded;
  h.Flags = lh.Flags;
  h.Method = lh.Method;
  h.Time = lh.Time;
  h.Date = lh.Date;
  h.Crc32 = lh.Crc32;
  h.CompressedSize = lh.CompressedSize;
  h.UncompressedSize = lh.UncompressedSize;
  h.NameLength = lh.NameLength;
  h.ExtraLength = lh.ExtraLength;
  const bool folderLike = lh.UncompressedSize == 0 && (lh.Flags & kFlagDataDescriptor) == 0;
  h.ExternalAttributes = folderLike ? 0x10 : 0x20;
  h.LocalHeaderOffset = static_cast<std::uint32_t>(position);
  item.LocalHeaderOffset = static_cast<std::uint64_t>(position);
  return item;
}

}  // namespace

WideString DecodeEntryName(std::string_view raw, std::uint16_t flags, std::uint16_t versionNeeded, bool oemNames) {
  if (versionNeeded == kOwnNameSchemeVersion && (flags & kFlagEncrypted) != 0) {
    return WideString();
  }
  if ((flags & kFlagUtf8) != 0) {
    return Utf8ToWide(raw);
  }
  return MultiByteToWide(raw, oemNames ? kCodePage437 : kCodePage1252);
}

void TZipHashedStringList::Resize(int count) {
  if (static_cast<std::size_t>(count) < keys_.size()) {
    indexValid_ = false;
  }
  keys_.resize(static_cast<std::size_t>(count));
}

void TZipHashedStringList::Set(int index, WideString upperName) {
  auto& key = keys_[static_cast<std::size_t>(index)];
  if (indexValid_ && !key.empty()) {
    const auto old = index_.find(key);
    if (old != index_.end() && old->second == index) {
      // Another entry may carry the same name; only a rebuild knows.
      indexValid_ = false;
    }
  }
  key = std::move(upperName);
  if (indexValid_ && !key.empty()) {
    auto& slot = index_[key];
    slot = std::max(slot, index);
  }
}

void TZipHashedStringList::Clear() {
  keys_.clear();
  index_.clear();
  indexValid_ = false;
}

int TZipHashedStringList::IndexOf(const WideString& upperName) const {
  if (upperName.empty()) {
    for (std::size_t i = keys_.size(); i-- > 0;) {
      if (keys_[i].empty()) {
        return static_cast<int>(i);
      }
    }
    return -1;
  }
  if (!indexValid_) {
    index_.clear();
    index_.reserve(std::max<std::size_t>(keys_.size(), 1000));
    for (std::size_t i = 0; i < keys_.size(); ++i) {
      if (!keys_[i].empty()) {
        index_[keys_[i]] = static_cast<int>(i);
      }
    }
    indexValid_ = true;
  }
  const auto found = index_.find(upperName);
  return found == index_.end() ? -1 : found->second;
}

void TZipDirArray::SetCount(int count) {
  if (count <= 0) {
    items_.clear();
    items_.shrink_to_fit();
    names_.Clear();
    capacity_ = 0;
    return;
  }
  if (count > capacity_) {
    growStep_ = std::min(growStep_ * 2, 10000);
    capacity_ = capacity_ + growStep_ >= count ? capacity_ + growStep_ : count;
  }
  items_.resize(static_cast<std::size_t>(count));
  names_.Resize(count);
}

int TZipDirArray::Add(TDirItem item) {
  const int index = Count();
  SetCount(index + 1);
  WideString name = item.FileName;
  items_.back() = std::move(item);
  SetEntryName(index, std::move(name));
  return index;
}

void TZipDirArray::Reserve(int count) {
  items_.reserve(static_cast<std::size_t>(count));
  names_.Reserve(count);
}

const TDirItem& TZipDirArray::Item(int index) const {
  if (index < 0 || index >= Count()) {
    throw EZipException(1, owner_);
  }
  return items_[static_cast<std::size_t>(index)];
}

TDirItem& TZipDirArray::MutableItem(int index) {
  if (index < 0 || index >= Count()) {
    throw EZipException(2, owner_);
  }
  return items_[static_cast<std::size_t>(index)];
}

void TZipDirArray::SetEntryName(int index, WideString name) {
  if (index < 0 || index >= Count()) {
    throw EZipException(3, owner_);
  }
  names_.Set(index, WideUpperCase(name));
  items_[static_cast<std::size_t>(index)].FileName = std::move(name);
}

int TZipDirArray::IndexOfName(WideStringView name) const {
  if (names_.Count() != Count()) {
    throw EZipException(58, owner_);
  }
  const int index = names_.IndexOf(WideUpperCase(name));
  if (index >= Count()) {
    throw EZipException(59, owner_);
  }
  return index;
}

TZipDirManager::TZipDirManager(TStream& stream, bool creating, const TComponent* owner, TZipReadOptions options)
    : Items(owner),
      NewItems(owner),
      stream_(stream),
      creating_(creating),
      owner_(owner),
      options_(std::move(options)) {}

std::vector<std::uint8_t> TZipDirManager::ReadRange(std::int64_t position, std::size_t count) {
  const auto tailEnd = tailStart_ + static_cast<std::int64_t>(tailSize_);
  if (position >= tailStart_ && position >= 0 && position + static_cast<std::int64_t>(count) <= tailEnd) {
    const auto* first = tail_ + (position - tailStart_);
    return std::vector<std::uint8_t>(first, first + count);
  }
  return stream_.ReadAt(position, count);
}

std::int64_t TZipDirManager::FindEndRecord() {
  if (endRecordSearched_) {
    return endRecordPosition_;
  }
  endRecordSearched_ = true;
  endRecordPosition_ = -1;
  Comment.clear();
  EndRecord = TZipEndRecord{};
  streamSize_ = knownSize_ >= 0 ? knownSize_ : stream_.Size();
  const std::int64_t length = std::min(streamSize_, kTailSize);
  tailStart_ = streamSize_ - length;
  // The size is known: read without asking the stream for it again, and without seeking first.
  tailSize_ = static_cast<std::size_t>(length);
  ownTail_ = std::make_unique_for_overwrite<std::uint8_t[]>(tailSize_);
  tail_ = ownTail_.get();
  if (stream_.ReadFrom(tailStart_, ownTail_.get(), tailSize_) != tailSize_) {
    throw EReadError();
  }
  // Of the records whose comment reaches the end of the file, the one nearest the start whose directory
  // checks out: the others lie inside its comment. Without one that checks out, the nearest to the end.
  std::int64_t chosen = -1;
  for (const std::uint32_t signature : options_.EndRecordSignatures) {
    // memrchr finds the signature's last byte, so that the scan over the tail costs little more than
    // reading it: a record needs 22 bytes, so the last candidate starts 22 bytes before the end.
    const auto lastByte = static_cast<int>(signature >> 24);
    std::int64_t searched = length - static_cast<std::int64_t>(TZipEndRecord::kSize) + 4;
    while (searched > 3) {
      const auto* hit =
          static_cast<const std::uint8_t*>(::memrchr(tail_ + 3, lastByte, static_cast<std::size_t>(searched - 3)));
      if (hit == nullptr) {
        break;
      }
      searched = hit - tail_;
      const std::int64_t i = searched - 3;
      const std::uint8_t* p = tail_ + i;
      if (GetLE32(p) != signature) {
        continue;
      }
      const std::int64_t left = length - i;
      const TZipEndRecord record = TZipEndRecord::Parse(p);
      if (left - static_cast<std::int64_t>(TZipEndRecord::kSize) != record.CommentLength) {
        continue;
      }
      if (chosen < 0 || DirectoryChecksOut(tailStart_ + i, record)) {
        chosen = i;
      }
    }
    if (chosen >= 0) {
      const std::uint8_t* p = tail_ + chosen;
      EndRecord = TZipEndRecord::Parse(p);
      Comment.assign(reinterpret_cast<const char*>(p + TZipEndRecord::kSize), EndRecord.CommentLength);
      endRecordPosition_ = tailStart_ + chosen;
      return endRecordPosition_;
    }
  }
  return -1;
}

void TZipDirManager::ForgetTail() {
  tail_ = nullptr;
  tailSize_ = 0;
  ownTail_.reset();
}

// Whether an end record at position leads to a directory: a ZIP64 locator right before it, a central
// header where its size says the directory starts, or no entry at all.
bool TZipDirManager::DirectoryChecksOut(std::int64_t position, const TZipEndRecord& record) {
  const auto signatureAt = [&](std::int64_t at, std::uint32_t signature) {
    if (at < 0 || at + 4 > streamSize_) {
      return false;
    }
    return GetLE32(ReadRange(at, 4).data()) == signature;
  };
  if (signatureAt(position - static_cast<std::int64_t>(TZip64Locator::kSize), kZip64LocatorSignature)) {
    return true;
  }
  if (record.TotalEntries == 0 && record.DirectorySize == 0) {
    return true;
  }
  return signatureAt(position - static_cast<std::int64_t>(record.DirectorySize), kCentralHeaderSignature);
}

std::int64_t TZipDirManager::FindZip64EndRecord(std::int64_t locatorPosition) {
  const auto recordAt = [&](std::int64_t position, bool mustEndAtLocator) -> bool {
    if (position < 0 || position + static_cast<std::int64_t>(TZip64EndRecord::kSize) > locatorPosition) {
      return false;
    }
    const auto bytes = ReadRange(position, TZip64EndRecord::kSize);
    const TZip64EndRecord record = TZip64EndRecord::Parse(bytes.data());
    if (record.Signature != kZip64EndRecordSignature) {
      return false;
    }
    if (mustEndAtLocator &&
        (record.RecordSize < 44 || record.RecordSize > static_cast<std::uint64_t>(locatorPosition) ||
         static_cast<std::uint64_t>(position) + 12 + record.RecordSize !=
             static_cast<std::uint64_t>(locatorPosition))) {
      return false;
    }
    Zip64EndRecord = record;
    return true;
  };
  const std::uint64_t stored = Zip64Locator.EndRecordOffset;
  const bool storedFits = stored <= static_cast<std::uint64_t>(locatorPosition);
  const auto storedPosition = storedFits ? static_cast<std::int64_t>(stored) : -1;
  // Where the locator says, then right before the locator (data in front of the archive), then a record
  // with extensible data that ends at the locator.
  if (recordAt(storedPosition, true)) {
    return storedPosition;
  }
  const std::int64_t plain = locatorPosition - static_cast<std::int64_t>(TZip64EndRecord::kSize);
  if (recordAt(plain, false)) {
    return plain;
  }
  for (std::int64_t position = plain - 1; position >= tailStart_; --position) {
    if (GetLE32(tail_ + (position - tailStart_)) == kZip64EndRecordSignature && recordAt(position, true)) {
      return position;
    }
  }
  return recordAt(storedPosition, false) ? storedPosition : -1;
}

TZipDirManager::DirectoryExtent TZipDirManager::LocateDirectory() {
  DirectoryExtent extent;
  const std::int64_t endPosition = endRecordPosition_;
  IsZip64 = false;
  if (endPosition > static_cast<std::int64_t>(TZip64Locator::kSize)) {
    const auto bytes = ReadRange(endPosition - static_cast<std::int64_t>(TZip64Locator::kSize), TZip64Locator::kSize);
    Zip64Locator = TZip64Locator::Parse(bytes.data());
    IsZip64 = Zip64Locator.Signature == kZip64LocatorSignature;
  }
  if (IsZip64) {
    const std::int64_t locatorPosition = endPosition - static_cast<std::int64_t>(TZip64Locator::kSize);
    const std::int64_t recordPosition =
        locatorPosition <= static_cast<std::int64_t>(TZip64EndRecord::kSize) ? -1 : FindZip64EndRecord(locatorPosition);
    if (recordPosition < 0) {
      throw EZipException(40, owner_);
    }
    extent.size = Zip64EndRecord.DirectorySize;
    extent.start = extent.size > static_cast<std::uint64_t>(recordPosition)
                       ? -1
                       : recordPosition - static_cast<std::int64_t>(extent.size);
    extent.count = Zip64EndRecord.TotalEntries;
    return extent;
  }
  extent.size = EndRecord.DirectorySize;
  extent.start =
      static_cast<std::int64_t>(extent.size) > endPosition ? -1 : endPosition - static_cast<std::int64_t>(extent.size);
  extent.count = EndRecord.TotalEntries;
  // 65,535 is also what a writer without ZIP64 puts down for "more than fit": count the headers instead.
  extent.walk = EndRecord.TotalEntries == kEscape16;
  return extent;
}

void TZipDirManager::ReadDirectory(const DirectoryExtent& extent) {
  // Every central header takes at least 46 bytes: a count the directory cannot hold is refused before
  // anything is read or kept for it.
  if (extent.start < 0 ||
      (!extent.walk && (extent.count > extent.size / TCentralHeader::kSize || extent.count > INT_MAX))) {
    throw EReadError();
  }
  TDirectoryWindow directory([this](std::int64_t position, std::size_t count) { return ReadRange(position, count); },
                             extent.start, extent.size);
  // The count is the end record's word: room is made ahead for what a real archive holds, not for
  // the millions of entries a sparse file can claim (the rest grow as headers are really read).
  constexpr std::uint64_t kMostReservedEntries = 1 << 16;
  if (!extent.walk) {
    Items.Reserve(static_cast<int>(std::min(extent.count, kMostReservedEntries)));
  }
  std::uint64_t at = 0;
  bool wrongSignature = false;
  while (extent.walk ? at < extent.size : static_cast<std::uint64_t>(Items.Count()) < extent.count) {
    TDirItem item;
    item.CentralDir = TCentralHeader::Parse(directory.Bytes(at, TCentralHeader::kSize));
    const TCentralHeader& h = item.CentralDir;
    const std::size_t length = TCentralHeader::kSize + h.NameLength + h.ExtraLength + h.CommentLength;
    ParseCentralEntry(directory.Bytes(at, length), options_.OEMFileNames, item);
    // Some writers get a header's signature wrong and all else right. Bytes that are not a directory
    // (zeros, entry data in front of it) end the reading at the first header that does not also name
    // an entry lying before the directory, not after an entry has been made of every 46 of them.
    if (h.Signature != kCentralHeaderSignature) {
      if (h.NameLength == 0 || !EntryLiesBefore(item, extent.start)) {
        throw EReadError();
      }
      wrongSignature = true;
    }
    Items.Add(std::move(item));
    at += length;
  }
  // ... and their lengths lead from header to header to the directory's end exactly.
  if ((extent.walk && Items.Count() < kEscape16) || (wrongSignature && at != extent.size)) {
    throw EReadError();
  }
  DirectoryStart = extent.start;
}

void TZipDirManager::LoadDirectory() {
  Items.Clear();
  BaseOffset = 0;
  if (FindEndRecord() < 0) {
    if (MultiVolume()) {
      throw EZipException(44, owner_);
    }
    RebuildDirectory();
    DirectoryStart = streamSize_;
    return;
  }
  const DirectoryExtent extent = LocateDirectory();
  try {
    ReadDirectory(extent);
  } catch (const EStreamError&) {
    Items.Clear();
    if (MultiVolume()) {
      throw EZipException(44, owner_);
    }
    if (!options_.RebuildDamagedDirectory) {
      throw;
    }
    RebuildDirectory();
    DirectoryStart = streamSize_;
    return;
  }
  if (MultiVolume()) {
    PlaceOnVolumes();
  } else {
    FindBaseOffset();
  }
  if (!options_.RebuildDamagedDirectory) {
    CheckCompressedSizes();
  }
}

void TZipDirManager::PlaceOnVolumes() {
  const auto last = static_cast<std::uint32_t>(volumeStarts_.size() - 1);
  for (int i = 0; i < Items.Count(); ++i) {
    TDirItem& item = Items.MutableItem(i);
    item.LocalHeaderOffset += static_cast<std::uint64_t>(volumeStarts_[std::min(item.DiskNumberStart, last)]);
  }
}

void TZipDirManager::FindBaseOffset() {
  if (Items.Count() == 0) {
    BaseOffset = 0;
    return;
  }
  const TDirItem& first = Items.Item(0);
  const std::uint64_t stored = first.LocalHeaderOffset;
  if (stored >= static_cast<std::uint64_t>(DirectoryStart)) {
    return;
  }
  // A directory that starts where the end record says it does has nothing in front of the archive
  // (or offsets that count it already): the local headers need not be read to know.
  const std::uint64_t recorded = IsZip64 ? Zip64EndRecord.DirectoryOffset : EndRecord.DirectoryOffset;
  if (recorded == static_cast<std::uint64_t>(DirectoryStart)) {
    return;
  }
  TBlockReader reader(stream_, streamSize_, tail_, tailSize_, tailStart_);
  const TCentralHeader& central = first.CentralDir;
  for (std::int64_t p = reader.Find(options_.LocalHeaderSignature, static_cast<std::int64_t>(stored), DirectoryStart);
       p >= 0; p = reader.Find(options_.LocalHeaderSignature, p + 1, DirectoryStart)) {
    const std::uint8_t* bytes = reader.Peek(p, TLocalHeader::kSize);
    if (bytes == nullptr) {
      break;
    }
    const TLocalHeader local = TLocalHeader::Parse(bytes);
    if (reader.Peek(p + static_cast<std::int64_t>(TLocalHeader::kSize), local.NameLength) == nullptr) {
      continue;
    }
    // A header written before its data was known carries zero CRC and sizes.
    const bool sizesKnown = (local.Flags & kFlagDataDescriptor) == 0;
    const bool same =
        p == 0 || (local.VersionNeeded == central.VersionNeeded && local.Method == central.Method &&
                   local.Time == central.Time && local.Date == central.Date &&
                   (!sizesKnown || (local.Crc32 == central.Crc32 && local.CompressedSize == central.CompressedSize &&
                                    local.UncompressedSize == central.UncompressedSize)));
    if (same) {
      BaseOffset = p - static_cast<std::int64_t>(stored);
      break;
    }
  }
  if (BaseOffset > 0) {
    for (int i = 0; i < Items.Count(); ++i) {
      Items.MutableItem(i).LocalHeaderOffset += static_cast<std::uint64_t>(BaseOffset);
    }
  }
}

void TZipDirManager::CheckCompressedSizes() {
  std::uint64_t total = 0;
  for (int i = 0; i < Items.Count(); ++i) {
    total = SaturatingAdd(total, Items.Item(i).CompressedSize);
  }
  if (total > static_cast<std::uint64_t>(streamSize_)) {
    throw EZipException(57, owner_);
  }
}

void TZipDirManager::RebuildDirectory() {
  Items.Clear();
  streamSize_ = stream_.Size();
  TBlockReader headers(stream_, streamSize_);
  TBlockReader descriptors(stream_, streamSize_);
  std::int64_t p = headers.Find(options_.LocalHeaderSignature, 0, streamSize_);
  if (p < 0) {
    throw EZipException(35);
  }
  // The first descriptor at or after some earlier header: still the first one for any later header
  // that lies before it.
  std::int64_t descriptor = -2;
  std::int64_t descriptorFrom = 0;
  std::int64_t next = 0;
  for (; p >= 0; p = headers.Find(options_.LocalHeaderSignature, next, streamSize_)) {
    next = p + 4;
    const std::uint8_t* bytes = headers.Peek(p, TLocalHeader::kSize);
    if (bytes == nullptr) {
      break;
    }
    const TLocalHeader local = TLocalHeader::Parse(bytes);
    if (local.ExtraLength >= kMaxRebuildExtraLength) {
      continue;
    }
    TDirItem item = EntryFromLocalHeader(local, p);
    const std::int64_t nameStart = p + static_cast<std::int64_t>(TLocalHeader::kSize);
    const auto nameLength = static_cast<std::size_t>(std::min<std::int64_t>(local.NameLength, streamSize_ - nameStart));
    const std::uint8_t* name = headers.Peek(nameStart, nameLength);
    item.StoredName.assign(reinterpret_cast<const char*>(name), nameLength);
    item.FileName = DecodeEntryName(item.StoredName, local.Flags, local.VersionNeeded, options_.OEMFileNames);
    // No header starts inside the one before it or its name. Going on after the name holds the names kept
    // to the bytes of the file: headers whose names run over the headers after them would each keep a
    // copy of the rest of the file.
    next = nameStart + static_cast<std::int64_t>(nameLength);
    if ((local.Flags & kFlagDataDescriptor) != 0) {
      if (descriptor == -2 || (descriptor >= 0 && descriptor < p) || (descriptor == -1 && descriptorFrom > p)) {
        descriptor = descriptors.Find(kDataDescriptorSignature, p, streamSize_);
        descriptorFrom = p;
      }
      if (descriptor >= 0 && streamSize_ - descriptor >= 16) {
        const std::uint8_t* d = descriptors.Peek(descriptor + 4, 12);
        item.CentralDir.Crc32 = GetLE32(d);
        item.CentralDir.CompressedSize = GetLE32(d + 4);
        item.CentralDir.UncompressedSize = GetLE32(d + 8);
      } else {
        item.SizesUnknown = true;
      }
    }
    item.CompressedSize = item.CentralDir.CompressedSize;
    item.UncompressedSize = item.CentralDir.UncompressedSize;
    Items.Add(std::move(item));
  }
}

}  // namespace kestrune::zip
