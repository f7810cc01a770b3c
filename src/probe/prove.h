// Proving a level: the search that shows it can be cleared, and the family of
// players that shows whether it is fair, all playing the game's own frames
// in-process from the level's start with the clock ticking as in the game.
#pragma once

#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "probe/probe.h"
#include "probe/route.h"

// A person sees the screen about 12 frames (200 ms) late: a shot fired less
// than this before it hits is one nobody could have seen coming.
constexpr int REACTION_FRAMES = 12;

// A person-like player: it follows the shortest way up `line` pixels to the
// right of it (left when negative) where the walls leave room, weaving `weave`
// pixels either side over every `weave_steps` steps of the way when asked, and
// decides on the screen as it was `lag` frames before, moved on by the keys it
// has pressed since. It neither fires nor dodges.
struct Player {
    const char *name;
    int lag;
    int32_t line;
    int32_t weave = 0, weave_steps = 0;
};

// The family of players that proves a level fair for every player, not only
// for one line: the reference player, who sees the screen a reaction late and
// flies the way up itself, first.
constexpr Player FAMILY[] = {
    {.name = "reference", .lag = REACTION_FRAMES, .line = 0},
    {.name = "6 frames late", .lag = 6, .line = 0},
    {.name = "18 frames late", .lag = 18, .line = 0},
    {.name = "20 px left", .lag = REACTION_FRAMES, .line = -20},
    {.name = "10 px left", .lag = REACTION_FRAMES, .line = -10},
    {.name = "10 px right", .lag = REACTION_FRAMES, .line = 10},
    {.name = "20 px right", .lag = REACTION_FRAMES, .line = 20},
};
constexpr int FAMILY_SIZE = static_cast<int>(std::size(FAMILY));
constexpr int REFERENCE_PLAYER = 0, LATEST_PLAYER = 2;

// A fair level: the search clears it for every seed; the reference player
// for at least REFERENCE_CLEARS_PERCENT of them and the latest player for at
// least LATEST_CLEARS_PERCENT; and of all the family's deaths at most
// UNWARNED_DEATHS_PERCENT come from shots fired less than REACTION_FRAMES
// before the hit.
constexpr int REFERENCE_CLEARS_PERCENT = 80;
constexpr int LATEST_CLEARS_PERCENT = 60;
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
    int player;  // in FAMILY
    int64_t second;
    int32_t frame;
    int32_t warning;  // frames from the killing shot's firing to the hit; -1 when unknown
    std::string shooter;
    int32_t shooter_code;    // its cell code, or -1 when unknown
    LevelPoint where;        // the ship
    LevelPoint shooter_at;   // the shooter's cell, or {-1, -1} when unknown
    bool unwarned() const { return warning < REACTION_FRAMES; }
};

struct LevelProof {
    int32_t level = 0;
    int seeds = 0;
    WayUp way;
    int search_cleared = 0;
    std::vector<int32_t> search_frames;
    int64_t nodes = 0;  // frames played, the way up's and the family's included
    double cpu = 0;     // seconds
    std::vector<LevelPoint> route;  // the search's, for the first seed it cleared
    std::vector<int> cleared;       // seeds each player of the family cleared
    std::vector<Death> deaths;      // the family's
    int unwarned = 0;               // deaths from shots fired less than REACTION_FRAMES before the hit
    std::string stopped;  // when no seed is cleared: how high the ship got and what stopped it

    // With the whole FAMILY played.
    bool fair() const {
        return search_cleared == seeds && cleared[REFERENCE_PLAYER] * 100 >= REFERENCE_CLEARS_PERCENT * seeds &&
               cleared[LATEST_PLAYER] * 100 >= LATEST_CLEARS_PERCENT * seeds &&
               unwarned * 100 <= UNWARNED_DEATHS_PERCENT * static_cast<int>(deaths.size());
    }
};

// Plays the level from `seeds` clock seconds, first_second onwards: the search
// and every player of `family`, each seed from the level's start. The clock
// ticks a second every 60 frames from the seed, as in the game.
LevelProof prove_level(const LevelStart &start, int seeds, int64_t first_second,
                       const std::vector<Player> &family = {std::begin(FAMILY), std::end(FAMILY)});

// One line on the family's deaths for a designer, as "family: 9 deaths in 140
// runs, 2 unwarned (22 %; fair is at most 10 %), most by walker 57 at (94, 23)".
std::string family_deaths_line(const LevelProof &proof);
