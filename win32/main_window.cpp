#include "win32/main_window.h"

#include <shellapi.h>
#include <windowsx.h>

#include "output/dob_writer.h"
#include "output/names.h"
#include "output/output_folder.h"
#include "output/output_options.h"
#include "platform/path_names.h"
#include "session/screen_setting.h"
#include "win32/control_menu.h"
#include "win32/dialog_parts.h"
#include "win32/screen_size_box.h"
#include "win32/resource_ids.h"

namespace pelkora::win32 {

using namespace session;
namespace fs = std::filesystem;

namespace {

// Posted to the dialog by other threads.
constexpr UINT kStatusMessage = WM_APP + 10;       // the status strip is to be read again
constexpr UINT kShowTextMessage = WM_APP + 11;     // lParam: the text of a message box, waited for
constexpr UINT kBatchEndedMessage = WM_APP + 12;   // wParam: the batch file's exit status
constexpr UINT_PTR kLockTimer = 1;

// The right-click menu's items.
enum MenuItem : UINT {
    kFullFrames = 1, kDither, kFit, kDeviceView, kAbout, kCenter, kScreenSize, kReplaceEarlier, kWrapWords, kRestore
};
// The picture controls' items take the ids from here on.
constexpr UINT kPictureControls = 100;

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, fs::path workDirectory, const output::TextPagerOptions& pagerOptions)
        : instance_(instance), uiThread_(GetCurrentThreadId()), settings_(loadDialogSettings()),
          session_(std::move(workDirectory), conversionOptions(pagerOptions))
{
    icon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_PELKORA), IMAGE_ICON, 32, 32, 0));
    smallIcon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_PELKORA), IMAGE_ICON, 16, 16, 0));
    handCursor_ = LoadCursorW(instance, MAKEINTRESOURCEW(IDC_HAND_CURSOR));
    pane_.subscribe(session_.picture());
    // Every file written also goes to the pane, for the device view.
    session_.picture().setCaptureSink([this](const output::DobTarget& target, const output::PixelView& pixels) {
        const Outcome written = output::writeDobFile(target, pixels);
        if (written.ok())
            pane_.showWritten(deviceImage(output::EncodeDobFor(target, pixels), pixels.width, pixels.height));
        return written;
    });
    applySettings(settings_);
}

MainWindow::~MainWindow()
{
    // The rest of an animation is written while everything it reaches is here.
    session_.finish();
    if (icon_ != nullptr)
        DestroyIcon(icon_);
    if (smallIcon_ != nullptr)
        DestroyIcon(smallIcon_);
}

ConversionOptions MainWindow::conversionOptions(const output::TextPagerOptions& pagerOptions)
{
    ConversionOptions options;
    options.pager = pagerOptions;
    options.keepPrevious = loadDialogSettings().keepPrevious;
    options.cantFindFile = [this](const fs::path&) { showMessage(kCantFindFileText); };
    options.refused = [this](const ReportEntry& failure) {
        showMessage(output::escapedForTerminal(platform::utf8Of(failure.input.filename())) + ": " + failure.reason());
    };
    options.captured = [this](const picture::CaptureEvent& event) {
        status_.frameCaptured(event);
        if (HWND window = window_)
            PostMessageW(window, kStatusMessage, 0, 0);
    };
    return options;
}

void MainWindow::runStartup(const std::optional<fs::path>& sourceFolder)
{
    const CommandResult prepared = session_.prepareStartup(sourceFolder);
    showFailuresSince(prepared.failuresBefore);
    if (!sourceFolder || prepared.refused)
        return;
    const CommandResult converted = session_.convertFolder(*sourceFolder, settings_.output);
    const std::vector<ReportEntry> failures = session_.report().failures();
    const std::string written = withOptionsUsed(std::to_string(converted.filesWritten) + " files written from "
                                                        + platform::utf8Of(sourceFolder->filename()),
                                                settings_.output);
    if (failures.size() > converted.failuresBefore) {
        const std::size_t more = failures.size() - converted.failuresBefore - 1;
        setStatus(failureText(failures[converted.failuresBefore])
                  + (more > 0 ? " (and " + std::to_string(more) + " more)" : std::string()) + "; " + written);
    } else {
        setStatus(withWrapWarning(written, session_.report().warnings(), converted.warningsBefore));
    }
}

