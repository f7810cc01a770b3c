#include "probe/prove.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
#include <iterator>
#include <memory>

#include "core/clock.h"
#include "level/level_text.h"
#include "world/world.h"

namespace {

constexpr int32_t FRAME_LIMIT = 3600;  // a minute of play: a run still going then is stuck

// The search: candidates kept, frames per chunk.
constexpr int BEAM = 6;
constexpr int CHUNK = 6;

// Runs one frame at frame number `frame` of the level, the clock ticking from `second`.
void play_frame(int64_t second, int32_t frame, int keys) {
    pin_clock_seconds(second + frame / FRAMES_PER_SECOND);
    hold_key_bits(keys);
    run_unseen_frame();
}

int32_t ship_row() { return (game.scroll_y + game.player_y) / CELL_SIZE; }
LevelPoint ship_point() { return {ship_x() + BODY_W / 2, game.scroll_y + game.player_y + BODY_H / 2}; }

// Where a shot's owner stands in the grid: false when it stands nowhere.
bool owner_cell(const ShotRef &ref, int32_t &row, int32_t &col) {
    if (ref.table == ShotTable::NONE) return false;
    const int32_t code = shot_table_facts(ref.table).first_code + ref.owner;
    for (row = 1; row < GRID_ROWS; ++row)
        for (col = 0; col < GRID_COLS; ++col)
            if (game.grid[row][col] == code) return true;
    return false;
}

// What a shot's owner is, where it stands in the level.
std::string owner_text(const ShotRef &ref) {
    if (ref.table == ShotTable::NONE) return "an unknown shot";
    const ShotTableFacts &facts = shot_table_facts(ref.table);
    const std::string kind = std::string(facts.owner_kind) + " " + std::to_string(facts.first_code + ref.owner);
    int32_t r, c;
    if (!owner_cell(ref, r, c)) return kind;
    return kind + " at (" + std::to_string(r) + ", " + std::to_string(c) + ")";
}

// What blocks the way just above the ship's highest place.
std::string walls_above(int32_t row, int32_t x) {
    std::string out;
    for (int32_t r = std::max(1, row - 5); r < row; ++r)
        for (int32_t c = std::max(0, (x - 40) / CELL_SIZE); c <= std::min(GRID_COLS - 1, (x + BODY_W) / CELL_SIZE); ++c) {
            const int32_t code = game.grid[r][c];
            if (cell_kind(code) & (KIND_BLOCK | KIND_TURRET))
                out += std::string(out.empty() ? "" : ", ") + (code == CELL_BLOCK ? "block" : "turret " + std::to_string(code)) +
                       " at (" + std::to_string(r) + ", " + std::to_string(c) + ")";
        }
    return out.empty() ? "nothing in the cells above it" : out;
}

}  // namespace

LevelPoint step_point(const RouteStep &step) {
    return {step.player_x + BODY_W / 2, step.scroll_y + PLAYER_ROW * CELL_SIZE + BODY_H / 2};
}

