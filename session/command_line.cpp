#include "session/command_line.h"

#include <clocale>
#include <iostream>
#include <system_error>
#include <string>
#include <string_view>

#include "output/dob_reader.h"
#include "output/output_folder.h"
#include "output/text_pager.h"
#include "platform/path_names.h"
#include "platform/process.h"
#include "session/control_flags.h"

namespace pelkora::session {

namespace fs = std::filesystem;
using Mode = CommandLine::Mode;

namespace {

CommandLine usageError(std::string message)
{
    CommandLine commandLine;
    commandLine.mode = Mode::UsageError;
    commandLine.error = std::move(message);
    return commandLine;
}

bool setMode(CommandLine& commandLine, Mode mode)
{
    if (commandLine.mode != Mode::Dialog && commandLine.mode != mode)
        return false;
    commandLine.mode = mode;
    return true;
}

const char* editCommandName(Mode mode)
{
    switch (mode) {
    case Mode::Move:
        return "--move";
    case Mode::SetTime:
        return "--set-time";
    case Mode::SetTimeAll:
        return "--set-time-all";
    default:
        return "--remove";
    }
}

// A word meant as a size (digits around one x), right or wrong; anything
// else after --fit is the next argument.
bool looksLikeSize(std::string_view word)
{
    const std::size_t cross = word.find_first_of("xX");
    return cross != std::string_view::npos && cross > 0 && cross + 1 < word.size()
           && word.find_first_not_of("0123456789xX") == std::string_view::npos;
}

std::string screenSizeError(const char* option, const std::string& word)
{
    return std::string(option) + " takes WxH, each side 1 to " + std::to_string(output::kLargestFitSide)
           + " (a DOB header holds no larger side), not '" + word + "'";
}

// The screen's part in the other options: --fit without a size fits to it,
// and --center needs it. Empty when they agree.
std::string settleScreen(CommandLine& commandLine, bool fitToScreen)
{
    output::OutputOptions& options = commandLine.outputOptions;
    const Mode mode = commandLine.mode;
    if (options.screen && mode != Mode::Batch && mode != Mode::Add && mode != Mode::Check && mode != Mode::Preview)
        return "--screen goes with --batch, --add, --check or --preview";
    if (fitToScreen && !options.screen)
        return "--fit needs a size WxH, or --screen WxH to fit to";
    if (options.center && !options.screen)
        return "--center needs --screen WxH to centre on";
    if (fitToScreen)
        options.fit = options.screen;
    return {};
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args)
{
    CommandLine commandLine;
    std::vector<std::string> words;
    bool optionsEnded = false;
    bool fitToScreen = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            words.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--quiet") {
            commandLine.quiet = true;
        } else if (arg == "--realtime") {
            commandLine.realtime = true;
        } else if (arg == "--full-frames") {
            commandLine.outputOptions.fullFrames = true;
        } else if (const auto control = takePictureControl(args, i, commandLine.outputOptions)) {
            if (!control->empty())
                return usageError(*control);
        } else if (arg == "--fit") {
            // Without a size of its own it fits to the screen, settled below.
            fitToScreen = i + 1 >= args.size() || !looksLikeSize(args[i + 1]);
            if (!fitToScreen && !(commandLine.outputOptions.fit = output::parseFitSize(args[++i])))
                return usageError(screenSizeError("--fit", args[i]));
        } else if (arg == "--screen") {
            if (i + 1 >= args.size())
                return usageError("--screen needs a size WxH");
            if (!(commandLine.outputOptions.screen = output::parseFitSize(args[++i])))
                return usageError(screenSizeError("--screen", args[i]));
        } else if (arg == "--center") {
            commandLine.outputOptions.center = true;
        } else if (arg == "--ansi-codepage") {
            if (i + 1 >= args.size())
                return usageError("--ansi-codepage needs a character set name");
            commandLine.ansiCodepage = args[++i];
        } else if (arg == "--size") {
            if (i + 1 >= args.size())
                return usageError("--size needs WxH");
            commandLine.dobSize = output::parseSize(args[++i]);
            if (!commandLine.dobSize)
                return usageError("--size needs WxH, each side from 1 to 65535");
        } else if (arg == "--to") {
            if (i + 1 >= args.size() || args[i + 1].empty())
                return usageError("--to needs a path");
            commandLine.to = platform::pathFromUtf8(args[++i]);
        } else if (arg == "--wrap") {
            if (i + 1 >= args.size() || args[i + 1] != "words")
                return usageError("--wrap takes 'words'");
            commandLine.wrapWords = true;
            ++i;
        } else if (arg == "--replace") {
            commandLine.replace = true;
        } else if (arg == "--no-previous") {
            commandLine.keepPrevious = false;
        } else if (arg == "--all-of") {
            if (i + 1 >= args.size() || args[i + 1].empty())
                return usageError("--all-of needs a base name");
            commandLine.edit.bases.push_back(args[++i]);
        } else if (arg == "--help" || arg == "-h") {
            commandLine.mode = Mode::Help;
            return commandLine;
        } else if (arg == "--version") {
            commandLine.mode = Mode::Version;
            return commandLine;
        } else {
            static const std::pair<const char*, Mode> modes[] = {
                    {"--batch", Mode::Batch}, {"--add", Mode::Add},       {"--delete-all", Mode::DeleteAll},
                    {"--info", Mode::Info},   {"--render", Mode::Render}, {"--preview", Mode::Preview},
                    {"--check", Mode::Check}, {"--list", Mode::List},     {"--remove", Mode::Remove},
                    {"--move", Mode::Move},   {"--set-time", Mode::SetTime}, {"--set-time-all", Mode::SetTimeAll},
                    {"--restore", Mode::Restore}};
            bool known = false;
            for (const auto& [name, mode] : modes) {
                if (arg != name)
                    continue;
                known = true;
                if (!setMode(commandLine, mode))
                    return usageError("only one command at a time");
            }
            if (!known)
                return usageError("unknown option '" + arg + "'");
        }
    }

