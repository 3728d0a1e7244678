// The loader on its own: what it makes of each kind of input, that it keeps
// nothing between calls (so threads may load side by side), and what the
// control's ShowPicture then says it did.
#include "picture/picture_loader.h"

#include <gtest/gtest.h>

#include <thread>

#include "picture/animated_picture.h"
#include "support/encoded_picture.h"
#include "support/gif_builder.h"
#include "support/picture_fixtures.h"
#include "support/temp_dir.h"

namespace pelkora::picture {
namespace {

using namespace pelkora::testing;

std::string asText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

LoadResult loadText(const std::string& bytes, const LoadLimits& limits = {})
{
    return LoadPictureBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), limits);
}

const std::vector<Rgb> kPalette = {0x000000, 0xFFFFFF};

TEST(Loader, WhatEachKindOfInputBecomes)
{
    LoadLimits small;
    small.surfaceBytes = 4 * 8 * 8;
    const struct Case {
        const char* name;
        std::string bytes;
        LoadLimits limits;
        Status status;
        bool isGif;
        std::optional<int> width, height;
        bool still;
        std::size_t frames;
        std::optional<int> displayTime;
    } cases[] = {
            {"bmp", asText(makeBmp(5, 3, std::vector<Rgb>(15, 0x336699))), {}, Status::Ok, false, 5, 3, true, 0, {}},
            {"one-frame gif",
             asText(makeGif(4, 4, kPalette, {solidFrame(1, 2, 2, 1, 1, 30)})),
             {},
             Status::Ok,
             true,
             4,
             4,
             true,
             0,
             {}},
            {"animation",
             asText(makeGif(3, 2, kPalette, {solidFrame(0, 0, 3, 2, 0, 10), solidFrame(0, 0, 1, 1, 1, 80)})),
             {},
             Status::Ok,
             true,
             3,
             2,
             false,
             2,
             800},
            {"animation of one frame that decodes",
             asText(oneDecodableFrameGif(90)),
             {},
             Status::Ok,
             true,
             3,
             3,
             true,
             0,
             900},
            {"gif screen over the limit",
             asText(makeGif(9, 9, kPalette, {solidFrame(0, 0, 1, 1, 1)})),
             small,
             Status::SurfaceTooLarge,
             true,
             9,
             9,
             false,
             0,
             {}},
            {"bmp over the limit",
             asText(makeBmp(9, 9, std::vector<Rgb>(81, 0))),
             small,
             Status::SurfaceTooLarge,
             false,
             {},
             {},
             false,
             0,
             {}},
            {"text", "plain words\n", {}, Status::NotAPicture, false, {}, {}, false, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LoadResult result = loadText(c.bytes, c.limits);
        EXPECT_TRUE(result.decoded);
        EXPECT_FALSE(result.baseName);
        EXPECT_EQ(result.outcome.status(), c.status) << result.outcome.reason();
        EXPECT_EQ(result.picture.isGif, c.isGif);
        EXPECT_EQ(result.picture.width, c.width);
        EXPECT_EQ(result.picture.height, c.height);
        EXPECT_EQ(result.picture.still.has_value(), c.still);
        EXPECT_EQ(result.picture.frames.size(), c.frames);
        EXPECT_EQ(result.picture.isAnimation(), c.frames >= 2);
        EXPECT_EQ(result.picture.frameDisplayTime, c.displayTime);
        EXPECT_EQ(result.picture.backgroundColor, c.status == Status::Ok ? 0xF0F0F0u : 0xFFFFFFu);
    }
}

TEST(Loader, FromAFileKeepsItsNameEvenWhenNotRead)
{
    TempDir dir;
    const struct {
        std::filesystem::path path;
        Status status;
        bool decoded;
        const char* baseName;
    } cases[] = {
            {dir.write("logo.final.bmp", asText(makeBmp(1, 1, {0}))), Status::Ok, true, "logo.final"},
            {dir.write("empty.gif", ""), Status::NotAPicture, false, "empty"},
            {dir / "missing.bmp", Status::CantFindFile, false, "missing"},
            {dir.write("notes", "words"), Status::NotAPicture, true, "notes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.string());
        const LoadResult result = LoadPictureFile(c.path, LoadLimits{});
        EXPECT_EQ(result.outcome.status(), c.status);
        EXPECT_EQ(result.decoded, c.decoded);
        EXPECT_EQ(result.baseName, std::optional<std::string>(c.baseName));
    }
}

// Every load on many threads at once says and makes what it does alone:
// no message, reason or pixel wanders from one decode to another.
TEST(Loader, ThreadsLoadingSideBySideGetWhatOneThreadGets)
{
    std::string png = encodedPicture("png", 240, 180, QColor(10, 200, 30));
    std::string damagedPng = png;
    damagedPng[png.size() - 20] = static_cast<char>(damagedPng[png.size() - 20] ^ 0x55);
    const std::string bmp = asText(makeBmp(7, 5, std::vector<Rgb>(35, 0x804020)));
    const std::vector<std::string> inputs = {
            png,
            damagedPng,
            bmp,
            bmp.substr(0, bmp.size() - 1),
            png.substr(0, png.size() / 2),
            asText(makeGif(3, 2, kPalette, {solidFrame(0, 0, 3, 2, 0, 10), solidFrame(1, 1, 1, 1, 1, 20)})),
            "just a text\n",
    };
    struct Seen {
        Status status;
        std::string reason;
        std::vector<std::string> messages;
        std::vector<std::uint32_t> picture;  // its width, its height, then its pixels
        std::vector<std::size_t> frames;
        bool operator==(const Seen&) const = default;
    };
    auto see = [](const std::string& bytes) {
        LoadResult result = loadText(bytes);
        std::vector<std::uint32_t> picture;
        if (result.picture.still) {
            const Image& image = *result.picture.still->image;
            picture = {static_cast<std::uint32_t>(image.width()), static_cast<std::uint32_t>(image.height())};
            for (int y = 0; y < image.height(); ++y)
                picture.insert(picture.end(), image.row(y), image.row(y) + image.width());
        }
        // An animation keeps no picture per frame: where each image lies stands for it.
        std::vector<std::size_t> layout;
        for (const FrameRecord& frame : result.picture.frames) {
            const gif::GifFrame& f = frame.frame;
            for (int side : {f.rect.left, f.rect.top, f.rect.width, f.rect.height, f.delay})
                layout.push_back(static_cast<std::size_t>(side));
            layout.push_back(frame.frame.offset);
            layout.push_back(frame.source ? frame.source->size() : 0);
        }
        return Seen{result.outcome.status(), result.outcome.reason(), result.outcome.messages, picture, layout};
    };
    std::vector<Seen> alone;
    for (const std::string& input : inputs)
        alone.push_back(see(input));
    EXPECT_EQ(alone[1].status, Status::BrokenPicture);
    EXPECT_GT(alone[1].reason.size(), std::string(statusText(Status::BrokenPicture)).size());

    constexpr int kThreads = 4;
    constexpr int kRounds = 12;
    std::vector<std::vector<Seen>> together(kThreads);
    ::testing::internal::CaptureStderr();
    {
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                for (int round = 0; round < kRounds; ++round)
                    for (std::size_t i = 0; i < inputs.size(); ++i)
                        together[t].push_back(see(inputs[(i + static_cast<std::size_t>(t)) % inputs.size()]));
            });
        }
        for (std::thread& thread : threads)
            thread.join();
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(together[t].size(), inputs.size() * kRounds);
        for (std::size_t k = 0; k < together[t].size(); ++k) {
            const std::size_t input = (k % inputs.size() + static_cast<std::size_t>(t)) % inputs.size();
            EXPECT_TRUE(together[t][k] == alone[input])
                    << "thread " << t << ", input " << input << ": " << together[t][k].reason;
        }
    }
}