void MainWindow::run()
{
    DialogBoxParamW(instance_, MAKEINTRESOURCEW(IDD_MAIN), nullptr, &MainWindow::dialogProc,
                    reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK MainWindow::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<MainWindow*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        self->initialise(window);
        return TRUE;  // the focus goes to the first tab stop, About
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, DWLP_USER));
    return self != nullptr ? self->handle(message, wParam, lParam) : FALSE;
}

void MainWindow::initialise(HWND window)
{
    window_ = window;
    if (HMENU system = GetSystemMenu(window, FALSE)) {
        wchar_t text[64] = L"";
        if (LoadStringW(instance_, IDS_ABOUT_MENU, text, 64) > 0) {
            AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(system, MF_STRING, kAboutCommandId, text);
        }
    }
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
    pane_.attach(GetDlgItem(window, IDC_PICTURE));
    pane_.setDeviceView(settings_.deviceView);
    showStatus();
    releaseWriteLockWhenCaptured();
}

void MainWindow::finish()
{
    KillTimer(window_, kLockTimer);
    // The model's worker ends before the control it paints goes.
    session_.finish();
    pane_.detach();
    window_ = nullptr;
}

INT_PTR MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND window = window_;
    switch (message) {
    case WM_COMMAND:
        return HIWORD(wParam) == BN_CLICKED && command(LOWORD(wParam));
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) != kAboutCommandId)
            return FALSE;
        openAboutBox();
        return TRUE;
    case WM_HELP:
        openAboutBox();
        return TRUE;
    case WM_CONTEXTMENU:
        showOptionsMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return TRUE;
    case WM_SETCURSOR: {
        POINT at{};
        GetCursorPos(&at);
        if (handCursor_ == nullptr || !isOverPicture(at))
            return FALSE;
        SetCursor(handCursor_);
        SetWindowLongPtrW(window, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    case WM_LBUTTONDOWN: {
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(window, &at);
        if (isOverPicture(at))
            ShellExecuteW(window, L"open", kPictureLink, L"", nullptr, SW_SHOWNORMAL);
        return FALSE;
    }
    case WM_TIMER:
        if (wParam == kLockTimer)
            releaseWriteLockWhenCaptured();
        return TRUE;
    case kStatusMessage:
        showStatus();
        return TRUE;
    case kShowTextMessage:
        showMessageBox(window, *reinterpret_cast<const std::string*>(lParam));
        return TRUE;
    case kBatchEndedMessage:
        batchEnded(static_cast<DWORD>(wParam));
        return TRUE;
    case WM_DESTROY:
        finish();
        return FALSE;
    default:
        return FALSE;
    }
}

bool MainWindow::command(UINT id)
{
    switch (id) {
    case IDC_ABOUT_BUTTON:
        openAboutBox();
        return true;
    case IDC_ADD_BUTTON:
        addFiles(chooseFiles(window_));
        return true;
    case IDC_CONVERT_BUTTON:
        runBatchFile();
        return true;
    case IDC_DELETE_ALL_BUTTON:
        deleteAll();
        return true;
    case IDCANCEL:
        EndDialog(window_, IDCANCEL);
        return true;
    default:
        return false;
    }
}

void MainWindow::openAboutBox()
{
    const std::string options = output::describeOptions(settings_.output);
    runAboutBox(instance_, window_, options.empty() ? std::string() : "Options: " + options);
}

void MainWindow::addFiles(const std::vector<fs::path>& files)
{
    std::vector<std::string> failed;
    // Files chosen together are one run: none may overwrite another's output.
    Converter::AddRun run = Converter::AddRun::New;
    for (const fs::path& file : files) {
        const std::size_t failuresBefore = session_.report().failures().size();
        addOneFile(file, run);
        run = Converter::AddRun::Continued;
        const std::vector<ReportEntry> failures = session_.report().failures();
        if (failures.size() > failuresBefore)
            failed.push_back(failureText(failures[failuresBefore]));
    }
    // Of several files, one that failed is worth more than the last that did not.
    if (files.size() > 1 && !failed.empty())
        setStatus(failed.front() + " (" + std::to_string(failed.size()) + " of " + std::to_string(files.size())
                  + " files failed)");
}

