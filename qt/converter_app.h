#pragma once
// The application object: it builds the main dialog, runs the start-up
// batch before the window is shown, runs the dialog modally and ends when
// the dialog closes. Nothing is saved at exit.

#include <filesystem>
#include <optional>

#include "output/text_pager.h"

namespace pelkora::dialog {

// Returns 0 when the dialog has closed.
int runConverterApp(int& argc, char** argv, const std::optional<std::filesystem::path>& sourceFolder,
                    const output::TextPagerOptions& pagerOptions);

}  // namespace pelkora::dialog
