#pragma once
// --preview: the sheet is drawn here where the system's own text drawing
// needs no toolkit (Windows), else by the sheet program beside this one.

#include <functional>

#include "session/command_line.h"
#include "sheet/package_sheet.h"

namespace pelkora::cli {

sheet::SheetRequest sheetRequest(const session::CommandLine& commandLine);

// Runs draw (which draws the sheet and gives the exit status) under the
// package's shared lock. Asked to stop, the sheet is finished (or never
// begun) and the program then ends as asked: no half-written sheet, no
// temporary file.
int drawSheetHeld(const session::CommandLine& commandLine, const std::function<int()>& draw);

// The exit status of the command.
int runPreview(const session::CommandLine& commandLine, char** argv);

}  // namespace pelkora::cli
