#include "app/resources.h"

#include <mutex>

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void registerPelkoraResources() {
    Q_INIT_RESOURCE(pelkora);
}

namespace pelkora::app {

void ensureResources() {
    static std::once_flag once;
    std::call_once(once, registerPelkoraResources);
}

}  // namespace pelkora::app
