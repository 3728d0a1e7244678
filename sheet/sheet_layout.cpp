#include "sheet/sheet_layout.h"

#include <algorithm>

#include "output/package_texts.h"
#include "sheet/canvas.h"
#include "sheet/sheet_style.h"

namespace pelkora::sheet {

namespace {

struct Placed {
    int left = 0;
    int top = 0;
    int width = 0;
};

struct Layout {
    std::vector<Placed> placed;
    int width = kSheetWidth;
    int height = 0;
};

// Rows from left to right, each as tall as its tallest tile.
Layout layOut(const std::vector<Tile>& tiles)
{
    Layout layout;
    for (const Tile& tile : tiles)
        layout.width = std::max(layout.width, tile.content.width() + 2 * kMargin + 2);
    int x = kMargin;
    int y = kHeaderHeight + kMargin;
    int rowHeight = 0;
    for (const Tile& tile : tiles) {
        const int width = std::max(kMinTileWidth, tile.content.width() + 2);
        const int height = tile.content.height() + 2 + kLabelHeight;
        if (x > kMargin && x + width > layout.width - kMargin) {
            x = kMargin;
            y += rowHeight + kGap;
            rowHeight = 0;
        }
        layout.placed.push_back({x, y, width});
        x += width + kGap;
        rowHeight = std::max(rowHeight, height);
    }
    layout.height = y + rowHeight + kMargin;
    return layout;
}

std::string headerOf(const std::string& title, const SheetItems& items)
{
    std::string header = title + ": " + std::to_string(items.items) + " item" + (items.items == 1 ? "" : "s")
                         + ", loop " + output::secondsText(items.loop) + " s";
    if (items.tiles.size() < items.items)
        header += " (the first " + std::to_string(items.tiles.size()) + " shown)";
    return header;
}

void drawTile(Image& sheet, const Tile& tile, std::size_t number, const Placed& at, GlyphPainter& glyphs)
{
    const bool sound = tile.fault.empty();
    const Rect inner{at.left + 1, at.top + 1, tile.content.width(), tile.content.height()};
    frameAround(sheet, inner, sound ? kFrameColour : kFaultColour);
    copyPixels(tile.content.view(), sheet, inner.left, inner.top);
    const int labelTop = at.top + tile.content.height() + 4;
    const std::string name = std::to_string(number) + ". " + tile.name;
    glyphs.drawText(sheet, {at.left, labelTop, at.width, kLabelLineHeight},
                    glyphs.elided(name, Font::Label, Elision::Middle, at.width), Font::Label, Placement::TopLeft,
                    kBlack);
    const std::string time = sound ? tile.time : tile.time + ", " + tile.fault;
    glyphs.drawText(sheet, {at.left, labelTop + kLabelLineHeight, at.width, kLabelLineHeight},
                    glyphs.elided(time, Font::Label, Elision::End, at.width), Font::Label, Placement::TopLeft,
                    sound ? kTimeColour : kFaultColour);
}

}  // namespace

Image drawSheet(const std::string& title, const SheetItems& items, GlyphPainter& glyphs)
{
    const Layout layout = layOut(items.tiles);
    Image sheet(layout.width, layout.height);
    if (sheet.isNull())
        return sheet;
    sheet.fill(kSheetColour);
    glyphs.drawText(sheet, {kMargin, 0, layout.width - 2 * kMargin, kHeaderHeight}, headerOf(title, items),
                    Font::Title, Placement::MiddleLeft, kBlack);
    for (std::size_t i = 0; i < items.tiles.size(); ++i)
        drawTile(sheet, items.tiles[i], i + 1, layout.placed[i], glyphs);
    return sheet;
}

}  // namespace pelkora::sheet
