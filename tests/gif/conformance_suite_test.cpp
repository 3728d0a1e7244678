// Walks every file of the public GIF conformance suite, whole and cut
// short: a robustness check of the block walk, not of decoding.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "gif/gif_info.h"
#include "scan_passes.h"
#include "support/gif_suite.h"

namespace pelkora::gif {
namespace {

using namespace pelkora::gif::testing;

const std::filesystem::path& kSuite = pelkora::testing::kGifSuite;

// Both passes agree, and every stream cut is well formed.
void walk(const Bytes& data)
{
    const std::optional<int> gct = gctOf(data);
    if (!gct) {
        EXPECT_TRUE(walkFrames(data.data(), data.size()).empty());
        return;
    }
    const int counted = countPass(data, *gct);
    const auto frames = extractPass(data, *gct);
    EXPECT_EQ(counted, static_cast<int>(frames.size()));
    expectStreamsWellFormed(data, *gct, frames);
}

class GifConformanceSuite : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::filesystem::exists(kSuite / "TESTS")) << "no conformance suite at " << kSuite;
        names = pelkora::testing::gifSuiteCases();
        ASSERT_FALSE(names.empty());
    }
    std::vector<std::string> names;
};

TEST_F(GifConformanceSuite, EveryFileWalksWholeAndCutShort)
{
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const Bytes data = readFile((kSuite / (name + ".gif")).string());
        ASSERT_FALSE(data.empty());
        ASSERT_TRUE(HasGifSignature(data.data(), data.size()));
        walk(data);
        const std::size_t step = data.size() / 61 + 1;
        for (std::size_t keep = 0; keep < data.size(); keep += step) {
            SCOPED_TRACE(keep);
            walk(Bytes(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(keep)));
        }
    }
}

// The suite documents these as four frames of one image each.
TEST_F(GifConformanceSuite, FourFrameAnimationsCountFour)
{
    for (const char* name : {"animation", "animation-speed", "animation-no-delays", "animation-zero-delays",
                             "dispose-none", "dispose-keep", "dispose-restore-background"}) {
        SCOPED_TRACE(name);
        const Bytes data = readFile((kSuite / (std::string(name) + ".gif")).string());
        const std::optional<int> gct = gctOf(data);
        ASSERT_TRUE(gct);
        EXPECT_EQ(countPass(data, *gct), 4);
    }
}

TEST_F(GifConformanceSuite, DelaysAsTheSuiteStatesThem)
{
    const Bytes data = readFile((kSuite / "animation-speed.gif").string());
    const std::optional<int> gct = gctOf(data);
    ASSERT_TRUE(gct);
    const auto frames = extractPass(data, *gct);
    ASSERT_EQ(frames.size(), 4u);
    const int delays[] = {25, 50, 100, 200};
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(frames[i].delay, delays[i]);
}

}  // namespace
}  // namespace pelkora::gif
