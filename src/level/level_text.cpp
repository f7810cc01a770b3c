#include "level/level_text.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "core/decimal.h"
#include "core/message.h"
#include "core/regular_file.h"

namespace {

constexpr int32_t SHOWN_CHARS = 40;                  // a longer value is shown cut, with "..."

bool fail(LevelTextError &error, LevelTextFault fault, int32_t line, const char *format, ...) {
    error.fault = fault;
    error.line = line;
    va_list args;
    va_start(args, format);
    std::vsnprintf(error.words, sizeof error.words, format, args);
    va_end(args);
    return false;
}

bool failed(const LevelTextReader &r) { return r.error->fault != LevelTextFault::NONE; }

bool blank(char c) { return c == ' ' || c == '\t'; }

// Printable ASCII, tab and the line ends: everything else means the file is not a level text.
bool text_byte(unsigned char c) { return (c >= 0x20 && c < 0x7f) || c == '\t' || c == '\n' || c == '\r'; }

void start_value(LevelTextReader &r) {
    r.length = r.blanks = r.digits = 0;
    r.negative = r.malformed = false;
    r.magnitude = 0;
    r.shown[0] = '\0';
}

void show(LevelTextReader &r, char c) {
    if (r.length < SHOWN_CHARS) {
        r.shown[r.length] = c;
        r.shown[r.length + 1] = '\0';
    }
    ++r.length;
}

// Follows the shown characters of a value too long to show whole.
const char *ellipsis(const LevelTextReader &r) { return r.length > SHOWN_CHARS ? "..." : ""; }

void take_char(LevelTextReader &r, char c) {
    if (blank(c)) {
        if (r.length > 0) ++r.blanks;
        return;
    }
    if (r.blanks > 0) {  // a blank inside a value
        r.malformed = true;
        for (; r.blanks > 0; --r.blanks) show(r, ' ');
    }
    const bool sign = r.length == 0 && (c == '-' || c == '+');
    show(r, c);
    if (sign) {
        r.negative = c == '-';
    } else if (c >= '0' && c <= '9') {
        ++r.digits;
        r.magnitude = with_digit(r.magnitude, c);
    } else {
        r.malformed = true;
    }
}

bool end_value(LevelTextReader &r) {
    if (r.length == 0) return fail(*r.error, LevelTextFault::EMPTY_VALUE, r.line, "a comma with no value before it");
    if (r.malformed || r.digits == 0)
        return fail(*r.error, LevelTextFault::NOT_INTEGER, r.line, "'%s%s' is not a decimal integer", r.shown, ellipsis(r));
    const int64_t v = r.negative ? -r.magnitude : r.magnitude;
    if (!fits_32_bits(v))
        return fail(*r.error, LevelTextFault::TOO_WIDE, r.line, "'%s%s' does not fit 32 bits", r.shown, ellipsis(r));
    LevelValues &out = *r.values;
    if (out.count < LEVEL_VALUES_KEPT) {
        out.value[out.count] = static_cast<int32_t>(v);
        out.line[out.count] = r.line;
    }
    ++out.count;
    start_value(r);
    return true;
}

// What is left on a line after its last comma must be blank.
bool end_line(LevelTextReader &r) {
    if (r.length > 0)
        return fail(*r.error, LevelTextFault::NO_COMMA, r.line, "'%s%s' is not followed by a comma", r.shown, ellipsis(r));
    ++r.line;
    return true;
}

// Reads in pieces, so that no more than the limit is ever held or read.
// Feeds the file to the reader until its end, hashing every byte; after a
// fault in the text the rest is still read for the checksum.
bool read_fd(int fd, LevelTextReader &reader, uint64_t &checksum) {
    static char chunk[1 << 16];
    int64_t total = 0;
    for (;;) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(*reader.error, LevelTextFault::UNREADABLE, 0, "cannot be read: %s", std::strerror(errno));
        if (n == 0) return end_level_text(reader);
        total += n;
        // A file can grow while it is read.
        if (total > LEVEL_TEXT_MAX_BYTES)
            return !failed(reader) && fail(*reader.error, LevelTextFault::TOO_LARGE, 0, "is more than the %lld bytes a level text may be",
                        static_cast<long long>(LEVEL_TEXT_MAX_BYTES));
        checksum = level_checksum(checksum, chunk, static_cast<size_t>(n));
        feed_level_text(reader, chunk, static_cast<size_t>(n));
    }
}

}  // namespace

