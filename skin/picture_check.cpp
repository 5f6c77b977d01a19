// The header reader behind explain_picture(). Every field is read through a bounds-checked
// helper, and sizes are judged before any arithmetic is done with them.
#include "skin/picture_check.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace orbskin::skin {
namespace {

// The largest width or height worth describing; beyond it a header is taken as damaged.
constexpr std::int64_t kLargestSide = 1 << 16;

class Reader {
  public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    [[nodiscard]] bool has(std::size_t offset, std::size_t size) const {
        return offset <= bytes_.size() && size <= bytes_.size() - offset;
    }
    [[nodiscard]] std::optional<std::uint32_t> le(std::size_t offset, std::size_t size) const {
        if (!has(offset, size)) return std::nullopt;
        std::uint32_t value = 0;
        for (std::size_t i = size; i-- > 0;)
            value = value << 8 | bytes_[offset + i];
        return value;
    }
    [[nodiscard]] std::optional<std::uint32_t> be32(std::size_t offset) const {
        if (!has(offset, 4)) return std::nullopt;
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i)
            value = value << 8 | bytes_[offset + i];
        return value;
    }
    [[nodiscard]] bool starts_with(std::string_view magic, std::size_t offset = 0) const {
        if (!has(offset, magic.size())) return false;
        for (std::size_t i = 0; i < magic.size(); ++i)
            if (bytes_[offset + i] != static_cast<std::uint8_t>(magic[i])) return false;
        return true;
    }

  private:
    std::span<const std::uint8_t> bytes_;
};

std::string size_text(std::int64_t width, std::int64_t height) {
    return std::to_string(width) + "×" + std::to_string(height);
}

std::string picture_size(const Picture& picture) {
    return size_text(static_cast<std::int64_t>(picture.width),
                     static_cast<std::int64_t>(picture.height));
}

std::optional<PictureVerdict> other_format(const Reader& r) {
    if (r.starts_with("\x89PNG\r\n\x1a\n")) {
        const auto width = r.be32(16), height = r.be32(20);
        std::string found = "PNG file";
        if (width && height && r.starts_with("IHDR", 12))
            found += " of " + size_text(*width, *height);
        return PictureVerdict{found + ", not BMP", "the picture must be a 24-bit BMP"};
    }
    struct Magic {
        std::string_view bytes;
        std::string_view name;
    };
    constexpr std::array<Magic, 6> kMagics{{{"\xFF\xD8\xFF", "JPEG"},
                                            {"GIF87a", "GIF"},
                                            {"GIF89a", "GIF"},
                                            {std::string_view("II*\0", 4), "TIFF"},
                                            {std::string_view("MM\0*", 4), "TIFF"},
                                            {"RIFF", "RIFF (WebP or other)"}}};
    for (const Magic& magic : kMagics) {
        if (r.starts_with(magic.bytes)) {
            return PictureVerdict{std::string(magic.name) + " file, not BMP",
                                  "the picture must be a 24-bit BMP"};
        }
    }
    if (!r.starts_with("BM")) {
        return PictureVerdict{"not a BMP file (it does not start with \"BM\")",
                              "the picture must be a 24-bit BMP"};
    }
    return std::nullopt;
}

std::string_view compression_name(std::uint32_t compression) {
    switch (compression) {
        case 0:
            return "";
        case 1:
            return "RLE8-compressed";
        case 2:
            return "RLE4-compressed";
        case 3:
        case 6:
            return "with colour masks";
        case 4:
            return "holding a JPEG";
        case 5:
            return "holding a PNG";
        default:
            return "with an unknown compression";
    }
}

}  // namespace

PictureVerdict explain_picture(std::span<const std::uint8_t> head, std::uint64_t length,
                               const Picture& expected) {
    const Reader r(head.first(std::min(head.size(), kPictureHeadLength)));
    const auto size_note = [&] {
        return std::to_string(length) + " bytes instead of " +
               std::to_string(expected.file_length());
    };
    if (length == 0) return {"an empty file", "the picture must be a 24-bit BMP"};
    if (std::optional<PictureVerdict> verdict = other_format(r)) return *verdict;

    const auto header_size = r.le(14, 4);
    if (!header_size)
        return {"a BMP file cut short after " + std::to_string(length) + " bytes", ""};
    const bool core = *header_size == 12;
    constexpr std::array<std::uint32_t, 7> kKnownHeaders{12, 40, 52, 56, 64, 108, 124};
    if (std::find(kKnownHeaders.begin(), kKnownHeaders.end(), *header_size) == kKnownHeaders.end())
        return {"a BMP file with an unknown " + std::to_string(*header_size) + "-byte header", ""};

    // The core header has 16-bit sides; the others signed 32-bit ones, height negative top-down.
    const auto raw_width = core ? r.le(18, 2) : r.le(18, 4);
    const auto raw_height = core ? r.le(20, 2) : r.le(22, 4);
    const auto bits = core ? r.le(24, 2) : r.le(28, 2);
    const auto compression = core ? std::optional<std::uint32_t>(0) : r.le(30, 4);
    if (!raw_width || !raw_height || !bits || !compression)
        return {"a BMP file cut short after " + std::to_string(length) + " bytes", ""};

    // Both branches as int64: a plain ternary would turn the signed value back into an unsigned
    // one.
    const auto as_signed = [core](std::uint32_t raw) {
        return core ? std::int64_t{raw} : std::int64_t{static_cast<std::int32_t>(raw)};
    };
    const std::int64_t width = as_signed(*raw_width);
    const std::int64_t claimed_height = as_signed(*raw_height);
    const bool top_down = claimed_height < 0;
    const std::int64_t height = top_down ? -claimed_height : claimed_height;
    if (width <= 0 || height == 0 || width > kLargestSide || height > kLargestSide) {
        return {"a BMP file whose header claims an impossible size of " +
                    size_text(width, claimed_height),
                "the header is damaged"};
    }

    PictureVerdict verdict;
    verdict.found = std::to_string(*bits) + "-bit BMP, " + size_text(width, height) + ", " +
                    std::to_string(*header_size) + "-byte header";
    if (top_down) verdict.found += ", top-down";
    if (const std::string_view packed = compression_name(*compression); !packed.empty())
        verdict.found += ", " + std::string(packed);

    verdict.needs_scaling = width != static_cast<std::int64_t>(expected.width) ||
                            height != static_cast<std::int64_t>(expected.height);
    if (verdict.needs_scaling) {
        verdict.found = std::to_string(*bits) + "-bit BMP of " + size_text(width, height);
        verdict.cause = "the picture must be " + picture_size(expected);
    } else if (*bits != 24) {
        verdict.cause = "the picture must be 24-bit";
    } else if (*compression != 0) {
        verdict.cause = "the picture must be uncompressed";
    } else if (*header_size != 40) {
        verdict.cause = "the header must be the plain 40-byte one";
    } else if (length > expected.file_length()) {
        verdict.cause = std::to_string(length - expected.file_length()) +
                        " extra bytes after the pixels (" + size_note() + ")";
    } else {
        verdict.cause = "the file is cut short (" + size_note() + ")";
    }
    return verdict;
}

}  // namespace orbskin::skin
