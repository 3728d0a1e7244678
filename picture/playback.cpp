// Drawing what is loaded, the animation's one pass on the worker, and the
// capture of every drawn picture into the package.
#include <algorithm>
#include <cstring>
#include <string>

#include <QColor>
#include <QPainter>
#include <QRect>

#include "picture/animated_picture.h"
#include "picture/fit_scaling.h"
#include "picture/frame_timing.h"
#include "picture/pixel_bytes.h"

namespace pelkora::picture {

namespace {

QRect rectOf(const FrameRecord& frame) { return QRect(frame.left, frame.top, frame.width, frame.height); }

}  // namespace

int AnimatedPicture::ShowPicture()
{
    if (!isInitialized_)
        return 0;
    if (CountAnimationFrames() > 0) {
        joinWorker();
        worker_ = std::thread([this] { PlaybackThreadMain(); });
        return 0;
    }
    if (!picture_)
        return 0;
    {
        std::lock_guard lock(drawMutex_);
        QPainter painter(&memoryImage_);
        painter.drawImage(QPoint(picture_->left, picture_->top), picture_->image);
    }
    fireRepaint();
    CaptureRect(0, 0, pictureWidth_, pictureHeight_, stillCapturePath(), output::PlaylistLineForm::StillPicture);
    return lastStatus_ == Status::Ok ? 1 : 0;
}

void AnimatedPicture::StopPlayback()
{
    {
        std::lock_guard lock(controlMutex_);
        isPlaying_ = false;
        exitFlag_ = true;
    }
    exitEvent_.notify_all();
    joinWorker();
    std::lock_guard lock(controlMutex_);
    exitFlag_ = false;
    hurry_ = false;
}

void AnimatedPicture::CompletePass()
{
    if (!worker_.joinable())
        return;
    bool capturing = false;
    {
        std::lock_guard lock(captureMutex_);
        capturing = captureEnabled_;
    }
    {
        std::lock_guard lock(controlMutex_);
        // With nothing left to write there is nothing to hurry for.
        if (capturing)
            hurry_ = true;
        else
            exitFlag_ = true;
    }
    exitEvent_.notify_all();
    joinWorker();
}

void AnimatedPicture::EndCapture()
{
    // A capture in flight holds this lock: once it is ours, none is running
    // and none will start.
    std::lock_guard lock(captureMutex_);
    captureEnabled_ = false;
}

void AnimatedPicture::WaitForPass() { joinWorker(); }

bool AnimatedPicture::capturePending()
{
    // A pass that ran to its end has ended capture; a stopped one was joined.
    if (!worker_.joinable())
        return false;
    std::lock_guard lock(captureMutex_);
    return captureEnabled_;
}

void AnimatedPicture::joinWorker()
{
    if (worker_.joinable())
        worker_.join();
}

void AnimatedPicture::PlaybackThreadMain()
{
    isPlaying_ = true;
    PlayFrames();
    isPlaying_ = false;
}

void AnimatedPicture::PlayFrames()
{
    if (frames_.empty())
        return;
    ApplyDisposal(frames_[static_cast<std::size_t>(currentFrame_)]);
    while (!stopRequested()) {
        const FrameRecord& frame = frames_[static_cast<std::size_t>(currentFrame_)];
        if (!frame.picture.isNull()) {
            if (frame.disposal == 3)
                SaveBackground(frame);
            DrawFrame(frame);
            fireRepaint();
            const QRect captured = outputOptions_.fullFrames ? QRect(0, 0, pictureWidth_, pictureHeight_)
                                                             : rectOf(frame);
            CaptureRect(captured.x(), captured.y(), captured.width(), captured.height(),
                        frameCapturePath(currentFrame_ + 1), output::lineFormFor(CountAnimationFrames(), currentFrame_));
            if (stopRequested() || !WaitFrameDelay(frame))
                return;
            ApplyDisposal(frame);
        }
        if (++currentFrame_ == static_cast<int>(frames_.size()))
            FinishPass();
    }
}

void AnimatedPicture::FinishPass()
{
    currentFrame_ = 0;
    {
        std::lock_guard lock(captureMutex_);
        captureEnabled_ = false;
    }
    {
        std::lock_guard lock(drawMutex_);
        memoryImage_.fill(QColor(QRgb(backgroundColor_)));
    }
    std::lock_guard lock(controlMutex_);
    exitFlag_ = true;
}

bool AnimatedPicture::stopRequested()
{
    std::lock_guard lock(controlMutex_);
    return exitFlag_;
}

bool AnimatedPicture::WaitFrameDelay(const FrameRecord& frame)
{
    std::unique_lock lock(controlMutex_);
    if (realtime_ && !hurry_)
        exitEvent_.wait_for(lock, frameWait(frame.delay), [this] { return exitFlag_ || hurry_; });
    return !exitFlag_;
}

void AnimatedPicture::DrawFrame(const FrameRecord& frame)
{
    std::lock_guard lock(drawMutex_);
    QPainter painter(&memoryImage_);
    painter.drawImage(QPoint(frame.left, frame.top), frame.picture);
}

void AnimatedPicture::SaveBackground(const FrameRecord& frame)
{
    std::lock_guard lock(drawMutex_);
    backgroundImage_ = memoryImage_.copy(rectOf(frame));
}

void AnimatedPicture::ApplyDisposal(const FrameRecord& frame)
{
    std::lock_guard lock(drawMutex_);
    if (frame.disposal == 2) {
        QPainter painter(&memoryImage_);
        painter.fillRect(rectOf(frame), QColor(QRgb(backgroundColor_)));
    } else if (frame.disposal == 3 && backgroundImage_) {
        QPainter painter(&memoryImage_);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QPoint(frame.left, frame.top), *backgroundImage_);
        backgroundImage_.reset();
    }
}

