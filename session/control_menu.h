#pragma once
// The picture controls as the dialogs' right-click menus offer them: one
// list of items that both dialogs lay out in their own toolkit, so that they
// offer the same choices under the same names.

#include <functional>
#include <string>
#include <vector>

#include "output/output_options.h"

namespace pelkora::session {

struct ControlMenuItem {
    std::string group;  // the submenu it lies in; empty: the controls' menu itself
    std::string text;
    bool checked = false;
    bool exclusive = false;  // one of a group's choices, as a radio button
    // What choosing it does to the options: a toggle flips, a choice sets.
    std::function<void(output::OutputOptions&)> choose;
};

inline constexpr const char* kControlsMenuText = "Picture controls";

std::vector<ControlMenuItem> pictureControlItems(const output::OutputOptions& options);

}  // namespace pelkora::session
