// Messages on standard error, in the one form every program here uses: one
// line that starts with the name the program was started by (glibc's
// program_invocation_short_name, so a tool that saves a level names itself,
// not the editor), written at once so that lines from two processes never
// interleave. A fault in a file names the file and its line as compilers do:
//
//   upshot-editor: cannot save mine.txt: it is read-only
//   upshot: mine.txt:12: 'x1' is not a decimal integer
#pragma once

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <initializer_list>
#include <unistd.h>

// Room for a path and the words about it; a longer line is cut.
constexpr size_t MESSAGE_BYTES = 2 * PATH_MAX;

// "PROGRAM: " and the pieces (a null one is skipped). Only async-signal-safe
// calls, so that a signal handler or a forked child can say something too.
inline void write_message(std::initializer_list<const char *> pieces) {
    char line[MESSAGE_BYTES];
    size_t length = 0;
    auto add = [&](const char *s) {
        for (; *s && length < sizeof line - 1; ++s) line[length++] = *s;
    };
    add(program_invocation_short_name);
    add(": ");
    for (const char *piece : pieces)
        if (piece) add(piece);
    line[length++] = '\n';
    [[maybe_unused]] const ssize_t n = write(STDERR_FILENO, line, length);
}

// The same, the words formatted as printf formats them.
__attribute__((format(printf, 1, 2))) inline void print_message(const char *format, ...) {
    char words[MESSAGE_BYTES];
    std::va_list values;
    va_start(values, format);
    std::vsnprintf(words, sizeof words, format, values);
    va_end(values);
    write_message({words});
}

// Where in a file a fault is, and what it is: "PATH:LINE: words", or
// "PATH: words" when it is the file's as a whole (line 0).
struct FileFault {
    char text[MESSAGE_BYTES];
};
inline FileFault file_fault(const char *path, long line, const char *words) {
    FileFault fault;
    const int n = line > 0 ? std::snprintf(fault.text, sizeof fault.text, "%s:%ld: %s", path, line, words)
                           : std::snprintf(fault.text, sizeof fault.text, "%s: %s", path, words);
    if (n < 0) fault.text[0] = '\0';
    return fault;
}
