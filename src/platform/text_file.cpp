#include "platform/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <map>
#include <set>
#include <string_view>

#include "platform/code_pages.h"

namespace kestrune::platform {
namespace {

void SetError(std::string* error, const std::string& what, const std::filesystem::path& path, int code) {
  if (error != nullptr) {
    *error = what + " \"" + path.string() + "\": " + std::strerror(code);
  }
}

void SetMessage(std::string* error, const std::filesystem::path& path, const std::string& why) {
  if (error != nullptr) {
    *error = "Cannot read \"" + path.string() + "\": " + why;
  }
}

// What a path that is no regular file stands for, in the user's words.
std::string NotAFile(mode_t mode) {
  if (S_ISDIR(mode)) {
    return "it is a folder, not a file";
  }
  if (S_ISFIFO(mode)) {
    return "it is a named pipe, not a file";
  }
  if (S_ISCHR(mode) || S_ISBLK(mode)) {
    return "it is a device, not a file";
  }
  return "it is not a regular file";
}

std::string SizeText(std::uint64_t bytes) {
  constexpr std::uint64_t kMegabyte = std::uint64_t{1} << 20;
  return bytes >= kMegabyte && bytes % kMegabyte == 0 ? std::to_string(bytes / kMegabyte) + " MB"
                                                      : std::to_string(bytes) + " bytes";
}

std::string TooLarge(std::uint64_t maxBytes) { return "the file is larger than " + SizeText(maxBytes); }

// Keeps the mode of the file being replaced; a new file gets the usual 0666 less the umask.
mode_t ModeFor(const std::filesystem::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    return st.st_mode & 07777;
  }
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t written = ::write(fd, data.data(), data.size());
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

TextLines::TextLines(std::string_view text, bool stopAtEof) : rest_(text) {
  if (stopAtEof) {
    rest_ = rest_.substr(0, rest_.find('\x1A'));
  }
  done_ = rest_.empty();
}

std::size_t FindLineEnd(std::string_view text, std::size_t from) {
  const char* const data = text.data();
  for (std::size_t i = from; i < text.size(); ++i) {
    if (data[i] == '\n' || data[i] == '\r') return i;
  }
  return std::string_view::npos;
}

bool TextLines::Next(std::string_view& line) {
  if (done_) {
    return false;
  }
  const std::size_t end = std::min(FindLineEnd(rest_), rest_.size());
  if (end == rest_.size()) {
    line = rest_;
    done_ = true;
    return true;
  }
  line = rest_.substr(0, end);
  const std::size_t next = rest_[end] == '\r' && end + 1 < rest_.size() && rest_[end + 1] == '\n' ? end + 2 : end + 1;
  rest_.remove_prefix(next);
  done_ = rest_.empty();
  return true;
}

std::vector<std::string_view> SplitTextLines(std::string_view text, bool stopAtEof) {
  std::vector<std::string_view> lines;
  lines.reserve(CountTextLines(text, stopAtEof));
  TextLines reader(text, stopAtEof);
  for (std::string_view line; reader.Next(line);) {
    lines.push_back(line);
  }
  return lines;
}

std::size_t CountTextLines(std::string_view text, bool stopAtEof) {
  std::size_t count = 0;
  TextLines reader(text, stopAtEof);
  for (std::string_view line; reader.Next(line);) {
    ++count;
  }
  return count;
}

namespace {

bool CheckLineCount(const std::filesystem::path& path, std::uint64_t lines, std::uint64_t bytes, std::string* error,
                    std::uint64_t freeLines) {
  if (lines <= freeLines || lines <= bytes / kMinAverageLineBytes) {
    return true;
  }
  SetMessage(
      error, path,
      "the file has too many lines for its size (" + std::to_string(lines) + " lines in " + SizeText(bytes) + ")");
  return false;
}

}  // namespace

bool CheckTextLineCount(const std::filesystem::path& path, std::string_view text, std::string* error, bool stopAtEof,
                        std::uint64_t freeLines) {
  return CheckLineCount(path, CountTextLines(text, stopAtEof), text.size(), error, freeLines);
}

std::string JoinLinesCrLf(const std::vector<std::string>& lines) {
  std::size_t total = 0;
  for (const auto& line : lines) {
    total += line.size() + 2;
  }
  std::string out;
  out.reserve(total);
  for (const auto& line : lines) {
    out += line;
    out += "\r\n";
  }
  return out;
}

bool ReadWholeFile(const std::filesystem::path& path, std::string& out, std::string* error, std::uint64_t maxBytes) {
  // Non-blocking, so that opening a named pipe returns at once instead of waiting for a writer; the
  // flag changes nothing for a regular file, the only kind read.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    SetError(error, "Cannot open", path, errno);
    return false;
  }
  out.clear();
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int code = errno;
    ::close(fd);
    SetError(error, "Cannot read", path, code);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    SetMessage(error, path, NotAFile(st.st_mode));
    return false;
  }
  if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
    ::close(fd);
    SetMessage(error, path, TooLarge(maxBytes));
    return false;
  }
  out.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      const int code = errno;
      ::close(fd);
      SetError(error, "Cannot read", path, code);
      return false;
    }
    if (got == 0) {
      break;
    }
    // The file may grow while it is read.
    if (static_cast<std::uint64_t>(got) > maxBytes - out.size()) {
      ::close(fd);
      out.clear();
      SetMessage(error, path, TooLarge(maxBytes));
      return false;
    }
    out.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return true;
}

