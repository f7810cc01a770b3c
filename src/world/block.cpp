#include <algorithm>
#include <cstring>
#include <iterator>

#include "assets/atlas.h"
#include "core/game_state.h"
#include "core/geometry.h"
#include "core/random.h"
#include "world/world.h"

namespace {
constexpr int32_t BLOCK_LIFT = 5;  // a walker touching a block is lifted this far, every frame

// The ship touches a block when the strip at its left edge overlaps the block's
// box sideways and its top edge lies within the key's reach above the block's
// top: how far above it may be, plus one. The ship drives into a block from
// the side, from below when scrolling up, and from above when scrolling down.
constexpr int32_t SHIP_STRIP_W = 10;  // only the 10 pixels at the ship's left edge count
constexpr int32_t SIDE_REACH = 10;    // Left, Right: the ship's top up to 9 pixels above the block's
constexpr int32_t UP_REACH = -5;      // Up: at least 6 pixels below it
constexpr int32_t DOWN_REACH = 40;    // Down: up to 39 above it, the ship's whole height

// Makes idle a shot that lies strictly inside the block, bx < x < bx + 41 and
// by < y < by + 41 (only a flying one when asked). Each axis is one unsigned
// range check, since nearly every shot misses and one well-predicted branch
// beats two coin-flip ones.
void stop_shot(Shot &shot, int32_t bx, int32_t by, bool only_flying) {
    if (static_cast<uint32_t>(shot.x) - (static_cast<uint32_t>(bx) + 1) < BLOCK_BOX - 1 &&
        static_cast<uint32_t>(shot.y) - (static_cast<uint32_t>(by) + 1) < BLOCK_BOX - 1 &&
        (!only_flying || shot.state == SHOT_FLYING))
        shot.state = SHOT_IDLE;
}

// ---- Where the enemy shots are ----------------------------------------------
//
// Every block in view stops the enemy shots inside it, but nearly every block
// misses nearly every one of the 21 shots of each of the 203 enemy owners. So
// a block tests the shots of an owner only where the box around them meets
// its own, and looks only at the owners listed as near: those with a shot
// right of x 0. Blocks stand in columns 0 and up, so a shot inside one has x 1
// or more; the rest, such as every owner never in view with its shots parked
// at x 0, can never have one inside a block. No shot's test depends on
// another's, so the order of the tests does not matter.
//
// The boxes and the list stay true for the tables as they are. Within a walk,
// only an owner's own handler moves its shots, and it says so
// (owner_shots_moved); a block makes shots idle without moving them. Between
// walks anything may move them (a reset, a snapshot put back, a replay's
// set), so each table has a copy that every change within a walk is made to
// as well, and a walk starts by comparing the tables with their copies: if
// they differ, its first block works everything out afresh. Outside a walk,
// every block works everything out afresh.

struct OwnerBox {
    int32_t left, right, top, bottom;  // the smallest box holding the owner's shots
};

template <size_t OWNERS>
struct BoxedShots {
    Shot (&shots)[SHOT_SLOTS][OWNERS];
    OwnerBox boxes[OWNERS] = {};
    bool listed[OWNERS] = {};
    int32_t near[OWNERS] = {};  // the listed owners, in the order they were listed
    int32_t near_count = 0;
    Shot copy[SHOT_SLOTS][OWNERS] = {};  // the shots the boxes were worked out for
};

BoxedShots<WALKER_SLOTS> walker_table = {.shots = game.walker_shots};
BoxedShots<TURRET_SLOTS> right_turret_table = {.shots = game.right_turret_shots};
BoxedShots<TURRET_SLOTS> left_turret_table = {.shots = game.left_turret_shots};

bool walking = false;      // a walk of the world is running
bool boxes_true = false;   // the boxes and lists hold for the tables as they are now
bool copies_true = false;  // they hold for the copies (the last walk kept them true to its end)

template <size_t OWNERS>
void note_owner(BoxedShots<OWNERS> &table, int32_t owner) {
    OwnerBox box = {INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN};
    for (int32_t s = 0; s < SHOT_SLOTS; ++s) {
        const Shot &shot = table.shots[s][owner];
        table.copy[s][owner] = shot;
        box.left = std::min(box.left, shot.x);
        box.right = std::max(box.right, shot.x);
        box.top = std::min(box.top, shot.y);
        box.bottom = std::max(box.bottom, shot.y);
    }
    table.boxes[owner] = box;
    if (!table.listed[owner] && box.right > 0) {
        table.listed[owner] = true;
        table.near[table.near_count++] = owner;
    }
}

template <size_t OWNERS>
void work_out(BoxedShots<OWNERS> &table) {
    std::fill(std::begin(table.listed), std::end(table.listed), false);
    table.near_count = 0;
    for (int32_t owner = 0; owner < static_cast<int32_t>(OWNERS); ++owner) note_owner(table, owner);
}

template <size_t OWNERS>
bool same_as_copy(const BoxedShots<OWNERS> &table) {
    return std::memcmp(table.copy, table.shots, sizeof table.copy) == 0;
}

template <size_t SLOTS>
void stop_shots(Shot (&table)[SLOTS], int32_t bx, int32_t by, bool only_flying) {
    for (Shot &shot : table) stop_shot(shot, bx, by, only_flying);
}

template <size_t OWNERS>
void stop_shots(BoxedShots<OWNERS> &table, int32_t bx, int32_t by, bool only_flying) {
    for (int32_t i = 0; i < table.near_count; ++i) {
        const int32_t owner = table.near[i];
        const OwnerBox &box = table.boxes[owner];
        if (box.right <= bx || box.left >= bx + BLOCK_BOX || box.bottom <= by || box.top >= by + BLOCK_BOX) continue;
        for (int32_t s = 0; s < SHOT_SLOTS; ++s) {
            stop_shot(table.shots[s][owner], bx, by, only_flying);
            table.copy[s][owner].state = table.shots[s][owner].state;  // the copy follows
        }
    }
}

bool ship_touches(int32_t bx, int32_t by, int32_t reach) {
    return game.player_x + SHIP_STRIP_W > bx && game.player_y + reach > by && game.player_x < bx + BLOCK_BOX &&
           game.player_y < by + BLOCK_BOX;
}
}  // namespace

