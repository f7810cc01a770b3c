#include "probe/route.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <queue>
#include <unordered_map>

#include "probe/probe.h"

void hold_key_bits(int bits) {
    std::vector<int> keys;
    if (bits & HOLD_LEFT) keys.push_back(KEY_LEFT);
    if (bits & HOLD_RIGHT) keys.push_back(KEY_RIGHT);
    if (bits & HOLD_UP) keys.push_back(KEY_UP);
    if (bits & HOLD_DOWN) keys.push_back(KEY_DOWN);
    if (bits & HOLD_SPACE) keys.push_back(KEY_SPACE);
    set_held_keys(keys);
}

namespace {

int polled_bits() {
    return (key[KEY_LEFT] ? HOLD_LEFT : 0) | (key[KEY_RIGHT] ? HOLD_RIGHT : 0) | (key[KEY_UP] ? HOLD_UP : 0) |
           (key[KEY_DOWN] ? HOLD_DOWN : 0) | (key[KEY_SPACE] ? HOLD_SPACE : 0);
}


// Everything the walls' pushes depend on: the view, the ship's offset, its
// stored position (blocks above the ship's row test last frame's) and the keys
// the handlers see.
struct Ship {
    int32_t scroll_y, off_x, x, y;
    int keys;

    // Two ships with the same view and nearly the same offset are taken as one
    // place: the stored position and the keys only matter for a frame or two,
    // and pushes of 5 and 10 pixels against steps of 4 would otherwise make
    // every pixel a place of its own.
    uint64_t key() const {
        auto field = [](int32_t v) { return static_cast<uint64_t>(v + 8192) & 0x3fff; };
        return field(scroll_y) | field((off_x + 8192) / SHIP_STEP) << 14;
    }
};

Ship ship_now() { return {game.scroll_y, game.player_off_x, game.player_x, game.player_y, polled_bits()}; }

void put_ship(const Ship &s) {
    set_scroll_y(s.scroll_y);
    game.player_off_x = s.off_x;
    game.player_x = s.x;
    game.player_y = s.y;
    hold_key_bits(s.keys);
    poll_held_keys();
}

// Steering alone: Up alone or with Left or Right, Left, Right, Down. Standing
// still never helps against walls, and Down only to back out of a dead end.
constexpr int MOVES[] = {HOLD_UP, HOLD_UP | HOLD_LEFT, HOLD_UP | HOLD_RIGHT, HOLD_LEFT, HOLD_RIGHT, HOLD_DOWN};

struct Node {
    Ship ship;
    int32_t parent;
    int32_t g;
};

}  // namespace

