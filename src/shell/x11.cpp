#include "shell/x11.h"

#include <allegro.h>
#include <unistd.h>
#include <xalleg.h>

// The library's lock macros count on a volatile int with ++ and --, which
// C++20 deprecates; the count is the library's own.
#ifdef __clang__
#pragma clang diagnostic ignored "-Wdeprecated-volatile"
#endif

// The library's own update of a region of the window from the screen's lines
// (converting them first when the desktop's pixel format differs): one put of
// its XImage, through shared memory when the X server offers it. Exported by
// the library, not declared in its headers.
extern "C" void _xwin_update_screen(int x, int y, int w, int h);

void send_frame_to_display() {
    if (!_xwin.display) return;
    _xwin_update_screen(0, 0, SCREEN_W, SCREEN_H);
    XLOCK();
    XSync(_xwin.display, False);
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
