// The damage that only a walk of a file's parts tells, read into its head (picture_head.h) before
// it is decoded: a JPEG, GIF or WebP cut short, and a JPEG of more scans than any encoder writes.
#pragma once

#include <cstdint>
#include <optional>

#include "runtime/message.h"
#include "skin/byte_order.h"

namespace orbskin::picture {

// Files above this are not pictures of a few hundred pixels a side.
inline constexpr std::uint64_t kLargestPictureFile = 256u << 20;

// Why a JPEG, GIF or WebP whose image data ends before the picture does is refused, which
// platform readers would fill out with grey; nothing for any other. Only the whole file tells it.
[[nodiscard]] std::optional<runtime::Message> cut_short(const skin::FieldReader& file);

// Whether the bytes are a JPEG of more than kMostJpegScans scans, each of which goes over every
// pixel again.
[[nodiscard]] bool too_many_scans(const skin::FieldReader& file);

}  // namespace orbskin::picture
