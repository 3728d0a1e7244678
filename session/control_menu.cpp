#include "session/control_menu.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>

#include "output/control_values.h"

namespace pelkora::session {

namespace {

using output::OutputOptions;

// The factors a menu offers; a value set on the command line or by hand
// in the settings file is offered beside them.
constexpr std::array<int, 5> kGammas{50, 80, 100, 150, 220};
constexpr std::array<int, 5> kContrasts{50, 80, 100, 125, 150};

void addToggle(std::vector<ControlMenuItem>& items, std::string text, bool on, bool OutputOptions::*flag)
{
    items.push_back({"", std::move(text), on, false, [flag](OutputOptions& o) { o.*flag = !(o.*flag); }});
}

template <std::size_t N>
void addFactors(std::vector<ControlMenuItem>& items, const std::string& group, const std::array<int, N>& offered,
                int current, int OutputOptions::*field)
{
    std::vector<int> values(offered.begin(), offered.end());
    if (std::find(values.begin(), values.end(), current) == values.end())
        values.push_back(current);
    for (int value : values) {
        std::string text = output::factorText(value) + (value == output::kUnchanged ? " (unchanged)" : "");
        items.push_back({group, std::move(text), value == current, true,
                         [field, value](OutputOptions& o) { o.*field = value; }});
    }
}

void addDitherKinds(std::vector<ControlMenuItem>& items, const OutputOptions& options)
{
    const std::pair<output::DitherKind, const char*> kinds[] = {
            {output::DitherKind::FloydSteinberg, "Floyd-Steinberg"},
            {output::DitherKind::Atkinson, "Atkinson"},
            {output::DitherKind::Ordered, "Ordered (4x4 pattern)"},
    };
    for (const auto& [kind, text] : kinds) {
        items.push_back({"Dither kind", text, options.ditherKind == kind, true,
                         [chosen = kind](OutputOptions& o) { o.ditherKind = chosen; }});
    }
}

void addBackgrounds(std::vector<ControlMenuItem>& items, const OutputOptions& options)
{
    std::vector<std::pair<std::optional<std::uint32_t>, std::string>> colours = {
            {std::nullopt, "Surface colour (unchanged)"}, {0xFFFFFF, "White"}, {0x000000, "Black"}, {0x888888, "Grey"}};
    if (options.background && *options.background != 0xFFFFFF && *options.background != 0
        && *options.background != 0x888888)
        colours.emplace_back(options.background, output::colourText(*options.background));
    for (const auto& [colour, text] : colours) {
        items.push_back({"Background", text, options.background == colour, true,
                         [chosen = colour](OutputOptions& o) { o.background = chosen; }});
    }
}

}  // namespace

std::vector<ControlMenuItem> pictureControlItems(const OutputOptions& options)
{
    std::vector<ControlMenuItem> items;
    addToggle(items, "Fill the screen (crop; with Fit)", options.fill, &OutputOptions::fill);
    items.push_back({"", "Grey by the eye (luma, BT.601)", options.grey == output::GreyWeights::Luma, false,
                     [](OutputOptions& o) {
                         o.grey = o.grey == output::GreyWeights::Luma ? output::GreyWeights::Device
                                                                      : output::GreyWeights::Luma;
                     }});
    addToggle(items, "Levels auto", options.levelsAuto, &OutputOptions::levelsAuto);
    addToggle(items, "Invert", options.invert, &OutputOptions::invert);
    addFactors(items, "Gamma", kGammas, options.gamma, &OutputOptions::gamma);
    addFactors(items, "Contrast", kContrasts, options.contrast, &OutputOptions::contrast);
    addDitherKinds(items, options);
    addBackgrounds(items, options);
    return items;
}

}  // namespace pelkora::session
