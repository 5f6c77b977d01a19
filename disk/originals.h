// Files kept before a tool replaces them: in originals/ beside them, never over a file there.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "runtime/os.h"

namespace orbskin::disk {

struct KeptOriginal {
    std::filesystem::path file;  // the name that is about to be replaced
    std::filesystem::path kept;  // originals/NAME.EXT, or NAME-2.EXT… where that is taken
    bool copied = false;       // its bytes were copied: a link (left as it is), or on another disk
    bool made_folder = false;  // originals/ was made for it
};

// Keeps the regular file `file` in originals/ beside it, under its stem and `extension` (".png"):
// moved there in one rename, or, where `file` is a symbolic link, the bytes it leads to copied
// there (a relative link moved would lead elsewhere), the file it leads to left alone. Nothing
// when there is no regular file of that name. Throws Error, leaving everything as it was (no
// empty originals/ either), when it cannot be kept.
[[nodiscard]] std::optional<KeptOriginal> keep_original(runtime::Os& os,
                                                        const std::filesystem::path& file,
                                                        const std::string& extension);

// Puts a kept file back where it was, as well as can be, after the replacement failed.
void restore_original(runtime::Os& os, const KeptOriginal& kept);

}  // namespace orbskin::disk
