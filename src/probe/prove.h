// Proving a level: the search that shows it can be cleared, and the reference
// player that shows whether it is fair, both playing the game's own frames
// in-process from the level's start with the clock ticking as in the game.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "probe/probe.h"
#include "probe/route.h"

// A person sees the screen about 12 frames (200 ms) late.
constexpr int REACTION_FRAMES = 12;
// A fair level: the search clears it for every seed, the reference player for
// at least this share of them, and at most this share of the reference
// player's deaths come from shots fired less than REACTION_FRAMES before the hit.
constexpr int REFERENCE_CLEARS_PERCENT = 80;
constexpr int UNWARNED_DEATHS_PERCENT = 10;

using LevelGrid = int32_t[GRID_ROWS][GRID_COLS];

// The ship's centre in level pixels.
struct LevelPoint {
    int32_t x, y;
};
// Where a route step puts it.
LevelPoint step_point(const RouteStep &step);

// The game at a level's first frame: level n entered as the game's progression
// enters it, from `title`, a snapshot of the game on its title screen. With
// `grid`, its level area (rows 1..288, columns 1..32) replaces the loaded level.
class LevelStart {
public:
    LevelStart(const Snapshot &title, int32_t n, const LevelGrid *grid = nullptr) : title_(title), level_(n), grid_(grid) {}
    // The clock reads `second` at the level's start.
    void enter(int64_t second) const;
    int32_t level() const { return level_; }

private:
    const Snapshot &title_;
    int32_t level_;
    const LevelGrid *grid_;
};

struct Death {
    int64_t second;
    int32_t frame;
    int32_t warning;  // frames from the killing shot's firing to the hit; -1 when unknown
    std::string shooter;
    LevelPoint where;
};

struct LevelProof {
    int32_t level = 0;
    int seeds = 0;
    WayUp way;
    int search_cleared = 0;
    std::vector<int32_t> search_frames;
    int64_t nodes = 0;  // frames played, the way up's included
    double cpu = 0;     // seconds
    std::vector<LevelPoint> route;  // the search's, for the first seed it cleared
    int reference_cleared = 0;
    std::vector<Death> deaths;
    int unwarned = 0;     // deaths from shots fired less than REACTION_FRAMES before the hit
    std::string stopped;  // when no seed is cleared: how high the ship got and what stopped it

    bool fair() const {
        return search_cleared == seeds && reference_cleared * 100 >= REFERENCE_CLEARS_PERCENT * seeds &&
               unwarned * 100 <= UNWARNED_DEATHS_PERCENT * static_cast<int>(deaths.size());
    }
};

// Plays the level from `seeds` clock seconds, first_second onwards: the search
// and the reference player, each seed from the level's start. The clock ticks a
// second every 60 frames from the seed, as in the game.
LevelProof prove_level(const LevelStart &start, int seeds, int64_t first_second);
