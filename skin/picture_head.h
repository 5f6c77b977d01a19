// What a picture file's first bytes say: its format, the size it claims and whether it holds at
// most 256 colours, read without decoding and without trusting any field.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "skin/byte_order.h"

namespace orbskin::skin {

// A picture format by the bytes its files start with.
struct PictureFormat {
    std::string_view name;
    std::string_view magic;
    std::size_t offset = 0;  // where the magic bytes lie
};

// The formats import reads, in the order advice names them.
inline constexpr std::array<PictureFormat, 8> kImportFormats{{
    {"PNG", kPngSignature},
    {"JPEG", "\xFF\xD8\xFF"},
    {"GIF", "GIF87a"},
    {"GIF", "GIF89a"},
    {"TIFF", std::string_view("II*\0", 4)},
    {"TIFF", std::string_view("MM\0*", 4)},
    {"WebP", "WEBP", 8},
    {"BMP", "BM"},
}};

// Their names for advice: "PNG, JPEG, GIF, TIFF, WebP or BMP".
[[nodiscard]] std::string import_formats_text();

// Formats import does not read, each with the one conversion that works.
struct ForeignFormat {
    std::string_view name;  // "HEIC photo"
    std::string_view magic;
    std::size_t offset = 0;
    std::string_view advice;  // "export it as JPEG or PNG"
    std::string_view article = "a";
};

// The foreign format the bytes start as; nothing when they are none of them.
[[nodiscard]] const ForeignFormat* foreign_format(std::span<const std::uint8_t> head);

struct Size {
    std::int64_t width = 0, height = 0;
};

// The size a PNG, JPEG, GIF, TIFF, WebP or BMP file's header claims, read before any decoding;
// nothing when the header does not say. A JPEG's size may lie beyond a camera's EXIF block: give
// kPictureHeadLength bytes.
[[nodiscard]] std::optional<Size> claimed_size(std::span<const std::uint8_t> bytes);

// Whether the header says the picture holds at most 256 colours: a palette PNG, GIF or BMP, or
// a grey PNG of 8 bits or fewer.
[[nodiscard]] bool few_colours(std::span<const std::uint8_t> bytes);

}  // namespace orbskin::skin
