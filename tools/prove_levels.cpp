// prove_levels: shows, by playing them, that the game's levels can be cleared
// and are fair, with the game's own rules and clock.
//
//   prove_levels [--seeds N] [--first-second S] [--level N] [--text FILE]
//                [--picture FILE] [--targets] [--quiet]
//
// Every level (or the one --level names) is played in-process from its start,
// as the game's own progression enters it, once for each of N clock seeds: the
// clock reads S, S+1, ... at the level's start and ticks a second every 60
// frames, as in the real game. For each level it reports
//   - the search: how many seeds it cleared, the frames it took (median,
//     worst), the search nodes (chunks of frames tried) and the CPU time;
//   - the reference player: the seeds it cleared, and for each death the
//     warning it had, in frames from the killing shot's firing to the hit.
// --text FILE proves a level text (in the editor's export layout) in place of
// built-in level N. --picture FILE writes a PNG of the whole level with the
// shortest way up (white), the search's route (green) and the reference
// player's deaths (red); with several levels, FILE gets each level's number
// before its extension. --targets makes the exit status 1 unless every level
// meets the fairness targets below; otherwise it is 1 only when some level
// cannot be cleared for any seed, and then it says where the search got stuck.
//
// The search plays beams of candidates in chunks of frames, each candidate a
// snapshot of the whole game: it follows the shortest way up, or waits, backs
// off or steps aside, always firing, and keeps the candidates furthest along.
//
// The reference player stands for a person: it follows the shortest way up
// and fires, holding Up whenever its way allows, but it decides on the screen
// as it was 12 frames (200 ms) before, plus the keys it has pressed since. It
// never dodges: a shot fired less than 12 frames before it hits is one that no
// person could have seen coming.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>
#include <zlib.h>

#include "assets/atlas.h"
#include "core/clock.h"
#include "core/game_state.h"
#include "core/sound.h"
#include "probe/probe.h"
#include "probe/route.h"
#include "shell/startup.h"
#include "world/world.h"

namespace {

constexpr int REACTION_FRAMES = 12;
constexpr int FRAMES_PER_SECOND = 60;
constexpr int32_t FRAME_LIMIT = 3600;  // a minute of play: a run still going then is stuck
// The targets a fair level meets.
constexpr int REFERENCE_CLEARS_PERCENT = 80;
constexpr int UNWARNED_DEATHS_PERCENT = 10;

// The search: candidates kept, frames per chunk.
constexpr int BEAM = 6;
constexpr int CHUNK = 6;

struct Options {
    int seeds = 20;
    int64_t first_second = 0;
    int level = 0;  // 0: all play levels
    std::string text, picture;
    bool targets = false, quiet = false;
};

void quiet_sound(const SoundCall &) {}

void no_wait() {}
const FramePlatform QUIET = {no_wait, no_wait, poll_held_keys};

// ---- One level's start -----------------------------------------------------------

// The numbers of a level text, in order; empty when the file cannot be read.
std::vector<int32_t> read_level_text(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<int32_t> values;
    if (!in) return values;
    std::string field;
    while (std::getline(in, field, ',')) {
        if (field.find_first_not_of(" \t\r\n") == std::string::npos) continue;
        values.push_back(static_cast<int32_t>(std::strtol(field.c_str(), nullptr, 10)));
    }
    return values;
}

class LevelStart {
public:
    LevelStart(const Snapshot &title, int32_t level, const std::vector<int32_t> &text)
        : title_(title), level_(level), text_(text) {}

