#pragma once
// The dialog lives in a program of its own beside this one, so that the
// commands without a window never load the widget libraries: loading them
// costs every headless run a few milliseconds at start, about a tenth of a
// whole batch. This program hands the dialog over to it.

namespace pelkora::cli {

// The file name of the dialog program, found in this program's folder.
inline constexpr const char* kDialogProgramName = "pelkora-dialog";

// Replaces this process with the dialog program, given the same arguments.
// Returns only when that fails, with the exit status to end with, after
// saying why; where the system cannot replace a process, once the dialog
// program has ended, with its exit status.
int runDialogProgram(char** argv);

}  // namespace pelkora::cli
