// The operating-system calls behind the file services, kept behind one seam so that tests can make
// any single call fail and prove that no failure loses or half-writes a skin.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace orbskin::runtime {

enum class FileKind { missing, regular, folder, other };

struct FileInfo {
    FileKind kind = FileKind::missing;
    std::uint64_t size = 0;
};

// Every call returns a non-negative result on success and a negated errno value on failure.
// Interrupted calls are retried inside; short reads and writes are returned as they are.
class Os {
  public:
    using Path = std::filesystem::path;

    virtual ~Os() = default;

    // Follows symbolic links. A name that does not exist gives -ENOENT or -ENOTDIR.
    virtual int stat(const Path& path, FileInfo& info) = 0;
    virtual int open_read(const Path& path) = 0;
    // Creates a new file for writing; fails with -EEXIST when the name is taken.
    virtual int create_new(const Path& path) = 0;
    virtual std::ptrdiff_t read(int fd, void* buffer, std::size_t size) = 0;
    virtual std::ptrdiff_t write(int fd, const void* buffer, std::size_t size) = 0;
    virtual int sync(int fd) = 0;
    virtual int close(int fd) = 0;
    // Replaces an existing file of the target name in one step.
    virtual int rename(const Path& from, const Path& to) = 0;
    virtual int remove(const Path& path) = 0;
    // Creates one folder; fails with -EEXIST when the name is taken.
    virtual int make_folder(const Path& path) = 0;
    // Makes a rename inside the folder durable; 0 where the platform has no such operation.
    virtual int sync_folder(const Path& folder) = 0;
    // The names of the folder's entries, "." and ".." aside, in no particular order.
    virtual int list_folder(const Path& folder, std::vector<Path>& names) = 0;
};

}  // namespace orbskin::runtime
