// One session per run: the start-up batch's progress and the dialog's line
// after it, and the same package whether the dialog or the command line
// drives the session.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include <QApplication>
#include <QLabel>

#include <gtest/gtest.h>

#include "session/dialog_settings.h"
#include "qt/main_dialog.h"
#include "session/session.h"
#include "qt/startup_progress.h"
#include "session/status_strip.h"
#include "support/program_run.h"
#include "support/temp_dir.h"
#include "tests/qt/dialog_support.h"

namespace pelkora::dialog {

using namespace session;
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

// A source folder of good pictures, pictures that do not decode, short
// texts (a page each) and files the start-up batch passes over.
struct SourceFolder {
    int pictures = 0;
    int damaged = 0;
    int texts = 0;
    int others = 0;
};

void fill(const TempDir& dir, const fs::path& folder, const SourceFolder& source)
{
    fs::create_directories(dir / folder);
    for (int i = 0; i < source.pictures; ++i) {
        testing::writeBmp(dir, folder / ("pic" + std::to_string(i) + ".bmp"), 3 + i, 2);
    }
    for (int i = 0; i < source.damaged; ++i) {
        dir.write(folder / ("bad" + std::to_string(i) + ".bmp"), "BM not a bitmap at all");
    }
    for (int i = 0; i < source.texts; ++i) {
        dir.write(folder / ("words" + std::to_string(i) + ".txt"), "A short text, page " + std::to_string(i));
    }
    for (int i = 0; i < source.others; ++i) {
        dir.write(folder / ("other" + std::to_string(i) + ".gif"), "GIF89a");
    }
}

// Every file below adv/, by its path there, with its bytes.
std::map<std::string, std::string> package(const fs::path& work)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(work / "adv")) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), work / "adv").string()] = TempDir::read(entry.path());
        }
    }
    return files;
}

struct ProgressCase {
    const char* name;
    SourceFolder source;
};

TEST(SessionStartup, ProgressCountsEachInputOnceAndOnlyForItsOwnCall)
{
    const std::vector<ProgressCase> cases = {
            {"pictures and texts", {3, 0, 2, 1}},
            {"damaged pictures count as done", {1, 2, 1, 0}},
            {"texts only", {0, 0, 3, 2}},
            {"nothing to convert", {0, 0, 0, 2}},
    };
    for (const ProgressCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir work;
        TempDir sources;
        fill(sources, "in", c.source);
        Session session(work.path(), {});
        session.picture().setRealtime(false);
        const CommandResult prepared = session.prepareStartup(sources / "in");
        ASSERT_FALSE(prepared.refused);

        std::vector<std::pair<int, int>> seen;
        const CommandResult converted =
                session.convertFolder(sources / "in", {},
                                      [&seen](int done, int found) { seen.emplace_back(done, found); });
        const int found = c.source.pictures + c.source.damaged + c.source.texts;
        std::vector<std::pair<int, int>> expected;
        for (int done = 1; done <= found; ++done)
            expected.emplace_back(done, found);
        EXPECT_EQ(seen, expected);
        EXPECT_FALSE(converted.refused);
        EXPECT_EQ(converted.failuresBefore, 0u);
        EXPECT_EQ(converted.filesWritten, c.source.pictures + c.source.texts);
        EXPECT_EQ(session.report().failures().size(), static_cast<std::size_t>(c.source.damaged));

        // A later batch without a listener reports to none, least of all
        // to the one of the call before.
        const std::size_t before = seen.size();
        const CommandResult again = session.convertFolder(sources / "in", {});
        EXPECT_EQ(seen.size(), before);
        EXPECT_EQ(again.failuresBefore, static_cast<std::size_t>(c.source.damaged));
        session.picture().finishPass();
        EXPECT_TRUE(session.releaseWriteLockWhenCaptured());
        EXPECT_FALSE(session.writeLockHeld());
    }
}

struct StatusCase {
    const char* name;
    SourceFolder source;
    const char* tail;  // what follows the first failure, when there is one
};

TEST(SessionStartup, TheDialogTellsWhatTheBatchWroteOrWhatFailedFirst)
{
    const std::vector<StatusCase> cases = {
            {"all written", {2, 0, 1, 1}, ""},
            {"one failure", {2, 1, 0, 0}, "; 2 files written from my pics"},
            {"two failures", {1, 2, 1, 0}, " (and 1 more); 2 files written from my pics"},
    };
    for (const StatusCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir work;
        TempDir sources;
        fill(sources, "my pics", c.source);
        MainDialog dialog(work.path());
        dialog.setMessageFunction([](QWidget*, const QString&) {});
        runStartupBatch(dialog, sources / "my pics");
        QApplication::processEvents();

        const std::vector<ReportEntry> failures = dialog.report().failures();
        ASSERT_EQ(failures.size(), static_cast<std::size_t>(c.source.damaged));
        const std::string expected =
                failures.empty() ? std::to_string(c.source.pictures + c.source.texts) + " files written from my pics"
                                 : failureText(failures.front()) + c.tail;
        EXPECT_EQ(dialog.statusLine().toStdString(), expected);
        EXPECT_EQ(dialog.findChild<QLabel*>("statusStrip")->text().toStdString(), expected);
        // The batch is over: nothing holds the output folder any longer.
        EXPECT_FALSE(dialog.session().writeLockHeld());
    }
}

struct PackageCase {
    const char* name;
    SourceFolder source;             // converted at start-up; nothing when empty
    std::vector<const char*> added;  // below the sources folder, or the GIF suite's
};

TEST(SessionPackages, TheDialogAndTheCommandLineWriteTheSameBytes)
{
    const std::vector<PackageCase> cases = {
            {"start-up folder", {3, 1, 2, 1}, {}},
            {"start-up then Add", {2, 0, 1, 0}, {"animation.gif", "extra/late.bmp", "extra/note.txt"}},
            {"Add only, a name twice", {}, {"extra/late.bmp", "animation.gif", "extra/late.bmp"}},
    };
    for (const PackageCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir sources;
        const bool startup = c.source.pictures + c.source.damaged + c.source.texts + c.source.others > 0;
        if (startup)
            fill(sources, "in", c.source);
        testing::writeBmp(sources, "extra/late.bmp", 5, 4);
        sources.write("extra/note.txt", "Added after the start-up batch.");
        std::vector<fs::path> added;
        std::vector<std::string> addArgs = {"--quiet", "--add"};
        for (const char* name : c.added) {
            const fs::path file = fs::exists(sources / name) ? sources / name : testing::testData(name);
            ASSERT_TRUE(fs::exists(file)) << file;
            added.push_back(file);
            addArgs.push_back(file.string());
        }

        TempDir headless;
        if (startup) {
            const testing::ProgramRun batch =
                    testing::runPelkora(headless.path(), {"--quiet", "--batch", (sources / "in").string()});
            EXPECT_EQ(batch.status, c.source.damaged > 0 ? 1 : 0) << batch.err;
        }
        if (!added.empty())
            testing::runPelkora(headless.path(), addArgs);

        TempDir shown;
        saveDialogSettings({});
        {
            MainDialog dialog(shown.path());
            dialog.setMessageFunction([](QWidget*, const QString&) {});
            dialog.session().picture().setRealtime(false);
            runStartupBatch(dialog, startup ? sources / "in" : fs::path());
            dialog.addFiles(added);
            dialog.session().finish();
        }

        const std::map<std::string, std::string> expected = package(headless.path());
        EXPECT_FALSE(expected.empty());
        EXPECT_EQ(package(shown.path()), expected);
    }
}

}  // namespace
}  // namespace pelkora::dialog
