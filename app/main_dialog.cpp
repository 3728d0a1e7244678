#include "app/main_dialog.h"

#include <algorithm>
#include <cctype>

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPixmap>
#include <QProcess>
#include <QThread>

#include <iostream>

#include "app/about_dialog.h"
#include "app/device_image.h"
#include "app/picture_view.h"
#include "app/qt_path.h"
#include "app/resources.h"
#include "output/names.h"
#include "output/playlist.h"
#include "ui_main_dialog.h"

namespace pelkora::app {

namespace {

constexpr QPoint kHandHotSpot{12, 1};

std::optional<QCursor> loadHandCursor() {
    ensureResources();
    const QPixmap image(QStringLiteral(":/cursors/hand.xpm"));
    if (image.isNull()) {
        return std::nullopt;
    }
    return QCursor(image, kHandHotSpot.x(), kHandHotSpot.y());
}

bool openLinkWithDesktop(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

// "*.*" means every file where these filters come from, but Qt matches it
// only against names with a dot, so "All Files" would hide a text called
// "notes". Once the dialog has applied the filter, widen it to everything.
void showEveryFileUnderAllFiles(QFileDialog& dialog) {
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    auto* model = dialog.findChild<QFileSystemModel*>();
    if (!types || !model) {
        return;
    }
    QObject::connect(types, &QComboBox::activated, &dialog, [types, model](int index) {
        if (index == types->count() - 1) {
            model->setNameFilters({QStringLiteral("*")});
        }
    });
}

constexpr const char* kAddDefaultSuffix = "Select Picture";

// Qt adds the default suffix to every typed name without a dot, so a file
// such as "notes" could not be typed: the dialog looked for
// "notes.Select Picture" and said it was not found. A typed name that names
// an existing file as it stands is taken as it is; any other name still
// gets the suffix.
class AddFileDialog : public QFileDialog {
public:
    explicit AddFileDialog(QWidget* parent) : QFileDialog(parent) {}

    // Once the widgets exist: follow the typed name as it changes, so that
    // the Open button is offered for such a file too.
    void followTypedName() {
        if (auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
            connect(name, &QLineEdit::textEdited, this, [this] { chooseSuffix(); });
        }
        chooseSuffix();
    }

    void accept() override {
        chooseSuffix();
        QFileDialog::accept();
    }

private:
    void chooseSuffix() {
        const auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        const QString typed = name ? name->text() : QString();
        const bool existsAsTyped = !typed.isEmpty() && QFileInfo(directory().absoluteFilePath(typed)).isFile();
        setDefaultSuffix(existsAsTyped ? QString() : QString::fromLatin1(kAddDefaultSuffix));
    }
};

}  // namespace

std::unique_ptr<QFileDialog> makeAddFileDialog(QWidget* parent) {
    auto dialog = std::make_unique<AddFileDialog>(parent);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    // Letter case does not matter: *.bmp finds A.BMP.
    dialog->setFilter(dialog->filter() & ~QDir::CaseSensitive);
    // Every format the picture loader reads, each alone and all together.
    dialog->setNameFilters({QStringLiteral("BMP Files(*.bmp)"), QStringLiteral("GIF Files(*.gif)"),
                            QStringLiteral("PNG Files(*.png)"), QStringLiteral("JPEG Files(*.jpg *.jpeg)"),
                            QStringLiteral("ICO Files(*.ico)"),
                            QStringLiteral("All Pictures(*.bmp *.gif *.png *.jpg *.jpeg *.ico)"),
                            QStringLiteral("TXT Files(*.txt)"), QStringLiteral("All Files (*.*)")});
    dialog->selectNameFilter(dialog->nameFilters().front());
    showEveryFileUnderAllFiles(*dialog);
    dialog->selectFile(QStringLiteral("Gifpic"));
    dialog->followTypedName();
    return dialog;
}

std::vector<std::filesystem::path> chooseFilesWithDialog(QWidget* parent) {
    const auto dialog = makeAddFileDialog(parent);
    std::vector<std::filesystem::path> files;
    if (dialog->exec() != QDialog::Accepted) {
        return files;
    }
    for (const QString& name : dialog->selectedFiles()) {
        files.push_back(toPath(name));
    }
    return files;
}

std::vector<std::filesystem::path> filesToAdd(const std::vector<std::filesystem::path>& dropped) {
    std::vector<std::filesystem::path> files;
    for (const std::filesystem::path& path : dropped) {
        std::error_code error;
        if (!std::filesystem::is_directory(path, error)) {
            files.push_back(path);
            continue;
        }
        for (std::filesystem::directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
            if (it->is_regular_file(error)) {
                files.push_back(it->path());
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

void showMessageBox(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok, owner);
    box.exec();
}

namespace {

// Its output goes where ours goes and it reads nothing from us, as a
// detached program would.
bool startProcess(QProcess& process, const QString& program, const QStringList& arguments, const QString& folder) {
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    return process.waitForStarted(5000);
}

}  // namespace

QProcess* startBatchFile(const std::filesystem::path& batchFile, const std::filesystem::path& workDirectory) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(batchFile, error)) {
        return nullptr;
    }
    const QString program = toQString(batchFile);
    const QString folder = toQString(workDirectory);
    // An executable the system cannot start by itself (a script without an
    // interpreter line, common for a batch file copied from elsewhere) goes
    // through the shell, as a shell would run it.
    auto process = std::make_unique<QProcess>();
    if (QFileInfo(program).isExecutable() && startProcess(*process, program, {}, folder)) {
        return process.release();
    }
    process = std::make_unique<QProcess>();
    if (startProcess(*process, QStringLiteral("/bin/sh"), {program}, folder)) {
        return process.release();
    }
    return nullptr;
}

MainDialog::MainDialog(std::filesystem::path workDirectoryIn, const output::TextPagerOptions& pagerOptions,
                       QWidget* parent)
    : QDialog(parent),
      pictureControl(workDirectoryIn),
      handCursor(loadHandCursor()),
      dialogIcon(applicationIcon()),
      workDirectory(std::move(workDirectoryIn)),
      ui_(std::make_unique<Ui::MainDialog>()),
      fileChooser_(chooseFilesWithDialog),
      linkOpener_(openLinkWithDesktop),
      messageFunction_(showMessageBox),
      settings_(loadDialogSettings()),
      converter_(pictureControl, workDirectory, conversionOptions(pagerOptions), report_),
      lockReleaseTimer_(new QTimer(this)) {
    ui_->setupUi(this);
    setWindowIcon(dialogIcon);
    // Cursor shape follows the pointer even with no button held.
    setMouseTracking(true);
    // A large picture grows the control; the buttons stay above it.
    ui_->pictureControl->lower();
    ui_->pictureControl->setModel(&pictureControl);
    statusStrip_ = ui_->statusStrip;
    setAcceptDrops(true);

    // Every file written also goes to the view, for the device view; the
    // view outlives the model (a child widget), and takes it on its thread.
    PictureView* view = ui_->pictureControl;
    pictureControl.setCaptureSink([view](const output::DobTarget& target, const output::PixelView& pixels) {
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

MainDialog::~MainDialog() {
    // The rest of an animation is written while everything its captures
    // reach is still here.
    pictureControl.CompletePass();
    for (QProcess* run : batchRuns_) {
        run->disconnect(this);
    }
    // The model goes first (a member), the view after it (a child widget):
    // the model's worker has ended before the view it posts to is gone.
    // Until then the view must not read from a model being torn down.
    ui_->pictureControl->forgetModel();
}

ConversionOptions MainDialog::conversionOptions(const output::TextPagerOptions& pagerOptions) {
    ConversionOptions options;
    options.pager = pagerOptions;
    options.cantFindFile = [this](const std::filesystem::path&) {
        showMessage(QString::fromUtf8(kCantFindFileText));
    };
    options.refused = [this](const Failure& failure) {
        showMessage(QString::fromStdString(output::escapedForTerminal(failure.input.filename().string()) + ": " +
                                           failure.reason));
    };
    options.progress = [this](int done, int found) {
        if (progress_) {
            progress_(done, found);
        }
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

bool MainDialog::takeWriteLock(bool create) {
    lockReleaseTimer_->stop();
    if (writeLock_ && writeLock_->held()) {
        return true;
    }
    writeLock_ = converter_.lockOutputFolder(create);
    return writeLock_->held();
}

void MainDialog::releaseWriteLockWhenCaptured() {
    if (pictureControl.capturePending()) {
        lockReleaseTimer_->start();
        return;
    }
    lockReleaseTimer_->stop();
    writeLock_.reset();
}

void MainDialog::showFailuresSince(std::size_t before) {
    // A long list is cut: the message box must still fit on the screen.
    constexpr std::size_t kShownAtMost = 20;
    const std::vector<Failure> failures = report_.failures();
    if (failures.size() <= before) {
        return;
    }
    QStringList lines;
    for (std::size_t i = before; i < failures.size() && lines.size() < static_cast<int>(kShownAtMost); ++i) {
        lines << toQString(failures[i].input) + QStringLiteral(": ") + QString::fromStdString(failures[i].reason);
    }
    const std::size_t more = failures.size() - before - static_cast<std::size_t>(lines.size());
    if (more > 0) {
        lines << tr("... and %1 more").arg(more);
    }
    showMessage(lines.join(QLatin1Char('\n')));
}

void MainDialog::prepareOutputFolder() {
    const std::size_t before = report_.failures().size();
    startupRefused_ = !sourceFolder.empty() && !converter_.checkSourceFolder(sourceFolder);
    if (!startupRefused_) {
        startupRefused_ = !takeWriteLock(true) || !converter_.prepareOutputFolder();
    }
    showFailuresSince(before);
}

void MainDialog::convertSourceFolder(std::function<void(int done, int found)> progress) {
    if (!sourceFolder.empty() && !startupRefused_) {
        progress_ = std::move(progress);
        const int filesBefore = report_.filesWritten();
        const std::size_t failuresBefore = report_.failures().size();
        status_.set("");
        converter_.convertFolder(sourceFolder);
        progress_ = nullptr;

        const std::vector<Failure> failures = report_.failures();
        const std::string written = std::to_string(report_.filesWritten() - filesBefore) + " files written from " +
                                    sourceFolder.filename().string();
        if (failures.size() > failuresBefore) {
            const std::size_t more = failures.size() - failuresBefore - 1;
            setStatus(failureText(failures[failuresBefore]) +
                      (more > 0 ? " (and " + std::to_string(more) + " more)" : std::string()) + "; " + written);
        } else {
            setStatus(written);
        }
    }
    // The timer belongs to the dialog's thread, and so does the release.
    QMetaObject::invokeMethod(this, [this] { releaseWriteLockWhenCaptured(); }, Qt::AutoConnection);
}

void MainDialog::systemCommand(int commandId) {
    if ((commandId & 0xFFF0) == kAboutCommandId) {
        openAboutBox();
    }
}

void MainDialog::openAboutBox() {
    const std::string options = output::describeOptions(settings_.output);
    AboutDialog about(this, options.empty() ? QString() : QStringLiteral("Options: ") + QString::fromStdString(options));
    about.exec();
}

void MainDialog::addFile() {
    const std::vector<std::filesystem::path> chosen = fileChooser_ ? fileChooser_(this)
                                                                   : std::vector<std::filesystem::path>();
    addFiles(chosen);
}

void MainDialog::addFiles(const std::vector<std::filesystem::path>& files) {
    std::vector<std::string> failed;
    // Files chosen together are one run: none may overwrite another's output.
    Converter::AddRun run = Converter::AddRun::New;
    for (const std::filesystem::path& file : files) {
        if (file.empty()) {
            continue;
        }
        const std::size_t failuresBefore = report_.failures().size();
        addOneFile(file, run);
        run = Converter::AddRun::Continued;
        const std::vector<Failure> failures = report_.failures();
        if (failures.size() > failuresBefore) {
            failed.push_back(failureText(failures[failuresBefore]));
        }
    }
    // Of several files, one that failed is worth more than the last that did not.
    if (files.size() > 1 && !failed.empty()) {
        setStatus(failed.front() + " (" + std::to_string(failed.size()) + " of " + std::to_string(files.size()) +
                  " files failed)");
    }
}

namespace {

bool hasPictureName(const std::filesystem::path& file) {
    std::string extension = file.extension().string();
    for (char& c : extension) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (const char* known : {".bmp", ".gif", ".png", ".jpg", ".jpeg", ".ico"}) {
        if (extension == known) {
            return true;
        }
    }
    return false;
}

}  // namespace

void MainDialog::addOneFile(const std::filesystem::path& file, Converter::AddRun run) {
    // The animation before is written whole first (as the load would), so
    // that the options change only between pictures.
    pictureControl.CompletePass();
    pictureControl.setOutputOptions(settings_.output);
    const int filesBefore = report_.filesWritten();
    const std::size_t failuresBefore = report_.failures().size();
    if (!takeWriteLock(true)) {
        const std::vector<Failure> failures = report_.failures();
        if (failures.size() > failuresBefore) {
            setStatus(failureText(failures[failuresBefore]));
        }
        showFailuresSince(failuresBefore);
        return;
    }
    // Followed from before the load: an animation's first frames may be
    // written before addFile returns.
    status_.followAnimation(file.has_extension() ? file.stem().string() : std::string());
    const Converter::Added added = converter_.addFile(file, run);
    const bool isPicture = added.asPicture;
    // Held on while an animation's frames are still to come.
    releaseWriteLockWhenCaptured();
    if (isPicture && pictureControl.CountAnimationFrames() > 0) {
        postStatusRefresh();
        return;
    }
    const std::vector<Failure> failures = report_.failures();
    const int written = report_.filesWritten() - filesBefore;
    std::string line;
    if (isPicture) {
        line = failures.size() > failuresBefore
                   ? failureText(failures[failuresBefore])
                   : pictureWrittenText(output::dobPathFor(pictureControl.outputDirectory() /
                                                           (pictureControl.baseName() + ".bmp")));
    } else {
        // A picture by its name that did not decode is paged as a text,
        // which says nothing of why; say it here.
        if (hasPictureName(file) && !added.pictureLoad.ok()) {
            line = failureText({file, statusText(added.pictureLoad.status)}) + "; paged as text: ";
        }
        if (failures.size() > failuresBefore) {
            line += failureText(failures[failuresBefore]);
            if (written > 0) {
                line += "; " + pagesWrittenText(written);
            }
        } else {
            line += pagesWrittenText(written);
        }
    }
    setStatus(line);
}

void MainDialog::runBatchFile() {
    const std::filesystem::path batch = output::batchFilePath(workDirectory);
    const std::string name = batch.filename().string();
    QProcess* run = startBatchFile(batch, workDirectory);
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

void MainDialog::batchEnded(QProcess* run, int exitCode, bool crashed) {
    batchRuns_.erase(std::remove(batchRuns_.begin(), batchRuns_.end(), run), batchRuns_.end());
    run->deleteLater();
    setStatus(batchEndedText(output::batchFilePath(workDirectory).filename().string(), crashed, exitCode));
}

void MainDialog::deleteAll() {
    const std::size_t before = report_.failures().size();
    int deleted = 0;
    // A missing folder is left missing, and there is nothing to lock.
    if (takeWriteLock(false)) {
        deleted = converter_.deleteAll();
    }
    releaseWriteLockWhenCaptured();
    const std::vector<Failure> failures = report_.failures();
    std::string line = filesDeletedText(deleted);
    if (failures.size() > before) {
        line += "; " + failureText(failures[before]);
        if (failures.size() > before + 1) {
            line += " (and " + std::to_string(failures.size() - before - 1) + " more)";
        }
    }
    setStatus(line);
    showFailuresSince(before);
}

void MainDialog::applySettings(const DialogSettings& wanted) {
    settings_ = wanted;
    if (settings_.output.fit) {
        settings_.fitSize = *settings_.output.fit;
    }
    ui_->pictureControl->setDeviceView(settings_.deviceView);
}

void MainDialog::setStatus(std::string text) {
    status_.set(std::move(text));
    postStatusRefresh();
}

void MainDialog::postStatusRefresh() {
    QMetaObject::invokeMethod(
        this, [this] { statusStrip_->setText(QString::fromStdString(status_.text())); }, Qt::QueuedConnection);
}

QString MainDialog::statusLine() const {
    return QString::fromStdString(status_.text());
}

bool MainDialog::isOverPictureControl(QPoint clientPoint) const {
    return ui_->pictureControl->geometry().contains(clientPoint);
}

void MainDialog::setFileChooser(FileChooser chooser) {
    fileChooser_ = std::move(chooser);
}

void MainDialog::setLinkOpener(LinkOpener opener) {
    linkOpener_ = std::move(opener);
}

void MainDialog::setMessageFunction(MessageFunction function) {
    messageFunction_ = std::move(function);
}

void MainDialog::showMessage(const QString& text) {
    if (!messageFunction_) {
        return;
    }
    if (QThread::currentThread() == thread()) {
        messageFunction_(this, text);
        return;
    }
    QMetaObject::invokeMethod(this, [this, text] { messageFunction_(this, text); },
                              Qt::BlockingQueuedConnection);
}

PictureView* MainDialog::pictureView() const {
    return ui_->pictureControl;
}

void MainDialog::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* about = menu.addAction(QString::fromUtf8(kAboutMenuText));
    connect(about, &QAction::triggered, this, [this] { systemCommand(kAboutCommandId); });
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
    menu.addSeparator();
    addSetting(QStringLiteral("Device view"), settings_.deviceView,
               [](DialogSettings& s, bool on) { s.deviceView = on; });
    menu.exec(event->globalPos());
}

void MainDialog::dragEnterEvent(QDragEnterEvent* event) {
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

void MainDialog::dropEvent(QDropEvent* event) {
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

void MainDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        systemCommand(kAboutCommandId);
        return;
    }
    QDialog::keyPressEvent(event);
}

void MainDialog::updateCursor(QPoint clientPoint) {
    if (handCursor && isOverPictureControl(clientPoint)) {
        setCursor(*handCursor);
    } else {
        unsetCursor();
    }
}

void MainDialog::mouseMoveEvent(QMouseEvent* event) {
    updateCursor(event->position().toPoint());
    QDialog::mouseMoveEvent(event);
}

void MainDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isOverPictureControl(event->position().toPoint()) &&
        linkOpener_) {
        linkOpener_(QUrl(QString::fromLatin1(kPictureLink)));
    }
    QDialog::mousePressEvent(event);
}

}  // namespace pelkora::app