    if (!commandLine.ansiCodepage.empty() && !output::isKnownCharset(commandLine.ansiCodepage)) {
        return usageError("unknown character set '" + commandLine.ansiCodepage + "'");
    }

    const bool converts = commandLine.mode == Mode::Batch || commandLine.mode == Mode::Add;
    if ((commandLine.outputOptions.any() || fitToScreen) && !converts) {
        return usageError("the output options and picture controls (--full-frames, --dither, --fit, --center, --grey, "
                          "...) go with --batch or --add (the dialog has them in its right-click menu)");
    }
    if (std::string error = settleScreen(commandLine, fitToScreen); !error.empty())
        return usageError(std::move(error));
    if (commandLine.outputOptions.fill && !commandLine.outputOptions.fit)
        return usageError("--fill goes with --fit: it fills that size");
    if (commandLine.dobSize && commandLine.mode != Mode::Info && commandLine.mode != Mode::Render) {
        return usageError("--size goes with --info or --render");
    }
    if (commandLine.to && commandLine.mode != Mode::Render && commandLine.mode != Mode::Preview) {
        return usageError("--to goes with --render or --preview");
    }
    if (commandLine.wrapWords && !converts)
        return usageError("--wrap goes with --batch or --add");
    if (commandLine.replace && commandLine.mode != Mode::Add)
        return usageError("--replace goes with --add");
    if (!commandLine.keepPrevious && commandLine.mode != Mode::Batch && commandLine.mode != Mode::DeleteAll)
        return usageError("--no-previous goes with --batch or --delete-all");
    if (!commandLine.edit.bases.empty() && commandLine.mode != Mode::Remove)
        return usageError("--all-of goes with --remove");

    switch (commandLine.mode) {
    case Mode::Dialog:
        if (!words.empty())
            commandLine.sourceFolder = platform::pathFromUtf8(words.front());
        break;
    case Mode::Batch:
        if (words.size() != 1)
            return usageError("--batch takes one source folder");
        commandLine.sourceFolder = platform::pathFromUtf8(words.front());
        break;
    case Mode::Add:
    case Mode::Info:
        if (words.empty())
            return usageError(std::string(commandLine.mode == Mode::Add ? "--add" : "--info")
                              + " needs at least one file");
        for (const std::string& word : words)
            commandLine.files.push_back(platform::pathFromUtf8(word));
        break;
    case Mode::DeleteAll:
    case Mode::Restore:
        if (!words.empty())
            return usageError(commandLine.mode == Mode::Restore ? "--restore takes no argument"
                                                               : "--delete-all takes no argument");
        break;
    case Mode::Remove:
    case Mode::Move:
    case Mode::SetTime:
    case Mode::SetTimeAll:
        if (std::string error = takeEditArguments(editCommandName(commandLine.mode), words, commandLine.edit);
            !error.empty())
            return usageError(std::move(error));
        break;
    case Mode::Render:
        if (words.empty())
            return usageError("--render needs at least one DOB file");
        for (const std::string& word : words)
            commandLine.files.push_back(platform::pathFromUtf8(word));
        break;
    case Mode::Preview:
    case Mode::Check:
    case Mode::List:
        if (words.size() > 1)
            return usageError("one package folder at most");
        commandLine.packageFolder = words.empty() ? fs::path(output::kOutputFolderName) : platform::pathFromUtf8(words.front());
        if (commandLine.mode == Mode::Preview && !commandLine.to)
            return usageError("--preview needs --to SHEET.png or --to LOOP.gif");
        break;
    default:
        break;
    }
    return commandLine;
}

