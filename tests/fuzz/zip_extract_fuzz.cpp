// Opens any bytes as an archive and extracts every entry, through the zip archiver and through the bare
// component (which also reads its own block format): whatever the bytes, an extraction either delivers
// the entry's declared size, skips it (a password nobody gives) having written nothing, or raises the
// archiver's error, and never writes past that size.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input_file.h"
#include "zip/zip_archiver.h"

namespace {

constexpr int kMaxEntries = 64;

void ExtractEach(kestrune::zip::TZipBaseArchiver& zip, const std::string& path) {
  using namespace kestrune::zip;
  zip.FileName = Utf8ToWide(path);
  zip.Password = "fuzz";
  try {
    zip.OpenZip(kOpenReadOnly);
  } catch (const EZipException&) {
    return;
  } catch (const EStreamError&) {
    return;
  }
  const TZipDirArray& items = zip.DirManager()->Items;
  for (int i = 0; i < items.Count() && i < kMaxEntries; ++i) {
    TMemoryStream out;
    bool delivered = false;
    try {
      zip.ExtractEntryByIndex(i, out);
      delivered = !zip.SkipFile;
    } catch (const EZipException&) {
    } catch (const EStreamError&) {
    }
    const auto declared = items.Item(i).UncompressedSize;
    const auto written = static_cast<std::uint64_t>(out.Size());
    if (written > declared || (delivered && written != declared) || (zip.SkipFile && written != 0)) {
      __builtin_trap();
    }
  }
  TZipArchiveItem f;
  int visited = 0;
  for (bool found = zip.FindFirstEntry(u"*.*", f, 63, {}); found; found = zip.FindNextEntry(f)) {
    if (f.SearchRec.EntryIndex != visited++) {
      __builtin_trap();
    }
  }
  if (visited != items.Count()) {
    __builtin_trap();
  }
  zip.CloseZip();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const FuzzInputFile input("zip-extract-fuzz");
  if (!input.Write(data, size)) {
    return 0;
  }
  const std::string& path = input.path();
  kestrune::zip::TZipArchiver zip;
  ExtractEach(zip, path);
  kestrune::zip::TZipBaseArchiver base;
  ExtractEach(base, path);
  return 0;
}
