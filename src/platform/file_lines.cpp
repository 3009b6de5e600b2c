#include "platform/file_lines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kestrune::platform {
namespace {

constexpr std::size_t kBlockBytes = std::size_t{256} << 10;

std::string Message(const char* what, const std::filesystem::path& path, const std::string& why) {
  return std::string(what) + " \"" + path.string() + "\": " + why;
}

}  // namespace

FileLines::~FileLines() {
  if (fd_ >= 0) ::close(fd_);
}

bool FileLines::Open(const std::filesystem::path& path, std::string* error, std::uint64_t offset,
                     std::uint64_t maxBytes) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  buffer_.clear();
  begin_ = searchFrom_ = 0;
  skipping_ = false;
  eof_ = true;
  error_.clear();
  path_ = path;
  maxBytes_ = maxBytes;
  auto fail = [&](const std::string& message) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (error != nullptr) *error = message;
    return false;
  };
  // Non-blocking, so that a named pipe does not wait for a writer; a regular file reads as usual.
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd_ < 0) return fail(Message("Cannot open", path, std::strerror(errno)));
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return fail(Message("Cannot read", path, std::strerror(errno)));
  if (!S_ISREG(st.st_mode)) return fail(Message("Cannot read", path, "it is not a regular file"));
  if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
    return fail(Message("Cannot read", path, "the file is larger than " + std::to_string(maxBytes >> 20) + " MB"));
  }
  readTo_ = offset;
  bufferStart_ = offset;
  eof_ = false;
  return true;
}

bool FileLines::Fill() {
  if (begin_ > 0) {
    buffer_.erase(0, begin_);
    bufferStart_ += begin_;
    searchFrom_ = searchFrom_ > begin_ ? searchFrom_ - begin_ : 0;
    begin_ = 0;
  }
  const std::size_t kept = buffer_.size();
  buffer_.resize(kept + kBlockBytes);
  ssize_t got = 0;
  do {
    got = ::pread(fd_, buffer_.data() + kept, kBlockBytes, static_cast<off_t>(readTo_));
  } while (got < 0 && errno == EINTR);
  if (got < 0) {
    error_ = Message("Cannot read", path_, std::strerror(errno));
    buffer_.resize(kept);
    eof_ = true;
    return false;
  }
  buffer_.resize(kept + static_cast<std::size_t>(got));
  readTo_ += static_cast<std::uint64_t>(got);
  eof_ = got == 0;
  // The file may grow while it is read.
  if (readTo_ > maxBytes_) {
    error_ = Message("Cannot read", path_, "the file is larger than " + std::to_string(maxBytes_ >> 20) + " MB");
    eof_ = true;
    return false;
  }
  return true;
}

bool FileLines::Next(std::string_view& line, std::uint64_t& offset) {
  if (fd_ < 0 || Failed()) return false;
  for (;;) {
    const std::size_t end = FindLineEnd(buffer_, std::max(begin_, searchFrom_));
    if (end == std::string::npos) {
      searchFrom_ = buffer_.size();
      const std::size_t rest = buffer_.size() - begin_;
      if (skipping_) {
        begin_ = buffer_.size();
        if (eof_) return false;
      } else if (rest == 0 && eof_) {
        return false;
      } else if (eof_ || rest > kMaxLineBytes) {
        // The last line without a line end, or a line too long to hold: what fits is the line.
        const std::size_t taken = std::min(rest, kMaxLineBytes);
        line = std::string_view(buffer_.data() + begin_, taken);
        offset = bufferStart_ + begin_;
        begin_ += taken;
        skipping_ = !(eof_ && begin_ == buffer_.size());
        return true;
      }
      if (!Fill()) return false;
      continue;
    }
    // A CR that ends the block may be the first half of a CR LF.
    if (buffer_[end] == '\r' && end + 1 == buffer_.size() && !eof_) {
      searchFrom_ = end;
      if (!Fill()) return false;
      continue;
    }
    const std::size_t next = buffer_[end] == '\r' && end + 1 < buffer_.size() && buffer_[end + 1] == '\n' ? end + 2
                                                                                                         : end + 1;
    if (skipping_) {
      skipping_ = false;
      begin_ = searchFrom_ = next;
      continue;
    }
    const std::size_t length = end - begin_;
    if (length > kMaxLineBytes) {
      line = std::string_view(buffer_.data() + begin_, kMaxLineBytes);
      offset = bufferStart_ + begin_;
      begin_ += kMaxLineBytes;
      searchFrom_ = end;
      skipping_ = true;
      return true;
    }
    line = std::string_view(buffer_.data() + begin_, length);
    offset = bufferStart_ + begin_;
    begin_ = searchFrom_ = next;
    return true;
  }
}

bool FileLines::NextHolding(std::string_view text, std::string_view& line, std::uint64_t& offset) {
  const auto isLineEnd = [](char c) { return c == '\n' || c == '\r'; };
  while (fd_ >= 0 && !Failed()) {
    const std::string_view rest(buffer_.data() + begin_, buffer_.size() - begin_);
    const std::size_t found = skipping_ ? std::string_view::npos : rest.find(text);
    if (found != std::string_view::npos) {
      // The line it is in starts after the last line end before it.
      std::size_t start = found;
      while (start > 0 && !isLineEnd(rest[start - 1])) --start;
      begin_ += start;
      if (!Next(line, offset)) return false;
      // A match in the part of an overlong line that is cut off is none.
      if (line.find(text) != std::string_view::npos) return true;
      continue;
    }
    if (eof_ && !skipping_) {
      begin_ = buffer_.size();
      return false;
    }
    // The last line may be read in part: a match may still start in it.
    std::size_t partial = rest.size();
    while (partial > 0 && !isLineEnd(rest[partial - 1])) --partial;
    if (skipping_ || rest.size() - partial > kMaxLineBytes) {
      // The rest of a cut line, or a line too long to hold: read on as Next does.
      if (!Next(line, offset)) return false;
      if (line.find(text) != std::string_view::npos) return true;
      continue;
    }
    begin_ += partial;
    if (!Fill()) return false;
  }
  return false;
}

}  // namespace kestrune::platform
