// make_levels: writes the five built-in level texts, level1.txt .. level5.txt.
//
//   make_levels [DIR]        (DIR defaults to src/level)
//
// Each play level is grown from a fixed seed, so every run writes the same
// bytes. Levels 2 to 5 are laid into the game grid and written by the editor's
// own write_level_text, so the shipped texts are exactly what the editor would
// export. Before anything is written the generator checks its own work (object
// counts, codes, rows, overlaps) and stops with a message if a level breaks a
// rule. Enemies are placed away from the corridor the ship flies through, so
// that their shots take long to reach it. Then it plays each level by the
// game's own rules (probe/prove.h): the walls must leave the ship a way up,
// and the level must be fair for the whole family of players, with no death
// unwarned, and then kill none of a dozen weaving players at other lags
// unwarned either. While it is not, the enemy behind most of its unfair deaths
// moves further from the corridor; after a dozen moves the level is grown
// again from the next seed. After writing it reads each text back and checks
// that a load puts every object where it was planned. docs/levels.md tells the
// whole story.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/game_state.h"
#include "core/message.h"
#include "core/save_file.h"
#include "level/level.h"
#include "level/level_text.h"
#include "probe/prove.h"
#include "world/world.h"
#include "play/start.h"

namespace {

enum Kind { BLOCK, WALKER, RIGHT_TURRET, LEFT_TURRET, KINDS };
const char *const KIND_NAME[KINDS] = {"block", "walker", "right-firing turret", "left-firing turret"};

// One object as a load puts it into the grid: (row, col) in rows 1..288, columns 1..32.
struct Object {
    Kind kind;
    int row, col;
    int code;  // 0 until codes are handed out
    bool given;  // given by the level's shape, not chosen by the generator
};

// A count of objects of one kind and the lowest and highest code they use.
struct CodeRange {
    int count, lo, hi;
};

constexpr int BLOCK_SIZE = 40;
constexpr int LAST_OBJECT_COL = 28;  // a block here reaches the window's right edge

// The right end of a gate's opening when no wall comes from the right: as far
// as the ship's body reaches across the window.
constexpr int REACH_RIGHT = 312;
// Enemies stay out of the rows in view when a level starts, so the player gets
// a moment before the first shot.
constexpr int LAST_ENEMY_ROW = LEVEL_START_SCROLL_Y / CELL_SIZE - 1;

// Enemies stand where their shots take at least this long to reach a ship
// flying the shortest way up, or up to SHIP_WANDER pixels to either side of
// it: longer than a person's reaction, with a margin for the ways the players
// differ from it.
constexpr int SAFE_FRAMES = 22;
constexpr int SHIP_WANDER = 24;
// How far aside of its cell a walker is taken as it walks, and two thirds of
// that down.
constexpr int WALKER_REACH = 30;

// The builder's dice. mt19937 gives the same numbers everywhere, but the
// standard library's distributions and shuffle do not, so the levels use only
// its raw output.
class Dice {
public:
    explicit Dice(unsigned seed) : rng_(seed) {}
    int roll(int lo, int hi) { return lo + static_cast<int>(rng_() % static_cast<unsigned>(hi - lo + 1)); }
    template <typename T>
    void shuffle(std::vector<T> &v) {
        for (int i = static_cast<int>(v.size()) - 1; i > 0; --i) std::swap(v[i], v[roll(0, i)]);
    }
    bool chance(int percent) { return roll(1, 100) <= percent; }

private:
    std::mt19937 rng_;
};

// ---- Block patterns: each returns n blocks; the top row offset is 0. ----------

using Pattern = std::vector<std::pair<int, int>>;  // (row offset, column) of each block


// Walls from both sides with an opening somewhere between them.
Pattern gate(Dice &dice, int n) {
    for (;;) {
        int left = dice.roll(0, n), right = n - left;
        int right_end = dice.roll(27, 28);
        int open_from = (1 + 4 * left) * CELL_SIZE;
        int open_to = (right_end - 4 * (right - 1)) * CELL_SIZE;
        if (right == 0) open_to = REACH_RIGHT;
        if (open_to - open_from < 90) continue;
        Pattern p;
        for (int k = 0; k < left; ++k) p.push_back({0, 1 + 4 * k});
        for (int k = 0; k < right; ++k) p.push_back({0, right_end - 4 * k});
        return p;
    }
}

// A wall from one side, its inner end sometimes bent down into a hook.
Pattern wall(Dice &dice, int n, bool from_left) {
    Pattern p;
    int edge = from_left ? 1 : dice.roll(27, 28);
    for (int k = 0; k < n; ++k) p.push_back({0, from_left ? edge + 4 * k : edge - 4 * k});
    if (n >= 3 && dice.chance(35)) p.back().first = 4;
    return p;
}

// A row of adjacent blocks standing free in the middle.
Pattern island(Dice &dice, int n) {
    Pattern p;
    int first = dice.roll(5, LAST_OBJECT_COL - 4 - 4 * (n - 1));
    for (int k = 0; k < n; ++k) p.push_back({0, first + 4 * k});
    return p;
}

// Columns of stacked blocks, two side by side in height, making lanes.
Pattern pillars(Dice &dice, int n) {
    Pattern p;
    int a = dice.roll(4, 9), b = dice.roll(17, 22);
    for (int k = 0; k < n; ++k) p.push_back({4 * (k / 2), k % 2 ? b : a});
    return p;
}

// A square of four blocks.
Pattern bunker(Dice &dice) {
    int c = dice.roll(6, 19);
    return {{0, c}, {0, c + 4}, {4, c}, {4, c + 4}};
}

// Blocks stepping up across the level.
Pattern stairs(Dice &dice, int n) {
    bool up_right = dice.chance(50);
    int c = up_right ? dice.roll(2, 6) : dice.roll(LAST_OBJECT_COL - 5, LAST_OBJECT_COL - 1);
    Pattern p;
    for (int k = 0; k < n; ++k) p.push_back({4 * (n - 1 - k), up_right ? c + 5 * k : c - 5 * k});
    return p;
}

// Loose blocks strewn over a band of rows: side by side they leave room
// for the ship between them, one above the other room to cross.
Pattern scatter(Dice &dice, int n) {
    for (;;) {
        Pattern p;
        for (int tries = 0; tries < 200 && static_cast<int>(p.size()) < n; ++tries) {
            std::pair<int, int> b{dice.roll(0, 8), dice.roll(1, LAST_OBJECT_COL)};
            bool apart = std::all_of(p.begin(), p.end(), [&](auto q) {
                return std::abs(q.first - b.first) >= 8 || std::abs(q.second - b.second) >= 9;
            });
            if (apart) p.push_back(b);
        }
        if (static_cast<int>(p.size()) == n) return p;
    }
}

// ---- Each level's character: which pattern a feature of n blocks becomes --------

// Gates: a way through that moves from side to side.
Pattern gates(Dice &dice, int, int n) { return n >= 3 ? gate(dice, n) : island(dice, n); }

// A zigzag: long walls from alternating sides.
Pattern zigzag(Dice &dice, int index, int n) {
    return n >= 4 ? wall(dice, n, index % 2 == 0) : (n == 3 ? gate(dice, n) : island(dice, n));
}

// A fortress of pillars and bunkers.
Pattern fortress(Dice &dice, int, int n) {
    if (n == 4 && dice.chance(50)) return bunker(dice);
    return n >= 4 ? pillars(dice, n) : stairs(dice, n);
}

// An asteroid field.
Pattern asteroids(Dice &dice, int, int n) { return dice.chance(30) && n <= 3 ? stairs(dice, n) : scatter(dice, n); }

// ---- The play levels ---------------------------------------------------------------

struct Shape {
    int number;
    Pattern (*character)(Dice &dice, int feature, int n);  // feature: counted from the bottom
    int feature_lo, feature_hi;                             // blocks per feature
    int blocks;
    CodeRange walkers, rights, lefts;
    int row_lo, row_hi;  // first and last rows that hold an object
    // A row the level must show as it is (0: none): only given objects stand in it.
    int given_row;
    // Objects the level holds besides those the generator chooses.
    std::vector<Object> given;
    unsigned seed;
};

// Each play level: its character, how many of each object, which codes, which rows.
const Shape SHAPES[] = {
    {.number = 2,
     .character = gates,
     .feature_lo = 2,
     .feature_hi = 5,
     .blocks = 54,
     .walkers = {22, 6, 72},
     .rights = {6, 107, 127},
     .lefts = {7, 159, 185},
     .row_lo = 16,
     .row_hi = 272,
     .given_row = 93,
     .given = {{BLOCK, 93, 1, CELL_BLOCK, true},
               {BLOCK, 93, 5, CELL_BLOCK, true},
               {BLOCK, 93, 23, CELL_BLOCK, true},
               {BLOCK, 93, 27, CELL_BLOCK, true},
               {RIGHT_TURRET, 93, 9, 114, true}},
     .seed = 2002u},
    {.number = 3,
     .character = zigzag,
     .feature_lo = 4,
     .feature_hi = 6,
     .blocks = 85,
     .walkers = {17, 6, 60},
     .rights = {5, 108, 125},
     .lefts = {8, 159, 187},
     .row_lo = 15,
     .row_hi = 272,
     .given_row = 60,
     .given = {{RIGHT_TURRET, 60, 7, 111, true},
               {WALKER, 60, 12, 45, true},
               {WALKER, 60, 18, 49, true},
               {LEFT_TURRET, 60, 23, 168, true},
               {WALKER, 233, 32, 16, true}},  // in the export's column 0 of row 234
     .seed = 3003u},
    {.number = 4,
     .character = fortress,
     .feature_lo = 4,
     .feature_hi = 6,
     .blocks = 77,
     .walkers = {15, 7, 57},
     .rights = {9, 111, 143},
     .lefts = {8, 160, 191},
     .row_lo = 14,
     .row_hi = 272,
     .given_row = 0,
     .given = {},
     .seed = 4004u},
    {.number = 5,
     .character = asteroids,
     .feature_lo = 3,
     .feature_hi = 5,
     .blocks = 67,
     .walkers = {22, 6, 87},
     .rights = {0, 0, 0},
     .lefts = {0, 0, 0},
     .row_lo = 16,
     .row_hi = 271,
     .given_row = 0,
     .given = {},
     .seed = 5005u},
};

[[noreturn]] void die(int level, const std::string &what) {
    print_message("level %d: %s", level, what.c_str());
    std::exit(1);
}

std::string at(const Object &o) {
    return std::string(KIND_NAME[o.kind]) + " at (" + std::to_string(o.row) + ", " + std::to_string(o.col) + ")";
}

// The pixels an object covers in the level, as [x0, x1) x [y0, y1).
struct Box {
    int x0, y0, x1, y1;
};

Box box_of(const Object &o) {
    int x = o.col * CELL_SIZE, y = o.row * CELL_SIZE;
    switch (o.kind) {
        case BLOCK: return {x, y, x + BLOCK_SIZE, y + BLOCK_SIZE};
        case WALKER: return {x, y, x + BODY_W, y + BODY_H};
        default: return {x, y, x + TURRET_SIZE, y + TURRET_SIZE};
    }
}

bool boxes_meet(Box a, Box b, int margin) {
    return a.x0 < b.x1 + margin && b.x0 < a.x1 + margin && a.y0 < b.y1 + margin && b.y0 < a.y1 + margin;
}

// Blocks and turrets may sit side by side; walkers keep 10 pixels from
// everything, since a walker touching a block is lifted in every frame.
bool clash(const Object &a, const Object &b) {
    int margin = (a.kind == WALKER || b.kind == WALKER) ? CELL_SIZE : 0;
    return boxes_meet(box_of(a), box_of(b), margin);
}

bool is_obstacle(const Object &o) { return o.kind == BLOCK || o.kind == RIGHT_TURRET || o.kind == LEFT_TURRET; }

// A turret's shots fly 2 pixels across for each pixel down; the first 100
// pixels of that line must miss every block, or the turret only shoots walls.
bool clear_line_of_fire(const Object &turret, const std::vector<Object> &objects) {
    const int dx = turret.kind == RIGHT_TURRET ? TURRET_SHOT_DX : -TURRET_SHOT_DX;
    const int x0 = turret.col * CELL_SIZE + (turret.kind == RIGHT_TURRET ? TURRET_SIZE : 0);
    const int y0 = turret.row * CELL_SIZE + TURRET_SHOT_MUZZLE_Y;
    for (int step = 1; step * TURRET_SHOT_DX <= 100; ++step) {
        const int x = x0 + dx * step, y = y0 + TURRET_SHOT_DY * step;
        for (const Object &b : objects) {
            const int bx = b.col * CELL_SIZE, by = b.row * CELL_SIZE;
            if (b.kind == BLOCK && bx < x && x < bx + BLOCK_BOX && by < y && y < by + BLOCK_BOX) return false;
        }
    }
    return true;
}

// Everything the generator promises about a level; stops on the first breach.
void verify(const Shape &s, const std::vector<Object> &objects) {
    const int n = s.number;
    const CodeRange *ranges[KINDS] = {nullptr, &s.walkers, &s.rights, &s.lefts};
    int count[KINDS] = {};
    std::vector<bool> used(CELL_CURSOR + 1, false);
    int lo_row = GRID_ROWS, hi_row = 0;
    for (const Object &o : objects) {
        ++count[o.kind];
        lo_row = std::min(lo_row, o.row);
        hi_row = std::max(hi_row, o.row);
        if (o.row < s.row_lo || o.row > s.row_hi) die(n, at(o) + " lies outside the level's rows");
        // A given object may stand in column 32: the export writes it into column 0 of the next row.
        bool col_ok = (o.col >= 1 && o.col <= LAST_OBJECT_COL) || (o.given && o.col == LEVEL_COLS);
        if (!col_ok) die(n, at(o) + " lies outside the columns objects use");
        if (o.row == s.given_row && !o.given) die(n, at(o) + " is in a row whose contents are given");
        if (o.kind != BLOCK && o.row > LAST_ENEMY_ROW) die(n, at(o) + " is in view when the level starts");
        if (o.kind == BLOCK) {
            if (o.code != CELL_BLOCK) die(n, at(o) + " has code " + std::to_string(o.code));
            continue;
        }
        const CodeRange &r = *ranges[o.kind];
        if (o.code < r.lo || o.code > r.hi) die(n, at(o) + " has code " + std::to_string(o.code) + " out of range");
        used[o.code] = true;
    }
    if (count[BLOCK] != s.blocks) die(n, std::to_string(count[BLOCK]) + " blocks, want " + std::to_string(s.blocks));
    for (int k = WALKER; k < KINDS; ++k) {
        const CodeRange &r = *ranges[k];
        if (count[k] != r.count)
            die(n, std::to_string(count[k]) + " " + KIND_NAME[k] + "s, want " + std::to_string(r.count));
        if (r.count > 0 && (!used[r.lo] || !used[r.hi]))
            die(n, std::string(KIND_NAME[k]) + " codes do not span " + std::to_string(r.lo) + ".." +
                       std::to_string(r.hi));
    }
    if (lo_row != s.row_lo || hi_row != s.row_hi)
        die(n, "objects span rows " + std::to_string(lo_row) + ".." + std::to_string(hi_row));
    for (size_t a = 0; a < objects.size(); ++a)
        for (size_t b = a + 1; b < objects.size(); ++b)
            if (clash(objects[a], objects[b])) die(n, at(objects[a]) + " overlaps " + at(objects[b]));
    for (const Object &o : objects)
        if ((o.kind == RIGHT_TURRET || o.kind == LEFT_TURRET) && !clear_line_of_fire(o, objects))
            die(n, at(o) + " fires into a block");
}

// The level as a load leaves it in the grid, for the game to play.
void as_loaded(const std::vector<Object> &objects, LevelGrid &grid) {
    empty_level(grid);
    for (const Object &o : objects) grid[o.row][o.col] = o.code;
}

// Builds one play level: block features spread up the climb, then turrets,
// then walkers, each placed only where it keeps the level fair.
class Builder {
public:
    Builder(const Shape &s, unsigned seed, const Snapshot &title) : s_(s), dice_(seed), objects_(s.given), title_(title) {}

