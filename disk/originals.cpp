// Keeping a file in originals/ before it is replaced.
#include "disk/originals.h"

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
    KeptOriginal kept{file, {}, info.link, look_up(os, folder).kind == runtime::FileKind::missing};
    create_folders(os, folder);
    try {
        kept.kept = free_name(os, folder, runtime::utf8_of(file.stem()), extension);
        if (kept.copied) {
            replace_file(os, kept.kept, read_picture_file(os, runtime::utf8_of(file)));
        } else if (const int r = os.rename(file, kept.kept); r < 0) {
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