namespace {

// The lines of a whole file, each made by convert.
template <typename Convert>
bool ReadLines(const std::filesystem::path& path, std::vector<std::string>& lines, std::string* error, bool stopAtEof,
               std::uint64_t maxBytes, std::uint64_t freeLines, Convert convert) {
  std::string data;
  if (!ReadWholeFile(path, data, error, maxBytes)) {
    return false;
  }
  const std::size_t count = CountTextLines(data, stopAtEof);
  if (!CheckLineCount(path, count, data.size(), error, freeLines)) {
    return false;
  }
  lines.clear();
  lines.reserve(count);
  TextLines reader(data, stopAtEof);
  for (std::string_view line; reader.Next(line);) {
    lines.push_back(convert(line));
  }
  return true;
}

}  // namespace

bool ReadTextFileLines(const std::filesystem::path& path, std::vector<std::string>& lines, std::string* error,
                       bool stopAtEof, std::uint64_t maxBytes, std::uint64_t freeLines) {
  return ReadLines(path, lines, error, stopAtEof, maxBytes, freeLines, DecodeTextLine);
}

bool NothingAt(const std::filesystem::path& path) {
  std::error_code ignored;
  return std::filesystem::symlink_status(path, ignored).type() == std::filesystem::file_type::not_found;
}

bool ReadTextFileLinesAsIs(const std::filesystem::path& path, std::vector<std::string>& lines, std::string* error,
                           std::uint64_t maxBytes, std::uint64_t freeLines) {
  return ReadLines(path, lines, error, false, maxBytes, freeLines,
                   [](std::string_view line) { return std::string(line); });
}

namespace {

// The file a link leads to (through every link), so that a save replaces that file and keeps the
// link; the path itself when it is no link or the link leads nowhere yet.
std::filesystem::path WriteTarget(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_symlink(path, error)) return path;
  const std::filesystem::path target = std::filesystem::weakly_canonical(path, error);
  return error ? path : target;
}

// A rename would replace a read-only file as easily as any other (and root may write to it anyway),
// so the file decides: 0 when it may be replaced, else the reason it may not. A file this user cannot
// write gives the system's own reason (a read-only file system, a permission denied); one whose owner
// has no write bit, which root could still write, is the user's choice, refused as an input/output error.
int ReadOnlyReason(const std::filesystem::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  if (::access(path.c_str(), W_OK) != 0) return errno;
  return (st.st_mode & S_IWUSR) == 0 ? EIO : 0;
}

// The name StageFile gives the temporary file beside a target, before mkstemp's six characters.
std::string StagedPrefix(const std::filesystem::path& path) { return "." + path.filename().string() + ".tmp-"; }

constexpr std::string_view kStagedTmp = ".tmp-";
// The length of mkstemp's part of the name.
constexpr std::size_t kStagedUniqueChars = 6;

bool IsAsciiAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The name of the target a name StageFile gives (".<target>.tmp-" and mkstemp's six letters and digits)
// was made for; empty for any other name.
std::string_view StagedTarget(std::string_view name) {
  if (name.size() <= 1 + kStagedTmp.size() + kStagedUniqueChars || !name.starts_with('.')) return {};
  const std::string_view unique = name.substr(name.size() - kStagedUniqueChars);
  const std::string_view target = name.substr(1, name.size() - 1 - kStagedTmp.size() - kStagedUniqueChars);
  if (!std::all_of(unique.begin(), unique.end(), IsAsciiAlnum) ||
      name.substr(1 + target.size(), kStagedTmp.size()) != kStagedTmp) {
    return {};
  }
  return target;
}

// A temporary file is a plain file of its own, never a link.
bool IsPlainFile(const std::filesystem::directory_entry& entry) {
  std::error_code ignored;
  return entry.symlink_status(ignored).type() == std::filesystem::file_type::regular;
}

// Removes the temporary files of a folder whose target `wanted` names, in one read of the folder; the
// other entries go to `others`.
template <typename Wanted, typename Others>
void RemoveStagedIf(const std::filesystem::path& folder, Wanted wanted, Others others) {
  std::vector<std::filesystem::path> leftovers;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const std::string_view target = StagedTarget(name);
    if (!target.empty() && wanted(target) && IsPlainFile(*it)) {
      leftovers.push_back(it->path());
    } else {
      others(*it, name);
    }
  }
  for (const std::filesystem::path& path : leftovers) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
}