    // The walls first, then the enemies away from where the ship flies
    // through them: turrets, settled again once they are walls themselves,
    // then walkers.
    std::vector<Object> build() {
        place_blocks();
        if (!find_corridor()) return objects_;  // no way up: not worth going on
        place_turrets(RIGHT_TURRET, s_.rights);
        place_turrets(LEFT_TURRET, s_.lefts);
        for (int round = 0; round < 3 && find_corridor(); ++round)
            if (!settle_turrets()) break;
        place_walkers();
        hand_out_codes();
        return objects_;
    }

    const std::vector<Object> &objects() const { return objects_; }

    // Whether the level is worth proving: the walls leave a way up, and the
    // given enemies, which cannot move, give a ship on the way itself warning.
    bool worth_proving() const {
        return !corridor_.empty() && std::none_of(objects_.begin(), objects_.end(), [&](const Object &o) {
                   return o.given && endangers(o, REACTION_FRAMES, false);
               });
    }

    // Moves the enemy with this code elsewhere in its band, where its shots
    // take longer still to reach the corridor. False if it is given or finds
    // no such place.
    bool move_enemy(int code, int safe_frames, int walker_reach = WALKER_REACH) {
        auto it = std::find_if(objects_.begin(), objects_.end(), [&](const Object &o) { return o.kind != BLOCK && o.code == code; });
        if (it == objects_.end() || it->given) return false;
        const Object old = *it;
        objects_.erase(it);
        const int top = old.kind == WALKER ? s_.row_lo : s_.row_lo + 20, bottom = std::min(s_.row_hi, LAST_ENEMY_ROW);
        const int band = std::max(8, (bottom - top) / std::max(1, count_of(old.kind) + 1));
        std::vector<Object> spots;
        for (int r = std::max(top, old.row - band); r <= std::min(bottom, old.row + band); ++r)
            for (int c = 1; c <= LAST_OBJECT_COL; ++c) spots.push_back({old.kind, r, c, old.code, false});
        shuffle(spots);
        for (const Object &o : spots)
            if (fits({o}) && !endangers(o, safe_frames, true, walker_reach)) {
                objects_.push_back(o);
                return true;
            }
        objects_.push_back(old);
        return false;
    }

private:
    const Shape &s_;
    Dice dice_;
    std::vector<Object> objects_;
    const Snapshot &title_;
    std::vector<RouteStep> corridor_;  // the shortest way up through the walls so far