WayUp find_way_up(int64_t node_limit) {
    WayUp way;
    auto saved = std::make_unique<Snapshot>();
    save_snapshot(*saved);
    const int32_t level = game.level_number;

    // The walls alone: no walkers, and turrets that never fire.
    for (int32_t r = 1; r < GRID_ROWS; ++r)
        for (int32_t c = 0; c < GRID_COLS; ++c)
            if (cell_kind(game.grid[r][c]) & KIND_WALKER) game.grid[r][c] = CELL_EMPTY;
    for (Turret *table : {game.right_turrets, game.left_turrets})
        for (int32_t t = 0; t < TURRET_SLOTS; ++t) table[t].fire_interval = INT32_MAX;
    auto walls = std::make_unique<Snapshot>();
    save_snapshot(*walls);

    std::vector<Node> nodes;
    std::unordered_map<uint64_t, int32_t> best;
    // Ordered by frames spent + rows to go (the ship climbs at most a row a
    // frame), then the deeper first, so that an open climb is followed straight up.
    using Entry = std::pair<int64_t, int32_t>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
    auto rows_to_go = [](int32_t scroll_y) { return std::max(0, scroll_y / CELL_SIZE - LEVEL_END_ROW) + 1; };
    // A place is expanded once: the first time is nearly always the shortest.
    std::unordered_map<uint64_t, bool> done;
    auto push = [&](const Ship &s, int32_t parent, int32_t g) {
        if (done.count(s.key())) return;
        auto [it, fresh] = best.try_emplace(s.key(), g);
        if (!fresh && it->second <= g) return;
        it->second = g;
        nodes.push_back({s, parent, g});
        const int64_t f = g + rows_to_go(s.scroll_y);
        open.push({f * 4096 - g, static_cast<int32_t>(nodes.size() - 1)});
    };
    push(ship_now(), -1, 0);
    auto ship_row = [](const Ship &s) { return (s.scroll_y + s.y) / CELL_SIZE; };
    // Before its first frame the ship has not stored where it stands, so its
    // highest place is taken from the frames the search plays.
    way.highest_row = GRID_ROWS;

    int32_t goal = -1;
    while (!open.empty() && goal < 0 && way.nodes < node_limit) {
        const int32_t at = open.top().second;
        open.pop();
        const Node node = nodes[at];
        if (!done.emplace(node.ship.key(), true).second) continue;
        for (int move : MOVES) {
            put_ship(node.ship);
            hold_key_bits(move);
            run_unseen_frame();
            ++way.nodes;
            if (game.level_number != level) {  // the level ended in this frame: the ship stands where it was
                nodes.push_back({{node.ship.scroll_y, node.ship.off_x, node.ship.x, node.ship.y, move}, at, node.g + 1});
                goal = static_cast<int32_t>(nodes.size() - 1);
                restore_snapshot(*walls);
                break;
            }
            const Ship next = ship_now();
            const int32_t row = ship_row(next);
            if (row < way.highest_row) {
                way.highest_row = row;
                way.highest_x = ship_x();
            }
            push(next, at, node.g + 1);
        }
    }

    if (goal >= 0) {
        way.found = true;
        const int32_t anchor_x = ship_x() - game.player_off_x;
        for (int32_t at = goal; at >= 0; at = nodes[at].parent) {
            const Ship &s = nodes[at].ship;
            way.steps.push_back({nodes[at].parent >= 0 ? s.keys : 0, s.scroll_y, anchor_x + s.off_x});
        }
        std::reverse(way.steps.begin(), way.steps.end());
    }
    restore_snapshot(*saved);
    return way;
}

int RouteFollower::keys_for(int32_t scroll_y, int32_t player_x) {
    const std::vector<RouteStep> &route = *route_;
    const int32_t last = static_cast<int32_t>(route.size()) - 1;
    if (last < 1) return HOLD_UP;
    // The nearest point, in frames of travel: 10 pixels a frame up or down, 4
    // across; of equally near ones the furthest along, so that a ship between
    // two points of a line that runs across moves on rather than back.
    constexpr int32_t LOOK_BACK = 30, LOOK_AHEAD = 60;
    int32_t nearest = at_, nearest_cost = INT32_MAX;
    for (int32_t j = std::max(0, at_ - LOOK_BACK); j <= std::min(last, at_ + LOOK_AHEAD); ++j) {
        const int32_t cost = 2 * std::abs(route[j].scroll_y - scroll_y) + 5 * std::abs(route[j].player_x - player_x);
        if (cost <= nearest_cost) nearest = j, nearest_cost = cost;
    }
    at_ = nearest;
    const RouteStep &next = route[std::min(last, at_ + 1)];
    // Back onto the route where the ship has strayed from it, else as the route
    // goes; but up only in line with the route, or the ship climbs into the
    // underside of the wall beside the opening.
    const int32_t off = next.player_x - player_x;
    int keys = next.keys & (HOLD_UP | HOLD_DOWN);
    if (next.scroll_y < scroll_y) keys = HOLD_UP;
    else if (next.scroll_y > scroll_y) keys = HOLD_DOWN;
    if (at_ == last) keys = HOLD_UP;
    if (keys == HOLD_UP && std::abs(off) > 2 * SHIP_STEP) keys = 0;
    if (off >= SHIP_STEP) keys |= HOLD_RIGHT;
    else if (off <= -SHIP_STEP) keys |= HOLD_LEFT;
    else keys |= next.keys & (HOLD_LEFT | HOLD_RIGHT);
    return keys;
}
