#include "qt/control_menu.h"

#include <QActionGroup>

#include <map>
#include <string>
#include <utility>

#include "session/control_menu.h"

namespace pelkora::dialog {

void addPictureControlsMenu(QMenu& menu, const output::OutputOptions& options,
                            std::function<void(const output::OutputOptions&)> chosen)
{
    QMenu* controls = menu.addMenu(QString::fromUtf8(session::kControlsMenuText));
    // Each submenu, with the group that makes its choices exclude one another.
    std::map<std::string, std::pair<QMenu*, QActionGroup*>> groups{{"", {controls, nullptr}}};
    for (const session::ControlMenuItem& item : session::pictureControlItems(options)) {
        auto& [into, exclusive] = groups[item.group];
        if (into == nullptr) {
            into = controls->addMenu(QString::fromStdString(item.group));
            exclusive = new QActionGroup(into);
        }
        QAction* action = into->addAction(QString::fromStdString(item.text));
        action->setCheckable(true);
        action->setChecked(item.checked);
        if (item.exclusive && exclusive != nullptr)
            exclusive->addAction(action);
        QObject::connect(action, &QAction::triggered, controls, [options, choose = item.choose, chosen] {
            output::OutputOptions wanted = options;
            choose(wanted);
            chosen(wanted);
        });
    }
}

}  // namespace pelkora::dialog
