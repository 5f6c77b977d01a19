// Explains in words what a picture file is and why it does not pass the length check, reading
// its header defensively: nothing in it is trusted beyond the bytes that are there.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "skin/layout.h"

namespace orbskin::skin {

// How many leading bytes of a file explain_picture() looks at.
inline constexpr std::size_t kPictureHeadLength = 64;

struct PictureVerdict {
    std::string found;  // what the file is, e.g. "32-bit BMP, 256×192, 124-byte header"
    std::string cause;  // why it does not pass, empty when nothing in the header explains it
    bool needs_scaling = false;  // the picture has another size than its name demands
};

// `head` holds the file's first bytes (at most kPictureHeadLength), `length` its whole length.
[[nodiscard]] PictureVerdict explain_picture(std::span<const std::uint8_t> head,
                                             std::uint64_t length, const Picture& expected);

}  // namespace orbskin::skin
