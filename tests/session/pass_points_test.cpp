// Where a run needs an animation's pass complete, the session finishes it:
// before the next load and at the end of the run. DeleteAll ends its
// capture instead, so that nothing of it follows the wipe.
#include "session/session.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <mutex>

#include "support/picture_fixtures.h"
#include "support/temp_dir.h"

namespace pelkora::session {
namespace {

namespace fs = std::filesystem;
using namespace pelkora::testing;

constexpr int kLongDelay = 65535;  // 655 s: only a finish or a stop cuts it short

TEST(SessionPass, EachCommandLeavesARunningAnimationAsTheRunNeeds)
{
    const std::string wholeAnimation = "anim-01.dob,655350\nanim-02.dob,655350\nanim-03.dob,1500\n\n";
    const struct {
        const char* name;
        std::function<void(Session&, const fs::path& still)> command;
        std::string playlist;
    } cases[] = {
            {"the next add",
             [](Session& session, const fs::path& still) { session.addFile(still, Converter::AddRun::New, {}); },
             wholeAnimation + "logo.dob,3000\n\n"},
            {"DeleteAll", [](Session& session, const fs::path&) { session.deleteAll(); }, ""},
            {"the end of the run", [](Session& session, const fs::path&) { session.finish(); }, wholeAnimation},
    };
    TempDir sources;
    const std::vector<Rgb> palette = {0x000000, 0xFFFFFF};
    std::vector<GifPictureFrame> frames;
    for (std::uint8_t i = 0; i < 3; ++i)
        frames.push_back(solidFrame(0, 0, 2, 2, i % 2, kLongDelay));
    const Bytes animation = makeGif(2, 2, palette, frames);
    const Bytes still = makeGif(1, 1, palette, {solidFrame(0, 0, 1, 1, 1)});
    const fs::path animationFile = sources.write("anim.gif", std::string(animation.begin(), animation.end()));
    const fs::path stillFile = sources.write("logo.gif", std::string(still.begin(), still.end()));

    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir work;
        std::mutex mutex;
        std::condition_variable changed;
        int captured = 0;
        ConversionOptions options;
        options.captured = [&](const picture::CaptureEvent&) {
            std::lock_guard lock(mutex);
            ++captured;
            changed.notify_all();
        };
        Session session(makeWorkDirectory(work), options);
        ASSERT_TRUE(session.addFile(animationFile, Converter::AddRun::New, {}).animationPlaying);
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return captured >= 1; });
        }
        c.command(session, stillFile);
        session.finish();
        EXPECT_FALSE(session.writeLockHeld());
        EXPECT_EQ(playlistOf(work.path()), c.playlist);
    }
}

}  // namespace
}  // namespace pelkora::session
