// Start-up: the output folder is made ready and the source folder converted
// before the dialog is shown; a long batch shows its progress first.

#include <string>
#include <vector>

#include <QThread>

#include <gtest/gtest.h>

#include "qt/main_dialog.h"
#include "qt/startup_progress.h"
#include "support/temp_dir.h"
#include "tests/qt/dialog_support.h"

namespace pelkora::dialog {

using namespace session;
namespace {

namespace fs = std::filesystem;
using testing::fileNames;
using testing::TempDir;

struct StartupCase {
    const char* name;
    const char* sourceFolder;  // below the sources folder; nullptr: no argument
    std::set<std::string> expected;
};

void PrintTo(const StartupCase& c, std::ostream* out) { *out << c.name; }

class StartupBatch : public ::testing::TestWithParam<StartupCase> {};

TEST_P(StartupBatch, ConvertsBeforeTheWindowShows)
{
    const StartupCase& c = GetParam();
    TempDir work;
    TempDir sources;
    // Left over from an earlier run: emptied, folders kept.
    work.write("adv/old.dob", "x");
    work.write("adv/nested/older.txt", "x");
    const fs::path folder = sources / (c.sourceFolder ? c.sourceFolder : "unused");
    testing::writeBmp(sources, folder / "b.BMP", 4, 4);
    testing::writeBmp(sources, folder / "a.bmp", 3, 2);
    sources.write(folder / "words.txt", "Some words to page.");
    sources.write(folder / "ignored.gif", "GIF89a");
    // A text named in the work folder too: start-up looks only at the source.
    work.write("stray.bmp", "not converted");

    MainDialog dialog(work.path());
    std::vector<std::string> messages;
    dialog.setMessageFunction([&](QWidget*, const QString& text) { messages.push_back(text.toStdString()); });

    runStartupBatch(dialog, c.sourceFolder ? folder : fs::path());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(fileNames(work / "adv"), c.expected);
    EXPECT_TRUE(fs::is_directory(work / "adv" / "nested"));
    EXPECT_TRUE(fileNames(work / "adv" / "nested").empty());
    EXPECT_TRUE(messages.empty());
    if (c.sourceFolder) {
        // Pictures in name order, each before the texts.
        EXPECT_EQ(TempDir::read(work / "adv" / "advertising.index"), "a.dob,3000\n\nb.dob,3000\n\nwords-01.txt,6000\n");
    }
}

INSTANTIATE_TEST_SUITE_P(
        Folders, StartupBatch,
        ::testing::Values(
                StartupCase{"plain", "pics", {"a.dob", "b.dob", "words-01.txt", "advertising.index"}},
                StartupCase{"spaces", "my pictures  folder", {"a.dob", "b.dob", "words-01.txt", "advertising.index"}},
                StartupCase{"none", nullptr, {}}),
        [](const ::testing::TestParamInfo<StartupCase>& info) { return std::string(info.param.name); });

TEST(StartupBatchOutput, MissingOutputFolderIsCreated)
{
    TempDir work;
    MainDialog dialog(work.path());
    std::vector<std::string> messages;
    dialog.setMessageFunction([&](QWidget*, const QString& text) { messages.push_back(text.toStdString()); });
    runStartupBatch(dialog, fs::path());
    EXPECT_TRUE(fs::is_directory(work / "adv"));
    EXPECT_TRUE(fileNames(work / "adv").empty());
    EXPECT_TRUE(messages.empty());
}

// The options ticked in the menu reach the start-up conversion as they
// reach an Add, and the strip names them; a header that wraps is said there.
TEST(StartupBatchOutput, WritesWithTheMenusOptionsAndSaysWhichItUsed)
{
    struct Written {
        int width;
        int height;
    };
    const output::Size screen{128, 64};
    const struct {
        const char* name;
        output::OutputOptions options;
        Written wide;   // of the 300x10 picture
        Written small;  // of the 20x10 picture
        std::string strip;
    } cases[] = {
            {"none", {}, {300, 10}, {20, 10},
             "2 files written from pics; wide.dob: its header holds width and height modulo 256: "
             "300x10 is stored as 44x10"},
            {"fit", {false, false, output::Size{50, 20}, std::nullopt, false}, {50, 20}, {20, 10},
             "2 files written from pics (fit 50x20)"},
            {"centred on the screen", {false, false, std::nullopt, screen, true}, {300, 10}, {128, 64},
             "2 files written from pics (screen 128x64 centred); wide.dob: its header holds width and height "
             "modulo 256: 300x10 is stored as 44x10"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir work;
        TempDir sources;
        testing::writeBmp(sources, sources / "pics" / "wide.bmp", 300, 10);
        testing::writeBmp(sources, sources / "pics" / "small.bmp", 20, 10);
        MainDialog dialog(work.path());
        DialogSettings settings = dialog.settings();
        settings.output = c.options;
        dialog.applySettings(settings);
        runStartupBatch(dialog, sources / "pics");
        for (const auto& [name, size] : {std::pair{"wide.dob", c.wide}, std::pair{"small.dob", c.small}}) {
            const std::string dob = TempDir::read(work / "adv" / name);
            ASSERT_GE(dob.size(), 2u) << name;
            EXPECT_EQ(static_cast<unsigned char>(dob[0]), size.width & 0xFF) << name;
            EXPECT_EQ(static_cast<unsigned char>(dob[1]), size.height & 0xFF) << name;
            EXPECT_EQ(dob.size(), 2u + (static_cast<std::size_t>(size.width * size.height) + 1) / 2) << name;
        }
        EXPECT_EQ(dialog.statusLine().toStdString(), c.strip);
    }
}

struct RefusedSource {
    const char* name;
    const char* source;  // below the work folder
    const char* reason;
};

// A source that cannot be converted is named in a message before anything is
// emptied: the package of the last run stays as it was.
TEST(StartupBatchOutput, ASourceThatCannotBeConvertedIsRefusedAndNothingEmptied)
{
    const std::vector<RefusedSource> cases = {
            {"missing", "no such folder", "no such folder"},
            {"a file", "plain.txt", "is not a folder"},
            {"the output folder", "adv", "is the output folder or lies inside it"},
            {"inside the output folder", "adv/mine", "is the output folder or lies inside it"},
    };
    for (const RefusedSource& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir work;
        work.write("adv/mine/photo.bmp", "the user's own");
        work.write("adv/advertising.index", "old.dob,3000\n\n");
        work.write("plain.txt", "x");
        MainDialog dialog(work.path());
        std::vector<std::string> messages;
        dialog.setMessageFunction([&](QWidget*, const QString& text) { messages.push_back(text.toStdString()); });
        runStartupBatch(dialog, work / c.source);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages.front().find(c.reason), std::string::npos) << messages.front();
        EXPECT_NE(messages.front().find(c.source), std::string::npos) << messages.front();
        EXPECT_EQ(TempDir::read(work / "adv/mine/photo.bmp"), "the user's own");
        EXPECT_EQ(TempDir::read(work / "adv/advertising.index"), "old.dob,3000\n\n");
    }
}

TEST(StartupBatchProgress, ALongBatchShowsItsProgressBeforeTheDialog)
{
    TempDir work;
    TempDir sources;
    for (int i = 0; i < 3; ++i) {
        testing::writeBmp(sources, std::string("p").append(std::to_string(i)).append(".bmp"), 2, 2);
    }
    // Texts come after the pictures; this one's message holds the batch
    // until the window is up, however fast the pictures went.
    fs::create_symlink(sources / "nowhere", sources / "gone.txt");
    MainDialog dialog(work.path());

    auto visibleProgress = []() -> StartupProgress* {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* progress = qobject_cast<StartupProgress*>(window); progress && progress->isVisible()) {
                return progress;
            }
        }
        return nullptr;
    };
    int windowsSeen = 0;
    dialog.setMessageFunction([&](QWidget*, const QString&) {
        testing::waitUntil([&] {
            const StartupProgress* progress = visibleProgress();
            return progress != nullptr && progress->done() == 3;
        });
        if (StartupProgress* progress = visibleProgress()) {
            ++windowsSeen;
            EXPECT_FALSE(dialog.isVisible());
            EXPECT_NE(progress->windowTitle(), QStringLiteral("Pelkora"));
            // Three pictures done of the four inputs found.
            EXPECT_EQ(progress->done(), 3);
            EXPECT_EQ(progress->found(), 4);
        }
    });
    // With no delay the window is up while the batch still runs.
    EXPECT_TRUE(runStartupBatch(dialog, sources.path(), std::chrono::milliseconds(0)));
    EXPECT_EQ(windowsSeen, 1);
    EXPECT_EQ(visibleProgress(), nullptr);
    EXPECT_EQ(fileNames(work / "adv").size(), 4u);

    // A batch quicker than the delay shows nothing.
    MainDialog quick(work.path());
    EXPECT_FALSE(runStartupBatch(quick, fs::path(), std::chrono::milliseconds(60000)));
}

TEST(StartupBatchMessages, ATextThatCannotBeOpenedIsReportedOnTheUiThread)
{
    TempDir work;
    TempDir sources;
    // Listed like any text, but there is nothing behind the name.
    fs::create_symlink(sources / "nowhere", sources / "gone.txt");
    MainDialog dialog(work.path());
    std::vector<std::string> messages;
    bool onUiThread = true;
    dialog.setMessageFunction([&](QWidget* owner, const QString& text) {
        onUiThread = onUiThread && QThread::currentThread() == dialog.thread() && owner == &dialog;
        messages.push_back(text.toStdString());
    });
    runStartupBatch(dialog, sources.path());
    EXPECT_TRUE(onUiThread);
    EXPECT_EQ(messages, std::vector<std::string>{"Cant find file!"});
    EXPECT_EQ(fileNames(work / "adv"), std::set<std::string>{});
}

}  // namespace
}  // namespace pelkora::dialog
