// File services of the skin builder: look a name up, read a file of a known length whole, and
// replace a file so that it is always either the old one or the complete new one. Each takes the
// operating system it works through.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "runtime/os.h"

namespace orbskin::disk {

using runtime::FileInfo;
using runtime::Os;

// The real operating system. Whatever touches files is handed an Os, down to the lowest call, so
// that a test hands in its own.
[[nodiscard]] Os& system_os();

// What is under the name; a missing name and a dangling link are FileKind::missing (the link
// with .link set). Throws Error
// when the name cannot be looked up.
[[nodiscard]] FileInfo look_up(Os& os, const std::filesystem::path& file);

// What a name holds that is not a file ("a FIFO, not a file", "a link that points to itself",
// "a link to nothing"), in words; empty for a file or nothing. Throws Error when the name cannot
// be looked up.
[[nodiscard]] std::string_view not_a_file(Os& os, const std::filesystem::path& file);

// The length of the regular file of that name, or nothing when there is none: a missing name,
// a dangling link and a folder all count as no file. Throws Error when the name cannot be looked
// up.
[[nodiscard]] std::optional<std::uint64_t> regular_file_length(Os& os,
                                                               const std::filesystem::path& file);

// Fills `into` with the whole file. Throws Error when the file cannot be opened or read, or when
// it is not exactly into.size() bytes long (for example because it changed since it was checked).
void read_exact(Os& os, const std::filesystem::path& file, std::span<std::uint8_t> into);

// How long a file must have been left alone before its bytes are taken as one version of it: an
// editor that a busy machine holds up mid-save looks finished, and the kernel alone may hold a
// writer for up to 200 ms while it flushes. Short enough that a picture saved just before a run is
// waited for only a moment.
inline constexpr std::chrono::milliseconds kSettle{300};

// How much longer a file changed a moment ago must rest before it counts as left alone (see
// kSettle); zero or less for one left alone, or that is not a regular file.
[[nodiscard]] std::chrono::nanoseconds still_settling(const FileInfo& info);

// How often a file that keeps changing is looked at again before the run gives up on it.
inline constexpr int kReadRounds = 12;

// Fills each of `into` with the whole of the file of the same place in `files`, as read_exact,
// and makes sure that none changed while it was read: its size, times and identity agree before
// and after, and it was last changed a moment before it was read, or read twice alike. One that
// changed is read again; one that keeps changing throws Error("NAME changed while it was read
// …"), NAME the file's name.
void read_unchanged(Os& os, std::span<const std::filesystem::path> files,
                    std::span<const std::span<std::uint8_t>> into);

// Throws Error("NAME changed while it was read, … times in a row; …"), NAME the file's name.
[[noreturn]] void throw_still_changing(const std::filesystem::path& file);

// Up to `limit` leading bytes of the file, fewer when it is shorter. Throws Error when it cannot be
// opened or read.
[[nodiscard]] std::vector<std::uint8_t> read_prefix(Os& os, const std::filesystem::path& file,
                                                    std::size_t limit);

// Creates the folder and whichever of its parents are missing. Throws Error("cannot create folder
// ...") when a part of the path is a file or cannot be made.
void create_folders(Os& os, const std::filesystem::path& folder);

// Writes `bytes` to a new file beside `target`, named after it ("ORBSKIN.000.tmp-" and a few hex
// digits, so that one left by a killed run tells what it is), synced and closed, and gives its
// name. On any failure the file is removed and the Error says which operation failed and why.
[[nodiscard]] std::filesystem::path write_beside(Os& os, const std::filesystem::path& target,
                                                 std::span<const std::uint8_t> bytes);

}  // namespace orbskin::disk