void AnimatedPicture::CaptureRect(int left, int top, int width, int height, const std::filesystem::path& capturePath,
                                  output::PlaylistLineForm form)
{
    if (width <= 0 || height <= 0)
        return;
    CaptureEvent event{output::dobPathFor(capturePath), Status::Ok, {}, {}};
    // Frames are decoded within the limits, so this only guards the unforeseen.
    QImage capture;
    if (rgb32Bytes(width, height) <= std::max(limits_.surfaceBytes, limits_.frameBytes))
        capture = QImage(width, height, QImage::Format_RGB32);
    if (capture.isNull()) {
        event.status = Status::CannotWrite;
    } else {
        // What lies outside the surface reads as the background colour.
        capture.fill(QColor(QRgb(backgroundColor_)));
        std::lock_guard lock(drawMutex_);
        const QRect wanted(left, top, width, height);
        const QRect inside = wanted.intersected(memoryImage_.rect());
        const auto rowBytes = static_cast<std::size_t>(inside.width()) * 4;
        for (int y = inside.top(); y <= inside.bottom(); ++y) {
            const auto* from = reinterpret_cast<const QRgb*>(memoryImage_.constScanLine(y)) + inside.left();
            auto* to = reinterpret_cast<QRgb*>(capture.scanLine(y - top)) + (inside.left() - left);
            std::memcpy(to, from, rowBytes);
        }
    }
    if (!capture.isNull() && outputOptions_.fit) {
        capture = fitCapture(capture, left, top);
        if (capture.isNull())
            event.status = Status::CannotWrite;
    }
    {
        std::lock_guard lock(captureMutex_);
        if (!captureEnabled_)
            return;
        if (event.status == Status::Ok) {
            const output::DobTarget target{capturePath,       outputDirectory_,      workDirectory_,
                                           form,              frameDisplayTime_,     outputOptions_.dither,
                                           [&event](std::string warning) { event.warnings.push_back(std::move(warning)); }};
            const output::PixelView view{reinterpret_cast<const std::uint32_t*>(capture.constBits()), capture.width(),
                                         capture.height(), static_cast<std::ptrdiff_t>(capture.bytesPerLine() / 4)};
            const Outcome written = captureSink_(target, view);
            event.status = written.status;
            event.cause = written.cause;
        }
    }
    if (form == output::PlaylistLineForm::StillPicture)
        lastStatus_ = event.status;
    if (captureListener_)
        captureListener_(event);
}

QImage AnimatedPicture::fitCapture(const QImage& capture, int left, int top) const
{
    const output::Size bounds = *outputOptions_.fit;
    const QSize surface(pictureWidth_, pictureHeight_);
    const QSize scaledSurface = fittedSize(surface, bounds);
    if (scaledSurface == surface)
        return capture;
    // The whole surface fills the screen; a frame's own patch shrinks by the
    // same factor as the surface, so the patches of one animation agree.
    if (left == 0 && top == 0 && capture.size() == surface)
        return fitIntoBounds(capture, bounds, backgroundColor_);
    auto scaleSide = [](int side, int scaled, int whole) {
        const long long value = (2LL * side * scaled + whole) / (2LL * whole);
        return static_cast<int>(std::clamp<long long>(value, 1, side));
    };
    return scaleDownByArea(capture, QSize(scaleSide(capture.width(), scaledSurface.width(), surface.width()),
                                          scaleSide(capture.height(), scaledSurface.height(), surface.height())));
}

std::filesystem::path AnimatedPicture::stillCapturePath() const { return outputDirectory_ / (baseName_ + ".bmp"); }

std::filesystem::path AnimatedPicture::frameCapturePath(int frameNumber) const
{
    const char* dash = frameNumber <= 9 ? "-0" : "-";
    return outputDirectory_ / (baseName_ + dash + std::to_string(frameNumber) + ".bmp");
}

void AnimatedPicture::fireRepaint() const
{
    if (view_.repaint)
        view_.repaint();
}

}  // namespace pelkora::picture
