#pragma once
// Paths as text: where a path splits into folders and a name ('/'
// everywhere, '\' as well on Windows), and paths to and from UTF-8, the
// text the system calls here are given.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace pelkora::platform {

bool isPathSeparator(char c);

// The position of the last separator in path, or npos when it has none.
std::size_t lastPathSeparator(std::string_view path);

std::string utf8Of(const std::filesystem::path& path);
std::filesystem::path pathFromUtf8(std::string_view text);

}  // namespace pelkora::platform
