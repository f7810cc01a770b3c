// What the player gets, measured from outside the game: a separate X client
// that starts the real game in a real window and watches what reaches the X
// server. Two figures:
//   - frames reaching the screen: the intervals between the window's XDamage
//     events on the title screen, and the game's CPU time meanwhile;
//   - key to screen: S pressed with XTest on the title, until the first damage
//     whose picture differs from the title's, over many fresh starts. Start i
//     of n presses S (i + 1/2) / n of a frame after a frame arrives, so the
//     presses cover the frame evenly and the median is not a matter of luck.
// Run from the repository root (the game loads data/ from there) on an X
// server with a 24-bit screen, for instance
//   xvfb-run -a -s '-screen 0 640x480x24' build/bench/feel_bench build/upshot
// Options: --frames N (intervals to time, default 600), --starts N (fresh
// starts for key to screen, default 40).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr double FRAME_MS = 1000.0 / 60.0;
// Damage events this close together belong to one frame's arrival.
constexpr double SAME_ARRIVAL_MS = 1.0;
// A frame of play differs from the title in most of its pixels; the title
// itself does not change in the first seconds.
constexpr int CHANGED_PIXELS = 5000;

Display *display;
int damage_event_base;
pid_t running_game = -1;  // ended on the way out, whatever happens

double now_ms() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

[[noreturn]] void die(const char *what) {
    std::fprintf(stderr, "feel_bench: %s\n", what);
    if (running_game > 0) kill(running_game, SIGKILL);
    std::exit(1);
}

// The game's window may vanish while we look at it; that is not an error here.
int ignore_x_errors(Display *, XErrorEvent *) { return 0; }

struct Game {
    pid_t pid = -1;
    Window frame = 0;   // the game's top-level window, which takes the keyboard focus
    Window window = 0;  // the window it draws into
    Damage damage = 0;
};

// The mapped window of class "Allegro" under the root, or 0.
Window find_game_frame() {
    Window root_return, parent, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root_return, &parent, &children, &count)) return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        XClassHint hint{};
        if (!XGetClassHint(display, children[i], &hint)) continue;
        XWindowAttributes attributes;
        if (std::strcmp(hint.res_class, "Allegro") == 0 && XGetWindowAttributes(display, children[i], &attributes) &&
            attributes.map_state == IsViewable)
            found = children[i];
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    if (children) XFree(children);
    return found;
}

// The library draws into the frame's one child window when it has one.
Window drawing_window(Window frame) {
    Window root_return, parent, *children = nullptr;
    unsigned count = 0;
    Window found = frame;
    if (XQueryTree(display, frame, &root_return, &parent, &children, &count) && count > 0) found = children[0];
    if (children) XFree(children);
    return found;
}

Game start_game(const char *path) {
    if (find_game_frame()) die("a game's window is already open on this display");
    Game game;
    game.pid = fork();
    if (game.pid < 0) die("cannot fork");
    if (game.pid == 0) {
        execl(path, path, static_cast<char *>(nullptr));
        _exit(127);
    }
    running_game = game.pid;
    const double give_up = now_ms() + 20000;
    while (!(game.frame = find_game_frame())) {
        if (now_ms() > give_up || waitpid(game.pid, nullptr, WNOHANG) == game.pid) die("the game opened no window");
        usleep(5000);
    }
    game.window = drawing_window(game.frame);
    game.damage = XDamageCreate(display, game.window, XDamageReportRawRectangles);
    XSetInputFocus(display, game.frame, RevertToPointerRoot, CurrentTime);
    XSync(display, False);
    return game;
}

void press(KeySym key, bool down) {
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), down, CurrentTime);
    XFlush(display);
}

void end_game(Game &game) {
    press(XK_Escape, true);
    usleep(100000);
    press(XK_Escape, false);
    const double give_up = now_ms() + 5000;
    while (waitpid(game.pid, nullptr, WNOHANG) != game.pid) {
        if (now_ms() > give_up) {
            kill(game.pid, SIGKILL);
            waitpid(game.pid, nullptr, 0);
            break;
        }
        usleep(10000);
    }
    running_game = -1;
    XSync(display, False);
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
    }
}

// Waits until a frame arrives at the server (the first of its damage events),
// up to timeout_ms; returns its arrival time, or a negative value on timeout.
double next_arrival(double timeout_ms) {
    static double last_event = -1e9;
    const double give_up = now_ms() + timeout_ms;
    for (;;) {
        while (XPending(display) && now_ms() < give_up) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != damage_event_base + XDamageNotify) continue;
            const double t = now_ms();
            const bool same = t - last_event < SAME_ARRIVAL_MS;
            last_event = t;
            if (!same) return t;
        }
        const double left = give_up - now_ms();
        if (left <= 0) return -1;
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left) + 1);
    }
}

std::vector<uint32_t> picture(Window window) {
    std::vector<uint32_t> pixels;
    XImage *image = XGetImage(display, window, 0, 0, 320, 320, AllPlanes, ZPixmap);
    if (!image) return pixels;
    pixels.reserve(320 * 320);
    for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 320; ++x) pixels.push_back(XGetPixel(image, x, y));
    XDestroyImage(image);
    return pixels;
}

int differing_pixels(const std::vector<uint32_t> &a, const std::vector<uint32_t> &b) {
    if (a.size() != b.size()) return static_cast<int>(std::max(a.size(), b.size()));
    int n = 0;
    for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
    return n;
}

