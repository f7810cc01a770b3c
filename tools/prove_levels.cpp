// prove_levels: shows, by playing them, that the game's levels can be cleared
// and are fair to every player, with the game's own rules and clock.
//
//   prove_levels [--seeds N] [--first-second S] [--level N] [--text FILE]
//                [--picture FILE] [--targets] [--quiet] [--verdict]
//
// Every level (or the one --level names) is played in-process from its start,
// as the game's own progression enters it, once for each of N clock seeds: the
// clock reads S, S+1, ... at the level's start and ticks a second every 60
// frames, as in the real game. For each level it reports
//   - the search: how many seeds it cleared, the frames it took (median,
//     worst), the frames played in all (the way up's and the family's
//     included) and the CPU time;
//   - the family of players (probe/prove.h): the seeds the reference player
//     and the 18-frame player cleared, the family's deaths and how many of
//     them were unwarned, from shots fired less than 12 frames before the hit;
//     without --quiet, every player's clears and every death with its player,
//     place, warning and shooter.
// --text FILE proves a level text (in the editor's export layout) in place of
// built-in level N. --picture FILE writes a PNG of the whole level with the
// shortest way up (white), the search's route (green) and the family's deaths
// by warning: unwarned in red, with a line back to the enemy that fired, under
// 24 frames in orange, the rest in blue. With several levels, FILE gets each
// level's number before its extension. --targets makes the exit status 1
// unless every level meets the fairness targets of probe/prove.h; otherwise it
// is 1 only when some level cannot be cleared for any seed, and then it says
// where the search got stuck.
// --verdict prints, in place of the table, one line a level: that it can be
// cleared, with the seeds the search and the reference player cleared, or how
// high the ship got and what stopped it (the editor's line after a save).
//
// The search plays beams of candidates in chunks of frames, each candidate a
// snapshot of the whole game: it follows the shortest way up, or waits, backs
// off or steps aside, always firing, and keeps the candidates furthest along.
//
// The players stand for people: each follows the shortest way up, or a line
// beside it, holding Up whenever its way allows, but decides on the screen as
// it was some frames before, plus the keys it has pressed since. None fires or
// dodges: a shot fired less than 12 frames before it hits is one that no
// person could have seen coming.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "assets/atlas.h"
#include "core/build_info.h"
#include "core/clock.h"
#include "core/game_state.h"
#include "core/message.h"
#include "level/level_text.h"
#include "probe/prove.h"
#include "play/start.h"
#include "png.h"

