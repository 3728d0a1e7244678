#pragma once
// UTF-8 to and from the UTF-16 that the wide Win32 calls take: every
// conversion here is explicit, never the narrow calls' code page.

#include <string>
#include <string_view>

namespace pelkora::platform {

std::wstring wideFromUtf8(std::string_view text);
std::string utf8FromWide(std::wstring_view text);

}  // namespace pelkora::platform
