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

#include "session/conversion.h"
#include "qt/settings_store.h"
#include "session/session.h"
#include "session/status_strip.h"
#include "output/text_pager.h"

class QLabel;
class QProcess;

namespace Ui {
class MainDialog;
}

namespace pelkora::dialog {

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
    explicit MainDialog(std::filesystem::path workDirectory, const output::TextPagerOptions& pagerOptions = {},
                        QWidget* parent = nullptr);
    ~MainDialog() override;

    // The run the dialog's commands drive: its picture model, report and
    // output folder.
    session::Session& session() { return session_; }
    const session::Session& session() const { return session_; }
    const QIcon& dialogIcon() const { return dialogIcon_; }
    // Absent when the cursor image failed to load; the pointer then keeps
    // the default shape over the picture.
    const std::optional<QCursor>& handCursor() const { return handCursor_; }
    void setHandCursor(std::optional<QCursor> cursor);

    // What the dialog says of the start-up batch's steps, which run through
    // the session before the window is shown, on the batch's thread (a
    // message waits for the dialog's). A source that was refused, or files
    // that stayed in the output folder, are named in one message; the
    // conversion's count or first failure goes to the status line.
    void startupPrepared(const session::CommandResult& prepared);
    void startupConverted(const std::filesystem::path& sourceFolder, const session::CommandResult& converted);
    // Once the batch is over, on the dialog's thread.
    void startupEnded();

    // The handlers.
    void systemCommand(int commandId);  // About for 0x0010 to 0x001F
    void openAboutBox();
    void addFile();
    // Add for each file in turn, as files dropped on the dialog are.
    void addFiles(const std::vector<std::filesystem::path>& files);
    void runBatchFile();  // Convert
    void deleteAll();
    // "Restore previous package": the package the last emptying kept.
    void restorePreviousPackage();
    // The "Screen size..." item: asks until the answer is a size or empty, or is cancelled.
    void askScreenSize();

    // The right-click menu's settings, remembered across runs.
    const session::DialogSettings& settings() const { return settings_; }
    void applySettings(const session::DialogSettings& settings);
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
    const session::ConversionReport& report() const { return session_.report(); }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    session::ConversionOptions conversionOptions(const output::TextPagerOptions& pagerOptions);
    void updateCursor(QPoint clientPoint);
    void addOneFile(const std::filesystem::path& file, session::Converter::AddRun run);
    void setStatus(std::string text);
    // Re-reads the status from any thread; the strip is updated on ours.
    void postStatusRefresh();
    void batchEnded(QProcess* process, int exitCode, bool crashed);
    // Every command that writes the output folder holds its lock, kept
    // after the command for an animation's capture. A command starting
    // stops the timer below: a message box's own event loop must not let
    // go of the lock in the middle of the command.
    void beginWriting();
    // Lets go of the lock once no animation's capture is pending; until
    // then the check comes back on a timer.
    void releaseWriteLockWhenCaptured();
    // The failures reported since the report held `before` of them, in one
    // message; nothing when there are none.
    void showFailuresSince(std::size_t before);

    std::unique_ptr<Ui::MainDialog> ui_;
    std::optional<QCursor> handCursor_;
    QIcon dialogIcon_;
    FileChooser fileChooser_;
    LinkOpener linkOpener_;
    MessageFunction messageFunction_;
    session::DialogSettings settings_;
    session::CommandStatus status_;
    QLabel* statusStrip_ = nullptr;
    // Batch files still running; one that outlives the dialog is let go of
    // rather than killed, as a detached start always left it.
    std::vector<QProcess*> batchRuns_;
    session::Session session_;
    QTimer* lockReleaseTimer_;
    // The playlist as it stood before the Add still being written: settled
    // (earlier entries replaced, or stale ones warned of) once it is whole.
    std::optional<session::PlaylistMark> pendingAdd_;
};

// An OK-only message box captioned with the application's name.
void showMessageBox(QWidget* owner, const QString& text);

}  // namespace pelkora::dialog
