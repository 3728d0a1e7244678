#pragma once
// The picture control on screen: static control 1000 of the main template,
// painted from the picture model's memory image (or, in the device view,
// from the last file written, in the device's greys). The model's requests
// come from its worker and are posted to the control's own thread.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "core/image.h"

namespace pelkora::picture {
class AnimatedPicture;
}

namespace pelkora::win32 {

// A DOB file as written, of a picture width x height, in the device's
// greys (level v as 255 - 17 v); null when the length does not match.
Image deviceImage(const std::vector<std::uint8_t>& dob, int width, int height);

class PicturePane {
public:
    PicturePane() = default;
    PicturePane(const PicturePane&) = delete;
    PicturePane& operator=(const PicturePane&) = delete;

    // Subscribes to the model's requests; they reach the control once it
    // is attached. The model's worker must end before this pane goes.
    void subscribe(picture::AnimatedPicture& model);
    // The template's control, once the dialog exists: painted by us, below
    // the buttons, and sized as the picture is.
    void attach(HWND control);
    // For the dialog's end: no more painting from the model, and requests
    // still under way go nowhere. The model's worker must have ended.
    void detach();
    HWND control() const { return control_; }

    void setDeviceView(bool on);
    // The picture last written; safe on any thread.
    void showWritten(Image image);

private:
    static LRESULT CALLBACK paneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);
    void paint(HDC dc);
    void followPictureSize(int width, int height);

    picture::AnimatedPicture* model_ = nullptr;
    // Read by the model's worker as well.
    std::atomic<HWND> control_{nullptr};
    std::atomic<bool> deviceView_{false};
    std::mutex writtenMutex_;
    Image written_;
};

}  // namespace pelkora::win32