    // ---- Where the ship flies ----------------------------------------------------

    // The way up through the blocks and turrets placed so far, as the game finds it.
    bool find_corridor() {
        static LevelGrid grid;
        as_loaded(objects_, grid);
        LevelStart(title_, s_.number, &grid).enter(0);
        WayUp way = find_way_up();
        corridor_ = std::move(way.steps);
        return way.found;
    }

    // True when a shot the enemy fires could reach a ship near the corridor in
    // fewer than `safe_frames` frames: for every step of the way at which the
    // enemy is in view, a shot fired then is flown by the handlers' rules
    // against ships a little to either side of the way, a walker up to
    // `reach` pixels aside of its cell, as it walks.
    bool endangers(const Object &enemy, int safe_frames, bool with_margins = true, int reach = WALKER_REACH) const {
        if (corridor_.empty() || enemy.kind == BLOCK) return false;
        const int32_t last = static_cast<int32_t>(corridor_.size()) - 1;
        const int32_t ship_y = PLAYER_ROW * CELL_SIZE;
        for (int32_t i = 0; i <= last; ++i) {
            const int32_t scroll = corridor_[i].scroll_y, top_row = scroll / CELL_SIZE;
            if (enemy.row < top_row || enemy.row >= top_row + VIEW_ROWS) continue;
            for (int32_t wander_x : {-reach, -reach / 2, 0, reach / 2, reach})
                for (int32_t wander_y : {0, reach * 2 / 3}) {
                    if ((enemy.kind != WALKER || !with_margins) && (wander_x != 0 || wander_y != 0)) continue;
                    const int32_t wander = with_margins ? SHIP_WANDER : 0;
                    for (int32_t aside = -wander; aside <= wander; aside += std::max(1, wander / 2)) {
                        int32_t x, y, dx = 0;
                        const bool drift_first = enemy.kind != WALKER && turret_shots_drift_before_hit(enemy.kind == RIGHT_TURRET);
                        if (enemy.kind == WALKER) {
                            x = enemy.col * CELL_SIZE + wander_x + WALKER_SHOT_DX;
                            y = enemy.row * CELL_SIZE + wander_y - scroll + WALKER_SHOT_DY;
                        } else {
                            dx = enemy.kind == RIGHT_TURRET ? TURRET_SHOT_DX : -TURRET_SHOT_DX;
                            x = enemy.col * CELL_SIZE + (enemy.kind == RIGHT_TURRET ? TURRET_SIZE : 0);
                            y = enemy.row * CELL_SIZE - scroll + TURRET_SHOT_MUZZLE_Y;
                        }
                        for (int32_t t = 1; t < safe_frames && x <= VIEW_W && y <= VIEW_H; ++t) {
                            const RouteStep &at = corridor_[std::min(last, i + t)];
                            const int32_t drift = key_drift_for(at.keys & HOLD_UP, at.keys & HOLD_DOWN);
                            x += dx;
                            y += enemy.kind == WALKER ? WALKER_SHOT_SPEED : TURRET_SHOT_DY;
                            if (drift_first) y += drift;
                            const int32_t px = at.player_x + aside;
                            if (px < x && x < px + BODY_BOX_W && ship_y < y && y < ship_y + BODY_BOX_H) return true;
                            if (!drift_first) y += drift;
                        }
                    }
                }
        }
        return false;
    }

