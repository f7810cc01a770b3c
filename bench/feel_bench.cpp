// What the player gets, measured from outside the game: a separate X client
// that starts the real game in a real window and watches what reaches the X
// server. Two figures:
//   - frames reaching the screen: the intervals between the window's XDamage
//     events on the title screen, and the game's CPU time meanwhile;
//   - key to screen: S pressed with XTest on the title, until the first damage
//     whose picture differs from the title's, over many fresh starts. Start i
//     of n presses S (i + 1/2) / n of a frame after a frame arrives, so the
//     presses cover the frame evenly and the median is not a matter of luck.
// Both are measured, in the same run, for a bare X client as well: a window
// of the same size that puts a picture (through shared memory, as the game's
// library does) on exact 60 Hz deadlines, reads its keys just before each
// and shows another picture once S is down. On a busy machine the bare
// client says how much of what is measured is the machine's and not the game's.
// Run from the repository root (the game loads data/ from there) on an X
// server with a 24-bit screen, for instance
//   xvfb-run -a -s '-screen 0 1280x1024x24' build/bench/feel_bench --scale 3 build/upshot
// Options: --frames N (intervals to time, default 600), --starts N (fresh
// starts for key to screen, default 40), --scale N (the game's --scale, 1 to 8).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
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
#include <sys/ipc.h>
#include <sys/shm.h>
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
constexpr int VIEW = 320;
// The window class of the game's library, and of the bare client.
const char GAME_CLASS[] = "Allegro";
const char BARE_CLASS[] = "FeelBare";

Display *display;
int scale = 1;
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

// The mapped window of class `wanted` under the root, or 0.
Window find_game_frame(const char *wanted) {
    Window root_return, parent, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root_return, &parent, &children, &count)) return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        XClassHint hint{};
        if (!XGetClassHint(display, children[i], &hint)) continue;
        XWindowAttributes attributes;
        if (std::strcmp(hint.res_class, wanted) == 0 && XGetWindowAttributes(display, children[i], &attributes) &&
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

// A picture of the window's size in memory the X server shares (described
// by `shm`, which must last as long), filled with stripes, inverted when asked.
XImage *shared_picture(Display *own, XShmSegmentInfo *shm, int size, bool inverted) {
    const int screen = DefaultScreen(own);
    XImage *image = XShmCreateImage(own, DefaultVisual(own, screen), DefaultDepth(own, screen), ZPixmap, nullptr,
                                    shm, size, size);
    if (!image) _exit(1);
    shm->shmid = shmget(IPC_PRIVATE, image->bytes_per_line * image->height, IPC_CREAT | 0600);
    shm->shmaddr = image->data = static_cast<char *>(shmat(shm->shmid, nullptr, 0));
    XShmAttach(own, shm);
    XSync(own, False);
    shmctl(shm->shmid, IPC_RMID, nullptr);  // gone once both sides let go
    for (int y = 0; y < size; ++y) {
        auto *row = reinterpret_cast<uint32_t *>(image->data + y * image->bytes_per_line);
        const uint32_t c = (y / 8 % 2 ? 0x203060u : 0xc0a040u) ^ (inverted ? 0xffffffu : 0u);
        for (int x = 0; x < size; ++x) row[x] = c;
    }
    return image;
}

// The bare client, in a child process with its own connection: a window of
// the game's size and, at every deadline of a 60 Hz clock, its keys read and
// a whole picture put through shared memory and sent at once. The pictures
// are ready beforehand: the stripes, inverted once S is down. Escape ends it.
[[noreturn]] void run_bare_client() {
    Display *own = XOpenDisplay(nullptr);
    if (!own) _exit(1);
    const int size = VIEW * scale, screen = DefaultScreen(own);
    Window window = XCreateSimpleWindow(own, RootWindow(own, screen), 0, 0, size, size, 0, 0, 0);
    XClassHint hint{const_cast<char *>(BARE_CLASS), const_cast<char *>(BARE_CLASS)};
    XSetClassHint(own, window, &hint);
    XSelectInput(own, window, KeyPressMask | KeyReleaseMask);
    XMapWindow(own, window);
    static XShmSegmentInfo shm[2];
    XImage *const pictures[2] = {shared_picture(own, &shm[0], size, false), shared_picture(own, &shm[1], size, true)};
    const GC gc = DefaultGC(own, screen);
    bool s_down = false;
    timespec deadline;
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    for (;;) {
        deadline.tv_nsec += 1000000000L / 60;
        if (deadline.tv_nsec >= 1000000000L) deadline.tv_nsec -= 1000000000L, ++deadline.tv_sec;
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr);
        while (XPending(own)) {
            XEvent event;
            XNextEvent(own, &event);
            if (event.type != KeyPress) continue;
            const KeySym key = XLookupKeysym(&event.xkey, 0);
            if (key == XK_Escape) _exit(0);
            if (key == XK_s) s_down = true;
        }
        XShmPutImage(own, window, gc, pictures[s_down], 0, 0, 0, 0, size, size, False);
        XSync(own, False);
    }
}

