#include "platform/interruption.h"

#include <windows.h>

#include <csignal>

namespace pelkora::platform {

namespace {

// The one global the program keeps: the console's handler runs on a
// thread of its own and must reach the work without a lock.
volatile LONG noted = 0;

// Windows has no hang-up signal; the console's closing stands for it with
// the number POSIX gives it.
constexpr int kHangUp = 1;

// Returning from the closing event ends the process: the handler holds it
// for the few seconds the system allows, so the work reaches its boundary.
constexpr DWORD kClosingGrace = 4500;

BOOL WINAPI noteRequest(DWORD event)
{
    int request = 0;
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        request = SIGINT;
        break;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        request = kHangUp;
        break;
    default:
        return FALSE;
    }
    InterlockedCompareExchange(&noted, request, 0);
    if (request == kHangUp)
        Sleep(kClosingGrace);
    return TRUE;
}

}  // namespace

void noteInterruptions() { SetConsoleCtrlHandler(noteRequest, TRUE); }

int interruption() { return static_cast<int>(InterlockedCompareExchange(&noted, 0, 0)); }

const char* interruptionName(int request)
{
    return request == SIGINT ? "Ctrl+C" : request == kHangUp ? "the console's closing" : "a request to stop";
}

void endAsInterrupted(int)
{
    // What a console program stopped by Ctrl+C ends with.
    ExitProcess(static_cast<UINT>(STATUS_CONTROL_C_EXIT));
}

}  // namespace pelkora::platform
