// Opens any bytes as an archive, with repairs on and off, and lists what was found.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input_file.h"
#include "zip/zip_archiver.h"

namespace {

void OpenAndList(const std::string& path, bool rebuild) {
  kestrune::zip::TZipArchiver zip;
  zip.FileName = kestrune::zip::Utf8ToWide(path);
  zip.RebuildDamagedDirectory = rebuild;
  try {
    zip.OpenZip(kestrune::zip::kOpenReadOnly);
  } catch (const kestrune::zip::EZipException&) {
    return;
  } catch (const kestrune::zip::EStreamError&) {
    return;
  }
  const auto& items = zip.DirManager()->Items;
  for (int i = 0; i < items.Count(); ++i) {
    const auto& item = items.Item(i);
    if (items.IndexOfName(item.FileName) < 0) {
      __builtin_trap();
    }
    (void)kestrune::zip::WideToUtf8(item.FileName);
  }
  zip.CloseZip();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const FuzzInputFile input("zip-open-fuzz");
  if (!input.Write(data, size)) {
    return 0;
  }
  const std::string& path = input.path();
  OpenAndList(path, true);
  OpenAndList(path, false);
  return 0;
}
