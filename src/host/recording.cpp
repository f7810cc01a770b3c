#include "host/recording.h"

#include <algorithm>
#include <allegro.h>
#include <cerrno>
#include <cstdarg>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "core/build_info.h"
#include "core/clock.h"
#include "core/message.h"
#include "core/regular_file.h"
#include "level/level.h"
#include "level/level_text.h"
#include "host/script_reader.h"

namespace {

enum class Run { PLAIN, RECORD, WATCH };
Run run = Run::PLAIN;
// The window's own frame hooks, under the recording's or the playback's.
const FramePlatform *under = nullptr;

// ---- Recording ----------------------------------------------------------------

// The lines not yet written: the first lines, which name the level file twice
// (a path is at most PATH_MAX, 4096 bytes), and after that at most a clock
// line and two runs of frames a frame, each under 100 bytes.
constexpr size_t PENDING_BYTES = 3 * 4096;

struct Recorder {
    const char *path;
    const char *level_path;   // the --level file, or null
    uint64_t level_checksum;  // of the bytes of it that were played
    bool started = false;     // the file opened, or tried
    int fd = -1;
    char pending[PENDING_BYTES];
    size_t used = 0;
    off_t written = 0;     // bytes in the file, all whole lines
    int64_t clock = -1;    // the reading of the last clock line
    unsigned keys = 0;     // the run being counted: bit i for READ_KEYS[i]
    int64_t frames = 0;    // its length so far
};
Recorder recorder;

// Adds a line to the pending ones; formatted in place, so that the frame's own
// path never waits for memory.
__attribute__((format(printf, 1, 2))) void append(const char *format, ...) {
    if (recorder.fd < 0) return;
    std::va_list values;
    va_start(values, format);
    const int n = std::vsnprintf(recorder.pending + recorder.used, PENDING_BYTES - recorder.used, format, values);
    va_end(values);
    if (n > 0) recorder.used = std::min(PENDING_BYTES - 1, recorder.used + static_cast<size_t>(n));
}

void end_run_of_frames() {
    if (recorder.frames == 0) return;
    append("frames %lld", static_cast<long long>(recorder.frames));
    for (int i = 0; i < READ_KEY_COUNT; ++i)
        if (recorder.keys >> i & 1) append(" %s", key_name(READ_KEYS[i]));
    append("\n");
    recorder.frames = 0;
}

// Writes what is pending; false, with errno set, when the file takes no more.
bool write_pending() {
    size_t done = 0;
    while (done < recorder.used) {
        const ssize_t n = write(recorder.fd, recorder.pending + done, recorder.used - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            // No half line at the end, so that what is there replays; if
            // even that fails there is nothing more to do.
            const int why = errno;
            [[maybe_unused]] const int cut = ftruncate(recorder.fd, recorder.written);
            errno = why;
            recorder.used = 0;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    recorder.written += static_cast<off_t>(done);
    recorder.used = 0;
    return true;
}

bool cannot_record(const char *path, const char *why) {
    print_message("%s: cannot be written: %s", path, why);
    return false;
}

// A write that fails is said once; the game goes on without its recording.
void write_or_stop() {
    if (recorder.fd < 0 || write_pending()) return;
    print_message("%s: recording stopped: %s", recorder.path, std::strerror(errno));
    close(recorder.fd);
    recorder.fd = -1;
}

void note_clock() {
    const int64_t now = running_clock_seconds();
    pin_clock_seconds(now);
    if (now == recorder.clock) return;
    end_run_of_frames();
    append("clock %lld\n", static_cast<long long>(now));
    recorder.clock = now;
}

void poll_and_note_keys() {
    under->poll();
    unsigned keys = 0;
    for (int i = 0; i < READ_KEY_COUNT; ++i)
        if (key[READ_KEYS[i]]) keys |= 1u << i;
    if (keys != recorder.keys) end_run_of_frames();
    recorder.keys = keys;
    ++recorder.frames;
}

void present_and_write() {
    under->present();
    write_or_stop();
}

// A recording starts with this, so that one is known from any other file.
constexpr char RECORDING_HEAD[] = "# recorded by upshot ";

// Whether FILE may become the recording, said in one line when not: nothing
// but an older recording (or an empty file) is ever overwritten, and never
// the level file played, whatever path or link names it.
bool may_record_to(const char *path, const char *level_path) {
    struct stat st, level;
    if (stat(path, &st) != 0) {
        return (errno == ENOENT && folder_takes_files(path)) || cannot_record(path, std::strerror(errno));
    }
    if (const char *kind = not_regular(st.st_mode)) {
        print_message("%s: %s; a recording goes to a regular file", path, kind);
        return false;
    }
    if (level_path && stat(level_path, &level) == 0 && level.st_dev == st.st_dev && level.st_ino == st.st_ino) {
        print_message("%s: is the level file played; the recording would overwrite it", path);
        return false;
    }
    const char *kind;
    const int fd = open_regular_file(path, kind);
    if (fd < 0) return cannot_record(path, kind ? kind : std::strerror(errno));
    char head[sizeof RECORDING_HEAD - 1];
    const ssize_t n = read(fd, head, sizeof head);
    close(fd);
    if (n != 0 && (n != static_cast<ssize_t>(sizeof head) || std::memcmp(head, RECORDING_HEAD, sizeof head) != 0)) {
        print_message("%s: is not a recording, so it is not overwritten", path);
        return false;
    }
    return access(path, W_OK) == 0 || cannot_record(path, std::strerror(errno));
}

// Once the window is open: the file emptied or made, and its first lines,
// what made it and `level LEVEL CHECKSUM` when a level file is played. If it
// cannot be, the game goes on unrecorded, as after a write that fails.
void start_recording() {
    recorder.started = true;
    recorder.fd = open(recorder.path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0644);
    struct stat st;
    if (recorder.fd >= 0 && (fstat(recorder.fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        close(recorder.fd);
        recorder.fd = -1;
        errno = EINVAL;
    }
    if (recorder.fd >= 0) fcntl(recorder.fd, F_SETFL, fcntl(recorder.fd, F_GETFL) & ~O_NONBLOCK);
    append("%s%s", RECORDING_HEAD, UPSHOT_VERSION);
    if (recorder.level_path)
        append(" with --level %s\nlevel %s %s", recorder.level_path, recorder.level_path,
               checksum_text(recorder.level_checksum).c_str());
    append("\n");
    if (recorder.fd < 0 || !write_pending()) {
        print_message("%s: cannot be written: %s; the run is not recorded", recorder.path, std::strerror(errno));
        if (recorder.fd >= 0) close(recorder.fd);
        recorder.fd = -1;
        return;
    }
    // Past a file size limit a write fails rather than the process ending.
    signal(SIGXFSZ, SIG_IGN);
}

// ---- Playing back -----------------------------------------------------------------

struct Playback {
    const char *path;
    std::FILE *in;
    LineReader reader{nullptr};
    std::string line;
    std::vector<std::string_view> words;
    RecordedLine read;
    int32_t frames_left = 0;  // of the run of frames being played
};
Playback playback;

enum class Next { LINE, END, FAULT };

// The next line of the recording with words in it, read into playback.read;
// FAULT has said what is wrong.
Next next_recorded_line() {
    std::string error;
    for (;;) {
        const LineReader::Result got = playback.reader.next(playback.line);
        if (got == LineReader::END) return Next::END;
        if (got == LineReader::TOO_LONG) {
            error = "line is longer than " + std::to_string(LineReader::LONGEST_LINE) + " bytes";
            break;
        }
        split_words(playback.line, playback.words);
        if (playback.words.empty()) continue;
        if ((error = parse_recorded_line(playback.words, playback.read)).empty()) return Next::LINE;
        break;
    }
    print_message("%s", file_fault(playback.path, playback.reader.number(), error.c_str()).text);
    return Next::FAULT;
}

// The viewer's own Escape (or the close button) stops the playback at once;
// no other key of theirs reaches the game.
void poll_recorded_keys() {
    under->poll();
    const bool stop = key[KEY_ESC];
    poll_held_keys();
    if (stop) key[KEY_ESC] = 1;
}

// The frame's clock and keys; false at the end of the recording.
bool next_recorded_frame() {
    while (playback.frames_left == 0) {
        if (next_recorded_line() != Next::LINE) return false;
        const RecordedLine &read = playback.read;
        if (read.type == RecordedLine::CLOCK) pin_clock_seconds(read.number);
        if (read.type != RecordedLine::FRAMES) continue;  // the level file was taken before start-up
        playback.frames_left = read.number;
        set_held_keys(read.keys);
    }
    --playback.frames_left;
    return true;
}

const FramePlatform RECORDING = {[] { under->wait_retrace(); }, present_and_write, poll_and_note_keys};
const FramePlatform WATCHING = {[] { under->wait_retrace(); }, [] { under->present(); },
                                poll_recorded_keys};

LevelValues recorded_level;

}  // namespace

bool open_recording(const char *path, const char *level_path, uint64_t level_checksum) {
    if (level_path && std::strpbrk(level_path, " \t\r\n")) {
        print_message("%s: a level file named in a recording cannot hold blanks", level_path);
        return false;
    }
    if (!may_record_to(path, level_path)) return false;
    recorder.path = path;
    recorder.level_path = level_path;
    recorder.level_checksum = level_checksum;
    run = Run::RECORD;
    return true;
}

bool take_recorded_level(const char *path, uint64_t checksum, std::string &error) {
    uint64_t now = 0;
    LevelTextError fault;
    const bool read = read_level_text(path, LEVEL_FILE_SLOT, recorded_level, fault, &now);
    const LevelTextFault f = fault.fault;
    if (!read && (f == LevelTextFault::UNREADABLE || f == LevelTextFault::NOT_A_FILE || f == LevelTextFault::TOO_LARGE)) {
        error = file_fault(path, 0, fault.words).text;
        return false;
    }
    if (now != checksum) {
        const std::string words = "has changed since the recording (checksum " + checksum_text(now) + ", recorded " +
                                  checksum_text(checksum) + ")";
        error = file_fault(path, 0, words.c_str()).text;
        return false;
    }
    if (!read) {
        error = file_fault(path, fault.line, fault.words).text;
        return false;
    }
    use_level_file(recorded_level.value);
    return true;
}

bool open_watching(const char *path) {
    playback.path = path;
    const char *kind;
    const int fd = open_regular_file(path, kind);
    playback.in = fd < 0 ? nullptr : fdopen(fd, "rb");
    if (!playback.in) {
        if (kind)
            print_message("%s: %s, not a recording", path, kind);
        else
            print_message("%s: cannot be read: %s", path, std::strerror(errno));
        if (fd >= 0) close(fd);
        return false;
    }
    // Through it once now, so that a fault is told before any window opens.
    playback.reader = LineReader(playback.in);
    bool first = true;
    for (Next got; (got = next_recorded_line()) != Next::END; first = false) {
        if (got == Next::FAULT) return false;
        if (playback.read.type != RecordedLine::LEVEL_FILE) continue;
        std::string error = first ? "" : "a level file must come before any other line";
        if (error.empty() && take_recorded_level(playback.read.path.c_str(), playback.read.checksum, error)) continue;
        print_message("%s", file_fault(path, playback.reader.number(), ("level: " + error).c_str()).text);
        return false;
    }
    std::rewind(playback.in);
    playback.reader = LineReader(playback.in);
    run = Run::WATCH;
    return true;
}

void before_start() {
    if (run != Run::PLAIN) pin_clock_seconds(0);  // as upshot-replay starts
}

bool before_frame() {
    if (run == Run::RECORD && !recorder.started) start_recording();
    if (run == Run::RECORD) note_clock();
    return run != Run::WATCH || next_recorded_frame();
}

const FramePlatform &frame_platform(const FramePlatform &window_hooks) {
    under = &window_hooks;
    return run == Run::RECORD ? RECORDING : run == Run::WATCH ? WATCHING : window_hooks;
}

void after_run() {
    if (run != Run::RECORD) return;
    end_run_of_frames();
    write_or_stop();
    if (recorder.fd >= 0) close(recorder.fd);
    recorder.fd = -1;
}
