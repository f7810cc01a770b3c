#include "core/save_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Links followed before giving up, as the kernel does.
constexpr int MAX_LINKS = 40;

// A path built in a fixed buffer with no library call that a signal handler
// may not make; it reports whether everything fitted.
struct Path {
    char text[PATH_MAX] = "";
    size_t length = 0;
    bool fits = true;

    // Keeps the last byte free, for a line's newline.
    Path &add(const char *s, size_t n) {
        if (n >= sizeof text - 1 - length) {
            fits = false;
        } else {
            std::memcpy(text + length, s, n);
            length += n;
            text[length] = '\0';
        }
        return *this;
    }
    Path &add(const char *s) { return add(s, std::strlen(s)); }
    Path &add(unsigned long n) {
        char digits[24];
        int i = sizeof digits;
        do digits[--i] = static_cast<char>('0' + n % 10); while (n /= 10);
        return add(digits + i, sizeof digits - i);
    }
    // Up to and with the last '/', or nothing.
    size_t folder_length() const {
        const char *slash = std::strrchr(text, '/');
        return slash ? slash - text + 1 : 0;
    }
};

bool fail(SaveFailure &failure, const char *step, int error) {
    failure = {step, error};
    return false;
}

// Where the text really goes: the end of the chain of links from `path`.
bool follow_links(const char *path, Path &target, SaveFailure &failure) {
    target.add(path);
    for (int hop = 0; target.fits && hop < MAX_LINKS; ++hop) {
        char link[PATH_MAX];
        const ssize_t n = readlink(target.text, link, sizeof link);
        if (n < 0) return errno == EINVAL || errno == ENOENT || fail(failure, "cannot follow its link", errno);
        if (n == sizeof link) target.fits = false;
        // A relative link is read from the folder the link is in.
        target.length = link[0] == '/' ? 0 : target.folder_length();
        target.text[target.length] = '\0';
        target.add(link, n);
    }
    return fail(failure, "cannot follow its link", target.fits ? ELOOP : ENAMETOOLONG);
}

bool write_all(int fd, const char *data, size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        data += n;
        size -= n;
    }
    return true;
}

}  // namespace

bool save_file(const char *path, const char *data, size_t size, SaveFailure &failure) {
    Path target, temp, folder;
    if (!follow_links(path, target, failure)) return false;
    // Named after the process, so two programs saving one file never share it.
    temp.add(target.text).add(".").add(static_cast<unsigned long>(getpid())).add(".tmp");
    folder.add(target.text, target.folder_length());
    if (folder.length == 0) folder.add(".");
    if (!temp.fits || !folder.fits) return fail(failure, "cannot name a temporary file beside it", ENAMETOOLONG);

    // Created as any program creates a file, so the umask applies; an existing
    // file's own mode is then put back.
    unlink(temp.text);
    const int fd = open(temp.text, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) return fail(failure, "cannot create a temporary file beside it", errno);
    struct stat old;
    if (stat(target.text, &old) == 0) fchmod(fd, old.st_mode & 07777);
    const char *step = !write_all(fd, data, size) ? "cannot write it"
                       : fsync(fd) != 0          ? "cannot flush it to the disk"
                                                 : nullptr;
    int error = errno;
    if (close(fd) != 0 && !step) step = "cannot write it", error = errno;
    if (!step && rename(temp.text, target.text) != 0) step = "cannot rename the temporary file over it", error = errno;
    if (step) {
        unlink(temp.text);
        return fail(failure, step, error);
    }
    // The new text is in place; the rename is on the disk once its folder is.
    const int dir = open(folder.text, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool flushed = dir >= 0 && fsync(dir) == 0;
    error = errno;
    if (dir >= 0) close(dir);
    return flushed || fail(failure, "saved, but its folder cannot be flushed to the disk", error);
}

void print_save_failure(const char *who, const char *path, const SaveFailure &failure) {
    Path line;  // one write, so that lines from two processes do not interleave
    const char *reason = strerrordesc_np(failure.error);  // a fixed table: safe in a signal handler
    line.add(who).add(": cannot save ").add(path).add(": ").add(failure.step).add(": ").add(reason ? reason : "?");
    line.text[line.length] = '\n';
    [[maybe_unused]] const ssize_t n = write(STDERR_FILENO, line.text, line.length + 1);
}
