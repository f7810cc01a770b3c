// The shortest way up a level through its walls, found by the game's own
// collision code, and a follower that steers a ship along it.
#pragma once

#include <cstdint>
#include <vector>

#include "world/world.h"

// Keys as bits, for programs that choose them frame by frame.
constexpr int hold_bit(Arrow arrow) { return 1 << arrow; }
enum KeyBits : int {
    HOLD_LEFT = hold_bit(ARROW_LEFT),
    HOLD_RIGHT = hold_bit(ARROW_RIGHT),
    HOLD_UP = hold_bit(ARROW_UP),
    HOLD_DOWN = hold_bit(ARROW_DOWN),
    HOLD_SPACE = 16
};
// The next polls hand the game exactly these keys.
void hold_key_bits(int bits);

// One frame of the route: the keys held in it and where the ship was after it
// (player_x as ship_x() gives it).
struct RouteStep {
    int keys;
    int32_t scroll_y, player_x;
};

struct WayUp {
    bool found = false;
    std::vector<RouteStep> steps;  // steps[0] is the start; the last frame ends the level
    int32_t highest_row = 0;       // the ship's level row at its highest (its top edge's row)
    int32_t highest_x = 0;         // its ship_x() there
    int64_t nodes = 0;             // frames tried
};

// From the game as it stands at the start of a level in play: the fewest frames
// that take the ship to the level's end when only the walls count (blocks and
// live turrets push back; walkers are taken away and no turret fires). Every
// frame tried is a real frame of the game's own loop, so the walls stop the
// ship exactly as they do in play. The game is as it was afterwards.
WayUp find_way_up(int64_t node_limit = 400000);

// Steers along a route: for a ship at (scroll_y, player_x), the keys that take
// it to the point after the route's nearest one. The nearest is sought from 30
// steps behind the last one found to 60 ahead, so a ship pushed back by a wall
// finds its place again, while one far past a bend does not turn round for it.
class RouteFollower {
public:
    explicit RouteFollower(const std::vector<RouteStep> &route) : route_(&route) {}
    int keys_for(int32_t scroll_y, int32_t player_x);
    int32_t progress() const { return at_; }

private:
    const std::vector<RouteStep> *route_;
    int32_t at_ = 0;
};
