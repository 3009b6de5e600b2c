#include "platform/termination.h"

#include <csignal>

namespace kestrune::platform {
namespace {

// Written by a signal handler, so a plain flag of the one type a handler may write.
volatile std::sig_atomic_t requested = 0;

}  // namespace

void NoteTerminationRequest() { requested = 1; }

bool TerminationRequested() { return requested != 0; }

}  // namespace kestrune::platform