    // Turrets that stand where the corridor now runs too close are placed again.
    // True if one moved.
    bool settle_turrets() {
        bool moved = false;
        for (const Object o : objects_)
            if ((o.kind == RIGHT_TURRET || o.kind == LEFT_TURRET) && !o.given && endangers(o, SAFE_FRAMES)) {
                auto it = std::find_if(objects_.begin(), objects_.end(), [&](const Object &p) {
                    return p.kind == o.kind && p.row == o.row && p.col == o.col;
                });
                objects_.erase(it);
                place_turret(o.kind, o.row - 8, o.row + 8);
                moved = true;
            }
        return moved;
    }

    int roll(int lo, int hi) { return dice_.roll(lo, hi); }
    template <typename T>
    void shuffle(std::vector<T> &v) {
        dice_.shuffle(v);
    }

    int count_of(Kind k) const {
        return static_cast<int>(std::count_if(objects_.begin(), objects_.end(), [k](const Object &o) { return o.kind == k; }));
    }

    // A block just above or below an earlier obstacle leaves a slit that only
    // looks like a way, or a passage too low to steer along; the ship (40 high)
    // wants 60 pixels to cross between them.
    static constexpr int ROOM_TO_CROSS = 60;
    bool leaves_slit(const Object &block) const {
        const Box a = box_of(block);
        return std::any_of(objects_.begin(), objects_.end(), [&](const Object &p) {
            const Box b = box_of(p);
            const int gap = std::max(b.y0 - a.y1, a.y0 - b.y1);
            return is_obstacle(p) && a.x0 < b.x1 && b.x0 < a.x1 && gap > 0 && gap < ROOM_TO_CROSS;
        });
    }

