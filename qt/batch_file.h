#pragma once
// Convert's batch file, started beside the dialog and left to run.

#include <filesystem>

class QProcess;

namespace pelkora::dialog {

// Starts the batch file in workDirectory without waiting for it: an
// executable file directly, any other (or an executable that cannot start
// by itself) through /bin/sh. Null when it did not start; the process has
// no parent, and its finished() tells how it ended.
QProcess* startBatchFile(const std::filesystem::path& batchFile, const std::filesystem::path& workDirectory);

}  // namespace pelkora::dialog
