// The desktop's inflater for our PNG reader: Debian's zlib, and MinGW's build of it on Windows.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orbskin::picture {

// An Inflater (png_decoder.h): the zlib stream in `pieces`, inflated to `length` bytes.
[[nodiscard]] std::vector<std::uint8_t> inflate_zlib(
    std::span<const std::span<const std::uint8_t>> pieces, std::size_t length,
    const std::string& source);

}  // namespace orbskin::picture
