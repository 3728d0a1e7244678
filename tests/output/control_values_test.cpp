// The picture controls' values as written on the command line and in the
// settings file.
#include "output/control_values.h"

#include <gtest/gtest.h>

namespace pelkora::output {
namespace {

TEST(ControlValues, FactorsAreTwoPlaceDecimalsFromATenthToTen)
{
    const struct {
        const char* text;
        std::optional<int> hundredths;
    } cases[] = {
            {"1", 100},
            {"1.8", 180},
            {"0.75", 75},
            {"10", 1000},
            {"0.1", 10},
            {"2.20", 220},
            {"0.05", std::nullopt},
            {"10.01", std::nullopt},
            {"1.234", std::nullopt},
            {"1.", std::nullopt},
            {".5", std::nullopt},
            {"-1", std::nullopt},
            {"1e2", std::nullopt},
            {"", std::nullopt},
            {"123", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseFactor(c.text), c.hundredths);
        if (c.hundredths) {
            EXPECT_EQ(parseFactor(factorText(*c.hundredths)), c.hundredths);
        }
    }
}

TEST(ControlValues, ColoursAreHexOrAFewNames)
{
    const struct {
        const char* text;
        std::optional<std::uint32_t> rgb;
    } cases[] = {
            {"#1a2B3c", 0x1A2B3C},   {"#000000", 0x000000},    {"white", 0xFFFFFF},      {"grey", 0x888888},
            {"gray", 0x888888},      {"#12345", std::nullopt}, {"123456", std::nullopt}, {"#12345g", std::nullopt},
            {"White", std::nullopt}, {"", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseColour(c.text), c.rgb);
        if (c.rgb) {
            EXPECT_EQ(parseColour(colourText(*c.rgb)), c.rgb);
        }
    }
}

}  // namespace
}  // namespace pelkora::output
