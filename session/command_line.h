#pragma once
// The command line every front end is started with: the dialog on a source
// folder, or one of the headless commands that do the same conversions
// without a window.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "output/dob_reader.h"
#include "output/output_options.h"
#include "session/edit_arguments.h"

namespace pelkora::session {

struct CommandLine {
    enum class Mode {
        Dialog, Batch, Add, DeleteAll, Info, Render, Preview, Check,
        List, Remove, Move, SetTime, SetTimeAll, Restore,
        Help, Version, UsageError
    };
    Mode mode = Mode::Dialog;
    // Dialog: the first argument, whole; later ones are ignored.
    std::optional<std::filesystem::path> sourceFolder;
    std::vector<std::filesystem::path> files;  // --add, --info, --render
    std::filesystem::path packageFolder;       // --preview, --check: ./adv unless named
    std::optional<output::Size> dobSize;    // --size WxH, for --info and --render
    std::optional<std::filesystem::path> to;   // --to: --render's folder, --preview's sheet
    std::string ansiCodepage;                  // empty: the locale's
    bool quiet = false;
    bool realtime = false;
    output::OutputOptions outputOptions;  // --full-frames, --dither, --fit; --batch and --add
    bool replace = false;                 // --replace, with --add
    bool wrapWords = false;               // --wrap words, with --batch and --add
    bool keepPrevious = true;             // --no-previous turns it off, with --batch and --delete-all
    PackageEditArguments edit;            // --remove, --move, --set-time, --set-time-all
    std::string error;                    // UsageError: one line
};

// args excludes the program's own name.
CommandLine parseCommandLine(const std::vector<std::string>& args);

// How every program starts: the heap set for conversions on several
// threads, the locale's character set for texts without a mark, and the
// command line it was given.
CommandLine startProgram(int argc, char** argv);
// The same for a dialog program, which takes no command: nothing, said on
// standard error, when its command line asks for one.
std::optional<CommandLine> startDialogProgram(int argc, char** argv);
// Where the package is written: the current folder, or "." when the system
// cannot say which that is.
std::filesystem::path workDirectory();

std::string usageText();

}  // namespace pelkora::session
