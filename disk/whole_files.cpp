// Whole files, each checked by its length before a byte is read.
#include "disk/whole_files.h"

#include <optional>

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
    const std::optional<std::uint64_t> length = regular_file_length(os, file);
    if (!length) refuse_missing(os, file);
    if (*length > picture::kLargestPictureFile) {
        throw runtime::Error(picture::too_large_message(runtime::quoted(file), *length));
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(*length));
    read_exact(os, file, bytes);
    return bytes;
}

}  // namespace orbskin::disk
