#include "session/settings_text.h"

#include <optional>

#include "session/control_settings.h"

namespace pelkora::session {

namespace {

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

void apply(std::string_view key, std::string_view value, DialogSettings& settings, bool& fit)
{
    const std::optional<bool> flag = settingFlag(value);
    if (applyControlSetting(key, value, settings.output))
        return;
    if (key == "FitSize") {
        if (const auto size = output::parseFitSize(value))
            settings.fitSize = *size;
    } else if (key == "Screen") {
        settings.output.screen = output::parseFitSize(value);
    } else if (key == "Center" && flag) {
        settings.output.center = *flag;
    } else if (!flag) {
        return;
    } else if (key == "FullFrames") {
        settings.output.fullFrames = *flag;
    } else if (key == "Dither") {
        settings.output.dither = *flag;
    } else if (key == "DeviceView") {
        settings.deviceView = *flag;
    } else if (key == "Fit") {
        fit = *flag;
    } else if (key == "ReplaceEarlier") {
        settings.replaceEarlier = *flag;
    } else if (key == "WrapWords") {
        settings.wrapWords = *flag;
    } else if (key == "KeepPrevious") {
        settings.keepPrevious = *flag;
    }
}

}  // namespace

DialogSettings dialogSettingsFromIni(std::string_view text)
{
    DialogSettings settings;
    bool fit = false;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const auto equals = line.find('=');
        if (line.empty() || line.front() == '[' || line.front() == ';' || equals == std::string_view::npos)
            continue;
        apply(trimmed(line.substr(0, equals)), trimmed(line.substr(equals + 1)), settings, fit);
    }
    // The size is known only once every line is read.
    if (fit)
        settings.output.fit = settings.fitSize;
    settings.output.center = settings.output.center && settings.output.screen;
    return settings;
}

std::string iniOfDialogSettings(const DialogSettings& settings)
{
    std::string text = "[General]\n";
    text += std::string("Center=") + settingText(settings.output.center) + "\n";
    text += std::string("DeviceView=") + settingText(settings.deviceView) + "\n";
    text += std::string("Dither=") + settingText(settings.output.dither) + "\n";
    text += std::string("Fit=") + settingText(settings.output.fit.has_value()) + "\n";
    text += "FitSize=" + output::sizeText(settings.output.fit.value_or(settings.fitSize)) + "\n";
    text += std::string("FullFrames=") + settingText(settings.output.fullFrames) + "\n";
    // Set by hand only; the whole file is written again, so it must go along.
    if (!settings.keepPrevious)
        text += "KeepPrevious=false\n";
    text += std::string("ReplaceEarlier=") + settingText(settings.replaceEarlier) + "\n";
    if (settings.output.screen)
        text += "Screen=" + output::sizeText(*settings.output.screen) + "\n";
    text += std::string("WrapWords=") + settingText(settings.wrapWords) + "\n";
    for (const auto& [key, value] : controlSettings(settings.output))
        text += key + "=" + value + "\n";
    return text;
}

}  // namespace pelkora::session
