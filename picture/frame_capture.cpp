// Composing pictures and frames on the memory image, and capturing each
// drawn picture into the package.
#include "picture/frame_capture.h"

#include <algorithm>
#include <array>

#include "output/output_folder.h"
#include "output/playlist.h"
#include "picture/fit_scaling.h"

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

FrameCapture::FrameCapture(std::filesystem::path workDirectory)
        : workDirectory_(std::move(workDirectory)), outputDirectory_(output::outputFolderPath(workDirectory_)),
          sink_(output::writeDobFile), playlist_(output::playlistPath(outputDirectory_))
{
}

void FrameCapture::setOutputOptions(const output::OutputOptions& options) { outputOptions_ = options; }
const output::OutputOptions& FrameCapture::outputOptions() const { return outputOptions_; }
// The writes still waiting use the sink and the listener they were taken under.
void FrameCapture::setSink(CaptureSink sink)
{
    writes_.drain();
    sink_ = sink ? std::move(sink) : CaptureSink(output::writeDobFile);
}
void FrameCapture::setListener(std::function<void(const CaptureEvent&)> listener)
{
    writes_.drain();
    listener_ = std::move(listener);
}
void FrameCapture::setViewCallbacks(ViewCallbacks callbacks) { view_ = std::move(callbacks); }
void FrameCapture::setLimits(const LoadLimits& limits) { limits_ = limits; }
const std::filesystem::path& FrameCapture::outputDirectory() const { return outputDirectory_; }

Outcome FrameCapture::prepare(const CapturePlan& plan)
{
    Image surface(plan.width, plan.height);
    if (surface.isNull())
        return Status::SurfaceTooLarge;
    surface.fill(opaque(kMenuColor));
    plan_ = plan;
    {
        std::lock_guard lock(drawMutex_);
        memoryImage_ = std::move(surface);
        sharedSurface_.reset();
    }
    if (view_.resized)
        view_.resized(plan.width, plan.height);
    return Status::Ok;
}

void FrameCapture::clear()
{
    std::lock_guard lock(drawMutex_);
    memoryImage_ = Image();
    sharedSurface_.reset();
    backgroundImage_.reset();
}

Image FrameCapture::snapshot() const
{
    std::lock_guard lock(drawMutex_);
    return surface().copy();
}

Image& FrameCapture::drawable()
{
    if (sharedSurface_) {
        memoryImage_ = sharedSurface_->copy();
        sharedSurface_.reset();
    }
    return memoryImage_;
}

const Image& FrameCapture::surface() const { return sharedSurface_ ? *sharedSurface_ : memoryImage_; }

