#include "zip/wide_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

namespace kestrune::zip {
namespace {

constexpr WideStringView kDelimiters = u"\\/:";

int AttributesOf(const std::string& native, const struct stat& info, std::string_view baseName) {
  int attr = 0;
  if (S_ISDIR(info.st_mode)) {
    attr |= faDirectory;
  } else {
    attr |= faArchive;
  }
  if (!baseName.empty() && baseName.front() == '.' && baseName != "." && baseName != "..") {
    attr |= faHidden;
  }
  if (::access(native.c_str(), W_OK) != 0) {
    attr |= faReadOnly;
  }
  return attr;
}

std::string_view BaseNameOf(std::string_view native) {
  const auto slash = native.find_last_of('/');
  return slash == std::string_view::npos ? native : native.substr(slash + 1);
}

bool CopyFileExclusive(const std::string& from, const std::string& to) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    return false;
  }
  struct stat info {};
  ::fstat(in, &info);
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 07777);
  if (out < 0) {
    const int error = errno;
    ::close(in);
    errno = error;
    return false;
  }
  std::vector<char> buffer(1 << 16);
  bool ok = true;
  while (ok) {
    const ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n == 0) {
      break;
    }
    ok = n > 0 && ::write(out, buffer.data(), static_cast<std::size_t>(n)) == n;
  }
  ok = (::close(out) == 0) && ok;
  ::close(in);
  if (!ok) {
    ::unlink(to.c_str());
  }
  return ok;
}

// Fills rec from the next directory entry that matches its mask and is not excluded.
int NextMatch(TWSearchRec& rec) {
  auto* dir = static_cast<DIR*>(rec.FindHandle);
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") {
      continue;
    }
    const WideString wideName = Utf8ToWide(name);
    if (!MatchesMask(wideName, rec.Mask)) {
      continue;
    }
    const std::string native = rec.Folder + std::string(name);
    struct stat info {};
    if (::stat(native.c_str(), &info) != 0) {
      continue;
    }
    const int attr = AttributesOf(native, info, name);
    if ((attr & rec.ExcludeAttr) != 0) {
      continue;
    }
    rec.Time = DateTimeToDos(info.st_mtime);
    rec.Size = info.st_size;
    rec.Attr = attr;
    rec.Name = wideName;
    return 0;
  }
  return ENOENT;
}

}  // namespace

std::string NativeFileName(WideStringView name) {
  std::string native = WideToUtf8(name);
  for (char& c : native) {
    if (c == '\\') {
      c = '/';
    }
  }
  return native;
}