std::filesystem::path ParentFolder(const std::filesystem::path& path) {
  return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
}

}  // namespace

void RemoveStagedLeftovers(const std::filesystem::path& linkOrFile) {
  const std::filesystem::path path = WriteTarget(linkOrFile);
  const std::string own = path.filename().string();
  RemoveStagedIf(
      ParentFolder(path), [&own](std::string_view target) { return target == own; },
      [](const std::filesystem::directory_entry&, const std::string&) {});
}

void RemoveStagedLeftoversIn(const std::filesystem::path& folder, std::initializer_list<std::string_view> suffixes) {
  const auto ours = [suffixes](std::string_view name) {
    return std::any_of(suffixes.begin(), suffixes.end(), [name](std::string_view s) { return name.ends_with(s); });
  };
  // A save writes through a link: its temporary file stands beside the file the link leads to. Each
  // folder the links lead to is read once, however many links lead there.
  std::map<std::filesystem::path, std::set<std::string, std::less<>>> linkedTargets;
  RemoveStagedIf(folder, ours,
                 [&ours, &linkedTargets](const std::filesystem::directory_entry& entry, const std::string& name) {
                   std::error_code ignored;
                   if (!ours(name) || !entry.is_symlink(ignored)) return;
                   const std::filesystem::path target = WriteTarget(entry.path());
                   linkedTargets[ParentFolder(target)].insert(target.filename().string());
                 });
  for (const auto& linked : linkedTargets) {
    const std::set<std::string, std::less<>>& targets = linked.second;
    RemoveStagedIf(
        linked.first, [&targets](std::string_view target) { return targets.contains(target); },
        [](const std::filesystem::directory_entry&, const std::string&) {});
  }
}

bool StageFile(const std::filesystem::path& linkOrFile, std::string_view data, StagedFile& staged, std::string* error) {
  const std::filesystem::path path = WriteTarget(linkOrFile);
  if (const int reason = ReadOnlyReason(path); reason != 0) {
    if (error != nullptr) {
      *error = "Cannot replace \"" + path.string() + "\": the file is read-only (" + std::strerror(reason) + ")";
    }
    return false;
  }
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  std::string pattern = (folder / (StagedPrefix(path) + "XXXXXX")).string();
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) {
    SetError(error, "Cannot create a temporary file for", path, errno);
    return false;
  }
  const std::filesystem::path temp = pattern;
  auto fail = [&](const char* what) {
    const int code = errno;
    ::close(fd);
    ::unlink(temp.c_str());
    SetError(error, what, path, code);
    return false;
  };
  if (!WriteAll(fd, data)) {
    return fail("Cannot write");
  }
  if (::fchmod(fd, ModeFor(path)) != 0 || ::fsync(fd) != 0) {
    return fail("Cannot write");
  }
  if (::close(fd) != 0) {
    const int code = errno;
    ::unlink(temp.c_str());
    SetError(error, "Cannot write", path, code);
    return false;
  }
  staged = {path, temp};
  return true;
}

bool CommitStagedFile(const StagedFile& staged, std::string* error) {
  if (::rename(staged.temp.c_str(), staged.target.c_str()) != 0) {
    const int code = errno;
    ::unlink(staged.temp.c_str());
    SetError(error, "Cannot replace", staged.target, code);
    return false;
  }
  return true;
}

bool MakeEmptyFile(const std::filesystem::path& path, std::string* reason) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
  if (fd < 0 || ::close(fd) != 0) {
    if (reason != nullptr) *reason = std::strerror(errno);
    return false;
  }
  return true;
}

void DiscardStagedFile(const StagedFile& staged) { ::unlink(staged.temp.c_str()); }

bool WriteFileAtomic(const std::filesystem::path& path, std::string_view data, std::string* error) {
  StagedFile staged;
  return StageFile(path, data, staged, error) && CommitStagedFile(staged, error);
}

}  // namespace kestrune::platform
