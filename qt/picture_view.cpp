#include "qt/picture_view.h"

#include <algorithm>

#include <QMetaObject>
#include <QPainter>

#include "qt/qt_image.h"
#include "picture/animated_picture.h"

namespace pelkora::dialog {


PictureView::PictureView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void PictureView::setModel(picture::AnimatedPicture* model)
{
    model_ = model;
    if (model_ == nullptr) {
        return;
    }
    // The requests may come from the model's worker: widgets are touched
    // only on this view's own thread, and a request still queued when the
    // view goes away is dropped with it.
    picture::ViewCallbacks callbacks;
    callbacks.resized = [this](int width, int height) {
        QMetaObject::invokeMethod(
                this, [this, width, height] { followPictureSize(width, height); }, Qt::QueuedConnection);
    };
    callbacks.repaint = [this] {
        QMetaObject::invokeMethod(
                this, [this] { update(); }, Qt::QueuedConnection);
    };
    model_->setViewCallbacks(std::move(callbacks));
}

void PictureView::forgetModel()
{
    model_ = nullptr;
    update();
}

void PictureView::setDeviceView(bool on)
{
    deviceView_ = on;
    update();
}

void PictureView::showWritten(const QImage& image)
{
    QMetaObject::invokeMethod(
            this,
            [this, image] {
                written_ = image;
                if (deviceView_) {
                    update();
                }
            },
            Qt::QueuedConnection);
}

void PictureView::followPictureSize(int width, int height) { resize(std::max(width, 0), std::max(height, 0)); }

void PictureView::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    QImage image;
    Image drawn;  // what image wraps, in the picture view
    if (deviceView_) {
        image = written_;
    } else if (model_ != nullptr) {
        drawn = model_->snapshot();
        image = wrapImage(drawn);
    }
    if (image.isNull()) {
        // A black rectangle until the first picture is drawn.
        painter.fillRect(rect(), Qt::black);
        return;
    }
    painter.drawImage(0, 0, image);
    // Whatever the image does not cover stays black, as before a picture.
    if (image.width() < width()) {
        painter.fillRect(image.width(), 0, width() - image.width(), height(), Qt::black);
    }
    if (image.height() < height()) {
        painter.fillRect(0, image.height(), image.width(), height() - image.height(), Qt::black);
    }
}

}  // namespace pelkora::dialog
