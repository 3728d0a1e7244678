#pragma once
// Where a path written as text splits into folders and a name: at '/'
// everywhere, and at '\' as well on Windows.

#include <cstddef>
#include <string_view>

namespace pelkora::platform {

bool isPathSeparator(char c);

// The position of the last separator in path, or npos when it has none.
std::size_t lastPathSeparator(std::string_view path);

}  // namespace pelkora::platform
