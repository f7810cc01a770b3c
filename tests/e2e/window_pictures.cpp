// The pictures a game window showed, seen from a second X client, and those of
// a replay's screenshots, each as a checksum of its pixels. Two commands:
//   window_pictures capture WINDOW OUT  from now until the game's top-level
//       WINDOW closes, a line for each picture it shows (a checksum of its
//       pixels), at each damage event; a picture the same as the one before
//       it is not written again
//   window_pictures bmp FILE...        the same lines for 24-bit BMP files
// Run with DISPLAY set.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <vector>

namespace {

constexpr int SIDE = 320;
constexpr long BMP_HEADER = 54;
// A frame reaches the server as one burst of drawing; the picture is read once
// the burst has been quiet this long.
constexpr int QUIET_MS = 2;

Display *display;
bool window_gone;

int note_x_error(Display *, XErrorEvent *) {
    window_gone = true;
    return 0;
}

// The checksum of a picture given row by row from the top, as red, green, blue.
struct Checksum {
    uint64_t h = 0xcbf29ce484222325ULL;
    void add(uint8_t byte) { h = (h ^ byte) * 0x100000001b3ULL; }
    std::string text() const {
        char out[17];
        std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(h));
        return out;
    }
};

// The window the game draws into: the one child of its top-level window.
Window drawing_window(Window frame) {
    Window root, parent, *children = nullptr, found = frame;
    unsigned count = 0;
    if (XQueryTree(display, frame, &root, &parent, &children, &count) && count > 0) found = children[0];
    if (children) XFree(children);
    return found;
}

// Waits up to `ms` for an event; false on timeout.
bool wait_event(int ms) {
    if (XPending(display)) return true;
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    return poll(&fd, 1, ms) > 0 && XPending(display);
}

int capture(Window frame, const char *out_path) {
    std::FILE *out = std::fopen(out_path, "w");
    if (!out) return std::perror(out_path), 1;
    XSetErrorHandler(note_x_error);
    const Window window = drawing_window(frame);
    int damage_base, error_base;
    if (!XDamageQueryExtension(display, &damage_base, &error_base))
        return std::fprintf(stderr, "window_pictures: no DAMAGE extension\n"), 1;
    XDamageCreate(display, window, XDamageReportRawRectangles);
    XSelectInput(display, window, StructureNotifyMask);
    XSync(display, False);
    std::string last;
    while (!window_gone) {
        if (!wait_event(200)) {
            // No drawing for a while: is the window still there?
            XWindowAttributes attributes;
            XGetWindowAttributes(display, window, &attributes);
            XSync(display, False);
            continue;
        }
        bool damaged = false;
        do {
            XEvent event;
            XNextEvent(display, &event);
            damaged = damaged || event.type == damage_base + XDamageNotify;
            window_gone = window_gone || event.type == DestroyNotify || event.type == UnmapNotify;
        } while (wait_event(QUIET_MS));
        if (!damaged || window_gone) continue;
        XImage *image = XGetImage(display, window, 0, 0, SIDE, SIDE, AllPlanes, ZPixmap);
        XSync(display, False);
        if (!image) continue;
        Checksum sum;
        for (int y = 0; y < SIDE; ++y)
            for (int x = 0; x < SIDE; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                sum.add(p >> 16 & 0xff), sum.add(p >> 8 & 0xff), sum.add(p & 0xff);
            }
        XDestroyImage(image);
        if (sum.text() == last) continue;
        last = sum.text();
        std::fprintf(out, "%s\n", last.c_str());
        std::fflush(out);
    }
    std::fclose(out);
    return 0;
}

// 24-bit BMPs of SIDE x SIDE as the replay writes them: rows from the bottom,
// blue, green, red, no padding (960 bytes a row).
int bmp(int count, char **paths) {
    std::vector<uint8_t> pixels(SIDE * SIDE * 3);
    std::string last;
    for (int i = 0; i < count; ++i) {
        std::FILE *in = std::fopen(paths[i], "rb");
        const bool read = in && std::fseek(in, BMP_HEADER, SEEK_SET) == 0 &&
                          std::fread(pixels.data(), 1, pixels.size(), in) == pixels.size();
        if (in) std::fclose(in);
        if (!read) return std::fprintf(stderr, "window_pictures: cannot read %s\n", paths[i]), 1;
        Checksum sum;
        for (int y = SIDE - 1; y >= 0; --y)
            for (int x = 0; x < SIDE; ++x) {
                const uint8_t *p = &pixels[(y * SIDE + x) * 3];
                sum.add(p[2]), sum.add(p[1]), sum.add(p[0]);
            }
        if (sum.text() == last) continue;
        last = sum.text();
        std::printf("%s\n", last.c_str());
    }
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "bmp") return bmp(argc - 2, argv + 2);
    if (command == "capture" && argc == 4) {
        if (!(display = XOpenDisplay(nullptr))) return std::fprintf(stderr, "window_pictures: no display\n"), 1;
        return capture(std::strtoul(argv[2], nullptr, 0), argv[3]);
    }
    std::fprintf(stderr, "usage: window_pictures capture WINDOW OUT | bmp FILE...\n");
    return 2;
}
