#include "qt/main_dialog.h"

#include <algorithm>
#include <cctype>

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMetaObject>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>
#include <QProcess>
#include <QThread>

#include <iostream>

#include "qt/about_dialog.h"
#include "qt/add_file_dialog.h"
#include "qt/batch_file.h"
#include "qt/control_menu.h"
#include "qt/device_image.h"
#include "qt/package_window.h"
#include "qt/picture_view.h"
#include "qt/qt_path.h"
#include "qt/resources.h"
#include "output/names.h"
#include "output/output_folder.h"
#include "session/screen_setting.h"
#include "ui_main_dialog.h"

namespace pelkora::dialog {

using namespace session;

namespace {

constexpr QPoint kHandHotSpot{12, 1};

std::optional<QCursor> loadHandCursor()
{
    ensureResources();
    const QPixmap image(QStringLiteral(":/cursors/hand.xpm"));
    if (image.isNull()) {
        return std::nullopt;
    }
    return QCursor(image, kHandHotSpot.x(), kHandHotSpot.y());
}

bool openLinkWithDesktop(const QUrl& url) { return QDesktopServices::openUrl(url); }

}  // namespace

void showMessageBox(QWidget* owner, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok, owner);
    box.exec();
}

MainDialog::MainDialog(std::filesystem::path workDirectoryIn, const output::TextPagerOptions& pagerOptions,
                       QWidget* parent)
        : QDialog(parent), ui_(std::make_unique<Ui::MainDialog>()), handCursor_(loadHandCursor()),
          dialogIcon_(applicationIcon()), fileChooser_(chooseFilesWithDialog), linkOpener_(openLinkWithDesktop),
          messageFunction_(showMessageBox), settings_(loadDialogSettings()),
          session_(std::move(workDirectoryIn), conversionOptions(pagerOptions)), lockReleaseTimer_(new QTimer(this))
{
    ui_->setupUi(this);
    setWindowIcon(dialogIcon_);
    // Cursor shape follows the pointer even with no button held.
    setMouseTracking(true);
    // A large picture grows the control; the buttons stay above it.
    ui_->pictureControl->lower();
    ui_->pictureControl->setModel(&session_.picture());
    statusStrip_ = ui_->statusStrip;
    setAcceptDrops(true);

    // Every file written also goes to the view, for the device view; the
    // view outlives the model (a child widget), and takes it on its thread.
    PictureView* view = ui_->pictureControl;
    session_.picture().setCaptureSink([view](const output::DobTarget& target, const output::PixelView& pixels) {
        const Outcome written = output::writeDobFile(target, pixels);
        if (written.ok()) {
            view->showWritten(deviceImage(output::EncodeDobFor(target, pixels), pixels.width, pixels.height));
        }
        return written;
    });
    applySettings(settings_);

    lockReleaseTimer_->setInterval(50);
    connect(lockReleaseTimer_, &QTimer::timeout, this, &MainDialog::releaseWriteLockWhenCaptured);

    connect(ui_->aboutButton, &QPushButton::clicked, this, &MainDialog::openAboutBox);
    connect(ui_->addButton, &QPushButton::clicked, this, &MainDialog::addFile);
    connect(ui_->convertButton, &QPushButton::clicked, this, &MainDialog::runBatchFile);
    connect(ui_->deleteAllButton, &QPushButton::clicked, this, &MainDialog::deleteAll);
    ui_->aboutButton->setFocus();
}

MainDialog::~MainDialog()
{
    // The end of the run: the rest of an animation is written, to the status
    // and the view as well, before anything of the dialog goes.
    session_.finish();
    for (QProcess* run : batchRuns_) {
        run->disconnect(this);
    }
    // The view must not paint from a model being torn down.
    ui_->pictureControl->forgetModel();
}

ConversionOptions MainDialog::conversionOptions(const output::TextPagerOptions& pagerOptions)
{
    ConversionOptions options;
    options.pager = pagerOptions;
    options.keepPrevious = loadDialogSettings().keepPrevious;
    options.cantFindFile = [this](const std::filesystem::path&) { showMessage(QString::fromUtf8(kCantFindFileText)); };
    options.refused = [this](const ReportEntry& refusal) {
        showMessage(QString::fromStdString(output::escapedForTerminal(refusal.input.filename().string()) + ": "
                                           + refusal.reason()));
    };
    options.captured = [this](const picture::CaptureEvent& event) {
        status_.frameCaptured(event);
        postStatusRefresh();
    };
    options.waitingForFolder = [] {
        std::cerr << "pelkora: waiting for another pelkora writing " << output::kOutputFolderName << "/\n"
                  << std::flush;
    };
    return options;
}

