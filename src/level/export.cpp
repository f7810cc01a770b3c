#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/game_state.h"
#include "level/level.h"

namespace {

char level_text_path[4096] = "level.txt";

// Line 1 holds row 1, columns 1..31; lines 2..287 hold columns 0..31.
constexpr int EXPORT_BYTES =
    (EXPORT_LAST_COL * EXPORT_FIELD_WIDTH + 2) + (EXPORT_LAST_ROW - 1) * ((EXPORT_LAST_COL + 1) * EXPORT_FIELD_WIDTH + 2);

char text[EXPORT_BYTES];

// Lays out the grid in the export layout; returns the length (always EXPORT_BYTES,
// since any 32-bit value with its comma fits the 14-character field).
int format_level_text() {
    int len = 0, line_start = 0;
    int export_row = 1, export_col = 1;
    while (export_row <= EXPORT_LAST_ROW) {
        if (export_col <= EXPORT_LAST_COL) {
            char field[EXPORT_FIELD_WIDTH + 1];
            int n = std::snprintf(field, sizeof field, "% d,", game.grid[export_row][export_col]);
            std::memcpy(text + len, field, n);
            len += n;
            int pad = EXPORT_FIELD_WIDTH - (len - line_start) % EXPORT_FIELD_WIDTH;
            std::memset(text + len, ' ', pad);
            len += pad;
            ++export_col;
        }
        if (export_col > EXPORT_LAST_COL) {
            ++export_row;
            export_col = 0;
            text[len++] = '\r';
            text[len++] = '\n';
            line_start = len;
        }
    }
    return len;
}

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

void report_failure(const char *what) {
    std::fprintf(stderr, "upshot: level export to %s failed: %s: %s\n", level_text_path, what, std::strerror(errno));
}

}  // namespace

void set_level_text_path(const char *path) {
    std::snprintf(level_text_path, sizeof level_text_path, "%s", path);
}

void save_level_text() {
    int len = format_level_text();

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
    fchmod(fd, 0644);
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
