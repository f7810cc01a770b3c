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
// With --cpu it measures instead what the game costs the machine: each
// thread's processor time (utime + stime in /proc/PID/task/TID/stat, and the
// exact run time in .../schedstat) and its wake-ups (voluntary context
// switches, from .../status), over a stretch on
// the title screen and one in play (S pressed, no other key: the ship sits at
// the bottom of level 2, which nothing reaches in that time), for each GAME
// given and for the bare client, taking turns, round after round. Give two
// builds to compare a change with what it replaces in the same run.
// Run from the repository root (the game loads data/ from there) on an X
// server with a 24-bit screen, for instance
//   xvfb-run -a -s '-screen 0 1280x1024x24' build/bench/feel_bench --scale 3 build/upshot
//   xvfb-run -a -s '-screen 0 1280x1024x24' build/bench/feel_bench --cpu --sound OLD/upshot build/upshot
// Options: --frames N (intervals to time, default 600), --starts N (fresh
// starts for key to screen, default 40), --scale N (the game's --scale, 1 to
// 8); with --cpu, --seconds N (each stretch, default 10), --rounds N (default
// 3) and --sound (the game plays its sound into ALSA's file plugin, writing to
// /dev/null, through a private HOME holding an .asoundrc).
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
#include <dirent.h>
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
const char *game_home = nullptr;  // the game's HOME, when it plays its sound
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
        if (game_home) setenv("HOME", game_home, 1);
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

// What one thread of a process has used so far.
struct ThreadUse {
    long ticks = 0;    // processor time, user and system, in clock ticks
    double run_ns = 0;  // time on a processor, exact (the first field of schedstat)
    long wakeups = 0;  // voluntary context switches: each a sleep it woke from
};

// The text of a file of /proc, up to 4 KB.
std::string proc_text(const char *path) {
    FILE *file = std::fopen(path, "r");
    if (!file) return "";
    char buffer[4096];
    const size_t n = std::fread(buffer, 1, sizeof buffer - 1, file);
    std::fclose(file);
    buffer[n] = '\0';
    return buffer;
}

ThreadUse thread_use(const std::string &task) {
    ThreadUse use;
    const std::string stat = proc_text((task + "/stat").c_str());
    const size_t name_end = stat.rfind(')');  // the name may hold spaces
    long utime = 0, stime = 0;
    if (name_end != std::string::npos &&
        std::sscanf(stat.c_str() + name_end + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %ld %ld", &utime,
                    &stime) == 2)
        use.ticks = utime + stime;
    use.run_ns = std::atof(proc_text((task + "/schedstat").c_str()).c_str());
    const std::string status = proc_text((task + "/status").c_str());
    const size_t at = status.find("\nvoluntary_ctxt_switches:");
    if (at != std::string::npos) use.wakeups = std::atol(status.c_str() + at + 26);
    return use;
}

// The main thread (its id is the process's) and the others, summed.
struct ProcessUse {
    ThreadUse main, others;
    int other_threads = 0;
};

ProcessUse process_use(pid_t pid) {
    ProcessUse use;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR *dir = opendir(tasks.c_str());
    if (!dir) return use;
    while (const dirent *entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        const ThreadUse t = thread_use(tasks + "/" + entry->d_name);
        if (std::atoi(entry->d_name) == pid) {
            use.main = t;
        } else {
            use.others.ticks += t.ticks, use.others.run_ns += t.run_ns, use.others.wakeups += t.wakeups;
            ++use.other_threads;
        }
    }
    closedir(dir);
    return use;
}