namespace {

struct Options {
    int seeds = 20;
    int64_t first_second = 0;
    int level = 0;  // 0: all play levels
    std::string text, picture;
    bool targets = false, quiet = false, verdict = false;
};


// ---- The picture ----------------------------------------------------------------------

// The whole level as the game draws its objects, with the routes over it.
bool draw_level(const std::string &path, const std::vector<RouteStep> &way, const std::vector<LevelPoint> &route,
                const std::vector<Death> &deaths) {
    constexpr int WIDTH = VIEW_W + 40, HEIGHT = GRID_ROWS * CELL_SIZE + 40;
    BITMAP *page = create_bitmap(WIDTH, HEIGHT);
    clear_to_color(page, makecol(16, 16, 32));
    BITMAP *screen_buffer = game.back_buffer;
    game.back_buffer = page;
    for (int32_t r = 1; r < GRID_ROWS; ++r)
        for (int32_t c = 0; c < GRID_COLS; ++c) {
            const int32_t code = game.grid[r][c], x = c * CELL_SIZE, y = r * CELL_SIZE;
            const unsigned kind = cell_kind(code);
            if (kind & KIND_BLOCK) draw_sprite_region(SPR_BLOCK, x, y);
            if (kind & KIND_WALKER) draw_walker(DIR_DOWN, x, y);
            if (kind & KIND_RIGHT_TURRET) draw_sprite_region(SPR_RIGHT_TURRET, x, y);
            if (kind & KIND_LEFT_TURRET) draw_sprite_region(SPR_LEFT_TURRET, x, y);
        }
    game.back_buffer = screen_buffer;
    vline(page, VIEW_W, 0, HEIGHT, makecol(80, 80, 80));  // the window's right edge
    for (size_t i = 1; i < way.size(); ++i)
        line(page, step_point(way[i - 1]).x, step_point(way[i - 1]).y, step_point(way[i]).x, step_point(way[i]).y,
             makecol(255, 255, 255));
    for (size_t i = 1; i < route.size(); ++i)
        line(page, route[i - 1].x, route[i - 1].y, route[i].x, route[i].y, makecol(0, 255, 0));
    // The family's deaths, coloured by warning: unwarned ones in red, with a
    // line back to the enemy that fired, so the unfair enemies stand out.
    for (const Death &d : deaths) {
        const int colour = d.unwarned()                     ? makecol(255, 40, 40)
                           : d.warning < 2 * REACTION_FRAMES ? makecol(255, 170, 0)
                                                             : makecol(90, 200, 255);
        if (d.unwarned() && d.shooter_at.x >= 0) line(page, d.shooter_at.x, d.shooter_at.y, d.where.x, d.where.y, colour);
        if (d.unwarned())
            circlefill(page, d.where.x, d.where.y, 5, colour);
        else
            circle(page, d.where.x, d.where.y, 4, colour);
    }
    const bool ok = write_png(path, page);
    destroy_bitmap(page);
    return ok;
}

// ---- The report -------------------------------------------------------------------------

std::string picture_path(const Options &o, int32_t level, bool several) {
    if (!several) return o.picture;
    const size_t dot = o.picture.rfind('.');
    const size_t cut = dot == std::string::npos || dot < o.picture.rfind('/') + 1 ? o.picture.size() : dot;
    return o.picture.substr(0, cut) + std::to_string(level) + o.picture.substr(cut);
}

void print_table(const std::vector<LevelProof> &reports, bool details) {
    std::printf("%-6s | %-8s %-15s %-8s %-7s | %-9s %-9s | %-6s %s\n", "level", "search", "frames med/max", "played",
                "cpu", "reference", FAMILY[LATEST_PLAYER].name, "deaths", "unwarned (< 12 frames)");
    auto of = [](int n, int seeds) { return std::to_string(n) + "/" + std::to_string(seeds); };
    for (const LevelProof &r : reports) {
        std::vector<int32_t> f = r.search_frames;
        std::sort(f.begin(), f.end());
        const std::string frames = f.empty() ? "-" : std::to_string(f[f.size() / 2]) + " / " + std::to_string(f.back());
        const std::string unwarned =
            std::to_string(r.unwarned) +
            (r.deaths.empty() ? "" : " (" + std::to_string(r.unwarned * 100 / static_cast<int>(r.deaths.size())) + " %)");
        std::printf("%-6d | %-8s %-15s %-8lld %5.1f s | %-9s %-14s | %-6zu %s\n", r.level,
                    of(r.search_cleared, r.seeds).c_str(), frames.c_str(), static_cast<long long>(r.nodes), r.cpu,
                    of(r.cleared[REFERENCE_PLAYER], r.seeds).c_str(), of(r.cleared[LATEST_PLAYER], r.seeds).c_str(),
                    r.deaths.size(), unwarned.c_str());
    }
    if (!details) return;
    for (const LevelProof &r : reports) {
        std::printf("level %d: cleared by", r.level);
        for (int p = 0; p < FAMILY_SIZE; ++p)
            std::printf("%s %s %s", p ? "," : "", FAMILY[p].name, of(r.cleared[p], r.seeds).c_str());
        std::printf("; %s\n", family_deaths_line(r).c_str());
        for (const Death &d : r.deaths)
            std::printf("level %d, second %lld: %s died at frame %d at (%d, %d), %s warning, shot by %s\n", r.level,
                        static_cast<long long>(d.second), FAMILY[d.player].name, d.frame, d.where.x, d.where.y,
                        d.warning < 0 ? "no known" : (std::to_string(d.warning) + " frames'").c_str(), d.shooter.c_str());
    }
}

void print_verdict(const std::string &name, const LevelProof &p) {
    if (p.search_cleared > 0)
        std::printf("%s can be cleared: the search cleared it from %d of %d clock seeds, the reference player from %d; %s\n",
                    name.c_str(), p.search_cleared, p.seeds, p.cleared[REFERENCE_PLAYER], family_deaths_line(p).c_str());
    else
        std::printf("%s cannot be cleared: %s\n", name.c_str(), p.stopped.c_str());
}

void print_usage(std::FILE *to) {
    std::fprintf(to,
                 "usage: %s [--seeds N] [--first-second S] [--level N] [--text FILE]\n"
                 "       [--picture FILE] [--targets] [--quiet] [--verdict] [--help] [--version]\n",
                 program_invocation_short_name);
}

[[noreturn]] void usage(const char *what) {
    print_message("%s", what);
    print_usage(stderr);
    std::exit(2);
}

Options parse_options(int argc, char **argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--") {
            if (i + 1 < argc) usage(("unexpected argument '" + std::string(argv[i + 1]) + "'").c_str());
            break;
        }
        // --name=VALUE is --name VALUE.
        const size_t equals = arg.rfind("--", 0) == 0 ? arg.find('=') : std::string::npos;
        const bool inline_value = equals != std::string::npos;
        const std::string given = inline_value ? arg.substr(equals + 1) : "";
        if (inline_value) arg.resize(equals);
        auto value = [&]() -> std::string {
            if (inline_value) return given;
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
        const bool flag = arg == "--verdict" || arg == "--targets" || arg == "--quiet" || arg == "--help" ||
                          arg == "-h" || arg == "--version";
        if (flag && inline_value) usage((arg + " takes no value").c_str());
        if (arg == "--seeds") o.seeds = static_cast<int>(number(1, 1000));
        else if (arg == "--first-second") o.first_second = number(0, 1L << 30);
        else if (arg == "--level") o.level = static_cast<int>(number(FIRST_GAME_LEVEL, LAST_GAME_LEVEL));
        else if (arg == "--text") o.text = value();
        else if (arg == "--verdict") o.verdict = true;
        else if (arg == "--picture") o.picture = value();
        else if (arg == "--targets") o.targets = true;
        else if (arg == "--quiet") o.quiet = true;
        else if (arg == "--help" || arg == "-h") {
            print_usage(stdout);
            std::fputs("Plays every level (or level N) from its start once for each of N clock seeds (20),\n"
                       "the first reading S (0), and prints a table: how many seeds the search cleared,\n"
                       "its frames and CPU time, and the family of players' clears and deaths.\n"
                       "  --text FILE     prove this level text (as upshot-editor saves it) as level N\n"
                       "  --picture FILE  draw each level with its routes and deaths into a PNG\n"
                       "  --targets       fail unless every level meets the fairness targets\n"
                       "  --quiet         only the table\n"
                       "  --verdict       one line a level in place of the table: can it be cleared, or what stops it\n"
                       "Exit status: 0 when every level can be cleared (and with --targets is fair),\n"
                       "1 otherwise, 2 for bad arguments or missing pictures and sounds.\n",
                       stdout);
            std::exit(0);
        } else if (arg == "--version") {
            print_version(program_invocation_short_name);
            std::exit(0);
        }
        else usage(((arg.rfind('-', 0) == 0 ? "unknown option '" : "unexpected argument '") + arg + "'").c_str());
    }
    if (!o.text.empty() && o.level == 0) usage("--text needs --level");
    return o;
}

}  // namespace

