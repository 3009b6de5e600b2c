#include "zip/zip_listing.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <functional>
#include <new>

namespace kestrune::zip {
namespace {

// Opens the archive read-only, refusing a damaged directory rather than rebuilding it.
void OpenForReading(TZipArchiver& zip, const std::filesystem::path& archive) {
  zip.RebuildDamagedDirectory = false;
  zip.FileName = Utf8ToWide(archive.string());
  zip.OpenZip(kOpenReadOnly);
}

// Runs `work`, turning whatever it throws into a message.
bool Guarded(const std::function<void()>& work, std::string& error) {
  try {
    work();
    return true;
  } catch (const std::bad_alloc&) {
    error = "Out of memory";
  } catch (const std::exception& e) {
    error = e.what();
  } catch (...) {
    error = "Unknown error";
  }
  return false;
}

// A memory stream over the caller's vector that takes no byte beyond its limit, so that an entry too
// large to hold fails its extraction instead of filling memory.
class TBoundedVectorStream : public TStream {
 public:
  TBoundedVectorStream(std::vector<std::uint8_t>& data, std::uint64_t limit) : data_(data), limit_(limit) {}

  std::size_t Read(void* buffer, std::size_t count) override {
    const std::size_t available = position_ < data_.size() ? data_.size() - position_ : 0;
    const std::size_t n = std::min(count, available);
    std::memcpy(buffer, data_.data() + position_, n);
    position_ += n;
    return n;
  }
  std::size_t Write(const void* buffer, std::size_t count) override {
    if (count > limit_ || position_ > limit_ - count) {
      return 0;
    }
    if (position_ + count > data_.size()) {
      data_.resize(position_ + count);
    }
    std::memcpy(data_.data() + position_, buffer, count);
    position_ += count;
    return count;
  }
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
    position_ = static_cast<std::size_t>(SeekTarget(static_cast<std::int64_t>(position_), Size(), offset, origin));
    return static_cast<std::int64_t>(position_);
  }
  std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }
  void SetSize(std::int64_t size) override { data_.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, size))); }

 private:
  std::vector<std::uint8_t>& data_;
  std::uint64_t limit_;
  std::size_t position_ = 0;
};

// An entry skipped at its password question has no bytes to give.
void FailWhenSkipped(const TZipBaseArchiver& zip, ZipEntryData& result) {
  if (result.ok && zip.SkipFile) {
    result.ok = false;
    result.skipped = true;
    result.error = "skipped without its password";
  }
}

void ReadIndex(TZipBaseArchiver& zip, int index, std::vector<std::uint8_t>& bytes,
               std::uint64_t maxBytes = kMaxInMemoryEntrySize) {
  TBoundedVectorStream stream(bytes, maxBytes);
  zip.ExtractEntryByIndex(index, stream);
}

void ReadName(TZipBaseArchiver& zip, std::string_view name, std::vector<std::uint8_t>& bytes) {
  TBoundedVectorStream stream(bytes, kMaxInMemoryEntrySize);
  zip.ExtractEntryToStream(Utf8ToWide(name), stream);
}

ZipEntryData ReadFromPath(const std::filesystem::path& archive,
                          const std::function<void(TZipBaseArchiver&, std::vector<std::uint8_t>&)>& read) {
  ZipEntryData result;
  TZipArchiver zip;
  result.ok = Guarded(
      [&] {
        OpenForReading(zip, archive);
        read(zip, result.bytes);
      },
      result.error);
  FailWhenSkipped(zip, result);
  zip.CloseZip();
  if (!result.ok) {
    result.bytes.clear();
  }
  return result;
}

ZipEntryData ReadFromOpen(TZipBaseArchiver& zip,
                          const std::function<void(TZipBaseArchiver&, std::vector<std::uint8_t>&)>& read) {
  ZipEntryData result;
  result.ok = Guarded([&] { read(zip, result.bytes); }, result.error);
  FailWhenSkipped(zip, result);
  if (!result.ok) {
    result.bytes.clear();
  }
  return result;
}

}  // namespace

ZipListing ListZipEntries(const std::filesystem::path& archive) {
  ZipListing listing;
  TZipArchiver zip;
  listing.ok = Guarded(
      [&] {
        OpenForReading(zip, archive);
        const TZipDirArray& items = zip.DirManager()->Items;
        listing.entries.resize(static_cast<std::size_t>(items.Count()));
        for (int i = 0; i < items.Count(); ++i) {
          const TDirItem& item = items.Item(i);
          ZipEntryInfo& info = listing.entries[static_cast<std::size_t>(i)];
          info.name = WideToUtf8(item.FileName);
          info.crc32 = item.CentralDir.Crc32;
          info.compressedSize = item.CompressedSize;
          info.uncompressedSize = item.UncompressedSize;
          info.isDirectory = item.IsDirectory() || (!item.FileName.empty() && item.FileName.back() == u'/');
        }
      },
      listing.error);
  zip.CloseZip();
  if (!listing.ok) {
    listing.entries.clear();
  }
  return listing;
}

bool ListZipCrcs(const std::filesystem::path& archive, std::vector<std::uint32_t>& crcs, std::string* error) {
  const std::size_t before = crcs.size();
  TZipArchiver zip;
  std::string message;
  const bool ok = Guarded(
      [&] {
        OpenForReading(zip, archive);
        const TZipDirArray& items = zip.DirManager()->Items;
        crcs.reserve(before + static_cast<std::size_t>(items.Count()));
        for (int i = 0; i < items.Count(); ++i) {
          crcs.push_back(items.Item(i).CentralDir.Crc32);
        }
      },
      message);
  zip.CloseZip();
  if (!ok) {
    crcs.resize(before);
    if (error != nullptr) {
      *error = std::move(message);
    }
  }
  return ok;
}

ZipEntryData ReadZipEntry(const std::filesystem::path& archive, std::string_view name) {
  return ReadFromPath(archive,
                      [name](TZipBaseArchiver& zip, std::vector<std::uint8_t>& bytes) { ReadName(zip, name, bytes); });
}

ZipEntryData ReadZipEntry(const std::filesystem::path& archive, int index) {
  return ReadFromPath(
      archive, [index](TZipBaseArchiver& zip, std::vector<std::uint8_t>& bytes) { ReadIndex(zip, index, bytes); });
}

ZipEntryData ReadZipEntry(TZipBaseArchiver& zip, std::string_view name) {
  return ReadFromOpen(zip, [name](TZipBaseArchiver& z, std::vector<std::uint8_t>& bytes) { ReadName(z, name, bytes); });
}

ZipEntryData ReadZipEntry(TZipBaseArchiver& zip, int index, std::uint64_t maxBytes) {
  return ReadFromOpen(zip, [index, maxBytes](TZipBaseArchiver& z, std::vector<std::uint8_t>& bytes) {
    ReadIndex(z, index, bytes, maxBytes);
  });
}

}  // namespace kestrune::zip
