#pragma once
// The dialog and the preview sheet live in programs of their own beside this
// one, so that the commands without a window never load a toolkit: loading
// one costs every headless run milliseconds at start, about a tenth of a
// whole batch. This program hands such a command over to them.

namespace pelkora::cli {

struct HandedProgram {
    const char* file;  // found in this program's folder
    const char* what;  // as the user is told of it
};

inline constexpr HandedProgram kDialogProgram{"pelkora-dialog", "dialog"};
inline constexpr HandedProgram kPreviewProgram{"pelkora-preview", "preview"};

// Replaces this process with the program, given the same arguments. Returns
// only when that fails, with the exit status to end with, after saying why;
// where the system cannot replace a process, once the program has ended,
// with its exit status.
int runHandedProgram(const HandedProgram& program, char** argv);

}  // namespace pelkora::cli
