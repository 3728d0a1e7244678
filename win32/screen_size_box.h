#pragma once
// Template 103: the "Screen size..." item's box, one line to type WxH into.

#include <windows.h>

#include <optional>
#include <string>

namespace pelkora::win32 {

// What was typed, starting from shown; nothing when cancelled.
std::optional<std::string> askScreenSize(HINSTANCE instance, HWND owner, const std::string& shown);

}  // namespace pelkora::win32
