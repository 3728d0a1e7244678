#pragma once
// Whether one folder lies inside another, decided from the folders
// themselves rather than from how their paths are spelled: links, "..",
// other names of the same place and paths longer than the system takes in
// one call hide nothing.

#include <filesystem>
#include <system_error>

namespace pelkora::platform {

enum class Ancestry {
    Inside,   // folder is ancestor itself or lies somewhere below it
    Outside,  // the walk up from folder reached the root without meeting it
    Unknown,  // a folder on the way could not be opened; cause says why
};

// The walk goes up from folder one parent at a time, each parent opened
// relative to the folder below it, so its cost is the depth, never the
// length of a path. A missing ancestor holds nothing: Outside.
Ancestry ancestryOf(const std::filesystem::path& folder, const std::filesystem::path& ancestor,
                    std::error_code& cause);

}  // namespace pelkora::platform
