#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "output/dob_writer.h"
#include "output/output_folder.h"
#include "output/playlist_appender.h"
#include "support/temp_dir.h"
#include "support/wine.h"

namespace pelkora::output {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

// A target's playlist held open for the run, or none (each line opens it):
// the package comes out the same either way, and the folder emptied between
// two pictures leaves only the second one's line.
TEST(DobTargetPlaylist, HeldOrNotTheLinesAreTheSame)
{
    if (testing::runningUnderWine())
        GTEST_SKIP() << "needs a deleted playlist's name to go while the appender holds it, which wine keeps";
    const std::uint32_t pixels[] = {0xFFFFFF, 0x000000, 0x808080, 0x102030};
    const PixelView view{pixels, 2, 2, 2};
    const struct {
        const char* name;
        bool held;
    } cases[] = {{"opened for each line", false}, {"held for the run", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        const fs::path adv = outputFolderPath(dir.path());
        fs::create_directory(adv);
        const auto appender = c.held ? std::make_unique<PlaylistAppender>(playlistPath(adv)) : nullptr;
        auto target = [&](const char* capture, PlaylistLineForm form) {
            DobTarget t{adv / capture, adv, dir.path(), form, 500, {}, {}};
            t.playlist = appender.get();
            return t;
        };
        ASSERT_EQ(writeDobFile(target("a.dob", PlaylistLineForm::StillPicture), view).status, Status::Ok);
        ASSERT_EQ(writeDobFile(target("m-01.dob", PlaylistLineForm::AnimationFrame), view).status, Status::Ok);
        ASSERT_EQ(writeDobFile(target("m-02.dob", PlaylistLineForm::LastFrame), view).status, Status::Ok);
        EXPECT_EQ(TempDir::read(playlistPath(adv)), "a.dob,3000\n\nm-01.dob,500\nm-02.dob,1500\n\n");
        EXPECT_EQ(TempDir::read(adv / "a.dob").size(), 4u);

        deleteFolderContents(adv);
        ASSERT_EQ(writeDobFile(target("b.dob", PlaylistLineForm::StillPicture), view).status, Status::Ok);
        EXPECT_EQ(TempDir::read(playlistPath(adv)), "b.dob,3000\n\n");
    }
}

}  // namespace
}  // namespace pelkora::output
