#include "session/control_settings.h"

#include <optional>

#include "output/control_values.h"

namespace pelkora::session {

std::optional<bool> settingFlag(std::string_view value)
{
    if (value == "true" || value == "1")
        return true;
    if (value == "false" || value == "0")
        return false;
    return std::nullopt;
}

const char* settingText(bool flag) { return flag ? "true" : "false"; }

namespace {

void takeFlag(std::string_view value, bool& into)
{
    if (const auto flag = settingFlag(value))
        into = *flag;
}

void takeFactor(std::string_view value, int& into)
{
    if (const auto factor = output::parseFactor(value))
        into = *factor;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> controlSettings(const output::OutputOptions& options)
{
    return {
            {"Background", options.background ? output::colourText(*options.background) : ""},
            {"Contrast", output::factorText(options.contrast)},
            {"DitherKind", output::ditherKindText(options.ditherKind)},
            {"Fill", settingText(options.fill)},
            {"Gamma", output::factorText(options.gamma)},
            {"Grey", output::greyWeightsText(options.grey)},
            {"Invert", settingText(options.invert)},
            {"LevelsAuto", settingText(options.levelsAuto)},
    };
}

bool applyControlSetting(std::string_view key, std::string_view value, output::OutputOptions& options)
{
    if (key == "Background") {
        // Empty: the dialog's own surface colour.
        options.background = value.empty() ? std::nullopt : output::parseColour(value);
    } else if (key == "Contrast") {
        takeFactor(value, options.contrast);
    } else if (key == "DitherKind") {
        options.ditherKind = output::parseDitherKind(value).value_or(options.ditherKind);
    } else if (key == "Fill") {
        takeFlag(value, options.fill);
    } else if (key == "Gamma") {
        takeFactor(value, options.gamma);
    } else if (key == "Grey") {
        options.grey = output::parseGreyWeights(value).value_or(options.grey);
    } else if (key == "Invert") {
        takeFlag(value, options.invert);
    } else if (key == "LevelsAuto") {
        takeFlag(value, options.levelsAuto);
    } else {
        return false;
    }
    return true;
}

}  // namespace pelkora::session
