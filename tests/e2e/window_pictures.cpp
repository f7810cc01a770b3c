// The pictures a game window showed, seen from a second X client, against the
// screenshots of a replay. Three commands:
//   window_pictures capture OUT        waits for the game's window, then writes
//       a line for each picture it shows (a checksum of its pixels), at each
//       damage event, until the window closes; a picture the same as the one
//       before it is not written again
//   window_pictures bmp FILE...        the same lines for 24-bit BMP files
//   window_pictures match SEEN SHOWN   every line of SEEN found in SHOWN, in
//       order; says how many, and the first one missing
// Run with DISPLAY set.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int SIDE = 320;
constexpr long BMP_HEADER = 54;
constexpr double WAIT_FOR_WINDOW_MS = 30000;
// A frame reaches the server as one burst of drawing; the picture is read once
// the burst has been quiet this long.
constexpr int QUIET_MS = 2;

Display *display;
bool window_gone;

double now_ms() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

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

// The game's drawing window: the child of the mapped top-level window of class "Allegro".
Window find_game_window() {
    Window root, parent, *children = nullptr, found = 0;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        XClassHint hint{};
        XWindowAttributes attributes;
        if (!XGetClassHint(display, children[i], &hint)) continue;
        if (std::strcmp(hint.res_class, "Allegro") == 0 && XGetWindowAttributes(display, children[i], &attributes) &&
            attributes.map_state == IsViewable)
            found = children[i];
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    if (children) XFree(children);
    if (!found) return 0;
    children = nullptr;
    if (XQueryTree(display, found, &root, &parent, &children, &count) && count > 0) found = children[0];
    if (children) XFree(children);
    return found;
}

// Waits up to `ms` for an event; false on timeout.
bool wait_event(int ms) {
    if (XPending(display)) return true;
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    return poll(&fd, 1, ms) > 0 && XPending(display);
}

int capture(const char *out_path) {
    std::FILE *out = std::fopen(out_path, "w");
    if (!out) return std::perror(out_path), 1;
    XSetErrorHandler(note_x_error);
    Window window = 0;
    for (const double give_up = now_ms() + WAIT_FOR_WINDOW_MS; !(window = find_game_window()); usleep(2000))
        if (now_ms() > give_up) return std::fprintf(stderr, "window_pictures: no game window\n"), 1;
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

int match(const char *seen_path, const char *shown_path) {
    std::ifstream seen(seen_path), shown(shown_path);
    std::string want, have;
    long found = 0, looked = 0;
    while (std::getline(seen, want)) {
        while (std::getline(shown, have) && have != want) ++looked;
        if (have != want) {
            std::printf("picture %ld of %s (%s) is not among the rest of %s\n", found + 1, seen_path, want.c_str(),
                        shown_path);
            return 1;
        }
        ++found, ++looked;
    }
    std::printf("all %ld pictures found in order (%ld looked at)\n", found, looked);
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "bmp") return bmp(argc - 2, argv + 2);
    if (command == "match" && argc == 4) return match(argv[2], argv[3]);
    if (command == "capture" && argc == 3) {
        if (!(display = XOpenDisplay(nullptr))) return std::fprintf(stderr, "window_pictures: no display\n"), 1;
        return capture(argv[2]);
    }
    std::fprintf(stderr, "usage: window_pictures capture OUT | bmp FILE... | match SEEN SHOWN\n");
    return 2;
}
