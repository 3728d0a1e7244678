#pragma once
// The picture control on screen: a small widget over the picture model. It
// paints the model's memory image, takes the model's picture size and takes
// no mouse input of its own, so presses and cursor queries over it reach
// the dialog beneath.

#include <QImage>
#include <QWidget>

namespace pelkora::picture {
class AnimatedPicture;
}

namespace pelkora::dialog {

class PictureView : public QWidget {
    Q_OBJECT

public:
    explicit PictureView(QWidget* parent = nullptr);

    // Subscribes to the model's resize and repaint requests. The model's
    // worker must have ended before this view is destroyed: the requests
    // are posted to this view from the worker's thread.
    void setModel(picture::AnimatedPicture* model);
    // Stops painting from the model without touching its subscriptions;
    // for the owner's destruction, before the model goes away.
    void forgetModel();

    // Device view: paint what was last written, through the device's grey
    // levels, instead of the colour original.
    void setDeviceView(bool on);
    bool deviceView() const { return deviceView_; }
    // The picture last written; safe to call from any thread.
    void showWritten(const QImage& image);
    QImage written() const { return written_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void followPictureSize(int width, int height);

    picture::AnimatedPicture* model_ = nullptr;
    bool deviceView_ = false;
    QImage written_;
};

}  // namespace pelkora::dialog
