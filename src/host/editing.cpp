#include "host/editing.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

#include "core/game_state.h"
#include "core/message.h"
#include "core/regular_file.h"
#include "core/save_file.h"
#include "level/level.h"
#include "level/level_text.h"
#include "host/pacer.h"
#include "host/signals.h"
#include "host/x11.h"

namespace {

// The proof: the saved level in level 2's place, where `upshot --level FILE`
// plays it, for as many clock seeds as scripts/add-level asks of a level.
constexpr char PROOF_LEVEL[] = "2";
constexpr char PROOF_SEEDS[] = "20";
static_assert(LEVEL_FILE_SLOT == 2);
// Below the editor, so that its frames come first on a busy machine.
constexpr int PROOF_NICENESS = 10;
// Another editor holds the level; unsaved edits could be kept nowhere.
constexpr int EXIT_LEVEL_HELD = 1, EXIT_EDITS_LOST = 1;

// Where unsaved edits are kept: FILE.recover beside the level, or, when
// something that is not the editor's stands there, a file named after the
// level in the user's state folder.
enum Place { BESIDE, IN_STATE, PLACES };
struct RecoveryPlace {
    char path[PATH_MAX];
    bool usable;  // nothing stands there, or the editor's own file
    FileId own;   // that file, which the editor may replace and remove; {0, 0}: none
    bool ours;    // this run opened or wrote it
};
RecoveryPlace places[PLACES];
int kept_at = BESIDE;  // where the edits go (PLACES: nowhere)
int told_at = BESIDE;  // where the user was told they go
char lock_path[PATH_MAX];  // in the state folder, named as the recovery there
int level_lock = -1, path_lock = -1;  // open, and so locked, while the editor runs

// The recovery files found at the start; the one opened.
bool found_recovery = false;
LevelValues found[PLACES];
int opened = PLACES;

LevelCells saved_grid;    // the grid as last saved or opened
LevelCells written_grid;  // the grid the recovery file holds, or is being written with
bool refresh_failed = false;
int64_t last_refresh_ns = INT64_MIN / 2;
int refresh_place = BESIDE;
Replacement refresh;

// Right Shift saves once a press, in the next frame's idle time; the flushes
// and the rename then run in a child.
bool shift_down = false, shift_was_down = false, save_wanted = false;
Replacement level_save;
LevelCells saving_grid;  // the grid the save under way writes
bool proof_due = false, removal_due = false;
char prover[PATH_MAX];
bool told_no_prover = false;

// Read by the signal handlers and the X server's last words, which may run
// on the library's thread.
std::atomic<pid_t> refresh_child{0}, proof_child{0}, save_child{0};
std::atomic<pid_t> stopped_proof{0};  // killed, not yet reaped
std::atomic<bool> leaving{false}, left{false}, path_lock_dropped{false};
bool begun = false, edits_lost = false;

char level_text[level_text_bytes(EXPORT_LAYOUT)];
char recovery_text[level_text_bytes(EXPORT_LAYOUT)];

bool unsaved() { return std::memcmp(game.grid, saved_grid, sizeof saved_grid) != 0; }

// The folders above `path`, made where missing, 0700 as a state folder
// should be. Async-signal-safe.
bool make_folders(const char *path, SaveFailure &failure) {
    char folder[PATH_MAX];
    std::memcpy(folder, path, std::strlen(path) + 1);
    for (char *slash = std::strchr(folder + 1, '/'); slash; slash = std::strchr(slash + 1, '/')) {
        *slash = '\0';
        if (mkdir(folder, 0700) != 0 && errno != EEXIST) return failure = {"cannot make its folder", errno}, false;
        *slash = '/';
    }
    return true;
}

// The grid's text written beside place p, ready to be flushed and put there.
bool begin_recovery(int p, Replacement &save, SaveFailure &failure) {
    if (p == IN_STATE && !make_folders(places[p].path, failure)) return false;
    const int32_t length = format_level_text(EXPORT_LAYOUT, game.grid, recovery_text);
    return begin_own_replace(places[p].path, places[p].own, recovery_text, length, save, failure);
}

// The grid into the recovery file at place p. Async-signal-safe.
bool write_recovery_at(int p, SaveFailure &failure) {
    static Replacement save;  // for the last way out alone
    if (!begin_recovery(p, save, failure)) return false;
    const bool written = finish_replace(save, failure);
    close(save.fd);
    if (written) places[p].own = save.written, places[p].ours = true;
    return written;
}

// With edits unsaved at the end: the recovery file where they are kept, or
// anywhere else of the editor's own. One line when that is not where the user
// was told, or when it is nowhere. Async-signal-safe.
void keep_edits() {
    const char *level = level_text_file();
    // FILE.recover's failure is the one said, where there is one: that is
    // where the user looks for the edits.
    SaveFailure first = {"there is no place of the editor's own to keep them", 0}, failure;
    const char *failed = nullptr;
    for (int i = 0; i < PLACES; ++i) {
        const int p = (kept_at + i) % PLACES;
        if (!places[p].usable) continue;
        if (write_recovery_at(p, failure)) {
            if (p != told_at) write_message({level, ": the unsaved edits are kept in ", places[p].path});
            return;
        }
        if (!failed || p == BESIDE) failed = places[p].path, first = failure;
    }
    edits_lost = true;
    const char *reason = failure_reason(first);
    write_message({level, ": the unsaved edits are lost: ", failed ? "cannot save " : nullptr, failed,
                   failed ? ": " : nullptr, first.step, reason ? ": " : nullptr, reason});
}

// The recovery files of the editor's own (with `only_ours`, only those this
// run opened or wrote) removed; anything else standing there now is left.
// Async-signal-safe.
void remove_recovery(bool only_ours) {
    for (RecoveryPlace &place : places) {
        struct stat st;
        if (!place.own.ino || (only_ours && !place.ours)) continue;
        if (lstat(place.path, &st) == 0 && S_ISREG(st.st_mode) && same_file(id_of(st), place.own)) unlink(place.path);
        place.own = {}, place.ours = false;
    }
}

// True once `child` has ended (waiting for it with `wait`), with its exit
// code (128 and more for a signal); false while it runs or when there is none.
bool ended(std::atomic<pid_t> &child, bool wait, int &code) {
    const pid_t pid = child;
    if (pid <= 0) return false;
    int status = 0;
    pid_t r;
    do r = waitpid(pid, &status, wait ? 0 : WNOHANG);
    while (r < 0 && errno == EINTR);
    if (r == 0) return false;
    child = 0;
    code = r == pid && WIFEXITED(status) ? WEXITSTATUS(status) : 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    return true;
}

// Kills a proof still running; with `wait`, waits for it to die, which a
// niced process on a busy machine can take tens of milliseconds to do;
// otherwise a later frame reaps it.
void stop_proof(bool wait) {
    int code;
    ended(stopped_proof, true, code);  // an older one, long dead by now
    const pid_t pid = proof_child;
    if (pid <= 0) return;
    kill(pid, SIGKILL);
    stopped_proof = pid;
    proof_child = 0;
    if (wait) ended(stopped_proof, true, code);
}

// A child that finishes its work whatever signal reaches the process group
// (Ctrl-C reaches all of it): the editor waits for it, and then ends as the
// signal asks.
pid_t fork_worker() {
    sigset_t ending, was;
    sigemptyset(&ending);
    for (int sig : ENDING_SIGNALS) sigaddset(&ending, sig);
    pthread_sigmask(SIG_BLOCK, &ending, &was);
    const pid_t pid = fork();
    if (pid == 0)
        for (int sig : ENDING_SIGNALS) signal(sig, SIG_IGN);
    pthread_sigmask(SIG_SETMASK, &was, nullptr);
    return pid;
}

// A refresh has ended. After a failure the next one goes to the state
// folder, when it may, and the user is told so. Async-signal-safe.
void end_refresh(bool written) {
    refresh_failed = !written;
    if (written) {
        places[refresh_place].own = refresh.written, places[refresh_place].ours = true;
    } else if (kept_at == BESIDE && places[IN_STATE].usable) {
        kept_at = told_at = IN_STATE;
        write_message({level_text_file(), ": unsaved edits go to ", places[IN_STATE].path, " instead"});
    }
}

// The recovery file written from a copy of the grid: the text in the frame's
// idle time, the flushes to the disk, which take milliseconds that no frame
// can spare, in a child. A failure is said once, until a refresh succeeds
// again.
void start_refresh(int64_t now) {
    last_refresh_ns = now;
    std::memcpy(written_grid, game.grid, sizeof written_grid);
    if (kept_at == PLACES) return;
    refresh_place = kept_at;
    const bool report = !refresh_failed;
    const char *path = places[refresh_place].path;
    SaveFailure failure;
    if (!begin_recovery(refresh_place, refresh, failure)) {
        if (report) print_save_failure(path, failure);
        end_refresh(false);
        return;
    }
    const pid_t pid = fork_worker();
    if (pid == 0) {
        if (finish_replace(refresh, failure)) _exit(0);
        if (report) print_save_failure(path, failure);
        _exit(1);
    }
    close(refresh.fd);
    if (pid > 0) {
        refresh_child = pid;
    } else {
        unlink(refresh.temp);
        end_refresh(false);
    }
}

// A shared lock on the first byte of fd's file, held while fd stays open,
// then a look for another process's: returns that process (and lets go), or
// 0 when the lock is this editor's alone. Two editors started at the same
// moment may both see the other and both stop; neither loses anything.
pid_t take_lock(int fd) {
    struct flock lock = {.l_type = F_RDLCK, .l_whence = SEEK_SET, .l_start = 0, .l_len = 1, .l_pid = 0};
    if (fcntl(fd, F_SETLK, &lock) != 0) return 0;  // a file system without locks: nothing to go by
    struct flock other = lock;
    other.l_type = F_WRLCK;
    if (fcntl(fd, F_GETLK, &other) != 0 || other.l_type == F_UNLCK) return 0;
    lock.l_type = F_UNLCK;
    fcntl(fd, F_SETLK, &lock);
    return other.l_pid > 0 ? other.l_pid : -1;
}

// The save under way has ended: when it is on the disk, the grid it wrote is
// the saved one, and the new file, locked before it took the level's name,
// holds the lock from now on. Async-signal-safe.
void end_save(bool saved) {
    if (saved) {
        std::memcpy(saved_grid, saving_grid, sizeof saved_grid);
        ++game.exports;
        if (level_lock >= 0) close(level_lock);
        level_lock = level_save.fd;
        proof_due = removal_due = true;
    } else {
        close(level_save.fd);
    }
    level_save.fd = -1;
}

bool finish_level_save() {
    SaveFailure failure;
    if (finish_replace(level_save, failure)) return true;
    print_save_failure(level_text_file(), failure);
    return false;
}

// Right Shift's save: the text written beside the level in the frame's idle
// time (a read-only file or a full disk is said at once), then flushed and
// renamed over the level by a child, so that no frame waits for the disk.
void start_save() {
    stop_proof(false);
    const int32_t length = format_level_text(EXPORT_LAYOUT, game.grid, level_text);
    SaveFailure failure;
    if (!begin_replace(level_text_file(), level_text, length, level_save, failure)) {
        print_save_failure(level_text_file(), failure);
        return;
    }
    std::memcpy(saving_grid, game.grid, sizeof saving_grid);
    take_lock(level_save.fd);
    const pid_t pid = fork_worker();
    if (pid == 0) _exit(finish_level_save() ? 0 : 1);
    if (pid > 0)
        save_child = pid;
    else
        end_save(finish_level_save());  // no child to be had: the flushes in the frame, then
}

// The lock file removed, once, while this editor still holds it: an editor
// that opened it meanwhile finds it gone and takes a new one. Async-signal-safe.
void drop_path_lock() {
    if (path_lock >= 0 && !path_lock_dropped.exchange(true)) unlink(lock_path);
}

// Every way out ends here, once: the proof stopped, a save or a refresh let
// finish (their renames must not land after what follows), and the edits kept,
// or the recovery file removed when nothing is unsaved. Async-signal-safe.
// False when another way out got here first.
bool leave() {
    if (leaving.exchange(true)) return false;
    stop_proof(true);
    int code;
    if (ended(save_child, true, code)) end_save(code == 0);
    if (ended(refresh_child, true, code)) end_refresh(code == 0);
    if (unsaved())
        keep_edits();
    else
        remove_recovery(true);
    drop_path_lock();
    left = true;
    return true;
}

// SIGINT, SIGTERM, SIGHUP: the recovery file first, then the signal's own
// end. Not the library's shutdown: the handler may have stopped the main
// thread inside Xlib, and the library's X calls would then abort.
void on_signal(int sig) {
    const int saved_errno = errno;
    if (leave()) {
        signal(sig, SIG_DFL);
        raise(sig);  // held until this handler returns
    }
    errno = saved_errno;
}

// Then the program ends at once; another way out already under way (Escape,
// a signal) is let finish first.
void on_display_lost() {
    if (!leave())
        while (!left) usleep(1000);
    write_message({level_text_file(), ": the X server is gone"});
}

// The prover installed beside the editor, or built below it (or beside it,
// for the benchmarks' programs).
void find_prover() {
    char folder[PATH_MAX];
    if (!program_folder(folder)) return;
    for (const char *name : {"upshot-prove", "tools/prove_levels", "../tools/prove_levels"}) {
        const int n = std::snprintf(prover, sizeof prover, "%s/%s", folder, name);
        if (n < static_cast<int>(sizeof prover) && access(prover, X_OK) == 0) return;
    }
    prover[0] = '\0';
}

// Proves the saved file in a niced child that prints its verdict, one line,
// on the editor's stderr. The child dies with the editor.
void start_proof() {
    if (!prover[0]) {
        if (!told_no_prover)
            print_message("no upshot-prove beside the editor; saves of %s are not proved", level_text_file());
        told_no_prover = true;
        return;
    }
    const char *const argv[] = {prover,      "--level",   PROOF_LEVEL, "--text", level_text_file(),
                                "--seeds",   PROOF_SEEDS, "--verdict", nullptr};
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(1);
        setpriority(PRIO_PROCESS, 0, PROOF_NICENESS);
        dup2(STDERR_FILENO, STDOUT_FILENO);
        execv(prover, const_cast<char *const *>(argv));
        _exit(127);
    }
    if (pid > 0) proof_child = pid;
}