void MainDialog::setHandCursor(std::optional<QCursor> cursor) { handCursor_ = std::move(cursor); }

void MainDialog::beginWriting() { lockReleaseTimer_->stop(); }

void MainDialog::releaseWriteLockWhenCaptured()
{
    if (pendingAdd_ && !session_.picture().capturePending()) {
        session_.settleAdd(*pendingAdd_, settings_.replaceEarlier);
        pendingAdd_.reset();
    }
    if (session_.releaseWriteLockWhenCaptured()) {
        lockReleaseTimer_->stop();
        emit packageWritten();
    } else {
        lockReleaseTimer_->start();
    }
}

void MainDialog::showFailuresSince(std::size_t before)
{
    // A long list is cut: the message box must still fit on the screen.
    constexpr std::size_t kShownAtMost = 20;
    const std::vector<ReportEntry> failures = session_.report().failures();
    if (failures.size() <= before) {
        return;
    }
    QStringList lines;
    for (std::size_t i = before; i < failures.size() && lines.size() < static_cast<int>(kShownAtMost); ++i) {
        lines << toQString(failures[i].input) + QStringLiteral(": ") + QString::fromStdString(failures[i].reason());
    }
    const std::size_t more = failures.size() - before - static_cast<std::size_t>(lines.size());
    if (more > 0) {
        lines << tr("... and %1 more").arg(more);
    }
    showMessage(lines.join(QLatin1Char('\n')));
}

void MainDialog::startupPrepared(const CommandResult& prepared) { showFailuresSince(prepared.failuresBefore); }

void MainDialog::startupConverted(const std::filesystem::path& sourceFolder, const CommandResult& converted)
{
    const std::vector<ReportEntry> failures = session_.report().failures();
    const std::string written = withOptionsUsed(
            std::to_string(converted.filesWritten) + " files written from " + sourceFolder.filename().string(),
            settings_.output);
    if (failures.size() > converted.failuresBefore) {
        const std::size_t more = failures.size() - converted.failuresBefore - 1;
        setStatus(failureText(failures[converted.failuresBefore])
                  + (more > 0 ? " (and " + std::to_string(more) + " more)" : std::string()) + "; " + written);
    } else {
        setStatus(withWrapWarning(written, session_.report().warnings(), converted.warningsBefore));
    }
}

void MainDialog::startupEnded() { releaseWriteLockWhenCaptured(); }

void MainDialog::systemCommand(int commandId)
{
    if ((commandId & 0xFFF0) == kAboutCommandId) {
        openAboutBox();
    }
}

void MainDialog::openAboutBox()
{
    const std::string options = output::describeOptions(settings_.output);
    AboutDialog about(this,
                      options.empty() ? QString() : QStringLiteral("Options: ") + QString::fromStdString(options));
    about.exec();
}

void MainDialog::addFile()
{
    const std::vector<std::filesystem::path> chosen =
            fileChooser_ ? fileChooser_(this) : std::vector<std::filesystem::path>();
    addFiles(chosen);
}

void MainDialog::addFiles(const std::vector<std::filesystem::path>& files)
{
    std::vector<std::string> failed;
    // Files chosen together are one run: none may overwrite another's output.
    Converter::AddRun run = Converter::AddRun::New;
    for (const std::filesystem::path& file : files) {
        if (file.empty()) {
            continue;
        }
        const std::size_t failuresBefore = session_.report().failures().size();
        addOneFile(file, run);
        run = Converter::AddRun::Continued;
        const std::vector<ReportEntry> failures = session_.report().failures();
        if (failures.size() > failuresBefore) {
            failed.push_back(failureText(failures[failuresBefore]));
        }
    }
    // Of several files, one that failed is worth more than the last that did not.
    if (files.size() > 1 && !failed.empty()) {
        setStatus(failed.front() + " (" + std::to_string(failed.size()) + " of " + std::to_string(files.size())
                  + " files failed)");
    }
}

void MainDialog::addOneFile(const std::filesystem::path& file, Converter::AddRun run)
{
    beginWriting();
    if (!pendingAdd_) {
        pendingAdd_ = session_.markPlaylist();
    }
    const AddResult added = session_.addFile(file, run, settings_.output, [this, &file] {
        // Followed from before the load: an animation's first frames may be
        // written before addFile returns.
        status_.followAnimation(file.has_extension() ? file.stem().string() : std::string());
    });
    const std::vector<ReportEntry> failures = session_.report().failures();
    const bool failed = failures.size() > added.failuresBefore;
    if (added.refused) {
        if (failed) {
            setStatus(failureText(failures[added.failuresBefore]));
        }
        showFailuresSince(added.failuresBefore);
        return;
    }
    // Held on while an animation's frames are still to come.
    releaseWriteLockWhenCaptured();
    if (added.animationPlaying) {
        postStatusRefresh();
        return;
    }
    setStatus(withWrapWarning(withOptionsUsed(addedText(file, added, failures), settings_.output),
                              session_.report().warnings(), added.warningsBefore));
}

