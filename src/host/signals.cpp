#include "host/signals.h"

#include <atomic>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr int ENDING_COUNT = sizeof ENDING_SIGNALS / sizeof ENDING_SIGNALS[0];

bool looked = false;
bool ignored_at_start[ENDING_COUNT];
std::atomic<int> noted{0};  // written by the handler

}  // namespace

void take_ending_signals(void (*handler)(int)) {
    struct sigaction act{};
    act.sa_handler = handler;
    sigemptyset(&act.sa_mask);
    for (int sig : ENDING_SIGNALS) sigaddset(&act.sa_mask, sig);
    act.sa_flags = SA_RESTART;
    struct sigaction ignore{};
    ignore.sa_handler = SIG_IGN;
    for (int i = 0; i < ENDING_COUNT; ++i) {
        if (!looked) {
            struct sigaction before;
            sigaction(ENDING_SIGNALS[i], nullptr, &before);
            ignored_at_start[i] = before.sa_handler == SIG_IGN;
        }
        sigaction(ENDING_SIGNALS[i], ignored_at_start[i] ? &ignore : &act, nullptr);
    }
    looked = true;
}

void note_ending_signal(int sig) { noted = sig; }

int ending_signal() { return noted; }

void die_by_signal(int sig) {
    std::fflush(stdout);
    std::fflush(stderr);
    signal(sig, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, sig);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(sig);
    _exit(128 + sig);
}