int main(int argc, char **argv) {
    const Options options = parse_options(argc, argv);
    // A level text, checked as the build checks the built-in ones.
    static LevelValues text;
    text.count = 0;
    if (!options.text.empty()) {
        LevelTextError error;
        if (!read_level_text(options.text.c_str(), options.level, text, error)) {
            print_level_text_error(options.text.c_str(), error);
            return 2;
        }
    }

    if (start_unseen() != START_OK) return 2;
    auto title = std::make_unique<Snapshot>();
    save_snapshot(*title);

    std::vector<LevelProof> proofs;
    const bool several = options.level == 0;
    for (int32_t n = FIRST_GAME_LEVEL; n <= LAST_GAME_LEVEL; ++n) {
        if (!several && n != options.level) continue;
        // A text lands where a load puts the built-in level in its place.
        static LevelGrid grid;
        if (text.count > 0) {
            LevelStart(*title, n).enter(0);
            std::memcpy(grid, game.grid, sizeof grid);
            load_level_values(text.value, text.count, grid);
        }
        const LevelStart start(*title, n, text.count > 0 ? &grid : nullptr);
        proofs.push_back(prove_level(start, options.seeds, options.first_second));
        const LevelProof &p = proofs.back();
        if (!options.quiet && !options.verdict && p.way.found)
            std::printf("level %d: the shortest way up takes %zu frames (%lld frames tried)\n", n,
                        p.way.steps.size() - 1, static_cast<long long>(p.way.nodes));
        if (!p.stopped.empty() && !options.verdict) std::printf("level %d: %s\n", n, p.stopped.c_str());
        if (!options.picture.empty()) {
            start.enter(options.first_second);
            const std::string path = picture_path(options, n, several);
            if (!draw_level(path, p.way.steps, p.route, p.deaths))
                print_message("cannot write %s", path.c_str());
        }
    }
    if (options.verdict)
        for (const LevelProof &p : proofs) print_verdict(options.text.empty() ? "level " + std::to_string(p.level) : options.text, p);
    else
        print_table(proofs, !options.quiet);
    stop_game();

    bool ok = true;
    for (const LevelProof &p : proofs) {
        if (p.search_cleared == 0) ok = false;
        if (options.targets && !p.fair()) {
            std::printf("level %d misses a target: the search clears every seed, the reference player %d %% of them, "
                        "the player %s %d %%, and at most %d %% of the family's deaths are unwarned\n",
                        p.level, REFERENCE_CLEARS_PERCENT, FAMILY[LATEST_PLAYER].name, LATEST_CLEARS_PERCENT,
                        UNWARNED_DEATHS_PERCENT);
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
