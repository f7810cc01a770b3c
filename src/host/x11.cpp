#include "host/x11.h"

#include <allegro.h>
#include <csignal>
#include <ctime>
#include <pthread.h>
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

// ---- The library's background work -------------------------------------------
// The manager below keeps the library's contract: a task runs with `threaded`
// set, never beside another task nor while the library holds the work back
// (disable_interrupts, until as many enable_interrupts), and a task taken off
// has finished running when unregister returns.
namespace {

constexpr int MAX_TASKS = 8;
// The library's own manager runs its tasks every 10 ms.
constexpr long TASK_PERIOD_NS = 10000000;

struct Task {
    bg_func run;
    bool on_thread;  // false: the display's input handler, which the frame loop runs
};
Task tasks[MAX_TASKS];
int task_count;
int held_back;             // disable_interrupts less enable_interrupts
bool display_started;      // tasks set up from now on are not the display's
bool thread_running;       // until exit
pthread_t thread;
pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;  // held while tasks run
pthread_cond_t changed;    // a task, the hold or the end, on the monotonic clock

bool any_thread_task() {
    for (int i = 0; i < task_count; ++i)
        if (tasks[i].on_thread) return true;
    return false;
}

void *run_tasks(void *) {
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, nullptr);
    pthread_mutex_lock(&lock);
    while (thread_running) {
        if (held_back > 0 || !any_thread_task()) {
            pthread_cond_wait(&changed, &lock);
            continue;
        }
        for (int i = 0; i < task_count; ++i)
            if (tasks[i].on_thread) tasks[i].run(1);
        // The next round a period from now: a thread held up catches nothing up.
        timespec due;
        clock_gettime(CLOCK_MONOTONIC, &due);
        due.tv_nsec += TASK_PERIOD_NS;
        if (due.tv_nsec >= 1000000000L) due.tv_nsec -= 1000000000L, ++due.tv_sec;
        pthread_cond_timedwait(&changed, &lock, &due);
    }
    pthread_mutex_unlock(&lock);
    return nullptr;
}

int start_manager() {
    pthread_condattr_t attributes;
    pthread_condattr_init(&attributes);
    pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
    pthread_cond_init(&changed, &attributes);
    pthread_condattr_destroy(&attributes);
    task_count = held_back = 0;
    display_started = false;
    return 0;
}

void stop_manager() {
    pthread_mutex_lock(&lock);
    const bool was_running = thread_running;
    thread_running = false;
    pthread_cond_signal(&changed);
    pthread_mutex_unlock(&lock);
    if (was_running) pthread_join(thread, nullptr);
    pthread_cond_destroy(&changed);
}

int add_task(bg_func run) {
    pthread_mutex_lock(&lock);
    const bool room = task_count < MAX_TASKS;
    if (room) tasks[task_count++] = {run, display_started};
    if (room && display_started && !thread_running)
        thread_running = pthread_create(&thread, nullptr, run_tasks, nullptr) == 0;
    pthread_cond_signal(&changed);
    pthread_mutex_unlock(&lock);
    return room ? 0 : -1;
}

int remove_task(bg_func run) {
    // A task may take itself off from the thread, which holds the lock already.
    const bool from_thread = thread_running && pthread_equal(pthread_self(), thread);
    if (!from_thread) pthread_mutex_lock(&lock);
    for (int i = 0; i < task_count; ++i)
        if (tasks[i].run == run) {
            tasks[i] = tasks[--task_count];
            break;
        }
    if (!from_thread) pthread_mutex_unlock(&lock);
    return 0;
}

void hold_back() {
    pthread_mutex_lock(&lock);
    ++held_back;
    pthread_mutex_unlock(&lock);
}

void let_go() {
    pthread_mutex_lock(&lock);
    if (--held_back == 0) pthread_cond_signal(&changed);
    pthread_mutex_unlock(&lock);
}

int held() { return held_back; }

}  // namespace

void quiet_library_background() {
    _bg_man_pthreads = {1, start_manager, stop_manager, add_task, remove_task, let_go, hold_back, held};
}

void display_started_up() {
    pthread_mutex_lock(&lock);
    display_started = true;
    pthread_mutex_unlock(&lock);
}
