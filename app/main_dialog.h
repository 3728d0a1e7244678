#pragma once
// The main dialog (template 102): the picture control, the four buttons
// About, Add, Convert and DeleteAll, the About command of the context menu
// and F1, the hand cursor over the picture and its link, and the start-up
// steps that run before the window is first shown.

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QCursor>
#include <QDialog>
#include <QIcon>
#include <QString>
#include <QTimer>
#include <QUrl>

#include "app/conversion.h"
#include "app/dialog_settings.h"
#include "app/status_strip.h"
#include "output/folder_lock.h"
#include "output/text_pager.h"
#include "picture/animated_picture.h"

class QFileDialog;
class QLabel;
class QProcess;

namespace Ui {
class MainDialog;
}

namespace pelkora::app {

class PictureView;

inline constexpr const char* kAboutMenuText = "&About Pelkora...";  // string 101
inline constexpr int kAboutCommandId = 0x0010;
inline constexpr const char* kCantFindFileText = "Cant find file!";
inline constexpr const char* kStartFailedText = "启动出错!";
// Where a press on the picture leads.
inline constexpr const char* kPictureLink = "https://pelkora.org/";

// Picks the files for Add, in the order chosen; none when the person cancels.
using FileChooser = std::function<std::vector<std::filesystem::path>(QWidget* parent)>;
// Opens a web address; its result is not looked at.
using LinkOpener = std::function<bool(const QUrl& url)>;
// Shows a message owned by the dialog, with OK only.
using MessageFunction = std::function<void(QWidget* owner, const QString& text)>;

class MainDialog : public QDialog {
    Q_OBJECT

public:
    explicit MainDialog(std::filesystem::path workDirectory,
                        const output::TextPagerOptions& pagerOptions = {},
                        QWidget* parent = nullptr);
    ~MainDialog() override;

    picture::AnimatedPicture pictureControl;
    std::optional<QCursor> handCursor;  // absent when the cursor image failed to load
    QIcon dialogIcon;
    std::filesystem::path workDirectory;
    std::filesystem::path sourceFolder;  // empty: no start-up conversion

    // Start-up, before the window is shown: check the source folder, lock,
    // empty or create the output folder, then convert the source folder. A
    // source that cannot be converted is refused with a message before
    // anything is emptied. Either may run off the UI thread; progress is
    // reported after every input (done, found).
    void prepareOutputFolder();
    void convertSourceFolder(std::function<void(int done, int found)> progress = {});

    // The handlers.
    void systemCommand(int commandId);  // About for 0x0010 to 0x001F
    void openAboutBox();
    void addFile();
    // Add for each file in turn, as files dropped on the dialog are.
    void addFiles(const std::vector<std::filesystem::path>& files);
    void runBatchFile();  // Convert
    void deleteAll();

    // The right-click menu's settings, remembered across runs.
    const DialogSettings& settings() const { return settings_; }
    void applySettings(const DialogSettings& settings);
    // What the status strip says.
    QString statusLine() const;
    bool isOverPictureControl(QPoint clientPoint) const;

    void setFileChooser(FileChooser chooser);
    void setLinkOpener(LinkOpener opener);
    void setMessageFunction(MessageFunction function);
    // Shows text through the message function, on the UI thread, waiting
    // for it when called from another thread.
    void showMessage(const QString& text);

    PictureView* pictureView() const;
    const ConversionReport& report() const { return report_; }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    ConversionOptions conversionOptions(const output::TextPagerOptions& pagerOptions);
    void updateCursor(QPoint clientPoint);
    void addOneFile(const std::filesystem::path& file, Converter::AddRun run);
    void setStatus(std::string text);
    // Re-reads the status from any thread; the strip is updated on ours.
    void postStatusRefresh();
    void batchEnded(QProcess* process, int exitCode, bool crashed);
    // Every command that writes the output folder holds its lock; one
    // process must not take it twice, so a lock still held for an
    // animation's capture is reused.
    bool takeWriteLock(bool create);
    // Lets go of the lock once no animation's capture is pending; until
    // then the check comes back on a timer.
    void releaseWriteLockWhenCaptured();
    // The failures reported since the report held `before` of them, in one
    // message; nothing when there are none.
    void showFailuresSince(std::size_t before);

    std::unique_ptr<Ui::MainDialog> ui_;
    FileChooser fileChooser_;
    LinkOpener linkOpener_;
    MessageFunction messageFunction_;
    // Set only while the start-up batch runs.
    std::function<void(int, int)> progress_;
    DialogSettings settings_;
    CommandStatus status_;
    QLabel* statusStrip_ = nullptr;
    // Batch files still running; one that outlives the dialog is let go of
    // rather than killed, as a detached start always left it.
    std::vector<QProcess*> batchRuns_;
    // Before the converter: let go of only after the converter has written
    // the last frames of an animation as the dialog closes.
    std::optional<output::FolderLock> writeLock_;
    ConversionReport report_;
    Converter converter_;
    QTimer* lockReleaseTimer_;
    bool startupRefused_ = false;
};

// The Add command's file-open dialog: four filters, BMP in force, the
// initial name "Gifpic", one existing file.
std::unique_ptr<QFileDialog> makeAddFileDialog(QWidget* parent);
std::vector<std::filesystem::path> chooseFilesWithDialog(QWidget* parent);
// Dropped files and folders as Add takes them: a folder gives the files in
// it (not below it); everything sorted by name.
std::vector<std::filesystem::path> filesToAdd(const std::vector<std::filesystem::path>& dropped);
// An OK-only message box captioned with the application's name.
void showMessageBox(QWidget* owner, const QString& text);
// Starts the batch file in workDirectory without waiting for it: an
// executable file directly, any other (or an executable that cannot start
// by itself) through /bin/sh. Null when it did not start; the process has
// no parent, and its finished() tells how it ended.
QProcess* startBatchFile(const std::filesystem::path& batchFile, const std::filesystem::path& workDirectory);

}  // namespace pelkora::app
