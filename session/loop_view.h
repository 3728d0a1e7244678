#pragma once
// The package's loop as the device plays it, one frame an entry: a picture
// in its 16 levels at its real size enlarged by whole pixels (one factor
// for the whole loop, so that sizes compare), a text page in its 5 lines
// of 11 cells, each centred on one screen, with the entry's place in the
// loop, name and time beneath. Play in the dialog and the animation of
// `--preview` show the same frames; their letters come from the glyph
// painter of the system's fonts.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "output/playlist_edit.h"
#include "output/size.h"
#include "sheet/glyph_painter.h"

namespace pelkora::session {

// Device levels, 0 white to 15 black, one byte a pixel, top row first.
struct LevelImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> levels;
};

// The grey the device shows for a level.
inline std::uint8_t deviceGrey(std::uint8_t level) { return static_cast<std::uint8_t>(255 - 17 * (level & 0xF)); }

struct LoopItem {
    std::string name;
    std::uint64_t milliseconds = 0;
};

// The lines the device plays: NAME,MS with a valid time; others are passed over.
std::vector<LoopItem> loopItems(const output::Playlist& playlist);

class LoopView {
public:
    // Reads only the sizes of the pictures here; each frame is read when asked for.
    LoopView(std::filesystem::path folder, std::vector<LoopItem> items, sheet::GlyphPainter& glyphs);

    const std::vector<LoopItem>& items() const { return items_; }
    int zoom() const { return zoom_; }
    // Every frame's size: the screen and the caption beneath it.
    output::Size frameSize() const;
    // The entry alone, as the device shows it, enlarged; a fault drawn
    // when its file is missing or cannot be read.
    LevelImage content(std::size_t index) const;
    // The entry on the screen with its caption.
    LevelImage frame(std::size_t index) const;

private:
    LevelImage pictureContent(const std::filesystem::path& path) const;
    LevelImage pageContent(const std::filesystem::path& path) const;
    LevelImage faultContent(const std::string& reason) const;
    void drawText(LevelImage& image, const Rect& box, std::string_view utf8, sheet::Font font,
                  sheet::Placement placement) const;

    std::filesystem::path folder_;
    std::vector<LoopItem> items_;
    sheet::GlyphPainter& glyphs_;
    int zoom_ = 1;
    output::Size screen_;
};

}  // namespace pelkora::session