    // The game at the level's first frame, with the clock reading `second`.
    void enter(int64_t second) const {
        restore_snapshot(title_);
        pin_clock_seconds(second);
        play_level(level_);
        // A text in export layout lands as the loader lays it: value k in row 1 + k / 32, column 1 + k % 32.
        for (size_t k = 0; k < text_.size(); ++k)
            game.grid[1 + k / LEVEL_COLS][1 + k % LEVEL_COLS] = text_[k];
    }
    int32_t level() const { return level_; }

private:
    const Snapshot &title_;
    int32_t level_;
    const std::vector<int32_t> &text_;
};

// Runs one frame at frame number `frame` of the level, the clock ticking from `second`.
void play_frame(int64_t second, int32_t frame, int keys) {
    pin_clock_seconds(second + frame / FRAMES_PER_SECOND);
    hold_key_bits(keys);
    run_frame(QUIET);
}

int32_t ship_row() { return (game.scroll_y + game.player_y) / CELL_SIZE; }

struct Point {
    int32_t x, y;  // the ship's centre in level pixels
};
Point ship_point() { return {ship_x() + 16, game.scroll_y + game.player_y + 20}; }

// What a shot's owner is, where it stands in the level.
std::string owner_text(const ShotRef &ref) {
    if (ref.table == ShotTable::NONE) return "an unknown shot";
    const int32_t code = ref.table == ShotTable::WALKER         ? CELL_WALKER_FIRST + ref.owner
                         : ref.table == ShotTable::RIGHT_TURRET ? CELL_RIGHT_TURRET_FIRST + ref.owner
                                                                : CELL_LEFT_TURRET_FIRST + ref.owner;
    const char *kind = ref.table == ShotTable::WALKER         ? "walker"
                       : ref.table == ShotTable::RIGHT_TURRET ? "right-firing turret"
                                                              : "left-firing turret";
    for (int32_t r = 1; r < GRID_ROWS; ++r)
        for (int32_t c = 0; c < GRID_COLS; ++c)
            if (game.grid[r][c] == code)
                return std::string(kind) + " " + std::to_string(code) + " at (" + std::to_string(r) + ", " +
                       std::to_string(c) + ")";
    return std::string(kind) + " " + std::to_string(code);
}

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
    std::vector<Point> points;
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
    std::vector<Point> route;
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
                        for (auto t = std::make_shared<Trail>(std::move(trail)); t; t = std::const_pointer_cast<Trail>(t->parent))
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

// ---- The reference player ------------------------------------------------------------

struct Death {
    int64_t second;
    int32_t frame;
    int32_t warning;  // frames from the killing shot's firing to the hit; -1 when unknown
    std::string shooter;
    Point where;
};

struct ReferenceResult {
    bool cleared = false;
    int32_t frames = 0;
    bool died = false;
    Death death;
};

// Where each enemy shot slot was last fired, by frame.
struct FiringLog {
    int32_t walker[SHOT_SLOTS][WALKER_SLOTS];
    int32_t right[SHOT_SLOTS][TURRET_SLOTS];
    int32_t left[SHOT_SLOTS][TURRET_SLOTS];
    int32_t &at(const ShotRef &r) {
        return r.table == ShotTable::WALKER         ? walker[r.slot][r.owner]
               : r.table == ShotTable::RIGHT_TURRET ? right[r.slot][r.owner]
                                                    : left[r.slot][r.owner];
    }
};

ReferenceResult play_reference(const LevelStart &start, int64_t second, const std::vector<RouteStep> &way) {
    ReferenceResult result;
    static GameState before;
    static FiringLog fired_at;
    std::memset(&fired_at, 0xff, sizeof fired_at);  // -1: never fired
    std::vector<ShotRef> fired;

    start.enter(second);
    RouteFollower follower(way);
    struct Seen {
        int32_t scroll_y, player_x;
        int keys;  // held in the frame that followed
    };
    std::vector<Seen> seen{{game.scroll_y, ship_x(), 0}};
    for (int32_t frame = 0; frame < FRAME_LIMIT; ++frame) {
        // The screen as it was REACTION_FRAMES ago, moved on by the keys pressed since.
        const size_t from = seen.size() > REACTION_FRAMES ? seen.size() - 1 - REACTION_FRAMES : 0;
        int32_t scroll_y = seen[from].scroll_y, player_x = seen[from].player_x;
        for (size_t h = from; h + 1 < seen.size(); ++h) {
            const int k = seen[h].keys;
            if (k & HOLD_UP) scroll_y -= SCROLL_STEP;
            if (k & HOLD_DOWN) scroll_y = std::min(LEVEL_START_SCROLL_Y, scroll_y + SCROLL_STEP);
            if (k & HOLD_LEFT) player_x -= SHIP_STEP;
            if (k & HOLD_RIGHT) player_x += SHIP_STEP;
        }
        const int keys = follower.keys_for(scroll_y, player_x);
        seen.back().keys = keys;

        std::memcpy(static_cast<void *>(&before), &game, sizeof game);
        const int32_t drift = key_drift();
        play_frame(second, frame, keys);
        fired.clear();
        find_fired_shots(before, game, fired);
        for (const ShotRef &r : fired) fired_at.at(r) = frame;
        seen.push_back({game.scroll_y, ship_x(), 0});

        if (game.mode != MODE_PLAY) {
            const ShotRef killer = find_ship_hit(drift);
            const int32_t fired_frame = killer.table == ShotTable::NONE ? -1 : fired_at.at(killer);
            result.died = true;
            result.death = {second, frame, fired_frame < 0 ? -1 : frame - fired_frame, owner_text(killer), ship_point()};
            return result;
        }
        if (game.level_number != start.level()) {
            result.cleared = true;
            result.frames = frame + 1;
            return result;
        }
    }
    return result;
}

// ---- The picture ----------------------------------------------------------------------

void put_u32(std::string &out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(v >> shift));
}

