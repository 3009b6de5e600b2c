#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kestrune::test {

// Whole-file helpers for tests; they throw on failure so a broken fixture stops the test loudly.
std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);

// True once the file holds at least one whole line: a script's `echo ... > file` creates the file
// before it writes the text.
bool HasWholeLine(const std::filesystem::path& path);

// The folder of checked-in fixtures (tests/data).
std::filesystem::path TestDataDir();

// Limits the size of files this process may write while it lives, so that a write fails half-way
// with EFBIG; used to prove that a failed save leaves the old file whole.
class ScopedFileSizeLimit {
public:
  explicit ScopedFileSizeLimit(long long bytes);
  ~ScopedFileSizeLimit();
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

private:
  unsigned long long oldSoft_;
  unsigned long long oldHard_;
  void (*oldHandler_)(int);
};

}  // namespace kestrune::test
