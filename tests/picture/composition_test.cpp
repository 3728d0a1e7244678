// Frames composed as a viewer shows them, captured at their rectangles, and
// named and listed as the package expects.
#include "picture/animated_picture.h"

#include <gtest/gtest.h>

#include <mutex>
#include <random>

#include "support/gif_builder.h"
#include "support/picture_fixtures.h"
#include "support/temp_dir.h"

namespace pelkora::picture {
namespace {

using namespace pelkora::testing;

const std::vector<Rgb> kPalette = {kBlack, kWhite, kRed, 0x808080};
constexpr std::uint8_t kB = 0, kW = 1, kR = 2, kT = 3;  // kT: the transparent index where used

GifPictureFrame transparentFrame(int width, int height, std::uint8_t index = kT)
{
    GifPictureFrame frame = solidFrame(0, 0, width, height, index);
    frame.transparent = kT;
    return frame;
}

class Composition : public ::testing::Test {
protected:
    void SetUp() override
    {
        picture.setRealtime(false);
        picture.setCaptureListener([this](const CaptureEvent& event) {
            std::lock_guard lock(mutex);
            events.push_back(event);
        });
    }
    // Loads and plays the whole pass, headless.
    void play(const std::string& name, const Bytes& bytes)
    {
        const auto file = dir.write(name, std::string(bytes.begin(), bytes.end()));
        const LoadOutcome loaded = picture.LoadFile(file);
        ASSERT_TRUE(loaded.ok()) << loaded.reason();
        shown = picture.ShowPicture();
        picture.finishPass();
    }
    std::vector<int> greys(const std::string& dobName, std::size_t pixels) const
    {
        const auto dob = readDob(work / "adv" / dobName, pixels);
        return dob ? dob->greys : std::vector<int>{-1};
    }