namespace {

double cpu_seconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

// ---- The search -----------------------------------------------------------------

// Ways to spend a chunk: follow the way up, wait, back off, or step aside.
enum Move { FOLLOW, WAIT, BACK, STEP_LEFT, STEP_RIGHT, MOVE_COUNT };

int keys_of(Move move, int follow) {
    switch (move) {
        case FOLLOW: return follow;
        case WAIT: return follow & ~(HOLD_UP | HOLD_DOWN);
        case BACK: return (follow & ~HOLD_UP) | HOLD_DOWN;
        case STEP_LEFT: return (follow & ~HOLD_RIGHT) | HOLD_LEFT;
        default: return (follow & ~HOLD_LEFT) | HOLD_RIGHT;
    }
}

// The route a candidate took, shared with the candidates that grew from it.
struct Trail {
    std::shared_ptr<const Trail> parent;
    std::vector<LevelPoint> points;
};

struct Candidate {
    Snapshot *snapshot;
    int32_t frame;
    RouteFollower follower;
    std::shared_ptr<const Trail> trail;
    int32_t progress;  // the follower's place on the way up
};

struct SearchResult {
    bool cleared = false;
    int32_t frames = 0;
    int64_t nodes = 0;                // frames played
    int32_t highest_row = GRID_ROWS;  // the highest the ship got
    ShotRef killer;                   // the last shot that ended a candidate
    std::vector<LevelPoint> route;
};

SearchResult search(const LevelStart &start, int64_t second, const std::vector<RouteStep> &way, int width,
                    int moves) {
    SearchResult result;
    // Snapshots are kept in a pool: a beam and its children.
    static std::vector<std::unique_ptr<Snapshot>> pool;
    while (pool.size() < static_cast<size_t>(BEAM * (MOVE_COUNT + 1)))
        pool.push_back(std::make_unique<Snapshot>());
    std::vector<Snapshot *> free;
    for (auto &s : pool) free.push_back(s.get());

    start.enter(second);
    std::vector<Candidate> beam, children;
    beam.push_back({free.back(), 0, RouteFollower(way), std::make_shared<Trail>(Trail{nullptr, {ship_point()}}), 0});
    free.pop_back();
    save_snapshot(*beam[0].snapshot);

    while (!beam.empty()) {
        children.clear();
        for (const Candidate &parent : beam) {
            for (int m = 0; m < moves; ++m) {
                restore_snapshot(*parent.snapshot);
                Candidate child = parent;
                Trail trail{parent.trail, {}};
                bool alive = true;
                for (int c = 0; c < CHUNK && alive; ++c) {
                    const int follow = child.follower.keys_for(game.scroll_y, ship_x());
                    const int32_t drift = key_drift();
                    play_frame(second, child.frame++, keys_of(static_cast<Move>(m), follow) | HOLD_SPACE);
                    ++result.nodes;
                    if (game.mode != MODE_PLAY) {
                        result.killer = find_ship_hit(drift);
                        alive = false;
                    } else if (game.level_number != start.level()) {
                        result.cleared = true;
                        result.frames = child.frame;
                        const auto last = std::make_shared<const Trail>(std::move(trail));
                        for (const Trail *t = last.get(); t; t = t->parent.get())
                            result.route.insert(result.route.begin(), t->points.begin(), t->points.end());
                        return result;
                    }
                    trail.points.push_back(ship_point());
                    result.highest_row = std::min(result.highest_row, ship_row());
                }
                if (!alive || child.frame > FRAME_LIMIT) continue;
                child.progress = child.follower.progress();
                child.trail = std::make_shared<Trail>(std::move(trail));
                child.snapshot = free.back();
                free.pop_back();
                save_snapshot(*child.snapshot);
                children.push_back(std::move(child));
            }
        }
        for (const Candidate &c : beam) free.push_back(c.snapshot);
        // The furthest along first, then the highest; one per place on the screen.
        std::stable_sort(children.begin(), children.end(), [](const Candidate &a, const Candidate &b) {
            if (a.progress != b.progress) return a.progress > b.progress;
            return a.snapshot->state.scroll_y < b.snapshot->state.scroll_y;
        });
        beam.clear();
        for (Candidate &c : children) {
            const GameState &s = c.snapshot->state;
            const bool seen = std::any_of(beam.begin(), beam.end(), [&](const Candidate &b) {
                return b.snapshot->state.scroll_y == s.scroll_y &&
                       std::abs(b.snapshot->state.player_off_x - s.player_off_x) < SHIP_STEP * 2;
            });
            if (beam.size() < static_cast<size_t>(width) && !seen)
                beam.push_back(std::move(c));
            else
                free.push_back(c.snapshot);
        }
    }
    return result;
}

// ---- The family of players ------------------------------------------------------------

// How far from its way a player's line may lie where the walls leave room: the
// ship's body, a little apart from every block and live turret and inside the
// window's margins, all along the steps around.
constexpr int32_t WALL_GAP = 2;
constexpr int32_t ROOM_STEPS = 6;  // steps either side, 60 pixels at full climb

struct Obstacle {
    int32_t x0, y0, x1, y1;
};

std::vector<Obstacle> obstacles() {
    std::vector<Obstacle> out;
    for (int32_t r = 1; r < GRID_ROWS; ++r)
        for (int32_t c = 0; c < GRID_COLS; ++c) {
            const int32_t code = game.grid[r][c], x = c * CELL_SIZE, y = r * CELL_SIZE;
            if (cell_kind(code) & KIND_BLOCK) out.push_back({x, y, x + BLOCK_BOX - 1, y + BLOCK_BOX - 1});
            if (cell_kind(code) & KIND_TURRET) out.push_back({x, y, x + TURRET_SIZE, y + TURRET_SIZE});
        }
    return out;
}

bool room_for_ship(const std::vector<Obstacle> &walls, int32_t x, int32_t scroll_y) {
    if (x < MARGIN_LEFT || x > MARGIN_RIGHT) return false;
    const int32_t y = scroll_y + PLAYER_ROW * CELL_SIZE;
    return std::none_of(walls.begin(), walls.end(), [&](const Obstacle &o) {
        return x - WALL_GAP < o.x1 && o.x0 < x + BODY_W + WALL_GAP && y - WALL_GAP < o.y1 && o.y0 < y + BODY_H + WALL_GAP;
    });
}

// The way up moved across by the player's line (and weave), step by step; where
// the walls leave less room the line comes back towards the way, as far as it
// must, and it bends by at most half a ship's step a step, so that the ship
// follows it closely while it climbs and is back on the way before a wall.
std::vector<RouteStep> player_line(const std::vector<RouteStep> &way, const Player &player) {
    constexpr int32_t BEND = SHIP_STEP / 2;
    if (player.line == 0 && player.weave == 0) return way;
    const std::vector<Obstacle> walls = obstacles();
    const int32_t last = static_cast<int32_t>(way.size()) - 1;
    std::vector<int32_t> shift(way.size(), 0);
    for (int32_t i = 0; i <= last; ++i) {
        int32_t want = player.line;
        if (player.weave_steps > 0) {
            constexpr double TURN = 6.283185307179586;
            want += static_cast<int32_t>(std::lround(player.weave * std::sin(TURN * i / player.weave_steps)));
        }
        const int32_t towards = want > 0 ? -1 : 1;
        for (int32_t s = want; s != 0; s += towards * std::min(std::abs(s), SHIP_STEP)) {
            bool room = true;
            for (int32_t j = std::max(0, i - ROOM_STEPS); j <= std::min(last, i + ROOM_STEPS) && room; ++j)
                room = room_for_ship(walls, way[j].player_x + s, way[j].scroll_y);
            if (room) {
                shift[i] = s;
                break;
            }
        }
    }
    // Towards the way as early and as late as the bends need: never further
    // from it than a neighbour allows, on the same side.
    auto limit = [&](int32_t i, int32_t from) {
        const int32_t s = shift[i], n = shift[from];
        if (s > 0) shift[i] = std::max(0, std::min(s, n + BEND));
        if (s < 0) shift[i] = std::min(0, std::max(s, n - BEND));
    };
    for (int32_t i = 1; i <= last; ++i) limit(i, i - 1);
    for (int32_t i = last - 1; i >= 0; --i) limit(i, i + 1);
    std::vector<RouteStep> line = way;
    for (int32_t i = 0; i <= last; ++i) line[i].player_x += shift[i];
    return line;
}

struct PlayerResult {
    int32_t frames = 0;  // played
    bool cleared = false;
    bool died = false;
    Death death;
};

// Where each enemy shot slot was last fired, by frame.
struct FiringLog {
    int32_t frame[std::size(ENEMY_SHOT_TABLES) + 1][SHOT_SLOTS][WALKER_SLOTS];
    int32_t &at(const ShotRef &r) { return frame[static_cast<int>(r.table)][r.slot][r.owner]; }
};

// A player that has not climbed for WEDGED_FRAMES backs off for a few frames;
// one that has not climbed for STUCK_FRAMES is stuck for good.
constexpr int32_t WEDGED_FRAMES = 40, BACK_OFF_FRAMES = 4;
constexpr int32_t STUCK_FRAMES = 300;

PlayerResult play(const LevelStart &start, int64_t second, const std::vector<RouteStep> &line, const Player &player) {
    PlayerResult result;
    static FlyingShots flying[2];  // before and after the frame, in turn
    static FiringLog fired_at;
    std::memset(&fired_at, 0xff, sizeof fired_at);  // -1: never fired
    std::vector<ShotRef> fired;

    start.enter(second);
    RouteFollower follower(line);
    struct Seen {
        int32_t scroll_y, player_x;
        int keys;  // held in the frame that followed
    };
    std::vector<Seen> seen{{game.scroll_y, ship_x(), 0}};
    note_flying_shots(flying[0]);
    const size_t lag = static_cast<size_t>(player.lag);
    int32_t highest = game.scroll_y, climbed_at = 0;
    for (int32_t frame = 0; frame < FRAME_LIMIT && frame - climbed_at < STUCK_FRAMES; ++frame) {
        // The screen as it was `lag` frames ago, moved on by the keys pressed since.
        const size_t from = seen.size() > lag ? seen.size() - 1 - lag : 0;
        ShipPlace at = {seen[from].player_x, seen[from].scroll_y};
        for (size_t h = from; h + 1 < seen.size(); ++h)
            for (Arrow arrow : ARROWS)
                if (seen[h].keys & hold_bit(arrow)) at = moved_by(arrow, at);
        int keys = follower.keys_for(at.scroll_y, at.x);
        // Wedged against a wall for a while, a person backs off a little.
        if (frame - climbed_at >= WEDGED_FRAMES && (frame - climbed_at) % WEDGED_FRAMES < BACK_OFF_FRAMES)
            keys = (keys & ~HOLD_UP) | HOLD_DOWN;
        seen.back().keys = keys;

        const int32_t drift = key_drift();
        play_frame(second, frame, keys);
        ++result.frames;
        fired.clear();
        FlyingShots &before = flying[frame % 2], &after = flying[(frame + 1) % 2];
        note_flying_shots(after);
        find_fired_shots(before, after, fired);
        for (const ShotRef &r : fired) fired_at.at(r) = frame;
        seen.push_back({game.scroll_y, ship_x(), 0});
        if (game.scroll_y < highest) highest = game.scroll_y, climbed_at = frame;

        if (game.mode != MODE_PLAY) {
            const ShotRef killer = find_ship_hit(drift);
            const int32_t fired_frame = killer.table == ShotTable::NONE ? -1 : fired_at.at(killer);
            int32_t row, col;
            const LevelPoint shooter_at =
                owner_cell(killer, row, col) ? LevelPoint{col * CELL_SIZE + BODY_W / 2, row * CELL_SIZE + BODY_H / 2}
                                             : LevelPoint{-1, -1};
            result.died = true;
            const int32_t code = killer.table == ShotTable::NONE ? -1 : shot_table_facts(killer.table).first_code + killer.owner;
            result.death = {0, second, frame, fired_frame < 0 ? -1 : frame - fired_frame, owner_text(killer), code,
                            ship_point(), shooter_at};
            return result;
        }
        if (game.level_number != start.level()) {
            result.cleared = true;
            return result;
        }
    }
    return result;
}

}  // namespace

