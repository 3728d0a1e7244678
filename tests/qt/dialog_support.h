#pragma once
// Helpers for the dialog tests: files of the kinds the dialog converts, the
// output folder's listing, and a way to answer modal windows without a
// person.

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include "qt/qt_path.h"
#include "support/temp_dir.h"

namespace pelkora::testing {

// Writes a small BMP of the given size and returns its path.
inline std::filesystem::path writeBmp(const TempDir& dir, const std::filesystem::path& name, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, qRgb(x * 40 % 256, y * 60 % 256, 128));
        }
    }
    const auto path = dir / name;
    std::filesystem::create_directories(path.parent_path());
    if (!image.save(dialog::toQString(path), "BMP")) {
        throw std::runtime_error("cannot write " + path.string());
    }
    return path;
}

// The names of the files directly in a folder.
inline std::set<std::string> fileNames(const std::filesystem::path& folder)
{
    std::set<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->is_regular_file()) {
            names.insert(it->path().filename().string());
        }
    }
    return names;
}

// Runs events until done() holds or the time is up; the result of done().
inline bool waitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::milliseconds(10000))
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limit.count()) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// While alive, answers every modal window that opens: seen() is called with
// it, then it is closed. Polls, so it also catches windows opened by nested
// event loops.
class ModalAnswerer {
public:
    explicit ModalAnswerer(std::function<void(QWidget*)> seen) : seen_(std::move(seen))
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ++count_;
                seen_(modal);
                modal->close();
            }
        });
        timer_.start(10);
    }
    int count() const { return count_; }

private:
    std::function<void(QWidget*)> seen_;
    QTimer timer_;
    int count_ = 0;
};

inline std::filesystem::path testData(const std::string& name)
{
    return std::filesystem::path(PELKORA_TESTDATA_DIR) / "gif-test-suite" / name;
}

}  // namespace pelkora::testing
