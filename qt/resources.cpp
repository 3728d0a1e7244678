#include "qt/resources.h"

#include <mutex>

#include <QPixmap>
#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void registerPelkoraResources() { Q_INIT_RESOURCE(pelkora); }

namespace pelkora::dialog {


void ensureResources()
{
    static std::once_flag once;
    std::call_once(once, registerPelkoraResources);
}

QIcon applicationIcon()
{
    ensureResources();
    QIcon icon;
    icon.addPixmap(QPixmap(QStringLiteral(":/icons/pelkora-32.xpm")));
    icon.addPixmap(QPixmap(QStringLiteral(":/icons/pelkora-16.xpm")));
    return icon;
}

}  // namespace pelkora::dialog
