#include "platform/path_names.h"

#include "platform/win32_text.h"

namespace pelkora::platform {

namespace {

constexpr std::string_view kSeparators = "/\\";

}  // namespace

bool isPathSeparator(char c) { return kSeparators.find(c) != std::string_view::npos; }

std::size_t lastPathSeparator(std::string_view path) { return path.find_last_of(kSeparators); }

std::string utf8Of(const std::filesystem::path& path) { return utf8FromWide(path.native()); }

std::filesystem::path pathFromUtf8(std::string_view text) { return std::filesystem::path(wideFromUtf8(text)); }

}  // namespace pelkora::platform
