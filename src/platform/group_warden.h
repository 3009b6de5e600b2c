#pragma once

#include <sys/types.h>

#include <string>

// Ends a process group when this program ends, however it ends: killed, crashed or closed. A signal at
// the parent's death reaches only the program started, not what that program starts in turn (a MAME
// script's real MAME), and nothing of this program runs any more once it is killed. So a small process
// of its own, the warden, waits on a socket whose other end only this program and the group's leader
// hold: when both are gone the socket reads as ended and the warden ends the group, asking first and
// then killing. Released, it leaves without touching anything.
namespace kestrune::platform {

// Whether no process of the group is left. Async-signal-safe.
bool ProcessGroupGone(pid_t group);

class GroupWarden {
 public:
  GroupWarden() = default;
  // Without Release, the warden ends the group it was told of.
  ~GroupWarden();
  GroupWarden(const GroupWarden&) = delete;
  GroupWarden& operator=(const GroupWarden&) = delete;

  // Starts the warden, before the group's leader is started. False, with the reason, when it cannot.
  bool Start(std::string* error);
  // The descriptor the leader tells its group through (closed on exec); -1 before Start.
  int LeaderSocket() const { return socket_; }
  // Tells the warden that the calling process leads the group to watch. Only async-signal-safe calls:
  // for the started program, between fork and exec.
  static void TellGroupOfCaller(int leaderSocket);
  // The group is no longer this program's to end (it has ended, or was never started): the warden leaves.
  void Release();

 private:
  int socket_ = -1;
  pid_t warden_ = 0;
};

}  // namespace kestrune::platform