// A block stops every shot that enters it, lifts walkers that touch it and
// holds the ship and the view back against the keys that drive into it.
void step_block(int32_t col, int32_t row) {
    // The box uses the view as this handler finds it (after any push earlier in
    // this walk); a push by this block below moves only its drawing.
    const int32_t bx = col * CELL_SIZE;
    const int32_t by = row * CELL_SIZE - game.scroll_y;

    if (!boxes_true) {
        work_out(walker_table);
        work_out(right_turret_table);
        work_out(left_turret_table);
        boxes_true = walking;
    }

    // Turret shots stop whatever their state; walker shots only in flight.
    stop_shots(right_turret_table, bx, by, false);
    stop_shots(left_turret_table, bx, by, false);
    for (Walker &walker : game.walkers) {
        if (strictly_between(walker.x, bx, bx + BLOCK_BOX) && strictly_between(walker.y, by - BLOCK_BOX, by + BLOCK_BOX)) {
            reseed_random();
            walker.off_y -= BLOCK_LIFT;
            walker.direction = random_int(DIR_LEFT, DIR_RIGHT);
        }
    }
    stop_shots(walker_table, bx, by, true);

    const bool side = ship_touches(bx, by, SIDE_REACH);
    push_ship_back({.left = side,
                    .right = side,
                    .up = ship_touches(bx, by, UP_REACH),
                    .down = ship_touches(bx, by, DOWN_REACH)});

    stop_shots(game.player_shots, bx, by, true);

    draw_sprite_region(SPR_BLOCK, bx, row * CELL_SIZE - game.scroll_y);
}

void mark_walk(bool running) {
    if (running) {
        boxes_true = copies_true && same_as_copy(walker_table) && same_as_copy(right_turret_table) &&
                     same_as_copy(left_turret_table);
    } else {
        copies_true = boxes_true;
        boxes_true = false;
    }
    walking = running;
}

void owner_shots_moved(const Shot (&)[SHOT_SLOTS][WALKER_SLOTS], int32_t k) {
    if (boxes_true) note_owner(walker_table, k);
}

void owner_shots_moved(const Shot (&table)[SHOT_SLOTS][TURRET_SLOTS], int32_t n) {
    if (!boxes_true) return;
    if (&table == &right_turret_table.shots) note_owner(right_turret_table, n);
    if (&table == &left_turret_table.shots) note_owner(left_turret_table, n);
}
