// The package sheet's own drawing: the strokes and resizings on core
// Images, and each playlist item's tile, with letters from a stand-in
// painter that only notes what it was asked to draw.

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sheet/canvas.h"
#include "sheet/package_sheet.h"
#include "sheet/sheet_style.h"
#include "sheet/tiles.h"
#include "support/temp_dir.h"

namespace {

using namespace pelkora;
using pelkora::testing::TempDir;

class NotingPainter final : public sheet::GlyphPainter {
public:
    void drawText(Image&, const Rect&, std::string_view utf8, sheet::Font, sheet::Placement, Pixel) override
    {
        drawn.emplace_back(utf8);
    }
    std::string elided(std::string_view utf8, sheet::Font, sheet::Elision, int) override { return std::string(utf8); }
    bool canDraw(char32_t codePoint) override { return codePoint < 0x2000; }
    std::vector<std::string> drawn;
};

Pixel grey(int value) { return opaque(static_cast<Pixel>(value * 0x010101)); }

// A DOB of one level throughout: width, height, then two pixels a byte.
std::string flatDob(int width, int height, int level)
{
    std::string bytes{static_cast<char>(width), static_cast<char>(height)};
    bytes.append(static_cast<std::size_t>((width * height + 1) / 2), static_cast<char>(level | level << 4));
    return bytes;
}

TEST(SheetCanvas, ShrinkingAveragesAndEnlargingRepeats)
{
    Image two(2, 1);
    two.row(0)[0] = grey(0);
    two.row(0)[1] = grey(101);
    const Image half = sheet::shrunk(two, 1, 1);
    ASSERT_EQ(half.width(), 1);
    EXPECT_EQ(half.pixel(0, 0), grey(50));  // cut, as the toolkit's smooth scaling did

    const Image big = sheet::enlarged(two, 3);
    ASSERT_EQ(big.width(), 6);
    ASSERT_EQ(big.height(), 3);
    EXPECT_EQ(big.pixel(2, 2), grey(0));
    EXPECT_EQ(big.pixel(3, 0), grey(101));

    // A frame reaching past the image is cut there, not written beyond it.
    Image small(3, 3);
    small.fill(grey(255));
    sheet::frameAround(small, {0, 0, 3, 3}, grey(0));
    sheet::frameAround(small, {1, 1, 1, 1}, grey(7));
    EXPECT_EQ(small.pixel(0, 0), grey(7));
    EXPECT_EQ(small.pixel(1, 1), grey(255));
    EXPECT_EQ(small.pixel(2, 2), grey(7));
}

TEST(SheetTiles, EachItemAsTheDeviceShowsIt)
{
    TempDir work;
    work.write("small.dob", flatDob(10, 5, 15));
    work.write("wide.dob", flatDob(30, 5, 15));
    work.write("plain.txt", "Hello");
    work.write("smile.txt", "ok \xF0\x9F\x98\x80 \xE2\x82\xAC");
    const struct {
        const char* what;
        const char* name;
        std::optional<output::Size> screen;
        int width;
        int height;
        std::string fault;
        std::optional<char32_t> undrawable;
    } rows[] = {
            {"a small picture grows by whole pixels", "small.dob", std::nullopt, 220, 110, "", std::nullopt},
            {"a picture inside the screen's outline", "small.dob", output::Size{20, 20}, 220, 220, "", std::nullopt},
            {"a picture wider than the screen", "wide.dob", output::Size{20, 20}, 210, 140, "larger than the screen",
             std::nullopt},
            {"a page the font draws whole", "plain.txt", std::nullopt, 220, 140, "", std::nullopt},
            {"a page with a character the font lacks", "smile.txt", std::nullopt, 220, 140, "", char32_t{0x1F600}},
            {"a file the playlist names but the package lacks", "gone.dob", std::nullopt, sheet::kMinTileWidth, 90,
             "missing", std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        NotingPainter glyphs;
        const sheet::Tile tile = sheet::tileFor(work.path(), {true, row.name, 1000}, row.screen, glyphs);
        EXPECT_EQ(tile.content.width(), row.width);
        EXPECT_EQ(tile.content.height(), row.height);
        EXPECT_EQ(tile.fault, row.fault);
        EXPECT_EQ(tile.undrawable, row.undrawable);
    }
}

TEST(SheetTiles, TheScreenAroundAPictureIsTheDevicesWhite)
{
    TempDir work;
    work.write("small.dob", flatDob(10, 5, 15));
    NotingPainter glyphs;
    const sheet::Tile tile = sheet::tileFor(work.path(), {true, "small.dob", 1000}, output::Size{20, 20}, glyphs);
    ASSERT_EQ(tile.content.width(), 220);
    EXPECT_EQ(tile.content.pixel(109, 54), grey(0));     // the picture's last pixel, at zoom 11
    EXPECT_EQ(tile.content.pixel(110, 54), sheet::kWhite);  // the screen beside it
    EXPECT_EQ(tile.content.pixel(109, 55), sheet::kWhite);  // and under it
}

TEST(PackageSheet, NamesAPageWhoseCharacterTheFontLacks)
{
    TempDir work;
    work.write("adv/smile.txt", "\xF0\x9F\x98\x80");
    work.write("adv/plain.txt", "ok");
    work.write("adv/advertising.index", "plain.txt,1000\nsmile.txt,2000\n");
    NotingPainter glyphs;
    std::ostringstream out, err;
    const int status = sheet::previewPackage({work / "adv", work / "sheet.png", std::nullopt, false}, glyphs, out, err);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(err.str(), "pelkora: warning: " + (work / "adv" / "smile.txt").string()
                                 + ": the preview font cannot draw U+1F600, shown as a stand-in\n");
    EXPECT_EQ(out.str(), (work / "sheet.png").string() + " written: 2 of 2 items\n");
}

}  // namespace
