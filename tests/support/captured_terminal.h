#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace kestrune::test {

// While it lives, what this process and the programs it starts write to standard output and error goes
// to a file instead.
class CapturedTerminal {
 public:
  explicit CapturedTerminal(const std::filesystem::path& file) {
    std::fflush(stdout);
    std::fflush(stderr);
    file_ = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    for (int fd : {1, 2}) {
      saved_[fd - 1] = ::dup(fd);
      ::dup2(file_, fd);
    }
  }
  ~CapturedTerminal() {
    std::fflush(stdout);
    std::fflush(stderr);
    for (int fd : {1, 2}) {
      ::dup2(saved_[fd - 1], fd);
      ::close(saved_[fd - 1]);
    }
    ::close(file_);
  }
  CapturedTerminal(const CapturedTerminal&) = delete;
  CapturedTerminal& operator=(const CapturedTerminal&) = delete;

 private:
  int file_ = -1;
  int saved_[2] = {-1, -1};
};

}  // namespace kestrune::test
