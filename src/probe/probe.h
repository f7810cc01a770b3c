// Folder probe/, on top of the game: driving it from outside one frame at a
// time and reading what happened, for upshot-replay and tools/prove_levels.
//
// Nothing here changes the game's own code paths: it holds keys as a player
// would, copies the state between frames and reads it afterwards.
#pragma once

#include <allegro.h>
#include <cstdint>
#include <vector>

#include "core/game_state.h"
#include "play/play.h"
#include "play/start.h"

// ---- Held keys --------------------------------------------------------------
// (set_held_keys and poll_held_keys, the headless poll, are the frame loop's: play/play.h.)

// Where the ship is drawn across the screen: its anchor's column (the cell of
// the first 33 rows that holds CELL_PLAYER) plus its offset. Unlike player_x,
// which the ship handler stores during the walk, it is up to date between frames.
int32_t ship_x();

// ---- Playing unseen ------------------------------------------------------------

// The game headless on its title screen, for the tools that play it without
// looking: no sound, the clock pinned at 0, and drawing clipped to nothing, so
// that every draw returns at once.
StartStatus start_unseen();
// One frame of the game's own loop with the held keys; nothing is waited for.
void run_unseen_frame();

// ---- Snapshots ---------------------------------------------------------------

// Everything the next frame depends on, taken between two frames: the whole
// game state, the keys as last polled (step_world reads them) and the pinned
// clock. The random generator needs no copy: every frame re-seeds it before its
// first draw. Programs add what they own (frame counters, logs).
struct Snapshot {
    GameState state;
    char keys[KEY_MAX];
    int64_t clock;  // the pinned reading, or -1 for the real clock
};
void save_snapshot(Snapshot &snapshot);
void restore_snapshot(const Snapshot &snapshot);

// ---- Levels ------------------------------------------------------------------

// Play at level n (FIRST_GAME_LEVEL..LAST_GAME_LEVEL) exactly as the game's own
// progression enters it on reaching the top of the level before: from the title
// screen a game is started first, as S does; in play the score is kept. Returns
// false, changing nothing, in the editor, which has no levels to play.
bool play_level(int32_t n);

// ---- What ended play ------------------------------------------------------------

enum class ShotTable { NONE, WALKER, RIGHT_TURRET, LEFT_TURRET };
constexpr ShotTable ENEMY_SHOT_TABLES[] = {ShotTable::WALKER, ShotTable::RIGHT_TURRET, ShotTable::LEFT_TURRET};

// What the probe knows of each shot table, in one place.
struct ShotTableFacts {
    const char *name;          // as the replay's dump names it; "none" for NONE
    const char *owner_kind;    // "walker", "right-firing turret", ...
    int32_t first_code;        // owner k stands in the grid as first_code + k
    int32_t owners;
    bool drifts_before_hit;    // its shots drift with the keys before the ship test
};
const ShotTableFacts &shot_table_facts(ShotTable table);
const char *shot_table_name(ShotTable table);

// An enemy shot slot: table, slot and owner, as in walker_shots[slot][owner].
struct ShotRef {
    ShotTable table = ShotTable::NONE;
    int32_t slot = 0, owner = 0;
};
const Shot &shot_at(const ShotRef &ref);

// After a frame in which an enemy shot ended play, the shot that hit the ship:
// the one whose position at the handler's test, that is its stored position
// less the key drift of that frame where the handler drifts the shot after the
// test, lies in the ship's hit box. `drift` is what key_drift() gave during the
// frame (read it before running the frame: the poll at its end changes it).
// Flying shots are looked at first; a shot a block stopped later in the same
// walk is idle by the end of the frame and is found second. NONE if no shot fits.
ShotRef find_ship_hit(int32_t drift);

// Which enemy shots are flying, one flag a shot slot: of the walkers, then the
// right- and the left-firing turrets, each table slot by slot, owner by owner.
constexpr int32_t ENEMY_SHOT_SLOTS = SHOT_SLOTS * (WALKER_SLOTS + 2 * TURRET_SLOTS);
struct FlyingShots {
    uint8_t flying[ENEMY_SHOT_SLOTS];
};
void note_flying_shots(FlyingShots &into);
// Appends to `fired` every enemy shot that is flying `after` but was not
// `before`, in the order above: the shots fired between the two notes.
void find_fired_shots(const FlyingShots &before, const FlyingShots &after, std::vector<ShotRef> &fired);
