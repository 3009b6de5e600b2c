#include "catalogue/artwork_source.h"

#include <exception>
#include <system_error>
#include <utility>

#include "platform/code_pages.h"
#include "platform/text_file.h"
#include "zip/zip_archiver.h"
#include "zip/zip_listing.h"

namespace kestrune::catalogue {
namespace {

// The parts of a relative name; empty when a part is empty, "." or "..", so no name leaves the folder.
std::vector<std::string> NameParts(std::string_view name) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= name.size()) {
    const std::size_t end = std::min(name.find('/', start), name.size());
    const std::string_view part = name.substr(start, end - start);
    if (part.empty() || part == "." || part == ".." || part.find('\\') != std::string_view::npos ||
        part.find('\0') != std::string_view::npos) {
      return {};
    }
    parts.emplace_back(part);
    start = end + 1;
  }
  return parts;
}

// An entry's name as looked up: lower case, "/" separators.
std::string EntryKey(std::string_view name) {
  std::string key = platform::AsciiLowerCopy(name);
  for (char& c : key) {
    if (c == '\\') {
      c = '/';
    }
  }
  return key;
}

}  // namespace

ArtworkSource::ArtworkSource(std::filesystem::path folder, std::string_view archiveName) : folder_(std::move(folder)) {
  if (archiveName.empty() || folder_.empty()) {
    return;
  }
  const std::filesystem::path archive = folder_ / std::string(archiveName);
  std::error_code ec;
  if (std::filesystem::is_regular_file(archive, ec)) {
    OpenArchive(archive);
  }
}

ArtworkSource::~ArtworkSource() { Close(); }

void ArtworkSource::OpenArchive(const std::filesystem::path& path) {
  auto archive = std::make_unique<zip::TZipArchiver>();
  try {
    // A directory damaged by an interrupted copy is rebuilt from the local headers, as for the icons.
    archive->RebuildDamagedDirectory = true;
    archive->FileName = zip::Utf8ToWide(path.string());
    archive->OpenZip(zip::kOpenReadOnly);
    const zip::TZipDirArray& items = archive->DirManager()->Items;
    entrySizes_.resize(static_cast<std::size_t>(items.Count()));
    for (int i = 0; i < items.Count(); ++i) {
      const zip::TDirItem& item = items.Item(i);
      entrySizes_[static_cast<std::size_t>(i)] = item.UncompressedSize;
      // The first of two names that differ only in case wins.
      entries_.emplace(EntryKey(zip::WideToUtf8(item.FileName)), i);
    }
  } catch (const std::exception& failure) {
    openError_ = path.string() + ": " + failure.what();
    archive->CloseZip();
    entries_.clear();
    entrySizes_.clear();
    return;
  }
  archive_ = std::move(archive);
}

void ArtworkSource::Close() {
  closed_ = true;
  if (archive_) {
    archive_->CloseZip();
    archive_.reset();
  }
  entries_.clear();
  entrySizes_.clear();
  listings_.clear();
}

void ArtworkSource::SetPasswordGiven(std::function<void()> given) {
  if (archive_) {
    archive_->PasswordGiven = [given = std::move(given)](zip::TZipBaseArchiver&) {
      if (given) given();
    };
  }
}

int ArtworkSource::EntryIndex(std::string_view name) const {
  if (NameParts(name).empty()) {
    return -1;
  }
  const auto found = entries_.find(EntryKey(name));
  return found == entries_.end() ? -1 : found->second;
}

bool ArtworkSource::Exists(std::string_view name) {
  if (archive_) {
    return EntryIndex(name) >= 0;
  }
  return !FindFile(name).empty();
}

bool ArtworkSource::Read(std::string_view name, std::string& bytes) {
  if (archive_) {
    const int index = EntryIndex(name);
    if (index < 0 || entrySizes_[static_cast<std::size_t>(index)] > kMaxArtworkBytes) {
      return false;
    }
    const zip::ZipEntryData entry = zip::ReadZipEntry(*archive_, index);
    if (!entry.ok) {
      return false;
    }
    bytes.assign(entry.bytes.begin(), entry.bytes.end());
    return true;
  }
  const std::filesystem::path file = FindFile(name);
  return !file.empty() && platform::ReadWholeFile(file, bytes, nullptr, kMaxArtworkBytes);
}

std::filesystem::path ArtworkSource::FindFile(std::string_view name) {
  if (archive_ || closed_ || folder_.empty()) {
    return {};
  }
  const std::vector<std::string> parts = NameParts(name);
  if (parts.empty()) {
    return {};
  }
  std::filesystem::path path = folder_;
  for (const std::string& part : parts) {
    path = FindInFolder(path, part);
    if (path.empty()) {
      return {};
    }
  }
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec) ? path : std::filesystem::path();
}

std::filesystem::path ArtworkSource::FindInFolder(const std::filesystem::path& folder, const std::string& part) {
  std::error_code ec;
  std::filesystem::path exact = folder / part;
  if (std::filesystem::exists(exact, ec)) {
    return exact;
  }
  const Listing& listing = ListingOf(folder);
  const auto found = listing.byFoldedName.find(platform::AsciiLowerCopy(part));
  return found == listing.byFoldedName.end() ? std::filesystem::path() : folder / found->second;
}

// A folder's names by their lower-case form, listed again once the folder has changed.
const ArtworkSource::Listing& ArtworkSource::ListingOf(const std::filesystem::path& folder) {
  std::error_code ec;
  const std::filesystem::file_time_type written = std::filesystem::last_write_time(folder, ec);
  Listing& listing = listings_[folder.string()];
  if (!ec && listing.written == written && !listing.byFoldedName.empty()) {
    return listing;
  }
  listing.written = ec ? std::filesystem::file_time_type() : written;
  listing.byFoldedName.clear();
  std::filesystem::directory_iterator it(folder, ec);
  for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    const std::string name = it->path().filename().string();
    // The first name in listing order wins when two differ only in case.
    listing.byFoldedName.emplace(platform::AsciiLowerCopy(name), name);
  }
  return listing;
}

}  // namespace kestrune::catalogue
