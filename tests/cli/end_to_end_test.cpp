// Runs the built program as a person would, in a folder of its own, and
// compares the bytes it leaves behind.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>

#include <QImage>

#include "session/version.h"
#include "support/program_run.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using pelkora::testing::expectSoundPackage;
using pelkora::testing::ProgramRun;
using pelkora::testing::runPelkora;
using pelkora::testing::TempDir;

// A picture of the given pixels, row by row, saved as a 24-bit BMP.
void writeBmp(const fs::path& path, int width, int height, const std::vector<QRgb>& pixels)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, pixels[static_cast<std::size_t>(y * width + x)]);
    ASSERT_TRUE(image.convertToFormat(QImage::Format_RGB888).save(QString::fromStdString(path.string()), "BMP"));
}

TEST(EndToEnd, AddPagesATextIntoItsNumberedPages)
{
    TempDir work;
    const fs::path notes = work.write("in/notes.txt", std::string(120, 'x'));

    const ProgramRun run = runPelkora(work.path(), {"--add", notes.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(TempDir::read(work / "adv/notes-01.txt"), std::string(55, 'x'));
    EXPECT_EQ(TempDir::read(work / "adv/notes-02.txt"), std::string(55, 'x'));
    EXPECT_EQ(TempDir::read(work / "adv/notes-03.txt"), std::string(10, 'x'));
    EXPECT_EQ(TempDir::read(work / "adv/advertising.index"),
              "notes-01.txt,6000\nnotes-02.txt,6000\nnotes-03.txt,6000\n");
    EXPECT_NE(run.out.find("1 input converted, 3 files written"), std::string::npos) << run.out;

    // A second Add keeps what is there and appends.
    const ProgramRun again = runPelkora(work.path(), {"--quiet", "--add", notes.string()});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_TRUE(again.out.empty());
    EXPECT_EQ(TempDir::read(work / "adv/advertising.index").size(), 3u * 2u * 18u);
    expectSoundPackage(work.path());
}

TEST(EndToEnd, BatchEmptiesTheFolderThenConvertsPicturesBeforeTexts)
{
    TempDir work;
    work.write("adv/old.dob", "stale");
    work.write("adv/nested/old.txt", "stale");
    work.write("advTimeSetting.ini", "[IntervalTime]\nStaticGifPlayTime=2500\n");
    work.write("src/t.txt", "hi");
    work.write("src/skip.gif", "not converted by the batch");
    writeBmp(work / "src/b.bmp", 2, 1, {qRgb(0, 0, 0), qRgb(255, 255, 255)});
    writeBmp(work / "src/A.BMP", 1, 1, {qRgb(255, 255, 255)});

    const ProgramRun run = runPelkora(work.path(), {"--batch", (work / "src").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(fs::exists(work / "adv/old.dob"));
    EXPECT_FALSE(fs::exists(work / "adv/nested/old.txt"));
    EXPECT_TRUE(fs::is_directory(work / "adv/nested"));
    EXPECT_EQ(TempDir::read(work / "adv/advertising.index"), "A.dob,2500\n\nb.dob,2500\n\nt-01.txt,6000\n");
    EXPECT_EQ(TempDir::read(work / "adv/b.dob"), std::string("\x02\x01\x0F", 3));
    EXPECT_EQ(TempDir::read(work / "adv/A.dob"), std::string("\x01\x01\x00", 3));
    EXPECT_EQ(TempDir::read(work / "adv/t-01.txt"), "hi");
    expectSoundPackage(work.path());
}

TEST(EndToEnd, AnAnimationInTheBatchIsWrittenWholeBeforeTheNextPicture)
{
    // Played at its own pace, the animation is still waiting between frames
    // when the next picture loads; that load completes it at once.
    TempDir work;
    fs::create_directories(work / "src");
    fs::copy_file(fs::path(PELKORA_SOURCE_DIR) / "tests/gif/data/four-frames.gif", work / "src/anim.bmp",
                  fs::copy_options::none);
    writeBmp(work / "src/z.bmp", 1, 1, {qRgb(0, 0, 0)});

    const ProgramRun run = runPelkora(work.path(), {"--realtime", "--batch", (work / "src").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string index = TempDir::read(work / "adv/advertising.index");
    ASSERT_EQ(index.rfind("anim-01.dob,", 0), 0u) << index;
    EXPECT_NE(index.find("anim-04.dob,1500\n\nz.dob,3000\n\n"), std::string::npos) << index;
    for (const char* name : {"anim-01.dob", "anim-02.dob", "anim-03.dob", "anim-04.dob", "z.dob"}) {
        EXPECT_TRUE(fs::is_regular_file(work / "adv" / name)) << name;
    }
    expectSoundPackage(work.path());
}

TEST(EndToEnd, BatchCreatesAMissingOutputFolder)
{
    TempDir work;
    work.write("my pics/notes.txt", "abc\n");
    const ProgramRun run = runPelkora(work.path(), {"--batch", (work / "my pics").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(TempDir::read(work / "adv/notes-01.txt"), "abc\n");
    expectSoundPackage(work.path());
}

TEST(EndToEnd, NamesEveryInputThatProducedNothing)
{
    TempDir work;
    work.write("empty.txt", "");
    const ProgramRun run = runPelkora(work.path(), {"--add", "missing.txt", "empty.txt"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("missing.txt: Cant find file!"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("empty.txt: empty text"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(work / "adv/advertising.index"));

    const ProgramRun batch = runPelkora(work.path(), {"--batch", "no-such-folder"});
    EXPECT_EQ(batch.status, 1);
    EXPECT_NE(batch.err.find("no-such-folder"), std::string::npos);
}

TEST(EndToEnd, UsageErrorsGiveStatusTwoAndOneHint)
{
    TempDir work;
    const ProgramRun run = runPelkora(work.path(), {"--frobnicate"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find("--help"), std::string::npos);
    EXPECT_FALSE(fs::exists(work / "adv"));
}

TEST(EndToEnd, DeleteAllEmptiesEveryDepthAndKeepsFolders)
{
    TempDir work;
    work.write("adv/a.dob", "x");
    work.write("adv/x/y/z.txt", "x");
    const ProgramRun run = runPelkora(work.path(), {"--quiet", "--delete-all"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(fs::exists(work / "adv/a.dob"));
    EXPECT_FALSE(fs::exists(work / "adv/x/y/z.txt"));
    EXPECT_TRUE(fs::is_directory(work / "adv/x/y"));

    // Without a folder there is nothing to empty, and none is made.
    TempDir bare;
    EXPECT_EQ(runPelkora(bare.path(), {"--delete-all"}).status, 0);
    EXPECT_FALSE(fs::exists(bare / "adv"));
}

TEST(EndToEnd, VersionAndInfo)
{
    TempDir work;
    EXPECT_EQ(runPelkora(work.path(), {"--version"}).out, std::string("pelkora ") + PELKORA_VERSION + "\n");

    writeBmp(work / "p.bmp", 3, 2, std::vector<QRgb>(6, qRgb(1, 2, 3)));
    work.write("t.txt", "plain words");
    const ProgramRun info = runPelkora(work.path(), {"--info", "p.bmp", "t.txt"});
    EXPECT_EQ(info.status, 1);
    EXPECT_EQ(info.out, "p.bmp: picture 3x2\nt.txt: not a picture\n");
}

}  // namespace

namespace {

TEST(EndToEndOptions, FitAndDitherChangeOnlyWhatTheyAreAskedFor)
{
    TempDir work;
    std::vector<QRgb> wide;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 300; ++x)
            wide.push_back(qRgb(x * 255 / 299, x * 255 / 299, x * 255 / 299));
    writeBmp(work / "wide.bmp", 300, 30, wide);
    writeBmp(work / "dot.bmp", 2, 1, {qRgb(0, 0, 0), qRgb(255, 255, 255)});

    const ProgramRun plain = runPelkora(work.path(), {"--quiet", "--add", "wide.bmp", "dot.bmp"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    const std::string plainWide = TempDir::read(work / "adv/wide.dob");
    const std::string plainDot = TempDir::read(work / "adv/dot.dob");
    EXPECT_EQ(plainWide.size(), 2u + 300u * 30u / 2u);

    const ProgramRun fitted =
            runPelkora(work.path(), {"--quiet", "--fit", "128x64", "--dither", "--add", "wide.bmp", "dot.bmp"});
    ASSERT_EQ(fitted.status, 0) << fitted.err;
    const std::string fittedWide = TempDir::read(work / "adv/wide.dob");
    EXPECT_EQ(fittedWide.size(), 2u + 128u * 64u / 2u);
    EXPECT_EQ(fittedWide.substr(0, 2), std::string("\x80\x40", 2));
    // Two device greys: nothing to diffuse, nothing to fit.
    EXPECT_EQ(TempDir::read(work / "adv/dot.dob"), plainDot);

    const ProgramRun again = runPelkora(work.path(), {"--quiet", "--fit", "128x64", "--dither", "--add", "wide.bmp"});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(TempDir::read(work / "adv/wide.dob"), fittedWide);

    const ProgramRun wrong = runPelkora(work.path(), {"--fit", "big", "--add", "wide.bmp"});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_NE(wrong.err.find("--fit"), std::string::npos) << wrong.err;
}

}  // namespace

namespace {

TEST(EndToEndDisplay, TheDialogWithoutADisplaySaysWhatWorksInstead)
{
    TempDir work;
    // Every way to a display taken away.
    std::string command = "cd ";
    command += pelkora::testing::shellQuoted(work.path().string());
    command += " && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";
    command += pelkora::testing::shellQuoted(PELKORA_BINARY);
    command += " > out.txt 2> err.txt < /dev/null";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 2);
    const std::string err = TempDir::read(work / "err.txt");
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("--batch"), std::string::npos) << err;
    EXPECT_NE(err.find("--add"), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(work / "adv"));
}

}  // namespace
