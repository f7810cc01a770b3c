// How steadily the real game paces its frames: opens the 320 x 320 window, runs
// 600 frames of the title screen through the game's own frame loop, and reports
// the intervals between retrace wakes and the CPU time the process used.
// Needs a display and data/: run from the repository root, for instance as
//   xvfb-run -a build/bench/pacing_bench
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <vector>

#include "core/game_state.h"
#include "shell/pacer.h"
#include "shell/shell.h"
#include "shell/startup.h"

namespace {

constexpr int FRAMES = 600;

FramePacer pacer;
std::vector<int64_t> wakes;
std::vector<double> lateness_ms;  // how long after its deadline each wake came

void wait_retrace() {
    pacer_wait(pacer);
    const int64_t now = monotonic_ns();
    wakes.push_back(now);
    if (pacer.frame > 0) lateness_ms.push_back((now - pacer.start_ns - pacer.frame * FRAME_NS) / 1e6);
}
void present() { blit(game.back_buffer, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H); }
void poll() { poll_keyboard(); }
const FramePlatform WINDOW = {wait_retrace, present, poll};

int64_t cpu_ns() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);  // every thread, the library's included
    auto ns = [](const timeval &t) { return t.tv_sec * 1000000000LL + t.tv_usec * 1000LL; };
    return ns(usage.ru_utime) + ns(usage.ru_stime);
}

bool open_game() { return start_window(MODE_TITLE) == START_OK; }

double percentile(const std::vector<double> &sorted, double p) {
    return sorted[static_cast<size_t>(p / 100.0 * (sorted.size() - 1) + 0.5)];
}

}  // namespace

int main() {
    if (!open_game()) {
        std::fprintf(stderr, "pacing_bench: cannot open the game's window (no display, or no data/ here)\n");
        return 1;
    }
    wakes.reserve(FRAMES + 1);
    lateness_ms.reserve(FRAMES);
    run_frame(WINDOW);  // the first frame loads caches; time the steady state

    const int64_t cpu_start = cpu_ns();
    pacer_start(pacer);
    wakes.clear();
    lateness_ms.clear();
    wakes.push_back(pacer.start_ns);
    for (int i = 0; i < FRAMES; ++i) run_frame(WINDOW);
    const int64_t cpu_used = cpu_ns() - cpu_start;
    const int64_t wall = wakes.back() - wakes.front();
    stop_game();

    std::vector<double> ms;
    for (size_t i = 1; i < wakes.size(); ++i) ms.push_back((wakes[i] - wakes[i - 1]) / 1e6);
    const double target = FRAME_NS / 1e6;
    const auto on_time = std::count_if(ms.begin(), ms.end(), [&](double d) { return d > target - 1 && d < target + 1; });
    std::sort(ms.begin(), ms.end());
    std::sort(lateness_ms.begin(), lateness_ms.end());

    std::printf("frames                 %d in %.3f s (%.2f per second)\n", FRAMES, wall / 1e9, FRAMES * 1e9 / wall);
    std::printf("interval median        %.3f ms (target %.3f)\n", percentile(ms, 50), target);
    std::printf("interval 1st / 99th    %.3f / %.3f ms\n", percentile(ms, 1), percentile(ms, 99));
    std::printf("interval min / max     %.3f / %.3f ms\n", ms.front(), ms.back());
    std::printf("wake after deadline    median %.3f, 99th %.3f, max %.3f ms\n", percentile(lateness_ms, 50),
                percentile(lateness_ms, 99), lateness_ms.back());
    std::printf("within 1 ms of target  %.1f %%\n", 100.0 * on_time / ms.size());
    std::printf("CPU time               %.2f %% of one core\n", 100.0 * cpu_used / wall);
    return 0;
}
