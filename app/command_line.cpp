#include "app/command_line.h"

#include <chrono>
#include <cstdio>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>

#include "app/conversion.h"
#include "app/review_commands.h"
#include "app/session.h"
#include "app/version.h"
#include "gif/gif_info.h"
#include "output/names.h"
#include "output/output_folder.h"
#include "output/text_pager.h"
#include "picture/animated_picture.h"
#include "picture/picture_file.h"
#include "picture/picture_loader.h"
#include "platform/terminal.h"

namespace pelkora::app {

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

// "WxH" with both sides from 1 to 65535.
std::optional<output::DobSize> parseSize(const std::string& text)
{
    const std::size_t x = text.find('x');
    if (x == std::string::npos)
        return std::nullopt;
    const auto side = [](const std::string& digits) -> int {
        if (digits.empty() || digits.size() > 5)
            return 0;
        int value = 0;
        for (char c : digits) {
            if (c < '0' || c > '9')
                return 0;
            value = value * 10 + (c - '0');
        }
        return value <= output::kMaxDobSide ? value : 0;
    };
    const output::DobSize size{side(text.substr(0, x)), side(text.substr(x + 1))};
    if (size.width == 0 || size.height == 0)
        return std::nullopt;
    return size;
}

bool setMode(CommandLine& commandLine, Mode mode)
{
    if (commandLine.mode != Mode::Dialog && commandLine.mode != mode)
        return false;
    commandLine.mode = mode;
    return true;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args)
{
    CommandLine commandLine;
    std::vector<std::string> words;
    bool optionsEnded = false;
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
        } else if (arg == "--dither") {
            commandLine.outputOptions.dither = true;
        } else if (arg == "--fit") {
            if (i + 1 >= args.size())
                return usageError("--fit needs a size WxH");
            commandLine.outputOptions.fit = output::parseSize(args[++i]);
            if (!commandLine.outputOptions.fit) {
                return usageError("--fit takes WxH, each side 1 to " + std::to_string(output::kLargestFitSide)
                                  + ", not '" + args[i] + "'");
            }
        } else if (arg == "--ansi-codepage") {
            if (i + 1 >= args.size())
                return usageError("--ansi-codepage needs a character set name");
            commandLine.ansiCodepage = args[++i];
        } else if (arg == "--size") {
            if (i + 1 >= args.size())
                return usageError("--size needs WxH");
            commandLine.dobSize = parseSize(args[++i]);
            if (!commandLine.dobSize)
                return usageError("--size needs WxH, each side from 1 to 65535");
        } else if (arg == "--to") {
            if (i + 1 >= args.size() || args[i + 1].empty())
                return usageError("--to needs a path");
            commandLine.to = fs::path(args[++i]);
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
                    {"--check", Mode::Check}};
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
    if (commandLine.outputOptions.any() && !converts) {
        return usageError("--full-frames, --dither and --fit go with --batch or --add "
                          "(the dialog has them in its right-click menu)");
    }
    if (commandLine.dobSize && commandLine.mode != Mode::Info && commandLine.mode != Mode::Render) {
        return usageError("--size goes with --info or --render");
    }
    if (commandLine.to && commandLine.mode != Mode::Render && commandLine.mode != Mode::Preview) {
        return usageError("--to goes with --render or --preview");
    }

