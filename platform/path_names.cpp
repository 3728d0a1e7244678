#include "platform/path_names.h"

namespace pelkora::platform {

namespace {

#ifdef _WIN32
constexpr std::string_view kSeparators = "/\\";
#else
constexpr std::string_view kSeparators = "/";
#endif

}  // namespace

bool isPathSeparator(char c) { return kSeparators.find(c) != std::string_view::npos; }

std::size_t lastPathSeparator(std::string_view path) { return path.find_last_of(kSeparators); }

}  // namespace pelkora::platform
