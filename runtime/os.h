// The operating-system calls behind the file services, kept behind one seam so that tests can make
// any single call fail and prove that no failure loses or half-writes a skin.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace orbskin::runtime {

enum class FileKind { missing, regular, folder, other };
// What a FileKind::other is, for words that name it.
enum class OtherKind { none, fifo, device, socket };

struct FileInfo {
    FileKind kind = FileKind::missing;
    std::uint64_t size = 0;
    OtherKind other = OtherKind::none;
    bool link = false;  // the name is a symbolic link; the rest describes what it points to
    // Who the file is and when it last changed, to tell that it did not change while it was
    // read; 0 where the platform does not say.
    std::uint64_t device = 0, inode = 0;
    std::int64_t modified_ns = 0, changed_ns = 0;

    [[nodiscard]] bool same_version(const FileInfo& other_info) const {
        return kind == other_info.kind && size == other_info.size && device == other_info.device &&
               inode == other_info.inode && modified_ns == other_info.modified_ns &&
               changed_ns == other_info.changed_ns;
    }
};

// Every call returns a non-negative result on success and a negated errno value on failure.
// Interrupted calls are retried inside; short reads and writes are returned as they are.
class Os {
  public:
    using Path = std::filesystem::path;

    virtual ~Os() = default;

    // Follows symbolic links. A name that does not exist gives -ENOENT or -ENOTDIR, with
    // info.link set where the name is a link to nothing.
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
    // Moves `from` to `to` only where nothing is under `to`, -EEXIST otherwise, checked in the
    // same step wherever the file system allows it. Elsewhere it links, then removes `from`:
    // `from` must be a name no other program writes to, as a save there would be removed.
    virtual int rename_new(const Path& from, const Path& to) = 0;
    // Swaps the entries of two existing names in one step; -ENOTSUP where the platform or the
    // file system cannot.
    virtual int exchange(const Path& a, const Path& b) = 0;
    // Removes a file, or a folder that is empty.
    virtual int remove(const Path& path) = 0;
    // Creates one folder; fails with -EEXIST when the name is taken.
    virtual int make_folder(const Path& path) = 0;
    // Makes a rename inside the folder durable; 0 where the platform has no such operation.
    virtual int sync_folder(const Path& folder) = 0;
    // The names of the folder's entries, "." and ".." aside, in no particular order.
    virtual int list_folder(const Path& folder, std::vector<Path>& names) = 0;
    // The file that a symbolic link (through any chain of links) finally names, as an absolute
    // path; fails where the chain ends in nothing or the platform cannot tell.
    virtual int resolve_link(const Path& link, Path& target) = 0;

    // Holds Ctrl+C, a hang-up and a polite kill while `hold` is set, so that a writer can stop
    // between its steps and never halfway through one. Where nothing holds them, they end the
    // program at once, as usual.
    virtual void hold_stops(bool hold) = 0;
    // The signal number of such a request that came while they were held (2 for Ctrl+C), or 0;
    // it stays said until the program ends, so that the program ends as asked once it has said
    // what it did.
    virtual int stop_requested() = 0;

    // This program's process number, and whether another with that number is running now (false
    // for this one), so that a run's journal tells a run under way from one cut short.
    virtual std::int64_t process_id() = 0;
    virtual bool is_running(std::int64_t process) = 0;
};

// Stops held while it lives: the steps under it end together.
class HeldStops {
  public:
    explicit HeldStops(Os& os) : os_(os) { os_.hold_stops(true); }
    ~HeldStops() { os_.hold_stops(false); }
    HeldStops(const HeldStops&) = delete;
    HeldStops& operator=(const HeldStops&) = delete;

  private:
    Os& os_;
};

}  // namespace orbskin::runtime
