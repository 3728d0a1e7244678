#include "qt/package_model.h"

#include <algorithm>

#include <QMimeData>

#include "qt/level_image.h"

namespace pelkora::dialog {

namespace {

// Every entry, even one the device would pass over, so that rows and
// thumbnails stay in step.
std::vector<session::LoopItem> itemsOfRows(const session::PackageListing& listing)
{
    std::vector<session::LoopItem> items;
    for (const session::ListedEntry& entry : listing.entries())
        items.push_back({entry.name, 0});
    return items;
}

// Whole pixels either way, so that only device greys are shown.
QImage fitted(const QImage& image)
{
    const QSize box = PackageModel::kThumbnailBox;
    if (image.isNull())
        return image;
    if (image.width() <= box.width() && image.height() <= box.height()) {
        const int zoom = std::max(1, std::min(box.width() / image.width(), box.height() / image.height()));
        return image.scaled(image.size() * zoom, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
    return image.scaled(box, Qt::KeepAspectRatio, Qt::FastTransformation);
}

}  // namespace

PackageModel::PackageModel(std::filesystem::path outputFolder, QObject* parent)
        : QAbstractTableModel(parent), listing_(std::move(outputFolder))
{
    refresh();
}

PackageModel::~PackageModel() = default;

void PackageModel::refresh()
{
    beginResetModel();
    listing_.reload();
    view_ = std::make_unique<session::LoopView>(listing_.folder(), itemsOfRows(listing_), glyphs_);
    thumbnails_.assign(listing_.entries().size(), QImage());
    endResetModel();
}

void PackageModel::setBusy(std::function<bool()> busy) { busy_ = std::move(busy); }

bool PackageModel::mayEdit()
{
    if (busy_ && busy_()) {
        emit editFailed(tr("The package is still being written; try again when it is done."));
        return false;
    }
    return true;
}

bool PackageModel::settle(const output::EditOutcome& outcome)
{
    refresh();
    if (outcome.outcome.ok() && outcome.keptFiles.empty())
        return true;
    QString message = QString::fromStdString(outcome.message.empty() ? outcomeText(outcome.outcome) : outcome.message);
    for (const std::string& name : outcome.keptFiles)
        message += tr("\n%1: no line names it any more, but it could not be removed").arg(QString::fromStdString(name));
    emit editFailed(message.trimmed());
    return outcome.outcome.ok();
}

bool PackageModel::moveEntry(int row, int beforeRow)
{
    const int rows = rowCount();
    if (row < 0 || row >= rows || beforeRow < 0 || beforeRow > rows || beforeRow == row || beforeRow == row + 1)
        return false;
    if (!mayEdit())
        return false;
    // Taken out first: the rows below it move up by one.
    const int position = beforeRow > row ? beforeRow : beforeRow + 1;
    return settle(listing_.move(static_cast<std::size_t>(row), static_cast<std::size_t>(position)));
}

bool PackageModel::removeEntry(int row)
{
    if (row < 0 || row >= rowCount() || !mayEdit())
        return false;
    return settle(listing_.remove(static_cast<std::size_t>(row)));
}

int PackageModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(listing_.entries().size());
}

int PackageModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QImage PackageModel::thumbnail(int row) const
{
    QImage& cached = thumbnails_[static_cast<std::size_t>(row)];
    if (cached.isNull())
        cached = fitted(toQImage(view_->content(static_cast<std::size_t>(row))));
    return cached;
}

QVariant PackageModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const session::ListedEntry& entry = listing_.entries()[static_cast<std::size_t>(index.row())];
    if (role == Qt::DecorationRole && index.column() == NameColumn)
        return thumbnail(index.row());
    if (role == Qt::ToolTipRole && !entry.description.fault.empty())
        return QString::fromStdString(entry.description.fault);
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    switch (index.column()) {
    case NameColumn:
        return QString::fromStdString(entry.name);
    case KindColumn: {
        const session::EntryDescription& about = entry.description;
        return QString::fromStdString(about.kind + (about.fault.empty() ? "" : (about.kind.empty() ? "" : ", ") + about.fault));
    }
    default:
        return QString::fromStdString(entry.time);
    }
}

QVariant PackageModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    switch (section) {
    case NameColumn:
        return tr("Entry");
    case KindColumn:
        return tr("Kind");
    default:
        return tr("Time (ms)");
    }
}

Qt::ItemFlags PackageModel::flags(const QModelIndex& index) const
{
    // Drops land between rows, never on one.
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    if (index.column() == TimeColumn)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool PackageModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.column() != TimeColumn || index.row() >= rowCount())
        return false;
    const std::string time = value.toString().trimmed().toStdString();
    const session::ListedEntry& entry = listing_.entries()[static_cast<std::size_t>(index.row())];
    if (time == entry.time || !mayEdit())
        return false;
    return settle(listing_.setTime(static_cast<std::size_t>(index.row()), time));
}

Qt::DropActions PackageModel::supportedDropActions() const { return Qt::MoveAction; }

QStringList PackageModel::mimeTypes() const { return {QString::fromLatin1(kEntryMimeType)}; }

QMimeData* PackageModel::mimeData(const QModelIndexList& indexes) const
{
    if (indexes.isEmpty())
        return nullptr;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kEntryMimeType), QByteArray::number(indexes.front().row()));
    return data;
}

// Never reports a move done: the view must not then take rows out itself,
// as the edit has already rewritten the whole list.
bool PackageModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int, const QModelIndex& parent)
{
    if (data == nullptr || action != Qt::MoveAction || !data->hasFormat(QString::fromLatin1(kEntryMimeType)))
        return false;
    bool isNumber = false;
    const int from = data->data(QString::fromLatin1(kEntryMimeType)).toInt(&isNumber);
    if (!isNumber)
        return false;
    const int before = row >= 0 ? row : parent.isValid() ? parent.row() : rowCount();
    moveEntry(from, before);
    return false;
}

}  // namespace pelkora::dialog
