#pragma once
// A request to stop from outside (Ctrl+C, a terminal hung up, a polite
// kill) is noted rather than obeyed at once, so that a run that writes
// files stops between two of them: the file being written is finished and
// given its playlist line, nothing is left under a temporary name, and the
// program then ends as the request would have ended it.

namespace pelkora::platform {

// From now on SIGINT, SIGTERM and SIGHUP (on Windows Ctrl+C, Ctrl+Break and
// the console's closing) are noted instead of ending the program. Call it
// once, early, in a program whose work looks at interruption().
void noteInterruptions();

// The request noted so far, as its signal number; 0 while there is none.
int interruption();

// What the request is called, for the user ("SIGINT", ...).
const char* interruptionName(int request);

// Ends the program as the request would have ended it unnoted: the
// signal's default action (so the parent sees the signal), or on Windows
// the exit status of a console program stopped by Ctrl+C.
[[noreturn]] void endAsInterrupted(int request);

}  // namespace pelkora::platform