bool newer(const timespec &a, const timespec &b) {
    return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
}

// The level's one name, whatever path or link reaches it: the end of its
// links, in its folder's real path.
bool resolve_level(char (&resolved)[PATH_MAX]) {
    char target[PATH_MAX], folder[PATH_MAX];
    SaveFailure failure;
    if (!save_target(level_text_file(), target, failure)) return false;
    char *slash = std::strrchr(target, '/');
    if (slash) *slash = '\0';
    if (!realpath(!slash ? "." : slash == target ? "/" : target, folder)) return false;
    const int n = std::snprintf(resolved, sizeof resolved, "%s/%s", std::strcmp(folder, "/") == 0 ? "" : folder,
                                slash ? slash + 1 : target);
    return n < static_cast<int>(sizeof resolved);
}

// The recovery file beside the level (beside the file at the end of its
// links, so that every path to the level finds it), and the recovery and the
// lock in the state folder ($XDG_STATE_HOME/upshot, or ~/.local/state/upshot), named
// after the level's resolved path: its name, and a hash of the whole path
// (64-bit FNV-1a) so that two levels of one name keep apart.
void name_places() {
    char target[PATH_MAX];
    SaveFailure failure;
    const char *level = save_target(level_text_file(), target, failure) ? target : level_text_file();
    if (std::snprintf(places[BESIDE].path, PATH_MAX, "%s.recover", level) >= PATH_MAX) places[BESIDE].path[0] = '\0';
    const char *xdg = std::getenv("XDG_STATE_HOME"), *home = std::getenv("HOME");
    char folder[PATH_MAX], resolved[PATH_MAX];
    if (xdg && xdg[0] == '/')
        std::snprintf(folder, sizeof folder, "%s/upshot", xdg);
    else if (home && home[0] == '/')
        std::snprintf(folder, sizeof folder, "%s/.local/state/upshot", home);
    else
        return;
    if (!resolve_level(resolved)) return;
    uint64_t hash = 14695981039346656037ULL;
    for (const char *c = resolved; *c; ++c) hash = (hash ^ static_cast<unsigned char>(*c)) * 1099511628211ULL;
    const char *name = std::strrchr(resolved, '/') + 1;
    for (auto [to, end] : {std::pair{places[IN_STATE].path, ".recover"}, std::pair{lock_path, ".lock"}})
        if (std::snprintf(to, PATH_MAX, "%s/%.200s.%016llx%s", folder, name, static_cast<unsigned long long>(hash),
                          end) >= PATH_MAX)
            to[0] = '\0';
}

