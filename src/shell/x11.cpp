#include "shell/x11.h"

#include <allegro.h>
#include <unistd.h>
#include <xalleg.h>

// The library's lock macros count on a volatile int with ++ and --, which
// C++20 deprecates; the count is the library's own.
#ifdef __clang__
#pragma clang diagnostic ignored "-Wdeprecated-volatile"
#endif

void send_frame_to_display() {
    XLOCK();
    if (_xwin.display) XSync(_xwin.display, False);
    XUNLOCK();
}

// The library's own input handler takes its lock and syncs before it reads.
void take_pending_input() {
    if (_xwin.display) _xwin_handle_input();
}

namespace {
void (*display_last_words)();
int display_lost(Display *) {
    display_last_words();
    _exit(1);
}
}  // namespace

void on_display_lost(void (*last_words)()) {
    display_last_words = last_words;
    XSetIOErrorHandler(display_lost);
}
