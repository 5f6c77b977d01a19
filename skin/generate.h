// The generate command: check the twelve pictures, build the skin and replace ORBSKIN.000.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "skin/settings.h"

namespace orbskin::skin {

// The one message a run shows, and whether it is the success message.
struct Outcome {
    bool finished = false;
    std::string message;
    // Pictures that pass the checks but that the skin would not show as drawn (a header that
    // claims another size, depth or row order), each as "name: what it is: why". The skin is
    // written all the same, as it always was.
    std::vector<std::string> warnings;
};

// Checks the pictures in `folder` in table order for presence (a regular file) and exact
// length, and gives the message of the first that fails. Reads no picture's contents.
[[nodiscard]] std::optional<std::string> check_pictures(const std::filesystem::path& folder);

// One run of "Just Go!" in `folder` (an empty path is the current folder). A failed check comes
// back as its message, with nothing on disk changed. A bad field or a file failure throws
// runtime::Error; ORBSKIN.000 is then the old file, or absent if there was none.
[[nodiscard]] Outcome generate(const std::filesystem::path& folder, const SkinSettings& settings);

}  // namespace orbskin::skin
