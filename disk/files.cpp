// File services built on the operating-system seam.
#include "disk/files.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <iterator>
#include <random>
#include <string>
#include <thread>

#include "runtime/error.h"
#include "runtime/os.h"
#include "runtime/utf8_path.h"

namespace orbskin::disk {

using runtime::Arg;
using runtime::Error;
using runtime::FileKind;
using runtime::Message;
using runtime::quoted;
using runtime::throw_io_error;

namespace {

// A descriptor that is closed on every path out; a close that fails during normal flow is
// reported by close_checked() instead.
class Descriptor {
  public:
    Descriptor(Os& os, int fd) : os_(os), fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) os_.close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    [[nodiscard]] int get() const { return fd_; }
    [[nodiscard]] int close_checked() {
        const int result = os_.close(fd_);
        fd_ = -1;
        return result;
    }

  private:
    Os& os_;
    int fd_;
};

Message describe_length_change(const std::filesystem::path& file, std::size_t expected,
                               std::size_t found, bool longer) {
    const Arg name("file", quoted(file)), wanted("expected", runtime::Number(expected));
    if (longer)
        return Message(
            "{file} changed while it was being read: expected {expected} bytes, found more",
            {name, wanted});
    return Message(
        "{file} changed while it was being read: expected {expected} bytes, found {found}",
        {name, wanted, {"found", runtime::Number(found)}});
}

// A name that no other run, in this process or another, is likely to pick at the same time.
std::string unique_suffix(unsigned attempt) {
    static const std::uint64_t seed = std::random_device{}();
    static unsigned counter = 0;
    const auto ticks =
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    const std::uint64_t mixed = (ticks * 0x9E3779B97F4A7C15ULL) ^ (seed << 24) ^
                                (static_cast<std::uint64_t>(++counter) << 8) ^ attempt;
    // Twelve hex digits are plenty to tell concurrent runs apart.
    char text[16];
    const auto end = std::to_chars(std::begin(text), std::end(text), mixed >> 16, 16).ptr;
    return std::string(text, end);
}

// Recognisable, so that a file left by a killed run tells what it is. The name is kept as a
// path, so that no conversion to narrow text can lose its characters.
std::filesystem::path temporary_name(const std::filesystem::path& target, unsigned attempt) {
    std::filesystem::path name = target.filename();
    name += ".tmp-" + unique_suffix(attempt);
    return target.parent_path() / name;
}

void write_all(Os& os, int fd, std::span<const std::uint8_t> bytes,
               const std::filesystem::path& target) {
    while (!bytes.empty()) {
        const std::ptrdiff_t written = os.write(fd, bytes.data(), bytes.size());
        if (written < 0) throw_io_error("write", target, static_cast<int>(-written));
        // A write that stores nothing and reports no error means the device is full.
        if (written == 0) throw_io_error("write", target, ENOSPC);
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
}

std::int64_t now_ns() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::chrono::nanoseconds settling_at(const FileInfo& info, std::int64_t now) {
    const std::int64_t last = std::max(info.modified_ns, info.changed_ns);
    return std::chrono::nanoseconds(last + std::chrono::nanoseconds(kSettle).count() - now);
}

bool changed_lately(const FileInfo& info, std::int64_t now) {
    return settling_at(info, now) > std::chrono::nanoseconds::zero();
}

// One reading of a file for read_unchanged: whether its bytes may be taken as they are.
struct Reading {
    FileInfo info;
    std::vector<std::uint8_t> bytes;  // kept while the file changed lately, to compare
};

bool read_once(Os& os, const std::filesystem::path& file, std::span<std::uint8_t> into,
               Reading& last) {
    const std::int64_t started = now_ns();
    const FileInfo before = look_up(os, file);
    read_exact(os, file, into);
    const FileInfo after = look_up(os, file);
    if (!before.same_version(after)) return false;
    // Unchanged since the same reading before: the clock may be ahead of ours, or it was a tick.
    const bool alike = last.info.same_version(after) &&
                       std::equal(into.begin(), into.end(), last.bytes.begin(), last.bytes.end());
    if (!changed_lately(after, started) || alike) return true;
    last.info = after;
    last.bytes.assign(into.begin(), into.end());
    return false;
}

}  // namespace

std::chrono::nanoseconds still_settling(const FileInfo& info) {
    if (info.kind != FileKind::regular) return {};
    // A time ahead of our clock is not waited for: it may be another machine's.
    return std::min(settling_at(info, now_ns()), std::chrono::nanoseconds(kSettle));
}

void read_unchanged(Os& os, std::span<const std::filesystem::path> files,
                    std::span<const std::span<std::uint8_t>> into) {
    std::vector<Reading> readings(files.size());
    std::vector<std::size_t> pending(files.size());
    for (std::size_t i = 0; i < pending.size(); ++i)
        pending[i] = i;
    for (int round = 0; round < kReadRounds; ++round) {
        if (round > 0) std::this_thread::sleep_for(kSettle);
        std::erase_if(pending,
                      [&](std::size_t i) { return read_once(os, files[i], into[i], readings[i]); });
        if (pending.empty()) return;
    }
    throw_still_changing(files[pending.front()]);
}

void throw_still_changing(const std::filesystem::path& file) {
    throw Error(Message(
        "{file} changed while it was read, {rounds} times in a row; let the program that writes it "
        "finish, then run again",
        {{"file", runtime::shown(file.filename())}, {"rounds", runtime::Number(kReadRounds)}}));
}

FileInfo look_up(Os& os, const std::filesystem::path& file) {
    FileInfo info;
    const int result = os.stat(file, info);
    if (result == -ENOENT || result == -ENOTDIR) return {.link = info.link};
    if (result < 0) throw_io_error("look up", file, -result);
    return info;
}

std::optional<std::uint64_t> regular_file_length(Os& os, const std::filesystem::path& file) {
    const FileInfo info = look_up(os, file);
    if (info.kind != FileKind::regular) return std::nullopt;
    return info.size;
}

void create_folders(Os& os, const std::filesystem::path& folder) {
    std::filesystem::path part;
    for (const std::filesystem::path& name : folder) {
        part /= name;
        const FileKind kind = look_up(os, part).kind;
        if (kind == FileKind::folder) continue;
        int r = kind == FileKind::missing ? os.make_folder(part) : -ENOTDIR;
        // Another run beside this one may have made it a moment ago.
        if (r == -EEXIST && look_up(os, part).kind == FileKind::folder) r = 0;
        if (r < 0) throw_io_error("create folder", folder, -r);
    }
}

void read_exact(Os& os, const std::filesystem::path& file, std::span<std::uint8_t> into) {
    const int fd = os.open_read(file);
    if (fd < 0) throw_io_error("open", file, -fd);
    Descriptor descriptor(os, fd);

    std::size_t filled = 0;
    while (filled < into.size()) {
        const std::ptrdiff_t got = os.read(fd, into.data() + filled, into.size() - filled);
        if (got < 0) throw_io_error("read", file, static_cast<int>(-got));
        if (got == 0) throw Error(describe_length_change(file, into.size(), filled, false));
        filled += static_cast<std::size_t>(got);
    }
    std::uint8_t probe = 0;
    const std::ptrdiff_t extra = os.read(fd, &probe, 1);
    if (extra < 0) throw_io_error("read", file, static_cast<int>(-extra));
    if (extra > 0) throw Error(describe_length_change(file, into.size(), filled, true));
    if (const int closed = descriptor.close_checked(); closed < 0)
        throw_io_error("close", file, -closed);
}

std::vector<std::uint8_t> read_prefix(Os& os, const std::filesystem::path& file,
                                      std::size_t limit) {
    const int fd = os.open_read(file);
    if (fd < 0) throw_io_error("open", file, -fd);
    Descriptor descriptor(os, fd);

    std::vector<std::uint8_t> bytes(limit);
    std::size_t filled = 0;
    while (filled < limit) {
        const std::ptrdiff_t got = os.read(fd, bytes.data() + filled, limit - filled);
        if (got < 0) throw_io_error("read", file, static_cast<int>(-got));
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
    }
    bytes.resize(filled);
    if (const int closed = descriptor.close_checked(); closed < 0)
        throw_io_error("close", file, -closed);
    return bytes;
}

std::filesystem::path write_beside(Os& os, const std::filesystem::path& target,
                                   std::span<const std::uint8_t> bytes) {
    std::filesystem::path temporary;
    int fd = -EEXIST;
    for (unsigned attempt = 0; fd == -EEXIST && attempt < 100; ++attempt) {
        temporary = temporary_name(target, attempt);
        fd = os.create_new(temporary);
    }
    if (fd < 0) throw_io_error("create a temporary file for", target, -fd);
    try {
        Descriptor descriptor(os, fd);
        write_all(os, fd, bytes, target);
        if (const int r = os.sync(fd); r < 0) throw_io_error("sync", target, -r);
        if (const int r = descriptor.close_checked(); r < 0) throw_io_error("close", target, -r);
    } catch (...) {
        os.remove(temporary);
        throw;
    }
    return temporary;
}

}  // namespace orbskin::disk

namespace orbskin::disk {

std::string_view not_a_file(Os& os, const std::filesystem::path& file) {
    FileInfo info;
    const int r = os.stat(file, info);
    if (r == -ELOOP) return runtime::N_("a link that points to itself");
    if (r == -ENOENT || r == -ENOTDIR)
        return info.link ? runtime::N_("a link to nothing") : std::string_view();
    if (r < 0) throw_io_error("look up", file, -r);
    if (info.kind == FileKind::folder) return runtime::N_("a folder, not a file");
    if (info.kind != FileKind::other) return {};
    switch (info.other) {
        case runtime::OtherKind::fifo:
            return runtime::N_("a FIFO, not a file");
        case runtime::OtherKind::device:
            return runtime::N_("a device, not a file");
        default:
            return runtime::N_("a socket or another kind of entry, not a file");
    }
}

}  // namespace orbskin::disk
