#pragma once
// The dialog's "Screen size..." item, without a toolkit: what the user typed
// becomes the remembered screen, and the fit size follows it, as --fit
// without a size fits to --screen.

#include <optional>
#include <string>
#include <string_view>

#include "session/dialog_settings.h"

namespace pelkora::session {

// "WxH" (each side 1 to 255) sets the screen; an empty answer forgets it,
// and centring with it. Nothing for any other answer.
std::optional<DialogSettings> withScreenAnswer(const DialogSettings& settings, std::string_view answer);

// What the item's box shows at first: the screen, or nothing.
std::string screenAnswerText(const DialogSettings& settings);

// The menu item's words: "Screen size... (128x64)".
std::string screenItemText(const DialogSettings& settings);

}  // namespace pelkora::session
