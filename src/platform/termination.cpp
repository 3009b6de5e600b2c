#include "platform/termination.h"

#include <atomic>

namespace kestrune::platform {
namespace {

// Written by signal handlers, which can run on two threads at the same moment; a lock-free atomic is
// safe in a handler and lets exactly one request be the first.
std::atomic<int> requested{0};
static_assert(std::atomic<int>::is_always_lock_free);

}  // namespace

bool NoteTerminationRequest() { return requested.exchange(1) == 0; }

bool TerminationRequested() { return requested.load() != 0; }

}  // namespace kestrune::platform
