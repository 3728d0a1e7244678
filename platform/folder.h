#pragma once
// A folder held while many names in it are created and renamed: each is
// then reached by its name alone, without the whole path being looked up
// again for each. The names of the unopened folder are paths as they
// stand, relative to the current folder. Names are UTF-8.

#include <filesystem>
#include <string>
#include <system_error>

#include "platform/files.h"

namespace pelkora::platform {

class Folder {
public:
    // Names are whole paths.
    Folder() = default;
    // Names are names in folder; isOpen() tells whether it could be opened.
    explicit Folder(const std::filesystem::path& folder);
    ~Folder();
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    bool isOpen() const { return handle_ != File::kNone; }

    // A new regular file that nobody else prepared: a taken name fails with
    // a cause equal to file_exists, and a link under it is never followed.
    // The mode is the one "wb" would give.
    File createNew(const std::string& name, std::error_code& cause) const;
    // A new regular file with no name at all, which giveName names once it
    // is complete: a run killed while writing it leaves nothing behind.
    // folderPrefix is the folder (ending in a separator; empty for the
    // current one) when this names whole paths. Not open where the system
    // or its file system has no such files (Windows has none); the caller
    // then uses a temporary name.
    File createUnnamed(const std::string& folderPrefix, std::error_code& cause) const;
    // Gives a file made by createUnnamed the name in this folder; a taken
    // name fails with a cause equal to file_exists.
    bool giveName(const File& file, const std::string& name, std::error_code& cause) const;
    // Puts from in the place of to: whatever had that name (a link, a pipe,
    // a file with other names) is replaced as an entry, never opened; a
    // folder makes it fail. Both names in this folder.
    bool rename(const std::string& from, const std::string& to, std::error_code& cause) const;
    void remove(const std::string& name) const;

private:
    File::Handle handle_ = File::kNone;
    std::filesystem::path path_;  // where the names are, on systems without folder handles
};

}  // namespace pelkora::platform