void empty_level(LevelCells &cells) {
    std::memset(cells, 0, sizeof cells);
    cells[CURSOR_ROW][CURSOR_COL] = CELL_CURSOR;
    cells[PLAYER_ROW][PLAYER_COL] = CELL_PLAYER;
}

void layout_cell(const LevelLayout &l, int32_t k, int32_t &row, int32_t &col) {
    const int32_t first_line = l.last_col - l.first_col_line1 + 1, per_line = l.last_col - l.first_col + 1;
    if (k < first_line) {
        row = 1;
        col = l.first_col_line1 + k;
    } else {
        row = 2 + (k - first_line) / per_line;
        col = l.first_col + (k - first_line) % per_line;
    }
}

int32_t format_level_text(const LevelLayout &l, const LevelCells &cells, char *out) {
    int32_t len = 0;
    for (int32_t row = 1; row <= l.last_row; ++row) {
        const int32_t line_start = len;
        for (int32_t col = row == 1 ? l.first_col_line1 : l.first_col; col <= l.last_col; ++col) {
            // "% d,": a space or a minus sign, the digits, a comma; at most
            // 12 characters. Written by hand, so that a signal handler or a
            // forked child can format a level too.
            const int32_t value = cells[row][col];
            uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
            char digits[10];
            int n = 0;
            do digits[n++] = static_cast<char>('0' + magnitude % 10); while (magnitude /= 10);
            out[len++] = value < 0 ? '-' : ' ';
            while (n > 0) out[len++] = digits[--n];
            out[len++] = ',';
            const int32_t pad = EXPORT_FIELD_WIDTH - (len - line_start) % EXPORT_FIELD_WIDTH;
            std::memset(out + len, ' ', pad);
            len += pad;
        }
        out[len++] = '\r';
        out[len++] = '\n';
    }
    return len;
}

void place_level_values(const LevelLayout &l, const int32_t *values, LevelCells &cells) {
    for (int32_t k = 0; k < l.values; ++k) {
        int32_t row, col;
        layout_cell(l, k, row, col);
        cells[row][col] = values[k];
    }
}

void loaded_cell(int32_t k, int32_t &row, int32_t &col) { layout_cell(TEMPLATE_LAYOUT, k, row, col); }

void load_level_values(const int32_t *values, int32_t count, LevelCells &cells) {
    for (int32_t k = 0; k < count; ++k) {
        int32_t row, col;
        loaded_cell(k, row, col);
        cells[row][col] = values[k];
    }
}

void begin_level_text(LevelTextReader &r, LevelValues &values, LevelTextError &error) {
    r.values = &values;
    r.error = &error;
    values.count = 0;
    error.fault = LevelTextFault::NONE;
    error.line = 0;
    error.words[0] = '\0';
    r.line = 1;
    r.after_cr = false;
    start_value(r);
}

bool feed_level_text(LevelTextReader &r, const char *bytes, size_t size) {
    if (failed(r)) return false;
    for (size_t i = 0; i < size; ++i) {
        const char c = bytes[i];
        if (r.after_cr && c != '\n')
            return fail(*r.error, LevelTextFault::LONE_CR, r.line, "a carriage return without a line feed");
        r.after_cr = false;
        if (!text_byte(static_cast<unsigned char>(c)))
            return fail(*r.error, LevelTextFault::NOT_TEXT, r.line, "holds the byte 0x%02x, so it is not a level text",
                        static_cast<unsigned char>(c));
        if (c == '\r') {
            r.after_cr = true;
        } else if (c == '\n') {
            if (!end_line(r)) return false;
        } else if (c == ',') {
            if (!end_value(r)) return false;
        } else {
            take_char(r, c);
        }
    }
    return true;
}

bool end_level_text(LevelTextReader &r) {
    if (failed(r)) return false;
    if (r.after_cr) return fail(*r.error, LevelTextFault::LONE_CR, r.line, "a carriage return without a line feed");
    return end_line(r);
}

