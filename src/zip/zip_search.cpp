#include "zip/zip_search.h"

#include <algorithm>

#include "zip/zip_archiver.h"

namespace kestrune::zip {
namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

WideStringView WithoutTrailingSeparator(WideStringView name) {
  if (!name.empty() && IsSeparator(name.back())) {
    name.remove_suffix(1);
  }
  return name;
}

WideString Backslashed(WideStringView name) {
  WideString out(name);
  std::replace(out.begin(), out.end(), u'/', u'\\');
  return out;
}

WideString Slashed(WideStringView name) {
  WideString out(name);
  std::replace(out.begin(), out.end(), u'\\', u'/');
  return out;
}

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// The length of a leading drive: "C:" or a share "\\server\share".
std::size_t DriveLength(WideStringView mask) {
  if (mask.size() >= 2 && IsAsciiLetter(mask[0]) && mask[1] == u':') {
    return 2;
  }
  if (mask.size() >= 2 && IsSeparator(mask[0]) && IsSeparator(mask[1])) {
    const auto server = std::find_if(mask.begin() + 2, mask.end(), IsSeparator);
    if (server == mask.end()) {
      return mask.size();
    }
    const auto share = std::find_if(server + 1, mask.end(), IsSeparator);
    return static_cast<std::size_t>(share - mask.begin());
  }
  return 0;
}

}  // namespace

void FillArchiveItem(const TDirItem& entry, TZipArchiveItem& item) {
  const WideString name = Backslashed(WithoutTrailingSeparator(entry.FileName));
  const auto last = name.find_last_of(u"\\:");
  item.FileName = last == WideString::npos ? name : name.substr(last + 1);
  const auto folder = name.rfind(u'\\');
  item.StoredPath = folder == WideString::npos ? WideString() : name.substr(0, folder + 1);
  item.CompressedSize = static_cast<std::int64_t>(entry.CompressedSize);
  item.UncompressedSize = static_cast<std::int64_t>(entry.UncompressedSize);
  if (item.UncompressedSize > 0) {
    const double rate =
        (1.0 - static_cast<double>(item.CompressedSize) / static_cast<double>(item.UncompressedSize)) * 100.0;
    item.CompressionRate = std::max(rate, 0.0);
  } else {
    item.CompressionRate = 100.0;
  }
  const TCentralHeader& header = entry.CentralDir;
  item.Encrypted = (header.Flags & kFlagEncrypted) != 0;
  item.LastModFileDate = header.Date;
  item.LastModFileTime = header.Time;
  item.CRC = header.Crc32;
  item.ExternalFileAttr = header.ExternalAttributes;
  item.Comment = entry.Comment;
}

WideString PrepareNameMask(WideStringView fileMask, bool keepDrive) {
  if (!keepDrive) {
    fileMask.remove_prefix(DriveLength(fileMask));
  }
  return Slashed(fileMask);
}

WideString UpperFolderPart(WideStringView name) {
  const WideString backslashed = Backslashed(WithoutTrailingSeparator(name));
  const auto last = backslashed.rfind(u'\\');
  return last == WideString::npos ? WideString() : WideUpperCase(WideStringView(backslashed).substr(0, last + 1));
}

bool EntryNameMatches(WideStringView storedName, WideStringView preparedMask) {
  const WideStringView name = WithoutTrailingSeparator(storedName);
  // Names written with "\" separators match a mask written with either.
  if (name.find(u'\\') == WideStringView::npos ? MatchesMask(name, preparedMask)
                                               : MatchesMask(Slashed(name), preparedMask)) {
    return true;
  }
  const auto last = name.find_last_of(u"\\/:");
  return last != WideStringView::npos && MatchesMask(name.substr(last + 1), preparedMask);
}

bool AttributesAllowed(std::uint32_t externalAttributes, int searchAttr) {
  constexpr std::uint32_t kFiltered = kAttrHidden | kAttrSystem | kAttrVolumeLabel | kAttrDirectory;
  return (externalAttributes & kFiltered & ~static_cast<std::uint32_t>(searchAttr)) == 0;
}

void TZipBaseArchiver::CheckActive() const {
  if (!active_ || !dirManager_) {
    throw EZipException(13, this);
  }
}

bool TZipBaseArchiver::FindFirstEntry(const WideString& fileMask, TZipArchiveItem& f, int searchAttr,
                                      const WideString& exclusionMask) {
  CheckActive();
  const bool keepDrive = Options.StorePath == TZipStorePathMode::spFullPathWithDrive;
  TInternalSearchRec& search = f.SearchRec;
  search.NameMask = PrepareNameMask(fileMask, keepDrive);
  search.MaskHasWildcards = search.NameMask.find_first_of(u"*?") != WideString::npos;
  search.SearchAttr = searchAttr;
  search.ExclusionMask = PrepareNameMask(exclusionMask, keepDrive);
  search.UseMaskLists = false;
  search.EntryIndex = 0;
  return FindNextMatch(f);
}

bool TZipBaseArchiver::FindNextEntry(TZipArchiveItem& f) {
  CheckActive();
  ++f.SearchRec.EntryIndex;
  return FindNextMatch(f);
}

bool TZipBaseArchiver::FindNextMatch(TZipArchiveItem& f) const {
  const TZipDirArray& items = dirManager_->Items;
  const TInternalSearchRec& search = f.SearchRec;
  const bool sameFolderOnly = !Options.Recurse;
  const WideString maskFolder = sameFolderOnly ? UpperFolderPart(search.NameMask) : WideString();
  for (int i = std::max(search.EntryIndex, 0); i < items.Count(); ++i) {
    const TDirItem& entry = items.Item(i);
    if (sameFolderOnly && UpperFolderPart(entry.FileName) != maskFolder) {
      continue;
    }
    if (!MatchEntry(entry, search) || !AttributesAllowed(entry.CentralDir.ExternalAttributes, search.SearchAttr)) {
      continue;
    }
    f.SearchRec.EntryIndex = i;
    FillArchiveItem(entry, f);
    return true;
  }
  return false;
}

bool TZipBaseArchiver::MatchEntry(const TDirItem& entry, const TInternalSearchRec& search) const {
  if (search.UseMaskLists) {
    return MatchesMaskLists(entry.FileName);
  }
  if (!EntryNameMatches(entry.FileName, search.NameMask)) {
    return false;
  }
  return search.ExclusionMask.empty() || !EntryNameMatches(entry.FileName, search.ExclusionMask);
}

bool TZipBaseArchiver::MatchesMaskLists(const WideString& storedName) const {
  const WideString name = Backslashed(WithoutTrailingSeparator(storedName));
  const auto matchesAny = [&name](const TWStringList& masks) {
    for (int i = 0; i < masks.Count(); ++i) {
      if (MatchesMask(name, Backslashed(masks.Get(i)))) {
        return true;
      }
    }
    return false;
  };
  return matchesAny(FileMasks) && !matchesAny(ExclusionMasks);
}

bool TZipBaseArchiver::FindEntryByName(const WideString& fileName, int& index) {
  CheckActive();
  index = dirManager_->Items.IndexOfName(fileName);
  if (index >= 0) {
    return true;
  }
  TZipArchiveItem found;
  if (!FindFirstEntry(fileName, found, kNameLookupAttributes, {})) {
    return false;
  }
  index = found.SearchRec.EntryIndex;
  return true;
}

}  // namespace kestrune::zip
