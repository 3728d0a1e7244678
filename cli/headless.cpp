#include "cli/headless.h"

#include <chrono>
#include <cstdio>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>

#include "cli/package_commands.h"
#include "cli/review_commands.h"
#include "gif/gif_info.h"
#include "output/input_file.h"
#include "output/names.h"
#include "output/output_folder.h"
#include "output/text_pager.h"
#include "picture/animated_picture.h"
#include "picture/picture_loader.h"
#include "platform/interruption.h"
#include "platform/terminal.h"
#include "session/conversion.h"
#include "session/session.h"
#include "session/version.h"

namespace pelkora::cli {

using namespace session;

namespace fs = std::filesystem;
using Mode = CommandLine::Mode;

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

// Enough for every signature a picture decoder here is tried on.
constexpr std::uint64_t kPictureHeadBytes = 16;

// One description per file; false when the file is no picture at all.
bool describeFile(const fs::path& path, std::optional<output::Size> dobSize, std::ostream& out, std::ostream& err)
{
    // A DOB has no signature: its name is all that says what it is.
    if (isDobName(path))
        return describeDob(path, dobSize, out, err);
    // What does not begin as a picture is none, however long: not read whole.
    const output::InputBytes head = output::readInputFile(path, kPictureHeadBytes);
    if (head.outcome.ok() && !picture::HasPictureSignature(head.bytes.data(), head.bytes.size())) {
        out << output::escapedForTerminal(path.string()) << ": not a picture\n";
        return false;
    }
    const output::InputFile file = output::readInput(path, picture::LoadLimits{}.fileBytes);
    if (!file.state.ok()) {
        err << "pelkora: " << output::escapedForTerminal(path.string()) << ": " << outcomeText(file.state) << "\n";
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
            out << (first ? output::escapedForTerminal(path.string()) + ": " : std::string()) << line << "\n";
            first = false;
        }
        out << "decoded=" << (loaded ? std::max(static_cast<int>(picture.picture.frames.size()), 1) : 0);
        // Walked but not decoded: the load's reason is the one worth knowing.
        if (!loaded)
            out << " (" << output::escapedForTerminal(picture.outcome.reason()) << ")";
        out << "\n";
        return loaded;
    }
    if (!loaded) {
        out << output::escapedForTerminal(path.string()) << ": "
            << (picture.outcome.status() == Status::NotAPicture ? std::string("not a picture")
                                                                : output::escapedForTerminal(picture.outcome.reason()))
            << "\n";
        return false;
    }
    out << output::escapedForTerminal(path.string()) << ": picture " << picture.picture.width.value_or(0) << "x"
        << picture.picture.height.value_or(0) << "\n";
    return true;
}

void printFailures(const ConversionReport& report, std::ostream& err)
{
    // Names and reasons may hold control characters; none reaches the terminal raw.
    // Gathered first: the error stream writes each piece at once, and a
    // batch may warn of every file it wrote.
    std::string text;
    for (const ReportEntry& warning : report.warnings())
        text += "pelkora: warning: " + output::escapedForTerminal(warning.text()) + '\n';
    for (const ReportEntry& failure : report.failures())
        text += "pelkora: " + output::escapedForTerminal(failure.text()) + '\n';
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

bool writesFiles(CommandLine::Mode mode)
{
    switch (mode) {
    case Mode::Batch:
    case Mode::Add:
    case Mode::DeleteAll:
    case Mode::Render:
    case Mode::Remove:
    case Mode::Move:
    case Mode::SetTime:
    case Mode::SetTimeAll:
    case Mode::Restore:
        return true;
    default:
        return false;
    }
}

void reportInterruption(int request, std::ostream& err)
{
    err << "pelkora: stopped by " << platform::interruptionName(request)
        << ": every file written is whole, each with its playlist line; nothing else was written\n"
        << std::flush;
}

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
    case Mode::Check:
        return checkPackage(commandLine.packageFolder, commandLine.outputOptions.screen, out, err);
    case Mode::List:
    case Mode::Remove:
    case Mode::Move:
    case Mode::SetTime:
    case Mode::SetTimeAll:
    case Mode::Restore:
        return runPackageCommand(commandLine, out, err);
    case Mode::Dialog:
        err << "pelkora: this build has no dialog (try --help)\n";
        return 2;
    case Mode::Preview:
        err << "pelkora: this build has no preview sheet (try --help)\n";
        return 2;
    default:
        break;
    }

    const auto start = std::chrono::steady_clock::now();
    ProgressLine progressLine(err);
    ConversionOptions options;
    options.pager.ansiCharset = commandLine.ansiCodepage;
    options.keepPrevious = commandLine.keepPrevious;
    options.pager.wrapWords = commandLine.wrapWords;
    options.waitingForFolder = [&err] {
        err << "pelkora: waiting for another pelkora writing " << output::kOutputFolderName << "/\n" << std::flush;
    };
    options.stopRequested = [] { return platform::interruption() != 0; };
    Session session(fs::current_path(), options);
    session.picture().setRealtime(commandLine.realtime);
    session.picture().setOutputOptions(commandLine.outputOptions);

    switch (commandLine.mode) {
    case Mode::Batch:
        // Nothing is emptied for a source that cannot be converted.
        if (session.prepareStartup(commandLine.sourceFolder).refused)
            break;
        session.convertFolder(*commandLine.sourceFolder, commandLine.outputOptions,
                              [&](int done, int found) { progressLine.update(done, found); });
        break;
    case Mode::Add: {
        const PlaylistMark mark = session.markPlaylist();
        session.addFiles(commandLine.files);
        session.settleAdd(mark, commandLine.replace);
        break;
    }
    case Mode::DeleteAll:
        session.deleteAll();
        break;
    default:
        break;
    }
    // The last frame of an animation is counted in the report below.
    session.finish();
    const ConversionReport& report = session.report();

    progressLine.finish();
    printFailures(report, err);
    if (!commandLine.quiet)
        printSummary(report, commandLine.mode, std::chrono::steady_clock::now() - start, out);
    return report.failures().empty() ? 0 : 1;
}

}  // namespace pelkora::cli
