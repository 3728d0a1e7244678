// The public GIF conformance suite: every case loads and plays without a
// crash or a hang, and where the suite's expected frames and this system's
// rules agree, every DOB file equals the expected frame flattened onto the
// surface colour, cut to the frame's rectangle and turned grey.
#include "picture/animated_picture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "gif/frame_walker.h"
#include "support/gif_suite.h"
#include "support/picture_fixtures.h"
#include "support/temp_dir.h"

namespace pelkora::picture {
namespace {

using namespace pelkora::testing;
namespace fs = std::filesystem;

const fs::path& kSuite = kGifSuite;

// Cases where this system differs from a viewer on purpose; they are still
// loaded and played, only not compared.
const std::map<std::string, std::string> kNotCompared = {
        {"images-combine", "the suite shows four images as one frame; each image is a file of its own here"},
        {"images-overlap", "the suite shows two images as one frame; each image is a file of its own here"},
        {"animation-multi-image", "images without delays are one displayed frame there, a file each here"},
        {"animation-multi-image-explicit-zero-delay", "as animation-multi-image"},
        {"high-color", "the suite shows many images as one frame; each image is a file of its own here"},
        {"dispose-restore-previous", "a first image without delay joins the next frame there, a file of its own here"},
        {"no-data", "a GIF without any image is refused here (no frame to write)"},
        {"max-size", "a 65535 x 65535 screen is refused (256 MiB surface limit)"},
        {"image-zero-width", "an image of width 0 does not decode; the load is refused"},
        {"image-zero-height", "an image of height 0 does not decode; the load is refused"},
        {"image-zero-size", "an image of size 0 does not decode; the load is refused"},
};

std::map<std::string, std::map<std::string, std::string>> readConf(const fs::path& file)
{
    std::map<std::string, std::map<std::string, std::string>> sections;
    std::ifstream in(file);
    std::string line, section;
    auto trim = [](std::string s) {
        const auto b = s.find_first_not_of(" \t\r");
        const auto e = s.find_last_not_of(" \t\r");
        return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
    };
    while (std::getline(in, line)) {
        line = trim(line);
        if (line.empty() || line[0] == '#')
            continue;
        if (line.front() == '[') {
            section = line.substr(1, line.size() - 2);
            continue;
        }
        const auto eq = line.find('=');
        if (eq != std::string::npos)
            sections[section][trim(line.substr(0, eq))] = trim(line.substr(eq + 1));
    }
    return sections;
}

std::vector<std::string> splitList(const std::string& text)
{
    std::vector<std::string> items;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, ',');)
        if (!item.empty())
            items.push_back(item);
    return items;
}

struct Rect {
    int left, top, width, height;
};

// The rectangles of the frames as the walker finds them.
std::vector<Rect> frameRects(const Bytes& gif)
{
    std::vector<Rect> rects;
    for (const gif::GifFrame& frame : gif::walkFrames(gif.data(), gif.size()))
        rects.push_back({frame.rect.left, frame.rect.top, frame.rect.width, frame.rect.height});
    return rects;
}

// Expected greys of a rectangle of an RGBA canvas flattened onto 0xF0F0F0.
std::vector<int> expectedGreys(const std::string& rgba, int width, int height, const Rect& rect)
{
    std::vector<int> greys;
    for (int y = rect.top; y < rect.top + rect.height; ++y) {
        for (int x = rect.left; x < rect.left + rect.width; ++x) {
            Rgb colour = 0xF0F0F0;
            if (x < width && y < height) {
                const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 4;
                const auto channel = [&](int i) { return static_cast<std::uint8_t>(rgba[at + i]); };
                const int alpha = channel(3);
                Rgb blended = 0;
                for (int c = 0; c < 3; ++c) {
                    const int value = (channel(c) * alpha + 0xF0 * (255 - alpha) + 127) / 255;
                    blended = (blended << 8) | static_cast<Rgb>(value);
                }
                colour = blended;
            }
            greys.push_back(greyOfRgb(colour));
        }
    }
    return greys;
}

// Loads and plays one case; compares its DOB files when the case is one
// that this system writes as the suite expects. True when compared.
bool checkCase(const std::string& name)
{
    auto conf = readConf(kSuite / (name + ".conf"));
    const auto& config = conf["config"];
    const fs::path input = kSuite / config.at("input");
    const std::string text = TempDir::read(input);
    const Bytes gif(text.begin(), text.end());

    TempDir dir;
    const auto work = makeWorkDirectory(dir);
    AnimatedPicture picture(work);
    picture.setRealtime(false);
    const LoadOutcome loaded = picture.LoadFile(input);
    picture.ShowPicture();
    picture.finishPass();

    const auto expectedFrames = splitList(config.count("frames") ? config.at("frames") : "");
    if (expectedFrames.empty() || kNotCompared.count(name))
        return false;
    EXPECT_TRUE(loaded.ok()) << loaded.reason();
    const int width = std::stoi(config.at("width"));
    const int height = std::stoi(config.at("height"));
    const int animated = picture.CountAnimationFrames();
    const std::size_t written = animated == 0 ? 1u : static_cast<std::size_t>(animated);
    EXPECT_EQ(written, expectedFrames.size());
    const std::vector<Rect> rects = animated == 0 ? std::vector<Rect>{{0, 0, width, height}} : frameRects(gif);
    if (!loaded.ok() || written != expectedFrames.size() || rects.size() != written)
        return false;
    const std::string base = input.stem().string();
    for (std::size_t k = 0; k < expectedFrames.size(); ++k) {
        const std::string rgba = TempDir::read(kSuite / conf[expectedFrames[k]].at("pixels"));
        EXPECT_EQ(rgba.size(), static_cast<std::size_t>(width) * height * 4);
        std::string dobName = base + ".dob";
        if (animated != 0)
            dobName = base + (k < 9 ? "-0" : "-") + std::to_string(k + 1) + ".dob";
        const Rect& r = rects[k];
        const auto dob = readDob(work / "adv" / dobName, static_cast<std::size_t>(r.width) * r.height);
        EXPECT_TRUE(dob) << dobName;
        if (dob && rgba.size() == static_cast<std::size_t>(width) * height * 4) {
            EXPECT_EQ(dob->greys, expectedGreys(rgba, width, height, r)) << dobName;
        }
    }
    return true;
}

TEST(GifConformance, SuiteFramesMatchTheDobFiles)
{
    ASSERT_TRUE(fs::is_directory(kSuite)) << "no conformance suite at " << kSuite;
    const auto names = gifSuiteCases();
    ASSERT_FALSE(names.empty());
    int compared = 0;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        compared += checkCase(name);
    }
    EXPECT_GT(compared, 50);
}

}  // namespace
}  // namespace pelkora::picture
