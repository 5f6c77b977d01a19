// The real operating-system calls on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <system_error>

#include "disk/files.h"

namespace orbskin::disk {

using runtime::FileKind;
using runtime::OtherKind;

namespace {

// Runs a call until it is not interrupted by a signal, and turns -1/errno into -errno.
template <typename Call>
auto retrying(Call call) -> decltype(call()) {
    for (;;) {
        auto result = call();
        if (result >= 0) return result;
        if (errno != EINTR) return -errno;
    }
}

// The stops a writer holds, and what came while it held them. A handler may only touch lock-free
// atomics.
constexpr int kStops[] = {SIGINT, SIGTERM, SIGHUP};
std::atomic<bool> holding{false};
std::atomic<int> stopped{0};

extern "C" void on_stop(int signal_number) {
    if (holding.load()) {
        stopped.store(signal_number);
        return;
    }
    // Not held: end as the signal would have ended the program had no handler been set.
    (void)std::signal(signal_number, SIG_DFL);
    (void)std::raise(signal_number);
}

std::int64_t nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

class PosixOs final : public Os {
  public:
    int stat(const Path& path, FileInfo& info) override {
        // Said also of a link to nothing, which the caller may then refuse to write through. Only
        // a link is looked up twice: a pack looks up each picture around its read.
        struct ::stat st {};
        if (int r = retrying([&] { return ::lstat(path.c_str(), &st); }); r < 0) return r;
        info.link = S_ISLNK(st.st_mode);
        if (info.link) {
            if (int r = retrying([&] { return ::stat(path.c_str(), &st); }); r < 0) return r;
        }
        info.kind = S_ISREG(st.st_mode)   ? FileKind::regular
                    : S_ISDIR(st.st_mode) ? FileKind::folder
                                          : FileKind::other;
        info.other = S_ISFIFO(st.st_mode)                         ? OtherKind::fifo
                     : S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) ? OtherKind::device
                     : S_ISSOCK(st.st_mode)                       ? OtherKind::socket
                                                                  : OtherKind::none;
        info.size = static_cast<std::uint64_t>(st.st_size);
        info.device = static_cast<std::uint64_t>(st.st_dev);
        info.inode = static_cast<std::uint64_t>(st.st_ino);
        info.modified_ns = nanoseconds(st.st_mtim);
        info.changed_ns = nanoseconds(st.st_ctim);
        return 0;
    }
    int open_read(const Path& path) override {
        return retrying([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC); });
    }
    int create_new(const Path& path) override {
        return retrying(
            [&] { return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666); });
    }
    std::ptrdiff_t read(int fd, void* buffer, std::size_t size) override {
        return retrying([&] { return ::read(fd, buffer, size); });
    }
    std::ptrdiff_t write(int fd, const void* buffer, std::size_t size) override {
        return retrying([&] { return ::write(fd, buffer, size); });
    }
    int sync(int fd) override {
        return retrying([&] { return ::fsync(fd); });
    }
    int close(int fd) override {
        // A close interrupted by a signal has released the descriptor all the same on Linux;
        // retrying could close a descriptor that another thread has just opened.
        return ::close(fd) == 0 || errno == EINTR ? 0 : -errno;
    }
    int rename(const Path& from, const Path& to) override {
        return retrying([&] { return std::rename(from.c_str(), to.c_str()); });
    }
    int rename_new(const Path& from, const Path& to) override {
#ifdef RENAME_NOREPLACE
        const int r = retrying([&] {
            return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
        });
        if (r != -EINVAL && r != -ENOSYS && r != -ENOTSUP) return r;
#endif
        // A file system without it: a hard link is made only under a free name, in one step.
        const int linked = retrying([&] { return ::link(from.c_str(), to.c_str()); });
        if (linked == 0) return retrying([&] { return ::unlink(from.c_str()); });
        if (linked == -EEXIST || linked == -ENOENT || linked == -ENOSPC) return linked;
        // Nor links (FAT, or a C library's own file system): look, then move, which leaves only
        // a moment's gap.
        struct ::stat st {};
        if (::lstat(to.c_str(), &st) == 0) return -EEXIST;
        return rename(from, to);
    }
    int exchange(const Path& a, const Path& b) override {
#ifdef RENAME_EXCHANGE
        const int r = retrying(
            [&] { return ::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE); });
        return r == -EINVAL || r == -ENOSYS ? -ENOTSUP : r;
#else
        (void)a, (void)b;  // a C library without it: the caller moves the old file aside
        return -ENOTSUP;
#endif
    }
    int remove(const Path& path) override {
        return retrying([&] { return std::remove(path.c_str()); });
    }
    int make_folder(const Path& path) override {
        return retrying([&] { return ::mkdir(path.c_str(), 0777); });
    }
    int sync_folder(const Path& folder) override {
        const int fd =
            retrying([&] { return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
        if (fd < 0) return fd;
        int result = retrying([&] { return ::fsync(fd); });
        // Some file systems cannot sync a folder at all; the rename is then as durable as they
        // allow.
        if (result == -EINVAL || result == -ENOTSUP) result = 0;
        if (::close(fd) != 0 && errno != EINTR && result == 0) result = -errno;
        return result;
    }
    int list_folder(const Path& folder, std::vector<Path>& names) override {
        std::error_code error;
        for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
             entry.increment(error))
            names.push_back(entry->path().filename());
        return error ? -error.value() : 0;  // an errno value on POSIX systems
    }
    int resolve_link(const Path& link, Path& target) override {
        const std::unique_ptr<char, decltype(&std::free)> resolved(
            ::realpath(link.c_str(), nullptr), &std::free);
        if (!resolved) return -errno;
        target = resolved.get();
        return 0;
    }
    void hold_stops(bool hold) override {
        static const bool installed = [] {
            struct sigaction action {};
            action.sa_handler = on_stop;
            sigemptyset(&action.sa_mask);
            // Calls under way go on, so that a stop lands between steps, not inside one.
            action.sa_flags = SA_RESTART;
            for (const int signal_number : kStops) {
                struct sigaction before {};
                // A stop the parent ignores (nohup, a background job) stays ignored.
                if (::sigaction(signal_number, nullptr, &before) == 0 &&
                    before.sa_handler == SIG_IGN)
                    continue;
                ::sigaction(signal_number, &action, nullptr);
            }
            return true;
        }();
        (void)installed;
        holding.store(hold);
    }
    int stop_requested() override {
        return stopped.load();
    }
    std::int64_t process_id() override {
        return ::getpid();
    }
    bool is_running(std::int64_t process) override {
        return process > 0 && process != ::getpid() &&
               (::kill(static_cast<pid_t>(process), 0) == 0 || errno == EPERM);
    }
};

}  // namespace

Os& system_os() {
    static PosixOs real;
    return real;
}

}  // namespace orbskin::disk
