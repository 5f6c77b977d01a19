// Entering the start folder, with messages in the words of the rest of the tool.
#include "window/start_folder.h"

#include "disk/files.h"
#include "runtime/error.h"

namespace orbskin::window {

std::optional<std::string> refuse_start_folder(runtime::Os& os,
                                               const std::filesystem::path& folder) {
    // In English, as the window's own words are.
    const std::string shown = write(runtime::quoted(folder), runtime::kEnglishWriting);
    try {
        switch (disk::look_up(os, folder).kind) {
            case runtime::FileKind::folder:
                return std::nullopt;
            case runtime::FileKind::missing:
                return "cannot open the folder " + shown + ": it does not exist";
            default:
                return shown + " is not a folder";
        }
    } catch (const runtime::Error& error) {
        return error.what();
    }
}

}  // namespace orbskin::window
