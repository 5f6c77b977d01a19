// Where a zlib stream ends, found by walking its deflate blocks without inflating them. An
// inflater that refuses bytes after the end of a stream (WebKit's) is handed only the stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace orbskin::picture {

// The length of the zlib stream that `bytes` start with, its checksum included; nothing when the
// stream is damaged or ends past them.
[[nodiscard]] std::optional<std::size_t> zlib_stream_length(std::span<const std::uint8_t> bytes);

}  // namespace orbskin::picture
