// An operating-system seam for tests: forwards to the real calls, records them, can fail any one
// of them with a chosen errno, and can run a hook before each call.
#pragma once

#include <cerrno>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "disk/files.h"

namespace orbskin::test {

class InjectingOs final : public runtime::Os {
  private:
    bool enter(const char* operation, const Path& path) {
        calls_.push_back({operation, path.string()});
        if (calls_.size() == stop_at_ && held_) stopped_ = 2;
        if (before) before(calls_.back());
        return calls_.size() == fail_at_ || calls_.size() >= dead_from_;
    }
    template <typename Method, typename... Args>
    auto pass(const char* operation, const Path& path, Method method, Args&&... args) {
        using Result = decltype((disk::system_os().*method)(args...));
        if (enter(operation, path)) return static_cast<Result>(-error_);
        return (disk::system_os().*method)(std::forward<Args>(args)...);
    }
    int opened(int fd, const Path& path) {
        if (fd >= 0) files_[fd] = path;
        return fd;
    }

  public:
    struct Call {
        std::string operation;
        std::string path;  // the file the call is about, also for calls on a descriptor
    };
    // Fails call number `number` (counted from 1) with `error`.
    void fail_call(std::size_t number, int error) { fail_at_ = number, error_ = error; }
    // Fails every call from number `number` on, doing nothing, as if the program were killed there.
    void die_at(std::size_t number, int error = EIO) { dead_from_ = number, error_ = error; }
    // Fails the nth call of `operation` (every one when nth is 0) on a path ending with `file`.
    void fail_nth(std::string operation, int nth, int error, std::string file = "") {
        before = [=, this, seen = 0](const Call& call) mutable {
            if (call.operation == operation && call.path.ends_with(file) && (++seen == nth || !nth))
                fail_call(calls_.size(), error);
        };
    }
    std::function<void(const Call&)> before;  // runs before every call
    [[nodiscard]] const std::vector<Call>& calls() const { return calls_; }

    int open_read(const Path& p) override {
        return opened(pass("open_read", p, &Os::open_read, p), p);
    }
    int create_new(const Path& p) override {
        return opened(pass("create_new", p, &Os::create_new, p), p);
    }
    // A stop asked for as the call of that number begins, as Ctrl+C would between two calls.
    void stop_at(std::size_t number) { stop_at_ = number; }
    void hold_stops(bool hold) override { held_ = hold; }
    int stop_requested() override { return stopped_; }
    std::int64_t process_id() override { return disk::system_os().process_id(); }
    bool is_running(std::int64_t process) override { return disk::system_os().is_running(process); }
    int close(int fd) override {
        const bool fail = enter("close", files_[fd]);
        const int result = disk::system_os().close(fd);  // released even when it reports failure
        return fail ? -error_ : result;
    }

    // Each call passed on: its result, name and parameters, the file it is about, its arguments.
    // clang-format off
#define OS_CALL(Result, name, parameters, path, ...) \
    Result name parameters override { return pass(#name, path, &Os::name, __VA_ARGS__); }
    OS_CALL(int, stat, (const Path& p, runtime::FileInfo& i), p, p, i)
    OS_CALL(std::ptrdiff_t, read, (int fd, void* b, std::size_t n), files_[fd], fd, b, n)
    OS_CALL(std::ptrdiff_t, write, (int fd, const void* b, std::size_t n), files_[fd], fd, b, n)
    OS_CALL(int, sync, (int fd), files_[fd], fd)
    OS_CALL(int, list_folder, (const Path& p, std::vector<Path>& names), p, p, names)
    OS_CALL(int, resolve_link, (const Path& p, Path& target), p, p, target)
    OS_CALL(int, rename, (const Path& from, const Path& to), from, from, to)
    OS_CALL(int, rename_new, (const Path& from, const Path& to), from, from, to)
    OS_CALL(int, exchange, (const Path& a, const Path& b), a, a, b)
    OS_CALL(int, remove, (const Path& p), p, p)
    OS_CALL(int, make_folder, (const Path& p), p, p)
    OS_CALL(int, sync_folder, (const Path& p), p, p)
#undef OS_CALL
    // clang-format on

  private:
    std::vector<Call> calls_;
    std::map<int, Path> files_;
    std::size_t fail_at_ = 0;
    int error_ = 0;
    std::size_t stop_at_ = SIZE_MAX, dead_from_ = SIZE_MAX;
    bool held_ = false;
    int stopped_ = 0;
};

}  // namespace orbskin::test
