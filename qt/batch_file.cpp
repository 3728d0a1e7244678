#include "qt/batch_file.h"

#include <memory>
#include <system_error>

#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>

#include "qt/qt_path.h"

namespace pelkora::dialog {


namespace {

// Its output goes where ours goes and it reads nothing from us, as a
// detached program would.
bool startProcess(QProcess& process, const QString& program, const QStringList& arguments, const QString& folder)
{
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    return process.waitForStarted(5000);
}

}  // namespace

QProcess* startBatchFile(const std::filesystem::path& batchFile, const std::filesystem::path& workDirectory)
{
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

}  // namespace pelkora::dialog