    // True when the new objects fit among those placed so far. Whether the
    // ship still has a way up is for the game itself to say, once the level is whole.
    bool fits(const std::vector<Object> &extra) const {
        std::vector<Object> all = objects_;
        for (const Object &o : extra) {
            if (o.kind == BLOCK && leaves_slit(o)) return false;
            if (o.row < s_.row_lo || o.row > s_.row_hi || o.col < 1 || o.col > LAST_OBJECT_COL) return false;
            if (o.row == s_.given_row) return false;
            if (o.row <= PLAYER_ROW + 4 && o.row + 4 >= PLAYER_ROW && o.col <= PLAYER_COL && o.col + 4 >= PLAYER_COL)
                return false;
            for (const Object &p : all)
                if (clash(o, p)) return false;
            all.push_back(o);
        }
        for (const Object &o : all)
            if ((o.kind == RIGHT_TURRET || o.kind == LEFT_TURRET) && !clear_line_of_fire(o, all)) return false;
        return true;
    }

    // How many blocks each feature gets, bottom to top.
    std::vector<int> feature_sizes(int blocks) {
        const int lo = s_.feature_lo, hi = s_.feature_hi;
        std::vector<int> sizes;
        while (blocks > 0) {
            int n = std::min(blocks, roll(lo, hi));
            if (blocks - n > 0 && blocks - n < lo) n = blocks - lo;  // leave no stub at the top
            sizes.push_back(n);
            blocks -= n;
        }
        return sizes;
    }