Outcome FrameCapture::showStill(const StillPicture& still)
{
    // A picture that covers the whole surface is what a capture would copy
    // off it, so it is written as it stands.
    const Image& picture = *still.image;
    const bool coversSurface = !still.holes && still.left == 0 && still.top == 0 && picture.width() == plan_.width
                               && picture.height() == plan_.height;
    {
        std::lock_guard lock(drawMutex_);
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
    if (plan_.width <= 0 || plan_.height <= 0)
        return Status::Ok;
    // A frame still on its way lands first, as its line comes first.
    writes_.drain();
    const Capture capture{{},
                          outputDirectory_ / output::dobFileName(plan_.baseName, 0),
                          output::PlaylistLineForm::StillPicture,
                          plan_.frameDisplayTime,
                          outputOptions_.dither};
    const Image* pixels = coversSurface ? &picture : nullptr;
    if (pixels == nullptr && takeCapture({0, 0, plan_.width, plan_.height}, stillCapture_).ok())
        pixels = &stillCapture_;
    if (pixels == nullptr)
        return writeCapture(capture, Image());
    const std::optional<Image> fitted = fitIfAsked(*pixels, 0, 0);
    return writeCapture(capture, fitted ? *fitted : *pixels);
}

void FrameCapture::drawFrame(const FrameRecord& frame, int index)
{
    // Decoded outside the drawing lock, so a view's snapshot need not wait.
    std::optional<FrameIndexDecoder::Indices> decoded;
    if (frame.source)
        decoded = frameDecoder_.decode(frame.source->data(), frame.source->size(), frame.frame);
    {
        std::lock_guard lock(drawMutex_);
        Image& surface = drawable();
        if (frame.frame.disposal == 3)
            backgroundImage_ = savedPatch(surface, rectOf(frame));
        if (decoded)
            composeIndices(surface, *decoded, frame.frame.rect.left, frame.frame.rect.top);
    }
    fireRepaint();
    const Rect captured = outputOptions_.fullFrames ? Rect{0, 0, plan_.width, plan_.height} : rectOf(frame);
    if (captured.empty())
        return;
    Capture capture{{},
                    outputDirectory_ / output::dobFileName(plan_.baseName, index + 1),
                    output::lineFormFor(plan_.animationFrames, index),
                    plan_.frameDisplayTime,
                    outputOptions_.dither};
    // A frame the images cannot hold goes to the writer empty, to be
    // reported in its turn.
    if (takeCapture(captured, capture.pixels).ok()) {
        if (std::optional<Image> fitted = fitIfAsked(capture.pixels, captured.left, captured.top))
            capture.pixels = std::move(*fitted);
    }
    // The queue holds copyable writes, so the capture goes in shared.
    auto taken = std::make_shared<const Capture>(std::move(capture));
    writes_.push([this, taken] { writeCapture(*taken, taken->pixels); });
}

void FrameCapture::dispose(const FrameRecord& frame)
{
    std::lock_guard lock(drawMutex_);
    if (frame.frame.disposal == 2) {
        fillRect(drawable(), rectOf(frame), plan_.backgroundColor);
    } else if (frame.frame.disposal == 3 && backgroundImage_) {
        copyPixels(backgroundImage_->view(), drawable(), frame.frame.rect.left, frame.frame.rect.top);
        backgroundImage_.reset();
    }
}

void FrameCapture::finishPass()
{
    writes_.drain();
    {
        std::lock_guard lock(captureMutex_);
        captureEnabled_ = false;
    }
    std::lock_guard lock(drawMutex_);
    drawable().fill(opaque(plan_.backgroundColor));
}

void FrameCapture::enableCapture()
{
    // A write left over from before is not let in by this load.
    writes_.drain();
    std::lock_guard lock(captureMutex_);
    captureEnabled_ = true;
}

void FrameCapture::endCapture()
{
    // A capture in flight holds this lock: once it is ours, none is running
    // and none will start. The writes still waiting see capture off and
    // drop their frames; they are gone before this returns.
    {
        std::lock_guard lock(captureMutex_);
        captureEnabled_ = false;
    }
    writes_.drain();
}

void FrameCapture::waitForWrites() { writes_.drain(); }

bool FrameCapture::capturing()
{
    std::lock_guard lock(captureMutex_);
    return captureEnabled_;
}

std::vector<std::string> FrameCapture::plannedNames(const CapturePlan& plan,
                                                    const std::vector<FrameRecord>& frames) const
{
    std::vector<std::string> names;
    // As the capture names them; a frame or picture without area is skipped.
    if (plan.animationFrames > 0) {
        for (std::size_t i = 0; i < frames.size(); ++i) {
            if (!rectOf(frames[i]).empty() && frames[i].source) {
                names.push_back(output::dobFileName(plan.baseName, static_cast<int>(i) + 1));
            }
        }
    } else if (plan.width > 0 && plan.height > 0) {
        names.push_back(output::dobFileName(plan.baseName, 0));
    }
    return names;
}

Outcome FrameCapture::takeCapture(const Rect& wanted, Image& into) const
{
    // Frames are decoded within the limits, so this only guards the unforeseen.
    if (into.width() != wanted.width || into.height() != wanted.height) {
        into = Image();
        if (rgb32Bytes(wanted.width, wanted.height) <= std::max(limits_.surfaceBytes, limits_.frameBytes))
            into = Image(wanted.width, wanted.height);
        if (into.isNull())
            return Status::CannotWrite;
    }
    std::lock_guard lock(drawMutex_);
    const Image& from = surface();
    // What lies outside the surface reads as the background colour.
    if (wanted.intersected(from.rect()) != wanted)
        into.fill(opaque(plan_.backgroundColor));
    copyPixels(from.view(), into, -wanted.left, -wanted.top);
    return Status::Ok;
}

Outcome FrameCapture::writeCapture(const Capture& capture, const Image& pixels)
{
    CaptureEvent event{capture.path, pixels.isNull() ? Outcome(Status::CannotWrite) : Outcome(), {}};
    {
        std::lock_guard lock(captureMutex_);
        if (!captureEnabled_)
            return Status::Ok;
        if (event.outcome.ok()) {
            auto warn = [&event](Outcome warning) { event.warnings.push_back(std::move(warning)); };
            const output::DobTarget target{capture.path,
                                           outputDirectory_,
                                           workDirectory_,
                                           capture.form,
                                           capture.frameDisplayTime,
                                           capture.dither,
                                           warn,
                                           &playlist_};
            event.outcome = sink_(target, pixels.view());
        }
    }
    if (listener_)
        listener_(event);
    return event.outcome;
}

std::optional<Image> FrameCapture::fitIfAsked(const Image& capture, int left, int top) const
{
    if (!outputOptions_.fit)
        return std::nullopt;
    const output::Size bounds = *outputOptions_.fit;
    const output::Size surface{plan_.width, plan_.height};
    const output::Size scaledSurface = fittedSize(surface, bounds);
    if (scaledSurface == surface)
        return std::nullopt;
    // The whole surface fills the screen; a frame's own patch shrinks by the
    // same factor as the surface, so the patches of one animation agree.
    if (left == 0 && top == 0 && capture.width() == surface.width && capture.height() == surface.height)
        return fitIntoBounds(capture, bounds, plan_.backgroundColor);
    auto scaleSide = [](int side, int scaled, int whole) {
        const long long value = (2LL * side * scaled + whole) / (2LL * whole);
        return static_cast<int>(std::clamp<long long>(value, 1, side));
    };
    return scaleDownByArea(capture, {scaleSide(capture.width(), scaledSurface.width, surface.width),
                                     scaleSide(capture.height(), scaledSurface.height, surface.height)});
}

void FrameCapture::fireRepaint() const
{
    if (view_.repaint)
        view_.repaint();
}

}  // namespace pelkora::picture
