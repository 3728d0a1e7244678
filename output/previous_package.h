#pragma once
// The package an emptying took away, kept one level deep beside the output
// folder ("adv.previous" beside "adv"), where nothing copies it to the
// device with the package. It is moved there whole by one rename where the
// system allows it, so keeping costs the same for a hundred files as for a
// hundred thousand; a restore swaps the two folders, so it can be undone by
// another.

#include <filesystem>

#include "core/status.h"
#include "output/output_folder.h"

namespace pelkora::output {

// folder + ".previous"
std::filesystem::path previousFolderPath(const std::filesystem::path& folder);

struct KeptPackage {
    Outcome outcome;
    int files = 0;         // files below the folder that went into the kept package
    bool moved = false;    // the folder itself was renamed: a lock held on it went with it
};

// Empties folder by making its contents the previous package, replacing
// the one kept before; folder is then there again with its subfolders,
// empty, as an emptying by deletion leaves it. An empty folder
// keeps nothing and leaves the previous package as it is. Where the folder
// cannot be renamed (a file in it held open elsewhere) its entries are
// moved one by one; one that stays is reported through onFailure. Call it
// with the folder's lock held.
KeptPackage keepAsPrevious(const std::filesystem::path& folder, const DeleteFailureFunction& onFailure = {});

// Swaps folder and its previous package. NoSuchFolder when none is kept;
// CannotWrite, with the cause, when the swap could not be made (both are
// then as they were). moved tells that folder was renamed. Call it with
// the folder's lock held.
KeptPackage restorePrevious(const std::filesystem::path& folder);

}  // namespace pelkora::output
