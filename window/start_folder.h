// The folder the window works in: the one named on its command line, or the current one.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace orbskin::window {

// Makes `folder` the current folder, where the window reads the pictures and writes the skin.
// Gives the message to show instead when it is not a folder that can be entered.
[[nodiscard]] std::optional<std::string> enter_folder(const std::filesystem::path& folder);

}  // namespace orbskin::window
