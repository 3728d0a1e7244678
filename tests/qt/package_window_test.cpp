// The package window's model: each edit from the window is one rewrite of
// the package on disk, read back into the rows; the dialog's commands
// refresh it; Play moves through the loop on its own.

#include <functional>
#include <string>
#include <vector>

#include <QMimeData>

#include <gtest/gtest.h>

#include "qt/loop_player.h"
#include "qt/main_dialog.h"
#include "qt/package_model.h"
#include "qt/package_window.h"
#include "support/temp_dir.h"
#include "tests/qt/dialog_support.h"

namespace pelkora::dialog {
namespace {

namespace fs = std::filesystem;
using testing::fileNames;
using testing::TempDir;

constexpr const char* kPackage = "a.dob,1000\n\nb.dob,2000\n\nc.dob,3000\n\n";

void writePackage(const TempDir& work)
{
    for (const char* name : {"a.dob", "b.dob", "c.dob"})
        work.write(fs::path("adv") / name, std::string("\x02\x02\x10\x32", 4));
    work.write("adv/advertising.index", kPackage);
}

// A drag of row from onto the gap before row before, as the view hands it over.
void drag(PackageModel& model, int from, int before)
{
    std::unique_ptr<QMimeData> data(model.mimeData({model.index(from, 0)}));
    model.dropMimeData(data.get(), Qt::MoveAction, before, 0, {});
}

TEST(PackageModel, EachEditRewritesThePackageAndTheRowsFollow)
{
    const struct {
        const char* name;
        std::function<void(PackageModel&, const TempDir&)> edit;
        const char* playlist;
        std::set<std::string> files;
        bool refused;
    } cases[] = {
            {"a drag down", [](PackageModel& m, const TempDir&) { drag(m, 0, 2); },
             "b.dob,2000\n\na.dob,1000\n\nc.dob,3000\n\n", {"a.dob", "b.dob", "c.dob", "advertising.index"}, false},
            {"a drag to the end", [](PackageModel& m, const TempDir&) { drag(m, 0, 3); },
             "b.dob,2000\n\nc.dob,3000\n\na.dob,1000\n\n", {"a.dob", "b.dob", "c.dob", "advertising.index"}, false},
            {"a drag to the top", [](PackageModel& m, const TempDir&) { drag(m, 2, 0); },
             "c.dob,3000\n\na.dob,1000\n\nb.dob,2000\n\n", {"a.dob", "b.dob", "c.dob", "advertising.index"}, false},
            {"a time edited in place",
             [](PackageModel& m, const TempDir&) { m.setData(m.index(1, PackageModel::TimeColumn), "1500", Qt::EditRole); },
             "a.dob,1000\n\nb.dob,1500\n\nc.dob,3000\n\n", {"a.dob", "b.dob", "c.dob", "advertising.index"}, false},
            {"a time that is no time",
             [](PackageModel& m, const TempDir&) { m.setData(m.index(1, PackageModel::TimeColumn), "15s", Qt::EditRole); },
             kPackage, {"a.dob", "b.dob", "c.dob", "advertising.index"}, true},
            {"Delete", [](PackageModel& m, const TempDir&) { m.removeEntry(1); }, "a.dob,1000\n\nc.dob,3000\n\n",
             {"a.dob", "c.dob", "advertising.index"}, false},
            {"an edit while the dialog writes",
             [](PackageModel& m, const TempDir&) {
                 m.setBusy([] { return true; });
                 m.removeEntry(1);
             },
             kPackage, {"a.dob", "b.dob", "c.dob", "advertising.index"}, true},
            {"a drag from a listing another run made stale",
             [](PackageModel& m, const TempDir& w) {
                 w.write("adv/advertising.index", "c.dob,3000\n\nb.dob,2000\n\na.dob,1000\n\n");
                 drag(m, 0, 3);
             },
             "c.dob,3000\n\nb.dob,2000\n\na.dob,1000\n\n", {"a.dob", "b.dob", "c.dob", "advertising.index"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir work;
        writePackage(work);
        PackageModel model(work / "adv");
        QStringList failures;
        QObject::connect(&model, &PackageModel::editFailed, [&](const QString& why) { failures << why; });
        c.edit(model, work);
        EXPECT_EQ(TempDir::read(work / "adv/advertising.index"), c.playlist);
        EXPECT_EQ(fileNames(work / "adv"), c.files);
        EXPECT_EQ(!failures.isEmpty(), c.refused) << failures.join(QLatin1Char('\n')).toStdString();
        // The rows are the playlist as it now stands.
        std::string rows;
        for (int row = 0; row < model.rowCount(); ++row)
            rows += model.index(row, PackageModel::NameColumn).data().toString().toStdString() + ","
                    + model.index(row, PackageModel::TimeColumn).data().toString().toStdString() + "\n\n";
        EXPECT_EQ(rows, c.playlist);
    }
}

TEST(PackageWindow, FollowsAnAddAndPlaysTheLoop)
{
    TempDir work;
    writePackage(work);
    work.write("advTimeSetting.ini", "[IntervalTime]\nStaticGifPlayTime=400\n");
    MainDialog dialog(work.path());
    dialog.session().picture().setRealtime(false);
    dialog.setMessageFunction([](QWidget*, const QString&) {});
    dialog.openPackageWindow();
    PackageWindow* window = dialog.packageWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->model()->rowCount(), 3);

    dialog.addFiles({testing::writeBmp(work, "in/d.bmp", 3, 2)});
    EXPECT_TRUE(testing::waitUntil([&] { return window->model()->rowCount() == 4; }));

    // At ten times the pace the 6.4 s loop goes round in well under a second.
    window->setFaster(true);
    window->play();
    LoopPlayer* player = window->player();
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->entries(), 4);
    EXPECT_EQ(player->position(), 0);
    EXPECT_TRUE(testing::waitUntil([&] { return player->position() == 3; }));
    EXPECT_TRUE(testing::waitUntil([&] { return player->position() == 0; }));
}

}  // namespace
}  // namespace pelkora::dialog
