#pragma once
// The start-up batch runs before the dialog is shown. A batch that takes
// longer than about a second puts a small progress window on screen (files
// done of files found), so a person who started the program is never left
// without any window; the dialog itself appears only when the batch is done.

#include <chrono>
#include <filesystem>

#include <QWidget>

class QLabel;
class QProgressBar;

namespace pelkora::dialog {

class MainDialog;

inline constexpr std::chrono::milliseconds kProgressWindowDelay{1000};

class StartupProgress : public QWidget {
    Q_OBJECT

public:
    explicit StartupProgress(QWidget* parent = nullptr);

    void setProgress(int done, int found);
    int done() const { return done_; }
    int found() const { return found_; }

protected:
    // The batch cannot be interrupted; closing the window would only hide
    // what is still going on.
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* label_;
    QProgressBar* bar_;
    int done_ = 0;
    int found_ = 0;
};

// Prepares the output folder and converts sourceFolder (none when empty)
// through the dialog's session on a worker thread, while this thread keeps
// serving events; the dialog tells of each step. Shows the progress window
// once the batch has run for progressDelay. Returns when the batch is done;
// true when the progress window was shown.
bool runStartupBatch(MainDialog& dialog, const std::filesystem::path& sourceFolder,
                     std::chrono::milliseconds progressDelay = kProgressWindowDelay);

}  // namespace pelkora::dialog
