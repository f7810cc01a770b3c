// Folder replay/, a program on top of the game.
//
// upshot-replay: runs the game's own frame loop headless from a script of held
// keys and prints its state as JSON. See the usage text below.
#include <allegro.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "check.h"
#include "fields.h"
#include "script.h"
#include "core/build_info.h"
#include "core/clock.h"
#include "core/game_state.h"
#include "core/message.h"
#include "json.h"
#include "probe/probe.h"
#include "host/recording.h"
#include "play/play.h"
#include "play/start.h"
#include "sound_log.h"
#include "world/world.h"

namespace {

const char USAGE[] =
    "usage: upshot-replay [--start-mode title|play|editor] [--help] [--version] [--] [SCRIPT]\n"
    "Runs the game headless from SCRIPT (or standard input), one command a line:\n"
    "  frames N [KEY ...]   run N frames holding exactly these keys (LEFT, SPACE, ESC, ...)\n"
    "  clock S              the clock reads S whole seconds from now on (0 until then)\n"
    "  set PATH VALUE       write one field, e.g. set walkers[7].direction 2\n"
    "  dump [PATH ...]      print the whole state, or only these paths, as one line of JSON\n"
    "  screenshot FILE      write the last frame shown as a 24-bit BMP\n"
    "  check                check the game's invariants now and after every frame\n"
    "  save NAME            keep everything the run depends on under NAME\n"
    "  restore NAME         go back to what save NAME kept\n"
    "  level N              play level N (2..5) from its start, as reaching it would\n"
    "  level FILE SUM       (first line only) start again with the level file FILE,\n"
    "                       whose checksum a recording gave as SUM, as upshot --level FILE\n"
    "  events on|off        print a line for every death, level end and export\n"
    "Exit status: 0 at the end of the script or on Escape, 1 when the output cannot\n"
    "be written, 2 for a bad script or missing pictures and sounds, 3 when a check fails.\n";

constexpr int EXIT_BAD_SCRIPT = 2;
constexpr int EXIT_CHECK_FAILED = 3;
constexpr int EXIT_OUTPUT_LOST = 1;

// The game runs headless on memory bitmaps, with the keys the script holds.
//
// Showing a frame copies nothing. Nothing draws into back_buffer between the
// copy to the screen and the end of the frame (only the poll and the keys come
// after it), so between frames back_buffer holds exactly what the screen would
// show; a screenshot reads it there. This saves a full-window copy per frame,
// a third of a title frame's cost and far more under AddressSanitizer, whose
// memmove is slow.
BITMAP *black_screen;   // the screen before the first frame is shown
bool frame_shown = false;  // every frame run is shown

struct BitmapFree {
    void operator()(BITMAP *b) const { destroy_bitmap(b); }
};

// What `save` keeps: the game as a frame needs it, and the replay's own record
// of the run, so that a restore followed by the same lines prints the same bytes.
struct SavedRun {
    Snapshot game;
    int64_t frame;
    SoundLog sounds;
    Checker checker;
    bool checking;
    bool frame_shown;
    std::unique_ptr<BITMAP, BitmapFree> picture;  // the last frame shown, for screenshots
};

// What the events compare across one frame.
struct Before {
    int32_t mode, level_number, exports, drift;
};

class Replay {
public:
    // The game's own start-up, headless; false when data/ is not usable.
    bool start(int mode);
    int run(std::FILE *script);

private:
    // Each returns false when the run is over (Escape, a failed check or write).
    bool run_frames(const Command &cmd);
    void dump(const Command &cmd);
    bool screenshot(const Command &cmd);
    void save(const std::string &name);
    bool restore(const std::string &name);
    bool take_level_file(const Command &cmd);
    void report_events(const Before &before);
    void print(const std::string &line);
    bool fail(int status, const std::string &what);

