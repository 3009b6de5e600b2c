// Extracting entries into a folder on disk, never outside it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <random>

#include "zip/wide_file.h"
#include "zip/zip_archiver.h"
#include "zip/zip_writer.h"

namespace kestrune::zip {
namespace {

namespace fs = std::filesystem;

struct TExtractJob {
  int index = 0;
  fs::path target;
  bool folder = false;
  std::uint32_t attributes = 0;
};

// Whether path lies inside folder once every link on the way is followed.
bool LiesInside(const fs::path& folder, const fs::path& path) {
  std::error_code error;
  const fs::path realFolder = fs::weakly_canonical(folder, error);
  const fs::path realPath = fs::weakly_canonical(path, error);
  if (error) {
    return false;
  }
  auto p = realPath.begin();
  for (auto f = realFolder.begin(); f != realFolder.end(); ++f, ++p) {
    if (f->empty()) {
      continue;  // the empty last part of a folder written with a trailing "/"
    }
    if (p == realPath.end() || *p != *f) {
      return false;
    }
  }
  return true;
}

std::time_t DosToTime(std::uint16_t date, std::uint16_t time) {
  std::tm local{};
  local.tm_year = 80 + (date >> 9);
  local.tm_mon = ((date >> 5) & 0x0F) - 1;
  local.tm_mday = date & 0x1F;
  local.tm_hour = time >> 11;
  local.tm_min = (time >> 5) & 0x3F;
  local.tm_sec = (time & 0x1F) * 2;
  local.tm_isdst = -1;
  return std::mktime(&local);
}

// A new file beside the target with a name nobody else uses; its permission bits follow the umask.
std::string CreateSideFile(const fs::path& target) {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path name =
        target.parent_path() / ("." + target.filename().string() + "." + std::to_string(random() % 1000000) + ".part");
    const int handle = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (handle >= 0) {
      ::close(handle);
      return name.string();
    }
    if (errno != EEXIST) {
      break;
    }
  }
  return {};
}

}  // namespace

int TZipBaseArchiver::ExtractFiles(const WideString& fileMask) {
  CheckActive();
  CheckNoUpdate();
  const fs::path base = fs::absolute(NativeFileName(BaseDir.empty() ? WideString(u".") : BaseDir)).lexically_normal();
  std::vector<TExtractJob> jobs;
  TZipArchiveItem found;
  for (bool more = FindFirstEntry(fileMask, found, faAnyFile); more; more = FindNextEntry(found)) {
    const TDirItem& entry = dirManager_->Items.Item(found.SearchRec.EntryIndex);
    WideString name = entry.FileName;
    std::uint32_t attributes = entry.CentralDir.ExternalAttributes;
    DoOnExtractFile(name, attributes, entry.Comment);
    name = NormalizeEntryName(name);
    // Checked before anything is written: one bad name refuses the whole extraction.
    if (IsUnsafeEntryName(name)) {
      throw EZipException(kErrorUnsafeName, this, {entry.FileName});
    }
    const bool folder = entry.IsDirectory() || name.back() == u'/';
    while (!name.empty() && name.back() == u'/') {
      name.pop_back();
    }
    fs::path relative = NativeFileName(name);
    if (Options.StorePath == TZipStorePathMode::spNoPath) {
      if (folder) {
        continue;
      }
      relative = relative.filename();
    }
    TExtractJob job{found.SearchRec.EntryIndex, (base / relative).lexically_normal(), folder, attributes};
    // A link already in the folder could still lead out of it.
    if (!LiesInside(base, job.folder ? job.target : job.target.parent_path())) {
      throw EZipException(kErrorUnsafeName, this, {entry.FileName});
    }
    jobs.push_back(std::move(job));
  }
  int written = 0;
  for (const TExtractJob& job : jobs) {
    written += ExtractJob(job.index, job.target.string(), job.folder, job.attributes) ? 1 : 0;
  }
  return written;
}

bool TZipBaseArchiver::ConfirmOverwrite(const TDirItem& entry, std::string& target) {
  struct stat info {};
  if (::lstat(target.c_str(), &info) != 0) {
    return true;
  }
  if (S_ISDIR(info.st_mode)) {
    throw EZipException(23, this, {target});
  }
  if (!Options.ReplaceReadOnly && (WideFileGetAttr(Utf8ToWide(target)) & faReadOnly) != 0) {
    return false;
  }
  const std::time_t entryTime = DosToTime(entry.CentralDir.Date, entry.CentralDir.Time);
  switch (Options.OverwriteMode) {
    case TZipOverwriteMode::omAlways:
      return true;
    case TZipOverwriteMode::omNever:
      return false;
    case TZipOverwriteMode::omIfNewer:
      return entryTime > info.st_mtime;
    case TZipOverwriteMode::omIfOlder:
      return entryTime < info.st_mtime;
    case TZipOverwriteMode::omPrompt: {
      bool confirm = false;
      WideString destination = Utf8ToWide(target);
      DoOnConfirmOverwrite(entry.FileName, destination, confirm);
      target = NativeFileName(destination);
      return confirm;
    }
  }
  return false;
}

bool TZipBaseArchiver::ExtractJob(int index, std::string target, bool folder, std::uint32_t attributes) {
  const TDirItem& entry = dirManager_->Items.Item(index);
  std::error_code error;
  const fs::path folderToMake = folder ? fs::path(target) : fs::path(target).parent_path();
  if (!fs::is_directory(folderToMake, error)) {
    if (!Options.CreateDirs && !folder) {
      throw EZipException(20, this, {folderToMake.string()});
    }
    if (!fs::create_directories(folderToMake, error) && !fs::is_directory(folderToMake)) {
      throw EZipException(20, this, {folderToMake.string()});
    }
  }
  if (folder) {
    return true;
  }
  if (!ConfirmOverwrite(entry, target)) {
    return false;
  }
  // The whole entry is written aside and put in place only when its size and CRC-32 have passed: a
  // failure never leaves a cut file, nor harms the file it would have replaced.
  const std::string side = CreateSideFile(target);
  if (side.empty()) {
    throw EZipException(23, this, {target});
  }
  try {
    {
      TWFileStream out(Utf8ToWide(side), 1);
      ExtractEntryByIndex(index, out);
    }
    if (SkipFile) {
      ::unlink(side.c_str());
      return false;
    }
    if (Options.SetAttributes) {
      const std::time_t time = DosToTime(entry.CentralDir.Date, entry.CentralDir.Time);
      const timespec times[2] = {{time, 0}, {time, 0}};
      ::utimensat(AT_FDCWD, side.c_str(), times, 0);
      if ((attributes & faReadOnly) != 0) {
        WideFileSetAttr(Utf8ToWide(side), faReadOnly);
      }
    }
    if (::rename(side.c_str(), target.c_str()) != 0) {
      throw EZipException(23, this, {target});
    }
  } catch (...) {
    ::unlink(side.c_str());
    throw;
  }
  return true;
}

}  // namespace kestrune::zip
