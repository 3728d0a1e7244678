#include "qt/loop_player.h"

#include <algorithm>
#include <limits>

#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include "output/playlist_edit.h"
#include "qt/level_image.h"

namespace pelkora::dialog {

LoopPlayer::LoopPlayer(std::filesystem::path outputFolder, QWidget* parent)
        : QDialog(parent), folder_(std::move(outputFolder)), picture_(new QLabel(this)), place_(new QLabel(this))
{
    setWindowTitle(tr("Play"));
    auto* layout = new QVBoxLayout(this);
    picture_->setAlignment(Qt::AlignCenter);
    layout->addWidget(picture_);
    layout->addWidget(place_);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &LoopPlayer::advance);
}

LoopPlayer::~LoopPlayer() = default;

int LoopPlayer::entries() const { return view_ ? static_cast<int>(view_->items().size()) : 0; }

void LoopPlayer::play()
{
    timer_.stop();
    output::Playlist playlist;
    output::readPlaylist(folder_, playlist);
    view_ = std::make_unique<session::LoopView>(folder_, session::loopItems(playlist), glyphs_);
    if (entries() == 0) {
        position_ = -1;
        picture_->clear();
        place_->setText(tr("The playlist names nothing to play."));
        return;
    }
    showEntry(0);
}

void LoopPlayer::setFaster(bool faster)
{
    faster_ = faster;
    // The entry on show keeps its place; the next time is at the new pace.
    if (timer_.isActive() && position_ >= 0)
        showEntry(position_);
}

void LoopPlayer::showEntry(int position)
{
    position_ = position;
    const session::LoopItem& item = view_->items()[static_cast<std::size_t>(position)];
    picture_->setPixmap(QPixmap::fromImage(toQImage(view_->frame(static_cast<std::size_t>(position)))));
    place_->setText(tr("%1 of %2%3").arg(position + 1).arg(entries()).arg(faster_ ? tr(", 10x") : QString()));
    const std::uint64_t shown = item.milliseconds / (faster_ ? kFasterFactor : 1);
    // Nine digits of milliseconds fit the timer's int.
    const auto interval = std::clamp<std::uint64_t>(shown, kShortestFrameMs, std::numeric_limits<int>::max());
    timer_.start(static_cast<int>(interval));
}

void LoopPlayer::advance()
{
    if (entries() > 0)
        showEntry((position_ + 1) % entries());
}

}  // namespace pelkora::dialog
