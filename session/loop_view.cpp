#include "session/loop_view.h"

#include <algorithm>

#include "output/ascii.h"
#include "output/dob_reader.h"
#include "output/input_file.h"
#include "output/package_check.h"
#include "output/text_decoding.h"
#include "output/text_pagination.h"

namespace pelkora::session {

namespace fs = std::filesystem;

namespace {

constexpr int kCellWidth = 20;
constexpr int kCellHeight = 28;
constexpr int kLines = output::kCellsPerPage / output::kCellsPerLine;
// Small pictures grow by whole pixels until the largest fills this box.
constexpr output::Size kZoomBox{640, 400};
// A picture larger than this is shown cut to it: a frame of any size must
// not be composed for a package of any content.
constexpr output::Size kLargestScreen{1600, 1200};
constexpr int kCaptionHeight = 24;
constexpr std::uint8_t kScreenLevel = 1;
const Pixel kWhite = opaque(0xFFFFFF);
const Pixel kBlack = opaque(0x000000);
constexpr std::uint64_t kPageBytesRead = 4096;

bool isDobName(std::string_view name)
{
    return name.size() > 4 && output::equalsIgnoringAsciiCase(name.substr(name.size() - 4), ".dob");
}

LevelImage blank(int width, int height, std::uint8_t level)
{
    return {width, height,
            std::vector<std::uint8_t>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), level)};
}

// Places source with its top left at (x, y) of target, cutting what falls outside.
void place(LevelImage& target, const LevelImage& source, int x, int y)
{
    const int left = std::max(0, -x);
    const int top = std::max(0, -y);
    const int right = std::min(source.width, target.width - x);
    const int bottom = std::min(source.height, target.height - y);
    if (right <= left)
        return;
    for (int row = top; row < bottom; ++row) {
        const auto from = source.levels.begin() + static_cast<std::ptrdiff_t>(row) * source.width;
        std::copy(from + left, from + right,
                  target.levels.begin() + static_cast<std::ptrdiff_t>(row + y) * target.width + x + left);
    }
}

std::string secondsText(std::uint64_t milliseconds)
{
    std::string fraction = std::to_string(milliseconds % 1000);
    fraction.insert(0, 3 - fraction.size(), '0');
    return std::to_string(milliseconds / 1000) + "." + fraction + " s";
}

}  // namespace

std::vector<LoopItem> loopItems(const output::Playlist& playlist)
{
    std::vector<LoopItem> items;
    for (const output::PlaylistEntry& entry : playlist.entries) {
        const output::PlaylistLine line = output::parsePlaylistLine(entry.name + "," + entry.time);
        if (entry.hasComma && line.wellFormed)
            items.push_back({line.name, line.milliseconds});
    }
    return items;
}

LoopView::LoopView(fs::path folder, std::vector<LoopItem> items, sheet::GlyphPainter& glyphs)
        : folder_(std::move(folder)), items_(std::move(items)), glyphs_(glyphs)
{
    output::Size largest{0, 0};
    for (const LoopItem& item : items_) {
        if (!isDobName(item.name))
            continue;
        const output::DobShape shape = output::inspectDobFile(folder_ / item.name);
        if (shape.outcome.ok() && shape.candidates.size() == 1) {
            largest.width = std::max(largest.width, shape.candidates.front().width);
            largest.height = std::max(largest.height, shape.candidates.front().height);
        }
    }
    if (largest.width > 0 && largest.height > 0)
        zoom_ = std::max(1, std::min(kZoomBox.width / largest.width, kZoomBox.height / largest.height));
    const output::Size page{output::kCellsPerLine * kCellWidth, kLines * kCellHeight};
    screen_.width = std::min(kLargestScreen.width, std::max(page.width, largest.width * zoom_));
    screen_.height = std::min(kLargestScreen.height, std::max(page.height, largest.height * zoom_));
}

output::Size LoopView::frameSize() const { return {screen_.width, screen_.height + kCaptionHeight}; }

LevelImage LoopView::content(std::size_t index) const
{
    const fs::path path = folder_ / items_.at(index).name;
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        return faultContent("missing");
    return isDobName(items_[index].name) ? pictureContent(path) : pageContent(path);
}