bool parse_level_text(const char *text, size_t size, LevelValues &values, LevelTextError &error) {
    LevelTextReader reader;
    begin_level_text(reader, values, error);
    return feed_level_text(reader, text, size) && end_level_text(reader);
}

bool check_level_values(const LevelValues &v, int32_t n, LevelTextError &error) {
    error.fault = LevelTextFault::NONE;
    const int32_t want = layout_of_level(n).values;
    if (v.count != want) {
        // Too many: point at the first value too many; too few: at the last one there is.
        const bool extra = v.count > want;
        return fail(error, LevelTextFault::WRONG_COUNT, extra ? v.line[want] : v.count > 0 ? v.line[v.count - 1] : 1,
                    "holds %d values, level %d needs %d%s", v.count, n, want,
                    extra ? "; the first extra value is on this line" : "");
    }
    if (v.value[0] != CELL_CURSOR)
        return fail(error, LevelTextFault::NO_CURSOR, v.line[0], "the first value is %d, not the editor cursor %d",
                    v.value[0], CELL_CURSOR);
    // Both layouts put the same value k into cell (25, 15).
    constexpr int32_t player = (PLAYER_ROW - 1) * LEVEL_COLS + (PLAYER_COL - 1);
    if (v.value[player] != CELL_PLAYER)
        return fail(error, LevelTextFault::NO_PLAYER, v.line[player], "cell (%d, %d) holds %d, not the player anchor %d",
                    PLAYER_ROW, PLAYER_COL, v.value[player], CELL_PLAYER);
    int32_t first_line[CELL_LEFT_TURRET_LAST + 1] = {};
    for (int32_t k = 0; k < v.count; ++k) {
        const int32_t code = v.value[k];
        if (code == CELL_WALKER_FIRST || code == CELL_RIGHT_TURRET_FIRST || code == CELL_LEFT_TURRET_FIRST ||
            code == CELL_LEFT_TURRET_LAST)
            return fail(error, LevelTextFault::UNUSED_CODE, v.line[k], "code %d is never used in a level", code);
        if (!(cell_kind(code) & KIND_ENEMY)) continue;
        if (first_line[code])
            return fail(error, LevelTextFault::DUPLICATE_CODE, v.line[k],
                        "object code %d is used twice (first on line %d)", code, first_line[code]);
        first_line[code] = v.line[k];
    }
    return true;
}

uint64_t level_checksum(uint64_t sum, const char *bytes, size_t size) {
    for (size_t i = 0; i < size; ++i) sum = (sum ^ static_cast<unsigned char>(bytes[i])) * 0x100000001b3ULL;
    return sum;
}

bool read_level_text(const char *path, int32_t n, LevelValues &values, LevelTextError &error, uint64_t *checksum) {
    LevelTextReader reader;
    begin_level_text(reader, values, error);
    const char *kind;
    const int fd = open_regular_file(path, kind);
    if (fd < 0 && kind) return fail(error, LevelTextFault::NOT_A_FILE, 0, "%s, not a level text", kind);
    if (fd < 0) return fail(error, LevelTextFault::UNREADABLE, 0, "cannot be read: %s", std::strerror(errno));
    struct stat st;
    bool ok = fstat(fd, &st) == 0 || fail(error, LevelTextFault::UNREADABLE, 0, "cannot be read: %s", std::strerror(errno));
    if (ok && st.st_size > LEVEL_TEXT_MAX_BYTES)
        ok = fail(error, LevelTextFault::TOO_LARGE, 0, "is %lld bytes, more than the %lld bytes a level text may be",
                  static_cast<long long>(st.st_size), static_cast<long long>(LEVEL_TEXT_MAX_BYTES));
    uint64_t sum = LEVEL_CHECKSUM_START;
    ok = ok && read_fd(fd, reader, sum);
    close(fd);
    if (checksum) *checksum = sum;
    return ok && check_level_values(values, n, error);
}

void print_level_text_error(const char *path, const LevelTextError &error) {
    print_message("%s", file_fault(path, error.line, error.words).text);
}
