#pragma once
// The package window: the entries of the package in a list to reorder by
// dragging, retime in place and delete from, with Play and Faster for the
// loop. It follows the package: the dialog refreshes it after every
// command that writes.

#include <filesystem>
#include <functional>

#include <QDialog>

class QLabel;
class QPushButton;
class QTableView;

namespace pelkora::dialog {

class LoopPlayer;
class PackageModel;

class PackageWindow : public QDialog {
    Q_OBJECT

public:
    explicit PackageWindow(std::filesystem::path outputFolder, QWidget* parent = nullptr);

    void refresh();
    // Edits wait while this says the package is being written.
    void setBusy(std::function<bool()> busy);

    PackageModel* model() const { return model_; }
    QTableView* view() const { return view_; }
    // Absent until Play is first pressed.
    LoopPlayer* player() const { return player_; }

    void deleteSelected();
    void play();
    // As the Faster button does.
    void setFaster(bool faster);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void countEntries();

    std::filesystem::path folder_;
    PackageModel* model_;
    QTableView* view_;
    QLabel* message_;
    QPushButton* faster_;
    LoopPlayer* player_ = nullptr;
};

}  // namespace pelkora::dialog