LevelImage LoopView::frame(std::size_t index) const
{
    const output::Size size = frameSize();
    LevelImage image = blank(size.width, size.height, kScreenLevel);
    const LevelImage shown = content(index);
    place(image, shown, (screen_.width - shown.width) / 2, (screen_.height - shown.height) / 2);
    std::fill(image.levels.begin() + static_cast<std::ptrdiff_t>(screen_.height) * size.width, image.levels.end(),
              std::uint8_t{0});
    const LoopItem& item = items_[index];
    const std::string caption = std::to_string(index + 1) + "/" + std::to_string(items_.size()) + "  " + item.name
                                + "  " + secondsText(item.milliseconds);
    drawText(image, {4, screen_.height, size.width - 8, kCaptionHeight}, caption, sheet::Font::Label,
             sheet::Placement::MiddleLeft);
    return image;
}

LevelImage LoopView::pictureContent(const fs::path& path) const
{
    const output::DobPicture picture = output::readDobFile(path, std::nullopt);
    if (picture.outcome.status == Status::DobSizeAmbiguous)
        return faultContent("size unclear");
    if (!picture.outcome.ok())
        return faultContent(std::string("damaged: ") + statusText(picture.outcome.status));
    // Enlarged only while it fits the screen, so that what is cut stays bounded.
    const int zoom = picture.size.width * zoom_ <= screen_.width && picture.size.height * zoom_ <= screen_.height
                             ? zoom_
                             : 1;
    LevelImage image = blank(picture.size.width * zoom, picture.size.height * zoom, 0);
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* source = picture.levels.data() + static_cast<std::size_t>(y / zoom) * picture.size.width;
        std::uint8_t* row = image.levels.data() + static_cast<std::size_t>(y) * image.width;
        for (int x = 0; x < image.width; ++x)
            row[x] = source[x / zoom];
    }
    return image;
}

// Cells as the pager fills them: one a UTF-16 unit, a line feed filling the
// rest of its line; what lies beyond the 55th is not drawn.
LevelImage LoopView::pageContent(const fs::path& path) const
{
    const output::InputBytes page = output::readInputFile(path, kPageBytesRead);
    if (!page.outcome.ok())
        return faultContent(std::string("damaged: ") + statusText(page.outcome.status));
    LevelImage image = blank(output::kCellsPerLine * kCellWidth, kLines * kCellHeight, 0);
    const std::string bytes(page.bytes.begin(), page.bytes.end());
    const std::u16string units = output::decodeText(bytes, "UTF-8");
    int cell = 0;
    for (std::size_t i = 0; i < units.size();) {
        const char16_t unit = units[i];
        const bool pair = unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00
                          && units[i + 1] <= 0xDFFF;
        const int cells = pair ? 2 : 1;
        if (cell + cells > output::kCellsPerPage)
            break;
        if (unit == u'\n') {
            cell += output::kCellsPerLine - cell % output::kCellsPerLine;
            ++i;
            continue;
        }
        if (unit >= 0x20) {
            std::string glyph;
            output::appendUtf8(std::u16string_view(units).substr(i, static_cast<std::size_t>(cells)), glyph);
            drawText(image,
                     {(cell % output::kCellsPerLine) * kCellWidth, (cell / output::kCellsPerLine) * kCellHeight,
                      kCellWidth * cells, kCellHeight},
                     glyph, sheet::Font::Cell, sheet::Placement::Centre);
        }
        cell += cells;
        i += static_cast<std::size_t>(cells);
    }
    return image;
}

LevelImage LoopView::faultContent(const std::string& reason) const
{
    LevelImage image = blank(output::kCellsPerLine * kCellWidth, kLines * kCellHeight, 0);
    drawText(image, {0, 0, image.width, image.height}, reason, sheet::Font::Fault, sheet::Placement::Centre);
    return image;
}

// Black letters on white, in the nearest of the 16 levels, over what is there.
void LoopView::drawText(LevelImage& image, const Rect& box, std::string_view utf8, sheet::Font font,
                        sheet::Placement placement) const
{
    const Rect inside = box.intersected({0, 0, image.width, image.height});
    if (inside.empty())
        return;
    Image letters(box.width, box.height);
    if (letters.isNull())
        return;
    letters.fill(kWhite);
    glyphs_.drawText(letters, {0, 0, box.width, box.height}, utf8, font, placement, kBlack);
    for (int y = inside.top; y < inside.bottom(); ++y) {
        const Pixel* row = letters.row(y - box.top);
        std::uint8_t* levels = image.levels.data() + static_cast<std::size_t>(y) * image.width;
        for (int x = inside.left; x < inside.right(); ++x) {
            const int grey = static_cast<int>(row[x - box.left] & 0xFF);
            levels[x] = std::max(levels[x], static_cast<std::uint8_t>((255 - grey + 8) / 17));
        }
    }
}

}  // namespace pelkora::session
