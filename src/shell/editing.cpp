#include "shell/editing.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/game_state.h"
#include "core/save_file.h"
#include "level/level.h"
#include "level/level_text.h"
#include "shell/pacer.h"
#include "shell/signals.h"
#include "shell/x11.h"

namespace {

constexpr char WHO[] = "upshot-editor";
// The proof: the saved level in level 2's place, where `upshot --level FILE`
// plays it, for as many clock seeds as scripts/add-level asks of a level.
constexpr char PROOF_LEVEL[] = "2";
constexpr char PROOF_SEEDS[] = "20";
static_assert(LEVEL_FILE_SLOT == 2);
// Below the editor, so that its frames come first on a busy machine.
constexpr int PROOF_NICENESS = 10;

char recovery_path[PATH_MAX + 16];
LevelValues recovered;
bool have_recovered = false;

LevelCells saved_grid;    // the grid as last saved or opened
LevelCells written_grid;  // the grid the recovery file holds, or is being written with
bool recovery_ours = false;  // this run opened or wrote the recovery file
bool refresh_failed = false;
int64_t last_refresh_ns = INT64_MIN / 2;
bool saved_since_tend = false, proof_due = false, removal_due = false;
char prover[PATH_MAX];
bool told_no_prover = false;

// Read by the signal handlers and the X server's last words, which may run
// on the library's thread.
std::atomic<pid_t> refresh_child{0}, proof_child{0};
std::atomic<bool> leaving{false}, left{false};
bool begun = false;

char recovery_text[level_text_bytes(EXPORT_LAYOUT)];

bool unsaved() { return std::memcmp(game.grid, saved_grid, sizeof saved_grid) != 0; }

// The grid into the recovery file. Async-signal-safe.
bool write_recovery(bool report) {
    const int32_t length = format_level_text(EXPORT_LAYOUT, game.grid, recovery_text);
    SaveFailure failure;
    if (save_file(recovery_path, recovery_text, length, failure)) return true;
    if (report) print_save_failure(WHO, recovery_path, failure);
    return false;
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

void stop_proof() {
    const pid_t pid = proof_child;
    int code;
    if (pid > 0) kill(pid, SIGKILL), ended(proof_child, true, code);
}

// Every way out ends here, once: the proof stopped, a refresh let finish (its
// rename must not land after this one), and the recovery file written with
// the grid, or removed when nothing is unsaved. Async-signal-safe. False when
// another way out got here first.
bool leave() {
    if (leaving.exchange(true)) return false;
    stop_proof();
    int code;
    ended(refresh_child, true, code);
    if (unsaved())
        write_recovery(true);
    else if (recovery_ours)
        unlink(recovery_path);
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
    const char line[] = "upshot-editor: the X server is gone\n";
    [[maybe_unused]] const ssize_t n = write(STDERR_FILENO, line, sizeof line - 1);
}

// The prover installed beside the editor, or built below it (or beside it,
// for the benchmarks' programs).
void find_prover() {
    char exe[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return;
    exe[n] = '\0';
    *(std::strrchr(exe, '/') + 1) = '\0';
    for (const char *name : {"upshot-prove", "tools/prove_levels", "../tools/prove_levels"}) {
        std::snprintf(prover, sizeof prover, "%s%s", exe, name);
        if (access(prover, X_OK) == 0) return;
    }
    prover[0] = '\0';
}

// Proves the saved file in a niced child that prints its verdict, one line,
// on the editor's stderr. The child dies with the editor.
void start_proof() {
    if (!prover[0]) {
        if (!told_no_prover) std::fprintf(stderr, "%s: no upshot-prove beside the editor; saves are not proved\n", WHO);
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

// The recovery file written by a forked child, from its copy of the grid: the
// flushes to the disk take milliseconds that no frame can spare. A failure is
// said once, until a refresh succeeds again.
void start_refresh(int64_t now) {
    const bool report = !refresh_failed;
    const pid_t pid = fork();
    if (pid == 0) {
        // A Ctrl-C reaches the whole process group; the child finishes, and
        // the editor, which waits for it, then writes the file once more.
        for (int sig : ENDING_SIGNALS) signal(sig, SIG_IGN);
        _exit(write_recovery(report) ? 0 : 1);
    }
    last_refresh_ns = now;
    refresh_failed = pid < 0;
    if (pid < 0) return;
    refresh_child = pid;
    std::memcpy(written_grid, game.grid, sizeof written_grid);
}

bool newer(const timespec &a, const timespec &b) {
    return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
}

void name_recovery() { std::snprintf(recovery_path, sizeof recovery_path, "%s.recover", level_text_file()); }

}  // namespace

void find_recovery() {
    name_recovery();
    const char *level = level_text_file();
    struct stat kept, saved;
    if (stat(recovery_path, &kept) != 0) return;
    if (stat(level, &saved) == 0 && !newer(kept.st_mtim, saved.st_mtim)) {
        std::fprintf(stderr, "%s: %s is older than %s, so it is not opened\n", WHO, recovery_path, level);
        return;
    }
    LevelTextError error;
    if (!read_level_text(recovery_path, LEVEL_FILE_SLOT, recovered, error)) {
        std::fprintf(stderr, "%s: %s:%d: %s; not a level, so it is left as it is and not opened\n", WHO,
                     recovery_path, error.line, error.words);
        return;
    }
    have_recovered = true;
    char when[32];
    struct tm local;
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", localtime_r(&kept.st_mtim.tv_sec, &local));
    std::fprintf(stderr,
                 "%s: %s: opened the unsaved edits kept in %s at %s; to discard them, leave the editor, "
                 "delete %s and start again\n",
                 WHO, level, recovery_path, when, recovery_path);
}

void begin_editing() {
    begun = true;
    if (!recovery_path[0]) name_recovery();
    std::memcpy(saved_grid, game.grid, sizeof saved_grid);
    if (have_recovered) {
        use_level_file(recovered.value);
        load_editor_level();
        recovery_ours = true;
    }
    std::memcpy(written_grid, game.grid, sizeof written_grid);
    find_prover();

    take_ending_signals(on_signal);
    on_display_lost(on_display_lost);
}

void save_level() {
    const int32_t before_save = game.exports;
    save_level_text();
    if (game.exports == before_save) return;
    std::memcpy(saved_grid, game.grid, sizeof saved_grid);
    saved_since_tend = true;
}

void tend_editing() {
    if (!begun) return;
    int code;
    ended(proof_child, false, code);  // its line is printed; only the zombie is left
    if (ended(refresh_child, false, code)) {
        refresh_failed = code != 0;
        if (code == 0) recovery_ours = true;
    }
    // Right Shift held saves in every frame: wait until it is let go, so that
    // only the newest save is proved; a newer save stops an older proof.
    if (saved_since_tend) {
        saved_since_tend = false;
        stop_proof();
        proof_due = removal_due = true;
        return;
    }
    if (proof_due) {
        proof_due = false;
        start_proof();
    }
    // After a refresh that was under way has renamed its file.
    if (removal_due && refresh_child == 0) {
        removal_due = false;
        unlink(recovery_path);  // no flush: a copy that comes back after a crash is older than the level
        recovery_ours = refresh_failed = false;
        std::memcpy(written_grid, saved_grid, sizeof written_grid);
    }
    const int64_t now = monotonic_ns();
    if (refresh_child == 0 && !removal_due && unsaved() &&
        (refresh_failed || std::memcmp(game.grid, written_grid, sizeof written_grid) != 0) &&
        now - last_refresh_ns >= RECOVERY_REFRESH_NS)
        start_refresh(now);
}

void end_editing() { leave(); }
