#include "catalogue/icon_source.h"

#include <cstdio>
#include <exception>
#include <system_error>
#include <utility>

#include "catalogue/movie_header.h"
#include "platform/code_pages.h"
#include "platform/text_file.h"
#include "zip/zip_archiver.h"
#include "zip/zip_listing.h"

namespace kestrune::catalogue {
namespace {

// A file name that stays inside the icon folder: no separators, no "." or "..".
bool IsPlainFileName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\\') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

bool ReadRegularFile(const std::filesystem::path& path, std::string& bytes) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    return false;
  }
  return platform::ReadWholeFile(path, bytes, nullptr, kMaxIconBytes);
}

}  // namespace

FolderIconSource::FolderIconSource(std::filesystem::path iconDir) : iconDir_(std::move(iconDir)) {}

void FolderIconSource::Rescan() {
  listed_ = false;
  byFoldedName_.clear();
}

void FolderIconSource::ListFolder() {
  listed_ = true;
  std::error_code ec;
  std::filesystem::directory_iterator it(iconDir_, ec);
  for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    const std::string name = it->path().filename().string();
    // The first name in listing order wins when two differ only in case.
    byFoldedName_.emplace(platform::AsciiLowerCopy(name), name);
  }
}

bool FolderIconSource::ReadIcon(std::string_view fileName, std::string& bytes) {
  if (!IsPlainFileName(fileName)) {
    return false;
  }
  if (ReadRegularFile(iconDir_ / std::string(fileName), bytes)) {
    return true;
  }
  if (!listed_) {
    ListFolder();
  }
  const auto found = byFoldedName_.find(platform::AsciiLowerCopy(fileName));
  return found != byFoldedName_.end() && found->second != fileName && ReadRegularFile(iconDir_ / found->second, bytes);
}

ArchiveIconSource::ArchiveIconSource(const std::filesystem::path& archive)
    : archiver_(std::make_unique<zip::TZipArchiver>()) {
  try {
    archiver_->FileName = zip::Utf8ToWide(archive.string());
    archiver_->OpenZip(zip::kOpenReadOnly);
    const zip::TZipDirArray& items = archiver_->DirManager()->Items;
    for (int i = 0; i < items.Count(); ++i) {
      // The first of two names that differ only in case wins, as a case-blind look-up finds it.
      iconNames_.emplace(platform::AsciiLowerCopy(zip::WideToUtf8(items.Item(i).FileName)), i);
      entrySizes_.push_back(items.Item(i).UncompressedSize);
    }
    open_ = true;
  } catch (const std::exception& failure) {
    openError_ = failure.what();
    archiver_->CloseZip();
  }
}

ArchiveIconSource::~ArchiveIconSource() { archiver_->CloseZip(); }

bool ArchiveIconSource::ReadIcon(std::string_view fileName, std::string& bytes) {
  if (!open_) {
    return false;
  }
  const auto found = iconNames_.find(platform::AsciiLowerCopy(fileName));
  if (found == iconNames_.end() || entrySizes_[static_cast<std::size_t>(found->second)] > kMaxIconBytes) {
    return false;
  }
  const zip::ZipEntryData entry = zip::ReadZipEntry(*archiver_, found->second, kMaxIconBytes);
  if (!entry.ok) {
    return false;
  }
  bytes.assign(entry.bytes.begin(), entry.bytes.end());
  return true;
}

void ArchiveIconSource::SetPasswordGiven(std::function<void()> given) {
  archiver_->PasswordGiven = [given = std::move(given)](zip::TZipBaseArchiver&) {
    if (given) given();
  };
}

std::unique_ptr<IconSource> OpenIconSource(const std::filesystem::path& iconDir) {
  std::error_code ec;
  const std::filesystem::path archive = iconDir / "icons.zip";
  if (std::filesystem::is_regular_file(archive, ec)) {
    auto fromArchive = std::make_unique<ArchiveIconSource>(archive);
    if (fromArchive->IsOpen()) {
      return fromArchive;
    }
    std::fprintf(stderr, "kestrune: cannot open %s: %s\n", archive.c_str(), fromArchive->OpenError().c_str());
  }
  return std::make_unique<FolderIconSource>(iconDir);
}

bool IcoPicturesWithinLimits(std::string_view bytes) {
  const auto byte = [bytes](std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at]));
  };
  const auto le16 = [byte](std::size_t at) { return byte(at) | byte(at + 1) << 8; };
  const auto le32 = [le16](std::size_t at) { return le16(at) | le16(at + 2) << 16; };
  const auto be32 = [byte](std::size_t at) {
    return byte(at) << 24 | byte(at + 1) << 16 | byte(at + 2) << 8 | byte(at + 3);
  };
  constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1a\n";
  // An .ico (type 1) or .cur (type 2) header: reserved 0, type, count; then 16-byte entries.
  if (bytes.size() < 6 || le16(0) != 0 || (le16(2) != 1 && le16(2) != 2)) return true;
  for (std::size_t i = 0, count = le16(4); i < count && 6 + 16 * (i + 1) <= bytes.size(); ++i) {
    const std::size_t data = le32(6 + 16 * i + 12);
    // A PNG picture: its IHDR's width and height follow the signature and the chunk's length and type;
    // its data must not inflate past what its size allows, as for a PNG icon of its own.
    if (data < bytes.size() && bytes.size() - data >= 24 && bytes.substr(data, kPngSignature.size()) == kPngSignature &&
        (be32(data + 16) > static_cast<std::uint32_t>(kMaxIconSide) ||
         be32(data + 20) > static_cast<std::uint32_t>(kMaxIconSide) ||
         !CheckPngData(bytes.substr(data, le32(6 + 16 * i + 8)), nullptr))) {
      return false;
    }
  }
  return true;
}

bool ReadGameIcon(IconSource& source, std::string_view romname, std::string_view cloneof, std::string& bytes) {
  // The names may be views into the catalogue, which is not to be relied on across a read: copied first.
  const std::string own = romname.empty() ? std::string() : std::string(romname) + ".ico";
  const std::string parent = cloneof.empty() ? std::string() : std::string(cloneof) + ".ico";
  if (!own.empty() && source.ReadIcon(own, bytes)) {
    return true;
  }
  return !parent.empty() && source.ReadIcon(parent, bytes);
}

}  // namespace kestrune::catalogue
