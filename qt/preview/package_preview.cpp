// The package on one sheet, in playlist order, each item as the device
// shows it: pictures in their 16 greys, enlarged by whole pixels when
// small; text pages in their 5 lines of 11 cells. Fixed fonts and sizes
// make the same package give the same sheet.

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "cli/review_commands.h"
#include "qt/preview/package_preview.h"
#include "output/input_file.h"
#include "output/names.h"
#include "output/output_folder.h"
#include "output/package_check.h"
#include "output/review_places.h"
#include "output/text_decoding.h"
#include "output/text_pagination.h"

namespace pelkora::preview {

namespace fs = std::filesystem;
using cli::isDobName;
using cli::secondsText;

namespace {

constexpr int kMargin = 16;
constexpr int kGap = 16;
constexpr int kSheetWidth = 1024;
constexpr int kHeaderHeight = 44;
constexpr int kLabelHeight = 38;
constexpr int kMinTileWidth = 150;
constexpr int kZoomBox = 220;      // small pictures grow by whole pixels up to this
constexpr int kLargestSide = 480;  // larger pictures shrink to this
constexpr int kCellWidth = 20;
constexpr int kCellHeight = 28;
constexpr std::uint64_t kPageBytesRead = 4096;
// A sheet that shows this much no longer helps a person, and a package of
// any length must not make one of any size: later items are counted only.
constexpr std::size_t kMostTiles = 300;
constexpr std::uint64_t kMostTilePixels = std::uint64_t{24} << 20;

const QColor kSheetColour(0xE4, 0xE4, 0xE4);
const QColor kFrameColour(0x80, 0x80, 0x80);
const QColor kFaultColour(0xC0, 0x20, 0x20);

QFont fixedFont(int pixelSize, bool bold = false)
{
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

struct Tile {
    QString name;
    QString time;
    QImage content;  // RGB32
    QString fault;   // why the content could not be drawn, or is suspect
};

QImage faultContent(const QString& reason)
{
    QImage image(kMinTileWidth, 90, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QPen(kFaultColour, 2));
    painter.drawLine(0, 0, image.width(), image.height());
    painter.drawLine(0, image.height(), image.width(), 0);
    painter.setFont(fixedFont(13, true));
    painter.fillRect(QRect(0, 34, image.width(), 22), Qt::white);
    painter.drawText(image.rect(), Qt::AlignCenter, reason);
    return image;
}

QImage deviceGreyImage(const output::DobPicture& picture)
{
    const output::PngPicture grey = cli::deviceGreyPicture(picture);
    QImage image(grey.width, grey.height, QImage::Format_RGB32);
    for (int y = 0; y < grey.height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        const std::uint8_t* levels = grey.samples.data() + static_cast<std::size_t>(y) * grey.width;
        for (int x = 0; x < grey.width; ++x)
            row[x] = qRgb(levels[x], levels[x], levels[x]);
    }
    return image;
}

// The sheet as our own PNG writer takes it, so that its bytes are those of
// every other picture the review commands write.
bool saveSheet(const QImage& sheet, const fs::path& path, std::error_code& cause)
{
    output::PngPicture picture{sheet.width(), sheet.height(), output::PngColour::Rgb8, {}};
    picture.samples.reserve(static_cast<std::size_t>(sheet.width()) * static_cast<std::size_t>(sheet.height()) * 3);
    for (int y = 0; y < sheet.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(sheet.constScanLine(y));
        for (int x = 0; x < sheet.width(); ++x) {
            picture.samples.push_back(static_cast<std::uint8_t>(qRed(row[x])));
            picture.samples.push_back(static_cast<std::uint8_t>(qGreen(row[x])));
            picture.samples.push_back(static_cast<std::uint8_t>(qBlue(row[x])));
        }
    }
    return cli::savePng(picture, path, cause);
}

QImage pictureContent(const output::DobPicture& picture)
{
    const QImage image = deviceGreyImage(picture);
    const int side = std::max(picture.size.width, picture.size.height);
    if (side > kLargestSide)
        return image.scaled(kLargestSide, kLargestSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const int zoom = std::max(1, std::min(kZoomBox / picture.size.width, kZoomBox / picture.size.height));
    return image.scaled(picture.size.width * zoom, picture.size.height * zoom, Qt::IgnoreAspectRatio,
                        Qt::FastTransformation);
}

// Cells as the pager fills them; what lies beyond the 55th is not drawn.
QImage pageContent(const std::string& bytes, bool& overflow)
{
    QImage image(output::kCellsPerLine * kCellWidth, (output::kCellsPerPage / output::kCellsPerLine) * kCellHeight,
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QColor(0xEC, 0xEC, 0xEC));
    for (int line = 1; line < output::kCellsPerPage / output::kCellsPerLine; ++line)
        painter.drawLine(0, line * kCellHeight, image.width(), line * kCellHeight);
    painter.setPen(Qt::black);
    painter.setFont(fixedFont(18));
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
        const QRect box((cell % output::kCellsPerLine) * kCellWidth, (cell / output::kCellsPerLine) * kCellHeight,
                        kCellWidth * cells, kCellHeight);
        cell += cells;
        if (unit == u'\n') {
            cell += output::kCellsPerLine - cell % output::kCellsPerLine;
            continue;
        }
        if (unit >= 0x20) {
            const QString text = QString::fromUtf16(units.data() + i, cells);
            painter.drawText(box, Qt::AlignCenter, text);
        }
        i += static_cast<std::size_t>(cells - 1);
    }
    return image;
}

Tile tileFor(const fs::path& folder, const output::PlaylistLine& line)
{
    Tile tile;
    tile.name = QString::fromStdString(line.name);
    tile.time = QString::fromStdString(std::to_string(line.milliseconds) + " ms");
    const fs::path path = folder / line.name;
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        tile.fault = QStringLiteral("missing");
    } else if (isDobName(path)) {
        const output::DobPicture picture = output::readDobFile(path, std::nullopt);
        const Status status = picture.outcome.status;
        if (status == Status::Ok) {
            tile.content = pictureContent(picture);
        } else if (status == Status::DobSizeAmbiguous) {
            tile.fault = QStringLiteral("size unclear");
        } else {
            tile.fault = status == Status::BadDobLength ? QStringLiteral("bad length")
                                                        : QString::fromUtf8(statusText(status));
        }
    } else {
        const output::InputBytes page = output::readInputFile(path, kPageBytesRead);
        const std::string bytes(page.bytes.begin(), page.bytes.end());
        bool overflow = false;
        tile.content = pageContent(bytes, overflow);
        if (output::checkPage(bytes).outcome.status == Status::NotUtf8)
            tile.fault = QStringLiteral("not UTF-8");
        if (overflow || page.truncated)
            tile.fault = QStringLiteral("more than 55 cells");
    }
    if (tile.content.isNull())
        tile.content = faultContent(tile.fault);
    return tile;
}

struct SheetItems {
    std::vector<Tile> tiles;
    std::size_t items = 0;  // well-formed playlist lines, drawn or not
    std::uint64_t loop = 0;
};

SheetItems itemsOf(const fs::path& folder)
{
    SheetItems items;
    std::uint64_t pixels = 0;
    const output::InputBytes playlist = output::readInputFile(output::playlistPath(folder), std::uint64_t{64} << 20);
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
        Tile tile = tileFor(folder, line);
        pixels += static_cast<std::uint64_t>(tile.content.width()) * static_cast<std::uint64_t>(tile.content.height());
        items.tiles.push_back(std::move(tile));
    }
    return items;
}

struct Placed {
    QPoint at;
    int width = 0;
};

QImage drawSheet(const QString& title, const SheetItems& items)
{
    const std::vector<Tile>& tiles = items.tiles;
    int sheetWidth = kSheetWidth;
    for (const Tile& tile : tiles)
        sheetWidth = std::max(sheetWidth, tile.content.width() + 2 * kMargin + 2);
    // Rows from left to right, each as tall as its tallest tile.
    std::vector<Placed> placed;
    int x = kMargin;
    int y = kHeaderHeight + kMargin;
    int rowHeight = 0;
    for (const Tile& tile : tiles) {
        const int width = std::max(kMinTileWidth, tile.content.width() + 2);
        const int height = tile.content.height() + 2 + kLabelHeight;
        if (x > kMargin && x + width > sheetWidth - kMargin) {
            x = kMargin;
            y += rowHeight + kGap;
            rowHeight = 0;
        }
        placed.push_back({QPoint(x, y), width});
        x += width + kGap;
        rowHeight = std::max(rowHeight, height);
    }
    const int sheetHeight = y + rowHeight + kMargin;

    QImage sheet(sheetWidth, sheetHeight, QImage::Format_RGB32);
    sheet.fill(kSheetColour);
    QPainter painter(&sheet);
    painter.setFont(fixedFont(18, true));
    painter.setPen(Qt::black);
    QString header = title
                     + QStringLiteral(": %1 item%2, loop %3 s")
                               .arg(items.items)
                               .arg(items.items == 1 ? "" : "s")
                               .arg(QString::fromStdString(secondsText(items.loop)));
    if (tiles.size() < items.items)
        header += QStringLiteral(" (the first %1 shown)").arg(tiles.size());
    painter.drawText(QRect(kMargin, 0, sheetWidth - 2 * kMargin, kHeaderHeight), Qt::AlignVCenter | Qt::AlignLeft,
                     header);
    const QFont labelFont = fixedFont(12);
    const QFontMetrics metrics(labelFont);
    painter.setFont(labelFont);
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        const Tile& tile = tiles[i];
        const QPoint at = placed[i].at;
        painter.setPen(tile.fault.isEmpty() ? kFrameColour : kFaultColour);
        painter.drawRect(QRect(at, tile.content.size() + QSize(1, 1)));
        painter.drawImage(at + QPoint(1, 1), tile.content);
        const int labelTop = at.y() + tile.content.height() + 4;
        const int width = placed[i].width;
        const QString name = metrics.elidedText(QStringLiteral("%1. ").arg(i + 1) + tile.name, Qt::ElideMiddle, width);
        painter.setPen(Qt::black);
        painter.drawText(QRect(at.x(), labelTop, width, 16), Qt::AlignLeft | Qt::AlignTop, name);
        painter.setPen(tile.fault.isEmpty() ? QColor(0x40, 0x40, 0x40) : kFaultColour);
        const QString time = tile.fault.isEmpty() ? tile.time : tile.time + QStringLiteral(", ") + tile.fault;
        painter.drawText(QRect(at.x(), labelTop + 16, width, 16), Qt::AlignLeft | Qt::AlignTop,
                         metrics.elidedText(time, Qt::ElideRight, width));
    }
    return sheet;
}

}  // namespace