void put_chunk(std::string &png, const char *type, const std::string &data) {
    put_u32(png, static_cast<uint32_t>(data.size()));
    const std::string body = std::string(type, 4) + data;
    png += body;
    put_u32(png, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef *>(body.data()), body.size())));
}

// An 8-bit RGB PNG of `bmp`.
bool write_png(const std::string &path, BITMAP *bmp) {
    std::string raw;
    for (int y = 0; y < bmp->h; ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < bmp->w; ++x) {
            const int c = getpixel(bmp, x, y);
            raw.push_back(static_cast<char>(getr(c)));
            raw.push_back(static_cast<char>(getg(c)));
            raw.push_back(static_cast<char>(getb(c)));
        }
    }
    uLongf packed_size = compressBound(raw.size());
    std::string packed(packed_size, '\0');
    if (compress2(reinterpret_cast<Bytef *>(packed.data()), &packed_size, reinterpret_cast<const Bytef *>(raw.data()),
                  raw.size(), Z_BEST_COMPRESSION) != Z_OK)
        return false;
    packed.resize(packed_size);
    std::string header;
    put_u32(header, static_cast<uint32_t>(bmp->w));
    put_u32(header, static_cast<uint32_t>(bmp->h));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace
    std::string png = "\x89PNG\r\n\x1a\n";
    put_chunk(png, "IHDR", header);
    put_chunk(png, "IDAT", packed);
    put_chunk(png, "IEND", "");
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << png;
    return static_cast<bool>(out.flush());
}

// The whole level as the game draws its objects, with the routes over it.
bool draw_level(const std::string &path, const std::vector<RouteStep> &way, const std::vector<Point> &route,
                const std::vector<Death> &deaths) {
    constexpr int WIDTH = VIEW_W + 40, HEIGHT = GRID_ROWS * CELL_SIZE + 40;
    BITMAP *page = create_bitmap(WIDTH, HEIGHT);
    clear_to_color(page, makecol(16, 16, 32));
    BITMAP *screen_buffer = game.back_buffer;
    game.back_buffer = page;
    for (int32_t r = 1; r < GRID_ROWS; ++r)
        for (int32_t c = 0; c < GRID_COLS; ++c) {
            const int32_t code = game.grid[r][c], x = c * CELL_SIZE, y = r * CELL_SIZE;
            if (code == CELL_BLOCK) draw_sprite_region(SPR_BLOCK, x, y);
            if (code >= CELL_WALKER_FIRST && code <= CELL_WALKER_LAST) draw_walker(DIR_DOWN, x, y);
            if (code >= CELL_RIGHT_TURRET_FIRST && code <= CELL_RIGHT_TURRET_LAST) draw_sprite_region(SPR_RIGHT_TURRET, x, y);
            if (code >= CELL_LEFT_TURRET_FIRST && code <= CELL_LEFT_TURRET_LAST) draw_sprite_region(SPR_LEFT_TURRET, x, y);
        }
    game.back_buffer = screen_buffer;
    vline(page, VIEW_W, 0, HEIGHT, makecol(80, 80, 80));  // the window's right edge
    for (size_t i = 1; i < way.size(); ++i)
        line(page, way[i - 1].player_x + 16, way[i - 1].scroll_y + 270, way[i].player_x + 16, way[i].scroll_y + 270,
             makecol(255, 255, 255));
    for (size_t i = 1; i < route.size(); ++i)
        line(page, route[i - 1].x, route[i - 1].y, route[i].x, route[i].y, makecol(0, 255, 0));
    for (const Death &d : deaths) {
        line(page, d.where.x - 6, d.where.y - 6, d.where.x + 6, d.where.y + 6, makecol(255, 0, 0));
        line(page, d.where.x - 6, d.where.y + 6, d.where.x + 6, d.where.y - 6, makecol(255, 0, 0));
    }
    const bool ok = write_png(path, page);
    destroy_bitmap(page);
    return ok;
}

// ---- The report -------------------------------------------------------------------------

double cpu_seconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