void MainDialog::runBatchFile()
{
    const std::filesystem::path batch = output::batchFilePath(session_.workDirectory());
    const std::string name = batch.filename().string();
    QProcess* run = startBatchFile(batch, session_.workDirectory());
    if (run == nullptr) {
        setStatus(name + ": could not start");
        showMessage(QString::fromUtf8(kStartFailedText));
        return;
    }
    batchRuns_.push_back(run);
    connect(run, &QProcess::finished, this, [this, run](int exitCode, QProcess::ExitStatus exitStatus) {
        batchEnded(run, exitCode, exitStatus == QProcess::CrashExit);
    });
    setStatus(name + " started");
}

void MainDialog::batchEnded(QProcess* run, int exitCode, bool crashed)
{
    batchRuns_.erase(std::remove(batchRuns_.begin(), batchRuns_.end(), run), batchRuns_.end());
    run->deleteLater();
    setStatus(batchEndedText(output::batchFilePath(session_.workDirectory()).filename().string(), crashed, exitCode));
}

void MainDialog::deleteAll()
{
    beginWriting();
    pendingAdd_.reset();
    const DeleteResult result = session_.deleteAll();
    releaseWriteLockWhenCaptured();
    const std::size_t before = result.failuresBefore;
    const std::vector<ReportEntry> failures = session_.report().failures();
    std::string line = filesDeletedText(result.deleted);
    if (failures.size() > before) {
        line += "; " + failureText(failures[before]);
        if (failures.size() > before + 1) {
            line += " (and " + std::to_string(failures.size() - before - 1) + " more)";
        }
    }
    setStatus(line);
    showFailuresSince(before);
}

void MainDialog::restorePreviousPackage()
{
    beginWriting();
    pendingAdd_.reset();
    const CommandResult result = session_.restorePrevious();
    releaseWriteLockWhenCaptured();
    setStatus(restoredText(result, session_.report().failures()));
}

void MainDialog::openPackageWindow()
{
    if (packageWindow_ == nullptr) {
        packageWindow_ = new PackageWindow(output::outputFolderPath(session_.workDirectory()), this);
        // Our own lock is not taken twice: an edit waits for the command holding it.
        packageWindow_->setBusy([this] { return session_.writeLockHeld(); });
        connect(this, &MainDialog::packageWritten, packageWindow_, &PackageWindow::refresh);
    } else {
        packageWindow_->refresh();
    }
    packageWindow_->show();
    packageWindow_->raise();
}

void MainDialog::applySettings(const DialogSettings& wanted)
{
    settings_ = wanted;
    if (settings_.output.fit) {
        settings_.fitSize = *settings_.output.fit;
    }
    ui_->pictureControl->setDeviceView(settings_.deviceView);
    session_.setWrapWords(settings_.wrapWords);
}

void MainDialog::setStatus(std::string text)
{
    status_.set(std::move(text));
    postStatusRefresh();
}

void MainDialog::postStatusRefresh()
{
    QMetaObject::invokeMethod(
            this, [this] { statusStrip_->setText(QString::fromStdString(status_.text())); }, Qt::QueuedConnection);
}

QString MainDialog::statusLine() const { return QString::fromStdString(status_.text()); }

bool MainDialog::isOverPictureControl(QPoint clientPoint) const
{
    return ui_->pictureControl->geometry().contains(clientPoint);
}

void MainDialog::setFileChooser(FileChooser chooser) { fileChooser_ = std::move(chooser); }

void MainDialog::setLinkOpener(LinkOpener opener) { linkOpener_ = std::move(opener); }

void MainDialog::setMessageFunction(MessageFunction function) { messageFunction_ = std::move(function); }

void MainDialog::showMessage(const QString& text)
{
    if (!messageFunction_) {
        return;
    }
    if (QThread::currentThread() == thread()) {
        messageFunction_(this, text);
        return;
    }
    QMetaObject::invokeMethod(
            this, [this, text] { messageFunction_(this, text); }, Qt::BlockingQueuedConnection);
}

PictureView* MainDialog::pictureView() const { return ui_->pictureControl; }

