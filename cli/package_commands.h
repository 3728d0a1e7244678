#pragma once
// The commands that edit a written package in place, and its listing.

#include <iosfwd>

#include "session/command_line.h"

namespace pelkora::cli {

// --list, --remove, --move, --set-time, --set-time-all, --restore. Exit
// status 0 when done, 1 when the package could not be read or changed (and
// then it is as it was).
int runPackageCommand(const session::CommandLine& commandLine, std::ostream& out, std::ostream& err);

}  // namespace pelkora::cli
