#pragma once
// The dialog's settings as the text of its INI file, for a front end that
// keeps the file itself: the keys and values a Qt settings file holds, so
// that either dialog reads what the other wrote.

#include <string>
#include <string_view>

#include "session/dialog_settings.h"

namespace pelkora::session {

// A missing, unknown or unreadable value is its default; the section a key
// stands in does not matter.
DialogSettings dialogSettingsFromIni(std::string_view text);
std::string iniOfDialogSettings(const DialogSettings& settings);

}  // namespace pelkora::session
