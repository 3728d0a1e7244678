// The dialog program: the main dialog after the start-up conversion of the
// folder its command line names. The pelkora program hands it every start
// that asks for no command.

#include <clocale>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

// After a C library header, which says whether this is glibc.
#if defined(__GLIBC__)
#include <malloc.h>
#endif

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
    // The start-up conversion frees on one thread what another decoded; a
    // few megabytes kept spare spare it the page faults (as in pelkora).
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
    mallopt(M_TRIM_THRESHOLD, 16 << 20);
#endif
    // Texts without a mark are read in the locale's character set.
    std::setlocale(LC_ALL, "");
    const std::vector<std::string> args(argv + 1, argv + argc);
    const pelkora::session::CommandLine commandLine = pelkora::session::parseCommandLine(args);
    if (commandLine.mode != pelkora::session::CommandLine::Mode::Dialog) {
        std::cerr << "pelkora-dialog: the commands without a window are pelkora's; see pelkora --help\n";
        return 2;
    }
    // Without anywhere to show it the toolkit would abort; say what works
    // without a window instead.
    if (unset("DISPLAY") && unset("WAYLAND_DISPLAY") && unset("QT_QPA_PLATFORM")) {
        std::cerr << "pelkora: no display for the dialog; without one, use --batch SOURCE_FOLDER or --add FILE...\n";
        return 2;
    }
    pelkora::output::TextPagerOptions pagerOptions;
    pagerOptions.ansiCharset = commandLine.ansiCodepage;
    return pelkora::dialog::runConverterApp(argc, argv, commandLine.sourceFolder, pagerOptions);
}
