// PNG files made byte by byte: parts with their checksums, and image data in stored (uncompressed)
// deflate blocks, so that what a reader gets is plain to see.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace orbskin::test::png {

using Bytes = std::vector<std::uint8_t>;

inline void put_be(Bytes& to, std::uint32_t value) {  // most significant byte first
    for (int shift = 24; shift >= 0; shift -= 8)
        to.push_back(std::uint8_t(value >> shift));
}

inline std::uint32_t crc(std::span<const std::uint8_t> bytes) {
    std::uint32_t c = 0xFFFFFFFF;
    for (const std::uint8_t b : bytes) {
        c ^= b;
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? 0xEDB88320 ^ (c >> 1) : c >> 1;
    }
    return ~c;
}

inline Bytes chunk(std::string_view type, const Bytes& data) {
    Bytes typed(type.begin(), type.end()), part;
    typed.insert(typed.end(), data.begin(), data.end());
    put_be(part, std::uint32_t(data.size()));
    part.insert(part.end(), typed.begin(), typed.end());
    put_be(part, crc(typed));
    return part;
}

inline Bytes ihdr(std::uint32_t width, std::uint32_t height, int depth, int colour,
                  int interlace = 0) {
    Bytes data;
    put_be(data, width), put_be(data, height);
    data.insert(data.end(),
                {std::uint8_t(depth), std::uint8_t(colour), 0, 0, std::uint8_t(interlace)});
    return chunk("IHDR", data);
}

// A zlib stream of one stored deflate block (of at most 65535 bytes).
inline Bytes zlib_stored(const Bytes& raw) {
    const auto n = std::uint32_t(raw.size());
    Bytes z{0x78, 0x01, 0x01};
    for (const std::uint32_t byte : {n, n >> 8, ~n, ~n >> 8})
        z.push_back(std::uint8_t(byte));
    z.insert(z.end(), raw.begin(), raw.end());
    std::uint32_t a = 1, b = 0;
    for (const std::uint8_t byte : raw)
        a = (a + byte) % 65521, b = (b + a) % 65521;
    put_be(z, b << 16 | a);
    return z;
}

inline Bytes file(const std::vector<Bytes>& chunks) {
    Bytes bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const Bytes& c : chunks)
        bytes.insert(bytes.end(), c.begin(), c.end());
    return bytes;
}

// A whole file: header, the chunks given, the rows (each with its filter byte) and the end.
inline Bytes image(const Bytes& header, std::vector<Bytes> before, const Bytes& rows) {
    before.insert(before.begin(), header);
    before.push_back(chunk("IDAT", zlib_stored(rows)));
    before.push_back(chunk("IEND", {}));
    return file(before);
}

}  // namespace orbskin::test::png
