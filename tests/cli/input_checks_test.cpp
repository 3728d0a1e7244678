// The built program on inputs that it must refuse, warn about or read in a
// way of their own: names, broken pictures, texts and settings.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <sstream>

#include "support/encoded_picture.h"
#include "support/gif_builder.h"
#include "support/program_run.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using pelkora::testing::TempDir;

using pelkora::testing::ProgramRun;

ProgramRun pelkora(const TempDir& work, const std::vector<std::string>& args)
{
    std::vector<std::string> quietly{"--quiet"};
    quietly.insert(quietly.end(), args.begin(), args.end());
    return pelkora::testing::runPelkora(work.path(), quietly);
}

std::string encoded(const char* format, int width, int height)
{
    return pelkora::testing::encodedPicture(format, width, height, QColor(90, 90, 90));
}

std::string animation() { return TempDir::read(fs::path(PELKORA_SOURCE_DIR) / "examples/anim.gif"); }

// Every line on stderr is the program's own, and none holds a raw control
// character.
void expectLabelledLines(const std::string& err)
{
    std::istringstream lines(err);
    std::string line;
    while (std::getline(lines, line)) {
        EXPECT_EQ(line.rfind("pelkora: ", 0), 0u) << line;
        for (char c : line)
            EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == 0x7F) << line;
    }
}

struct Input {
    std::string name;
    std::string bytes;
};

struct Case {
    const char* title;
    std::vector<Input> inputs;  // added in one run, in this order
    int status;
    std::vector<std::string> err;  // each must appear on stderr
    std::string playlist;
    std::vector<std::string> absent;  // files that must not be in adv/
};

void runCases(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        TempDir work;
        std::vector<std::string> args{"--add"};
        for (const Input& input : c.inputs)
            args.push_back(work.write("in/" + input.name, input.bytes).string());
        const ProgramRun run = pelkora(work, args);
        EXPECT_EQ(run.status, c.status) << run.err;
        for (const std::string& expected : c.err)
            EXPECT_NE(run.err.find(expected), std::string::npos) << run.err;
        expectLabelledLines(run.err);
        EXPECT_EQ(TempDir::read(work / "adv/advertising.index"), c.playlist);
        for (const std::string& name : c.absent)
            EXPECT_FALSE(fs::exists(work / "adv" / name)) << name;
        // What was refused left nothing behind that the device would trip on.
        if (!c.playlist.empty())
            pelkora::testing::expectSoundPackage(work.path());
    }
}

TEST(InputNames, RefusedOrKeptWhole)
{
    const std::string bmp = encoded("bmp", 2, 2);
    runCases({
            {"line feed", {{"a\nb.txt", "text"}}, 1, {"a\\nb", "a line feed (\\n)"}, "", {"a\nb-01.txt"}},
            {"carriage return in a picture",
             {{"p\r.bmp", bmp}},
             1,
             {"p\\r.dob", "a carriage return (\\r)"},
             "",
             {"p\r.dob"}},
            {"comma", {{"a,b.txt", "text"}}, 1, {"a comma (,)"}, "", {"a,b-01.txt"}},
            {"other control character", {{"x\x01.bmp", bmp}}, 1, {"x\\x01", "(\\x01)"}, "", {"x\x01.dob"}},
            {"same name in other case",
             {{"x.bmp", bmp}, {"x.BMP", bmp}},
             1,
             {"x.BMP: ", "in/x.bmp"},
             "x.dob,3000\n\n",
             {}},
            {"frame of an animation",
             {{"an.gif", animation()}, {"an-02.bmp", bmp}},
             1,
             {"an-02.bmp: ", "an-02.dob", "in/an.gif"},
             "an-01.dob,500\nan-02.dob,500\nan-03.dob,500\nan-04.dob,500\nan-05.dob,500\nan-06.dob,1500\n\n",
             {}},
            {"two texts of one page name",
             {{"t.txt", "one"}, {"t.TXT", "two"}},
             1,
             {"t-01.txt", "in/t.txt"},
             "t-01.txt,6000\n",
             {}},
            {"picture without a dot", {{"myphoto", bmp}}, 0, {}, "myphoto.dob,3000\n\n", {".dob"}},
            {"text without a dot", {{"notes", "hello"}}, 0, {}, "notes-01.txt,6000\n", {"n-01.txt"}},
    });
}