    int mode_ = MODE_TITLE;
    bool first_command_ = true;
    int64_t frame_ = 0;
    long line_ = 0;
    int status_ = 0;
    SoundLog sounds_;
    Checker checker_;
    bool checking_ = false;
    bool events_ = false;
    std::string out_;
    std::map<std::string, std::unique_ptr<SavedRun>> saved_;
};

// Each line goes out whole and at once, so a program driving the replay
// through a pipe gets its answer before it sends the next line.
void Replay::print(const std::string &line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

bool Replay::fail(int status, const std::string &what) {
    std::fflush(stdout);
    print_message("line %ld: %s", line_, what.c_str());
    status_ = status;
    return false;
}

bool Replay::run_frames(const Command &cmd) {
    set_held_keys(cmd.keys);
    std::string what;
    for (int32_t i = 0; i < cmd.number; ++i) {
        sounds_.set_frame(++frame_);
        const Before before = {game.mode, game.level_number, game.exports, key_drift()};
        const bool going_on = run_frame(HEADLESS_PLATFORM);
        frame_shown = true;
        if (events_) report_events(before);
        if (checking_ && !checker_.check(what))
            return fail(EXIT_CHECK_FAILED, "frame " + std::to_string(frame_) + ": check failed: " + what);
        if (!going_on) {  // Escape: the game's own shutdown
            stop_game();
            print("{\"exit\":0}\n");
            return false;
        }
    }
    return true;
}

// A death is play turned to the title screen inside a frame, a level end a new
// level number while play goes on, an export one more written level.txt.
void Replay::report_events(const Before &before) {
    auto start = [&](const char *event) {
        out_ = "{\"event\":\"";
        out_ += event;
        out_ += "\",\"frame\":";
        append_number(out_, frame_);
    };
    auto number = [&](const char *name, int64_t n) {
        out_ += ",\"";
        out_ += name;
        out_ += "\":";
        append_number(out_, n);
    };
    if (before.mode == MODE_PLAY && game.mode == MODE_TITLE) {
        start("death");
        number("level", game.level_number);
        const ShotRef hit = find_ship_hit(before.drift);
        out_ += ",\"table\":\"";
        out_ += shot_table_name(hit.table);
        out_ += '"';
        if (hit.table != ShotTable::NONE) {
            number("slot", hit.slot);
            number("owner", hit.owner);
            const Shot &shot = shot_at(hit);
            out_ += ",\"shot\":{";
            out_ += "\"state\":";
            append_number(out_, shot.state);
            number("x", shot.x);
            number("y", shot.y);
            out_ += '}';
        }
        number("player_x", game.player_x);
        number("player_y", game.player_y);
        print(out_ += "}\n");
    }
    if (before.mode == MODE_PLAY && game.mode == MODE_PLAY && game.level_number != before.level_number) {
        start("level_end");
        number("level", before.level_number);
        number("next", game.level_number);
        print(out_ += "}\n");
    }
    if (game.exports != before.exports) {
        start("export");
        number("exports", game.exports);
        print(out_ += "}\n");
    }
}

void Replay::save(const std::string &name) {
    std::unique_ptr<SavedRun> &run = saved_[name];
    if (!run) {
        run = std::make_unique<SavedRun>();
        run->picture.reset(create_bitmap(VIEW_W, VIEW_H));
    }
    save_snapshot(run->game);
    run->frame = frame_;
    run->sounds = sounds_;
    run->checker = checker_;
    run->checking = checking_;
    run->frame_shown = frame_shown;
    blit(game.back_buffer, run->picture.get(), 0, 0, 0, 0, VIEW_W, VIEW_H);
}

bool Replay::restore(const std::string &name) {
    const auto found = saved_.find(name);
    if (found == saved_.end()) return fail(EXIT_BAD_SCRIPT, "restore: nothing saved as " + quoted(name));
    const SavedRun &run = *found->second;
    restore_snapshot(run.game);
    frame_ = run.frame;
    sounds_ = run.sounds;
    checker_ = run.checker;
    checking_ = run.checking;
    frame_shown = run.frame_shown;
    blit(run.picture.get(), game.back_buffer, 0, 0, 0, 0, VIEW_W, VIEW_H);
    return true;
}

void Replay::dump(const Command &cmd) {
    const ReplayInfo info = {frame_, &sounds_};
    out_.clear();
    bool showed_sounds = cmd.places.empty();
    if (cmd.places.empty()) {
        append_whole_state(out_, info);
    } else {
        out_ += '{';
        for (size_t i = 0; i < cmd.places.size(); ++i) {
            if (i) out_ += ',';
            out_ += '"';
            out_ += cmd.names[i];
            out_ += "\":";
            append_value(out_, cmd.places[i], info);
            showed_sounds = showed_sounds || cmd.names[i] == "sounds";
        }
        out_ += '}';
    }
    out_ += '\n';
    print(out_);
    if (showed_sounds) sounds_.clear();
}

bool Replay::screenshot(const Command &cmd) {
    static BITMAP *picture = create_bitmap_ex(24, VIEW_W, VIEW_H);
    blit(frame_shown ? game.back_buffer : black_screen, picture, 0, 0, 0, 0, VIEW_W, VIEW_H);
    PALETTE palette;
    get_palette(palette);
    if (save_bmp(cmd.word.c_str(), picture, palette) != 0)
        return fail(EXIT_BAD_SCRIPT, "screenshot: cannot write " + quoted(cmd.word) + ": " + std::strerror(errno));
    return true;
}

// A recording made with --level starts with it: the game starts again with
// the level file in place, as the window started with it.
bool Replay::take_level_file(const Command &cmd) {
    std::string error = first_command_ ? "" : "a level file must come before any other line";
    if (!error.empty() || !take_recorded_level(cmd.word.c_str(), cmd.checksum, error))
        return fail(EXIT_BAD_SCRIPT, "level: " + error);
    stop_game();
    return start(mode_) || fail(EXIT_BAD_SCRIPT, "level: the game did not start again");
}

bool Replay::start(int mode) {
    mode_ = mode;
    // The keys released and a clock that reads 0 until the script sets it.
    poll_held_keys();
    pin_clock_seconds(0);
    sounds_.install();
    if (start_headless(mode) != START_OK) return false;  // load_assets has said which file is wrong
    if (!black_screen) black_screen = create_bitmap(VIEW_W, VIEW_H);
    clear_bitmap(black_screen);
    return true;
}

int Replay::run(std::FILE *script) {
    LineReader reader(script);
    std::string line, error;
    std::vector<std::string_view> words;
    Command cmd;
    while (true) {
        const LineReader::Result got = reader.next(line);
        line_ = reader.number();
        if (got == LineReader::END) break;
        if (got == LineReader::TOO_LONG) {
            fail(EXIT_BAD_SCRIPT, "line is longer than " + std::to_string(LineReader::LONGEST_LINE) + " bytes");
            break;
        }
        split_words(line, words);
        if (words.empty()) continue;
        if (!(error = parse_command(words, cmd)).empty()) {
            fail(EXIT_BAD_SCRIPT, error);
            break;
        }
        bool going_on = true;
        switch (cmd.type) {
            case Command::FRAMES: going_on = run_frames(cmd); break;
            case Command::CLOCK: pin_clock_seconds(cmd.number); break;
            case Command::SET: write_number(cmd.places[0], cmd.number); break;
            case Command::DUMP: dump(cmd); break;
            case Command::SCREENSHOT: going_on = screenshot(cmd); break;
            case Command::CHECK:
                checking_ = true;
                checker_.start();
                if (!checker_.check(error)) going_on = fail(EXIT_CHECK_FAILED, "check failed: " + error);
                break;
            case Command::SAVE: save(cmd.word); break;
            case Command::RESTORE: going_on = restore(cmd.word); break;
            case Command::LEVEL:
                if (!play_level(cmd.number)) going_on = fail(EXIT_BAD_SCRIPT, "level: the editor has no levels to play");
                break;
            case Command::LEVEL_FILE: going_on = take_level_file(cmd); break;
            case Command::EVENTS: events_ = cmd.number != 0; break;
        }
        first_command_ = false;
        if (!going_on) break;
    }
    return status_;
}

}  // namespace

// As a program that fails loudly when its output is lost: stdout flushed and
// closed, and a failure said in one line, with status 1.
int closing_stdout(int status) {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout) && std::fclose(stdout) == 0) return status;
    print_message("cannot write the output: %s", std::strerror(errno));
    return EXIT_OUTPUT_LOST;
}