void LevelStart::enter(int64_t second) const {
    restore_snapshot(title_);
    pin_clock_seconds(second);
    play_level(level_);
    if (grid_)
        for (int32_t r = 1; r <= LEVEL_ROWS; ++r)
            std::memcpy(&game.grid[r][1], &(*grid_)[r][1], LEVEL_COLS * sizeof(int32_t));
}

LevelProof prove_level(const LevelStart &start, int seeds, int64_t first_second, const std::vector<Player> &family) {
    LevelProof proof;
    proof.level = start.level();
    proof.seeds = seeds;
    proof.cleared.assign(family.size(), 0);
    const double cpu_start = cpu_seconds();
    start.enter(first_second);
    proof.way = find_way_up();
    proof.nodes += proof.way.nodes;
    SearchResult best_failure;
    if (proof.way.found) {
        const std::vector<RouteStep> &way = proof.way.steps;
        std::vector<std::vector<RouteStep>> lines;
        for (const Player &player : family) lines.push_back(player_line(way, player));
        for (int i = 0; i < seeds; ++i) {
            const int64_t second = first_second + i;
            // Straight along the way up first; the whole beam only when that dies.
            SearchResult found = search(start, second, way, 1, 1);
            if (!found.cleared) {
                const int64_t tried = found.nodes;
                found = search(start, second, way, BEAM, MOVE_COUNT);
                found.nodes += tried;
            }
            proof.nodes += found.nodes;
            if (found.cleared) {
                ++proof.search_cleared;
                proof.search_frames.push_back(found.frames);
                if (proof.route.empty()) proof.route = std::move(found.route);
            } else if (i == 0 || found.highest_row < best_failure.highest_row) {
                best_failure = std::move(found);
            }
            for (size_t p = 0; p < family.size(); ++p) {
                PlayerResult played = play(start, second, lines[p], family[p]);
                proof.nodes += played.frames;
                if (played.cleared) ++proof.cleared[p];
                if (played.died) {
                    played.death.player = static_cast<int>(p);
                    proof.deaths.push_back(played.death);
                    if (played.death.unwarned()) ++proof.unwarned;
                }
            }
        }
    }
    start.enter(first_second);
    if (!proof.way.found)
        proof.stopped = "no way up through the walls: the ship gets no higher than row " +
                        std::to_string(proof.way.highest_row) + "; above it: " +
                        walls_above(proof.way.highest_row, proof.way.highest_x);
    else if (proof.search_cleared == 0)
        proof.stopped = "no seed cleared: the ship got no higher than row " + std::to_string(best_failure.highest_row) +
                        "; the last shot to stop it came from " + owner_text(best_failure.killer);
    proof.cpu = cpu_seconds() - cpu_start;
    return proof;
}