long cpu_ticks(pid_t pid) {
    const ProcessUse use = process_use(pid);
    return use.main.ticks + use.others.ticks;
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

// ---- What the game costs the machine (--cpu) ----

// One stretch of one program: shares of one core and wake-ups a second.
// Processor time in ticks misses most of a thread that runs for microseconds
// at a time (a tick is charged to whoever runs at that instant), so the exact
// run time is given beside it.
struct Use {
    double cpu = 0, main_cpu = 0, others_cpu = 0;
    double run = 0, main_run = 0, others_run = 0;
    double wakeups = 0, main_wakeups = 0, others_wakeups = 0;
    int other_threads = 0;
    double frames = 0;  // a second, as the damage events tell
};

// Watches `seconds` of a running program, answering its damage events
// meanwhile so that they do not pile up at the server.
Use measure_use(pid_t pid, double seconds) {
    const ProcessUse from = process_use(pid);
    const double start = now_ms(), end = start + seconds * 1000;
    int frames = 0;
    for (double left; (left = end - now_ms()) > 0;)
        if (next_arrival(left) >= 0) ++frames;
    const ProcessUse to = process_use(pid);
    const double wall_s = (now_ms() - start) / 1000, tick_s = 1.0 / sysconf(_SC_CLK_TCK);
    Use use;
    use.main_cpu = 100.0 * (to.main.ticks - from.main.ticks) * tick_s / wall_s;
    use.others_cpu = 100.0 * (to.others.ticks - from.others.ticks) * tick_s / wall_s;
    use.cpu = use.main_cpu + use.others_cpu;
    use.main_run = (to.main.run_ns - from.main.run_ns) / 1e7 / wall_s;
    use.others_run = (to.others.run_ns - from.others.run_ns) / 1e7 / wall_s;
    use.run = use.main_run + use.others_run;
    use.main_wakeups = (to.main.wakeups - from.main.wakeups) / wall_s;
    use.others_wakeups = (to.others.wakeups - from.others.wakeups) / wall_s;
    use.wakeups = use.main_wakeups + use.others_wakeups;
    use.other_threads = to.other_threads;
    use.frames = frames / wall_s;
    return use;
}

// The title screen, then play, each for `seconds` after a second to settle.
void measure_title_and_play(const char *path, double seconds, Use &title, Use &play) {
    Game game = start_game(path);
    const auto settle = [] {
        const double until = now_ms() + 1000;
        while (now_ms() < until) next_arrival(until - now_ms());
    };
    settle();
    title = measure_use(game.pid, seconds);
    press(XK_s, true);
    usleep(100000);
    press(XK_s, false);
    settle();
    play = measure_use(game.pid, seconds);
    end_game(game);
}

void print_use(const char *name, const char *stretch, const Use &u) {
    std::printf("  %-26s %-5s ticks %4.2f %% (main %4.2f, %d other %4.2f)  run %4.2f %% (main %4.2f, others %4.2f)  "
                "%5.0f wake-ups/s (main %4.0f, others %4.0f)  %4.1f frames/s\n",
                name, stretch, u.cpu, u.main_cpu, u.other_threads, u.others_cpu, u.run, u.main_run, u.others_run,
                u.wakeups, u.main_wakeups, u.others_wakeups, u.frames);
}

// Each GAME and the bare client in turn, round after round, then the range
// of each figure over the rounds.
void measure_cpu(const std::vector<const char *> &games, double seconds, int rounds) {
    std::vector<const char *> programs = games;
    programs.push_back(nullptr);  // the bare client
    std::vector<std::vector<Use>> titles(programs.size()), plays(programs.size());
    const auto name_of = [](const char *path) { return path ? path : "bare client"; };
    std::printf("scale %d, %s, %.0f s a stretch: processor time in %% of one core; wake-ups a second\n", scale,
                game_home ? "sound on" : "no sound", seconds);
    for (int r = 0; r < rounds; ++r) {
        std::printf("round %d\n", r + 1);
        for (size_t p = 0; p < programs.size(); ++p) {
            Use title, play;
            measure_title_and_play(programs[p], seconds, title, play);
            titles[p].push_back(title), plays[p].push_back(play);
            print_use(name_of(programs[p]), "title", title);
            print_use(name_of(programs[p]), "play", play);
        }
    }
    std::printf("ranges over %d rounds: processor time (%% of one core, in ticks and exact), wake-ups a second\n",
                rounds);
    for (size_t p = 0; p < programs.size(); ++p)
        for (const auto *uses : {&titles[p], &plays[p]}) {
            const auto range = [&](double Use::*field, const char *format) {
                double lo = 1e9, hi = -1e9;
                for (const Use &u : *uses) lo = std::min(lo, u.*field), hi = std::max(hi, u.*field);
                std::printf(format, lo, hi);
            };
            std::printf("  %-26s %-5s", name_of(programs[p]), uses == &titles[p] ? "title" : "play");
            range(&Use::cpu, " ticks %4.2f-%4.2f");
            range(&Use::run, "  run %4.2f-%4.2f");
            range(&Use::main_run, " (main %4.2f-%4.2f,");
            range(&Use::others_run, " others %4.2f-%4.2f)");
            range(&Use::wakeups, "  wake-ups %4.0f-%4.0f");
            range(&Use::others_wakeups, " (others %4.0f-%4.0f)\n");
        }
}

// A private HOME whose .asoundrc sends ALSA's default device to /dev/null.
const char *silent_sound_home() {
    static char home[] = "/tmp/feel_bench.XXXXXX";
    if (!mkdtemp(home)) die("cannot make a folder for the sound's HOME");
    const std::string rc = std::string(home) + "/.asoundrc";
    FILE *file = std::fopen(rc.c_str(), "w");
    if (!file) die("cannot write the sound's .asoundrc");
    std::fputs("pcm.!default {\n  type file\n  slave.pcm \"null\"\n  file \"/dev/null\"\n  format \"raw\"\n}\n", file);
    std::fclose(file);
    return home;
}

void remove_sound_home() {
    if (!game_home) return;
    std::remove((std::string(game_home) + "/.asoundrc").c_str());
    rmdir(game_home);
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
    int frames = 600, starts = 40, rounds = 3;
    double seconds = 10;
    bool cpu = false, sound = false;
    std::vector<const char *> games;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--frames" && i + 1 < argc) frames = std::atoi(argv[++i]);
        else if (arg == "--starts" && i + 1 < argc) starts = std::atoi(argv[++i]);
        else if (arg == "--scale" && i + 1 < argc) scale = std::atoi(argv[++i]);
        else if (arg == "--seconds" && i + 1 < argc) seconds = std::atof(argv[++i]);
        else if (arg == "--rounds" && i + 1 < argc) rounds = std::atoi(argv[++i]);
        else if (arg == "--cpu") cpu = true;
        else if (arg == "--sound") sound = true;
        else games.push_back(argv[i]);
    }
    if (games.empty() || (!cpu && games.size() > 1) || frames < 2 || starts < 1 || scale < 1 || scale > 8 ||
        seconds <= 0 || rounds < 1)
        die("usage: feel_bench [--frames N] [--starts N] [--scale N] GAME\n"
            "       feel_bench --cpu [--seconds N] [--rounds N] [--sound] [--scale N] GAME...");
    const char *path = games[0];
    display = XOpenDisplay(nullptr);
    if (!display) die("no X display");
    int error_base, major, minor, event_base;
    if (!XDamageQueryExtension(display, &damage_event_base, &error_base)) die("the X server has no DAMAGE");
    if (!XTestQueryExtension(display, &event_base, &error_base, &major, &minor)) die("the X server has no XTEST");
    if (!XShmQueryExtension(display)) die("the X server has no MIT-SHM");
    XSetErrorHandler(ignore_x_errors);
    signal(SIGPIPE, SIG_IGN);

    if (cpu) {
        if (sound) game_home = silent_sound_home();
        measure_cpu(games, seconds, rounds);
        remove_sound_home();
        XCloseDisplay(display);
        return 0;
    }
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
