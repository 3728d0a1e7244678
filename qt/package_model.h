#pragma once
// The package window's rows: one a playlist entry, with its thumbnail in
// the device's greys, name, kind and time. Dragging a row moves the entry,
// editing its time sets it, and each change is one edit of the package on
// disk, after which the rows are read again. No widget: the window is a
// view of it.

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include <QAbstractTableModel>
#include <QImage>

#include "qt/preview/qt_glyph_painter.h"
#include "session/loop_view.h"
#include "session/package_listing.h"

namespace pelkora::dialog {

inline constexpr const char* kEntryMimeType = "application/x-pelkora-entry";

class PackageModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { NameColumn, KindColumn, TimeColumn, ColumnCount };
    // Thumbnails fit this box, shrunk or enlarged by whole pixels.
    static constexpr QSize kThumbnailBox{64, 40};

    explicit PackageModel(std::filesystem::path outputFolder, QObject* parent = nullptr);
    ~PackageModel() override;

    // Reads the package again.
    void refresh();
    // While it says so, edits are refused: the dialog is writing the package.
    void setBusy(std::function<bool()> busy);

    // The entry at row to stand before the entry now at beforeRow (rowCount
    // for the end).
    bool moveEntry(int row, int beforeRow);
    bool removeEntry(int row);
    const session::PackageListing& listing() const { return listing_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::DropActions supportedDropActions() const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

signals:
    // An edit refused or failed, with why.
    void editFailed(const QString& message);

private:
    bool mayEdit();
    bool settle(const output::EditOutcome& outcome);
    QImage thumbnail(int row) const;

    session::PackageListing listing_;
    preview::QtGlyphPainter glyphs_;
    std::unique_ptr<session::LoopView> view_;
    mutable std::vector<QImage> thumbnails_;
    std::function<bool()> busy_;
};

}  // namespace pelkora::dialog
