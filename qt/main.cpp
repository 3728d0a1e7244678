// The dialog program: the main dialog after the start-up conversion of the
// folder its command line names. The pelkora program hands it every start
// that asks for no command.

#include <cstdlib>
#include <iostream>
#include <optional>

#include "qt/converter_app.h"
#include "session/command_line.h"

namespace {

bool unset(const char* name)
{
    const char* value = std::getenv(name);
    return value == nullptr || *value == '\0';
}

}  // namespace

int main(int argc, char** argv)
{
    const std::optional<pelkora::session::CommandLine> commandLine =
            pelkora::session::startDialogProgram(argc, argv);
    if (!commandLine)
        return 2;
    // Without anywhere to show it the toolkit would abort; say what works
    // without a window instead.
    if (unset("DISPLAY") && unset("WAYLAND_DISPLAY") && unset("QT_QPA_PLATFORM")) {
        std::cerr << "pelkora: no display for the dialog; without one, use --batch SOURCE_FOLDER or --add FILE...\n";
        return 2;
    }
    pelkora::output::TextPagerOptions pagerOptions;
    pagerOptions.ansiCharset = commandLine->ansiCodepage;
    return pelkora::dialog::runConverterApp(argc, argv, commandLine->sourceFolder, pagerOptions);
}
