// The desktop's inflater for our PNG reader: Debian's zlib, and MinGW's build of it on Windows.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "picture/png_decoder.h"

namespace orbskin::picture {

// An Inflater (png_decoder.h): the zlib stream in `pieces`, inflated to `length` bytes and handed
// to `sink` a band at a time.
void inflate_zlib(std::span<const std::span<const std::uint8_t>> pieces, std::size_t length,
                  const InflatedSink& sink, const std::string& source);

// A whole zlib stream inflated, as a colour profile is (a ProfileInflater, colour_profile.h);
// nothing when it does not inflate, or to more than `limit` bytes.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> inflate_zlib_whole(
    std::span<const std::uint8_t> stream, std::size_t limit = std::size_t{4} << 20);

}  // namespace orbskin::picture
