// Where each frame's time goes inside the real game: opens the 320 x 320
// window, runs 600 frames of the title screen through the game's own frame
// loop and window hooks, and times them against the frame clock's deadlines:
// how late the sleeping thread wakes, how long reading the keys and computing
// the next frame take after the latch, and how much of the margin is left.
// This is what the latch margin is chosen from. What reaches the screen is
// measured from outside by feel_bench.
// Needs a display and data/: run from the repository root, for instance as
//   xvfb-run -a -s '-screen 0 640x480x24' build/bench/pacing_bench
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

#include "core/game_state.h"
#include "shell/startup.h"

namespace {

constexpr int FRAMES = 600;

const FramePlatform &game_hooks = window_platform();
const FramePacer &pacer = window_pacer();

int64_t latched_ns;  // when the keys of the coming frame had been read
std::vector<double> present_late_ms, latch_late_ms, work_ms, spare_ms;
std::vector<int64_t> shown_ns;

double ms(int64_t ns) { return ns / 1e6; }

void wait_retrace() {
    const int64_t ready = monotonic_ns();
    const int64_t due = pacer_deadline(pacer, pacer.frame + 1);
    game_hooks.wait_retrace();
    const int64_t woke = monotonic_ns();
    if (pacer.frame == 0) return;  // counting started afresh
    spare_ms.push_back(ms(due - ready));
    present_late_ms.push_back(ms(woke - due));
    if (latched_ns) work_ms.push_back(ms(ready - latched_ns));
}
void present() {
    game_hooks.present();
    shown_ns.push_back(monotonic_ns());
}
void poll() {
    const int64_t latch = pacer_latch_time(pacer);
    game_hooks.poll();
    latched_ns = monotonic_ns();
    latch_late_ms.push_back(ms(latched_ns - latch));
}
const FramePlatform TIMED = {wait_retrace, present, poll};

int64_t cpu_ns() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);  // every thread, the library's included
    auto ns = [](const timeval &t) { return t.tv_sec * 1000000000LL + t.tv_usec * 1000LL; };
    return ns(usage.ru_utime) + ns(usage.ru_stime);
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p / 100.0 * (values.size() - 1) + 0.5)];
}

void report(const char *what, const std::vector<double> &values) {
    std::printf("%-34s median %.3f, 99th %.3f, min %.3f, max %.3f ms\n", what, percentile(values, 50),
                percentile(values, 99), percentile(values, 0), percentile(values, 100));
}

}  // namespace

int main() {
    if (start_window(MODE_TITLE) != START_OK) {
        std::fprintf(stderr, "pacing_bench: cannot open the game's window (no display, or no data/ here)\n");
        return 1;
    }
    for (int i = 0; i < 10; ++i) run_frame(TIMED);  // caches warm, the clock settled
    present_late_ms.clear(), latch_late_ms.clear(), work_ms.clear(), spare_ms.clear(), shown_ns.clear();

    const int64_t cpu_start = cpu_ns();
    for (int i = 0; i < FRAMES; ++i) run_frame(TIMED);
    const int64_t cpu_used = cpu_ns() - cpu_start;
    stop_game();

    std::vector<double> intervals;
    for (size_t i = 1; i < shown_ns.size(); ++i) intervals.push_back(ms(shown_ns[i] - shown_ns[i - 1]));
    const double frame_ms = ms(FRAME_NS);
    const auto on_time = std::count_if(intervals.begin(), intervals.end(),
                                       [&](double d) { return d > frame_ms - 1 && d < frame_ms + 1; });
    const double wall = shown_ns.back() - shown_ns.front();

    std::printf("frames                             %d, latch margin %.3f ms\n", FRAMES, ms(KEY_LATCH_MARGIN_NS));
    report("woke after the deadline", present_late_ms);
    report("keys read, after the latch point", latch_late_ms);
    report("next frame computed, after keys", work_ms);
    report("spare before the deadline", spare_ms);
    report("interval between presents", intervals);
    std::printf("presents within 1 ms of a frame    %.1f %%\n", 100.0 * on_time / intervals.size());
    std::printf("CPU time                           %.2f %% of one core\n", 100.0 * cpu_used / wall);
    return 0;
}
