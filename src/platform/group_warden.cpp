#include "platform/group_warden.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>

namespace kestrune::platform {
namespace {

// How long the group is given to end after it was asked, in steps of kEndStepNs.
constexpr int kEndSteps = 60;
constexpr long kEndStepNs = 50'000'000;
// A released warden leaves at once; it is waited for no longer than a second, in steps of 1 ms.
constexpr int kReleaseSteps = 1000;
constexpr long kReleaseStepNs = 1'000'000;
// How often a warden looks whether its group has ended by itself.
constexpr int kGroupLookMs = 1000;

void Pause(long nanoseconds) {
  timespec step{0, nanoseconds};
  ::nanosleep(&step, nullptr);
}

void EndGroup(pid_t group) {
  ::kill(-group, SIGTERM);
  for (int i = 0; i < kEndSteps && !ProcessGroupGone(group); ++i) Pause(kEndStepNs);
  ::kill(-group, SIGKILL);
}

// Everything after fork is async-signal-safe: the program forked has other threads, whose locks the
// warden may hold a copy of.
void SetUpWarden(int socket) {
  // Out of the terminal's process group, so that Ctrl+C or a hang-up ends the program, not its warden.
  ::setpgid(0, 0);
  struct sigaction action {};
  sigemptyset(&action.sa_mask);
  action.sa_handler = SIG_IGN;
  for (int signal : {SIGINT, SIGHUP, SIGQUIT, SIGPIPE}) ::sigaction(signal, &action, nullptr);
  action.sa_handler = SIG_DFL;
  ::sigaction(SIGTERM, &action, nullptr);
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  // It holds nothing of the program's: no terminal, no pipe another process waits to see closed, no
  // other warden's socket (which would keep that warden from seeing the program's end).
  ::dup2(socket, STDIN_FILENO);
  if (::close_range(1, ~0U, 0) != 0) {
    for (int fd = 1; fd < 4096; ++fd) ::close(fd);
  }
}

[[noreturn]] void RunWarden(int socket) {
  SetUpWarden(socket);
  pid_t group = 0;
  for (;;) {
    // A group that has ended by itself is no longer this warden's: its number may come to name another.
    pollfd wait{STDIN_FILENO, POLLIN, 0};
    if (::poll(&wait, 1, kGroupLookMs) == 0) {
      if (group > 1 && ProcessGroupGone(group)) ::_exit(0);
      continue;
    }
    char message[sizeof(pid_t)];
    const ssize_t got = ::recv(STDIN_FILENO, message, sizeof message, MSG_DONTWAIT);
    if (got < 0 && errno == EAGAIN) continue;
    if (got < 0 && errno == EINTR) continue;
    if (got == static_cast<ssize_t>(sizeof group)) {
      std::memcpy(&group, message, sizeof group);
      continue;
    }
    if (got > 0) ::_exit(0);  // released
    break;                    // the program and the leader are gone
  }
  if (group > 1) EndGroup(group);
  ::_exit(0);
}

}  // namespace

bool ProcessGroupGone(pid_t group) { return ::kill(-group, 0) == -1 && errno == ESRCH; }

GroupWarden::~GroupWarden() {
  if (socket_ >= 0) ::close(socket_);
}

bool GroupWarden::Start(std::string* error) {
  int sockets[2];
  // Message boundaries tell a group from a release; closed on exec, so that only the program and the
  // leader (until its exec) hold this end.
  if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, sockets) != 0) {
    if (error != nullptr) *error = std::string("Cannot watch the program's processes: ") + std::strerror(errno);
    return false;
  }
  const pid_t pid = ::fork();
  if (pid == 0) RunWarden(sockets[1]);
  const int code = errno;
  ::close(sockets[1]);
  if (pid < 0) {
    ::close(sockets[0]);
    if (error != nullptr) *error = std::string("Cannot watch the program's processes: ") + std::strerror(code);
    return false;
  }
  socket_ = sockets[0];
  warden_ = pid;
  return true;
}

void GroupWarden::TellGroupOfCaller(int leaderSocket) {
  const pid_t self = ::getpid();
  ::send(leaderSocket, &self, sizeof self, MSG_NOSIGNAL);
}

void GroupWarden::Release() {
  if (socket_ >= 0) {
    const char release = 'r';
    ::send(socket_, &release, 1, MSG_NOSIGNAL);
    ::close(socket_);
    socket_ = -1;
  }
  if (warden_ <= 0) return;
  for (int i = 0; i < kReleaseSteps; ++i) {
    const pid_t done = ::waitpid(warden_, nullptr, WNOHANG);
    if (done == warden_ || (done < 0 && errno != EINTR)) break;
    Pause(kReleaseStepNs);
  }
  warden_ = 0;
}

}  // namespace kestrune::platform