struct LevelReport {
    int32_t level = 0;
    int seeds = 0;
    int search_cleared = 0;
    std::vector<int32_t> search_frames;
    int64_t nodes = 0;
    double cpu = 0;
    int reference_cleared = 0;
    std::vector<Death> deaths;
    int unwarned = 0;  // deaths from shots fired less than REACTION_FRAMES before the hit
    bool meets_targets() const {
        return search_cleared == seeds && reference_cleared * 100 >= REFERENCE_CLEARS_PERCENT * seeds &&
               unwarned * 100 <= UNWARNED_DEATHS_PERCENT * static_cast<int>(deaths.size());
    }
};

std::string picture_path(const Options &o, int32_t level, bool several) {
    if (!several) return o.picture;
    const size_t dot = o.picture.rfind('.');
    const size_t cut = dot == std::string::npos || dot < o.picture.rfind('/') + 1 ? o.picture.size() : dot;
    return o.picture.substr(0, cut) + std::to_string(level) + o.picture.substr(cut);
}

// What blocks the way just above the ship's highest place, for a level no seed clears.
std::string walls_above(int32_t row, int32_t x) {
    std::string out;
    for (int32_t r = std::max(1, row - 5); r < row; ++r)
        for (int32_t c = std::max(0, (x - 40) / CELL_SIZE); c <= std::min(GRID_COLS - 1, (x + 32) / CELL_SIZE); ++c) {
            const int32_t code = game.grid[r][c];
            if (code == CELL_BLOCK || (code >= CELL_RIGHT_TURRET_FIRST && code <= CELL_LEFT_TURRET_LAST))
                out += std::string(out.empty() ? "" : ", ") + (code == CELL_BLOCK ? "block" : "turret " + std::to_string(code)) +
                       " at (" + std::to_string(r) + ", " + std::to_string(c) + ")";
        }
    return out.empty() ? "nothing in the cells above it" : out;
}

LevelReport prove(const Options &o, const LevelStart &start, bool several) {
    LevelReport report;
    report.level = start.level();
    report.seeds = o.seeds;
    const double cpu_start = cpu_seconds();
    start.enter(o.first_second);
    const WayUp way = find_way_up();
    report.nodes += way.nodes;
    if (!o.quiet)
        std::printf("level %d: a way up of %zu frames (%lld frames tried, %.1f s)\n", start.level(),
                    way.steps.size() - 1, static_cast<long long>(way.nodes), cpu_seconds() - cpu_start);
    std::vector<Point> shown_route;
    SearchResult best_failure;
    if (way.found) {
        for (int i = 0; i < o.seeds; ++i) {
            const int64_t second = o.first_second + i;
            // Straight along the way up first; the whole beam only when that dies.
            SearchResult found = search(start, second, way.steps, 1, 1);
            if (!found.cleared) {
                const int64_t tried = found.nodes;
                found = search(start, second, way.steps, BEAM, MOVE_COUNT);
                found.nodes += tried;
            }
            report.nodes += found.nodes;
            if (found.cleared) {
                ++report.search_cleared;
                report.search_frames.push_back(found.frames);
                if (shown_route.empty()) shown_route = std::move(found.route);
            } else if (found.highest_row < best_failure.highest_row || i == 0) {
                best_failure = std::move(found);
            }
            const ReferenceResult ref = play_reference(start, second, way.steps);
            if (ref.cleared) ++report.reference_cleared;
            if (ref.died) {
                report.deaths.push_back(ref.death);
                if (ref.death.warning < REACTION_FRAMES) ++report.unwarned;
            }
        }
    }
    report.cpu = cpu_seconds() - cpu_start;

    start.enter(o.first_second);
    if (!way.found) {
        std::printf("level %d: no way up through the walls: the ship gets no higher than row %d; above it: %s\n",
                    start.level(), way.highest_row, walls_above(way.highest_row, way.highest_x).c_str());
    } else if (report.search_cleared == 0) {
        std::printf("level %d: no seed cleared: the ship got no higher than row %d; the last shot to stop it came from %s\n",
                    start.level(), best_failure.highest_row, owner_text(best_failure.killer).c_str());
    }
    if (!o.picture.empty()) {
        const std::string path = picture_path(o, start.level(), several);
        if (!draw_level(path, way.steps, shown_route, report.deaths))
            std::fprintf(stderr, "prove_levels: cannot write %s\n", path.c_str());
    }
    return report;
}

