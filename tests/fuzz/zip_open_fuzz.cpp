// Opens any bytes as an archive, with repairs on and off, and lists what was found.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "zip/zip_archiver.h"

namespace {

// One scratch file per fuzzing process, removed when the process ends.
class ScratchFile {
 public:
  ScratchFile() : path_("/tmp/kestrune-zip-fuzz-" + std::to_string(::getpid()) + ".zip") {}
  ~ScratchFile() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

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
  static const ScratchFile scratch;
  const std::string& path = scratch.path();
  if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  } else {
    return 0;
  }
  OpenAndList(path, true);
  OpenAndList(path, false);
  return 0;
}