bool WideFileExists(WideStringView name) {
  struct stat info {};
  return !name.empty() && ::stat(NativeFileName(name).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool WideDirectoryExists(WideStringView name) {
  struct stat info {};
  return !name.empty() && ::stat(NativeFileName(name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int WideFileGetAttr(WideStringView name) {
  const std::string native = NativeFileName(name);
  struct stat info {};
  if (name.empty() || ::stat(native.c_str(), &info) != 0) {
    return -1;
  }
  return AttributesOf(native, info, BaseNameOf(native));
}

bool WideFileSetAttr(WideStringView name, int attr) {
  const std::string native = NativeFileName(name);
  struct stat info {};
  if (name.empty() || ::stat(native.c_str(), &info) != 0) {
    return false;
  }
  mode_t mode = info.st_mode & 07777;
  if ((attr & faReadOnly) != 0) {
    mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
  } else {
    mode |= S_IWUSR;
  }
  return ::chmod(native.c_str(), mode) == 0;
}

bool WideRenameFile(WideStringView oldName, WideStringView newName) {
  const std::string from = NativeFileName(oldName);
  const std::string to = NativeFileName(newName);
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (errno == EXDEV) {
    return CopyFileExclusive(from, to) && ::unlink(from.c_str()) == 0;
  }
  if (errno != EINVAL && errno != ENOSYS) {
    return false;
  }
  // A file system without the no-replace rename: a hard link cannot replace either.
  if (::link(from.c_str(), to.c_str()) == 0) {
    return ::unlink(from.c_str()) == 0;
  }
  return false;
}

bool WideDeleteFile(WideStringView name) {
  const std::string native = NativeFileName(name);
  struct stat info {};
  if (name.empty() || ::lstat(native.c_str(), &info) != 0) {
    return false;
  }
  if (S_ISDIR(info.st_mode)) {
    errno = EISDIR;
    return false;
  }
  return ::unlink(native.c_str()) == 0;
}

WideString WideExpandFileName(WideStringView name) {
  std::string native = NativeFileName(name);
  if (native.empty() || native.front() != '/') {
    std::vector<char> cwd(4096);
    while (::getcwd(cwd.data(), cwd.size()) == nullptr && errno == ERANGE) {
      cwd.resize(cwd.size() * 2);
    }
    native = std::string(cwd.data()) + "/" + native;
  }
  std::vector<std::string> parts;
  std::size_t start = 1;
  while (start <= native.size()) {
    const auto end = std::min(native.find('/', start), native.size());
    const std::string part = native.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) {
        parts.pop_back();
      }
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string out;
  for (const auto& part : parts) {
    out += "/" + part;
  }
  // A trailing separator names a folder and stays.
  if (out.empty() || native.back() == '/') {
    out += "/";
  }
  return Utf8ToWide(out);
}

WideString WideExtractFilePath(WideStringView name) {
  const auto pos = name.find_last_of(kDelimiters);
  return pos == WideStringView::npos ? WideString() : WideString(name.substr(0, pos + 1));
}

WideString WideExtractFileName(WideStringView name) {
  const auto pos = name.find_last_of(kDelimiters);
  return WideString(pos == WideStringView::npos ? name : name.substr(pos + 1));
}

WideString WideExtractFileExt(WideStringView name) {
  const auto delimiter = name.find_last_of(kDelimiters);
  const auto dot = name.rfind(u'.');
  if (dot == WideStringView::npos || (delimiter != WideStringView::npos && dot < delimiter)) {
    return WideString();
  }
  return WideString(name.substr(dot));
}

int WideFileCreate(WideStringView name) {
  return ::open(NativeFileName(name).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

int WideFileOpen(WideStringView name, unsigned mode) {
  struct stat info {};
  return WideFileOpen(name, mode, info);
}

int WideFileOpen(WideStringView name, unsigned mode, struct stat& info) {
  int flags = O_RDONLY;
  switch (mode & 3) {
    case 1:
      flags = O_WRONLY;
      break;
    case 2:
      flags = O_RDWR;
      break;
    default:
      break;
  }
  const std::string native = NativeFileName(name);
  const int handle = ::open(native.c_str(), flags | O_CLOEXEC);
  if (handle >= 0 && ::fstat(handle, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(handle);
    errno = EISDIR;
    return -1;
  }
  return handle;
}

int WideFindFirst(WideStringView path, int attr, TWSearchRec& rec) {
  WideFindClose(rec);
  const WideString folder = WideExtractFilePath(path);
  rec.Mask = WideExtractFileName(path);
  rec.Folder = NativeFileName(folder);
  if (!rec.Folder.empty() && rec.Folder.back() == ':') {
    rec.Folder.push_back('/');
  }
  rec.ExcludeAttr = (faHidden | faSysFile | faDirectory) & ~attr;
  DIR* dir = ::opendir(rec.Folder.empty() ? "." : rec.Folder.c_str());
  if (dir == nullptr) {
    return errno;
  }
  rec.FindHandle = dir;
  const int result = NextMatch(rec);
  if (result != 0) {
    WideFindClose(rec);
  }
  return result;
}

int WideFindNext(TWSearchRec& rec) { return rec.FindHandle == nullptr ? EBADF : NextMatch(rec); }

void WideFindClose(TWSearchRec& rec) {
  if (rec.FindHandle != nullptr) {
    ::closedir(static_cast<DIR*>(rec.FindHandle));
    rec.FindHandle = nullptr;
  }
}

std::string SysErrorMessage(int code) {
  char buffer[256] = {};
  const char* text = ::strerror_r(code, buffer, sizeof buffer);
  std::string message = text != nullptr ? text : "";
  while (!message.empty() && (message.back() == ' ' || message.back() == '\n' || message.back() == '.')) {
    message.pop_back();
  }
  if (message.empty() || message.rfind("Unknown error", 0) == 0) {
    return "Unspecified error (" + std::to_string(code) + ") from system.";
  }
  return message;
}

std::uint32_t DateTimeToDos(std::int64_t unixSeconds) {
  const auto seconds = static_cast<std::time_t>(unixSeconds);
  std::tm local{};
  if (::localtime_r(&seconds, &local) == nullptr || local.tm_year < 80) {
    return (1u << 21) | (1u << 16);  // 1980-01-01 00:00
  }
  const auto year = static_cast<std::uint32_t>(std::min(local.tm_year - 80, 127));
  const auto date =
      (year << 9) | (static_cast<std::uint32_t>(local.tm_mon + 1) << 5) | static_cast<std::uint32_t>(local.tm_mday);
  const auto time = (static_cast<std::uint32_t>(local.tm_hour) << 11) |
                    (static_cast<std::uint32_t>(local.tm_min) << 5) | static_cast<std::uint32_t>(local.tm_sec / 2);
  return (date << 16) | time;
}

}  // namespace kestrune::zip