void print_table(const std::vector<LevelReport> &reports, bool details) {
    std::printf("%-6s | %-8s %-15s %-8s %-7s | %-9s %-7s %s\n", "level", "search", "frames med/max", "nodes", "cpu",
                "reference", "deaths", "warned < 12 frames");
    for (const LevelReport &r : reports) {
        std::vector<int32_t> f = r.search_frames;
        std::sort(f.begin(), f.end());
        const std::string frames = f.empty() ? "-" : std::to_string(f[f.size() / 2]) + " / " + std::to_string(f.back());
        const std::string cleared = std::to_string(r.search_cleared) + "/" + std::to_string(r.seeds);
        const std::string ref = std::to_string(r.reference_cleared) + "/" + std::to_string(r.seeds);
        std::printf("%-6d | %-8s %-15s %-8lld %5.1f s | %-9s %-7zu %d\n", r.level, cleared.c_str(), frames.c_str(),
                    static_cast<long long>(r.nodes), r.cpu, ref.c_str(), r.deaths.size(), r.unwarned);
    }
    if (!details) return;
    for (const LevelReport &r : reports)
        for (const Death &d : r.deaths)
            std::printf("level %d, second %lld: the reference player died at frame %d, %s warning, shot by %s\n", r.level,
                        static_cast<long long>(d.second), d.frame,
                        d.warning < 0 ? "no known" : (std::to_string(d.warning) + " frames'").c_str(), d.shooter.c_str());
}

[[noreturn]] void usage(const char *what) {
    std::fprintf(stderr,
                 "prove_levels: %s\nusage: prove_levels [--seeds N] [--first-second S] [--level N] [--text FILE]\n"
                 "                    [--picture FILE] [--targets] [--quiet]\n",
                 what);
    std::exit(2);
}

Options parse_options(int argc, char **argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) usage((arg + " needs a value").c_str());
            return argv[++i];
        };
        auto number = [&](long lo, long hi) {
            const std::string v = value();
            char *end = nullptr;
            errno = 0;
            const long n = std::strtol(v.c_str(), &end, 10);
            if (v.empty() || *end || errno || n < lo || n > hi)
                usage((arg + " wants a number in " + std::to_string(lo) + ".." + std::to_string(hi)).c_str());
            return n;
        };
        if (arg == "--seeds") o.seeds = static_cast<int>(number(1, 1000));
        else if (arg == "--first-second") o.first_second = number(0, 1L << 30);
        else if (arg == "--level") o.level = static_cast<int>(number(FIRST_GAME_LEVEL, LAST_GAME_LEVEL));
        else if (arg == "--text") o.text = value();
        else if (arg == "--picture") o.picture = value();
        else if (arg == "--targets") o.targets = true;
        else if (arg == "--quiet") o.quiet = true;
        else usage(("unknown option " + arg).c_str());
    }
    if (!o.text.empty() && o.level == 0) usage("--text needs --level");
    return o;
}

}  // namespace

int main(int argc, char **argv) {
    const Options options = parse_options(argc, argv);
    std::vector<int32_t> text;
    if (!options.text.empty()) {
        text = read_level_text(options.text);
        if (text.size() != static_cast<size_t>(EXPORT_LAST_COL + (EXPORT_LAST_ROW - 1) * LEVEL_COLS)) {
            std::fprintf(stderr, "prove_levels: %s: not a level text in the export layout\n", options.text.c_str());
            return 2;
        }
    }

    set_sound_hook(quiet_sound);
    pin_clock_seconds(0);
    if (start_headless(MODE_TITLE) != START_OK) return 2;
    // Nothing the search plays is looked at: drawing into an empty clip
    // rectangle returns at once.
    set_clip_rect(game.back_buffer, 0, 0, -1, -1);
    auto title = std::make_unique<Snapshot>();
    save_snapshot(*title);

    std::vector<LevelReport> reports;
    const bool several = options.level == 0;
    for (int32_t n = FIRST_GAME_LEVEL; n <= LAST_GAME_LEVEL; ++n) {
        if (!several && n != options.level) continue;
        const LevelStart start(*title, n, text);
        reports.push_back(prove(options, start, several));
    }
    print_table(reports, !options.quiet);
    stop_game();

    bool ok = true;
    for (const LevelReport &r : reports) {
        if (r.search_cleared == 0) ok = false;
        if (options.targets && !r.meets_targets()) {
            std::printf("level %d misses a target: the search clears every seed, the reference player %d %% of them, "
                        "at most %d %% of its deaths unwarned\n",
                        r.level, REFERENCE_CLEARS_PERCENT, UNWARNED_DEATHS_PERCENT);
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
