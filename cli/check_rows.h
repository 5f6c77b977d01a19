// check's parts: a row of its table, the fix a row proposes, where a missing picture's source is
// found, and the fixes --fix runs.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "disk/files.h"
#include "picture/bitmap.h"
#include "picture/resize.h"
#include "runtime/os.h"
#include "skin/layout.h"

namespace orbskin::cli::check {

// What a fix does when check --fix applies it.
struct Action {
    enum Kind { none, rename, import } kind = none;
    std::filesystem::path from, to;  // rename
    std::vector<std::string> args;   // import: orbskin-cli's arguments, the program name first
};

struct Row {
    Message found;
    std::optional<Message> fix{};   // in words, with the command as it would be typed
    std::optional<Message> note{};  // a line more about the fix
    Action action{};
    // Where the row is about another file of the folder: its name and what it is.
    std::optional<Message> other{};
};

// Whether a line of a fix is a command to paste as it is, rather than something to do by hand
// (make a picture, export a document), which is led by "to do:" instead.
[[nodiscard]] bool is_command(std::string_view line);

// `first`, then on the next line `second`.
[[nodiscard]] Message lines(const Message& first, const Message& second);

// How import should convert a file: the way to resize it (none: it has the size), whether it is
// a photo, whose smooth shades want --dither, the colour profile it carries that is not sRGB
// ("" for one that gives no name) or its gamma that is not (picture::ProfilePlace); or why
// import cannot read it, with no conversion.
struct Conversion {
    picture::Resize how = picture::Resize::none;
    bool photo = false;
    std::optional<std::string> profile;
    std::uint32_t gamma = 0;
    std::optional<Message> unreadable{};
};

// The row of a picture to be imported from `source`, converted as `conversion` says.
[[nodiscard]] Row import_row(Message found, const std::string& folder, const Conversion& conversion,
                             const std::filesystem::path& source, const skin::Picture& picture);

using disk::not_a_file;

// The command that takes `file` out of the way: rm, rmdir for an empty folder, or a folder with
// something in it moved aside.
[[nodiscard]] std::string removal(runtime::Os& os, const std::filesystem::path& file, bool folder);

// The fix of a picture with nothing to make it from: put one of its size, named so, and check
// again.
[[nodiscard]] Message put_picture(const skin::Picture& picture, const std::string& folder);
// The fix of a picture whose source `name` is there but cannot be used (`unreadable`: cannot be
// opened): make it readable or replace it, and check again.
[[nodiscard]] Message replace_source(const skin::Picture& picture, const std::string& folder,
                                     const std::string& name, bool unreadable);

// The fix of a picture whose file `name` is a picture import cannot read, damaged or cut short:
// save it again, or replace it, and check again.
[[nodiscard]] Message save_again(const skin::Picture& picture, const std::string& folder,
                                 const std::string& name);

// The row of a picture that another file of the folder, `name`, may be made from.
[[nodiscard]] Row source_row(runtime::Os& os, const std::filesystem::path& folder_path,
                             const skin::Picture& picture, const std::string& folder,
                             const Message& found, const std::string& name);

// The other files of the folder that `picture` may be made from, sorted.
[[nodiscard]] std::vector<std::string> sources(runtime::Os& os, const std::filesystem::path& folder,
                                               const skin::Picture& picture);

// The bytes check judges `file` (of `length` bytes) by: its first kPictureHeadLength bytes, or,
// where its format is one import reads or its size lies late, all of it, as import reads it.
// Throws runtime::Error where it cannot be read.
[[nodiscard]] std::vector<std::uint8_t> judged_bytes(runtime::Os& os,
                                                     const std::filesystem::path& file,
                                                     std::uint64_t length);

// How import would convert the picture whose bytes are `bytes` (of a file of `length`) for
// `picture`, judged by reading it as import does: decoded by our own readers, or walked by the
// guards where only the platform decodes it; `unreadable` (naming `source`) where it fails.
// Resized where it has another size; dithered where it is a JPEG or a lossy WebP, or where
// picture::dither_helps() says so of its pixels.
[[nodiscard]] Conversion conversion_for(const std::string& source,
                                        std::span<const std::uint8_t> bytes, std::uint64_t length,
                                        const skin::Picture& picture);

// The row of a picture whose name is not a picture file: what is there instead, and the file
// of the folder that it may be made from.
[[nodiscard]] Row missing_row(runtime::Os& os, const std::filesystem::path& folder_path,
                              const skin::Picture& picture, const std::string& folder,
                              Message found);
[[nodiscard]] Row blocked_row(runtime::Os& os, const std::filesystem::path& folder_path,
                              const skin::Picture& picture, const std::string& folder,
                              Message found, bool is_folder);

// Prints the table in the language of `words`; true when every picture passes. Each row goes
// into `rows` where given.
bool print_table(runtime::Os& os, const std::string& folder, std::ostream& out, const Words& words,
                 std::vector<Row>* rows = nullptr);

// Applies every fix the table proposes that check can run, then shows the table again. The
// pictures are made as one (see PictureRunner) before any name is changed.
int fix_all(runtime::Os& os, const std::string& folder, const PictureRunner& run_picture,
            std::ostream& out, std::ostream& err, const Words& words);

}  // namespace orbskin::cli::check
