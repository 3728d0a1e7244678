// The worker's pass against stops, loads, destruction and the end of
// capture; run under ThreadSanitizer too.
#include "picture/animated_picture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "support/picture_fixtures.h"
#include "support/temp_dir.h"
#include "support/wine.h"

namespace pelkora::picture {
namespace {

using namespace pelkora::testing;
using namespace std::chrono_literals;

const std::vector<Rgb> kPalette = {0x000000, 0xFFFFFF};
constexpr int kLongDelay = 65535;  // 655 s: a pass that only a stop can cut short

// Counts captures and lets a test wait for the n-th.
class CaptureCounter {
public:
    void operator()(const CaptureEvent& event)
    {
        std::lock_guard lock(mutex_);
        events_.push_back(event);
        changed_.notify_all();
    }
    void waitFor(std::size_t count)
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return events_.size() >= count; });
    }
    std::size_t count()
    {
        std::lock_guard lock(mutex_);
        return events_.size();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<CaptureEvent> events_;
};

Bytes animation(int frames, int delay)
{
    std::vector<GifPictureFrame> list;
    for (int i = 0; i < frames; ++i)
        list.push_back(solidFrame(0, 0, 2, 2, static_cast<std::uint8_t>(i % 2), delay));
    return makeGif(2, 2, kPalette, list);
}

class PlaybackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        picture = std::make_unique<AnimatedPicture>(work);
        picture->setCaptureListener([this](const CaptureEvent& e) { (*counter)(e); });
    }
    std::filesystem::path file(const std::string& name, const Bytes& bytes) const
    {
        return dir.write(name, std::string(bytes.begin(), bytes.end()));
    }
    std::size_t dobCount() const
    {
        std::size_t n = 0;
        for (const auto& entry : std::filesystem::directory_iterator(work / "adv"))
            n += entry.path().extension() == ".dob";
        return n;
    }

    TempDir dir;
    std::filesystem::path work = makeWorkDirectory(dir);
    std::shared_ptr<CaptureCounter> counter = std::make_shared<CaptureCounter>();
    std::unique_ptr<AnimatedPicture> picture;
};

using PlaybackEnd = PlaybackTest;

