// An LD_PRELOAD shim that makes every write, fsync and rename take ORBSKIN_DELAY_US longer, so that
// kills at random instants land inside the writing of a skin as well as before and after it.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>

namespace {

void pause_a_little() {
    static const char* delay = std::getenv("ORBSKIN_DELAY_US");
    if (delay) usleep(static_cast<useconds_t>(std::atol(delay)));
}

// The next definition of `name`, slowed down.
template <typename Result, typename... Args>
Result slowed(const char* name, Args... args) {
    pause_a_little();
    return reinterpret_cast<Result (*)(Args...)>(dlsym(RTLD_NEXT, name))(args...);
}

}  // namespace

extern "C" {
ssize_t write(int fd, const void* buffer, size_t size) {
    return slowed<ssize_t>("write", fd, buffer, size);
}
int fsync(int fd) {
    return slowed<int>("fsync", fd);
}
int rename(const char* from, const char* to) {
    return slowed<int>("rename", from, to);
}
}
