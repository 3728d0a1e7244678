#pragma once
// `pelkora --preview ADV --to LOOP.gif`: the loop as an animation, its
// letters from the system's fonts through the glyph painter.

#include <filesystem>
#include <iosfwd>

#include "sheet/glyph_painter.h"

namespace pelkora::session {

// True for a --to that asks for the animation rather than the sheet.
bool wantsLoop(const std::filesystem::path& to);

// Exit status 0 when the animation was written whole, 1 otherwise.
int previewLoop(const std::filesystem::path& folder, const std::filesystem::path& gifPath, bool quiet,
                sheet::GlyphPainter& glyphs, std::ostream& out, std::ostream& err);

}  // namespace pelkora::session
