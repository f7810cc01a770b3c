// The game's window hooks against a real X server, with an X client of its own
// looking on: each frame waited for and presented has reached the server by
// the time present returns, and a key waiting at the display is in key[] as
// soon as the game takes its input, without waiting for the library's
// background thread. Without either, the frame or the key sits in a queue
// until that thread next wakes.
// Run from the repository root with DISPLAY set; prints what failed.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <allegro.h>
#include <xalleg.h>

#include <cstdio>

#include "core/game_state.h"
#include "host/window.h"
#include "host/x11.h"

namespace {

Display *display;
int failures;

void expect(bool ok, const char *what, int i) {
    if (ok) return;
    std::printf("FAIL: %s (round %d)\n", what, i);
    ++failures;
}

unsigned long pixel_at_server(Window window, int x, int y) {
    XImage *image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return ~0UL;
    const unsigned long pixel = XGetPixel(image, 0, 0) & 0xffffff;
    XDestroyImage(image);
    return pixel;
}

}  // namespace

int main() {
    if (start_window(MODE_TITLE) != START_OK) {
        std::printf("FAIL: the game's window did not open\n");
        return 1;
    }
    display = XOpenDisplay(nullptr);
    if (!display) {
        std::printf("FAIL: cannot open a second connection to the display\n");
        return 1;
    }
    const Window frame = _xwin.wm_window, canvas = _xwin.window;  // the window and what the game draws into

    const FramePlatform &hooks = window_platform();
    for (int i = 0; i < 30; ++i) {
        const int r = 40 + 7 * i, g = 250 - 5 * i, b = 0x40;
        clear_to_color(game.back_buffer, makecol(r, g, b));
        hooks.wait_retrace();
        hooks.present();
        expect(pixel_at_server(canvas, 160, 160) == static_cast<unsigned long>(r << 16 | g << 8 | b),
               "the frame had not reached the server when present returned", i);
    }

    XSetInputFocus(display, frame, RevertToPointerRoot, CurrentTime);
    XSync(display, False);
    take_pending_input();
    const KeyCode s = XKeysymToKeycode(display, XK_s);
    for (int i = 0; i < 20; ++i) {
        const bool down = i % 2 == 0;
        XTestFakeKeyEvent(display, s, down, CurrentTime);
        XSync(display, False);  // the server has sent the game the key event
        take_pending_input();
        expect((key[KEY_S] != 0) == down, "key[] did not follow a key waiting at the display", i);
    }

    XCloseDisplay(display);
    stop_game();
    return failures ? 1 : 0;
}