long cpu_ticks(pid_t pid) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", pid);
    FILE *file = std::fopen(path, "r");
    if (!file) return 0;
    char buffer[1024];
    const size_t n = std::fread(buffer, 1, sizeof buffer - 1, file);
    std::fclose(file);
    buffer[n] = '\0';
    const char *p = std::strrchr(buffer, ')');  // the name may hold spaces
    long utime = 0, stime = 0;
    if (p) std::sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %ld %ld", &utime, &stime);
    return utime + stime;
}

double percentile(const std::vector<double> &sorted, double p) {
    return sorted[static_cast<size_t>(p / 100.0 * (sorted.size() - 1) + 0.5)];
}

// The title screen for `frames` intervals, after half a second to settle.
void measure_arrivals(const char *path, int frames) {
    Game game = start_game(path);
    const double settle = now_ms() + 500;
    while (now_ms() < settle) next_arrival(settle - now_ms());
    std::vector<double> arrivals;
    const long cpu_start = cpu_ticks(game.pid);
    while (static_cast<int>(arrivals.size()) <= frames) {
        const double t = next_arrival(1000);
        if (t < 0) die("no frame reached the server for a second");
        arrivals.push_back(t);
    }
    const long cpu_used = cpu_ticks(game.pid) - cpu_start;
    end_game(game);

    std::vector<double> ms;
    for (size_t i = 1; i < arrivals.size(); ++i) ms.push_back(arrivals[i] - arrivals[i - 1]);
    const auto on_time = std::count_if(ms.begin(), ms.end(), [](double d) { return std::abs(d - FRAME_MS) <= 1.0; });
    std::sort(ms.begin(), ms.end());
    const double wall_ms = arrivals.back() - arrivals.front();
    std::printf("frames reaching the X server (title screen, %d intervals in %.3f s)\n", frames, wall_ms / 1e3);
    std::printf("  interval median        %.3f ms (a frame lasts %.3f)\n", percentile(ms, 50), FRAME_MS);
    std::printf("  interval 1st / 99th    %.3f / %.3f ms\n", percentile(ms, 1), percentile(ms, 99));
    std::printf("  interval min / max     %.3f / %.3f ms\n", ms.front(), ms.back());
    std::printf("  within +-1 ms          %.1f %%\n", 100.0 * on_time / ms.size());
    std::printf("  game's CPU time        %.1f %% of one core\n",
                100.0 * cpu_used * (1000.0 / sysconf(_SC_CLK_TCK)) / wall_ms);
}

// One fresh start: a moment on the title, S pressed `phase` (0..1) of a frame
// after a frame arrived, the time until a changed picture reaches the server.
double key_to_screen(const char *path, double phase) {
    Game game = start_game(path);
    const double settle = now_ms() + 700;
    while (now_ms() < settle) next_arrival(settle - now_ms());
    if (next_arrival(1000) < 0) die("the title shows no frames");
    const std::vector<uint32_t> title = picture(game.window);
    const double arrived = next_arrival(1000);
    if (arrived < 0) die("the title shows no frames");
    const double wait_ms = arrived + phase * FRAME_MS - now_ms();
    if (wait_ms > 0) usleep(static_cast<useconds_t>(wait_ms * 1000));

    const double pressed = now_ms();
    press(XK_s, true);
    double latency = -1;
    while (latency < 0) {
        const double t = next_arrival(pressed + 1000 - now_ms());
        if (t < 0) die("S changed nothing on the screen within a second");
        if (differing_pixels(picture(game.window), title) > CHANGED_PIXELS) latency = t - pressed;
    }
    press(XK_s, false);
    end_game(game);
    return latency;
}

}  // namespace

int main(int argc, char **argv) {
    int frames = 600, starts = 40;
    const char *path = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--frames" && i + 1 < argc) frames = std::atoi(argv[++i]);
        else if (arg == "--starts" && i + 1 < argc) starts = std::atoi(argv[++i]);
        else path = argv[i];
    }
    if (!path || frames < 2 || starts < 1) die("usage: feel_bench [--frames N] [--starts N] GAME");
    display = XOpenDisplay(nullptr);
    if (!display) die("no X display");
    int error_base, major, minor, event_base;
    if (!XDamageQueryExtension(display, &damage_event_base, &error_base)) die("the X server has no DAMAGE");
    if (!XTestQueryExtension(display, &event_base, &error_base, &major, &minor)) die("the X server has no XTEST");
    XSetErrorHandler(ignore_x_errors);
    signal(SIGPIPE, SIG_IGN);

    measure_arrivals(path, frames);

    std::vector<double> latencies;
    for (int i = 0; i < starts; ++i) latencies.push_back(key_to_screen(path, (i + 0.5) / starts));
    std::sort(latencies.begin(), latencies.end());
    std::printf("key to screen (S on the title to the first frame of play at the X server, %d fresh starts)\n", starts);
    std::printf("  median                 %.1f ms\n", percentile(latencies, 50));
    std::printf("  1st / 99th percentile  %.1f / %.1f ms\n", percentile(latencies, 1), percentile(latencies, 99));
    std::printf("  min / max              %.1f / %.1f ms\n", latencies.front(), latencies.back());
    XCloseDisplay(display);
    return 0;
}