int previewPackage(const fs::path& folder, const fs::path& sheetPath, bool quiet, std::ostream& out, std::ostream& err)
{
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        err << "pelkora: " << folder.string() << ": no such folder\n";
        return 1;
    }
    if (!fs::is_regular_file(output::playlistPath(folder), error)) {
        err << "pelkora: " << output::playlistPath(folder).string() << ": " << statusText(Status::MissingFromPackage)
            << "\n";
        return 1;
    }
    if (const auto refused = output::placeRefusal(sheetPath, {folder, fs::path(output::kOutputFolderName)})) {
        err << "pelkora: " << output::escapedForTerminal(sheetPath.string()) << ": "
            << output::escapedForTerminal(*refused) << "\n";
        return 1;
    }
    const SheetItems items = itemsOf(folder);
    const QImage sheet = drawSheet(QString::fromStdString(folder.filename().string()), items);
    if (sheet.isNull()) {
        err << "pelkora: " << sheetPath.string() << ": the sheet is too large to draw\n";
        return 1;
    }
    std::error_code cause;
    if (!saveSheet(sheet, sheetPath, cause)) {
        err << "pelkora: " << output::escapedForTerminal(sheetPath.string()) << ": "
            << output::escapedForTerminal(outcomeText(Outcome(Status::CannotWrite, cause))) << "\n";
        return 1;
    }
    if (!quiet)
        out << output::escapedForTerminal(sheetPath.string()) << " written: " << items.tiles.size() << " of " << items.items << " items\n";
    return 0;
}

}  // namespace pelkora::preview
