#include "platform/system_error.h"

#include <windows.h>

#include <string>

namespace pelkora::platform {

namespace {

// Windows' error numbers, with the system's own text in UTF-8 and the
// portable conditions the callers compare with.
class Win32Category : public std::error_category {
public:
    const char* name() const noexcept override { return "win32"; }

    std::string message(int code) const override
    {
        wchar_t* text = nullptr;
        const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                                    | FORMAT_MESSAGE_IGNORE_INSERTS,
                                            nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text),
                                            0, nullptr);
        std::string message;
        if (length > 0) {
            const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr,
                                                 nullptr);
            message.resize(static_cast<std::size_t>(size > 0 ? size : 0));
            WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), message.data(), size, nullptr, nullptr);
        }
        LocalFree(text);
        // The system's text ends in a full stop and a line break.
        while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
            message.pop_back();
        return message.empty() ? "error " + std::to_string(code) : message;
    }

    std::error_condition default_error_condition(int code) const noexcept override
    {
        switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            return std::errc::no_such_file_or_directory;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return std::errc::file_exists;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return std::errc::permission_denied;
        case ERROR_DIRECTORY:
            return std::errc::not_a_directory;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return std::errc::no_space_on_device;
        case ERROR_LOCK_VIOLATION:
            return std::errc::resource_unavailable_try_again;
        case ERROR_NOT_SUPPORTED:
        case ERROR_CALL_NOT_IMPLEMENTED:
            return std::errc::not_supported;
        default:
            return {code, *this};
        }
    }
};

}  // namespace

std::error_code lastSystemError()
{
    static const Win32Category category;
    return {static_cast<int>(GetLastError()), category};
}

}  // namespace pelkora::platform