    switch (commandLine.mode) {
    case Mode::Dialog:
        if (!words.empty())
            commandLine.sourceFolder = fs::path(words.front());
        break;
    case Mode::Batch:
        if (words.size() != 1)
            return usageError("--batch takes one source folder");
        commandLine.sourceFolder = fs::path(words.front());
        break;
    case Mode::Add:
    case Mode::Info:
        if (words.empty())
            return usageError(std::string(commandLine.mode == Mode::Add ? "--add" : "--info")
                              + " needs at least one file");
        for (const std::string& word : words)
            commandLine.files.emplace_back(word);
        break;
    case Mode::DeleteAll:
        if (!words.empty())
            return usageError("--delete-all takes no argument");
        break;
    case Mode::Render:
        if (words.empty())
            return usageError("--render needs at least one DOB file");
        for (const std::string& word : words)
            commandLine.files.emplace_back(word);
        break;
    case Mode::Preview:
    case Mode::Check:
        if (words.size() > 1)
            return usageError("one package folder at most");
        commandLine.packageFolder = words.empty() ? fs::path(output::kOutputFolderName) : fs::path(words.front());
        if (commandLine.mode == Mode::Preview && !commandLine.to)
            return usageError("--preview needs --to SHEET.png");
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
           "       pelkora --check [ADV]            check the package (./adv unless named)\n"
           "options: --help, --version, --ansi-codepage NAME (character set of texts without a mark),\n"
           "         --quiet (no summary), --realtime (play animations at their own pace),\n"
           "         --size WxH (the size of a DOB whose header fits several), --to PATH\n"
           "output options, with --batch and --add (the default writes neither):\n"
           "         --full-frames  every frame of an animation whole, as a viewer composes it\n"
           "         --dither       error diffusion into the 16 grey levels, for photos and gradients\n"
           "         --fit WxH      a picture larger than WxH is scaled down into it and centred on\n"
           "                        a WxH picture of the background colour; smaller ones stay as they are\n";
}

namespace {

// A progress line on a terminal, once a batch has run for more than a moment.
class ProgressLine {
public:
    explicit ProgressLine(std::ostream& err) : err_(err), shown_(platform::standardErrorIsTerminal()) {}
    ~ProgressLine() { finish(); }
    void finish()
    {
        if (drawn_)
            err_ << "\r\033[K" << std::flush;
        drawn_ = false;
        shown_ = false;
    }
    void update(int done, int found)
    {
        if (!shown_)
            return;
        if (!drawn_ && std::chrono::steady_clock::now() - start_ < std::chrono::milliseconds(500))
            return;
        drawn_ = true;
        err_ << "\rconverting " << done << " of " << found << std::flush;
    }

private:
    std::ostream& err_;
    bool shown_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// One description per file; false when the file is no picture at all.
bool describeFile(const fs::path& path, std::optional<output::DobSize> dobSize, std::ostream& out, std::ostream& err)
{
    // A DOB has no signature: its name is all that says what it is.
    if (isDobName(path))
        return describeDob(path, dobSize, out, err);
    const picture::FileBytes file = picture::readWholeFile(path, picture::LoadLimits{}.fileBytes);
    if (file.status != Status::Ok) {
        err << "pelkora: " << path.string() << ": " << statusText(file.status) << "\n";
        return false;
    }
    const picture::LoadResult picture =
            picture::LoadPictureBytes(file.bytes.data(), file.bytes.size(), picture::LoadLimits{});
    const bool loaded = picture.outcome.ok();

    if (const auto gifLines = gif::describeGif(file.bytes.data(), file.bytes.size())) {
        std::istringstream lines(*gifLines);
        std::string line;
        bool first = true;
        while (std::getline(lines, line)) {
            out << (first ? path.string() + ": " : std::string()) << line << "\n";
            first = false;
        }
        out << "decoded=" << (loaded ? std::max(static_cast<int>(picture.picture.frames.size()), 1) : 0) << "\n";
        return loaded;
    }
    if (!loaded) {
        out << path.string() << ": "
            << (picture.outcome.status() == Status::NotAPicture ? std::string("not a picture")
                                                                : output::escapedForTerminal(picture.outcome.reason()))
            << "\n";
        return false;
    }
    out << path.string() << ": picture " << picture.picture.width.value_or(0) << "x"
        << picture.picture.height.value_or(0) << "\n";
    return true;
}

void printFailures(const ConversionReport& report, std::ostream& err)
{
    // Names and reasons may hold control characters; none reaches the terminal raw.
    // Gathered first: the error stream writes each piece at once, and a
    // batch may warn of every file it wrote.
    std::string text;
    for (const Failure& warning : report.warnings()) {
        text += "pelkora: warning: ";
        if (!warning.input.empty()) {
            text += output::escapedForTerminal(warning.input.string());
            text += ": ";
        }
        text += output::escapedForTerminal(warning.reason);
        text += '\n';
    }
    for (const Failure& failure : report.failures()) {
        text += "pelkora: ";
        text += output::escapedForTerminal(failure.input.string());
        text += ": ";
        text += output::escapedForTerminal(failure.reason);
        text += '\n';
    }
    err << text;
}

std::string counted(int count, const char* what)
{
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

void printSummary(const ConversionReport& report, Mode mode, std::chrono::steady_clock::duration took,
                  std::ostream& out)
{
    const double seconds = std::chrono::duration<double>(took).count();
    std::ostringstream text;
    text << "pelkora: ";
    if (mode == Mode::DeleteAll)
        text << counted(report.filesDeleted(), "file") << " deleted";
    else
        text << counted(report.inputsConverted(), "input") << " converted, " << counted(report.filesWritten(), "file")
             << " written";
    text << " in " << std::fixed << std::setprecision(2) << seconds << " s\n";
    out << text.str();
}

}  // namespace

int runHeadless(const CommandLine& commandLine, std::ostream& out, std::ostream& err)
{
    switch (commandLine.mode) {
    case Mode::UsageError:
        err << "pelkora: " << commandLine.error << " (try --help)\n";
        return 2;
    case Mode::Help:
        out << usageText();
        return 0;
    case Mode::Version:
        out << "pelkora " << PELKORA_VERSION << "\n";
        return 0;
    case Mode::Info: {
        bool allDescribed = true;
        for (const fs::path& file : commandLine.files) {
            allDescribed = describeFile(file, commandLine.dobSize, out, err) && allDescribed;
        }
        return allDescribed ? 0 : 1;
    }
    case Mode::Render:
        return renderDobs(commandLine.files, commandLine.dobSize, commandLine.to, commandLine.quiet, out, err);
    case Mode::Preview:
        return previewPackage(commandLine.packageFolder, *commandLine.to, commandLine.quiet, out, err);
    case Mode::Check:
        return checkPackage(commandLine.packageFolder, out, err);
    case Mode::Dialog:
        err << "pelkora: this build has no dialog (try --help)\n";
        return 2;
    default:
        break;
    }

    const auto start = std::chrono::steady_clock::now();
    ProgressLine progressLine(err);
    ConversionOptions options;
    options.pager.ansiCharset = commandLine.ansiCodepage;
    options.waitingForFolder = [&err] {
        err << "pelkora: waiting for another pelkora writing " << output::kOutputFolderName << "/\n" << std::flush;
    };
    Session session(fs::current_path(), options);
    session.picture().setRealtime(commandLine.realtime);
    session.picture().setOutputOptions(commandLine.outputOptions);

    switch (commandLine.mode) {
    case Mode::Batch:
        // Nothing is emptied for a source that cannot be converted.
        if (session.prepareStartup(commandLine.sourceFolder).refused)
            break;
        session.convertFolder(*commandLine.sourceFolder,
                              [&](int done, int found) { progressLine.update(done, found); });
        break;
    case Mode::Add:
        session.addFiles(commandLine.files);
        break;
    case Mode::DeleteAll:
        session.deleteAll();
        break;
    default:
        break;
    }
    // The last frame of an animation is written before the folder is let go of.
    session.waitForCaptures();
    session.releaseWriteLockWhenCaptured();
    const ConversionReport& report = session.report();

    progressLine.finish();
    printFailures(report, err);
    if (!commandLine.quiet)
        printSummary(report, commandLine.mode, std::chrono::steady_clock::now() - start, out);
    return report.failures().empty() ? 0 : 1;
}

}  // namespace pelkora::app