    TempDir dir;
    std::filesystem::path work = makeWorkDirectory(dir);
    AnimatedPicture picture{work};
    ShowResult shown;  // what the last play() showed
    std::mutex mutex;
    std::vector<CaptureEvent> events;
};

TEST_F(Composition, PartialFramesCapturedAtTheirRectangles)
{
    play("anim.gif",
         makeGif(4, 4, kPalette, {solidFrame(0, 0, 4, 4, kW), solidFrame(1, 1, 2, 2, kB), solidFrame(3, 3, 1, 1, kR)}));
    EXPECT_EQ(greys("anim-01.dob", 16), std::vector<int>(16, 0));
    EXPECT_EQ(greys("anim-02.dob", 4), std::vector<int>(4, 15));
    EXPECT_EQ(greys("anim-03.dob", 1), std::vector<int>{10});
    EXPECT_EQ(TempDir::read(work / "adv" / "anim-02.dob").substr(0, 2), std::string("\x02\x02"));
    EXPECT_EQ(playlistOf(work), "anim-01.dob,500\nanim-02.dob,500\nanim-03.dob,1500\n\n");
}

TEST_F(Composition, DisposalAndTransparency)
{
    struct Case {
        const char* name;
        std::vector<GifPictureFrame> frames;
        std::vector<int> lastFrame;  // the 2 x 2 picture after the last frame
    };
    GifPictureFrame checker = transparentFrame(2, 2);
    checker.indices = {kW, kT, kT, kW};
    GifPictureFrame local = solidFrame(0, 0, 2, 2, 0);
    local.localPalette = {kWhite, kBlack};
    const std::vector<Case> cases = {
            // Disposal 2 leaves the frame's rectangle in the background colour.
            {"dispose2",
             {solidFrame(0, 0, 2, 2, kB), solidFrame(0, 0, 1, 2, kR, 0, 2), transparentFrame(2, 2)},
             {0, 15, 0, 15}},
            // Disposal 3 restores what lay under the frame.
            {"dispose3",
             {solidFrame(0, 0, 2, 2, kB), solidFrame(0, 0, 1, 2, kR, 0, 3), transparentFrame(2, 2)},
             {15, 15, 15, 15}},
            // Disposal 0 and 1 keep the frame.
            {"dispose1",
             {solidFrame(0, 0, 2, 2, kB), solidFrame(0, 0, 1, 2, kR, 0, 1), transparentFrame(2, 2)},
             {10, 15, 10, 15}},
            // Transparent pixels leave what lies beneath.
            {"transparent", {solidFrame(0, 0, 2, 2, kR), checker}, {0, 10, 10, 0}},
            // A local colour table is the frame's own.
            {"local", {solidFrame(0, 0, 2, 2, kW), local}, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        play(std::string(c.name) + ".gif", makeGif(2, 2, kPalette, c.frames));
        const std::string last = std::string(c.name) + "-0" + std::to_string(c.frames.size()) + ".dob";
        EXPECT_EQ(greys(last, 4), c.lastFrame);
    }
}

// Composition against a model that knows only the GIF's rules: each frame's
// indices through its colour table onto the screen, the transparent index
// and those past the table drawing nothing, then disposal 2 filling the frame's rectangle with the
// background and disposal 3 restoring what lay beneath. Many small random
// animations, captured at the frames' rectangles and at the whole screen.
class CompositionModel {
public:
    CompositionModel(int width, int height)
            : width_(width), surface_(static_cast<std::size_t>(width) * height, kSurface)
    {
    }

    void draw(const GifPictureFrame& frame, const std::vector<Rgb>& globalPalette)
    {
        const std::vector<Rgb>& colors = frame.localPalette.empty() ? globalPalette : frame.localPalette;
        if (frame.disposal == 3)
            saved_ = surface_;
        for (int y = 0; y < frame.height; ++y) {
            for (int x = 0; x < frame.width; ++x) {
                const int index = frame.indices[static_cast<std::size_t>(y * frame.width + x)];
                if (index != frame.transparent && static_cast<std::size_t>(index) < colors.size())
                    at(frame.left + x, frame.top + y) = colors[static_cast<std::size_t>(index)];
            }
        }
    }
    void dispose(const GifPictureFrame& frame)
    {
        if (frame.disposal == 2) {
            for (int y = 0; y < frame.height; ++y)
                for (int x = 0; x < frame.width; ++x)
                    at(frame.left + x, frame.top + y) = kSurface;
        } else if (frame.disposal == 3) {
            surface_ = saved_;
        }
    }
    std::vector<int> greys(int left, int top, int width, int height) const
    {
        std::vector<int> result;
        for (int y = top; y < top + height; ++y)
            for (int x = left; x < left + width; ++x)
                result.push_back(greyOfRgb(surface_[static_cast<std::size_t>(y * width_ + x)]));
        return result;
    }

private:
    Rgb& at(int x, int y) { return surface_[static_cast<std::size_t>(y * width_ + x)]; }

    int width_;
    std::vector<Rgb> surface_;
    std::vector<Rgb> saved_;
};

TEST_F(Composition, MatchesAModelOfTheFramesIndices)
{
    // Four greys apart from one another and from the background's.
    const std::vector<Rgb> global = {0x000000, 0x444444, 0x888888, 0xBBBBBB};
    const std::vector<Rgb> local = {0x222222, 0x666666, 0x999999, 0xDDDDDD};
    constexpr int kWidth = 7, kHeight = 5;
    std::mt19937 random(20261208);
    auto pick = [&random](int below) { return static_cast<int>(random() % static_cast<unsigned>(below)); };
    for (const bool fullFrames : {false, true}) {
        picture.setOutputOptions({fullFrames, false, std::nullopt, std::nullopt, false});
        for (int animation = 0; animation < 30; ++animation) {
            std::vector<GifPictureFrame> frames;
            const int count = 2 + pick(7);
            for (int i = 0; i < count; ++i) {
                GifPictureFrame frame;
                frame.width = 1 + pick(kWidth);
                frame.height = 1 + pick(kHeight);
                frame.left = pick(kWidth - frame.width + 1);
                frame.top = pick(kHeight - frame.height + 1);
                frame.indices.resize(static_cast<std::size_t>(frame.width * frame.height));
                // Wider codes than the table needs reach indices past its end.
                frame.minCodeSize = pick(3) == 0 ? 3 : 0;
                for (std::uint8_t& index : frame.indices)
                    index = static_cast<std::uint8_t>(pick(frame.minCodeSize == 3 ? 6 : 4));
                frame.disposal = pick(4);
                frame.transparent = pick(5) - 1;  // -1: none
                frame.interlaced = pick(3) == 0;
                if (pick(3) == 0)
                    frame.localPalette = local;
                frames.push_back(std::move(frame));
            }
            const std::string name = "model" + std::to_string(animation) + (fullFrames ? "full" : "");
            SCOPED_TRACE(name);
            play(name + ".gif", makeGif(kWidth, kHeight, global, frames));
            CompositionModel model(kWidth, kHeight);
            for (int i = 0; i < count; ++i) {
                const GifPictureFrame& frame = frames[static_cast<std::size_t>(i)];
                model.draw(frame, global);
                const std::string dob = name + "-0" + std::to_string(i + 1) + ".dob";
                if (fullFrames)
                    EXPECT_EQ(greys(dob, kWidth * kHeight), model.greys(0, 0, kWidth, kHeight)) << dob;
                else
                    EXPECT_EQ(greys(dob, static_cast<std::size_t>(frame.width * frame.height)),
                              model.greys(frame.left, frame.top, frame.width, frame.height))
                            << dob;
                model.dispose(frame);
            }
        }
    }
}

TEST_F(Composition, TwelveFramesNumberedAndListed)
{
    std::vector<GifPictureFrame> frames;
    for (int i = 0; i < 12; ++i)
        frames.push_back(solidFrame(0, 0, 1, 1, static_cast<std::uint8_t>(i % 3), 75));
    play("anim.gif", makeGif(1, 1, kPalette, frames));
    std::string expected;
    for (int n = 1; n <= 12; ++n) {
        const std::string name = std::string("anim-") + (n <= 9 ? "0" : "") + std::to_string(n) + ".dob";
        EXPECT_TRUE(std::filesystem::exists(work / "adv" / name)) << name;
        expected += name + (n < 12 ? ",750\n" : ",1500\n\n");
    }
    EXPECT_EQ(playlistOf(work), expected);
    EXPECT_EQ(events.size(), 12u);
}

TEST_F(Composition, HundredthFrameHasThreeDigits)
{
    std::vector<GifPictureFrame> frames;
    for (int i = 0; i < 100; ++i)
        frames.push_back(solidFrame(0, 0, 1, 1, static_cast<std::uint8_t>(i % 2)));
    dir.write("advTimeSetting.ini", "[IntervalTime]\nDynamicGifLastPicPlayTime=2222\n");
    play("anim.gif", makeGif(1, 1, kPalette, frames));
    for (const char* name : {"anim-01.dob", "anim-09.dob", "anim-10.dob", "anim-99.dob", "anim-100.dob"})
        EXPECT_TRUE(std::filesystem::exists(work / "adv" / name)) << name;
    const std::string playlist = playlistOf(work);
    EXPECT_NE(playlist.find("anim-99.dob,500\nanim-100.dob,2222\n\n"), std::string::npos);
    EXPECT_EQ(std::count(playlist.begin(), playlist.end(), '\n'), 101);
}

TEST_F(Composition, DottedNamesReplacedInTheFileNameOnly)
{
    play("a.bmp.gif", makeGif(1, 1, kPalette, {solidFrame(0, 0, 1, 1, kB), solidFrame(0, 0, 1, 1, kW)}));
    play("b.bmp.gif", makeGif(1, 1, kPalette, {solidFrame(0, 0, 1, 1, kB)}));
    EXPECT_EQ(playlistOf(work), "a.dob-01.dob,500\na.dob-02.dob,1500\n\nb.dob.dob,3000\n\n");

    // A work directory whose name holds ".bmp" still receives its files.
    TempDir other;
    const auto dotted = makeWorkDirectory(other) / "my.bmp.files";
    std::filesystem::create_directories(dotted / "adv");
    AnimatedPicture inDotted(dotted);
    const auto file = other.write("logo.gif", [] {
        const Bytes b = makeGif(1, 1, kPalette, {solidFrame(0, 0, 1, 1, kB)});
        return std::string(b.begin(), b.end());
    }());
    ASSERT_TRUE(inDotted.LoadFile(file).ok());
    EXPECT_TRUE(inDotted.ShowPicture().stillWritten());
    EXPECT_TRUE(std::filesystem::exists(dotted / "adv" / "logo.dob"));
    EXPECT_EQ(playlistOf(dotted), "logo.dob,3000\n\n");
}

// Several frames walked, one decodes: it is a still picture at its place.
TEST_F(Composition, OneDecodableFrameIsAStillPicture)
{
    const Bytes gif = oneDecodableFrameGif(10);
    play("one.gif", gif);
    EXPECT_EQ(picture.CountAnimationFrames(), 0);
    EXPECT_EQ(shown.shown, Shown::Still);
    EXPECT_EQ(shown.outcome.status, Status::Ok);
    std::vector<int> expected(9, 0);
    expected[4] = greyOfRgb(0x7A9FC4);  // entry 1 of the builder's colour table
    EXPECT_EQ(greys("one.dob", 9), expected);
    EXPECT_EQ(playlistOf(work), "one.dob,3000\n\n");
}

TEST_F(Composition, DobThatCannotBeCreatedGetsNoLine)
{
    std::filesystem::create_directories(work / "adv" / "logo.dob");
    std::filesystem::create_directories(work / "adv" / "anim-02.dob");
    play("logo.gif", makeGif(1, 1, kPalette, {solidFrame(0, 0, 1, 1, kB)}));
    EXPECT_EQ(shown.shown, Shown::Still);
    EXPECT_EQ(shown.outcome.status, Status::CannotWrite);
    play("anim.gif",
         makeGif(1, 1, kPalette, {solidFrame(0, 0, 1, 1, kB), solidFrame(0, 0, 1, 1, kW), solidFrame(0, 0, 1, 1, kB)}));
    EXPECT_EQ(playlistOf(work), "anim-01.dob,500\nanim-03.dob,1500\n\n");
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].outcome.status, Status::CannotWrite);
    EXPECT_EQ(events[0].dobPath, work / "adv" / "logo.dob");
    EXPECT_EQ(events[1].outcome.status, Status::Ok);
    EXPECT_EQ(events[2].outcome.status, Status::CannotWrite);
    EXPECT_EQ(events[3].outcome.status, Status::Ok);
}

TEST_F(Composition, CaptureOutsideTheSurfaceReadsBackground)
{
    play("out.gif", makeGif(2, 2, kPalette, {solidFrame(0, 0, 2, 2, kW), solidFrame(1, 1, 2, 2, kB)}));
    EXPECT_EQ(greys("out-02.dob", 4),
              std::vector<int>({15, greyOfRgb(kSurface), greyOfRgb(kSurface), greyOfRgb(kSurface)}));
    // Wholly outside: all background.
    play("far.gif", makeGif(2, 2, kPalette, {solidFrame(0, 0, 2, 2, kB), solidFrame(5, 5, 1, 1, kB)}));
    EXPECT_EQ(greys("far-02.dob", 1), std::vector<int>{0});
}

TEST_F(Composition, LongNamesAndPaths)
{
    TempDir deep;
    auto folder = deep.path();
    for (int i = 0; i < 3; ++i)
        folder /= std::string(120, static_cast<char>('a' + i));
    std::filesystem::create_directories(folder / "adv");
    AnimatedPicture longPicture(folder);
    longPicture.setRealtime(false);
    const std::string name(240, 'n');
    const Bytes gif = makeGif(1, 1, kPalette, {solidFrame(0, 0, 1, 1, kB), solidFrame(0, 0, 1, 1, kW)});
    ASSERT_TRUE(longPicture.LoadFile(deep.write(name + ".gif", std::string(gif.begin(), gif.end()))).ok());
    longPicture.ShowPicture();
    longPicture.finishPass();
    EXPECT_TRUE(std::filesystem::exists(folder / "adv" / (name + "-02.dob")));
    EXPECT_EQ(playlistOf(folder), name + "-01.dob,500\n" + name + "-02.dob,1500\n\n");
}

}  // namespace
}  // namespace pelkora::picture
