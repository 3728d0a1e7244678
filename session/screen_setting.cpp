#include "session/screen_setting.h"

namespace pelkora::session {

namespace {

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::optional<DialogSettings> withScreenAnswer(const DialogSettings& settings, std::string_view answer)
{
    DialogSettings changed = settings;
    answer = trimmed(answer);
    if (answer.empty()) {
        changed.output.screen.reset();
        changed.output.center = false;
        return changed;
    }
    const std::optional<output::Size> screen = output::parseFitSize(answer);
    if (!screen)
        return std::nullopt;
    changed.output.screen = screen;
    changed.fitSize = *screen;
    if (changed.output.fit)
        changed.output.fit = screen;
    return changed;
}

std::string screenAnswerText(const DialogSettings& settings)
{
    return settings.output.screen ? output::sizeText(*settings.output.screen) : std::string();
}

std::string screenItemText(const DialogSettings& settings)
{
    return "Screen size..." + (settings.output.screen ? " (" + output::sizeText(*settings.output.screen) + ")" : "");
}

}  // namespace pelkora::session
