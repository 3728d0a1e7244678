#include "win32/control_menu.h"

#include <map>
#include <string>
#include <vector>

#include "session/control_menu.h"
#include "win32/dialog_parts.h"

namespace pelkora::win32 {

void appendPictureControlsMenu(HMENU menu, const output::OutputOptions& options, UINT firstId)
{
    HMENU controls = CreatePopupMenu();
    std::map<std::string, HMENU> groups{{"", controls}};
    std::vector<std::string> order;
    const std::vector<session::ControlMenuItem> items = session::pictureControlItems(options);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const session::ControlMenuItem& item = items[i];
        HMENU& into = groups[item.group];
        if (into == nullptr) {
            into = CreatePopupMenu();
            order.push_back(item.group);
        }
        AppendMenuW(into, MF_STRING | (item.checked ? MF_CHECKED : MF_UNCHECKED), firstId + static_cast<UINT>(i),
                    wide(item.text).c_str());
    }
    // The submenus after the toggles, in the order their first item came.
    for (const std::string& group : order)
        AppendMenuW(controls, MF_POPUP, reinterpret_cast<UINT_PTR>(groups[group]), wide(group).c_str());
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(controls), wide(session::kControlsMenuText).c_str());
}

std::optional<output::OutputOptions> pictureControlChosen(UINT chosen, const output::OutputOptions& options,
                                                          UINT firstId)
{
    const std::vector<session::ControlMenuItem> items = session::pictureControlItems(options);
    if (chosen < firstId || chosen - firstId >= items.size())
        return std::nullopt;
    output::OutputOptions wanted = options;
    items[chosen - firstId].choose(wanted);
    return wanted;
}

}  // namespace pelkora::win32
