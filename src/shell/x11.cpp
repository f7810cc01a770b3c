#include "shell/x11.h"

#include <allegro.h>
#include <xalleg.h>

void send_frame_to_display() {
    XLOCK();
    if (_xwin.display) XSync(_xwin.display, False);
    XUNLOCK();
}

// The library's own input handler takes its lock and syncs before it reads.
void take_pending_input() {
    if (_xwin.display) _xwin_handle_input();
}