void MainDialog::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    QAction* about = menu.addAction(QString::fromUtf8(kAboutMenuText));
    connect(about, &QAction::triggered, this, [this] { systemCommand(kAboutCommandId); });
    QAction* restore = menu.addAction(QStringLiteral("Restore previous package"));
    connect(restore, &QAction::triggered, this, [this] { restorePreviousPackage(); });
    QAction* package = menu.addAction(QString::fromUtf8("&Package\u2026"));
    connect(package, &QAction::triggered, this, [this] { openPackageWindow(); });
    menu.addSeparator();

    // Each item changes one setting, remembered at once.
    auto addSetting = [&](const QString& text, bool on, std::function<void(DialogSettings&, bool)> change) {
        QAction* item = menu.addAction(text);
        item->setCheckable(true);
        item->setChecked(on);
        connect(item, &QAction::toggled, this, [this, change](bool checked) {
            DialogSettings wanted = settings_;
            change(wanted, checked);
            applySettings(wanted);
            saveDialogSettings(settings_);
        });
    };
    addSetting(QStringLiteral("Full frames"), settings_.output.fullFrames,
               [](DialogSettings& s, bool on) { s.output.fullFrames = on; });
    addSetting(QStringLiteral("Dither"), settings_.output.dither,
               [](DialogSettings& s, bool on) { s.output.dither = on; });
    addSetting(QStringLiteral("Fit to ") + QString::fromStdString(output::sizeText(settings_.fitSize)),
               settings_.output.fit.has_value(), [](DialogSettings& s, bool on) {
                   s.output.fit = on ? std::optional<output::Size>(s.fitSize) : std::nullopt;
               });
    addSetting(QStringLiteral("Center on screen"), settings_.output.center,
               [](DialogSettings& s, bool on) { s.output.center = on && s.output.screen; });
    menu.actions().back()->setEnabled(settings_.output.screen.has_value());
    QAction* screen = menu.addAction(QString::fromStdString(screenItemText(settings_)));
    connect(screen, &QAction::triggered, this, [this] { askScreenSize(); });
    addPictureControlsMenu(menu, settings_.output, [this](const output::OutputOptions& options) {
        DialogSettings wanted = settings_;
        wanted.output = options;
        applySettings(wanted);
        saveDialogSettings(settings_);
    });
    menu.addSeparator();
    addSetting(QStringLiteral("Device view"), settings_.deviceView,
               [](DialogSettings& s, bool on) { s.deviceView = on; });
    addSetting(QStringLiteral("Replace earlier entries on Add"), settings_.replaceEarlier,
               [](DialogSettings& s, bool on) { s.replaceEarlier = on; });
    addSetting(QStringLiteral("Wrap words"), settings_.wrapWords, [](DialogSettings& s, bool on) { s.wrapWords = on; });
    menu.exec(event->globalPos());
}

void MainDialog::askScreenSize()
{
    QString answer = QString::fromStdString(screenAnswerText(settings_));
    for (;;) {
        bool accepted = false;
        answer = QInputDialog::getText(this, QStringLiteral("Screen size"),
                                       QStringLiteral("The device's screen, WxH (each side 1 to 255); empty for none:"),
                                       QLineEdit::Normal, answer, &accepted);
        if (!accepted)
            return;
        if (const auto wanted = withScreenAnswer(settings_, answer.toStdString())) {
            applySettings(*wanted);
            saveDialogSettings(settings_);
            return;
        }
    }
}

void MainDialog::dragEnterEvent(QDragEnterEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (data != nullptr && data->hasUrls()) {
        for (const QUrl& url : data->urls()) {
            if (url.isLocalFile()) {
                event->acceptProposedAction();
                return;
            }
        }
    }
    QDialog::dragEnterEvent(event);
}

void MainDialog::dropEvent(QDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (data == nullptr || !data->hasUrls()) {
        QDialog::dropEvent(event);
        return;
    }
    std::vector<std::filesystem::path> dropped;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            dropped.push_back(toPath(url.toLocalFile()));
        }
    }
    event->acceptProposedAction();
    addFiles(filesToAdd(dropped));
}

void MainDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        systemCommand(kAboutCommandId);
        return;
    }
    QDialog::keyPressEvent(event);
}

void MainDialog::updateCursor(QPoint clientPoint)
{
    if (handCursor_ && isOverPictureControl(clientPoint)) {
        setCursor(*handCursor_);
    } else {
        unsetCursor();
    }
}

void MainDialog::mouseMoveEvent(QMouseEvent* event)
{
    updateCursor(event->position().toPoint());
    QDialog::mouseMoveEvent(event);
}

void MainDialog::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && isOverPictureControl(event->position().toPoint()) && linkOpener_) {
        linkOpener_(QUrl(QString::fromLatin1(kPictureLink)));
    }
    QDialog::mousePressEvent(event);
}

}  // namespace pelkora::dialog
