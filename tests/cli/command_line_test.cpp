#include <gtest/gtest.h>

#include "session/command_line.h"

namespace {

using pelkora::session::CommandLine;
using pelkora::session::parseCommandLine;
using Mode = CommandLine::Mode;

struct ParseCase {
    std::vector<std::string> args;
    Mode mode;
    std::string sourceFolder;  // empty: none
    std::size_t files;
};

TEST(CommandLine, ParsesEveryForm)
{
    const ParseCase cases[] = {
            {{}, Mode::Dialog, "", 0},
            {{"/pics"}, Mode::Dialog, "/pics", 0},
            // The first argument is the folder, whole, and later words change nothing.
            {{"/my pics", "extra", "words"}, Mode::Dialog, "/my pics", 0},
            {{"--batch", "/pics"}, Mode::Batch, "/pics", 0},
            {{"--quiet", "--batch", "src"}, Mode::Batch, "src", 0},
            {{"--add", "a.bmp", "b.txt", "c.gif"}, Mode::Add, "", 3},
            {{"--delete-all"}, Mode::DeleteAll, "", 0},
            {{"--info", "x.gif"}, Mode::Info, "", 1},
            {{"--add", "--", "--odd-name.txt"}, Mode::Add, "", 1},
            {{"--version"}, Mode::Version, "", 0},
            {{"--batch", "x", "--help"}, Mode::Help, "", 0},
            {{"--render", "a.dob", "b.dob"}, Mode::Render, "", 2},
            {{"--render", "a.dob", "--size", "300x20", "--to", "out"}, Mode::Render, "", 1},
            {{"--info", "--size", "1x65535", "a.dob"}, Mode::Info, "", 1},
            {{"--preview", "--to", "sheet.png"}, Mode::Preview, "", 0},
            {{"--check"}, Mode::Check, "", 0},
            {{"--check", "pkg"}, Mode::Check, "", 0},
            {{"--list"}, Mode::List, "", 0},
            {{"--remove", "a.dob", "--all-of", "anim"}, Mode::Remove, "", 0},
            {{"--move", "a.dob", "3"}, Mode::Move, "", 0},
            {{"--set-time", "a.dob", "123456789"}, Mode::SetTime, "", 0},
            {{"--set-time-all", "last-frame", "1"}, Mode::SetTimeAll, "", 0},
            {{"--restore"}, Mode::Restore, "", 0},
            {{"--replace", "--wrap", "words", "--add", "t.txt"}, Mode::Add, "", 1},
            {{"--no-previous", "--delete-all"}, Mode::DeleteAll, "", 0},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const CommandLine parsed = parseCommandLine(c.args);
        EXPECT_EQ(parsed.mode, c.mode) << parsed.error;
        EXPECT_EQ(parsed.sourceFolder.has_value(), !c.sourceFolder.empty());
        if (parsed.sourceFolder && !c.sourceFolder.empty()) {
            EXPECT_EQ(parsed.sourceFolder->string(), c.sourceFolder);
        }
        EXPECT_EQ(parsed.files.size(), c.files);
    }
}

TEST(CommandLine, RejectsWhatItCannotMean)
{
    const std::vector<std::vector<std::string>> wrong = {
            {"--frobnicate"},
            {"--batch"},
            {"--batch", "a", "b"},
            {"--add"},
            {"--info"},
            {"--delete-all", "adv"},
            {"--add", "x", "--batch", "y"},
            {"--ansi-codepage"},
            {"--ansi-codepage", "NO-SUCH-CHARSET-42", "--add", "x.txt"},
            {"--fit"},
            {"--add", "x.bmp", "--fit", "128"},
            {"--add", "x.bmp", "--fit", "0x64"},
            {"--add", "x.bmp", "--fit", "256x64"},
            {"--add", "x.bmp", "--fit", "16000x16000"},
            {"--batch", "src", "--fit", "128x64x2"},
            {"--dither"},
            {"--full-frames", "/pics"},
            {"--delete-all", "--dither"},
            {"--info", "x.gif", "--fit", "10x10"},
            {"--render"},
            {"--render", "a.dob", "--size"},
            {"--render", "a.dob", "--size", "300"},
            {"--render", "a.dob", "--size", "0x20"},
            {"--render", "a.dob", "--size", "65536x1"},
            {"--render", "a.dob", "--size", "2x-3"},
            {"--render", "a.dob", "--to"},
            {"--add", "a.bmp", "--size", "3x3"},
            {"--check", "--to", "x"},
            {"--check", "a", "b"},
            {"--preview"},
            {"--preview", "a", "b", "--to", "s.png"},
            {"--remove"},
            {"--all-of", "anim", "--move", "a.dob", "1"},
            {"--move", "a.dob", "0"},
            {"--move", "a.dob"},
            {"--set-time", "a.dob", "1234567890"},
            {"--set-time", "a.dob", "fast"},
            {"--set-time-all", "pictures", "100"},
            {"--restore", "adv"},
            {"--replace", "--batch", "src"},
            {"--wrap", "lines", "--add", "t.txt"},
            {"--no-previous", "--add", "t.txt"},
            {"--add", "x.bmp", "--gamma"},
            {"--add", "x.bmp", "--gamma", "0"},
            {"--add", "x.bmp", "--contrast", "high"},
            {"--add", "x.bmp", "--grey", "red"},
            {"--add", "x.bmp", "--levels", "manual"},
            {"--add", "x.bmp", "--background", "#12345"},
            {"--add", "x.bmp", "--fill"},
            {"--invert", "--check"},
    };
    for (const auto& args : wrong) {
        SCOPED_TRACE(testing::PrintToString(args));
        const CommandLine parsed = parseCommandLine(args);
        EXPECT_EQ(parsed.mode, Mode::UsageError);
        EXPECT_FALSE(parsed.error.empty());
        EXPECT_EQ(parsed.error.find('\n'), std::string::npos);
    }
}

TEST(CommandLine, KeepsWhatTheInspectingCommandsAreGiven)
{
    const CommandLine render = parseCommandLine({"--render", "x.dob", "--size", "300x20", "--to", "pngs"});
    ASSERT_TRUE(render.dobSize.has_value());
    EXPECT_EQ(render.dobSize->width, 300);
    EXPECT_EQ(render.dobSize->height, 20);
    ASSERT_TRUE(render.to.has_value());
    EXPECT_EQ(render.to->string(), "pngs");

    EXPECT_EQ(parseCommandLine({"--check"}).packageFolder.string(), "adv");
    EXPECT_EQ(parseCommandLine({"--check", "/media/stick/adv"}).packageFolder.string(), "/media/stick/adv");
    const CommandLine preview = parseCommandLine({"--preview", "pkg", "--to", "sheet.png"});
    EXPECT_EQ(preview.packageFolder.string(), "pkg");
    EXPECT_EQ(preview.to->string(), "sheet.png");
}

TEST(CommandLine, KeepsOptions)
{
    const CommandLine parsed =
            parseCommandLine({"--ansi-codepage", "GBK", "--realtime", "--quiet", "--add", "notes.txt"});
    EXPECT_EQ(parsed.mode, Mode::Add);
    EXPECT_EQ(parsed.ansiCodepage, "GBK");
    EXPECT_TRUE(parsed.realtime);
    EXPECT_TRUE(parsed.quiet);
}

TEST(CommandLine, KeepsOutputOptionsForTheConvertingCommands)
{
    struct Case {
        std::vector<std::string> args;
        pelkora::output::OutputOptions expected;
    };
    using pelkora::output::Size;
    pelkora::output::OutputOptions atkinson;
    atkinson.dither = true;
    atkinson.ditherKind = pelkora::output::DitherKind::Atkinson;
    pelkora::output::OutputOptions every{false, false, Size{128, 64}, std::nullopt, false};
    every.fill = every.invert = every.levelsAuto = true;
    every.grey = pelkora::output::GreyWeights::Luma;
    every.gamma = 220;
    every.contrast = 50;
    every.background = 0x102030;
    const std::vector<Case> cases = {
            {{"--add", "a.gif"}, {}},
            {{"--add", "a.gif", "--full-frames"}, {true, false, std::nullopt, std::nullopt, false}},
            {{"--dither", "--batch", "src"}, {false, true, std::nullopt, std::nullopt, false}},
            {{"--batch", "src", "--fit", "128x64"}, {false, false, Size{128, 64}, std::nullopt, false}},
            {{"--fit", "96X32", "--dither", "--full-frames", "--add", "a.gif"}, {true, true, Size{96, 32}, std::nullopt, false}},
            {{"--add", "--dither", "a.gif"}, {false, true, std::nullopt, std::nullopt, false}},
            {{"--add", "a.gif", "--dither", "atkinson"}, atkinson},
            {{"--add", "a.gif", "--dither", "ordered", "--dither", "none"}, {}},
            {{"--grey", "luma", "--levels", "auto", "--gamma", "2.2", "--contrast", "0.5", "--invert", "--background",
              "#102030", "--fit", "128x64", "--fill", "--add", "a.bmp"},
             every},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const CommandLine parsed = parseCommandLine(c.args);
        ASSERT_NE(parsed.mode, Mode::UsageError) << parsed.error;
        EXPECT_EQ(parsed.outputOptions, c.expected);
    }
}

TEST(CommandLine, TakesTheScreenWhereItMeansSomething)
{
    using pelkora::output::OutputOptions;
    using pelkora::output::Size;
    struct Case {
        std::vector<std::string> args;
        std::string error;  // a part of the usage error; empty: accepted with these options
        OutputOptions expected;
    };
    const Size screen{128, 64};
    const std::vector<Case> cases = {
            {{"--add", "a.png", "--screen"}, "--screen needs", {}},
            {{"--add", "a.png", "--screen", "256x64"}, "not '256x64'", {}},
            {{"--add", "a.png", "--screen", "128"}, "not '128'", {}},
            {{"--list", "--screen", "128x64"}, "--screen goes with", {}},
            {{"--add", "a.png", "--fit"}, "--fit needs a size", {}},
            {{"--add", "a.png", "--center"}, "--center needs --screen", {}},
            {{"--check", "--center", "--screen", "128x64"}, "go with --batch or --add", {}},
            {{"--check", "--screen", "128x64"}, "", {false, false, std::nullopt, screen, false}},
            // A word after --fit that is no size is the next argument, fitted to the screen.
            {{"--add", "--fit", "a.png", "--screen", "128x64"}, "", {false, false, screen, screen, false}},
            {{"--batch", "src", "--screen", "128x64", "--fit", "96x32", "--center"},
             "",
             {false, false, Size{96, 32}, screen, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const CommandLine parsed = parseCommandLine(c.args);
        if (!c.error.empty()) {
            EXPECT_EQ(parsed.mode, Mode::UsageError);
            EXPECT_NE(parsed.error.find(c.error), std::string::npos) << parsed.error;
            continue;
        }
        ASSERT_NE(parsed.mode, Mode::UsageError) << parsed.error;
        EXPECT_EQ(parsed.outputOptions, c.expected);
    }
}

}  // namespace
