#include "sheet/tiles.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <system_error>

#include "output/dob_reader.h"
#include "output/input_file.h"
#include "output/package_texts.h"
#include "output/text_decoding.h"
#include "output/text_pagination.h"
#include "sheet/canvas.h"
#include "sheet/sheet_style.h"

namespace pelkora::sheet {

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kPageBytesRead = 4096;
constexpr int kPageLines = output::kCellsPerPage / output::kCellsPerLine;

Image faultContent(const std::string& reason, GlyphPainter& glyphs)
{
    Image image(kMinTileWidth, 90);
    image.fill(kWhite);
    crossOut(image, kFaultColour);
    fillRect(image, {0, 34, image.width(), 22}, kWhite);
    glyphs.drawText(image, image.rect(), reason, Font::Fault, Placement::Centre, kFaultColour);
    return image;
}

// Level v as the device shows it: 255 - 17 * v.
Image deviceGreyImage(const output::DobPicture& picture)
{
    Image image(picture.size.width, picture.size.height);
    if (image.isNull())
        return image;
    for (int y = 0; y < image.height(); ++y) {
        const std::uint8_t* levels = picture.levels.data() + static_cast<std::size_t>(y) * image.width();
        for (int x = 0; x < image.width(); ++x) {
            const auto grey = static_cast<Pixel>(255 - 17 * levels[x]);
            image.row(y)[x] = opaque(grey << 16 | grey << 8 | grey);
        }
    }
    return image;
}

int wholeZoom(int width, int height) { return std::max(1, std::min(kZoomBox / width, kZoomBox / height)); }

// The larger side down to kLargestSide, the other in proportion.
Image shrunkToLargestSide(const Image& image)
{
    const std::int64_t width = image.width();
    const std::int64_t height = image.height();
    if (width >= height)
        return shrunk(image, kLargestSide, static_cast<int>(std::max<std::int64_t>(1, kLargestSide * height / width)));
    return shrunk(image, static_cast<int>(std::max<std::int64_t>(1, kLargestSide * width / height)), kLargestSide);
}

Image pictureContent(const Image& grey)
{
    if (std::max(grey.width(), grey.height()) > kLargestSide)
        return shrunkToLargestSide(grey);
    return enlarged(grey, wholeZoom(grey.width(), grey.height()));
}

// The screen's area in the device's white with the picture in its top left
// corner, both enlarged alike; a picture beyond the screen shows the
// screen's outline over it.
Image screenContent(const Image& grey, const output::Size& screen, bool& beyond)
{
    beyond = grey.width() > screen.width || grey.height() > screen.height;
    Image canvas(std::max(grey.width(), screen.width), std::max(grey.height(), screen.height));
    if (canvas.isNull())
        return canvas;
    canvas.fill(kSheetColour);
    fillRect(canvas, {0, 0, screen.width, screen.height}, kWhite);
    copyPixels(grey.view(), canvas, 0, 0);
    const int zoom = wholeZoom(canvas.width(), canvas.height());
    Image content = enlarged(canvas, zoom);
    if (beyond && !content.isNull())
        frameAround(content, {1, 1, screen.width * zoom - 2, screen.height * zoom - 2}, kFaultColour);
    return content;
}

std::string utf8Of(std::u16string_view units)
{
    std::string text;
    output::appendUtf8(units, text);
    return text;
}

char32_t codePointOf(std::u16string_view units)
{
    if (units.size() == 2)
        return 0x10000 + ((char32_t(units[0]) - 0xD800) << 10) + (char32_t(units[1]) - 0xDC00);
    return units[0];
}

// Cells as the pager fills them; what lies beyond the 55th is not drawn.
Image pageContent(const std::string& bytes, GlyphPainter& glyphs, Tile& tile, bool& overflow)
{
    Image image(output::kCellsPerLine * kCellWidth, kPageLines * kCellHeight);
    image.fill(kWhite);
    for (int line = 1; line < kPageLines; ++line)
        fillRect(image, {0, line * kCellHeight, image.width(), 1}, kLineRuleColour);
    const std::u16string units = output::decodeText(bytes, "UTF-8");
    int cell = 0;
    overflow = false;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        const bool pair = unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00
                          && units[i + 1] <= 0xDFFF;
        const int cells = pair ? 2 : 1;
        if (cell + cells > output::kCellsPerPage) {
            overflow = true;
            break;
        }
        const Rect box{(cell % output::kCellsPerLine) * kCellWidth, (cell / output::kCellsPerLine) * kCellHeight,
                       kCellWidth * cells, kCellHeight};
        cell += cells;
        if (unit == u'\n') {
            cell += output::kCellsPerLine - cell % output::kCellsPerLine;
            continue;
        }
        if (unit >= 0x20) {
            const std::u16string_view character(units.data() + i, static_cast<std::size_t>(cells));
            glyphs.drawText(image, box, utf8Of(character), Font::Cell, Placement::Centre, kBlack);
            if (!tile.undrawable && !glyphs.canDraw(codePointOf(character)))
                tile.undrawable = codePointOf(character);
        }
        i += static_cast<std::size_t>(cells - 1);
    }
    return image;
}

void drawPicture(const fs::path& path, const std::optional<output::Size>& screen, Tile& tile)
{
    const output::DobPicture picture = output::readDobFile(path, std::nullopt);
    const Status status = picture.outcome.status;
    if (status == Status::DobSizeAmbiguous) {
        tile.fault = "size unclear";
        return;
    }
    if (status != Status::Ok) {
        tile.fault = status == Status::BadDobLength ? "bad length" : statusText(status);
        return;
    }
    const Image grey = deviceGreyImage(picture);
    if (grey.isNull())
        return;
    // A screen larger than the sheet shows pictures can be looked at
    // only as the pictures themselves are.
    const bool showScreen = screen && std::max(screen->width, screen->height) <= kLargestSide
                            && std::max(grey.width(), grey.height()) <= kLargestSide;
    if (!showScreen) {
        tile.content = pictureContent(grey);
        return;
    }
    bool beyond = false;
    tile.content = screenContent(grey, *screen, beyond);
    if (beyond)
        tile.fault = "larger than the screen";
}

void drawPage(const fs::path& path, GlyphPainter& glyphs, Tile& tile)
{
    const output::InputBytes page = output::readInputFile(path, kPageBytesRead);
    const std::string bytes(page.bytes.begin(), page.bytes.end());
    bool overflow = false;
    tile.content = pageContent(bytes, glyphs, tile, overflow);
    if (output::checkPage(bytes).outcome.status == Status::NotUtf8)
        tile.fault = "not UTF-8";
    if (overflow || page.truncated)
        tile.fault = "more than 55 cells";
}

}  // namespace

Tile tileFor(const fs::path& folder, const output::PlaylistLine& line, const std::optional<output::Size>& screen,
             GlyphPainter& glyphs)
{
    Tile tile;
    tile.name = line.name;
    tile.time = std::to_string(line.milliseconds) + " ms";
    const fs::path path = folder / line.name;
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        tile.fault = "missing";
    else if (output::isDobName(path))
        drawPicture(path, screen, tile);
    else
        drawPage(path, glyphs, tile);
    if (tile.content.isNull())
        tile.content = faultContent(tile.fault, glyphs);
    return tile;
}

}  // namespace pelkora::sheet
