// Composing pictures and frames on the memory image, and capturing each
// drawn picture into the package.
#include "picture/frame_capture.h"

#include <algorithm>
#include <array>
#include <cstring>

#include <QColor>
#include <QPainter>
#include <QRect>

#include "output/output_folder.h"
#include "output/playlist.h"
#include "picture/fit_scaling.h"
#include "picture/pixel_bytes.h"

namespace pelkora::picture {

namespace {

constexpr std::uint32_t kMenuColor = 0xF0F0F0;

QRect rectOf(const FrameRecord& frame)
{
    const gif::GifRect& r = frame.frame.rect;
    return QRect(r.left, r.top, r.width, r.height);
}

QRgb* pixelAt(QImage& surface, int x, int y)
{
    return reinterpret_cast<QRgb*>(surface.bits() + static_cast<std::ptrdiff_t>(y) * surface.bytesPerLine()) + x;
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
void composeIndices(QImage& surface, const FrameIndexDecoder::Indices& decoded, int left, int top)
{
    const gif::GifFrame& image = *decoded.frame;
    const std::array<QRgb, 256> colors = paletteOf(decoded.colors, decoded.holes);
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
        QRgb* out = pixelAt(surface, left, surfaceY);
        if (!holdsHoles(in + firstX, endX - firstX, decoded.holes)) {
            for (int x = firstX; x < endX; ++x)
                out[x] = colors[in[x]];
            continue;
        }
        for (int x = firstX; x < endX; ++x) {
            const QRgb color = colors[in[x]];
            if (color != 0)
                out[x] = color;
        }
    }
}

void fillRect(QImage& surface, const QRect& rect, std::uint32_t color)
{
    const QRect inside = rect.intersected(surface.rect());
    const QRgb pixel = qRgb(qRed(color), qGreen(color), qBlue(color));
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        std::fill_n(pixelAt(surface, inside.left(), y), inside.width(), pixel);
}

// A saved patch (or an opaque picture) at (left, top), only where it lies on
// the surface.
void copyPatch(QImage& surface, const QImage& patch, int left, int top)
{
    const QRect inside = QRect(left, top, patch.width(), patch.height()).intersected(surface.rect());
    const auto rowBytes = static_cast<std::size_t>(inside.width()) * 4;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(patch.constScanLine(y - top)) + (inside.left() - left);
        std::memcpy(pixelAt(surface, inside.left(), y), from, rowBytes);
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

Status FrameCapture::prepare(const CapturePlan& plan)
{
    QImage surface(plan.width, plan.height, QImage::Format_RGB32);
    if (surface.isNull())
        return Status::SurfaceTooLarge;
    surface.fill(QColor(QRgb(kMenuColor)));
    plan_ = plan;
    {
        std::lock_guard lock(drawMutex_);
        memoryImage_ = std::move(surface);
    }
    if (view_.resized)
        view_.resized(plan.width, plan.height);
    return Status::Ok;
}

void FrameCapture::clear()
{
    std::lock_guard lock(drawMutex_);
    memoryImage_ = QImage();
    backgroundImage_.reset();
}

QImage FrameCapture::snapshot() const
{
    std::lock_guard lock(drawMutex_);
    return memoryImage_.copy();
}

Outcome FrameCapture::showStill(const StillPicture& still)
{
    // A picture that covers the whole surface is what a capture would copy
    // off it, so it is written as it stands.
    const bool coversSurface = still.image.format() == QImage::Format_RGB32 && still.left == 0 && still.top == 0
                               && still.image.width() == plan_.width && still.image.height() == plan_.height;
    {
        std::lock_guard lock(drawMutex_);
        // An opaque picture covers what it lies on: a plain copy draws it
        // as the painter would, without the painter's cost per picture.
        // One that covers it all becomes the surface, shared until either
        // is drawn on.
        if (coversSurface) {
            memoryImage_ = still.image;
        } else if (still.image.format() == QImage::Format_RGB32) {
            copyPatch(memoryImage_, still.image, still.left, still.top);
        } else {
            QPainter painter(&memoryImage_);
            painter.drawImage(QPoint(still.left, still.top), still.image);
        }
    }
    fireRepaint();
    if (plan_.width <= 0 || plan_.height <= 0)
        return Status::Ok;
    // A frame still on its way lands first, as its line comes first.
    writes_.drain();
    Capture capture{{},
                    outputDirectory_ / output::dobFileName(plan_.baseName, 0),
                    output::PlaylistLineForm::StillPicture,
                    plan_.frameDisplayTime,
                    outputOptions_.dither};
    if (coversSurface) {
        capture.pixels = still.image;
    } else if (takeCapture(0, 0, plan_.width, plan_.height, stillCapture_) == Status::Ok) {
        capture.pixels = stillCapture_;
    }
    if (!capture.pixels.isNull())
        fitIfAsked(capture.pixels, 0, 0);
    return writeCapture(capture);
}

void FrameCapture::drawFrame(const FrameRecord& frame, int index)
{
    // Decoded outside the drawing lock, so a view's snapshot need not wait.
    std::optional<FrameIndexDecoder::Indices> decoded;
    if (frame.source)
        decoded = frameDecoder_.decode(frame.source->data(), frame.source->size(), frame.frame);
    {
        std::lock_guard lock(drawMutex_);
        if (frame.frame.disposal == 3)
            backgroundImage_ = memoryImage_.copy(rectOf(frame));
        if (decoded)
            composeIndices(memoryImage_, *decoded, frame.frame.rect.left, frame.frame.rect.top);
    }
    fireRepaint();
    const QRect captured = outputOptions_.fullFrames ? QRect(0, 0, plan_.width, plan_.height) : rectOf(frame);
    if (captured.isEmpty())
        return;
    Capture capture{{},
                    outputDirectory_ / output::dobFileName(plan_.baseName, index + 1),
                    output::lineFormFor(plan_.animationFrames, index),
                    plan_.frameDisplayTime,
                    outputOptions_.dither};
    // A frame the images cannot hold goes to the writer empty, to be
    // reported in its turn.
    if (takeCapture(captured.x(), captured.y(), captured.width(), captured.height(), capture.pixels) == Status::Ok)
        fitIfAsked(capture.pixels, captured.x(), captured.y());
    writes_.push([this, capture = std::move(capture)] { writeCapture(capture); });
}

void FrameCapture::dispose(const FrameRecord& frame)
{
    std::lock_guard lock(drawMutex_);
    if (frame.frame.disposal == 2) {
        fillRect(memoryImage_, rectOf(frame), plan_.backgroundColor);
    } else if (frame.frame.disposal == 3 && backgroundImage_) {
        copyPatch(memoryImage_, *backgroundImage_, frame.frame.rect.left, frame.frame.rect.top);
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
    memoryImage_.fill(QColor(QRgb(plan_.backgroundColor)));
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
            if (!rectOf(frames[i]).isEmpty() && frames[i].source) {
                names.push_back(output::dobFileName(plan.baseName, static_cast<int>(i) + 1));
            }
        }
    } else if (plan.width > 0 && plan.height > 0) {
        names.push_back(output::dobFileName(plan.baseName, 0));
    }
    return names;
}

Status FrameCapture::takeCapture(int left, int top, int width, int height, QImage& into) const
{
    // Frames are decoded within the limits, so this only guards the unforeseen.
    if (into.width() != width || into.height() != height) {
        into = QImage();
        if (rgb32Bytes(width, height) <= std::max(limits_.surfaceBytes, limits_.frameBytes))
            into = QImage(width, height, QImage::Format_RGB32);
        if (into.isNull())
            return Status::CannotWrite;
    }
    {
        const QRect wanted(left, top, width, height);
        std::lock_guard lock(drawMutex_);
        const QRect inside = wanted.intersected(memoryImage_.rect());
        // What lies outside the surface reads as the background colour.
        if (inside != wanted)
            into.fill(QColor(QRgb(plan_.backgroundColor)));
        const auto rowBytes = static_cast<std::size_t>(inside.width()) * 4;
        for (int y = inside.top(); y <= inside.bottom(); ++y) {
            const auto* from = reinterpret_cast<const QRgb*>(memoryImage_.constScanLine(y)) + inside.left();
            auto* to = reinterpret_cast<QRgb*>(into.scanLine(y - top)) + (inside.left() - left);
            std::memcpy(to, from, rowBytes);
        }
    }
    return Status::Ok;
}

void FrameCapture::fitIfAsked(QImage& capture, int left, int top) const
{
    if (outputOptions_.fit)
        capture = fitCapture(capture, left, top);
}

Outcome FrameCapture::writeCapture(const Capture& capture)
{
    CaptureEvent event{capture.path, Status::Ok, {}, {}};
    if (capture.pixels.isNull())
        event.status = Status::CannotWrite;
    {
        std::lock_guard lock(captureMutex_);
        if (!captureEnabled_)
            return Status::Ok;
        if (event.status == Status::Ok) {
            auto warn = [&event](std::string warning) { event.warnings.push_back(std::move(warning)); };
            const output::DobTarget target{capture.path,
                                           outputDirectory_,
                                           workDirectory_,
                                           capture.form,
                                           capture.frameDisplayTime,
                                           capture.dither,
                                           warn,
                                           &playlist_};
            const QImage& pixels = capture.pixels;
            const output::PixelView view{reinterpret_cast<const std::uint32_t*>(pixels.constBits()), pixels.width(),
                                         pixels.height(), static_cast<std::ptrdiff_t>(pixels.bytesPerLine() / 4)};
            const Outcome written = sink_(target, view);
            event.status = written.status;
            event.cause = written.cause;
        }
    }
    const Outcome result(event.status, event.cause);
    if (listener_)
        listener_(event);
    return result;
}

QImage FrameCapture::fitCapture(const QImage& capture, int left, int top) const
{
    const output::Size bounds = *outputOptions_.fit;
    const QSize surface(plan_.width, plan_.height);
    const QSize scaledSurface = fittedSize(surface, bounds);
    if (scaledSurface == surface)
        return capture;
    // The whole surface fills the screen; a frame's own patch shrinks by the
    // same factor as the surface, so the patches of one animation agree.
    if (left == 0 && top == 0 && capture.size() == surface)
        return fitIntoBounds(capture, bounds, plan_.backgroundColor);
    auto scaleSide = [](int side, int scaled, int whole) {
        const long long value = (2LL * side * scaled + whole) / (2LL * whole);
        return static_cast<int>(std::clamp<long long>(value, 1, side));
    };
    return scaleDownByArea(capture, QSize(scaleSide(capture.width(), scaledSurface.width(), surface.width()),
                                          scaleSide(capture.height(), scaledSurface.height(), surface.height())));
}

void FrameCapture::fireRepaint() const
{
    if (view_.repaint)
        view_.repaint();
}

}  // namespace pelkora::picture
