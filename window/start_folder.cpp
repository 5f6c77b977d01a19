// Entering the start folder, with messages in the words of the rest of the tool.
#include "window/start_folder.h"

#include <system_error>

#include "runtime/error.h"
#include "runtime/files.h"

namespace orbskin::window {

std::optional<std::string> enter_folder(const std::filesystem::path& folder) {
    try {
        switch (runtime::look_up(folder).kind) {
            case runtime::FileKind::folder:
                break;
            case runtime::FileKind::missing:
                return "cannot open the folder " + runtime::quoted(folder) + ": it does not exist";
            default:
                return runtime::quoted(folder) + " is not a folder";
        }
    } catch (const runtime::Error& error) {
        return error.what();
    }
    std::error_code error;
    std::filesystem::current_path(folder, error);
    if (error) return "cannot open the folder " + runtime::quoted(folder) + ": " + error.message();
    return std::nullopt;
}

}  // namespace orbskin::window
