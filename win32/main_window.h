#pragma once
// The main dialog (template 102) on Windows: the picture control, the four
// buttons About, Add, Convert and DeleteAll, the About item of the system
// menu and F1, the right-click options, the hand cursor over the picture
// and its link, the status strip, and the start-up conversion that runs
// before the window is first shown. Everything it converts goes through
// the session, as in the Qt dialog.

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "output/text_pager.h"
#include "session/dialog_settings.h"
#include "session/session.h"
#include "session/status_strip.h"
#include "win32/picture_pane.h"

namespace pelkora::win32 {

inline constexpr UINT kAboutCommandId = 0x0010;
inline constexpr const char* kCantFindFileText = "Cant find file!";
inline constexpr const char* kStartFailedText = "启动出错!";
inline constexpr const wchar_t* kPictureLink = L"https://pelkora.org/";

class MainWindow {
public:
    MainWindow(HINSTANCE instance, std::filesystem::path workDirectory, const output::TextPagerOptions& pagerOptions);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Empties (or creates) the output folder and converts sourceFolder,
    // before any window exists; what failed is said in message boxes and on
    // the status strip.
    void runStartup(const std::optional<std::filesystem::path>& sourceFolder);
    // The dialog, modally, until it is closed.
    void run();

private:
    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
    void initialise(HWND window);
    void finish();
    bool command(UINT id);

    void openAboutBox();
    void addFiles(const std::vector<std::filesystem::path>& files);
    void addOneFile(const std::filesystem::path& file, session::Converter::AddRun run);
    void runBatchFile();
    void batchEnded(DWORD exitCode);
    void deleteAll();
    void restorePreviousPackage();
    void showOptionsMenu(POINT at);
    // "Screen size...": asks until the answer is a size or empty, or is cancelled.
    void askScreenSize();
    void applySettings(const session::DialogSettings& settings);

    bool isOverPicture(POINT screenPoint) const;
    void setStatus(std::string text);
    void showStatus();
    // From any thread: on the dialog's own, waiting for it from another.
    void showMessage(const std::string& text);
    void showFailuresSince(std::size_t before);
    void beginWriting();
    void releaseWriteLockWhenCaptured();
    session::ConversionOptions conversionOptions(const output::TextPagerOptions& pagerOptions);

    HINSTANCE instance_;
    DWORD uiThread_;
    std::atomic<HWND> window_{nullptr};
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    HCURSOR handCursor_ = nullptr;  // null when the resource failed to load
    session::DialogSettings settings_;
    // The playlist before the Add whose entries are still to be settled.
    std::optional<session::PlaylistMark> pendingAdd_;
    session::CommandStatus status_;
    PicturePane pane_;
    // After everything its callbacks reach, so that it goes first.
    session::Session session_;
};

}  // namespace pelkora::win32
