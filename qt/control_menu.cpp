#include "qt/control_menu.h"

#include <QActionGroup>

#include <map>
#include <string>

#include "session/control_menu.h"

namespace pelkora::dialog {

void addPictureControlsMenu(QMenu& menu, const output::OutputOptions& options,
                            std::function<void(const output::OutputOptions&)> chosen)
{
    QMenu* controls = menu.addMenu(QString::fromUtf8(session::kControlsMenuText));
    std::map<std::string, QMenu*> groups;
    for (const session::ControlMenuItem& item : session::pictureControlItems(options)) {
        QMenu*& into = groups[item.group];
        if (into == nullptr) {
            into = item.group.empty() ? controls : controls->addMenu(QString::fromStdString(item.group));
            if (!item.group.empty())
                new QActionGroup(into);  // the group's choices exclude one another
        }
        QAction* action = into->addAction(QString::fromStdString(item.text));
        action->setCheckable(true);
        action->setChecked(item.checked);
        if (item.exclusive)
            into->findChild<QActionGroup*>()->addAction(action);
        QObject::connect(action, &QAction::triggered, controls, [options, choose = item.choose, chosen] {
            output::OutputOptions wanted = options;
            choose(wanted);
            chosen(wanted);
        });
    }
}

}  // namespace pelkora::dialog
