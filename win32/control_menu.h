#pragma once
// The picture controls' submenu of the Windows dialog's right-click menu.

#include <windows.h>

#include <optional>

#include "output/output_options.h"

namespace pelkora::win32 {

// Appends the submenu to menu; its items take the command ids from firstId on.
void appendPictureControlsMenu(HMENU menu, const output::OutputOptions& options, UINT firstId);

// The options the chosen command makes of options; nothing when the command
// is none of the submenu's.
std::optional<output::OutputOptions> pictureControlChosen(UINT chosen, const output::OutputOptions& options,
                                                          UINT firstId);

}  // namespace pelkora::win32
