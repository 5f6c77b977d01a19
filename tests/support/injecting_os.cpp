// The fault-injecting seam used by the tests.
#include "tests/support/injecting_os.h"

namespace orbskin::test {

bool InjectingOs::enter(const char* operation, const std::string& path) {
    calls_.push_back({operation, path});
    if (before) before(calls_.back());
    return calls_.size() == fail_at_;
}

std::string InjectingOs::path_of(int fd) const {
    const auto found = open_files_.find(fd);
    return found == open_files_.end() ? std::string() : found->second;
}

int InjectingOs::stat(const Path& path, runtime::FileInfo& info) {
    if (enter("stat", path.string())) return -error_;
    return runtime::system_os().stat(path, info);
}

int InjectingOs::open_read(const Path& path) {
    if (enter("open_read", path.string())) return -error_;
    const int fd = runtime::system_os().open_read(path);
    if (fd >= 0) open_files_[fd] = path.string();
    return fd;
}

int InjectingOs::create_new(const Path& path) {
    if (enter("create_new", path.string())) return -error_;
    const int fd = runtime::system_os().create_new(path);
    if (fd >= 0) open_files_[fd] = path.string();
    return fd;
}

std::ptrdiff_t InjectingOs::read(int fd, void* buffer, std::size_t size) {
    if (enter("read", path_of(fd))) return -error_;
    return runtime::system_os().read(fd, buffer, size);
}

std::ptrdiff_t InjectingOs::write(int fd, const void* buffer, std::size_t size) {
    if (enter("write", path_of(fd))) return -error_;
    return runtime::system_os().write(fd, buffer, size);
}

int InjectingOs::sync(int fd) {
    if (enter("sync", path_of(fd))) return -error_;
    return runtime::system_os().sync(fd);
}

int InjectingOs::close(int fd) {
    const bool fail = enter("close", path_of(fd));
    open_files_.erase(fd);
    // The descriptor is released even when the close reports an error, as on POSIX systems.
    const int result = runtime::system_os().close(fd);
    return fail ? -error_ : result;
}

int InjectingOs::rename(const Path& from, const Path& to) {
    if (enter("rename", from.string())) return -error_;
    return runtime::system_os().rename(from, to);
}

int InjectingOs::remove(const Path& path) {
    if (enter("remove", path.string())) return -error_;
    return runtime::system_os().remove(path);
}

int InjectingOs::sync_folder(const Path& folder) {
    if (enter("sync_folder", folder.string())) return -error_;
    return runtime::system_os().sync_folder(folder);
}

}  // namespace orbskin::test