// Before anything else: the level is this editor's alone, or the program
// ends saying who has it. Locks on the level file (through whatever name or
// link reaches it, so the same file is the same level) and on the lock file
// named after its resolved path (a level not on the disk yet). A lock dies
// with its process: an editor that was killed holds nothing.
void claim_level() {
    const char *level = level_text_file();
    pid_t holder = 0;
    level_lock = open(level, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (level_lock >= 0) holder = take_lock(level_lock);
    // An editor that leaves removes its lock file while it still holds it; a
    // lock taken on a file no longer at that name is taken again.
    SaveFailure failure;
    for (int tries = 0; !holder && lock_path[0] && make_folders(lock_path, failure) && tries < 2; ++tries) {
        path_lock = open(lock_path, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (path_lock < 0) break;
        holder = take_lock(path_lock);
        struct stat held, named;
        if (holder || (fstat(path_lock, &held) == 0 && lstat(lock_path, &named) == 0 &&
                       same_file(id_of(held), id_of(named))))
            break;
        close(path_lock);
        path_lock = -1;
    }
    if (holder > 0) print_message("%s is being edited by process %ld", level, static_cast<long>(holder));
    if (holder < 0) print_message("%s is being edited by another process", level);
    if (holder) std::exit(EXIT_LEVEL_HELD);
    std::atexit(drop_path_lock);  // also when no window opens, and no editing begins
}

// What stands at a recovery place, looked at without following a link or
// opening anything that could block: nothing, a level text of this user's
// (read into `values`), or something else, said in `why`.
enum class Standing { NOTHING, LEVEL, OTHER };
Standing look_at(const char *path, LevelValues &values, struct stat &st, FileFault &why) {
    char words[256];
    if (lstat(path, &st) != 0) {
        if (errno == ENOENT) return Standing::NOTHING;
        std::snprintf(words, sizeof words, "cannot be looked at: %s", std::strerror(errno));
        why = file_fault(path, 0, words);
        return Standing::OTHER;
    }
    const char *what = S_ISLNK(st.st_mode)        ? "is a symbolic link"
                       : S_ISDIR(st.st_mode)      ? "is a folder"
                       : !S_ISREG(st.st_mode)     ? "is not a plain file"
                       : st.st_uid != geteuid()   ? "belongs to another user"
                                                  : nullptr;
    if (what) {
        why = file_fault(path, 0, what);
        return Standing::OTHER;
    }
    const int fd = open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        std::snprintf(words, sizeof words, "cannot be read: %s", std::strerror(errno));
        why = file_fault(path, 0, words);
        return Standing::OTHER;
    }
    LevelTextError error = {LevelTextFault::UNREADABLE, 0, "changed as it was looked at"};
    struct stat now;
    char proc[32];
    std::snprintf(proc, sizeof proc, "/proc/self/fd/%d", fd);  // the file opened here, by its descriptor
    const bool level = fstat(fd, &now) == 0 && same_file(id_of(st), id_of(now)) &&
                       read_level_text(proc, LEVEL_FILE_SLOT, values, error);
    close(fd);
    if (level) return Standing::LEVEL;
    std::snprintf(words, sizeof words, "%s; not a level", error.words);
    why = file_fault(path, error.line, words);
    return Standing::OTHER;
}

}  // namespace

