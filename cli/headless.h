#pragma once
// The commands that run without a window: conversions, and the review of
// files and packages.

#include <iosfwd>

#include "session/command_line.h"

namespace pelkora::cli {

// Exit status: 0 when every input produced output, 1 when one did not, 2 for
// a usage error.
int runHeadless(const session::CommandLine& commandLine, std::ostream& out, std::ostream& err);

// The commands that write files: asked to stop (platform/interruption.h),
// they stop between two files rather than at once.
bool writesFiles(session::CommandLine::Mode mode);

// What a run stopped by request says before it ends as the request would.
void reportInterruption(int request, std::ostream& err);

}  // namespace pelkora::cli
