#pragma once
// The package on one sheet, drawn with the toolkit's painter and fonts.

#include <filesystem>
#include <iosfwd>

namespace pelkora::preview {

// One sheet of the package in playlist order. Needs a QGuiApplication for
// its fonts. Exit status 0 when the sheet was written.
int previewPackage(const std::filesystem::path& folder, const std::filesystem::path& sheet, bool quiet,
                   std::ostream& out, std::ostream& err);

}  // namespace pelkora::preview
