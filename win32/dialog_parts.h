#pragma once
// The small pieces the main dialog uses: the About box, the file-open
// dialog of Add, the batch file of Convert, the settings file, message
// boxes, and UTF-8 text for the wide calls.

#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "session/dialog_settings.h"

namespace pelkora::win32 {

std::wstring wide(const std::string& utf8);

// An OK-only message box captioned with the program file's name.
void showMessageBox(HWND owner, const std::string& text);

// Template 100, modal; optionsLine under the version line when not empty.
void runAboutBox(HINSTANCE instance, HWND owner, const std::string& optionsLine);

// The files chosen for Add, in the order chosen; none when cancelled.
std::vector<std::filesystem::path> chooseFiles(HWND owner);

// Starts the batch file in workDirectory without waiting for it; false when
// it did not start. ended is called on a thread of its own with the exit
// status once it has run.
bool startBatchFile(const std::filesystem::path& batchFile, const std::filesystem::path& workDirectory,
                    std::function<void(DWORD exitCode)> ended);

// The settings file under the user's application data folder.
session::DialogSettings loadDialogSettings();
void saveDialogSettings(const session::DialogSettings& settings);

}  // namespace pelkora::win32