    void place_blocks() {
        std::vector<int> sizes = feature_sizes(s_.blocks - count_of(BLOCK));
        const int features = static_cast<int>(sizes.size());
        const int span = s_.row_hi - s_.row_lo;
        // The two ends first: they must land exactly on the level's first and
        // last rows, and the features between them can shift to make room.
        std::vector<int> order{0, features - 1};
        for (int f = 1; f < features - 1; ++f) order.push_back(f);
        for (int f : order) {
            const bool bottom = f == 0, top = f == features - 1;
            const int target = s_.row_hi - span * f / (features - 1);
            bool placed = false;
            for (int attempt = 0; attempt < 4000 && !placed; ++attempt) {
                Pattern p = s_.character(dice_, f, sizes[f]);
                int top_offset = p[0].first, height = 0;
                for (auto [dr, c] : p) top_offset = std::min(top_offset, dr);
                for (auto &[dr, c] : p) height = std::max(height, dr -= top_offset);
                // The first feature ends on the level's last row, the last begins on its first.
                // Widen the search slowly when the rows near the target are taken.
                const int reach = 6 + attempt / 250;
                int shift = bottom || top ? 0 : roll(-reach, reach);
                int first = bottom ? s_.row_hi - height : top ? s_.row_lo : target - height / 2 + shift;
                std::vector<Object> blocks;
                for (auto [dr, c] : p) blocks.push_back({BLOCK, first + dr, c, CELL_BLOCK, false});
                if (fits(blocks)) {
                    objects_.insert(objects_.end(), blocks.begin(), blocks.end());
                    placed = true;
                }
            }
            if (!placed) die(s_.number, "no room for block feature " + std::to_string(f) + " near row " + std::to_string(target));
        }
    }

    // Right-firing turrets sit on the left and fire across the way up, and the
    // other way round; each looks first for the end of a wall with open space
    // on its firing side, where its shots are not spent on the wall.
    void place_turrets(Kind kind, const CodeRange &want) {
        const int todo = want.count - count_of(kind);
        const int top = s_.row_lo + 20, bottom = std::min(s_.row_hi, LAST_ENEMY_ROW);
        for (int t = 0; t < todo; ++t)
            place_turret(kind, top + (bottom - top) * t / todo, top + (bottom - top) * (t + 1) / todo);
    }

    // One turret in rows band_lo..band_hi - 1: beside a wall if it can, and
    // where its shots take long to reach the corridor if it can.
    void place_turret(Kind kind, int band_lo, int band_hi) {
        const int lo_col = kind == RIGHT_TURRET ? 1 : 15, hi_col = kind == RIGHT_TURRET ? 13 : LAST_OBJECT_COL;
        band_lo = std::max(band_lo, s_.row_lo + 20);
        band_hi = std::min(band_hi, std::min(s_.row_hi, LAST_ENEMY_ROW));
        std::vector<Object> beside, open;
        for (int r = band_lo; r < band_hi; ++r)
            for (int c = lo_col; c <= hi_col; ++c) {
                Object o{kind, r, c, 0, false};
                bool against_wall = std::any_of(objects_.begin(), objects_.end(), [&](const Object &b) {
                    return b.kind == BLOCK && b.row == r && b.col + (kind == RIGHT_TURRET ? 4 : -4) == c;
                });
                (against_wall ? beside : open).push_back(o);
            }
        shuffle(beside);
        shuffle(open);
        beside.insert(beside.end(), open.begin(), open.end());
        auto it = std::find_if(beside.begin(), beside.end(), [&](const Object &o) { return fits({o}) && !endangers(o, SAFE_FRAMES); });
        if (it == beside.end()) it = std::find_if(beside.begin(), beside.end(), [&](const Object &o) { return fits({o}); });
        if (it == beside.end()) die(s_.number, std::string("no room for a ") + KIND_NAME[kind] + " in rows " +
                                                   std::to_string(band_lo) + ".." + std::to_string(band_hi));
        objects_.push_back(*it);
    }

    // One walker per band of rows, so they meet the player all the way up.
    void place_walkers() {
        const int todo = s_.walkers.count - count_of(WALKER);
        const int top = s_.row_lo, bottom = std::min(s_.row_hi, LAST_ENEMY_ROW);
        for (int w = 0; w < todo; ++w) {
            const int band_lo = top + (bottom - top) * w / todo, band_hi = top + (bottom - top) * (w + 1) / todo;
            bool placed = false;
            for (int attempt = 0; attempt < 2000 && !placed; ++attempt) {
                Object o{WALKER, roll(band_lo, band_hi - 1), roll(2, 26), 0, false};
                // Away from the corridor, unless the band leaves no such place.
                if (fits({o}) && (attempt >= 1500 || !endangers(o, SAFE_FRAMES))) {
                    objects_.push_back(o);
                    placed = true;
                }
            }
            if (!placed) die(s_.number, "no room for a walker in rows " + std::to_string(band_lo) + ".." + std::to_string(band_hi));
        }
    }

