#include "platform/termination_qt.h"

#include "platform/termination.h"

#include <QSocketNotifier>

#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace kestrune::platform {
namespace {

// A signal handler may only write to a descriptor; the GUI thread reads the other end. One pair for
// the process, as there is one set of signal handlers.
int signalPipe[2] = {-1, -1};

void WriteToStderr(const char* text) {
  [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text, std::strlen(text));
}

// The orderly end did not come in time (the GUI thread is stuck): what was saved is saved.
void OnGraceOver(int) {
  WriteToStderr("kestrune: the program did not end in time after it was asked to; it ends now\n");
  ::_exit(1);
}

void OnSignal(int signal) {
  // A second request is the user insisting (or a session that will not wait): end at once.
  if (!NoteTerminationRequest()) {
    WriteToStderr("kestrune: asked again to end; it ends now without saving\n");
    ::_exit(128 + signal);
  }
  ::alarm(TerminationWatcher::kGraceSeconds);
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(signalPipe[0], &byte, 1);
}

}  // namespace

TerminationWatcher::TerminationWatcher(QObject* parent) : QObject(parent) {
  if (signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) {
    qWarning("kestrune: cannot watch for termination signals");
    return;
  }
  notifier_ = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TerminationWatcher::ReadSignal);
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  struct sigaction grace {};
  grace.sa_handler = OnGraceOver;
  sigemptyset(&grace.sa_mask);
  sigaction(SIGALRM, &grace, nullptr);
}

TerminationWatcher::~TerminationWatcher() {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

void TerminationWatcher::ReadSignal() {
  char byte = 0;
  [[maybe_unused]] const ssize_t read = ::read(signalPipe[1], &byte, 1);
  emit terminationRequested();
}

}  // namespace kestrune::platform
