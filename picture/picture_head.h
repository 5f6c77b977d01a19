// What a picture file's first bytes say, read once into one record (PictureHead) without
// decoding and without trusting any field: its format and reader, the size it claims, its
// orientation and colour profile, and what is refused before any decoder sees it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "picture/bitmap.h"
#include "picture/colour_profile.h"
#include "runtime/message.h"
#include "skin/byte_order.h"

namespace orbskin::picture {

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

// The foreign format whose files are saved with `extension` (".psd", lower case); nothing for
// any other.
[[nodiscard]] const ForeignFormat* foreign_format_saved_as(std::string_view extension);

struct Size {
    std::int64_t width = 0, height = 0;
};

// Where the EXIF orientation value lies: in a JPEG's APP1 "Exif" block, a PNG's eXIf part before
// its image data, or a TIFF's first directory; `at` is 0 where the file records none.
struct OrientationTag {
    std::size_t at = 0;
    bool little = false;  // the value is little-endian
};
[[nodiscard]] OrientationTag orientation_tag(std::span<const std::uint8_t> bytes);

// Where the first frame of a GIF or an animated WebP lies on its screen (the WebP's canvas).
struct FirstFrame {
    int screen_width, screen_height, left, top, width, height;
};

// Which reader decodes a file: one of ours, the same on every front end, or the platform's, for
// the formats only it reads (JPEG, GIF, WebP and what else it knows).
enum class Reader { bmp, tga, png, tiff, platform };

// All that a picture file's first bytes say, read once: every guard, explanation and refusal
// reads this record rather than the bytes. Nothing in it trusts a field: a head cut short says
// nothing rather than something wrong.
struct PictureHead {
    const PictureFormat* format = nullptr;   // a format import reads
    std::string_view netpbm;                 // "PPM picture"…, which a platform may read
    const ForeignFormat* foreign = nullptr;  // a format import does not read
    bool svg = false;                        // an SVG drawing
    Reader reader = Reader::platform;
    // The size the header claims, as stored, and as shown (turned by the EXIF orientation). A
    // JPEG's may lie beyond a camera's EXIF block: give kPictureHeadLength bytes. Netpbm, PCX,
    // icon and PSD sizes too, for check to name.
    std::optional<Size> stored, shown;
    int orientation = 1;  // the EXIF orientation, 1 to 8
    bool few_colours =
        false;                // at most 256 colours: palette PNG, GIF or BMP, grey PNG of <= 8 bits
    bool lossy = false;       // a JPEG or a lossy WebP: a photo
    bool arithmetic = false;  // a JPEG of arithmetic coding, which some browsers cannot decode
    // A TIFF's or JPEG's size that lies past the bytes given (a directory at the end, a frame
    // header after long EXIF blocks): only the whole file tells it.
    bool size_lies_past = false;
    std::optional<FirstFrame> gif_frame;  // a GIF's first frame, where its screen has an area
    ProfilePlace profile;                 // where its colour profile lies, if it is not sRGB
    // Why a file is refused before it is decoded, each where it applies: no bytes; a format
    // import does not read, with the one conversion that works; more pixels than any decoder
    // here allocates, or more JPEG scans than any camera writes; a JPEG, GIF or WebP whose image
    // data ends before the picture does (judged only where the bytes are the whole file).
    std::optional<runtime::Message> empty, foreign_refusal, oversized, cut_short;
    // Why bytes in no format we know are refused, where a platform cannot read them either.
    std::optional<runtime::Message> unknown;

    // The first of the refusals above that applies.
    [[nodiscard]] std::optional<runtime::Message> refusal() const;
};

// The record of `bytes`, the first of a file of `length` bytes (all of it when left out).
[[nodiscard]] PictureHead read_head(std::span<const std::uint8_t> bytes,
                                    std::optional<std::uint64_t> length = std::nullopt);

}  // namespace orbskin::picture