void find_recovery() {
    found_recovery = true;
    name_places();
    claim_level();
    const char *level = level_text_file();
    struct stat saved, st;
    const bool level_saved = stat(level, &saved) == 0;
    FileFault why[PLACES];
    timespec opened_when = {};
    for (int p = 0; p < PLACES; ++p) {
        if (!places[p].path[0]) continue;
        const Standing standing = look_at(places[p].path, found[p], st, why[p]);
        places[p].usable = standing != Standing::OTHER;
        if (standing != Standing::LEVEL) continue;
        places[p].own = id_of(st);
        if (level_saved && !newer(st.st_mtim, saved.st_mtim)) {
            if (p == BESIDE) print_message("%s is older than %s, so it is not opened", places[p].path, level);
        } else if (opened == PLACES || newer(st.st_mtim, opened_when)) {
            opened = p, opened_when = st.st_mtim;
        }
    }
    kept_at = opened != PLACES ? opened : places[BESIDE].usable ? BESIDE : places[IN_STATE].usable ? IN_STATE : PLACES;
    told_at = kept_at;
    if (!places[BESIDE].usable && kept_at != PLACES)
        print_message("%s; it is left as it is, and unsaved edits of %s are kept in %s", why[BESIDE].text, level,
                      places[kept_at].path);
    if (!places[BESIDE].usable && kept_at == PLACES)
        print_message("%s; it is left as it is, and unsaved edits of %s have nowhere else to be kept", why[BESIDE].text,
                      level);
    if (opened == PLACES) return;
    places[opened].ours = true;
    const char *path = places[opened].path;
    char when[32];
    struct tm local;
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", localtime_r(&opened_when.tv_sec, &local));
    print_message("%s: opened the unsaved edits kept in %s at %s; to discard them, leave the editor, delete %s "
                  "and start again",
                  level, path, when, path);
}

