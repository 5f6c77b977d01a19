// Little- and big-endian fields read from and written to byte buffers, one byte at a time, so that
// no struct is ever laid over file bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace orbskin::skin {

// The value of up to four bytes, least significant first.
[[nodiscard]] constexpr std::uint32_t read_le(std::span<const std::uint8_t> bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;)
        value = value << 8 | bytes[i];
    return value;
}

// The value of up to four bytes, most significant first, as PNG and JPEG store it.
[[nodiscard]] constexpr std::uint32_t read_be(std::span<const std::uint8_t> bytes) {
    std::uint32_t value = 0;
    for (const std::uint8_t byte : bytes)
        value = value << 8 | byte;
    return value;
}

// Whether `bytes` hold `magic` at `offset`, as a file's signature; false when they are too short.
[[nodiscard]] constexpr bool starts_with(std::span<const std::uint8_t> bytes,
                                         std::string_view magic, std::size_t offset = 0) {
    if (offset > bytes.size() || magic.size() > bytes.size() - offset) return false;
    for (std::size_t i = 0; i < magic.size(); ++i)
        if (bytes[offset + i] != static_cast<std::uint8_t>(magic[i])) return false;
    return true;
}

// Stores `value` in bytes.size() bytes, least significant first.
constexpr void write_le(std::span<std::uint8_t> bytes, std::uint32_t value) {
    for (std::uint8_t& byte : bytes) {
        byte = static_cast<std::uint8_t>(value);
        value >>= 8;
    }
}

// A file's fields, each read only where it lies wholly within the bytes, and nothing otherwise:
// the one way a header is read, so that no field is ever taken from past the end.
class FieldReader {
  public:
    constexpr explicit FieldReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    [[nodiscard]] constexpr bool has(std::size_t offset, std::size_t size) const {
        return offset <= bytes_.size() && size <= bytes_.size() - offset;
    }
    // Up to four bytes, least significant first.
    [[nodiscard]] constexpr std::optional<std::uint32_t> le(std::size_t offset,
                                                            std::size_t size) const {
        if (!has(offset, size)) return std::nullopt;
        return read_le(bytes_.subspan(offset, size));
    }
    // Up to four bytes, most significant first.
    [[nodiscard]] constexpr std::optional<std::uint32_t> be(std::size_t offset,
                                                            std::size_t size) const {
        if (!has(offset, size)) return std::nullopt;
        return read_be(bytes_.subspan(offset, size));
    }
    [[nodiscard]] constexpr bool starts_with(std::string_view magic, std::size_t offset = 0) const {
        return skin::starts_with(bytes_, magic, offset);
    }
    [[nodiscard]] constexpr std::span<const std::uint8_t> bytes() const { return bytes_; }

  private:
    std::span<const std::uint8_t> bytes_;
};

}  // namespace orbskin::skin
