#pragma once
// --preview: the sheet is drawn here where the system's own text drawing
// needs no toolkit (Windows), else by the sheet program beside this one.

#include "session/command_line.h"
#include "sheet/package_sheet.h"

namespace pelkora::cli {

sheet::SheetRequest sheetRequest(const session::CommandLine& commandLine);

// The exit status of the command.
int runPreview(const session::CommandLine& commandLine, char** argv);

}  // namespace pelkora::cli
