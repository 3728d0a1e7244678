#include "qt/package_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "qt/loop_player.h"
#include "qt/package_model.h"

namespace pelkora::dialog {

PackageWindow::PackageWindow(std::filesystem::path outputFolder, QWidget* parent)
        : QDialog(parent), folder_(outputFolder), model_(new PackageModel(std::move(outputFolder), this)),
          view_(new QTableView(this)), message_(new QLabel(this)), faster_(new QPushButton(tr("Faster"), this))
{
    setWindowTitle(tr("Package"));
    resize(560, 420);
    view_->setModel(model_);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setDragDropMode(QAbstractItemView::InternalMove);
    view_->setDragDropOverwriteMode(false);
    view_->setDropIndicatorShown(true);
    view_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    view_->setIconSize(PackageModel::kThumbnailBox);
    view_->verticalHeader()->setDefaultSectionSize(PackageModel::kThumbnailBox.height() + 6);
    view_->horizontalHeader()->setSectionResizeMode(PackageModel::NameColumn, QHeaderView::Stretch);
    view_->horizontalHeader()->setSectionResizeMode(PackageModel::KindColumn, QHeaderView::ResizeToContents);
    message_->setWordWrap(true);

    auto* remove = new QPushButton(tr("Delete"), this);
    auto* play = new QPushButton(tr("Play"), this);
    auto* close = new QPushButton(tr("Close"), this);
    faster_->setCheckable(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(remove);
    buttons->addStretch();
    buttons->addWidget(play);
    buttons->addWidget(faster_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_);
    layout->addWidget(message_);
    layout->addLayout(buttons);

    connect(remove, &QPushButton::clicked, this, &PackageWindow::deleteSelected);
    connect(play, &QPushButton::clicked, this, &PackageWindow::play);
    connect(faster_, &QPushButton::toggled, this, [this](bool faster) {
        if (player_ != nullptr)
            player_->setFaster(faster);
    });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(model_, &PackageModel::editFailed, message_, &QLabel::setText);
    connect(model_, &QAbstractItemModel::modelReset, this, &PackageWindow::countEntries);
    countEntries();
}

void PackageWindow::countEntries()
{
    const int rows = model_->rowCount();
    message_->setText(rows == 1 ? tr("1 entry") : tr("%1 entries").arg(rows));
}

void PackageWindow::refresh() { model_->refresh(); }

void PackageWindow::setBusy(std::function<bool()> busy) { model_->setBusy(std::move(busy)); }

void PackageWindow::deleteSelected()
{
    const QModelIndexList rows = view_->selectionModel()->selectedRows();
    if (!rows.isEmpty())
        model_->removeEntry(rows.front().row());
}

void PackageWindow::play()
{
    if (player_ == nullptr) {
        player_ = new LoopPlayer(folder_, this);
        player_->setFaster(faster_->isChecked());
    }
    player_->show();
    player_->play();
}

void PackageWindow::setFaster(bool faster) { faster_->setChecked(faster); }

void PackageWindow::keyPressEvent(QKeyEvent* event)
{
    // A time being edited takes its own Delete key first.
    if (event->key() == Qt::Key_Delete) {
        deleteSelected();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace pelkora::dialog
