// The folder the window works in: the one named on its command line, or the current one.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "runtime/os.h"

namespace orbskin::window {

// Why `folder`, named on the command line, cannot be the folder where the window reads the
// pictures and writes the skin; nothing when it is a folder.
[[nodiscard]] std::optional<std::string> refuse_start_folder(runtime::Os& os,
                                                             const std::filesystem::path& folder);

}  // namespace orbskin::window