int main(int argc, char **argv) {
    int mode = MODE_TITLE;
    const char *script_path = nullptr;
    bool options_over = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool option = !options_over && arg.size() >= 2 && arg[0] == '-';
        const std::string name = option ? arg.substr(0, arg.find('=')) : "";
        if (arg == "--" && !options_over) {
            options_over = true;
        } else if (name == "--start-mode") {
            if (name == arg && i + 1 >= argc) {
                print_message("--start-mode needs a value, title|play|editor");
                return EXIT_BAD_SCRIPT;
            }
            const std::string m = name == arg ? argv[++i] : arg.substr(name.size() + 1);
            mode = m == "title" ? MODE_TITLE : m == "play" ? MODE_PLAY : m == "editor" ? MODE_EDITOR : MODE_NONE;
            if (mode == MODE_NONE) {
                print_message("unknown start mode %s (see --help)", quoted(m).c_str());
                return EXIT_BAD_SCRIPT;
            }
        } else if (option && (arg == "--help" || arg == "-h")) {
            std::fputs(USAGE, stdout);
            return closing_stdout(0);
        } else if (option && arg == "--version") {
            print_version("upshot-replay");
            return closing_stdout(0);
        } else if (!option && !script_path) {
            script_path = argv[i];
        } else {
            print_message("%s %s (see --help)", option ? "unknown option" : "unexpected argument",
                          quoted(option ? name : arg).c_str());
            return EXIT_BAD_SCRIPT;
        }
    }
    std::FILE *script = stdin;
    if (script_path && (options_over || std::strcmp(script_path, "-") != 0)) {
        script = std::fopen(script_path, "rb");
        if (!script) {
            print_message("cannot open %s: %s", quoted(script_path).c_str(), std::strerror(errno));
            return EXIT_BAD_SCRIPT;
        }
    }

    // Static: it holds copies of the grid, and the sound hook points into it
    // for the rest of the process.
    static Replay replay;
    if (!replay.start(mode)) return EXIT_BAD_SCRIPT;
    return closing_stdout(replay.run(script));
}
