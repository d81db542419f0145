#include "SignalCleanup.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace dfm {

namespace {

// Only what a handler may touch: a fixed buffer, written while the flag is down.
char pendingPath[PATH_MAX];
volatile std::sig_atomic_t pathIsPending = 0;

constexpr int HandledSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGXFSZ};

extern "C" void removePendingAndDie(int signalNumber)
{
    if (pathIsPending != 0)
        ::unlink(pendingPath);
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    ::sigaction(signalNumber, &defaultAction, nullptr);
    // Blocked while this handler runs: delivered, with the default action, as it returns.
    ::raise(signalNumber);
}

sigset_t handledSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signalNumber : HandledSignals)
        sigaddset(&set, signalNumber);
    return set;
}

}  // namespace

void SignalCleanup::install()
{
    struct sigaction action {};
    action.sa_handler = removePendingAndDie;
    action.sa_mask = handledSet();
    for (const int signalNumber : HandledSignals) {
        struct sigaction previous {};
        ::sigaction(signalNumber, nullptr, &previous);
        // A signal the caller's parent set to be ignored (nohup) stays ignored.
        if (previous.sa_handler != SIG_IGN)
            ::sigaction(signalNumber, &action, nullptr);
    }
}

void SignalCleanup::setPending(const std::string& path)
{
    pathIsPending = 0;
    if (path.size() >= sizeof pendingPath)
        return;
    std::memcpy(pendingPath, path.c_str(), path.size() + 1);
    // The name is complete before a handler may read it.
    std::atomic_signal_fence(std::memory_order_seq_cst);
    pathIsPending = 1;
}

void SignalCleanup::clearPending()
{
    pathIsPending = 0;
}

SignalCleanup::Hold::Hold()
{
    const sigset_t handled = handledSet();
    ::sigprocmask(SIG_BLOCK, &handled, &previous_);
}

SignalCleanup::Hold::~Hold()
{
    ::sigprocmask(SIG_SETMASK, &previous_, nullptr);
}

}  // namespace dfm
