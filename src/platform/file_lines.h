#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/text_file.h"

namespace kestrune::platform {

// The lines of a file read a block at a time, by the line rules of TextLines, so that a file of any
// size costs one block and its longest line. For support files that are indexed or filtered rather
// than held: each line comes with the offset of its first byte, and reading may start at such an
// offset to show one entry.
class FileLines {
 public:
  // Longer lines are cut after this many bytes; the rest of such a line is skipped.
  static constexpr std::size_t kMaxLineBytes = std::size_t{1} << 20;

  FileLines() = default;
  ~FileLines();
  FileLines(const FileLines&) = delete;
  FileLines& operator=(const FileLines&) = delete;

  // Opens a regular file of at most maxBytes (a folder, pipe or device is refused without waiting)
  // and reads on from `offset`. On failure returns false and puts a message naming the file into *error.
  bool Open(const std::filesystem::path& path, std::string* error, std::uint64_t offset = 0,
            std::uint64_t maxBytes = kMaxTextFileBytes);
  // The next line (valid until the next call) and the offset of its first byte; false after the last
  // line, or when reading failed (then Failed() is true and Error() says why).
  bool Next(std::string_view& line, std::uint64_t& offset);
  // The next line that holds `text` (which holds no line end), as Next gives it; the lines between
  // are passed over without being split one by one, for indexes that look only at a few lines.
  bool NextHolding(std::string_view text, std::string_view& line, std::uint64_t& offset);
  bool Failed() const { return !error_.empty(); }
  const std::string& Error() const { return error_; }

 private:
  bool Fill();

  int fd_ = -1;
  std::filesystem::path path_;
  std::uint64_t maxBytes_ = 0;
  std::uint64_t readTo_ = 0;      // file offset of the byte after the last one read
  std::uint64_t bufferStart_ = 0;  // file offset of buffer_[0]
  std::string buffer_;
  std::size_t begin_ = 0;       // the first byte of buffer_ not yet returned
  std::size_t searchFrom_ = 0;  // buffer_ holds no line end from begin_ up to here
  bool eof_ = true;
  bool skipping_ = false;  // inside the rest of a cut line
  std::string error_;
};

}  // namespace kestrune::platform
