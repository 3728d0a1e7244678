// Entry: the dialog, unless a headless command was asked for.

#include <clocale>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

// After a C library header, which says whether this is glibc.
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <QCoreApplication>
#include <QGuiApplication>

#include "app/command_line.h"

#if defined(PELKORA_HAVE_GUI)
#include "app/converter_app.h"
#elif defined(PELKORA_DIALOG_PROGRAM)
#include "app/dialog_program.h"
#endif

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
    // A picture decoded on a worker is freed on the writer. By default each
    // worker's heap hands those pages back and faults them in again for the
    // next picture, which costs more than decoding on two cores saves; a
    // few megabytes kept spare end that.
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
    mallopt(M_TRIM_THRESHOLD, 16 << 20);
#endif
    // Texts without a mark are read in the locale's character set.
    std::setlocale(LC_ALL, "");
    const std::vector<std::string> args(argv + 1, argv + argc);
    const pelkora::app::CommandLine commandLine = pelkora::app::parseCommandLine(args);

#if defined(PELKORA_HAVE_GUI) || defined(PELKORA_DIALOG_PROGRAM)
    if (commandLine.mode == pelkora::app::CommandLine::Mode::Dialog) {
        // Without anywhere to show it the toolkit would abort; say what
        // works without a window instead.
        auto unset = [](const char* name) {
            const char* value = std::getenv(name);
            return value == nullptr || *value == '\0';
        };
        if (unset("DISPLAY") && unset("WAYLAND_DISPLAY") && unset("QT_QPA_PLATFORM")) {
            std::cerr
                    << "pelkora: no display for the dialog; without one, use --batch SOURCE_FOLDER or --add FILE...\n";
            return 2;
        }
#if defined(PELKORA_DIALOG_PROGRAM)
        return pelkora::app::runDialogProgram(argv);
#else
        pelkora::output::TextPagerOptions pagerOptions;
        pagerOptions.ansiCharset = commandLine.ansiCodepage;
        return pelkora::app::runConverterApp(argc, argv, commandLine.sourceFolder, pagerOptions);
#endif
    }
#endif
    qInstallMessageHandler(labelToolkitMessage);
    if (commandLine.mode == pelkora::app::CommandLine::Mode::Preview) {
        // Fonts need the graphical application object, but no screen: the
        // sheet is drawn off screen, the same with or without a display.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication application(argc, argv);
        return pelkora::app::runHeadless(commandLine, std::cout, std::cerr);
    }
    // Picture decoders are plugins found through the application object.
    QCoreApplication application(argc, argv);
    return pelkora::app::runHeadless(commandLine, std::cout, std::cerr);
}
