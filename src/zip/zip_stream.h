#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "zip/wide_string.h"

// Byte streams the archiver reads and writes: a file opened by wide name and a memory stream.
namespace kestrune::zip {

class EStreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
class EReadError : public EStreamError {
 public:
  EReadError() : EStreamError("Stream read error") {}
};
class EWriteError : public EStreamError {
 public:
  EWriteError() : EStreamError("Stream write error") {}
};
// "Cannot create file "%s". %s" and "Cannot open file "%s". %s".
class EFCreateError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EFOpenError : public EStreamError {
 public:
  using EStreamError::EStreamError;
  EFOpenError(const std::string& message, int error) : EStreamError(message), error_(error) {}
  // The system's error number (errno) of the failed open; 0 when not known.
  int ErrorNumber() const { return error_; }

 private:
  int error_ = 0;
};

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

// Where a seek lands in a stream that keeps its own position; never before its start.
std::int64_t SeekTarget(std::int64_t position, std::int64_t size, std::int64_t offset, TSeekOrigin origin);

class TStream {
 public:
  virtual ~TStream() = default;
  // Read and Write return the number of bytes moved, which may be short.
  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
  virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
  virtual std::int64_t Size() = 0;
  virtual void SetSize(std::int64_t size) = 0;

  std::int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
  // All of count or EReadError / EWriteError.
  void ReadBuffer(void* buffer, std::size_t count);
  void WriteBuffer(const void* buffer, std::size_t count);
  // count bytes at position, read whole (EReadError when the stream is shorter or position is negative).
  std::vector<std::uint8_t> ReadAt(std::int64_t position, std::size_t count);
  // Up to count bytes at position into buffer; returns how many. The stream's position after it is
  // unspecified.
  virtual std::size_t ReadFrom(std::int64_t position, void* buffer, std::size_t count);
  // Copies count bytes from source at its position (0: the whole source from its start).
  std::int64_t CopyFrom(TStream& source, std::int64_t count);
};

class TMemoryStream : public TStream {
 public:
  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }
  void SetSize(std::int64_t size) override;
  const std::vector<std::uint8_t>& Data() const { return data_; }
  void Clear();

 private:
  std::vector<std::uint8_t> data_;
  std::int64_t position_ = 0;
};

// Reads bytes held elsewhere without copying them; writing is refused (0 bytes written).
class TBytesStream : public TStream {
 public:
  explicit TBytesStream(std::string_view bytes) : bytes_(bytes) {}
  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void*, std::size_t) override { return 0; }
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override { return static_cast<std::int64_t>(bytes_.size()); }
  void SetSize(std::int64_t) override { throw EWriteError(); }

 private:
  std::string_view bytes_;
  std::int64_t position_ = 0;
};

// A file stream opened by wide name. Mode 0xFFFF creates (or empties) the file; any other mode opens an
// existing file with the access of its low two bits (0 read, 1 write, 2 read and write).
class TWFileStream : public TStream {
 public:
  static constexpr unsigned kCreateMode = 0xFFFF;
  TWFileStream(const WideString& fileName, unsigned mode);
  ~TWFileStream() override;
  TWFileStream(const TWFileStream&) = delete;
  TWFileStream& operator=(const TWFileStream&) = delete;

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override;
  void SetSize(std::int64_t size) override;
  std::size_t ReadFrom(std::int64_t position, void* buffer, std::size_t count) override;
  const WideString& FileName() const { return fileName_; }
  int Handle() const { return handle_; }
  bool Writable() const { return writable_; }
  // What fstat said of the file when it was opened (not when it was created); null when unknown.
  const struct stat* OpenedInfo() const { return opened_ ? &openedInfo_ : nullptr; }

 private:
  WideString fileName_;
  int handle_ = -1;
  bool writable_ = false;
  struct stat openedInfo_ {};
  bool opened_ = false;
};

}  // namespace kestrune::zip