void MainWindow::addOneFile(const fs::path& file, Converter::AddRun run)
{
    beginWriting();
    if (!pendingAdd_)
        pendingAdd_ = session_.markPlaylist();
    const AddResult added = session_.addFile(file, run, settings_.output, [this, &file] {
        // Followed from before the load: an animation's first frames may be
        // written before addFile returns.
        status_.followAnimation(file.has_extension() ? platform::utf8Of(file.stem()) : std::string());
    });
    const std::vector<ReportEntry> failures = session_.report().failures();
    const bool failed = failures.size() > added.failuresBefore;
    if (added.refused) {
        if (failed)
            setStatus(failureText(failures[added.failuresBefore]));
        showFailuresSince(added.failuresBefore);
        return;
    }
    releaseWriteLockWhenCaptured();
    if (added.animationPlaying) {
        showStatus();
        return;
    }
    setStatus(withWrapWarning(withOptionsUsed(addedText(file, added, failures), settings_.output),
                              session_.report().warnings(), added.warningsBefore));
}

void MainWindow::runBatchFile()
{
    const fs::path batch = output::batchFilePath(session_.workDirectory());
    const std::string name = platform::utf8Of(batch.filename());
    HWND window = window_;
    const bool started = startBatchFile(batch, session_.workDirectory(), [window](DWORD exitCode) {
        PostMessageW(window, kBatchEndedMessage, exitCode, 0);
    });
    if (!started) {
        setStatus(name + ": could not start");
        showMessage(kStartFailedText);
        return;
    }
    setStatus(name + " started");
}

void MainWindow::batchEnded(DWORD exitCode)
{
    // Exit statuses with the top bits set are the system's: an exception
    // ended the program.
    const bool crashed = (exitCode & 0xC0000000u) == 0xC0000000u;
    setStatus(batchEndedText(platform::utf8Of(output::batchFilePath(session_.workDirectory()).filename()), crashed,
                             static_cast<int>(exitCode)));
}

void MainWindow::deleteAll()
{
    beginWriting();
    pendingAdd_.reset();
    const DeleteResult result = session_.deleteAll();
    releaseWriteLockWhenCaptured();
    const std::size_t before = result.failuresBefore;
    const std::vector<ReportEntry> failures = session_.report().failures();
    std::string line = filesDeletedText(result.deleted);
    if (failures.size() > before) {
        line += "; " + failureText(failures[before]);
        if (failures.size() > before + 1)
            line += " (and " + std::to_string(failures.size() - before - 1) + " more)";
    }
    setStatus(line);
    showFailuresSince(before);
}

void MainWindow::restorePreviousPackage()
{
    beginWriting();
    pendingAdd_.reset();
    const CommandResult result = session_.restorePrevious();
    releaseWriteLockWhenCaptured();
    setStatus(restoredText(result, session_.report().failures()));
}

void MainWindow::showOptionsMenu(POINT at)
{
    if (at.x == -1 && at.y == -1) {  // from the keyboard: at the dialog's corner
        at = {0, 0};
        ClientToScreen(window_, &at);
    }
    HMENU menu = CreatePopupMenu();
    auto item = [menu](UINT id, bool on, const std::string& text) {
        AppendMenuW(menu, MF_STRING | (on ? MF_CHECKED : MF_UNCHECKED), id, wide(text).c_str());
    };
    AppendMenuW(menu, MF_STRING, kAbout, L"&About Pelkora...");
    AppendMenuW(menu, MF_STRING, kRestore, L"Restore previous package");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    item(kFullFrames, settings_.output.fullFrames, "Full frames");
    item(kDither, settings_.output.dither, "Dither");
    item(kFit, settings_.output.fit.has_value(), "Fit to " + output::sizeText(settings_.fitSize));
    item(kCenter, settings_.output.center, "Center on screen");
    EnableMenuItem(menu, kCenter, MF_BYCOMMAND | (settings_.output.screen ? MF_ENABLED : MF_GRAYED));
    item(kScreenSize, false, screenItemText(settings_));
    appendPictureControlsMenu(menu, settings_.output, kPictureControls);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    item(kDeviceView, settings_.deviceView, "Device view");
    item(kReplaceEarlier, settings_.replaceEarlier, "Replace earlier entries on Add");
    item(kWrapWords, settings_.wrapWords, "Wrap words");
    const UINT chosen = static_cast<UINT>(
            TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr));
    DestroyMenu(menu);
    if (chosen == 0)
        return;
    if (chosen == kAbout) {
        openAboutBox();
        return;
    }
    if (chosen == kScreenSize) {
        askScreenSize();
        return;
    }
    if (chosen == kRestore) {
        restorePreviousPackage();
        return;
    }
    // Each item changes one setting, remembered at once.
    DialogSettings wanted = settings_;
    if (chosen == kFullFrames)
        wanted.output.fullFrames = !wanted.output.fullFrames;
    else if (chosen == kDither)
        wanted.output.dither = !wanted.output.dither;
    else if (chosen == kFit)
        wanted.output.fit = wanted.output.fit ? std::nullopt : std::optional<output::Size>(wanted.fitSize);
    else if (chosen == kDeviceView)
        wanted.deviceView = !wanted.deviceView;
    else if (chosen == kCenter)
        wanted.output.center = !wanted.output.center && wanted.output.screen;
    else if (chosen == kReplaceEarlier)
        wanted.replaceEarlier = !wanted.replaceEarlier;
    else if (chosen == kWrapWords)
        wanted.wrapWords = !wanted.wrapWords;
    else if (const auto controls = pictureControlChosen(chosen, wanted.output, kPictureControls))
        wanted.output = *controls;
    applySettings(wanted);
    saveDialogSettings(settings_);
}

