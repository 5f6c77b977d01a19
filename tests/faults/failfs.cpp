// An LD_PRELOAD shim that fails one file operation of a process, counted among the operations on
// paths under ORBSKIN_FAIL_DIR (and on descriptors opened there), so that a real orbskin-cli run
// can be made to fail at each of its file operations in turn.
//
//   ORBSKIN_FAIL_DIR    the folder whose files count
//   ORBSKIN_FAIL_AT     the number of the operation to fail, from 1; 0 or unset fails none
//   ORBSKIN_FAIL_ERRNO  the error to fail it with (a number; default EIO)
//   ORBSKIN_LOG         a file that gets the number of operations and the failed one at exit
//   ORBSKIN_DELAY_US    a pause before every counted operation, to widen the window for kills
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kMaxFds = 4096;
bool tracked[kMaxFds];
bool is_folder[kMaxFds];
long counted = 0;
long fail_at = 0;
int fail_errno = EIO;
long delay_us = 0;
const char* folder = nullptr;
char failed_op[64] = "";

template <typename F>
F real(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

__attribute__((constructor)) void start() {
    folder = std::getenv("ORBSKIN_FAIL_DIR");
    if (const char* at = std::getenv("ORBSKIN_FAIL_AT")) fail_at = std::atol(at);
    if (const char* e = std::getenv("ORBSKIN_FAIL_ERRNO")) fail_errno = std::atoi(e);
    if (const char* d = std::getenv("ORBSKIN_DELAY_US")) delay_us = std::atol(d);
}

__attribute__((destructor)) void finish() {
    const char* log = std::getenv("ORBSKIN_LOG");
    if (!log) return;
    if (FILE* f = std::fopen(log, "w")) {
        std::fprintf(f, "%ld %s\n", counted, failed_op[0] ? failed_op : "-");
        std::fclose(f);
    }
}

bool under_folder(const char* path) {
    if (!folder || !path) return false;
    const std::size_t n = std::strlen(folder);
    return std::strncmp(path, folder, n) == 0 && (path[n] == '/' || path[n] == '\0');
}

bool fd_tracked(int fd) {
    return fd >= 0 && fd < kMaxFds && tracked[fd];
}

// Counts one operation and says whether it is the one to fail.
bool should_fail(const char* op, bool folder_op = false) {
    if (delay_us > 0) usleep(static_cast<useconds_t>(delay_us));
    if (++counted != fail_at) return false;
    std::snprintf(failed_op, sizeof failed_op, "%s%s", op, folder_op ? "-folder" : "");
    errno = fail_errno;
    return true;
}

int track(int fd, const char* path) {
    if (fd >= 0 && fd < kMaxFds) {
        tracked[fd] = true;
        struct stat st {};
        is_folder[fd] = fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
    }
    (void)path;
    return fd;
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    mode_t mode = 0;
    if (flags & O_CREAT) {
        va_list args;
        va_start(args, flags);
        mode = static_cast<mode_t>(va_arg(args, int));
        va_end(args);
    }
    static auto next = real<int (*)(const char*, int, ...)>("open");
    if (!under_folder(path)) return next(path, flags, mode);
    if (should_fail("open", (flags & O_DIRECTORY) != 0)) return -1;
    return track(next(path, flags, mode), path);
}
int open64(const char* path, int flags, ...) __attribute__((alias("open")));

int stat(const char* path, struct stat* st) {
    static auto next = real<int (*)(const char*, struct stat*)>("stat");
    if (under_folder(path) && should_fail("stat")) return -1;
    return next(path, st);
}
int stat64(const char* path, struct stat64* st) {
    static auto next = real<int (*)(const char*, struct stat64*)>("stat64");
    if (under_folder(path) && should_fail("stat")) return -1;
    return next(path, st);
}

ssize_t read(int fd, void* buffer, size_t size) {
    static auto next = real<ssize_t (*)(int, void*, size_t)>("read");
    if (fd_tracked(fd) && should_fail("read")) return -1;
    return next(fd, buffer, size);
}

ssize_t write(int fd, const void* buffer, size_t size) {
    static auto next = real<ssize_t (*)(int, const void*, size_t)>("write");
    if (fd_tracked(fd) && should_fail("write")) return -1;
    return next(fd, buffer, size);
}

int fsync(int fd) {
    static auto next = real<int (*)(int)>("fsync");
    if (fd_tracked(fd) && should_fail("fsync", is_folder[fd])) return -1;
    return next(fd);
}

int close(int fd) {
    static auto next = real<int (*)(int)>("close");
    if (!fd_tracked(fd)) return next(fd);
    tracked[fd] = false;
    const bool fail = should_fail("close", is_folder[fd]);
    const int result = next(fd);  // released either way, as POSIX has it
    if (fail) {
        errno = fail_errno;
        return -1;
    }
    return result;
}

int rename(const char* from, const char* to) {
    static auto next = real<int (*)(const char*, const char*)>("rename");
    if ((under_folder(from) || under_folder(to)) && should_fail("rename")) return -1;
    return next(from, to);
}

int unlink(const char* path) {
    static auto next = real<int (*)(const char*)>("unlink");
    if (under_folder(path) && should_fail("unlink")) return -1;
    return next(path);
}

}  // extern "C"
