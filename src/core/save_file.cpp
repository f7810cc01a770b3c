#include "core/save_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/message.h"

namespace {

// Links followed before giving up, as the kernel does.
constexpr int MAX_LINKS = 40;

// A path built in a fixed buffer with no library call that a signal handler
// may not make; it reports whether everything fitted.
struct Path {
    char text[PATH_MAX] = "";
    size_t length = 0;
    bool fits = true;

    Path &add(const char *s, size_t n) {
        if (n >= sizeof text - length) {
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

// Nobody may write it, or this user may not. The mode bits are asked too:
// the superuser may write anything, but a file chmod'ed 444 says "leave me".
bool read_only(const char *path, const struct stat &st) {
    return (st.st_mode & 0222) == 0 || (faccessat(AT_FDCWD, path, W_OK, AT_EACCESS) != 0 && errno == EACCES);
}

bool copy_path(char (&to)[PATH_MAX], const Path &from) {
    std::memcpy(to, from.text, from.length + 1);
    return from.fits;
}

// The temporary file beside `target`, written. An existing target's mode,
// owner and group are given to it, unless it is a program's own file.
bool begin(const Path &target, bool own, FileId replaces, const char *data, size_t size, Replacement &replacement,
           SaveFailure &failure) {
    Path temp, folder;
    // Named after the process, so two programs saving one file never share it.
    temp.add(target.text).add(".").add(static_cast<unsigned long>(getpid())).add(".tmp");
    folder.add(target.text, target.folder_length());
    if (folder.length == 0) folder.add(".");
    if (!copy_path(replacement.target, target) || !copy_path(replacement.temp, temp) ||
        !copy_path(replacement.folder, folder))
        return fail(failure, "cannot name a temporary file beside it", ENAMETOOLONG);
    replacement.own = own;
    replacement.replaces = replaces;

    struct stat old;
    const bool exists = !own && stat(target.text, &old) == 0;
    if (exists && read_only(target.text, old)) return fail(failure, "it is read-only", 0);
    // Created as any program creates a file, so the umask applies; an existing
    // file's own mode is then put back, after its owner (a change of owner
    // may clear the set-id bits).
    unlink(temp.text);
    replacement.fd = open(temp.text, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, own ? 0600 : 0666);
    if (replacement.fd < 0) return fail(failure, "cannot create a temporary file beside it", errno);
    if (exists) {
        // Where the user may not give the file its owner, the group at least.
        [[maybe_unused]] const bool kept =
            fchown(replacement.fd, old.st_uid, old.st_gid) == 0 || fchown(replacement.fd, -1, old.st_gid) == 0;
        fchmod(replacement.fd, old.st_mode & 07777);
    }
    struct stat written;
    const bool ok = write_all(replacement.fd, data, size) && fstat(replacement.fd, &written) == 0;
    const int error = errno;
    if (ok) {
        replacement.written = id_of(written);
        return true;
    }
    close(replacement.fd);
    unlink(temp.text);
    return fail(failure, "cannot write it", error);
}

// The temporary file renamed over the target; an own file only over the file
// it may replace, or linked in where nothing stands (a link, like an
// O_EXCL create, fails on anything there, a symbolic link included).
const char *put_in_place(const Replacement &replacement, int &error) {
    struct stat st;
    const bool standing = replacement.own && lstat(replacement.target, &st) == 0;
    if (replacement.own && !standing && errno != ENOENT) return error = errno, "cannot look at it";
    if (replacement.own && (!standing || replacement.replaces.ino == 0)) {
        if (link(replacement.temp, replacement.target) != 0) return error = errno, "cannot create it";
        unlink(replacement.temp);
        return nullptr;
    }
    if (replacement.own && (!S_ISREG(st.st_mode) || !same_file(id_of(st), replacement.replaces)))
        return error = 0, "something else stands there now";
    if (rename(replacement.temp, replacement.target) != 0)
        return error = errno, "cannot rename the temporary file over it";
    return nullptr;
}

}  // namespace

bool begin_replace(const char *path, const char *data, size_t size, Replacement &replacement, SaveFailure &failure) {
    Path target;
    return follow_links(path, target, failure) && begin(target, false, {}, data, size, replacement, failure);
}

bool begin_own_replace(const char *path, FileId replaces, const char *data, size_t size, Replacement &replacement,
                    SaveFailure &failure) {
    Path target;
    target.add(path);
    return begin(target, true, replaces, data, size, replacement, failure);
}

bool finish_replace(Replacement &replacement, SaveFailure &failure) {
    const char *step = fsync(replacement.fd) != 0 ? "cannot flush it to the disk" : nullptr;
    int error = errno;
    if (!step) step = put_in_place(replacement, error);
    if (step) {
        unlink(replacement.temp);
        return fail(failure, step, error);
    }
    // The new text is in place; the rename is on the disk once its folder is.
    const int dir = open(replacement.folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool flushed = dir >= 0 && fsync(dir) == 0;
    error = errno;
    if (dir >= 0) close(dir);
    return flushed || fail(failure, "saved, but its folder cannot be flushed to the disk", error);
}

bool replace_file(const char *path, const char *data, size_t size, SaveFailure &failure) {
    Replacement replacement;
    if (!begin_replace(path, data, size, replacement, failure)) return false;
    const bool saved = finish_replace(replacement, failure);
    close(replacement.fd);
    return saved;
}

bool save_target(const char *path, char (&target)[PATH_MAX], SaveFailure &failure) {
    Path end;
    return follow_links(path, end, failure) && copy_path(target, end);
}

const char *failure_reason(const SaveFailure &failure) {
    if (failure.error == 0) return nullptr;
    const char *reason = strerrordesc_np(failure.error);  // a fixed table: safe in a signal handler
    return reason ? reason : "?";
}

void print_save_failure(const char *path, const SaveFailure &failure) {
    const char *reason = failure_reason(failure);
    write_message({"cannot save ", path, ": ", failure.step, reason ? ": " : nullptr, reason});
}
