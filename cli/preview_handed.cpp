#include "cli/handed_program.h"
#include "cli/preview_command.h"

namespace pelkora::cli {

int runPreview(const session::CommandLine&, char** argv) { return runHandedProgram(kPreviewProgram, argv); }

}  // namespace pelkora::cli
