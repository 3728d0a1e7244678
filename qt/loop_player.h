#pragma once
// Plays the package's loop as the device does: each entry's frame (the
// device view of session/loop_view.h) for its display time, then the next,
// round and round; faster at ten times the pace. A timer moves it on: the
// window stays responsive throughout.

#include <filesystem>
#include <memory>

#include <QDialog>
#include <QTimer>

#include "qt/preview/qt_glyph_painter.h"
#include "session/loop_view.h"

class QLabel;

namespace pelkora::dialog {

class LoopPlayer : public QDialog {
    Q_OBJECT

public:
    static constexpr int kFasterFactor = 10;
    // No frame is shown for less, so that a loop of zero times does not
    // keep the event loop turning.
    static constexpr int kShortestFrameMs = 20;

    explicit LoopPlayer(std::filesystem::path outputFolder, QWidget* parent = nullptr);
    ~LoopPlayer() override;

    // Reads the playlist and starts from its first entry.
    void play();
    void setFaster(bool faster);
    bool faster() const { return faster_; }
    // The entry shown, from 0; -1 when nothing plays.
    int position() const { return position_; }
    int entries() const;

private:
    void showEntry(int position);
    void advance();

    std::filesystem::path folder_;
    preview::QtGlyphPainter glyphs_;
    std::unique_ptr<session::LoopView> view_;
    QLabel* picture_;
    QLabel* place_;
    QTimer timer_;
    bool faster_ = false;
    int position_ = -1;
};

}  // namespace pelkora::dialog
