#include "win32/screen_size_box.h"

#include <iterator>

#include "platform/win32_text.h"
#include "win32/resource_ids.h"

namespace pelkora::win32 {

namespace {

// The answer travels in and out through the text lParam points at.
INT_PTR CALLBACK screenSizeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        const auto* answer = reinterpret_cast<const std::string*>(lParam);
        SetDlgItemTextW(window, IDC_SCREEN_SIZE_EDIT, platform::wideFromUtf8(*answer).c_str());
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            // WxH needs a handful of characters; anything longer is no size anyway.
            wchar_t typed[64] = {};
            GetDlgItemTextW(window, IDC_SCREEN_SIZE_EDIT, typed, static_cast<int>(std::size(typed)));
            *reinterpret_cast<std::string*>(GetWindowLongPtrW(window, DWLP_USER)) = platform::utf8FromWide(typed);
        }
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(window, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

std::optional<std::string> askScreenSize(HINSTANCE instance, HWND owner, const std::string& shown)
{
    std::string answer = shown;
    if (DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_SCREEN_SIZE), owner, screenSizeProc,
                        reinterpret_cast<LPARAM>(&answer))
        != IDOK)
        return std::nullopt;
    return answer;
}

}  // namespace pelkora::win32