    // Codes: both ends of each range, the rest drawn between them; they go up
    // the level in ascending order, as an editor user placing them bottom first.
    void hand_out_codes() {
        const CodeRange *ranges[KINDS] = {nullptr, &s_.walkers, &s_.rights, &s_.lefts};
        for (int k = WALKER; k < KINDS; ++k) {
            const CodeRange &r = *ranges[k];
            if (r.count == 0) continue;
            std::vector<int> taken, free;
            for (const Object &o : objects_)
                if (o.kind == k && o.given) taken.push_back(o.code);
            for (int code : {r.lo, r.hi})
                if (std::find(taken.begin(), taken.end(), code) == taken.end()) free.push_back(code);
            std::vector<int> middle;
            for (int code = r.lo + 1; code < r.hi; ++code)
                if (std::find(taken.begin(), taken.end(), code) == taken.end()) middle.push_back(code);
            shuffle(middle);
            const size_t want = r.count - taken.size();
            for (size_t i = 0; free.size() < want; ++i) free.push_back(middle.at(i));
            std::sort(free.begin(), free.end());
            std::vector<Object *> open;
            for (Object &o : objects_)
                if (o.kind == k && !o.given) open.push_back(&o);
            std::sort(open.begin(), open.end(), [](const Object *a, const Object *b) {
                return a->row != b->row ? a->row > b->row : a->col < b->col;
            });
            for (size_t i = 0; i < open.size(); ++i) open[i]->code = free.at(i);
        }
    }
};

// A failed run leaves the old text.
void write_text(const std::string &path, const std::string &text) {
    SaveFailure failure;
    if (!replace_file(path.c_str(), text.data(), text.size(), failure)) {
        print_save_failure(path.c_str(), failure);
        std::exit(1);
    }
}

// The editor's starting point: only the cursor and the player anchor, every
// row in full.
void write_template(const std::string &dir) {
    empty_level(game.grid);
    static char text[LONGEST_LEVEL_TEXT];
    write_text(dir + "/level1.txt", std::string(text, format_level_text(TEMPLATE_LAYOUT, game.grid, text)));
}

// Lays the objects into the game grid where the export takes each value from
// that a load puts where the object is planned.
void lay_out(const std::vector<Object> &objects) {
    static LevelCells loaded;
    static int32_t values[EXPORT_LAYOUT.values];
    as_loaded(objects, loaded);
    for (int32_t k = 0; k < EXPORT_LAYOUT.values; ++k) {
        int32_t row, col;
        loaded_cell(k, row, col);
        values[k] = loaded[row][col];
    }
    empty_level(game.grid);
    place_level_values(EXPORT_LAYOUT, values, game.grid);
}

// The level's text must pass the build's checker (anchors, codes used once,
// none of the codes the game never hands out) before anything is written.
void check_text(int number, const std::vector<Object> &objects) {
    lay_out(objects);
    static char text[LONGEST_LEVEL_TEXT];
    static LevelValues values;
    LevelTextError error;
    const int32_t len = format_level_text(EXPORT_LAYOUT, game.grid, text);
    if (!parse_level_text(text, len, values, error) || !check_level_values(values, number, error))
        die(number, "line " + std::to_string(error.line) + ": " + error.words);
}

// Lets the editor's export write the text.
void write_play_level(const std::string &dir, int number, const std::vector<Object> &objects) {
    lay_out(objects);
    const std::string path = dir + "/level" + std::to_string(number) + ".txt";
    set_level_text_path(path.c_str());
    if (!write_level_text()) std::exit(1);  // it has said why
}

// Reads a written text back and loads it as the game would. Every planned
// object must be where it was planned and nothing else but the two anchors
// may be there.
void check_written(const std::string &dir, int number, const std::vector<Object> &objects) {
    const std::string path = dir + "/level" + std::to_string(number) + ".txt";
    static LevelValues values;
    LevelTextError error;
    if (!read_level_text(path.c_str(), number, values, error))
        die(number, path + ":" + std::to_string(error.line) + ": " + error.words);
    static LevelCells want, loaded;
    as_loaded(objects, want);
    std::memcpy(loaded, want, sizeof loaded);
    load_level_values(values.value, values.count, loaded);
    for (int row = 1; row < GRID_ROWS; ++row)
        for (int col = 1; col < GRID_COLS; ++col)
            if (loaded[row][col] != want[row][col])
                die(number, "cell (" + std::to_string(row) + ", " + std::to_string(col) + ") loads as " +
                                std::to_string(loaded[row][col]) + ", planned " + std::to_string(want[row][col]));
}


// Seeds a level may be grown from, and the clock seconds it is proven for.
constexpr unsigned SEED_TRIES = 40;
// Times an unfair level's worst enemy is moved before the next seed is tried.
constexpr int REPAIRS = 12;

// Moves the enemy behind most of the unwarned deaths (or, when none is
// unwarned, most deaths) somewhere its shots take longer to reach the
// corridor, further each time it moves, a walker judged as reaching
// `walker_reach` pixels aside. False if no enemy could move.
bool move_worst_shooter(Builder &builder, const std::vector<Death> &deaths, int walker_reach, std::vector<int> &moves) {
    const bool any_unwarned = std::any_of(deaths.begin(), deaths.end(), [](const Death &d) { return d.unwarned(); });
    std::vector<int> tally(CELL_CURSOR, 0);
    for (const Death &d : deaths)
        if (d.shooter_code >= 0 && (!any_unwarned || d.unwarned())) ++tally[d.shooter_code];
    for (;;) {
        const int code = static_cast<int>(std::max_element(tally.begin(), tally.end()) - tally.begin());
        if (tally[code] == 0) return false;
        if (builder.move_enemy(code, SAFE_FRAMES + 6 * ++moves[code], walker_reach)) return true;
        tally[code] = 0;
    }
}

// Players the family does not hold: 8 to 17 frames late, on the way and 15
// pixels either side of it, each weaving 12 pixels either side at its own
// pace. A walker walks as far as the time a player spends in view lets it, so
// a level fair for the family's steady lines can still walk one onto a slower
// or weaving ship. None of them may die unwarned either; a walker behind such
// a death moves where even one walking twice as far aside could not reach the
// corridor quickly.
std::vector<Player> wanderers() {
    std::vector<Player> out;
    for (int lag : {8, 11, 14, 17})
        for (int32_t line : {-15, 0, 15})
            out.push_back({.name = "wanderer", .lag = lag, .line = line, .weave = 12,
                           .weave_steps = 50 + 5 * static_cast<int32_t>(out.size())});
    return out;
}
constexpr int WANDERER_WALKER_REACH = 2 * WALKER_REACH;

constexpr int PROOF_SEEDS = 20;

}  // namespace

