#pragma once
// The dialog's templates, icon and cursor are compiled into a static
// library, whose resources register only when asked for by name.

namespace pelkora::app {

// Registers the compiled resources once; safe to call from every window.
void ensureResources();

}  // namespace pelkora::app
