// The platform's picture reader, whichever system it is, gives the same
// pixels for the same PNG: 16-bit samples rounded to the nearest 8-bit
// value, every transparent form flattened by the one blend, and a size too
// large refused from the header.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "decoders/still_decoder.h"
#include "support/png_builder.h"

namespace {

using pelkora::Pixel;
using pelkora::Status;
using pelkora::decoders::DecodeStill;
using pelkora::decoders::StillRequest;
using pelkora::testing::buildPng;
using pelkora::testing::PngRecipe;

constexpr Pixel kUnder = 0xFF336699;

struct PlatformCase {
    const char* name;
    PngRecipe recipe;
    Status status;
    std::vector<Pixel> pixels;  // the first row, when decoded
};

std::vector<std::uint8_t> cutShort(std::vector<std::uint8_t> bytes)
{
    bytes.resize(20);  // the signature and half of the header chunk
    return bytes;
}

TEST(PlatformDecoderTest, PngFormsDecodeToTheSamePixels)
{
    const PlatformCase cases[] = {
            {"8-bit RGB as it stands", {2, 1, 8, 2, {}, {}, {0x12, 0x34, 0x56, 0xFE, 0x01, 0x80}},
             Status::Ok, {0xFF123456, 0xFFFE0180}},
            {"8-bit alpha blended over the colour asked for",
             {3, 1, 8, 6, {}, {}, {0xFF, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0xFF, 0, 0xFF, 0x80}},
             Status::Ok, {0xFFFF0000, kUnder, 0xFF9933CC}},
            // 0x12F0 is 18.86 in 8 bits and 0x00C0 is 0.75: rounded, not cut.
            {"16-bit samples rounded to the nearest", {1, 1, 16, 2, {}, {}, {0x12, 0xF0, 0x00, 0xC0, 0xA0, 0xF0}},
             Status::Ok, {0xFF1301A0}},
            {"16-bit grey and alpha rounded, then blended",
             {2, 1, 16, 4, {}, {}, {0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xC0, 0xC0}},
             Status::Ok, {kUnder, 0xFF0D1926}},
            {"palette transparency blended",
             {2, 1, 8, 3, {0x10, 0x20, 0x30, 0xFF, 0xFF, 0xFF}, {0xFF, 0x00}, {0, 1}},
             Status::Ok, {0xFF102030, kUnder}},
            {"a size past the limit refused from the header", {100000, 100000, 8, 2, {}, {}, {}},
             Status::SurfaceTooLarge, {}},
    };
    StillRequest request;
    request.surfaceBytes = std::uint64_t{64} << 20;
    request.underneath = kUnder;
    for (const PlatformCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t> bytes = buildPng(c.recipe);
        const auto decoded = DecodeStill(bytes.data(), bytes.size(), request);
        ASSERT_EQ(decoded.status, c.status) << decoded.reason;
        if (c.status != Status::Ok)
            continue;
        ASSERT_EQ(decoded.image.width(), static_cast<int>(c.recipe.width));
        ASSERT_EQ(decoded.image.height(), static_cast<int>(c.recipe.height));
        const std::vector<Pixel> row(decoded.image.row(0), decoded.image.row(0) + decoded.image.width());
        EXPECT_EQ(row, c.pixels);
    }
}

TEST(PlatformDecoderTest, ACutPngIsABrokenPictureWithItsReason)
{
    const std::vector<std::uint8_t> bytes = cutShort(buildPng({2, 2, 8, 2, {}, {}, std::vector<std::uint8_t>(12, 7)}));
    StillRequest request;
    request.surfaceBytes = std::uint64_t{64} << 20;
    const auto decoded = DecodeStill(bytes.data(), bytes.size(), request);
    EXPECT_EQ(decoded.status, Status::BrokenPicture);
    EXPECT_FALSE(decoded.reason.empty());
}

}  // namespace
