#include "platform/process.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "platform/system_error.h"
#include "platform/win32_text.h"

namespace pelkora::platform {

namespace fs = std::filesystem;

namespace {

// One argument as the C runtime of the started program splits it again:
// quoted when it holds a space, a tab or a quote (or is empty), with the
// backslashes before a quote doubled.
void appendQuoted(std::wstring_view argument, std::wstring& line)
{
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring_view::npos) {
        line.append(argument);
        return;
    }
    line.push_back(L'"');
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line.push_back(c);
    }
    line.append(backslashes * 2, L'\\');
    line.push_back(L'"');
}

}  // namespace

fs::path runningProgramFolder(const char* argv0)
{
    std::wstring self(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
        if (length == 0)
            break;
        if (length < self.size()) {
            self.resize(length);
            const fs::path program(self);
            if (program.has_parent_path())
                return program.parent_path();
            break;
        }
        if (self.size() >= 32768)
            break;
        self.resize(self.size() * 2);
    }
    const fs::path named = argv0 != nullptr ? fs::path(wideFromUtf8(argv0)) : fs::path();
    return named.has_parent_path() ? named.parent_path() : fs::path(".");
}

// Windows cannot replace a process: the program runs as a child sharing
// this console and standard streams, and its status becomes ours.
int runInstead(const fs::path& program, char** argv, std::error_code& cause)
{
    // A program named without its suffix is the executable of that name.
    fs::path executable = program;
    if (!executable.has_extension())
        executable += L".exe";
    std::wstring line;
    appendQuoted(executable.native(), line);
    // The arguments as this process was given them: from the wide command
    // line, since the narrow argv has lost what its code page cannot spell.
    int argc = 0;
    while (argv[argc] != nullptr)
        ++argc;
    for (const std::string& argument : programArguments(argc, argv)) {
        line.push_back(L' ');
        appendQuoted(wideFromUtf8(argument), line);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(executable.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
        cause = lastSystemError();
        return -1;
    }
    CloseHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hProcess);
    return static_cast<int>(status & 0x7FFFFFFF);
}

std::vector<std::string> programArguments(int argc, char** argv)
{
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr)
        return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(utf8FromWide(wide[i]));
    LocalFree(wide);
    return arguments;
}

// The system heap already keeps freed blocks for reuse.
void keepFreedMemoryForReuse() {}

}  // namespace pelkora::platform
