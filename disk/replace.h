// Putting new files under names: the one way every command writes a file that another program may
// have open, save or make meanwhile, so that nothing the user had is lost, whatever runs beside it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

#include "runtime/os.h"

namespace orbskin::disk {

// A new file for a name, and what the command found under that name when it chose to write it.
struct NewFile {
    std::filesystem::path target;
    std::span<const std::uint8_t> bytes;
    // look_up(target) as the command judged it: FileKind::missing (and no link) for a free name.
    runtime::FileInfo judged;
    // What it replaces is kept in originals/ beside it, unless it holds these very bytes; false
    // only for a file of our own making that is made again (the skin), which is then replaced
    // whatever it is.
    bool keep = true;
    // A file of the folder to move under the name instead of `bytes` (a name that differs only
    // in case): it is never removed, and where the name was taken meanwhile it stays as it is.
    std::filesystem::path from{};
};

// What became of a NewFile.
struct Put {
    enum class Kept {
        nothing,        // the name was free, or held these very bytes
        file,           // the file it replaces, in originals/
        link_target,    // a copy of the file the link under the name led to, which is left alone
        dangling_link,  // the link to nothing that was under the name, moved as it is
    };
    std::filesystem::path target;
    Kept kept = Kept::nothing;
    std::filesystem::path kept_as;  // originals/NAME.EXT, where something was kept
    // Set where the name no longer held what was judged (another program saved or made a file
    // there meanwhile): that file is left as it is, and the new one is here instead.
    std::filesystem::path beside;
};

// The journal a run of renames keeps in its folder while it runs: a run cut short (killed, the
// power gone) is finished from it by the next command that opens the folder.
inline constexpr std::string_view kJournalName = ".orbskin-journal";

// Puts every file under its name, in the order given, all in one folder:
// - every new file is written and synced beside its name before any name changes;
// - a name is replaced only while it still holds what was judged (its identity, length and time),
//   and is taken only while still free; otherwise it is left as it is and the new file is put
//   beside it (Put::beside);
// - what a name held is kept in originals/ under its real format's extension, in the same step
//   where the platform allows it;
// - where several names change, the renames run as one short run, journalled (kJournalName), with
//   Ctrl+C and kill held until it is done.
// Throws Error, leaving every name as it was, when a file cannot be written, kept or renamed, when
// a judged entry is a folder or not a file, and when a stop was asked for before the run began.
[[nodiscard]] std::vector<Put> put_files(runtime::Os& os, std::span<const NewFile> files);

// Replaces a file of our own making (the skin) whatever it holds, or, where `target` is a symbolic
// link, the file it finally names, in its own folder. Throws Error, writing nothing, when the link
// leads to nothing, loops, or leads to what is not a file (a FIFO, a device), and when `target`
// itself is such an entry.
void replace_file_through_link(runtime::Os& os, const std::filesystem::path& target,
                               std::span<const std::uint8_t> bytes);

// Finishes the run a journal in `folder` records, as put_files would have; gives what became of
// each of its files, nothing where no run was cut short there. Where there is none and `tidy` is
// set, removes the new files that a run killed before its renames left there and in originals/
// over a minute ago.
[[nodiscard]] std::vector<Put> finish_interrupted(runtime::Os& os,
                                                  const std::filesystem::path& folder,
                                                  bool tidy = true);

}  // namespace orbskin::disk