std::string usageText()
{
    return "usage: pelkora [SOURCE_FOLDER]          the dialog, after converting SOURCE_FOLDER\n"
           "       pelkora --batch SOURCE_FOLDER    prepare ./adv and convert SOURCE_FOLDER, no window\n"
           "       pelkora --add FILE...            convert each FILE into ./adv, keeping what is there\n"
           "       pelkora --delete-all             delete every file in ./adv\n"
           "       pelkora --info FILE...           describe each file\n"
           "       pelkora --render FILE.dob...     write FILE.png beside each DOB file (or --to DIR)\n"
           "       pelkora --preview [ADV] --to SHEET.png\n"
           "                                        draw the whole package as the device shows it\n"
           "       pelkora --preview [ADV] --to LOOP.gif\n"
           "                                        play the loop as an animation, with its display times\n"
           "       pelkora --check [ADV]            check the package (./adv unless named)\n"
           "       pelkora --list [ADV]             the playlist's entries: position, name, time, kind\n"
           "       pelkora --remove NAME... [--all-of BASE]...\n"
           "                                        take entries and their files out of ./adv (--all-of:\n"
           "                                        every frame or page of BASE)\n"
           "       pelkora --move NAME POSITION     move an entry to POSITION (from 1)\n"
           "       pelkora --set-time NAME MS       show NAME for MS milliseconds (1 to 9 digits)\n"
           "       pelkora --set-time-all KIND MS   the same for every still, frame, last-frame or text\n"
           "       pelkora --restore                swap ./adv with the package kept in ./adv.previous\n"
           "options: --help, --version, --ansi-codepage NAME (character set of texts without a mark),\n"
           "         --quiet (no summary), --realtime (play animations at their own pace),\n"
           "         --size WxH (the size of a DOB whose header fits several), --to PATH\n"
           "output options, with --batch and --add (the default writes neither):\n"
           "         --full-frames  every frame of an animation whole, as a viewer composes it\n"
           "         --dither       error diffusion into the 16 grey levels, for photos and gradients\n"
           "         --fit [WxH]    a picture larger than WxH (or the screen) is scaled down into it and centred on\n"
           "                        a WxH picture of the background colour; smaller ones stay as they are\n"
           "         --screen WxH   the device's screen (each side 1 to 255): --fit without a size fits\n"
           "                        to it; also with --check (warns of larger pictures) and --preview\n"
           "         --center       (with --screen) a picture smaller than the screen is centred on it\n"
           "         --wrap words   text lines break between words where a word fits on a line\n"
           "         --replace      (--add) a file added again replaces its earlier entries\n"
           "         --no-previous  (--batch, --delete-all) do not keep the emptied package in ./adv.previous\n"
           + std::string(pictureControlsUsage());
}

CommandLine startProgram(int argc, char** argv)
{
    platform::keepFreedMemoryForReuse();
    std::setlocale(LC_ALL, "");
    return parseCommandLine(platform::programArguments(argc, argv));
}

std::optional<CommandLine> startDialogProgram(int argc, char** argv)
{
    CommandLine commandLine = startProgram(argc, argv);
    if (commandLine.mode != CommandLine::Mode::Dialog) {
        std::cerr << "pelkora-dialog: the commands without a window are pelkora's; see pelkora --help\n";
        return std::nullopt;
    }
    return commandLine;
}

std::filesystem::path workDirectory()
{
    std::error_code error;
    std::filesystem::path directory = std::filesystem::current_path(error);
    return error ? std::filesystem::path(".") : directory;
}

}  // namespace pelkora::session
