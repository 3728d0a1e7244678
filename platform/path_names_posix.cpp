#include "platform/path_names.h"

namespace pelkora::platform {

bool isPathSeparator(char c) { return c == '/'; }

std::size_t lastPathSeparator(std::string_view path) { return path.rfind('/'); }

// The system takes the bytes as they are.
std::string utf8Of(const std::filesystem::path& path) { return path.string(); }

std::filesystem::path pathFromUtf8(std::string_view text) { return std::filesystem::path(text); }

}  // namespace pelkora::platform
