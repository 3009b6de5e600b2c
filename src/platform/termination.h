#pragma once

// The program's end as a signal asks for it (a logout, Ctrl+C): noted by the signal handler and read by
// the waits that could otherwise hold the GUI thread past the moment the program has to end (a MAME
// that does not answer -showconfig).
namespace kestrune::platform {

// Safe in a signal handler: it only sets a flag. True for the first request only.
bool NoteTerminationRequest();
bool TerminationRequested();

}  // namespace kestrune::platform
