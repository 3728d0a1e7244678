// The pelkora-preview program: the package sheet of `pelkora --preview`,
// which hands the command line over to it unchanged. The sheet is drawn off
// screen, the same with or without a display.

#include <iostream>

#include <QGuiApplication>

#include "cli/review_commands.h"
#include "platform/interruption.h"
#include "qt/preview/package_preview.h"
#include "session/command_line.h"

namespace {

// The toolkit's own lines are labelled as ours, so that the terminal shows
// only the program speaking. Where its runtime folder lies is no concern of
// a user looking at a package.
void labelToolkitMessage(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    if (message.startsWith(QLatin1String("QStandardPaths:")))
        return;
    std::cerr << "pelkora: " << message.toStdString() << '\n';
}

}  // namespace

int main(int argc, char** argv)
{
    const pelkora::session::CommandLine commandLine = pelkora::session::startProgram(argc, argv);
    if (commandLine.mode != pelkora::session::CommandLine::Mode::Preview) {
        std::cerr << "pelkora-preview: started by pelkora for --preview only (try pelkora --help)\n";
        return 2;
    }
    qInstallMessageHandler(labelToolkitMessage);
    // Fonts need the graphical application object, but no screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    // Asked to stop, the sheet is finished (or was never begun) and the
    // program then ends as asked: no half-written sheet, no temporary file.
    pelkora::platform::noteInterruptions();
    int status = 2;
    {
        const auto reading = pelkora::cli::lockForReading(commandLine.packageFolder, std::cerr);
        if (pelkora::platform::interruption() == 0)
            status = pelkora::preview::previewPackage(commandLine.packageFolder, *commandLine.to, commandLine.quiet,
                                                      std::cout, std::cerr);
    }
    if (const int request = pelkora::platform::interruption()) {
        std::cout << std::flush;
        std::cerr << "pelkora: stopped by " << pelkora::platform::interruptionName(request) << "\n" << std::flush;
        pelkora::platform::endAsInterrupted(request);
    }
    return status;
}
