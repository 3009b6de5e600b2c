#include "platform/output_copier.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/text_file.h"

namespace kestrune::platform {
namespace {

constexpr std::size_t kBufferBytes = std::size_t{1} << 16;
// What a pipe holds when its size cannot be asked.
constexpr std::size_t kDefaultPipeBytes = std::size_t{1} << 16;

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

std::size_t PipeBytes(int fd) {
#ifdef F_GETPIPE_SZ
  const int size = ::fcntl(fd, F_GETPIPE_SZ);
  if (size > 0) return static_cast<std::size_t>(size);
#endif
  return kDefaultPipeBytes;
}

}  // namespace

OutputCopier::~OutputCopier() { Finish(); }

bool OutputCopier::Open(const std::filesystem::path& file, std::string* error) {
  int program[2] = {-1, -1};
  int wake[2] = {-1, -1};
  fileFd_ = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
  if (fileFd_ < 0 || ::pipe2(program, O_CLOEXEC) != 0 || ::pipe2(wake, O_CLOEXEC) != 0) {
    const int code = errno;
    for (int fd : {program[0], program[1], wake[0], wake[1]}) {
      if (fd >= 0) ::close(fd);
    }
    CloseFd(fileFd_);
    if (error != nullptr) *error = "Cannot write \"" + file.string() + "\": " + std::strerror(code);
    return false;
  }
  pipeFd_ = program[0];
  programEnd_ = program[1];
  wakeRead_ = wake[0];
  wakeWrite_ = wake[1];
  // The program's end stays blocking: a program that writes faster than the disk takes it waits.
  ::fcntl(pipeFd_, F_SETFL, ::fcntl(pipeFd_, F_GETFL) | O_NONBLOCK);
  buffer_.resize(kBufferBytes);
  thread_ = std::thread([this] { Copy(); });
  return true;
}

void OutputCopier::ProgramStarted() { CloseFd(programEnd_); }

bool OutputCopier::CopyAvailable(std::size_t limit) {
  for (std::size_t copied = 0; copied < limit;) {
    const ssize_t got = ::read(pipeFd_, buffer_.data(), buffer_.size());
    if (got < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) return true;
      // What the program wrote can no longer be read: the file would be short without saying so.
      writeError_ = std::strerror(errno);
      return false;
    }
    if (got == 0) return false;
    if (!WriteAll(fileFd_, std::string_view(buffer_.data(), static_cast<std::size_t>(got)))) {
      writeError_ = std::strerror(errno);
      return false;
    }
    copied += static_cast<std::size_t>(got);
  }
  return true;
}

void OutputCopier::Copy() {
  for (;;) {
    pollfd fds[2] = {{pipeFd_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      writeError_ = std::strerror(errno);
      break;
    }
    if (fds[1].revents != 0) {
      // The program has ended, so all it wrote is in the pipe already: at most the pipe's size. A
      // process it left behind that writes on must not keep the copy going for ever.
      CopyAvailable(PipeBytes(pipeFd_));
      break;
    }
    if (fds[0].revents != 0 && !CopyAvailable(kBufferBytes * 16)) break;
  }
  // A program writing into a file that failed is stopped by the closed pipe rather than writing on into
  // nothing; one that has ended does not notice.
  CloseFd(pipeFd_);
}

void OutputCopier::Finish() {
  if (thread_.joinable()) {
    const char wake = 'w';
    while (::write(wakeWrite_, &wake, 1) < 0 && errno == EINTR) {
    }
    thread_.join();
  }
  if (fileFd_ >= 0 && ::close(fileFd_) != 0 && writeError_.empty()) writeError_ = std::strerror(errno);
  fileFd_ = -1;
  CloseAll();
}

void OutputCopier::CloseAll() {
  for (int* fd : {&pipeFd_, &programEnd_, &wakeRead_, &wakeWrite_}) CloseFd(*fd);
}

}  // namespace kestrune::platform
