#include "host/pacer.h"
#include "support/harness.h"

constexpr int64_t START = 5000000007LL;  // any moment of the monotonic clock
constexpr int64_t SECOND = 1000000000LL;

// Runs frames that each finish exactly at their deadline; returns the last deadline.
static int64_t run_on_time(FramePacer &pacer, int frames) {
    int64_t deadline = pacer_deadline(pacer, pacer.frame);
    for (int i = 0; i < frames; ++i) deadline = pacer_next(pacer, deadline);
    return deadline;
}

// Deadlines are start + n/60 s to the nanosecond however long the game runs: a
// clock that added a rounded frame length each time would be 4 us off after 100 s.
// A frame a few frames late does not move the clock: the next frames are due at
// once, on the old grid, until the game has caught up.
TEST(FramePacer, DeadlinesNeverDriftAndAShortHiccupIsCaughtUpOnTheSameGrid) {
    FramePacer pacer;
    pacer_start(pacer, START);
    EXPECT_EQ(run_on_time(pacer, 1), START + 16666666);
    EXPECT_EQ(run_on_time(pacer, 2), START + 50000000);
    EXPECT_EQ(run_on_time(pacer, 6000 - 3), START + 100 * SECOND);
    pacer_start(pacer, START);
    run_on_time(pacer, 10);
    const int64_t late = pacer_deadline(pacer, 11) + PACER_MAX_LAG_FRAMES * FRAME_NS;
    EXPECT_EQ(pacer_next(pacer, late), pacer_deadline(pacer, 11));
    EXPECT_EQ(pacer_next(pacer, late), START + 12 * SECOND / 60);
    EXPECT_EQ(pacer.frame, 12);
}

// After a long stall (the machine was suspended, the window dragged) the game
// does not race through the frames it missed: the first frame is due at once
// and the following ones a frame apart from there, never in the past; the keys
// are still read between one frame's deadline and the next.
TEST(FramePacer, ALongStallStartsTheClockAfresh) {
    FramePacer pacer;
    pacer_start(pacer, START);
    run_on_time(pacer, 10);
    int64_t now = pacer_deadline(pacer, 11) + SECOND;
    int64_t previous = pacer_next(pacer, now);
    EXPECT_GE(previous, now);
    for (int i = 0; i < 3; ++i) {
        now = previous + FRAME_NS / 2;  // the frame took half its time
        const int64_t latch = pacer_latch_time(pacer);
        EXPECT_GT(latch, previous);
        const int64_t deadline = pacer_next(pacer, now);
        EXPECT_GE(deadline, now);
        EXPECT_GT(deadline, latch);
        EXPECT_NEAR(deadline - previous, FRAME_NS, 1);
        previous = deadline;
    }
}
