#include "settings/mame_query.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <thread>

#include "platform/code_pages.h"
#include "platform/termination.h"
#include "platform/text_file.h"

extern char** environ;

namespace kestrune::settings {
namespace {

using Clock = std::chrono::steady_clock;

std::string CommandText(const std::filesystem::path& program, const std::vector<std::string>& arguments) {
  std::string text = program.string();
  for (const std::string& argument : arguments) {
    text += " " + argument;
  }
  return "\"" + text + "\"";
}

bool Fail(std::string* error, std::string text) {
  if (error != nullptr) {
    *error = std::move(text);
  }
  return false;
}

// Starts the program with its standard output on the pipe's write end; the caller closes that end.
int Spawn(const std::filesystem::path& program, const std::vector<std::string>& arguments, int outputFd, pid_t& pid) {
  std::vector<std::string> words{program.string()};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) {
    argv.push_back(word.data());
  }
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  // A group of its own, so that stopping it also stops whatever it started.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);
  posix_spawnattr_setpgroup(&attributes, 0);
  // The program ignores a file-size limit's signal for its own saves; MAME gets the usual behaviour.
  sigset_t byDefault;
  sigemptyset(&byDefault);
  sigaddset(&byDefault, SIGXFSZ);
  posix_spawnattr_setsigdefault(&attributes, &byDefault);
  const int result = ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return result;
}

enum class ReadEnd { Finished, Enough, TimedOut, TooMuch, Failed, Stopped };

// The longest a wait goes without looking whether the program is asked to end.
constexpr long long kWaitSliceMs = 100;

ReadEnd ReadUntil(int fd, Clock::time_point deadline, std::size_t maxBytes, std::string& output,
                  const OutputCheck& enough) {
  char buffer[1 << 16];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
      return ReadEnd::TimedOut;
    }
    if (platform::TerminationRequested()) {
      return ReadEnd::Stopped;
    }
    pollfd ready{fd, POLLIN, 0};
    const int polled = ::poll(&ready, 1, static_cast<int>(std::min<long long>(left, kWaitSliceMs)));
    if (polled < 0 && errno != EINTR) {
      return ReadEnd::Failed;
    }
    if (polled <= 0) {
      continue;
    }
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR || errno == EAGAIN) {
        continue;
      }
      return ReadEnd::Failed;
    }
    if (got == 0) {
      return ReadEnd::Finished;
    }
    if (static_cast<std::size_t>(got) > maxBytes - output.size()) {
      return ReadEnd::TooMuch;
    }
    output.append(buffer, static_cast<std::size_t>(got));
    if (enough && enough(output)) {
      return ReadEnd::Enough;
    }
  }
}

// A program may close its output and still run on; it is given until the deadline, then killed, so
// the caller never waits longer than it asked to.
int WaitUntil(pid_t pid, Clock::time_point deadline, bool killNow, bool& killed) {
  int status = 0;
  killed = killNow;
  if (!killNow) {
    for (;;) {
      const pid_t done = ::waitpid(pid, &status, WNOHANG);
      if (done == pid || (done < 0 && errno != EINTR)) {
        return status;
      }
      if (Clock::now() >= deadline || platform::TerminationRequested()) {
        killed = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  ::kill(-pid, SIGKILL);
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

std::string WithoutQuotes(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

// How a run ended; Run sets its error unless the program ended by itself with exit code 0 or had enough.
struct RunEnd {
  ReadEnd read = ReadEnd::Failed;
  bool killed = false;
  int status = 0;
};

RunEnd Run(const std::filesystem::path& program, const std::vector<std::string>& arguments, std::string& output,
           std::string* error, std::chrono::milliseconds timeout, std::size_t maxBytes, const OutputCheck& enough) {
  const std::string command = CommandText(program, arguments);
  RunEnd end;
  output.clear();
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    Fail(error, "Cannot run " + command + ": " + std::strerror(errno));
    return end;
  }
  const auto deadline = Clock::now() + timeout;
  pid_t pid = 0;
  const int spawned = Spawn(program, arguments, fds[1], pid);
  ::close(fds[1]);
  if (spawned != 0) {
    ::close(fds[0]);
    Fail(error, "Cannot run " + command + ": " + std::strerror(spawned));
    return end;
  }
  end.read = ReadUntil(fds[0], deadline, maxBytes, output, enough);
  const int readError = errno;
  ::close(fds[0]);
  end.status = WaitUntil(pid, deadline, end.read != ReadEnd::Finished, end.killed);
  switch (end.read) {
    case ReadEnd::TimedOut:
      Fail(error, command + " did not finish within " + std::to_string(timeout.count()) + " ms and was stopped");
      break;
    case ReadEnd::TooMuch:
      Fail(error, command + " wrote more than " + std::to_string(maxBytes) + " bytes and was stopped");
      break;
    case ReadEnd::Failed:
      Fail(error, "Cannot read the output of " + command + ": " + std::strerror(readError));
      break;
    case ReadEnd::Stopped:
      Fail(error, command + " was stopped because Kestrune is ending");
      break;
    case ReadEnd::Finished:
      if (end.killed) {
        Fail(error, command + " did not finish within " + std::to_string(timeout.count()) + " ms and was stopped");
      } else if (WIFSIGNALED(end.status)) {
        Fail(error, command + " was ended by signal " + std::to_string(WTERMSIG(end.status)));
      } else if (!WIFEXITED(end.status) || WEXITSTATUS(end.status) != 0) {
        Fail(error, command + " ended with exit code " + std::to_string(WEXITSTATUS(end.status)));
      }
      break;
    case ReadEnd::Enough:
      break;
  }
  return end;
}

}  // namespace

bool RunForOutput(const std::filesystem::path& program, const std::vector<std::string>& arguments, std::string& output,
                  std::string* error, std::chrono::milliseconds timeout, std::size_t maxBytes) {
  const RunEnd end = Run(program, arguments, output, error, timeout, maxBytes, {});
  return end.read == ReadEnd::Finished && !end.killed && WIFEXITED(end.status) && WEXITSTATUS(end.status) == 0;
}

bool RunUntilEnough(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                    std::string& output, const OutputCheck& enough, std::string* error,
                    std::chrono::milliseconds timeout, std::size_t maxBytes) {
  std::string why;
  const RunEnd end = Run(program, arguments, output, &why, timeout, maxBytes, enough);
  // A program that ended by itself, whatever its exit code, said all it had to say.
  if (end.read == ReadEnd::Enough || (end.read == ReadEnd::Finished && !end.killed)) {
    return true;
  }
  return Fail(error, std::move(why));
}

std::vector<MamePathOption> MameOwnPathsFromConfig(std::string_view showConfig) {
  std::vector<MamePathOption> paths;
  for (std::string_view line : platform::SplitTextLines(showConfig)) {
    const std::size_t blank = line.find_first_of(" \t");
    const std::string_view key = line.substr(0, blank);
    if (blank == std::string_view::npos || key.starts_with('#')) {
      continue;
    }
    SetMameOwnPath(paths, key, WithoutQuotes(platform::TrimBlanks(line.substr(blank))));
  }
  return paths;
}

bool AskMameOwnPaths(const std::filesystem::path& mame, std::vector<MamePathOption>& paths, std::string* error) {
  std::string output;
  if (!RunForOutput(mame, {"-showconfig"}, output, error)) {
    return false;
  }
  paths = MameOwnPathsFromConfig(output);
  return true;
}

}  // namespace kestrune::settings
