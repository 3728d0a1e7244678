#include "output/previous_package.h"

#include <system_error>
#include <vector>

#include "platform/files.h"

namespace pelkora::output {

namespace fs = std::filesystem;

namespace {

fs::path withSuffix(const fs::path& folder, const char* suffix)
{
    fs::path path = folder;
    path += suffix;
    return path;
}

// A swap interrupted between its renames leaves the third name: put back
// whichever of the two it was taken from.
void finishInterruptedSwap(const fs::path& folder)
{
    const fs::path swap = withSuffix(folder, ".swap");
    std::error_code error;
    if (!fs::is_directory(fs::symlink_status(swap, error)))
        return;
    if (!fs::exists(fs::symlink_status(folder, error)))
        fs::rename(swap, folder, error);
    else if (!fs::exists(fs::symlink_status(previousFolderPath(folder), error)))
        fs::rename(swap, previousFolderPath(folder), error);
}

// Files below folder, links counted as files and never followed, and the
// subfolders, which an emptied folder keeps as they were.
struct Contents {
    int files = 0;
    std::vector<fs::path> folders;  // relative to the folder, parents first
};

Contents listContents(const fs::path& folder)
{
    Contents contents;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
         !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (it->is_directory(typeError) && !it->is_symlink(typeError))
            contents.folders.push_back(it->path().lexically_relative(folder));
        else
            ++contents.files;
    }
    return contents;
}

void makeFolders(const fs::path& folder, const std::vector<fs::path>& folders)
{
    for (const fs::path& relative : folders) {
        std::error_code ignored;
        fs::create_directory(folder / relative, ignored);
    }
}

// Where the folder itself cannot be renamed: its entries one by one.
void moveEntries(const fs::path& from, const fs::path& to, const DeleteFailureFunction& onFailure)
{
    std::error_code error;
    fs::create_directory(to, error);
    for (fs::directory_iterator it(from, error), end; !error && it != end; it.increment(error)) {
        std::error_code moveError;
        fs::rename(it->path(), to / it->path().filename(), moveError);
        if (moveError && onFailure)
            onFailure(it->path(), Outcome(Status::CannotDelete, moveError));
    }
    if (error && onFailure)
        onFailure(from, Outcome(Status::CannotListFolder, error));
}

}  // namespace

fs::path previousFolderPath(const fs::path& folder) { return withSuffix(folder, ".previous"); }

KeptPackage keepAsPrevious(const fs::path& folder, const DeleteFailureFunction& onFailure)
{
    KeptPackage kept;
    finishInterruptedSwap(folder);
    std::error_code error;
    if (fs::is_empty(folder, error) || error)
        return kept;
    const Contents contents = listContents(folder);
    kept.files = contents.files;

    // The package kept before goes aside first and is deleted last: a kill
    // in between leaves it under a name the next keep deletes.
    const fs::path previous = previousFolderPath(folder);
    const fs::path discarded = withSuffix(previous, ".old");
    fs::remove_all(discarded, error);
    if (fs::exists(fs::symlink_status(previous, error))) {
        fs::rename(previous, discarded, error);
        if (error)
            fs::remove_all(previous, error);
    }
    fs::rename(folder, previous, error);
    kept.moved = !error;
    if (kept.moved) {
        kept.outcome = ensureOutputFolder(folder);
        makeFolders(folder, contents.folders);
    } else {
        moveEntries(folder, previous, onFailure);
        makeFolders(folder, contents.folders);
    }
    fs::remove_all(discarded, error);
    return kept;
}

KeptPackage restorePrevious(const fs::path& folder)
{
    KeptPackage restored;
    finishInterruptedSwap(folder);
    const fs::path previous = previousFolderPath(folder);
    std::error_code error;
    if (!fs::is_directory(fs::symlink_status(previous, error))) {
        restored.outcome = Status::NoSuchFolder;
        return restored;
    }
    if (!fs::exists(fs::symlink_status(folder, error))) {
        fs::rename(previous, folder, error);
        restored.outcome = error ? Outcome(Status::CannotWrite, error) : Outcome(Status::Ok);
        return restored;
    }
    const fs::path swap = withSuffix(folder, ".swap");
    fs::rename(previous, swap, error);
    if (error) {
        restored.outcome = Outcome(Status::CannotWrite, error);
        return restored;
    }
    fs::rename(folder, previous, error);
    if (error) {
        std::error_code ignored;
        fs::rename(swap, previous, ignored);
        restored.outcome = Outcome(Status::CannotWrite, error);
        return restored;
    }
    restored.moved = true;
    fs::rename(swap, folder, error);
    // Should the last rename fail, the next keep or restore finishes it.
    if (error)
        restored.outcome = Outcome(Status::CannotWrite, error);
    return restored;
}

}  // namespace pelkora::output
