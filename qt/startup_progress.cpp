#include "qt/startup_progress.h"

#include <optional>
#include <thread>

#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

#include "qt/main_dialog.h"
#include "qt/resources.h"
#include "session/session.h"
#include "session/version.h"

namespace pelkora::dialog {

using namespace session;

StartupProgress::StartupProgress(QWidget* parent)
        : QWidget(parent, Qt::Window), label_(new QLabel(this)), bar_(new QProgressBar(this))
{
    // Not the dialog's own caption: anyone waiting for the dialog must not
    // mistake this window for it.
    setWindowTitle(QStringLiteral(PELKORA_NAME " - converting"));
    setWindowIcon(applicationIcon());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(bar_);
    bar_->setRange(0, 0);
    setMinimumWidth(320);
    setProgress(0, 0);
}

void StartupProgress::setProgress(int done, int found)
{
    done_ = done;
    found_ = found;
    if (found > 0) {
        bar_->setRange(0, found);
        bar_->setValue(done);
        label_->setText(tr("Converting: %1 of %2 files done").arg(done).arg(found));
    } else {
        label_->setText(tr("Converting..."));
    }
}

void StartupProgress::closeEvent(QCloseEvent* event) { event->ignore(); }

bool runStartupBatch(MainDialog& dialog, const std::filesystem::path& sourceFolder,
                     std::chrono::milliseconds progressDelay)
{
    StartupProgress window;
    QEventLoop loop;
    QTimer showTimer;
    showTimer.setSingleShot(true);
    QObject::connect(&showTimer, &QTimer::timeout, &window, [&window] {
        window.show();
        window.raise();
    });

    // The worker reports through queued calls to the window, which lives
    // until after the worker has been joined.
    Session& session = dialog.session();
    const std::optional<std::filesystem::path> source =
            sourceFolder.empty() ? std::nullopt : std::optional<std::filesystem::path>(sourceFolder);
    // The options ticked in the menu, as every Add of the dialog takes them.
    const output::OutputOptions options = dialog.settings().output;
    std::thread worker([&dialog, &session, &source, &options, &window, &loop] {
        const CommandResult prepared = session.prepareStartup(source);
        dialog.startupPrepared(prepared);
        if (source && !prepared.refused) {
            const CommandResult converted = session.convertFolder(*source, options, [&window](int done, int found) {
                QMetaObject::invokeMethod(
                        &window, [&window, done, found] { window.setProgress(done, found); }, Qt::QueuedConnection);
            });
            dialog.startupConverted(*source, converted);
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    showTimer.start(progressDelay);
    loop.exec();
    worker.join();
    showTimer.stop();
    dialog.startupEnded();

    const bool shown = window.isVisible();
    window.hide();
    return shown;
}

}  // namespace pelkora::dialog
