#pragma once
// Where the dialog's settings live between runs: an INI file under the
// user's configuration folder.

#include "session/dialog_settings.h"

namespace pelkora::dialog {

// A missing or unreadable value is its default; a settings file that is
// not a regular file (a pipe, a device) is neither read nor written.
session::DialogSettings loadDialogSettings();
void saveDialogSettings(const session::DialogSettings& settings);

}  // namespace pelkora::dialog
