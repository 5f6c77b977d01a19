// A skin or a picture file read whole from disk, after the checks that keep a huge or wrong file
// from being loaded.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "runtime/os.h"

namespace orbskin::disk {

// Reads a skin file whole. Throws runtime::Error when it is missing, unreadable, or not exactly
// kSkinFileLength long (checked before anything is read, so a huge file is not loaded).
[[nodiscard]] std::vector<std::uint8_t> read_skin_file(runtime::Os& os,
                                                       const std::filesystem::path& file);

// The whole of a picture file to import. Throws runtime::Error when it cannot be read or is far
// larger than any picture a skin could use.
[[nodiscard]] std::vector<std::uint8_t> read_picture_file(runtime::Os& os, const std::string& file);

}  // namespace orbskin::disk