int main(int argc, char **argv) {
    const std::string dir = argc > 1 ? argv[1] : "src/level";
    // The game, headless, to play the levels by its own rules.
    if (start_unseen() != START_OK) return 1;
    static Snapshot title;
    save_snapshot(title);

    std::vector<std::vector<Object>> levels;
    for (const Shape &s : SHAPES) {
        for (unsigned attempt = 0;; ++attempt) {
            if (attempt == SEED_TRIES) die(s.number, "no seed tried gives a fair level");
            Builder builder(s, s.seed + attempt, title);
            std::vector<Object> objects = builder.build();
            if (!builder.worth_proving()) {
                std::printf("level %d, seed %u: no way up, or one too close to a given enemy\n", s.number, s.seed + attempt);
                continue;
            }
            std::vector<int> moves(CELL_CURSOR, 0);
            bool fair = false;
            for (int repair = 0; !fair; ++repair) {
                verify(s, objects);
                check_text(s.number, objects);
                static LevelGrid grid;
                as_loaded(objects, grid);
                const LevelProof proof = prove_level(LevelStart(title, s.number, &grid), PROOF_SEEDS, 0);
                std::printf("level %d, seed %u, repair %d: search %d/%d, reference player %d/%d, %s %d/%d; %s%s%s\n",
                            s.number, s.seed + attempt, repair, proof.search_cleared, PROOF_SEEDS,
                            proof.cleared[REFERENCE_PLAYER], PROOF_SEEDS, FAMILY[LATEST_PLAYER].name,
                            proof.cleared[LATEST_PLAYER], PROOF_SEEDS, family_deaths_line(proof).c_str(),
                            proof.stopped.empty() ? "" : ": ", proof.stopped.c_str());
                std::fflush(stdout);
                // No unwarned death at all, so that every few seeds of the 20 are fair too.
                fair = proof.fair() && proof.unwarned == 0;
                if (!fair && (repair == REPAIRS || proof.search_cleared < PROOF_SEEDS)) break;
                // Then the wanderers, only once the family finds the level fair.
                std::vector<Death> wanderers_deaths;
                if (fair) {
                    wanderers_deaths = prove_level(LevelStart(title, s.number, &grid), PROOF_SEEDS, 0, wanderers()).deaths;
                    const auto unwarned = std::count_if(wanderers_deaths.begin(), wanderers_deaths.end(),
                                                        [](const Death &d) { return d.unwarned(); });
                    std::printf("level %d: wanderers: %zu deaths, %ld unwarned\n", s.number, wanderers_deaths.size(),
                                static_cast<long>(unwarned));
                    fair = unwarned == 0;
                    if (fair || repair == REPAIRS) break;
                }
                const bool moved = wanderers_deaths.empty()
                                       ? move_worst_shooter(builder, proof.deaths, WALKER_REACH, moves)
                                       : move_worst_shooter(builder, wanderers_deaths, WANDERER_WALKER_REACH, moves);
                if (!moved) break;
                objects = builder.objects();
            }
            if (fair) {
                levels.push_back(std::move(objects));
                break;
            }
        }
    }
    stop_game();
    write_template(dir);
    for (size_t i = 0; i < levels.size(); ++i) {
        write_play_level(dir, SHAPES[i].number, levels[i]);
        check_written(dir, SHAPES[i].number, levels[i]);
    }
    for (size_t i = 0; i < levels.size(); ++i) {
        int count[KINDS] = {};
        for (const Object &o : levels[i]) ++count[o.kind];
        std::printf("level %d: %d blocks, %d walkers, %d right-firing and %d left-firing turrets\n", SHAPES[i].number,
                    count[BLOCK], count[WALKER], count[RIGHT_TURRET], count[LEFT_TURRET]);
    }
    return 0;
}
