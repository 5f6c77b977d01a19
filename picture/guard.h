// What is refused before a picture is decoded: a file far larger than any picture, a PNG whose
// parts claim more bytes than it holds, a header that claims more pixels than any decoder here
// allocates, and a JPEG of more scans than any encoder writes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "picture/picture_head.h"
#include "runtime/message.h"

namespace orbskin::picture {

// Files above this are not pictures of a few hundred pixels a side.
inline constexpr std::uint64_t kLargestPictureFile = 256u << 20;

// Throws runtime::Error, naming `source`, for a PNG that our reader's walk of its chunks
// (walk_png()) refuses, such as one whose chunks claim more bytes than the file holds.
void refuse_damaged_png(std::span<const std::uint8_t> bytes, const std::string& source);

// Throws runtime::Error, naming `source` and what it is, for a format import does not read, such
// as a HEIC photo, with the one conversion that works.
void refuse_foreign(std::span<const std::uint8_t> bytes, const std::string& source);

// Why a JPEG or GIF whose image data ends before the picture does is refused, which platform
// readers would fill out with grey; nothing for any other.
[[nodiscard]] std::optional<runtime::Message> cut_short(std::span<const std::uint8_t> bytes);

// Throws runtime::Error, naming `source`, for a JPEG or GIF whose image data ends before the
// picture does (see cut_short()).
void refuse_cut_short(std::span<const std::uint8_t> bytes, const std::string& source);

// Why a picture is refused as more work than any decoder here takes on: a header that claims more
// than kLargestDecodedPixels ("it claims W×H pixels, far too large for a skin"), or a JPEG of more
// than kMostJpegScans scans, each of which goes over every pixel again; nothing for any other.
// A file's first bytes are enough to tell of either.
[[nodiscard]] std::optional<runtime::Message> too_many_pixels(std::span<const std::uint8_t> bytes);

// Throws runtime::Error, naming `source`, for a picture too_many_pixels() refuses.
void refuse_oversized(std::span<const std::uint8_t> bytes, const std::string& source);

}  // namespace orbskin::picture
