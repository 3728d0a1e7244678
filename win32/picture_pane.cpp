#include "win32/picture_pane.h"

#include <commctrl.h>

#include <algorithm>

#include "output/dob_reader.h"
#include "picture/animated_picture.h"

namespace pelkora::win32 {

namespace {

constexpr UINT kResizeMessage = WM_APP + 1;
constexpr UINT_PTR kSubclassId = 1;

void drawImage(HDC dc, const Image& image)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width();
    info.bmiHeader.biHeight = -image.height();  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(image.width()), static_cast<DWORD>(image.height()), 0, 0, 0,
                      static_cast<UINT>(image.height()), image.row(0), &info, DIB_RGB_COLORS);
}

}  // namespace

Image deviceImage(const std::vector<std::uint8_t>& dob, int width, int height)
{
    if (width <= 0 || height <= 0)
        return {};
    const auto count = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (dob.size() != 2 + (count + 1) / 2)
        return {};
    Image image(width, height);
    if (image.isNull())
        return {};
    std::vector<std::uint8_t> levels(static_cast<std::size_t>(count));
    output::unpackLevels(dob.data() + 2, count, levels.data());
    for (int y = 0; y < height; ++y) {
        Pixel* row = image.row(y);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t grey = 255 - 17u * levels[static_cast<std::size_t>(y) * width + x];
            row[x] = 0xFF000000u | grey << 16 | grey << 8 | grey;
        }
    }
    return image;
}

void PicturePane::subscribe(picture::AnimatedPicture& model)
{
    model_ = &model;
    picture::ViewCallbacks callbacks;
    callbacks.resized = [this](int width, int height) {
        if (HWND control = control_)
            PostMessageW(control, kResizeMessage, static_cast<WPARAM>(width), static_cast<LPARAM>(height));
    };
    callbacks.repaint = [this] {
        if (HWND control = control_)
            InvalidateRect(control, nullptr, FALSE);
    };
    model.setViewCallbacks(std::move(callbacks));
}

void PicturePane::attach(HWND control)
{
    control_ = control;
    SetWindowSubclass(control, &PicturePane::paneProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    // Below the buttons, which a large picture would otherwise cover.
    SetWindowPos(control, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (model_ != nullptr && model_->pictureWidth() > 0)
        followPictureSize(model_->pictureWidth(), model_->pictureHeight());
}

void PicturePane::detach()
{
    if (control_ != nullptr)
        RemoveWindowSubclass(control_, &PicturePane::paneProc, kSubclassId);
    control_ = nullptr;
    model_ = nullptr;
}

void PicturePane::setDeviceView(bool on)
{
    deviceView_ = on;
    if (control_ != nullptr)
        InvalidateRect(control_, nullptr, FALSE);
}

void PicturePane::showWritten(Image image)
{
    {
        std::lock_guard lock(writtenMutex_);
        written_ = std::move(image);
    }
    if (HWND control = control_; control != nullptr && deviceView_)
        InvalidateRect(control, nullptr, FALSE);
}

void PicturePane::followPictureSize(int width, int height)
{
    SetWindowPos(control_, nullptr, 0, 0, std::max(width, 0), std::max(height, 0),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(control_, nullptr, FALSE);
}

void PicturePane::paint(HDC dc)
{
    RECT area{};
    GetClientRect(control_, &area);
    Image image;
    if (deviceView_) {
        std::lock_guard lock(writtenMutex_);
        image = written_.copy();
    } else if (model_ != nullptr) {
        image = model_->snapshot();
    }
    // Black wherever no picture is drawn, as before the first one.
    if (!image.isNull())
        drawImage(dc, image);
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    const RECT right{image.width(), 0, area.right, area.bottom};
    const RECT below{0, image.height(), std::min<LONG>(image.width(), area.right), area.bottom};
    FillRect(dc, &right, black);
    FillRect(dc, &below, black);
}

LRESULT CALLBACK PicturePane::paneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR self)
{
    auto* pane = reinterpret_cast<PicturePane*>(self);
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(window, &paint);
        pane->paint(dc);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case kResizeMessage:
        pane->followPictureSize(static_cast<int>(wParam), static_cast<int>(lParam));
        return 0;
    default:
        return DefSubclassProc(window, message, wParam, lParam);
    }
}

}  // namespace pelkora::win32