// A pass in a long wait, ended by its one finish or by the control going.
TEST_F(PlaybackEnd, FinishWritesTheRestAtOnceDestructionStopsWhereItIs)
{
    const struct {
        const char* name;
        bool finish;
        std::string playlist;
    } cases[] = {
            {"finish", true, "anim-01.dob,655350\nanim-02.dob,655350\nanim-03.dob,655350\nanim-04.dob,1500\n\n"},
            {"destruction", false, "anim-01.dob,655350\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir other;
        const auto otherWork = makeWorkDirectory(other);
        auto player = std::make_unique<AnimatedPicture>(otherWork);
        CaptureCounter captures;
        player->setCaptureListener([&captures](const CaptureEvent& e) { captures(e); });
        ASSERT_TRUE(player->LoadFile(file("anim.gif", animation(4, kLongDelay))).ok());
        EXPECT_EQ(player->ShowPicture().shown, Shown::Animation);
        captures.waitFor(1);
        EXPECT_TRUE(player->capturePending());
        if (c.finish) {
            player->finishPass();  // returns without waiting out 655 s
            EXPECT_FALSE(player->capturePending());
            // The pass ends by clearing the surface to the background colour.
            EXPECT_EQ(player->snapshot().pixel(1, 1) & 0xFFFFFF, 0xF0F0F0u);
        }
        player.reset();
        EXPECT_EQ(playlistOf(otherWork), c.playlist);
    }
}

using PlaybackLoad = PlaybackTest;

TEST_F(PlaybackLoad, WhilePlayingTheRestIsWrittenAtOnce)
{
    ASSERT_TRUE(picture->LoadFile(file("anim.gif", animation(3, kLongDelay))).ok());
    picture->ShowPicture();
    counter->waitFor(1);
    const auto still = file("logo.gif", makeGif(1, 1, kPalette, {solidFrame(0, 0, 1, 1, 1)}));
    ASSERT_TRUE(picture->LoadFile(still).ok());  // returns without waiting out 655 s
    EXPECT_EQ(picture->baseName(), "logo");
    EXPECT_TRUE(picture->ShowPicture().stillWritten());
    EXPECT_EQ(playlistOf(work), "anim-01.dob,655350\nanim-02.dob,655350\nanim-03.dob,1500\n\nlogo.dob,3000\n\n");
    EXPECT_EQ(dobCount(), 4u);
}

TEST_F(PlaybackLoad, LoadFromMemoryIsALoadToo)
{
    const Bytes still = makeGif(1, 1, kPalette, {solidFrame(0, 0, 1, 1, 1)});
    ASSERT_TRUE(picture->LoadFile(file("anim.gif", animation(3, kLongDelay))).ok());
    picture->ShowPicture();
    counter->waitFor(1);
    ASSERT_TRUE(picture->LoadMemory(still.data(), still.size()).ok());
    EXPECT_EQ(counter->count(), 3u);
    // After a pass that has run to its end, the next picture is captured.
    EXPECT_TRUE(picture->ShowPicture().stillWritten());
    EXPECT_EQ(playlistOf(work), "anim-01.dob,655350\nanim-02.dob,655350\nanim-03.dob,1500\n\nanim.dob,3000\n\n");
}

TEST_F(PlaybackLoad, SecondShowAfterThePassWritesNothing)
{
    picture->setRealtime(false);
    ASSERT_TRUE(picture->LoadFile(file("anim.gif", animation(3, 0))).ok());
    picture->ShowPicture();
    picture->finishPass();
    ASSERT_EQ(counter->count(), 3u);
    EXPECT_EQ(picture->ShowPicture().shown, Shown::Animation);
    picture->finishPass();
    EXPECT_EQ(counter->count(), 3u);
    // A new load makes it playable again.
    ASSERT_TRUE(picture->LoadFile(file("anim.gif", animation(3, 0))).ok());
    picture->ShowPicture();
    picture->finishPass();
    EXPECT_EQ(counter->count(), 6u);
}

TEST_F(PlaybackLoad, RealtimeWritesWhatHeadlessWrites)
{
    std::vector<GifPictureFrame> frames = {solidFrame(0, 0, 2, 2, 0, 5), solidFrame(0, 0, 1, 1, 1, 0),
                                           solidFrame(1, 1, 1, 1, 1, 0, 2)};
    frames[2].control = false;
    const auto gif = file("anim.gif", makeGif(2, 2, kPalette, frames));
    std::string packages[2];
    for (bool realtime : {true, false}) {
        TempDir other;
        const auto otherWork = makeWorkDirectory(other);
        {
            AnimatedPicture player(otherWork);
            CaptureCounter captures;
            player.setCaptureListener([&captures](const CaptureEvent& e) { captures(e); });
            player.setRealtime(realtime);
            ASSERT_TRUE(player.LoadFile(gif).ok());
            player.ShowPicture();
            captures.waitFor(3);  // at their own pace, not hurried by the finish
            player.finishPass();
        }
        for (const char* name : {"anim-01.dob", "anim-02.dob", "anim-03.dob"})
            packages[realtime] += TempDir::read(otherWork / "adv" / name) + "|";
        packages[realtime] += playlistOf(otherWork);
    }
    EXPECT_EQ(packages[0], packages[1]);
    EXPECT_NE(packages[0].find("anim-03.dob,1500\n\n"), std::string::npos);
}

using PlaybackEndCapture = PlaybackTest;

// The wipe after endCapture must not be followed by any file or line of the
// animation, even when a capture was being written as endCapture came.
TEST_F(PlaybackEndCapture, CaptureInFlightIsWaitedOutAndNoneFollows)
{
    if (runningUnderWine())
        GTEST_SKIP() << "needs the wiped playlist's name to go while the capture holds it, which wine keeps";
    std::mutex mutex;
    std::condition_variable changed;
    bool entered = false;
    bool release = false;
    std::atomic<bool> secondWritten{false};
    std::atomic<int> sinkCalls{0};
    picture->setRealtime(false);
    picture->setCaptureSink([&](const output::DobTarget& target, const output::PixelView& pixels) {
        if (++sinkCalls == 2) {
            std::unique_lock lock(mutex);
            entered = true;
            changed.notify_all();
            changed.wait(lock, [&] { return release; });
            lock.unlock();
            std::this_thread::sleep_for(20ms);  // a slow disk
            const Outcome written = output::writeDobFile(target, pixels);
            secondWritten = true;
            return written;
        }
        return output::writeDobFile(target, pixels);
    });
    ASSERT_TRUE(picture->LoadFile(file("anim.gif", animation(6, 0))).ok());
    picture->ShowPicture();
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return entered; });
        release = true;
        changed.notify_all();
    }
    picture->endCapture();
    EXPECT_TRUE(secondWritten);
    // The worker may have taken a capture or two more before endCapture got
    // its turn; those are written already and go with the wipe.
    const int callsBeforeTheWipe = sinkCalls;
    for (const auto& entry : std::filesystem::directory_iterator(work / "adv"))
        std::filesystem::remove(entry.path());
    picture->finishPass();  // the rest of playback writes nothing
    EXPECT_EQ(sinkCalls, callsBeforeTheWipe);
    EXPECT_EQ(dobCount(), 0u);
    EXPECT_EQ(playlistOf(work), "");
    // The next load captures again.
    ASSERT_TRUE(picture->LoadFile(file("logo.gif", makeGif(1, 1, kPalette, {solidFrame(0, 0, 1, 1, 1)}))).ok());
    EXPECT_TRUE(picture->ShowPicture().stillWritten());
    EXPECT_EQ(playlistOf(work), "logo.dob,3000\n\n");
}

TEST_F(PlaybackEndCapture, LoadAfterEndCaptureDoesNotHurryTheOldPass)
{
    ASSERT_TRUE(picture->LoadFile(file("anim.gif", animation(3, kLongDelay))).ok());
    picture->ShowPicture();
    counter->waitFor(1);
    picture->endCapture();
    EXPECT_FALSE(picture->capturePending());  // though the worker still waits
    ASSERT_TRUE(picture->LoadFile(file("logo.gif", makeGif(1, 1, kPalette, {solidFrame(0, 0, 1, 1, 1)}))).ok());
    EXPECT_EQ(counter->count(), 1u);
    EXPECT_EQ(playlistOf(work), "anim-01.dob,655350\n");
}

using PlaybackView = PlaybackTest;

TEST_F(PlaybackView, SnapshotsAndRepaintsWhileTheWorkerDraws)
{
    std::atomic<int> repaints{0};
    std::atomic<int> resizes{0};
    picture->setViewCallbacks({[&](int w, int h) { resizes += (w == 2 && h == 2); }, [&] { ++repaints; }});
    picture->setRealtime(false);
    ASSERT_TRUE(picture->LoadFile(file("anim.gif", animation(200, 0))).ok());
    EXPECT_EQ(resizes, 1);
    picture->ShowPicture();
    int painted = 0;
    while (counter->count() < 200) {
        const Image frame = picture->snapshot();
        painted += frame.width() == 2;
    }
    picture->finishPass();
    EXPECT_GT(painted, 0);
    EXPECT_EQ(repaints, 200);
}

}  // namespace
}  // namespace pelkora::picture
