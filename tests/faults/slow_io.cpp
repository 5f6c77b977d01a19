// An LD_PRELOAD shim that makes every write, fsync and rename take ORBSKIN_DELAY_US longer, so that
// kills at random instants land inside the writing of a skin as well as before and after it.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

void pause_a_little() {
    static const long delay = [] {
        const char* text = std::getenv("ORBSKIN_DELAY_US");
        return text ? std::atol(text) : 0L;
    }();
    if (delay > 0) usleep(static_cast<useconds_t>(delay));
}

template <typename F>
F next(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

ssize_t write(int fd, const void* buffer, size_t size) {
    static auto real = next<ssize_t (*)(int, const void*, size_t)>("write");
    if (fd > 2) pause_a_little();
    return real(fd, buffer, size);
}

int fsync(int fd) {
    static auto real = next<int (*)(int)>("fsync");
    pause_a_little();
    return real(fd);
}

int rename(const char* from, const char* to) {
    static auto real = next<int (*)(const char*, const char*)>("rename");
    pause_a_little();
    return real(from, to);
}
}
