#include "support/file_util.h"

#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace kestrune::test {

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw std::runtime_error("cannot read " + path.string());
  }
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) {
    throw std::runtime_error("cannot write " + path.string());
  }
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    throw std::runtime_error("short write to " + path.string());
  }
}

bool HasWholeLine(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string line;
  return in && std::getline(in, line) && !in.eof();
}

// Without the environment's folder, the source tree's: a folder relative to the working directory would
// name another one once a test has made its program folder the working directory.
std::filesystem::path TestDataDir() {
  const char* dir = std::getenv("KESTRUNE_TEST_DATA");
  return dir != nullptr && *dir != '\0' ? std::filesystem::path(dir) : std::filesystem::path(KESTRUNE_SOURCE_TEST_DATA);
}

ScopedFileSizeLimit::ScopedFileSizeLimit(long long bytes) {
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  oldSoft_ = old.rlim_cur;
  oldHard_ = old.rlim_max;
  // Without this the kernel kills the process with SIGXFSZ instead of failing the write.
  oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limited{static_cast<rlim_t>(bytes), old.rlim_max};
  if (setrlimit(RLIMIT_FSIZE, &limited) != 0) {
    throw std::runtime_error("setrlimit failed");
  }
}

ScopedFileSizeLimit::~ScopedFileSizeLimit() {
  rlimit old{static_cast<rlim_t>(oldSoft_), static_cast<rlim_t>(oldHard_)};
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler_);
}

}  // namespace kestrune::test