TEST(InputNames, AddAcrossRunsKeepsOverwriting)
{
    TempDir work;
    const fs::path input = work.write("in/x.bmp", encoded("bmp", 2, 2));
    ASSERT_EQ(pelkora(work, {"--add", input.string()}).status, 0);
    const ProgramRun again = pelkora(work, {"--add", input.string()});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(TempDir::read(work / "adv/advertising.index"), "x.dob,3000\n\nx.dob,3000\n\n");
}

TEST(InputNames, BatchRefusesTheLaterOfTwoEqualNames)
{
    TempDir work;
    work.write("in/x.bmp", encoded("bmp", 2, 2));
    work.write("in/x.BMP", encoded("bmp", 4, 4));
    const ProgramRun run = pelkora(work, {"--batch", (work / "in").string()});
    EXPECT_EQ(run.status, 1);
    // Listed by upper-cased name, then by bytes: x.BMP comes first and stays.
    EXPECT_NE(run.err.find("in/x.bmp: its output name \"x.dob\" was already written by"), std::string::npos) << run.err;
    EXPECT_EQ(TempDir::read(work / "adv/advertising.index"), "x.dob,3000\n\n");
    EXPECT_EQ(TempDir::read(work / "adv/x.dob").size(), 2u + 8u);
    pelkora::testing::expectSoundPackage(work.path());
}

TEST(BrokenPictures, AreFailuresNeverPages)
{
    const std::string png = encoded("png", 8, 8);
    const std::string bmp = encoded("bmp", 8, 8);
    const std::string jpeg = encoded("jpeg", 8, 8);
    std::string bomb = "GIF89a\xFF\xFF\xFF\xFF\x00\x00\x00"s;
    bomb += "\x2C\x00\x00\x00\x00\xFF\xFF\xFF\xFF\x00\x02\x02\x4C\x01\x00\x3B"s;
    runCases({
            {"truncated png",
             {{"cut.png", png.substr(0, png.size() / 2)}},
             1,
             {"cut.png: a damaged picture", "libpng"},
             "",
             {"cut-01.txt", "cut.dob"}},
            {"bmp cut by one byte",
             {{"cut.bmp", bmp.substr(0, bmp.size() - 1)}},
             1,
             {"cut.bmp: a damaged picture"},
             "",
             {"cut-01.txt", "cut.dob"}},
            {"jpeg header only",
             {{"cut.jpg", jpeg.substr(0, 30)}},
             1,
             {"cut.jpg: a damaged picture"},
             "",
             {"cut-01.txt"}},
            {"gif bomb", {{"bomb.gif", bomb}}, 1, {"bomb.gif: the picture is too large"}, "", {"bomb-01.txt"}},
            {"text that begins BM", {{"bm.txt", "BMW is a car"}}, 0, {}, "bm-01.txt,6000\n", {}},
    });
}

