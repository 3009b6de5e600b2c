#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// The archiver opens files by name, so each input is written to one scratch file per fuzzing
// process, removed when the process ends.
class FuzzInputFile {
 public:
  explicit FuzzInputFile(const char* target)
      : path_("/tmp/kestrune-" + std::string(target) + "-" + std::to_string(::getpid()) + ".zip") {}
  ~FuzzInputFile() { std::remove(path_.c_str()); }
  FuzzInputFile(const FuzzInputFile&) = delete;
  FuzzInputFile& operator=(const FuzzInputFile&) = delete;

  const std::string& path() const { return path_; }

  // Replaces the file's bytes with the input; false when the file cannot be written.
  bool Write(const std::uint8_t* data, std::size_t size) const {
    std::FILE* file = std::fopen(path_.c_str(), "wb");
    if (file == nullptr) {
      return false;
    }
    const bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
  }

 private:
  std::string path_;
};
