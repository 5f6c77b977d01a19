// Whole files, each checked by its length before a byte is read.
#include "disk/whole_files.h"

#include <optional>
#include <thread>

#include "disk/files.h"
#include "picture/guard.h"
#include "picture/wording.h"
#include "runtime/error.h"
#include "runtime/utf8_path.h"
#include "skin/unpack.h"

namespace orbskin::disk {
namespace {

// A FIFO or a device is there, but is no file to read: said as what it is.
[[noreturn]] void refuse_missing(runtime::Os& os, const std::filesystem::path& file) {
    const runtime::Arg name("file", runtime::quoted(file));
    if (const std::string_view what = not_a_file(os, file); what.ends_with("not a file"))
        throw runtime::Error(
            runtime::Message("{file} is {what}", {name, {"what", runtime::Message(what)}}));
    throw runtime::Error(runtime::Message("cannot open {file}: no such file", {name}));
}

}  // namespace

std::vector<std::uint8_t> read_skin_file(runtime::Os& os, const std::filesystem::path& file) {
    const runtime::FileInfo info = look_up(os, file);
    if (info.kind == runtime::FileKind::missing) refuse_missing(os, file);
    if (info.kind == runtime::FileKind::folder)
        throw runtime::Error(runtime::Message("{file} is a folder, not a skin file",
                                              {{"file", runtime::quoted(file)}}));
    if (info.kind != runtime::FileKind::regular) refuse_missing(os, file);
    if (info.size != skin::kSkinFileLength)
        throw runtime::Error(skin::not_a_skin_message(runtime::quoted(file), info.size));
    std::vector<std::uint8_t> bytes(skin::kSkinFileLength);
    read_exact(os, file, bytes);
    return bytes;
}

std::vector<std::uint8_t> read_picture_file(runtime::Os& os, const std::string& name) {
    const std::filesystem::path file = runtime::path_from_utf8(name);
    // Read as pack reads a picture: one that changes while it is read, or was changed a moment
    // ago, is read again once it rests, so that no half-saved source is converted.
    for (int round = 0; round < kReadRounds; ++round) {
        if (round > 0) std::this_thread::sleep_for(kSettle);
        const runtime::FileInfo before = look_up(os, file);
        if (before.kind != runtime::FileKind::regular) refuse_missing(os, file);
        if (before.size > picture::kLargestPictureFile)
            throw runtime::Error(picture::too_large_message(runtime::quoted(file), before.size));
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(before.size));
        try {
            read_exact(os, file, bytes);
        } catch (const runtime::Error&) {
            if (look_up(os, file).same_version(before)) throw;
            continue;
        }
        const runtime::FileInfo after = look_up(os, file);
        if (after.same_version(before) && still_settling(after) <= std::chrono::nanoseconds::zero())
            return bytes;
    }
    throw_still_changing(file);
}

}  // namespace orbskin::disk
