#include "win32/dialog_parts.h"

#include <commdlg.h>
#include <shellapi.h>

#include <fstream>
#include <system_error>
#include <thread>

#include "output/output_file.h"
#include "platform/files.h"
#include "platform/win32_text.h"
#include "session/settings_text.h"
#include "session/version.h"
#include "win32/resource_ids.h"

namespace pelkora::win32 {

namespace fs = std::filesystem;

std::wstring wide(const std::string& utf8) { return platform::wideFromUtf8(utf8); }

void showMessageBox(HWND owner, const std::string& text)
{
    wchar_t program[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    const std::wstring caption = fs::path(program).stem().native();
    MessageBoxW(owner, wide(text).c_str(), caption.c_str(), MB_OK);
}

namespace {

INT_PTR CALLBACK aboutProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetDlgItemTextW(window, IDC_VERSION_LINE, wide(PELKORA_NAME " " PELKORA_VERSION).c_str());
        const auto* options = reinterpret_cast<const std::string*>(lParam);
        SetDlgItemTextW(window, IDC_OPTIONS_LINE, wide(*options).c_str());
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(window, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

// What the dialog hands back: one full path, or the folder followed by
// each name chosen, every piece ended by a zero and the list by another.
std::vector<fs::path> chosenPaths(const std::wstring& buffer)
{
    std::vector<std::wstring> pieces;
    for (std::size_t at = 0; at < buffer.size() && buffer[at] != L'\0';) {
        const std::size_t end = buffer.find(L'\0', at);
        pieces.push_back(buffer.substr(at, end - at));
        at = end + 1;
    }
    std::vector<fs::path> files;
    if (pieces.size() == 1)
        files.emplace_back(pieces.front());
    for (std::size_t i = 1; i < pieces.size(); ++i)
        files.push_back(fs::path(pieces.front()) / pieces[i]);
    return files;
}

fs::path settingsFile()
{
    const wchar_t* appData = _wgetenv(L"APPDATA");
    const fs::path base = appData != nullptr && *appData != L'\0' ? fs::path(appData) : fs::path(L".");
    return base / L"Pelkora" / L"pelkora.ini";
}

// A device or a folder at that name is no settings file: it is neither read
// nor written. Missing is fine.
bool settingsFileUsable(const fs::path& file)
{
    platform::FileStatus status;
    std::error_code cause;
    return !platform::statusOf(file, platform::Links::Follow, status, cause)
           || status.kind == platform::EntryKind::Regular;
}

}  // namespace

void runAboutBox(HINSTANCE instance, HWND owner, const std::string& optionsLine)
{
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ABOUT), owner, aboutProc,
                    reinterpret_cast<LPARAM>(&optionsLine));
}

std::vector<fs::path> chooseFiles(HWND owner)
{
    // Every format the picture loader reads, each alone and all together.
    static constexpr wchar_t kFilters[] =
            L"BMP Files(*.bmp)\0*.bmp\0GIF Files(*.gif)\0*.gif\0PNG Files(*.png)\0*.png\0"
            L"JPEG Files(*.jpg *.jpeg)\0*.jpg;*.jpeg\0ICO Files(*.ico)\0*.ico\0"
            L"WebP Files(*.webp)\0*.webp\0TIFF Files(*.tif *.tiff)\0*.tif;*.tiff\0"
            L"All Pictures(*.bmp *.gif *.png *.jpg *.jpeg *.ico *.webp *.tif *.tiff)\0"
            L"*.bmp;*.gif;*.png;*.jpg;*.jpeg;*.ico;*.webp;*.tif;*.tiff\0"
            L"TXT Files(*.txt)\0*.txt\0All Files (*.*)\0*.*\0";
    std::wstring buffer(1 << 16, L'\0');
    buffer.replace(0, 6, L"Gifpic");
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kFilters;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    // No default extension: a text named "notes" must stay choosable.
    dialog.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    if (!GetOpenFileNameW(&dialog))
        return {};
    return chosenPaths(buffer);
}

bool startBatchFile(const fs::path& batchFile, const fs::path& workDirectory, std::function<void(DWORD)> ended)
{
    SHELLEXECUTEINFOW run{};
    run.cbSize = sizeof run;
    run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    run.lpVerb = L"open";
    run.lpFile = batchFile.c_str();
    run.lpParameters = L"";
    run.lpDirectory = workDirectory.c_str();
    run.nShow = SW_SHOWDEFAULT;
    if (!ShellExecuteExW(&run))
        return false;
    if (run.hProcess == nullptr)
        return true;  // handed to a program already running: its end is not ours to know
    // The waiter is left to run: a batch file may outlive the dialog.
    std::thread([process = run.hProcess, ended = std::move(ended)] {
        WaitForSingleObject(process, INFINITE);
        DWORD exitCode = 0;
        GetExitCodeProcess(process, &exitCode);
        CloseHandle(process);
        ended(exitCode);
    }).detach();
    return true;
}

session::DialogSettings loadDialogSettings()
{
    // A handful of lines: whatever lies past the first pages is not ours.
    constexpr std::size_t kLongest = 1 << 16;
    if (!settingsFileUsable(settingsFile()))
        return {};
    std::ifstream file(settingsFile(), std::ios::binary);
    std::string text(kLongest, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));
    return session::dialogSettingsFromIni(text);
}

void saveDialogSettings(const session::DialogSettings& settings)
{
    const fs::path file = settingsFile();
    if (!settingsFileUsable(file))
        return;
    std::error_code error;
    fs::create_directories(file.parent_path(), error);
    // A setting not remembered is no reason to stop the dialog.
    (void)output::writeWholeFile(file, session::iniOfDialogSettings(settings));
}

}  // namespace pelkora::win32
