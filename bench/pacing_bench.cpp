// Where each frame's time goes inside the real game: opens the 320 x 320
// window, runs 600 frames of the title screen through the game's own frame
// loop and window hooks, and times them against the frame clock's deadlines:
// how late the sleeping thread wakes, how long reading the keys and computing
// the next frame take after the latch, and how much of the margin is left.
// This is what the latch margin is chosen from. What reaches the screen is
// measured from outside by feel_bench.
// Needs a display and data/: run from the repository root, for instance as
//   xvfb-run -a -s '-screen 0 640x480x24' build/bench/pacing_bench
// `editor quiet` times the editor instead; `editor refresh` the editor with a
// cell edited every 20th frame, so that the recovery file is refreshed every
// 3 s; `editor proof` the editor saving to a scratch file every 60th frame,
// so that a proof runs nearly all the time (the three frames that follow a
// save are timed apart: the one computed with the press, the one whose idle
// time writes the file and starts its flushes in a child, and the next).
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <vector>

#include "core/game_state.h"
#include "core/message.h"
#include "level/level.h"
#include "host/editing.h"
#include "host/window.h"

namespace {

constexpr int FRAMES = 600;

const FramePlatform &game_hooks = window_platform();
const FramePacer &pacer = window_pacer();

constexpr int EDIT_EVERY = 20, SAVE_EVERY = 60, AFTER_SAVE_FRAMES = 3;
bool editor = false, editing = false, saving = false;
int frame_count = 0;
int after_save = 0;  // frames still to be timed as following a save, the one being computed included

int64_t latched_ns;  // when the keys of the coming frame had been read
std::vector<double> present_late_ms, latch_late_ms, work_ms, spare_ms, after_save_spare_ms;
std::vector<int64_t> shown_ns;

double ms(int64_t ns) { return ns / 1e6; }

void wait_retrace() {
    const int64_t ready = monotonic_ns();
    const int64_t due = pacer_deadline(pacer, pacer.frame + 1);
    game_hooks.wait_retrace();
    const int64_t woke = monotonic_ns();
    if (pacer.frame == 0) return;  // counting started afresh
    (after_save > 0 ? after_save_spare_ms : spare_ms).push_back(ms(due - ready));
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
    // As a designer would: a cell changed, now and then a save.
    ++frame_count;
    after_save = saving && frame_count % SAVE_EVERY == 0 ? AFTER_SAVE_FRAMES : after_save - 1;
    if (editing && frame_count % EDIT_EVERY == 0) game.grid[200][1 + frame_count / EDIT_EVERY % 30] ^= 2;
    if (after_save == AFTER_SAVE_FRAMES) editor_save();
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

int main(int argc, char **argv) {
    editor = argc == 3 && std::string_view(argv[1]) == "editor";
    editing = editor && std::string_view(argv[2]) == "refresh";
    saving = editor && std::string_view(argv[2]) == "proof";
    char scratch[] = "/tmp/upshot-pacing-XXXXXX";
    if (editor) set_level_text_path((std::string(mkdtemp(scratch)) + "/level.txt").c_str());
    if (start_window(editor ? MODE_EDITOR : MODE_TITLE) != START_OK) {
        print_message("cannot open the game's window (no display, or no data/ here)");
        return 1;
    }
    if (editor) find_recovery(), begin_editing(), set_idle_work(tend_editing);
    for (int i = 0; i < 10; ++i) run_frame(TIMED);  // caches warm, the clock settled
    present_late_ms.clear(), latch_late_ms.clear(), work_ms.clear(), spare_ms.clear(), shown_ns.clear();
    after_save_spare_ms.clear();

    const int64_t cpu_start = cpu_ns();
    const int frames = editor ? 6 * FRAMES : FRAMES;
    for (int i = 0; i < frames; ++i) run_frame(TIMED);
    const int64_t cpu_used = cpu_ns() - cpu_start;
    if (editor) end_editing();
    stop_game();
    if (editor) std::filesystem::remove_all(scratch);

    std::vector<double> intervals;
    for (size_t i = 1; i < shown_ns.size(); ++i) intervals.push_back(ms(shown_ns[i] - shown_ns[i - 1]));
    const double frame_ms = ms(FRAME_NS);
    const auto on_time = std::count_if(intervals.begin(), intervals.end(),
                                       [&](double d) { return d > frame_ms - 1 && d < frame_ms + 1; });
    const double wall = shown_ns.back() - shown_ns.front();

    std::printf("frames                             %d, latch margin %.3f ms\n", frames, ms(KEY_LATCH_MARGIN_NS));
    report("woke after the deadline", present_late_ms);
    report("keys read, after the latch point", latch_late_ms);
    report("next frame computed, after keys", work_ms);
    report("spare before the deadline", spare_ms);
    std::printf("frames ready after their deadline  %zd\n", std::count_if(spare_ms.begin(), spare_ms.end(), [](double d) { return d < 0; }));
    if (saving) {
        report("the same, in 3 frames after each save", after_save_spare_ms);
        std::printf("of those, more than 2 ms late        %zd of %zu\n",
                    std::count_if(after_save_spare_ms.begin(), after_save_spare_ms.end(), [](double d) { return d < -2; }),
                    after_save_spare_ms.size());
    }
    report("interval between presents", intervals);
    std::printf("presents within 1 ms of a frame    %.1f %%\n", 100.0 * on_time / intervals.size());
    std::printf("CPU time                           %.2f %% of one core\n", 100.0 * cpu_used / wall);
    return 0;
}
