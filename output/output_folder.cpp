// Where the output lies, and how the folder is prepared and emptied.

#include <system_error>
#include <vector>

#include "output/playlist.h"

namespace pelkora::output {

namespace fs = std::filesystem;

fs::path outputFolderPath(const fs::path& workDirectory)
{
    return workDirectory / kOutputFolderName;
}

fs::path playlistPath(const fs::path& outputDirectory)
{
    return outputDirectory / kPlaylistFileName;
}

fs::path timingSettingsPath(const fs::path& workDirectory)
{
    return workDirectory / kTimingSettingsFileName;
}

fs::path batchFilePath(const fs::path& workDirectory)
{
    return workDirectory / kBatchFileName;
}

void prepareOutputFolder(const fs::path& folder)
{
    std::error_code error;
    const auto status = fs::status(folder, error);
    if (fs::is_directory(status)) {
        deleteFolderContents(folder);
        return;
    }
    // Something else of that name (a file, a dangling link) is left alone:
    // the writers will fail on it, which is reported where they fail.
    if (fs::exists(status) || fs::is_symlink(fs::symlink_status(folder, error)))
        return;
    fs::create_directory(folder, error);
}

namespace {

// One folder's entries, read completely before any is touched, so that the
// listing is not disturbed by the deletions and no folder stays open while
// the walk goes deeper.
std::vector<fs::directory_entry> listFolder(const fs::path& folder)
{
    std::vector<fs::directory_entry> entries;
    std::error_code error;
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error))
        entries.push_back(*it);
    return entries;
}

}  // namespace

int deleteFolderContents(const fs::path& folder)
{
    // A list of folders still to visit instead of recursion: the depth of
    // the tree then costs neither stack nor open folder handles.
    std::vector<fs::path> pending{folder};
    while (!pending.empty()) {
        const fs::path current = std::move(pending.back());
        pending.pop_back();
        for (const auto& entry : listFolder(current)) {
            std::error_code error;
            // symlink_status: a link is judged as the link itself, so a link
            // to a folder is removed, never entered.
            if (fs::is_directory(entry.symlink_status(error)) && !error)
                pending.push_back(entry.path());
            else
                fs::remove(entry.path(), error);
        }
    }
    return 1;
}

}  // namespace pelkora::output
