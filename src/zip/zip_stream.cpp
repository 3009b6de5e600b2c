#include "zip/zip_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "zip/wide_file.h"

namespace kestrune::zip {

std::int64_t SeekTarget(std::int64_t position, std::int64_t size, std::int64_t offset, TSeekOrigin origin) {
  std::int64_t base = 0;
  if (origin == TSeekOrigin::soCurrent) {
    base = position;
  } else if (origin == TSeekOrigin::soEnd) {
    base = size;
  }
  return std::max<std::int64_t>(0, base + offset);
}

void TStream::ReadBuffer(void* buffer, std::size_t count) {
  if (count != 0 && Read(buffer, count) != count) {
    throw EReadError();
  }
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
  if (count != 0 && Write(buffer, count) != count) {
    throw EWriteError();
  }
}

std::vector<std::uint8_t> TStream::ReadAt(std::int64_t position, std::size_t count) {
  if (position < 0 || static_cast<std::uint64_t>(position) + count > static_cast<std::uint64_t>(Size())) {
    throw EReadError();
  }
  std::vector<std::uint8_t> buffer(count);
  SetPosition(position);
  ReadBuffer(buffer.data(), count);
  return buffer;
}

std::size_t TStream::ReadFrom(std::int64_t position, void* buffer, std::size_t count) {
  SetPosition(position);
  return Read(buffer, count);
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  constexpr std::size_t kChunk = 1 << 20;
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min<std::int64_t>(count, kChunk)));
  std::int64_t left = count;
  while (left > 0) {
    const auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, kChunk));
    source.ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    left -= static_cast<std::int64_t>(n);
  }
  return count;
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
  const auto size = static_cast<std::int64_t>(data_.size());
  if (position_ >= size) {
    return 0;
  }
  const auto n = static_cast<std::size_t>(std::min<std::int64_t>(size - position_, static_cast<std::int64_t>(count)));
  std::memcpy(buffer, data_.data() + position_, n);
  position_ += static_cast<std::int64_t>(n);
  return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
  const auto end = static_cast<std::size_t>(position_) + count;
  if (end > data_.size()) {
    data_.resize(end);
  }
  if (count != 0) {
    std::memcpy(data_.data() + position_, buffer, count);
  }
  position_ = static_cast<std::int64_t>(end);
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  position_ = SeekTarget(position_, Size(), offset, origin);
  return position_;
}

void TMemoryStream::SetSize(std::int64_t size) {
  data_.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, size)));
  position_ = std::min(position_, Size());
}

void TMemoryStream::Clear() {
  data_.clear();
  position_ = 0;
}

std::size_t TBytesStream::Read(void* buffer, std::size_t count) {
  const auto size = static_cast<std::int64_t>(bytes_.size());
  if (position_ >= size) {
    return 0;
  }
  const auto n = static_cast<std::size_t>(std::min<std::int64_t>(size - position_, static_cast<std::int64_t>(count)));
  std::memcpy(buffer, bytes_.data() + position_, n);
  position_ += static_cast<std::int64_t>(n);
  return n;
}

std::int64_t TBytesStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  position_ = SeekTarget(position_, Size(), offset, origin);
  return position_;
}

TWFileStream::TWFileStream(const WideString& fileName, unsigned mode) : fileName_(fileName) {
  if (mode == kCreateMode) {
    handle_ = WideFileCreate(fileName);
    if (handle_ < 0) {
      const int error = errno;
      throw EFCreateError("Cannot create file \"" + WideToUtf8(WideExpandFileName(fileName)) + "\". " +
                          SysErrorMessage(error));
    }
    writable_ = true;
    return;
  }
  handle_ = WideFileOpen(fileName, mode, openedInfo_);
  if (handle_ < 0) {
    const int error = errno;
    throw EFOpenError(
        "Cannot open file \"" + WideToUtf8(WideExpandFileName(fileName)) + "\". " + SysErrorMessage(error), error);
  }
  opened_ = true;
  writable_ = (mode & 3) != 0;
}

TWFileStream::~TWFileStream() {
  if (handle_ >= 0) {
    ::close(handle_);
  }
}

namespace {

// Repeats a transfer until it moved every byte, stopped early, or failed; an interruption is retried.
template <typename Transfer>
std::size_t TransferAll(std::size_t count, Transfer transfer) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = transfer(done);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  return done;
}

}  // namespace

std::size_t TWFileStream::Read(void* buffer, std::size_t count) {
  auto* bytes = static_cast<char*>(buffer);
  return TransferAll(count, [&](std::size_t done) { return ::read(handle_, bytes + done, count - done); });
}

std::size_t TWFileStream::Write(const void* buffer, std::size_t count) {
  const auto* bytes = static_cast<const char*>(buffer);
  return TransferAll(count, [&](std::size_t done) { return ::write(handle_, bytes + done, count - done); });
}

std::size_t TWFileStream::ReadFrom(std::int64_t position, void* buffer, std::size_t count) {
  auto* bytes = static_cast<char*>(buffer);
  return TransferAll(count, [&](std::size_t done) {
    return ::pread(handle_, bytes + done, count - done, static_cast<off_t>(position) + static_cast<off_t>(done));
  });
}

std::int64_t TWFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  int whence = SEEK_SET;
  if (origin == TSeekOrigin::soCurrent) {
    whence = SEEK_CUR;
  } else if (origin == TSeekOrigin::soEnd) {
    whence = SEEK_END;
  }
  const off_t result = ::lseek(handle_, static_cast<off_t>(offset), whence);
  if (result < 0) {
    throw EStreamError("Seek error: " + SysErrorMessage(errno));
  }
  return result;
}

std::int64_t TWFileStream::Size() {
  struct stat info {};
  if (::fstat(handle_, &info) != 0) {
    throw EStreamError(SysErrorMessage(errno));
  }
  return info.st_size;
}

void TWFileStream::SetSize(std::int64_t size) {
  if (::ftruncate(handle_, static_cast<off_t>(size)) != 0) {
    throw EWriteError();
  }
}

}  // namespace kestrune::zip
