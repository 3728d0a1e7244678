#pragma once
// The picture controls as the dialogs' settings file keeps them, one key
// each, so that both dialogs (and a hand edit) read them alike.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "output/output_options.h"

namespace pelkora::session {

// A switch as the settings file writes it ("true"/"false"; "1"/"0" read too);
// nothing for any other text.
std::optional<bool> settingFlag(std::string_view value);
const char* settingText(bool flag);

// Every control's key and its value as text, defaults included.
std::vector<std::pair<std::string, std::string>> controlSettings(const output::OutputOptions& options);

// Takes one key's value into options; false when the key is no control's.
// An unreadable value leaves the control as it was.
bool applyControlSetting(std::string_view key, std::string_view value, output::OutputOptions& options);

}  // namespace pelkora::session
