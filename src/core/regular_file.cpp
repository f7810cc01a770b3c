#include "core/regular_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

const char *not_regular(unsigned st_mode) {
    switch (st_mode & S_IFMT) {
        case S_IFREG: return nullptr;
        case S_IFDIR: return "is a directory";
        case S_IFIFO: return "is a FIFO";
        case S_IFCHR: return "is a character device";
        case S_IFBLK: return "is a block device";
        case S_IFSOCK: return "is a socket";
        default: return "is not a regular file";
    }
}

int open_regular_file(const char *path, const char *&kind) {
    kind = nullptr;
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st;
    if (fstat(fd, &st) == 0 && (kind = not_regular(st.st_mode)) == nullptr &&
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0)
        return fd;
    const int why = errno;
    close(fd);
    errno = why;
    return -1;
}

bool folder_takes_files(const char *path) {
    char folder[4096];
    const char *slash = std::strrchr(path, '/');
    if (!slash)
        std::snprintf(folder, sizeof folder, ".");
    else
        std::snprintf(folder, sizeof folder, "%.*s", static_cast<int>(slash == path ? 1 : slash - path), path);
    return access(folder, W_OK | X_OK) == 0;
}

bool program_folder(char (&folder)[PATH_MAX]) {
    const ssize_t n = readlink("/proc/self/exe", folder, sizeof folder - 1);
    char *slash = n > 0 ? static_cast<char *>(memrchr(folder, '/', n)) : nullptr;
    if (!slash) {
        folder[0] = '\0';
        return false;
    }
    *slash = '\0';
    return true;
}
