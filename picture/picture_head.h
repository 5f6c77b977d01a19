// What a picture file's first bytes say: its format, the size it claims and whether it holds at
// most 256 colours, read without decoding and without trusting any field.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "runtime/message.h"
#include "skin/byte_order.h"

namespace orbskin::picture {

// The signature every PNG file starts with.
inline constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1a\n";

// A picture format by the bytes its files start with (TGA, which has no such bytes, by its
// header), and the extensions its files are saved with, the usual one first.
struct PictureFormat {
    std::string_view name;
    std::string_view extensions;
    std::string_view magic;
    std::size_t offset = 0;  // where the magic bytes lie
};

// The formats import reads, in the order advice names them.
inline constexpr std::array<PictureFormat, 9> kImportFormats{{
    {"PNG", ".png", kPngSignature},
    {"JPEG", ".jpg .jpeg", "\xFF\xD8\xFF"},
    {"GIF", ".gif", "GIF87a"},
    {"GIF", ".gif", "GIF89a"},
    {"TIFF", ".tif .tiff", std::string_view("II*\0", 4)},
    {"TIFF", ".tif .tiff", std::string_view("MM\0*", 4)},
    {"WebP", ".webp", "WEBP", 8},
    {"TGA", ".tga", ""},
    {"BMP", ".bmp", "BM"},
}};

// Whether the bytes are an SVG drawing: XML text, after any byte-order mark and blank space, with
// an <svg element early.
[[nodiscard]] bool is_svg(std::span<const std::uint8_t> head);

// The format import reads that the bytes are in; nothing when they are in none of them.
[[nodiscard]] const PictureFormat* format_of(std::span<const std::uint8_t> head);

// The fields of a TGA file's 18-byte header (picture/tga_decoder.h lays them out).
struct TgaHeader {
    std::uint32_t id_length, map_type, type, map_first, map_length, map_bits, width, height, bits,
        descriptor;
};

// The header, when the bytes start as a TGA file of a layout import reads: colour-mapped with
// 8-bit indices into 15, 16, 24 or 32-bit colours; true colour of 15, 16, 24 or 32 bits (any
// colour map skipped); grey of 8 bits, or of 16 with alpha; raw or RLE; some pixels. The one rule
// of the sniffer and of the decoder.
[[nodiscard]] std::optional<TgaHeader> tga_header(std::span<const std::uint8_t> head);

// Whether the bytes start as a TGA file does (tga_header()).
[[nodiscard]] bool looks_like_tga(std::span<const std::uint8_t> head);

// Their names for advice: "PNG, JPEG, GIF, TIFF, WebP or BMP".
[[nodiscard]] runtime::Message import_formats_message();
[[nodiscard]] std::string import_formats_text();

// Formats import does not read, each with the one conversion that works: one table, for every
// front end's words (picture/picture_head.cpp; a format is told by its first bytes there too).
struct ForeignFormat {
    std::string_view name;       // "HEIC photo"
    std::string_view named;      // "a HEIC photo", as check names a file of it
    std::string_view extension;  // ".heic": as its files are saved, and kept in originals/
    std::string_view advice;     // "export it as JPEG or PNG"
    std::string_view article = "a";
};

// The foreign format the bytes start as; nothing when they are none of them.
[[nodiscard]] const ForeignFormat* foreign_format(std::span<const std::uint8_t> head);

// The foreign format whose files are saved with `extension` (".psd", lower case); nothing for
// any other.
[[nodiscard]] const ForeignFormat* foreign_format_saved_as(std::string_view extension);

struct Size {
    std::int64_t width = 0, height = 0;
};

// The size a PNG, JPEG, GIF, TIFF, WebP or BMP file's header claims, read before any decoding;
// nothing when the header does not say. A JPEG's size may lie beyond a camera's EXIF block: give
// kPictureHeadLength bytes.
// Netpbm (PPM, PGM, PBM), PCX, icon and PSD headers' sizes too, for check to name.
[[nodiscard]] std::optional<Size> stored_size(std::span<const std::uint8_t> bytes);

// "PPM picture", "PGM picture" or "PBM picture" for a Netpbm file, which a platform may read
// besides our formats; empty for any other.
[[nodiscard]] std::string_view netpbm_name(std::span<const std::uint8_t> head);

// The same, as the picture is shown: width and height swapped where its EXIF orientation turns it
// a quarter.
[[nodiscard]] std::optional<Size> claimed_size(std::span<const std::uint8_t> bytes);

// Whether the size of a TIFF or JPEG of `length` bytes lies past `head`, its first bytes: a TIFF's
// directory or a JPEG's frame header after long EXIF or XMP blocks. Only the whole file tells it.
[[nodiscard]] bool size_lies_past(std::span<const std::uint8_t> head, std::uint64_t length);

// Where the EXIF orientation value lies: in a JPEG's APP1 "Exif" block, a PNG's eXIf part before
// its image data, or a TIFF's first directory; `at` is 0 where the file records none.
struct OrientationTag {
    std::size_t at = 0;
    bool little = false;  // the value is little-endian
};
[[nodiscard]] OrientationTag orientation_tag(std::span<const std::uint8_t> bytes);

// The orientation (1 to 8) recorded there; 1 when there is none or it is damaged.
[[nodiscard]] int stored_orientation(std::span<const std::uint8_t> bytes);

// Whether the header says the picture holds at most 256 colours: a palette PNG, GIF or BMP, or
// a grey PNG of 8 bits or fewer.
[[nodiscard]] bool few_colours(std::span<const std::uint8_t> bytes);

}  // namespace orbskin::picture
