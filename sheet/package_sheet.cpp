#include "sheet/package_sheet.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <span>
#include <string>
#include <system_error>

#include "output/input_file.h"
#include "output/names.h"
#include "output/output_file.h"
#include "output/output_folder.h"
#include "output/package_check.h"
#include "output/png_writer.h"
#include "output/review_places.h"
#include "sheet/sheet_layout.h"

namespace pelkora::sheet {

namespace fs = std::filesystem;

namespace {

// A sheet that shows this much no longer helps a person, and a package of
// any length must not make one of any size: later items are counted only.
constexpr std::size_t kMostTiles = 300;
constexpr std::uint64_t kMostTilePixels = std::uint64_t{24} << 20;

std::string escaped(const fs::path& path) { return output::escapedForTerminal(path.string()); }

std::string codePointText(char32_t codePoint)
{
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(codePoint));
    return text;
}

SheetItems itemsOf(const SheetRequest& request, GlyphPainter& glyphs, std::ostream& err)
{
    SheetItems items;
    std::uint64_t pixels = 0;
    const output::InputBytes playlist =
            output::readInputFile(output::playlistPath(request.folder), std::uint64_t{64} << 20);
    const std::string text(playlist.bytes.begin(), playlist.bytes.end());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t feed = std::min(text.find('\n', at), text.size());
        const output::PlaylistLine line = output::parsePlaylistLine(std::string_view(text).substr(at, feed - at));
        at = feed + 1;
        if (!line.wellFormed)
            continue;
        ++items.items;
        items.loop += line.milliseconds;
        if (items.tiles.size() >= kMostTiles || pixels >= kMostTilePixels)
            continue;
        Tile tile = tileFor(request.folder, line, request.screen, glyphs);
        if (tile.undrawable)
            err << "pelkora: warning: " << escaped(request.folder / line.name) << ": the preview font cannot draw "
                << codePointText(*tile.undrawable) << ", shown as a stand-in\n";
        pixels += static_cast<std::uint64_t>(tile.content.width()) * static_cast<std::uint64_t>(tile.content.height());
        items.tiles.push_back(std::move(tile));
    }
    return items;
}

// As every other picture the review commands write: our own PNG bytes,
// written whole under a temporary name, then renamed into place.
Outcome saveSheet(const Image& sheet, const fs::path& path)
{
    output::PngPicture picture{sheet.width(), sheet.height(), output::PngColour::Rgb8, {}};
    picture.samples.reserve(static_cast<std::size_t>(sheet.width()) * static_cast<std::size_t>(sheet.height()) * 3);
    for (int y = 0; y < sheet.height(); ++y) {
        for (const Pixel pixel : std::span(sheet.row(y), static_cast<std::size_t>(sheet.width()))) {
            picture.samples.push_back(static_cast<std::uint8_t>(pixel >> 16));
            picture.samples.push_back(static_cast<std::uint8_t>(pixel >> 8));
            picture.samples.push_back(static_cast<std::uint8_t>(pixel));
        }
    }
    const std::optional<std::string> bytes = output::encodePng(picture);
    if (!bytes)
        return Outcome(Status::CannotWrite);
    return output::writeWholeFile(path, *bytes);
}

bool refused(const SheetRequest& request, std::ostream& err)
{
    std::error_code error;
    if (!fs::is_directory(request.folder, error)) {
        err << "pelkora: " << request.folder.string() << ": no such folder\n";
        return true;
    }
    if (!fs::is_regular_file(output::playlistPath(request.folder), error)) {
        err << "pelkora: " << output::playlistPath(request.folder).string() << ": "
            << statusText(Status::MissingFromPackage) << "\n";
        return true;
    }
    const auto refusal =
            output::placeRefusal(request.sheet, {request.folder, fs::path(output::kOutputFolderName)});
    if (refusal) {
        err << "pelkora: " << escaped(request.sheet) << ": " << output::escapedForTerminal(*refusal) << "\n";
        return true;
    }
    return false;
}

}  // namespace

int previewPackage(const SheetRequest& request, GlyphPainter& glyphs, std::ostream& out, std::ostream& err)
{
    if (refused(request, err))
        return 1;
    const SheetItems items = itemsOf(request, glyphs, err);
    const Image sheet = drawSheet(request.folder.filename().string(), items, glyphs);
    if (sheet.isNull()) {
        err << "pelkora: " << request.sheet.string() << ": the sheet is too large to draw\n";
        return 1;
    }
    const Outcome written = saveSheet(sheet, request.sheet);
    if (!written.ok()) {
        err << "pelkora: " << escaped(request.sheet) << ": "
            << output::escapedForTerminal(outcomeText(Outcome(Status::CannotWrite, written.cause))) << "\n";
        return 1;
    }
    if (!request.quiet)
        out << escaped(request.sheet) << " written: " << items.tiles.size() << " of " << items.items << " items\n";
    return 0;
}

}  // namespace pelkora::sheet
