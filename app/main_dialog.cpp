#include "app/main_dialog.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
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
#include "app/picture_view.h"
#include "app/qt_path.h"
#include "app/resources.h"
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
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    // Letter case does not matter: *.bmp finds A.BMP.
    dialog->setFilter(dialog->filter() & ~QDir::CaseSensitive);
    dialog->setNameFilters({QStringLiteral("BMP Files(*.bmp)"), QStringLiteral("GIF Files(*.gif)"),
                            QStringLiteral("TXT Files(*.txt)"), QStringLiteral("All Files (*.*)")});
    dialog->selectNameFilter(dialog->nameFilters().front());
    showEveryFileUnderAllFiles(*dialog);
    dialog->selectFile(QStringLiteral("Gifpic"));
    dialog->followTypedName();
    return dialog;
}

std::optional<std::filesystem::path> chooseFileWithDialog(QWidget* parent) {
    const auto dialog = makeAddFileDialog(parent);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return toPath(dialog->selectedFiles().front());
}

void showMessageBox(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok, owner);
    box.exec();
}

bool startBatchFile(const std::filesystem::path& batchFile, const std::filesystem::path& workDirectory) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(batchFile, error)) {
        return false;
    }
    const QString program = toQString(batchFile);
    const QString folder = toQString(workDirectory);
    // An executable the system cannot start by itself (a script without an
    // interpreter line, common for a batch file copied from elsewhere) goes
    // through the shell, as a shell would run it.
    if (QFileInfo(program).isExecutable() && QProcess::startDetached(program, {}, folder)) {
        return true;
    }
    return QProcess::startDetached(QStringLiteral("/bin/sh"), {program}, folder);
}

MainDialog::MainDialog(std::filesystem::path workDirectoryIn, const output::TextPagerOptions& pagerOptions,
                       QWidget* parent)
    : QDialog(parent),
      pictureControl(workDirectoryIn),
      handCursor(loadHandCursor()),
      dialogIcon(applicationIcon()),
      workDirectory(std::move(workDirectoryIn)),
      ui_(std::make_unique<Ui::MainDialog>()),
      fileChooser_(chooseFileWithDialog),
      linkOpener_(openLinkWithDesktop),
      messageFunction_(showMessageBox),
      converter_(pictureControl, workDirectory, conversionOptions(pagerOptions), report_),
      lockReleaseTimer_(new QTimer(this)) {
    ui_->setupUi(this);
    setWindowIcon(dialogIcon);
    // Cursor shape follows the pointer even with no button held.
    setMouseTracking(true);
    // A large picture grows the control; the buttons stay above it.
    ui_->pictureControl->lower();
    ui_->pictureControl->setModel(&pictureControl);

    lockReleaseTimer_->setInterval(50);
    connect(lockReleaseTimer_, &QTimer::timeout, this, &MainDialog::releaseWriteLockWhenCaptured);

    connect(ui_->aboutButton, &QPushButton::clicked, this, &MainDialog::openAboutBox);
    connect(ui_->addButton, &QPushButton::clicked, this, &MainDialog::addFile);
    connect(ui_->convertButton, &QPushButton::clicked, this, &MainDialog::runBatchFile);
    connect(ui_->deleteAllButton, &QPushButton::clicked, this, &MainDialog::deleteAll);
    ui_->aboutButton->setFocus();
}

MainDialog::~MainDialog() {
    // The model goes first (a member), the view after it (a child widget):
    // the model's worker has ended before the view it posts to is gone.
    // Until then the view must not read from a model being torn down.
    ui_->pictureControl->forgetModel();
}

ConversionOptions MainDialog::conversionOptions(const output::TextPagerOptions& pagerOptions) {
    ConversionOptions options;
    options.pager = pagerOptions;
    options.pauseAfterPicture = kStartupPauseAfterPicture;
    options.cantFindFile = [this](const std::filesystem::path&) {
        showMessage(QString::fromUtf8(kCantFindFileText));
    };
    options.progress = [this](int done, int found) {
        if (progress_) {
            progress_(done, found);
        }
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
        converter_.convertFolder(sourceFolder);
        progress_ = nullptr;
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
    AboutDialog about(this);
    about.exec();
}

void MainDialog::addFile() {
    const std::optional<std::filesystem::path> chosen = fileChooser_ ? fileChooser_(this) : std::nullopt;
    if (!chosen || chosen->empty()) {
        return;
    }
    const std::size_t before = report_.failures().size();
    if (!takeWriteLock(true)) {
        showFailuresSince(before);
        return;
    }
    converter_.addFile(*chosen);
    releaseWriteLockWhenCaptured();
}

void MainDialog::runBatchFile() {
    if (!startBatchFile(output::batchFilePath(workDirectory), workDirectory)) {
        showMessage(QString::fromUtf8(kStartFailedText));
    }
}

void MainDialog::deleteAll() {
    const std::size_t before = report_.failures().size();
    // A missing folder is left missing, and there is nothing to lock.
    if (takeWriteLock(false)) {
        converter_.deleteAll();
    }
    releaseWriteLockWhenCaptured();
    showFailuresSince(before);
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
    menu.exec(event->globalPos());
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
