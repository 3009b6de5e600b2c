#pragma once

#include <cstdint>

#include "zip/wide_string.h"
#include "zip/zip_directory.h"

// The record a search of an archive's entries fills, and the name and attribute tests the search runs.
namespace kestrune::zip {

// Attribute bits a search can leave out (DOS attributes in the low byte of the external attributes).
inline constexpr std::uint32_t kAttrHidden = 0x02;
inline constexpr std::uint32_t kAttrSystem = 0x04;
inline constexpr std::uint32_t kAttrVolumeLabel = 0x08;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
// Every attribute: the search attributes the front-end passes.
inline constexpr int kSearchAllAttributes = 63;
// The search attributes of a look-up by name.
inline constexpr int kNameLookupAttributes = 10431;

// The search's own state; it travels with the record, so searches side by side do not disturb each other.
struct TInternalSearchRec {
  int EntryIndex = 0;   // where the next step starts; after a hit, the entry found
  WideString NameMask;  // the prepared mask, "/" separators
  bool MaskHasWildcards = false;
  int SearchAttr = 0;
  WideString ExclusionMask;   // prepared like NameMask; empty excludes nothing
  bool UseMaskLists = false;  // match the archiver's FileMasks and ExclusionMasks instead of NameMask
};

struct TZipArchiveItem {
  WideString FileName;    // last component of the stored name
  WideString StoredPath;  // the stored name up to and including its last "\", empty at the root
  std::int64_t CompressedSize = 0;
  std::int64_t UncompressedSize = 0;
  double CompressionRate = 0;
  bool Encrypted = false;
  std::uint16_t LastModFileDate = 0;
  std::uint16_t LastModFileTime = 0;
  std::uint32_t CRC = 0;
  std::uint32_t ExternalFileAttr = 0;
  AnsiString Comment;
  TInternalSearchRec SearchRec;
};

// Describes a directory entry in the record (its search state is left alone).
void FillArchiveItem(const TDirItem& entry, TZipArchiveItem& item);
// A mask as a search keeps it: a leading drive or network share dropped unless keepDrive, "\" as "/".
WideString PrepareNameMask(WideStringView fileMask, bool keepDrive);
// The upper-cased folder part of a stored name or a prepared mask: "\" separators, up to and including the
// last one ("" at the root); a trailing separator of the name itself is ignored.
WideString UpperFolderPart(WideStringView name);
// The name test of a search: the whole stored name (one trailing separator dropped, "\" read as "/"),
// or else its last component, matches the prepared mask.
bool EntryNameMatches(WideStringView storedName, WideStringView preparedMask);
// False when the entry has one of the hidden, system, volume-label or directory bits that searchAttr lacks.
bool AttributesAllowed(std::uint32_t externalAttributes, int searchAttr);

}  // namespace kestrune::zip
