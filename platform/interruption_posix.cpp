#include "platform/interruption.h"

#include <signal.h>
#include <unistd.h>

#include <cstdlib>

namespace pelkora::platform {

namespace {

// The one global the program keeps: a signal handler can reach nothing
// else, and may do no more than store a number.
volatile sig_atomic_t noted = 0;

constexpr int kNoted[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void noteRequest(int signal)
{
    // The first request is the one the program ends with.
    if (noted == 0)
        noted = signal;
}

}  // namespace

void noteInterruptions()
{
    struct sigaction action {};
    action.sa_handler = noteRequest;
    sigemptyset(&action.sa_mask);
    // Calls under way go on: the work stops at its own boundaries.
    action.sa_flags = SA_RESTART;
    for (const int signal : kNoted) {
        // A signal ignored by whoever started us (nohup) stays ignored.
        struct sigaction before {};
        if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN)
            continue;
        ::sigaction(signal, &action, nullptr);
    }
}

int interruption() { return noted; }

const char* interruptionName(int request)
{
    switch (request) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "a signal";
    }
}

void endAsInterrupted(int request)
{
    ::signal(request, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, request);
    ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(request);
    // A signal whose default is not to end the process: end it anyway.
    std::_Exit(128 + request);
}

}  // namespace pelkora::platform
