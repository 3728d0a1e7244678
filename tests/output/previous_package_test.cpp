// The package kept by an emptying: what each state of the two folders
// becomes after a keep or a restore, a swap interrupted between its renames
// included.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "output/folder_lock.h"
#include "output/previous_package.h"
#include "support/temp_dir.h"

namespace pelkora::output {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using Tree = std::map<std::string, std::string>;  // relative path -> bytes

Tree treeOf(const fs::path& root)
{
    Tree tree;
    if (!fs::exists(root))
        return tree;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it)
        if (it->is_regular_file())
            tree[it->path().lexically_relative(root).generic_string()] = TempDir::read(it->path());
    return tree;
}

TEST(PreviousPackage, KeepAndRestoreFromEveryState)
{
    enum class Step { Keep, Restore };
    const struct {
        const char* name;
        Tree before;  // below the work folder
        Step step;
        Status status;
        Tree after;
    } rows[] = {
            {"keep replaces the package kept before",
             {{"adv/a.dob", "new"}, {"adv/sub/b.txt", "deep"}, {"adv.previous/old.dob", "old"}}, Step::Keep,
             Status::Ok, {{"adv.previous/a.dob", "new"}, {"adv.previous/sub/b.txt", "deep"}}},
            {"an empty folder keeps nothing", {{"adv.previous/old.dob", "old"}}, Step::Keep, Status::Ok,
             {{"adv.previous/old.dob", "old"}}},
            {"a keep killed before its last step is cleaned up",
             {{"adv/a.dob", "new"}, {"adv.previous.old/x.dob", "x"}}, Step::Keep, Status::Ok,
             {{"adv.previous/a.dob", "new"}}},
            {"restore swaps", {{"adv/a.dob", "now"}, {"adv.previous/b.dob", "before"}}, Step::Restore, Status::Ok,
             {{"adv/b.dob", "before"}, {"adv.previous/a.dob", "now"}}},
            {"nothing to restore", {{"adv/a.dob", "now"}}, Step::Restore, Status::NoSuchFolder,
             {{"adv/a.dob", "now"}}},
            {"a swap killed after its first rename is undone first",
             {{"adv/a.dob", "now"}, {"adv.swap/b.dob", "before"}}, Step::Restore, Status::Ok,
             {{"adv/b.dob", "before"}, {"adv.previous/a.dob", "now"}}},
            {"a swap killed after its second rename is finished first",
             {{"adv.previous/a.dob", "now"}, {"adv.swap/b.dob", "before"}}, Step::Restore, Status::Ok,
             {{"adv/a.dob", "now"}, {"adv.previous/b.dob", "before"}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const TempDir work;
        // An empty adv is there too, unless a swap was killed with it gone.
        if (row.before.count("adv.swap/b.dob") == 0 || row.before.count("adv/a.dob") != 0)
            fs::create_directory(work / "adv");
        for (const auto& [name, bytes] : row.before)
            work.write(name, bytes);
        const KeptPackage done =
                row.step == Step::Keep ? keepAsPrevious(work / "adv") : restorePrevious(work / "adv");
        EXPECT_EQ(done.outcome.status, row.status);
        EXPECT_EQ(treeOf(work.path()), row.after);
        EXPECT_TRUE(fs::is_directory(work / "adv"));
    }
}

TEST(PreviousPackage, ALockTakenAfterTheFolderMovedIsOnTheNewFolder)
{
    const TempDir work;
    work.write("adv/a.dob", "x");
    FolderLock held(work / "adv");
    ASSERT_TRUE(held.namesFolder());
    ASSERT_TRUE(keepAsPrevious(work / "adv").moved);
    EXPECT_FALSE(held.namesFolder());
    // The lock went with the folder: the new one is free to take.
    const FolderLock fresh(work / "adv");
    EXPECT_TRUE(fresh.held() && fresh.namesFolder());
}

}  // namespace
}  // namespace pelkora::output
