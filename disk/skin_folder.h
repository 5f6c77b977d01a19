// The generate command in a folder: check the twelve pictures there, build the skin and replace
// ORBSKIN.000. This is the desktop's adapter over skin/build.h.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "runtime/os.h"
#include "skin/build.h"

namespace orbskin::disk {

// Checks the pictures in `folder` in table order for presence (a regular file) and exact
// length, and gives the first that fails. Reads no picture's contents.
[[nodiscard]] std::optional<skin::LengthFailure> check_pictures(
    runtime::Os& os, const std::filesystem::path& folder);

// The skin the pictures in `folder` make with `settings`, built in memory and written nowhere:
// a failed check comes back as its message, with no bytes. Throws runtime::Error for a bad field
// or a file failure.
[[nodiscard]] skin::BuiltSkin build_in_folder(runtime::Os& os, const std::filesystem::path& folder,
                                              const skin::SkinSettings& settings);

// One run of "Just Go!" in `folder` (an empty path is the current folder). A failed check comes
// back as its message, with nothing on disk changed. A bad field or a file failure throws
// runtime::Error; ORBSKIN.000 is then the old file, or absent if there was none.
[[nodiscard]] skin::Outcome generate(runtime::Os& os, const std::filesystem::path& folder,
                                     const skin::SkinSettings& settings);

}  // namespace orbskin::disk