TEST(ShowPicture, SaysWhatItDid)
{
    TempDir dir;
    const auto work = makeWorkDirectory(dir);
    const auto still = dir.write("still.gif", asText(makeGif(1, 1, kPalette, {solidFrame(0, 0, 1, 1, 1)})));
    const auto animation = dir.write(
            "anim.gif", asText(makeGif(1, 1, kPalette, {solidFrame(0, 0, 1, 1, 1), solidFrame(0, 0, 1, 1, 0)})));
    const auto text = dir.write("words.gif", "no picture");
    const auto blocked = dir.write("blocked.gif", asText(makeGif(1, 1, kPalette, {solidFrame(0, 0, 1, 1, 0)})));
    std::filesystem::create_directories(work / "adv" / "blocked.dob");
    const struct {
        std::optional<std::filesystem::path> load;
        Shown shown;
        Status status;
    } cases[] = {
            {std::nullopt, Shown::Nothing, Status::EmptySurface},
            {still, Shown::Still, Status::Ok},
            {animation, Shown::Animation, Status::Ok},
            {text, Shown::Nothing, Status::EmptySurface},
            {blocked, Shown::Still, Status::CannotWrite},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.load ? c.load->string() : "nothing loaded");
        AnimatedPicture picture(work);
        picture.setRealtime(false);
        if (c.load)
            picture.LoadFile(*c.load);
        const ShowResult result = picture.ShowPicture();
        picture.finishPass();
        EXPECT_EQ(result.shown, c.shown);
        EXPECT_EQ(result.outcome.status, c.status);
        EXPECT_EQ(result.stillWritten(), c.shown == Shown::Still && c.status == Status::Ok);
    }
    EXPECT_EQ(playlistOf(work), "still.dob,3000\n\nanim-01.dob,500\nanim-02.dob,1500\n\n");
}

}  // namespace
}  // namespace pelkora::picture