TEST(Texts, BigEndianAndZeroBytes)
{
    runCases({
            {"utf16be", {{"be.txt", "\xFE\xFF\x00h\x00i"s}}, 0, {}, "be-01.txt,6000\n", {}},
            {"zero byte",
             {{"z.txt", "ab\0cd"s}},
             0,
             {"pelkora: warning: ", "z.txt: a zero byte at offset 2"},
             "z-01.txt,6000\n",
             {}},
    });
    TempDir work;
    const ProgramRun run = pelkora(work, {"--add", work.write("in/be.txt", "\xFE\xFF\x00h\x00\xE9"s).string()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(TempDir::read(work / "adv/be-01.txt"), "h\xC3\xA9");
}

// Add pages what is no picture; what is no text either is refused whole.
TEST(Texts, WhatIsNoTextIsRefusedAndWritesNothing)
{
    runCases({
            {"an archive", {{"a.txt", "PK\x03\x04\x14\0\0\0"s}}, 1, {"a.txt: not a picture or a text: a ZIP archive"}, "",
             {"a-01.txt"}},
            {"a DOB", {{"d.dob", "\x02\x02\x11\x22"s}}, 1, {"d.dob: not a picture or a text: a DOB file"}, "",
             {"d-01.txt", "d.dob"}},
            {"binary bytes beside a text",
             {{"r.bin", "\x13\0\xF7\0\x99"s}, {"ok.txt", "hi"}},
             1,
             {"r.bin: not a picture or a text: binary content"},
             "ok-01.txt,6000\n",
             {"r-01.txt"}},
    });
}

TEST(Settings, OddValuesAndWideHeadersAreWrittenWithAWarning)
{
    const struct {
        const char* title;
        std::string settings;
        int width;
        int height;
        std::string line;
        std::vector<std::string> err;
    } cases[] = {
            {"word",
             "[IntervalTime]\nStaticGifPlayTime=fast\n",
             2,
             2,
             "x.dob,fast\n\n",
             {"advTimeSetting.ini", "StaticGifPlayTime", "\"fast\""}},
            {"eleven digits",
             "[IntervalTime]\nStaticGifPlayTime=12345678901\n",
             2,
             2,
             "x.dob,123456789\n\n",
             {"\"12345678901\"", "copied as \"123456789\""}},
            {"empty", "[IntervalTime]\nStaticGifPlayTime=\n", 2, 2, "x.dob,\n\n", {"StaticGifPlayTime = \"\""}},
            {"plain number", "[IntervalTime]\nStaticGifPlayTime=2500\n", 2, 2, "x.dob,2500\n\n", {}},
            {"wide picture", "", 400, 300, "x.dob,3000\n\n", {"x.dob", "400x300 is stored as 144x44"}},
            {"256 high", "", 2, 256, "x.dob,3000\n\n", {"2x256 is stored as 2x0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        TempDir work;
        if (!c.settings.empty())
            work.write("advTimeSetting.ini", c.settings);
        const fs::path input = work.write("in/x.bmp", encoded("bmp", c.width, c.height));
        const ProgramRun run = pelkora(work, {"--add", input.string()});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(TempDir::read(work / "adv/advertising.index"), c.line);
        EXPECT_EQ(TempDir::read(work / "adv/x.dob").size(),
                  2u + (static_cast<std::size_t>(c.width) * c.height + 1) / 2);
        for (const std::string& expected : c.err)
            EXPECT_NE(run.err.find(expected), std::string::npos) << run.err;
        if (c.err.empty()) {
            EXPECT_EQ(run.err, "");
        }
        expectLabelledLines(run.err);
    }
}

// A wrapping header is told once for a picture, however many frames share it.
TEST(Settings, AWideAnimationIsToldOfItsHeaderOnce)
{
    using namespace pelkora::testing;
    TempDir work;
    std::vector<GifPictureFrame> frames;
    for (std::uint8_t i = 0; i < 3; ++i)
        frames.push_back(solidFrame(0, 0, 300, 2, i % 2, 10));
    const std::vector<std::uint8_t> gif = makeGif(300, 2, {0x000000, 0xFFFFFF}, frames);
    const fs::path input = work.write("in/wide.gif", std::string(gif.begin(), gif.end()));
    const ProgramRun run = pelkora(work, {"--add", "--full-frames", input.string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(work / "adv/wide-03.dob"));
    std::size_t notes = 0;
    for (std::size_t at = run.err.find("is stored as"); at != std::string::npos; at = run.err.find("is stored as", at + 1))
        ++notes;
    EXPECT_EQ(notes, 1u) << run.err;
}

}  // namespace
