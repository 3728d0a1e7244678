#pragma once
// The picture controls' submenu of the dialog's right-click menu.

#include <QMenu>

#include <functional>

#include "output/output_options.h"

namespace pelkora::dialog {

// Adds the submenu to menu; chosen is handed the options an item makes of
// the current ones.
void addPictureControlsMenu(QMenu& menu, const output::OutputOptions& options,
                            std::function<void(const output::OutputOptions&)> chosen);

}  // namespace pelkora::dialog