void begin_editing() {
    if (!found_recovery) find_recovery();
    begun = true;
    std::memcpy(saved_grid, game.grid, sizeof saved_grid);
    if (opened != PLACES) {
        use_level_file(found[opened].value);
        load_editor_level();
    }
    std::memcpy(written_grid, game.grid, sizeof written_grid);
    find_prover();

    take_ending_signals(on_signal);
    on_display_lost(on_display_lost);
}

void editor_save() {
    if (!begun) {
        write_level_text();
        return;
    }
    if (!shift_was_down) save_wanted = true;
    shift_down = true;
}

void tend_editing() {
    if (!begun) return;
    shift_was_down = shift_down;
    shift_down = false;
    int code;
    ended(proof_child, false, code);  // its line is printed; only the zombie is left
    ended(stopped_proof, false, code);
    if (ended(save_child, false, code)) end_save(code == 0);
    if (ended(refresh_child, false, code)) end_refresh(code == 0);
    // A press while a save is still being flushed waits for it.
    if (save_wanted && save_child == 0) {
        save_wanted = false;
        start_save();
        return;
    }
    // Once the key is let go, so that only the newest save is proved; a newer
    // save stops an older proof.
    if (proof_due && !shift_was_down && !save_wanted && save_child == 0) {
        proof_due = false;
        start_proof();
    }
    // After a refresh that was under way has renamed its file.
    if (removal_due && refresh_child == 0) {
        removal_due = false;
        remove_recovery(false);  // no flush: a copy that comes back after a crash is older than the level
        refresh_failed = false;
        std::memcpy(written_grid, saved_grid, sizeof written_grid);
    }
    const int64_t now = monotonic_ns();
    if (refresh_child == 0 && !removal_due && unsaved() &&
        (refresh_failed || std::memcmp(game.grid, written_grid, sizeof written_grid) != 0) &&
        now - last_refresh_ns >= RECOVERY_REFRESH_NS)
        start_refresh(now);
}

void end_editing() {
    leave();
    if (edits_lost) std::exit(EXIT_EDITS_LOST);
}
