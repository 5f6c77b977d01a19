// Keeping a file in originals/ before it is replaced.
#include "disk/originals.h"

#include <cerrno>

#include "disk/files.h"
#include "disk/whole_files.h"
#include "runtime/error.h"
#include "runtime/utf8_path.h"

namespace orbskin::disk {
namespace {

// The first name in `folder` for `stem` and `extension` that nothing holds.
std::filesystem::path free_name(runtime::Os& os, const std::filesystem::path& folder,
                                const std::string& stem, const std::string& extension) {
    for (int n = 1;; ++n) {
        std::string name = stem;
        if (n > 1) name += "-" + std::to_string(n);
        std::filesystem::path kept = folder / runtime::path_from_utf8(name + extension);
        if (look_up(os, kept).kind == runtime::FileKind::missing && !look_up(os, kept).link)
            return kept;
    }
}

}  // namespace

std::optional<KeptOriginal> keep_original(runtime::Os& os, const std::filesystem::path& file,
                                          const std::string& extension) {
    const runtime::FileInfo info = look_up(os, file);
    if (info.kind != runtime::FileKind::regular) return std::nullopt;
    const std::filesystem::path folder = file.parent_path() / "originals";
    const runtime::FileInfo place = look_up(os, folder);
    if (place.kind == runtime::FileKind::missing && place.link)
        throw runtime::Error(runtime::Message("{folder} is a link that leads to nothing",
                                              {{"folder", runtime::quoted(folder)}}));
    KeptOriginal kept{file, {}, info.link, place.kind == runtime::FileKind::missing};
    create_folders(os, folder);
    try {
        kept.kept = free_name(os, folder, runtime::utf8_of(file.stem()), extension);
        // A link's target stays where it is; so does a file that cannot be moved to another disk
        // (originals/ a link to one), which is copied there instead.
        const int r = kept.copied ? -EXDEV : os.rename(file, kept.kept);
        if (r == -EXDEV) {
            kept.copied = true;
            replace_file(os, kept.kept, read_picture_file(os, runtime::utf8_of(file)));
        } else if (r < 0) {
            runtime::throw_io_error("move the original to", kept.kept, -r);
        }
    } catch (...) {
        if (kept.made_folder) os.remove(folder);
        throw;
    }
    return kept;
}

void restore_original(runtime::Os& os, const KeptOriginal& kept) {
    if (kept.copied)
        os.remove(kept.kept);
    else
        os.rename(kept.kept, kept.file);
    if (kept.made_folder) os.remove(kept.kept.parent_path());
}

}  // namespace orbskin::disk
