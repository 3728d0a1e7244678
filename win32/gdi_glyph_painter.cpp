#include "win32/gdi_glyph_painter.h"

#include <windows.h>

#include <array>
#include <cstring>

#include "platform/win32_text.h"

namespace pelkora::win32 {

namespace {

constexpr int kFonts = 4;  // one of each sheet::Font

// The first of these the system has: Windows' own fixed fonts, then those a
// wine prefix finds on its host.
constexpr std::array<const wchar_t*, 4> kFaces{L"Consolas", L"Courier New", L"DejaVu Sans Mono", L"Liberation Mono"};

int CALLBACK noteFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

std::wstring fixedFace(HDC dc)
{
    for (const wchar_t* face : kFaces) {
        LOGFONTW wanted{};
        wanted.lfCharSet = DEFAULT_CHARSET;
        wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
        bool found = false;
        EnumFontFamiliesExW(dc, &wanted, noteFace, reinterpret_cast<LPARAM>(&found), 0);
        if (found)
            return face;
    }
    return L"";  // GDI's own choice among the fixed-pitch fonts
}

struct FontShape {
    int pixels;
    bool bold;
};

FontShape shapeOf(sheet::Font font)
{
    switch (font) {
    case sheet::Font::Title:
        return {18, true};
    case sheet::Font::Label:
        return {12, false};
    case sheet::Font::Cell:
        return {18, false};
    case sheet::Font::Fault:
        return {13, true};
    }
    return {12, false};
}

UINT formatOf(sheet::Placement placement)
{
    constexpr UINT kAlways = DT_SINGLELINE | DT_NOPREFIX;
    switch (placement) {
    case sheet::Placement::TopLeft:
        return kAlways | DT_LEFT | DT_TOP;
    case sheet::Placement::MiddleLeft:
        return kAlways | DT_LEFT | DT_VCENTER;
    case sheet::Placement::Centre:
        return kAlways | DT_CENTER | DT_VCENTER;
    }
    return kAlways;
}

// What is cut from a text to elide it: whole characters, never half a
// surrogate pair.
std::size_t characterBefore(const std::wstring& text, std::size_t end)
{
    const bool pair = end >= 2 && IS_LOW_SURROGATE(text[end - 1]) && IS_HIGH_SURROGATE(text[end - 2]);
    return end - (pair ? 2 : 1);
}

std::size_t characterAfter(const std::wstring& text, std::size_t at)
{
    const bool pair = at + 1 < text.size() && IS_HIGH_SURROGATE(text[at]) && IS_LOW_SURROGATE(text[at + 1]);
    return at + (pair ? 2 : 1);
}

}  // namespace

struct GdiGlyphPainter::Device {
    HDC dc = nullptr;
    std::array<HFONT, kFonts> fonts{};

    Device()
    {
        dc = CreateCompatibleDC(nullptr);
        const std::wstring face = dc ? fixedFace(dc) : std::wstring();
        for (int font = 0; font < kFonts; ++font) {
            const FontShape shape = shapeOf(static_cast<sheet::Font>(font));
            fonts[font] = CreateFontW(-shape.pixels, 0, 0, 0, shape.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                      DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                                      FIXED_PITCH | FF_MODERN, face.c_str());
        }
    }
    ~Device()
    {
        for (HFONT font : fonts)
            if (font)
                DeleteObject(font);
        if (dc)
            DeleteDC(dc);
    }
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    bool use(sheet::Font font) const
    {
        const HFONT chosen = fonts[static_cast<std::size_t>(font)];
        return dc && chosen && SelectObject(dc, chosen);
    }

    int widthOf(const std::wstring& text) const
    {
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }
};

GdiGlyphPainter::GdiGlyphPainter() : device_(std::make_unique<Device>()) {}

GdiGlyphPainter::~GdiGlyphPainter() = default;

void GdiGlyphPainter::drawText(Image& image, const Rect& box, std::string_view utf8, sheet::Font font,
                               sheet::Placement placement, Pixel colour)
{
    const Rect inside = box.intersected(image.rect());
    if (inside.empty() || !device_->use(font))
        return;
    // The box's pixels go into a DIB section, the text is drawn over them
    // there, and they come back: the letters blend with what lies beneath.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = inside.width;
    info.bmiHeader.biHeight = -inside.height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(device_->dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        return;
    MutablePixelView dib{static_cast<Pixel*>(bits), inside.width, inside.height, inside.width};
    const PixelView source = image.view(inside);
    for (int y = 0; y < inside.height; ++y)
        std::memcpy(dib.row(y), source.row(y), static_cast<std::size_t>(inside.width) * sizeof(Pixel));
    const HGDIOBJ before = SelectObject(device_->dc, bitmap);
    SetBkMode(device_->dc, TRANSPARENT);
    SetTextColor(device_->dc, RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF));
    RECT rect{box.left - inside.left, box.top - inside.top, box.right() - inside.left, box.bottom() - inside.top};
    std::wstring text = platform::wideFromUtf8(utf8);
    DrawTextW(device_->dc, text.data(), static_cast<int>(text.size()), &rect, formatOf(placement));
    GdiFlush();
    // GDI leaves the alpha byte as it likes; the sheet's pixels are opaque.
    for (int y = 0; y < inside.height; ++y)
        for (int x = 0; x < inside.width; ++x)
            image.row(inside.top + y)[inside.left + x] = opaque(dib.row(y)[x]);
    SelectObject(device_->dc, before);
    DeleteObject(bitmap);
}

std::string GdiGlyphPainter::elided(std::string_view utf8, sheet::Font font, sheet::Elision elision, int width)
{
    const std::wstring text = platform::wideFromUtf8(utf8);
    if (!device_->use(font) || device_->widthOf(text) <= width)
        return std::string(utf8);
    // Characters go from the end, or from the middle outwards, until what
    // is left fits beside the ellipsis.
    std::size_t head = elision == sheet::Elision::End ? text.size() : text.size() / 2;
    std::size_t tail = elision == sheet::Elision::End ? text.size() : head;
    std::wstring shown = text;
    for (bool fromHead = true; head > 0 || tail < text.size(); fromHead = !fromHead) {
        if (elision == sheet::Elision::End || tail >= text.size() || (fromHead && head > 0))
            head = head > 0 ? characterBefore(text, head) : head;
        else
            tail = characterAfter(text, tail);
        shown = text.substr(0, head) + L"\u2026" + text.substr(tail);
        if (device_->widthOf(shown) <= width)
            break;
    }
    return platform::utf8FromWide(shown);
}

bool GdiGlyphPainter::canDraw(char32_t codePoint)
{
    // GetGlyphIndicesW answers for single UTF-16 units only; the fixed
    // fonts carry nothing beyond them.
    if (codePoint > 0xFFFF || !device_->use(sheet::Font::Cell))
        return false;
    const wchar_t unit = static_cast<wchar_t>(codePoint);
    WORD index = 0;
    if (GetGlyphIndicesW(device_->dc, &unit, 1, &index, GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR)
        return false;
    return index != 0xFFFF;
}

}  // namespace pelkora::win32