// Starts the game at `path` (with --scale), or the bare client when path is
// null, and waits for its window.
Game start_game(const char *path) {
    const char *wanted = path ? GAME_CLASS : BARE_CLASS;
    if (find_game_frame(GAME_CLASS) || find_game_frame(BARE_CLASS))
        die("a game's window is already open on this display");
    Game game;
    game.pid = fork();
    if (game.pid < 0) die("cannot fork");
    if (game.pid == 0) {
        if (!path) run_bare_client();
        const std::string scale_text = std::to_string(scale);
        execl(path, path, "--scale", scale_text.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    running_game = game.pid;
    const double give_up = now_ms() + 20000;
    while (!(game.frame = find_game_frame(wanted))) {
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

// The 320 x 320 screen pixels at the middle of the window (all of it at
// scale 1): reading the whole window at a larger scale would take the bench
// long enough to see the next frame late.
std::vector<uint32_t> picture(Window window) {
    std::vector<uint32_t> pixels;
    const int from = (VIEW * scale - VIEW) / 2;
    XImage *image = XGetImage(display, window, from, from, VIEW, VIEW, AllPlanes, ZPixmap);
    if (!image) return pixels;
    pixels.reserve(VIEW * VIEW);
    for (int y = 0; y < VIEW; ++y)
        for (int x = 0; x < VIEW; ++x) pixels.push_back(XGetPixel(image, x, y));
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

// What one program gave: frame intervals on the title, its CPU time meanwhile,
// and key to screen over fresh starts.
struct Feel {
    std::vector<double> intervals;  // sorted, ms
    double on_time = 0;             // share within 1 ms of a frame, %
    double cpu = 0;                 // % of one core
    std::vector<double> latencies;  // sorted, ms
};

// The title screen for `frames` intervals, after half a second to settle.
void measure_arrivals(const char *path, int frames, Feel &feel) {
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

    std::vector<double> &ms = feel.intervals;
    for (size_t i = 1; i < arrivals.size(); ++i) ms.push_back(arrivals[i] - arrivals[i - 1]);
    const auto on_time = std::count_if(ms.begin(), ms.end(), [](double d) { return std::abs(d - FRAME_MS) <= 1.0; });
    std::sort(ms.begin(), ms.end());
    feel.on_time = 100.0 * on_time / ms.size();
    const double wall_ms = arrivals.back() - arrivals.front();
    feel.cpu = 100.0 * cpu_used * (1000.0 / sysconf(_SC_CLK_TCK)) / wall_ms;
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

void row(const char *what, const char *format, double game, double bare) {
    char a[32], b[32];
    std::snprintf(a, sizeof a, format, game);
    std::snprintf(b, sizeof b, format, bare);
    std::printf("  %-26s %12s %12s\n", what, a, b);
}

void row2(const char *what, const char *format, double game1, double game2, double bare1, double bare2) {
    char a[32], b[32];
    std::snprintf(a, sizeof a, format, game1, game2);
    std::snprintf(b, sizeof b, format, bare1, bare2);
    std::printf("  %-26s %12s %12s\n", what, a, b);
}

}  // namespace

int main(int argc, char **argv) {
    int frames = 600, starts = 40;
    const char *path = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--frames" && i + 1 < argc) frames = std::atoi(argv[++i]);
        else if (arg == "--starts" && i + 1 < argc) starts = std::atoi(argv[++i]);
        else if (arg == "--scale" && i + 1 < argc) scale = std::atoi(argv[++i]);
        else path = argv[i];
    }
    if (!path || frames < 2 || starts < 1 || scale < 1 || scale > 8)
        die("usage: feel_bench [--frames N] [--starts N] [--scale N] GAME");
    display = XOpenDisplay(nullptr);
    if (!display) die("no X display");
    int error_base, major, minor, event_base;
    if (!XDamageQueryExtension(display, &damage_event_base, &error_base)) die("the X server has no DAMAGE");
    if (!XTestQueryExtension(display, &event_base, &error_base, &major, &minor)) die("the X server has no XTEST");
    if (!XShmQueryExtension(display)) die("the X server has no MIT-SHM");
    XSetErrorHandler(ignore_x_errors);
    signal(SIGPIPE, SIG_IGN);

    // The game and the bare client take turns, so that both meet the same load.
    Feel game, bare;
    measure_arrivals(path, frames, game);
    measure_arrivals(nullptr, frames, bare);
    for (int i = 0; i < starts; ++i) {
        game.latencies.push_back(key_to_screen(path, (i + 0.5) / starts));
        bare.latencies.push_back(key_to_screen(nullptr, (i + 0.5) / starts));
    }
    std::sort(game.latencies.begin(), game.latencies.end());
    std::sort(bare.latencies.begin(), bare.latencies.end());

    const int size = VIEW * scale;
    std::printf("scale %d: a %d x %d window                  game   bare client\n", scale, size, size);
    std::printf("frames reaching the X server (title screen, %d intervals; a frame lasts %.3f ms)\n", frames, FRAME_MS);
    row("interval median (ms)", "%.3f", percentile(game.intervals, 50), percentile(bare.intervals, 50));
    row2("interval 1st / 99th (ms)", "%.2f / %.2f", percentile(game.intervals, 1), percentile(game.intervals, 99),
         percentile(bare.intervals, 1), percentile(bare.intervals, 99));
    row2("interval min / max (ms)", "%.2f / %.2f", game.intervals.front(), game.intervals.back(),
         bare.intervals.front(), bare.intervals.back());
    row("within +-1 ms (%)", "%.1f", game.on_time, bare.on_time);
    row("CPU time (% of one core)", "%.1f", game.cpu, bare.cpu);
    std::printf("key to screen (S to the first changed picture at the X server, %d fresh starts)\n", starts);
    row("median (ms)", "%.1f", percentile(game.latencies, 50), percentile(bare.latencies, 50));
    row2("1st / 99th percentile (ms)", "%.1f / %.1f", percentile(game.latencies, 1), percentile(game.latencies, 99),
         percentile(bare.latencies, 1), percentile(bare.latencies, 99));
    row2("min / max (ms)", "%.1f / %.1f", game.latencies.front(), game.latencies.back(), bare.latencies.front(),
         bare.latencies.back());
    XCloseDisplay(display);
    return 0;
}