void MainWindow::askScreenSize()
{
    std::string answer = screenAnswerText(settings_);
    while (std::optional<std::string> typed = win32::askScreenSize(instance_, window_, answer)) {
        if (const std::optional<DialogSettings> wanted = withScreenAnswer(settings_, *typed)) {
            applySettings(*wanted);
            saveDialogSettings(settings_);
            return;
        }
        answer = *typed;
    }
}

void MainWindow::applySettings(const DialogSettings& wanted)
{
    settings_ = wanted;
    if (settings_.output.fit)
        settings_.fitSize = *settings_.output.fit;
    pane_.setDeviceView(settings_.deviceView);
    session_.setWrapWords(settings_.wrapWords);
}

bool MainWindow::isOverPicture(POINT screenPoint) const
{
    RECT picture{};
    return GetWindowRect(pane_.control(), &picture) && PtInRect(&picture, screenPoint);
}

void MainWindow::setStatus(std::string text)
{
    status_.set(std::move(text));
    showStatus();
}

void MainWindow::showStatus()
{
    if (HWND window = window_)
        SetDlgItemTextW(window, IDC_STATUS_STRIP, wide(status_.text()).c_str());
}

void MainWindow::showMessage(const std::string& text)
{
    HWND window = window_;
    if (window != nullptr && GetCurrentThreadId() != uiThread_)
        SendMessageW(window, kShowTextMessage, 0, reinterpret_cast<LPARAM>(&text));
    else
        showMessageBox(window, text);
}

void MainWindow::showFailuresSince(std::size_t before)
{
    // A long list is cut: the message box must still fit on the screen.
    constexpr std::size_t kShownAtMost = 20;
    const std::vector<ReportEntry> failures = session_.report().failures();
    if (failures.size() <= before)
        return;
    std::string lines;
    std::size_t shown = 0;
    for (std::size_t i = before; i < failures.size() && shown < kShownAtMost; ++i, ++shown) {
        if (shown > 0)
            lines += '\n';
        lines += platform::utf8Of(failures[i].input);
        lines += ": ";
        lines += failures[i].reason();
    }
    const std::size_t more = failures.size() - before - shown;
    if (more > 0)
        lines += "\n... and " + std::to_string(more) + " more";
    showMessage(lines);
}

void MainWindow::beginWriting()
{
    if (HWND window = window_)
        KillTimer(window, kLockTimer);
}

void MainWindow::releaseWriteLockWhenCaptured()
{
    // An Add's entries are settled once its last frame is written.
    if (pendingAdd_ && !session_.picture().capturePending()) {
        session_.settleAdd(*pendingAdd_, settings_.replaceEarlier);
        pendingAdd_.reset();
    }
    HWND window = window_;
    if (session_.releaseWriteLockWhenCaptured()) {
        if (window != nullptr)
            KillTimer(window, kLockTimer);
    } else if (window != nullptr) {
        SetTimer(window, kLockTimer, 50, nullptr);
    }
}

}  // namespace pelkora::win32
