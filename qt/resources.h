#pragma once
// The dialog's templates, icon and cursor are compiled into a static
// library, whose resources register only when asked for by name.

#include <QIcon>

namespace pelkora::dialog {

// Registers the compiled resources once; safe to call from every window.
void ensureResources();

// The program's icon, 32x32 and 16x16, for every window of ours.
QIcon applicationIcon();

}  // namespace pelkora::dialog
