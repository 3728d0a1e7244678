// The pelkora-preview program: the package sheet of `pelkora --preview`,
// which hands the command line over to it unchanged. The sheet is drawn off
// screen, the same with or without a display.

#include <iostream>

#include <QGuiApplication>

#include "cli/preview_command.h"
#include "qt/preview/qt_glyph_painter.h"
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
    pelkora::preview::QtGlyphPainter glyphs;
    return pelkora::cli::drawSheetHeld(commandLine, [&] {
        return pelkora::sheet::previewPackage(pelkora::cli::sheetRequest(commandLine), glyphs, std::cout, std::cerr);
    });
}
