// Each field through a bounds-checked reader: a walk that runs out of bytes says so.
#include "picture/guard.h"

#include <algorithm>

#include "picture/bitmap.h"
#include "picture/wording.h"
#include "skin/byte_order.h"

namespace orbskin::picture {

namespace {

// Where a JPEG's entropy-coded data starts (past its first SOS marker), walking the segments
// before it; nothing when the file ends first.
std::optional<std::size_t> jpeg_scan_start(std::span<const std::uint8_t> bytes) {
    const skin::FieldReader r(bytes);
    std::size_t at = 2;
    while (const auto marker = r.be(at, 2)) {
        if (*marker >> 8 != 0xFF) return bytes.size();  // not a segment: the decoder judges
        const std::uint32_t kind = *marker & 0xFF;
        if (kind == 0xFF || kind == 0x01 || (kind >= 0xD0 && kind <= 0xD7)) {
            at += kind == 0xFF ? 1 : 2;
            continue;
        }
        const auto length = r.be(at + 2, 2);
        if (!length) return std::nullopt;
        if (kind == 0xDA) return at + 2 + *length;
        at += 2 + *length;
    }
    return std::nullopt;
}

// How many scans a JPEG's walk meets, counted up to one past `most`: segments by their lengths,
// each scan's entropy-coded data up to the first 0xFF that is neither a stuffed zero nor a
// restart. Each step moves on, so the walk ends with the bytes.
std::size_t jpeg_scans(std::span<const std::uint8_t> bytes, std::size_t most) {
    const skin::FieldReader r(bytes);
    std::size_t at = 2, scans = 0;
    while (scans <= most) {
        const auto marker = r.be(at, 2);
        if (!marker || *marker >> 8 != 0xFF || (*marker & 0xFF) == 0xD9) break;
        const std::uint32_t kind = *marker & 0xFF;
        if (kind == 0xFF || kind == 0x01 || (kind >= 0xD0 && kind <= 0xD7)) {
            at += kind == 0xFF ? 1 : 2;
            continue;
        }
        const auto length = r.be(at + 2, 2);
        if (!length || *length < 2) break;
        at += 2 + *length;
        if (kind != 0xDA) continue;
        ++scans;
        for (; at < bytes.size(); at += 2) {
            at = std::size_t(std::find(bytes.begin() + std::ptrdiff_t(at), bytes.end(), 0xFF) -
                             bytes.begin());
            if (at + 1 >= bytes.size()) break;
            if (const std::uint8_t next = bytes[at + 1]; next != 0 && (next < 0xD0 || next > 0xD7))
                break;
        }
    }
    return scans;
}

// Whether a GIF's first image ends before its bytes do: its sub-blocks run to an empty one.
bool gif_first_image_whole(std::span<const std::uint8_t> bytes) {
    const skin::FieldReader r(bytes);
    const auto packed = r.le(10, 1);
    if (!packed) return false;
    std::size_t at = 13 + (*packed & 0x80 ? 3u << ((*packed & 7) + 1) : 0);
    while (const auto block = r.le(at, 1)) {
        if (*block != 0x2C && *block != 0x21) return true;  // left to the decoder to judge
        if (*block == 0x2C) {
            const auto local = r.le(at + 9, 1);
            if (!local) return false;
            at += 11 + (*local & 0x80 ? 3u << ((*local & 7) + 1) : 0);  // and the code size
        } else {
            at += 2;
        }
        std::optional<std::uint32_t> length;
        while ((length = r.le(at, 1)) && *length)
            at += 1 + *length;
        if (!length) return false;
        if (*block == 0x2C) return true;
        ++at;
    }
    return false;
}

}  // namespace

std::optional<runtime::Message> cut_short(const skin::FieldReader& file) {
    const std::span<const std::uint8_t> bytes = file.bytes();
    const char* kind = nullptr;
    if (file.starts_with("\xFF\xD8\xFF")) {
        // No end-of-image marker can occur inside the entropy-coded data, so a picture cut
        // short lacks one after its scan; bytes a camera appends past it do no harm.
        static constexpr std::uint8_t kEnd[] = {0xFF, 0xD9};
        const std::optional<std::size_t> scan = jpeg_scan_start(bytes);
        if (!scan ||
            (*scan < bytes.size() && std::search(bytes.begin() + std::ptrdiff_t(*scan), bytes.end(),
                                                 std::begin(kEnd), std::end(kEnd)) == bytes.end()))
            kind = "JPEG";
    } else if (file.starts_with("GIF8") && !gif_first_image_whole(bytes)) {
        kind = "GIF";
    } else if (file.starts_with("RIFF") && file.starts_with("WEBP", 8) &&
               file.le(4, 4).value_or(0) > bytes.size() - 8) {
        kind = "WebP";  // its RIFF header counts every byte after the first 8
    }
    if (kind) return damaged_message(kind, Message(kImageCutShort));
    return std::nullopt;
}

bool too_many_scans(const skin::FieldReader& file) {
    return file.starts_with("\xFF\xD8\xFF") &&
           jpeg_scans(file.bytes(), kMostJpegScans) > kMostJpegScans;
}

}  // namespace orbskin::picture
