#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/game_state.h"
#include "level/level.h"
#include "level/level_text.h"

namespace {

char level_text_path[4096] = "level.txt";

char text[level_text_bytes(EXPORT_LAYOUT)];

bool write_all(int fd, const char *data, int len) {
    while (len > 0) {
        ssize_t n = write(fd, data, len);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        len -= static_cast<int>(n);
    }
    return true;
}

// A level file keeps its mode when it is written again; a new one gets what a
// plain create would give it (the umask applied to 0666), not mkstemp's 0600.
mode_t mode_for(const char *path) {
    struct stat st;
    if (stat(path, &st) == 0) return st.st_mode & 0777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

void report_failure(const char *what) {
    std::fprintf(stderr, "upshot: level export to %s failed: %s: %s\n", level_text_path, what, std::strerror(errno));
}

}  // namespace

void set_level_text_path(const char *path) {
    std::snprintf(level_text_path, sizeof level_text_path, "%s", path);
}

void save_level_text() {
    const int len = format_level_text(EXPORT_LAYOUT, game.grid, text);

    // Write beside the target and rename over it only when the whole text is
    // on disk, so a full disk or a crash never costs the last good level.
    char temp_path[sizeof level_text_path + 16];
    std::snprintf(temp_path, sizeof temp_path, "%s.XXXXXX", level_text_path);
    int fd = mkstemp(temp_path);
    if (fd < 0) {
        report_failure("cannot create a temporary file");
        return;
    }
    bool written = write_all(fd, text, len);
    int saved_errno = errno;
    fchmod(fd, mode_for(level_text_path));
    if (close(fd) != 0 && written) {
        written = false;
        saved_errno = errno;
    }
    if (!written) {
        unlink(temp_path);
        errno = saved_errno;
        report_failure("write");
        return;
    }
    if (std::rename(temp_path, level_text_path) != 0) {
        saved_errno = errno;
        unlink(temp_path);
        errno = saved_errno;
        report_failure("rename");
        return;
    }
    ++game.exports;
}
