// Composing pictures and frames on the memory image, and copying each
// capture off it.
#include "picture/surface.h"

#include <algorithm>
#include <array>

#include "picture/fit_scaling.h"
#include "picture/screen_placement.h"

namespace pelkora::picture {

namespace {

constexpr std::uint32_t kMenuColor = 0xF0F0F0;

Rect rectOf(const FrameRecord& frame)
{
    const gif::GifRect& r = frame.frame.rect;
    return {r.left, r.top, r.width, r.height};
}

// Whether a run of indices holds one that leaves its pixel as it is
// (gif::TransparentIndices). The test is a plain scan that vectorises, far
// cheaper than a branch per pixel.
bool holdsHoles(const std::uint8_t* in, int count, const gif::TransparentIndices& holes)
{
    const int tableEntries = holes.tableEntries;
    const auto transparentByte = static_cast<std::uint8_t>(holes.transparent);
    const bool anyTransparent = holes.transparent >= 0 && holes.transparent < 256;
    std::uint8_t highest = 0;
    std::uint8_t transparentSeen = 0;
    for (int x = 0; x < count; ++x) {
        highest = std::max(highest, in[x]);
        transparentSeen |= static_cast<std::uint8_t>(in[x] == transparentByte);
    }
    return highest >= tableEntries || (anyTransparent && transparentSeen != 0);
}

// The frame's decoded rows onto the surface at (left, top): each index
// through the frame's colour table. The transparent index, an index beyond
// the table and a row the data does not hold leave the surface pixel as it
// is, and nothing outside the surface is touched (gif::GifQuirk::FramePastScreen).
void composeIndices(Image& surface, const FrameIndexDecoder::Indices& decoded, int left, int top)
{
    const gif::GifFrame& image = *decoded.frame;
    const std::array<Pixel, 256> colors = paletteOf(decoded.colors, decoded.holes);
    const int width = image.rect.width;
    const int firstX = std::max(0, -left);
    const int endX = std::min(width, surface.width() - left);
    if (firstX >= endX)
        return;
    for (int n = 0; n < decoded.rows.rowsComplete; ++n) {
        const int y = gif::imageRowAt(n, image.rect.height, image.interlaced);
        const int surfaceY = top + y;
        if (surfaceY < 0 || surfaceY >= surface.height())
            continue;
        const std::uint8_t* in = decoded.indices + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        Pixel* out = surface.row(surfaceY) + left;
        if (!holdsHoles(in + firstX, endX - firstX, decoded.holes)) {
            for (int x = firstX; x < endX; ++x)
                out[x] = colors[in[x]];
            continue;
        }
        for (int x = firstX; x < endX; ++x) {
            const Pixel color = colors[in[x]];
            if (color != 0)
                out[x] = color;
        }
    }
}

void fillRect(Image& surface, const Rect& rect, std::uint32_t color)
{
    const Rect inside = rect.intersected(surface.rect());
    for (int y = inside.top; y < inside.bottom(); ++y)
        std::fill_n(surface.row(y) + inside.left, inside.width, opaque(color));
}

// What a frame covers, saved for its disposal to put back; the part off the
// surface is never put back, so it is left as it was allocated.
Image savedPatch(const Image& surface, const Rect& rect)
{
    Image patch(rect.width, rect.height);
    if (!patch.isNull())
        copyPixels(surface.view(), patch, -rect.left, -rect.top);
    return patch;
}

// A picture with holes at (left, top), only where it lies on the surface:
// a pixel of value 0 leaves the surface's as it is.
void drawWithHoles(Image& surface, const Image& picture, int left, int top)
{
    const Rect inside = Rect{left, top, picture.width(), picture.height()}.intersected(surface.rect());
    for (int y = inside.top; y < inside.bottom(); ++y) {
        const Pixel* from = picture.row(y - top) + (inside.left - left);
        Pixel* to = surface.row(y) + inside.left;
        for (int x = 0; x < inside.width; ++x) {
            if (from[x] != 0)
                to[x] = from[x];
        }
    }
}

}  // namespace

void Surface::setViewCallbacks(ViewCallbacks callbacks) { view_ = std::move(callbacks); }
void Surface::setLimits(const LoadLimits& limits) { limits_ = limits; }
void Surface::setOutputOptions(const output::OutputOptions& options) { options_ = options; }

Outcome Surface::prepare(const SurfaceShape& shape)
{
    Image surface(shape.width, shape.height);
    if (surface.isNull())
        return Status::SurfaceTooLarge;
    surface.fill(opaque(options_.background.value_or(kMenuColor)));
    shape_ = shape;
    if (options_.background)
        shape_.backgroundColor = *options_.background;
    {
        std::lock_guard lock(mutex_);
        memoryImage_ = std::move(surface);
        sharedSurface_.reset();
    }
    if (view_.resized)
        view_.resized(shape.width, shape.height);
    return Status::Ok;
}

void Surface::clear()
{
    std::lock_guard lock(mutex_);
    memoryImage_ = Image();
    sharedSurface_.reset();
    backgroundImage_.reset();
}

Image Surface::snapshot() const
{
    std::lock_guard lock(mutex_);
    return surface().copy();
}

Image& Surface::drawable()
{
    if (sharedSurface_) {
        memoryImage_ = sharedSurface_->copy();
        sharedSurface_.reset();
    }
    return memoryImage_;
}

const Image& Surface::surface() const { return sharedSurface_ ? *sharedSurface_ : memoryImage_; }

Surface::StillCapture Surface::showStill(const StillPicture& still)
{
    // A picture that covers the whole surface is what a capture would copy
    // off it, so it is its own capture.
    const Image& picture = *still.image;
    const bool coversSurface = !still.holes && still.left == 0 && still.top == 0 && picture.width() == shape_.width
                               && picture.height() == shape_.height;
    {
        std::lock_guard lock(mutex_);
        // An opaque picture covers what it lies on, so it is copied. One
        // that covers it all becomes the surface, shared until it is drawn on.
        if (coversSurface) {
            sharedSurface_ = still.image;
            memoryImage_ = Image();
        } else if (!still.holes) {
            copyPixels(picture.view(), drawable(), still.left, still.top);
        } else {
            drawWithHoles(drawable(), picture, still.left, still.top);
        }
    }
    fireRepaint();
    const Image* pixels = coversSurface ? &picture : nullptr;
    if (pixels == nullptr && copyOut({0, 0, shape_.width, shape_.height}, stillCapture_).ok())
        pixels = &stillCapture_;
    if (pixels == nullptr)
        return {stillCapture_, {}};  // null: copyOut let go of it
    std::optional<Captured> fitted = fitIfAsked(*pixels, 0, 0);
    if (!fitted)
        return {*pixels, {}};
    fittedStill_ = std::move(*fitted);
    return {fittedStill_.pixels, fittedStill_.pictureArea};
}

void Surface::drawFrame(const FrameRecord& frame)
{
    // Decoded outside the lock, so a view's snapshot need not wait.
    std::optional<FrameIndexDecoder::Indices> decoded;
    if (frame.source)
        decoded = frameDecoder_.decode(frame.source->data(), frame.source->size(), frame.frame);
    {
        std::lock_guard lock(mutex_);
        Image& surface = drawable();
        if (frame.frame.disposal == 3)
            backgroundImage_ = savedPatch(surface, rectOf(frame));
        if (decoded)
            composeIndices(surface, *decoded, frame.frame.rect.left, frame.frame.rect.top);
    }
    fireRepaint();
}

std::optional<Captured> Surface::captureFrame(const FrameRecord& frame) const
{
    const Rect captured = options_.fullFrames ? Rect{0, 0, shape_.width, shape_.height} : rectOf(frame);
    if (captured.empty())
        return std::nullopt;
    // A frame the images cannot hold goes to the writer empty, to be
    // reported in its turn.
    Captured capture;
    if (copyOut(captured, capture.pixels).ok()) {
        if (std::optional<Captured> fitted = fitIfAsked(capture.pixels, captured.left, captured.top))
            capture = std::move(*fitted);
    }
    return capture;
}

void Surface::dispose(const FrameRecord& frame)
{
    std::lock_guard lock(mutex_);
    if (frame.frame.disposal == 2) {
        fillRect(drawable(), rectOf(frame), shape_.backgroundColor);
    } else if (frame.frame.disposal == 3 && backgroundImage_) {
        copyPixels(backgroundImage_->view(), drawable(), frame.frame.rect.left, frame.frame.rect.top);
        backgroundImage_.reset();
    }
}

void Surface::clearToBackground()
{
    std::lock_guard lock(mutex_);
    drawable().fill(opaque(shape_.backgroundColor));
}

Outcome Surface::copyOut(const Rect& wanted, Image& into) const
{
    // Frames are decoded within the limits, so this only guards the unforeseen.
    if (into.width() != wanted.width || into.height() != wanted.height) {
        into = Image();
        if (rgb32Bytes(wanted.width, wanted.height) <= std::max(limits_.surfaceBytes, limits_.frameBytes))
            into = Image(wanted.width, wanted.height);
        if (into.isNull())
            return Status::CannotWrite;
    }
    std::lock_guard lock(mutex_);
    const Image& from = surface();
    // What lies outside the surface reads as the background colour.
    if (wanted.intersected(from.rect()) != wanted)
        into.fill(opaque(shape_.backgroundColor));
    copyPixels(from.view(), into, -wanted.left, -wanted.top);
    return Status::Ok;
}

std::uint32_t Surface::marginColor() const { return shape_.backgroundColor; }

std::optional<Captured> Surface::fitIfAsked(const Image& capture, int left, int top) const
{
    std::optional<Captured> fitted = scaleIfAsked(capture, left, top);
    // Only a whole picture has a place on the screen; a frame's patch keeps
    // its own, as the device lays it over the frames before.
    const bool whole = left == 0 && top == 0 && capture.width() == shape_.width && capture.height() == shape_.height;
    if (!whole || !options_.center || !options_.screen)
        return fitted;
    const Image& picture = fitted ? fitted->pixels : capture;
    std::optional<Image> centred = centredOnScreen(picture, *options_.screen, marginColor());
    if (!centred)
        return fitted;
    // The margins are bars like the letterbox's, never dithered.
    const output::Size screen = *options_.screen;
    Rect area = fitted && !fitted->pictureArea.empty() ? fitted->pictureArea : picture.rect();
    area.left += (screen.width - picture.width()) / 2;
    area.top += (screen.height - picture.height()) / 2;
    return Captured{std::move(*centred), area};
}

std::optional<Captured> Surface::scaleIfAsked(const Image& capture, int left, int top) const
{
    if (!options_.fit)
        return std::nullopt;
    const output::Size bounds = *options_.fit;
    const output::Size surface{shape_.width, shape_.height};
    const output::Size full = shape_.fullSize.value_or(surface);
    if (full.width <= bounds.width && full.height <= bounds.height)
        return std::nullopt;
    // The whole surface fills the screen; a frame's own patch shrinks by the
    // same factor as the surface, so the patches of one animation agree.
    if (left == 0 && top == 0 && capture.width() == surface.width && capture.height() == surface.height)
        return fitWhole(capture);
    const output::Size scaledSurface = options_.fill ? coveringSize(surface, bounds) : fittedSize(surface, bounds);
    auto scaleSide = [](int side, int scaled, int whole) {
        const long long value = (2LL * side * scaled + whole) / (2LL * whole);
        return static_cast<int>(std::clamp<long long>(value, 1, side));
    };
    return Captured{scaleDownByArea(capture, {scaleSide(capture.width(), scaledSurface.width, surface.width),
                                              scaleSide(capture.height(), scaledSurface.height, surface.height)}),
                    {}};
}

Captured Surface::fitWhole(const Image& capture) const
{
    const output::Size bounds = *options_.fit;
    if (options_.fill)
        return fillBounds(capture, bounds, marginColor());
    // A picture decoded at a reduced size keeps the shape of its full size.
    const output::Size full = shape_.fullSize.value_or(output::Size{capture.width(), capture.height()});
    Image fitted = fitIntoBounds(capture, full, bounds, marginColor());
    const Rect area = letterboxArea(full, bounds);
    // Bars only when the picture leaves some: a picture of the screen's
    // aspect is all picture, dithered as it always was.
    return {std::move(fitted), area == Rect{0, 0, bounds.width, bounds.height} ? Rect{} : area};
}

void Surface::fireRepaint() const
{
    if (view_.repaint)
        view_.repaint();
}

}  // namespace pelkora::picture
