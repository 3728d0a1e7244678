// The pelkora program: the headless commands; the dialog is handed to the
// dialog program beside this one.

#include <iostream>

#include <QCoreApplication>
#include <QGuiApplication>

#include "cli/dialog_program.h"
#include "cli/headless.h"
#include "session/command_line.h"

namespace {

// Headless, the toolkit's own lines are labelled as ours, so that the
// terminal shows only the program speaking. Where its runtime folder lies is
// no concern of a user converting pictures.
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
    using Mode = pelkora::session::CommandLine::Mode;

    if (commandLine.mode == Mode::Dialog)
        return pelkora::cli::runDialogProgram(argv);
    qInstallMessageHandler(labelToolkitMessage);
    if (commandLine.mode == Mode::Preview) {
        // Fonts need the graphical application object, but no screen: the
        // sheet is drawn off screen, the same with or without a display.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication application(argc, argv);
        return pelkora::cli::runHeadless(commandLine, std::cout, std::cerr);
    }
    // Picture decoders are plugins found through the application object.
    QCoreApplication application(argc, argv);
    return pelkora::cli::runHeadless(commandLine, std::cout, std::cerr);
}