std::string family_deaths_line(const LevelProof &proof) {
    const int runs = proof.seeds * static_cast<int>(proof.cleared.size());
    std::string line = "family: " + std::to_string(proof.deaths.size()) + " deaths in " + std::to_string(runs) +
                       " runs, " + std::to_string(proof.unwarned) + " unwarned";
    if (proof.deaths.empty()) return line;
    line += " (" + std::to_string(proof.unwarned * 100 / static_cast<int>(proof.deaths.size())) + " %; fair is at most " +
            std::to_string(UNWARNED_DEATHS_PERCENT) + " %)";
    // The shooter of the most unwarned deaths, or of the most deaths when none is unwarned.
    std::vector<std::pair<int, std::string>> tally;
    for (const Death &d : proof.deaths) {
        if (proof.unwarned > 0 && !d.unwarned()) continue;
        auto it = std::find_if(tally.begin(), tally.end(), [&](const auto &t) { return t.second == d.shooter; });
        if (it == tally.end()) tally.push_back({1, d.shooter});
        else ++it->first;
    }
    const auto worst = std::max_element(tally.begin(), tally.end(),
                                        [](const auto &a, const auto &b) { return a.first < b.first; });
    return line + ", most " + (proof.unwarned > 0 ? "unwarned " : "") + "by " + worst->second;
}
