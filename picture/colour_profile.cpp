// Every field is read through part(), which gives nothing for bytes the head does not hold: a
// profile cut short or damaged is no profile rather than a wrong one.
#include "picture/colour_profile.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "picture/bitmap.h"
#include "skin/byte_order.h"

namespace orbskin::picture {
namespace {

using Bytes = std::span<const std::uint8_t>;
using Kind = ProfilePlace::Kind;

Bytes part(Bytes b, std::uint64_t at, std::uint64_t count) {
    if (at > b.size() || count > b.size() - at) return {};
    return b.subspan(std::size_t(at), std::size_t(count));
}

std::optional<std::uint32_t> field(Bytes b, std::uint64_t at, std::size_t size, bool big) {
    if (at > b.size()) return std::nullopt;
    const skin::FieldReader r(b);
    return big ? r.be(std::size_t(at), size) : r.le(std::size_t(at), size);
}

std::string_view text(Bytes b) {
    return {reinterpret_cast<const char*>(b.data()), b.size()};
}

ProfilePlace found(Kind kind, Bytes bytes) {
    return bytes.empty() ? ProfilePlace{} : ProfilePlace{kind, bytes};
}

// Chunks up to the image data; sRGB, wherever it stands, says the numbers are sRGB's.
ProfilePlace png_place(Bytes b) {
    ProfilePlace place;
    std::uint64_t at = 8;
    while (const auto length = field(b, at, 4, true)) {
        const std::string_view type = text(part(b, at + 4, 4));
        if (type == "IDAT" || type == "IEND" || type.empty()) break;
        if (type == "sRGB") return {};
        const Bytes data = part(b, at + 8, *length);
        // iCCP: a name of 1 to 79 letters, a zero, the compression method, then the stream.
        const auto end = std::find(data.begin(), data.end(), std::uint8_t{0});
        if (type == "iCCP" && data.end() - end > 2)
            place = found(Kind::deflated, data.subspan(std::size_t(end - data.begin()) + 2));
        if (const auto gamma = field(data, 0, 4, true); type == "gAMA" && gamma && *gamma)
            place.gamma = *gamma;
        at += 12 + std::uint64_t{*length};
    }
    // A profile rules over the gamma; one near sRGB's is sRGB's.
    const std::uint32_t off =
        place.gamma > kSrgbGamma ? place.gamma - kSrgbGamma : kSrgbGamma - place.gamma;
    if (place.kind != Kind::none || off <= kGammaTolerance) place.gamma = 0;
    return place;
}

// Segments up to the scan; the profile's first APP2 "ICC_PROFILE" piece holds its name.
ProfilePlace jpeg_place(Bytes b) {
    std::uint64_t at = 2;
    while (field(b, at, 1, true) == 0xFFu) {
        const auto marker = field(b, at + 1, 1, true), length = field(b, at + 2, 2, true);
        if (!marker || !length || *marker == 0xDA || *marker == 0xD9) break;
        const Bytes data = part(b, at + 4, *length >= 2 ? *length - 2 : 0);
        if (*marker == 0xE2 && skin::starts_with(data, std::string_view("ICC_PROFILE\0", 12)))
            return found(Kind::icc, data.subspan(std::min<std::size_t>(14, data.size())));
        at += 2 + std::uint64_t{*length};
    }
    return {};
}

ProfilePlace tiff_place(Bytes b) {
    const bool big = skin::starts_with(b, "MM");
    const auto directory = field(b, 4, 4, big);
    const auto count = directory ? field(b, *directory, 2, big) : std::nullopt;
    for (std::uint32_t n = 0; count && n < *count && n < 1000; ++n) {
        const std::uint64_t entry = *directory + 2 + 12 * std::uint64_t{n};
        const auto tag = field(b, entry, 2, big), size = field(b, entry + 4, 4, big),
                   at = field(b, entry + 8, 4, big);
        if (!tag || !size || !at) break;
        if (*tag == 34675) return found(Kind::icc, part(b, *at, *size));
    }
    return {};
}

ProfilePlace webp_place(Bytes b) {
    std::uint64_t at = 12;
    while (const auto size = field(b, at + 4, 4, false)) {
        if (text(part(b, at, 4)) == "ICCP") return found(Kind::icc, part(b, at + 8, *size));
        at += 8 + std::uint64_t{*size} + (*size & 1);
    }
    return {};
}

// A version 5 header that says its profile is embedded ("MBED"), where it says.
ProfilePlace bmp_place(Bytes b) {
    if (field(b, 14, 4, false) != 124u || text(part(b, 70, 4)) != "DEBM") return {};
    const auto at = field(b, 14 + 112, 4, false), size = field(b, 14 + 116, 4, false);
    return at && size ? found(Kind::icc, part(b, 14 + std::uint64_t{*at}, *size)) : ProfilePlace{};
}

// UTF-16 (big-endian, as ICC stores it) to UTF-8, for the letters of a name.
std::string from_utf16(Bytes b) {
    std::string out;
    for (std::size_t i = 0; i + 1 < b.size(); i += 2) {
        const unsigned c = unsigned(b[i]) << 8 | b[i + 1];
        if (c == 0) break;
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | c >> 6), out += char(0x80 | (c & 0x3F));
        } else if (c < 0xD800 || c > 0xDFFF) {
            out += char(0xE0 | c >> 12), out += char(0x80 | (c >> 6 & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// The text of a profile's description tag: "desc" (version 2) or "mluc" (version 4).
std::string description(Bytes icc) {
    const auto count = field(icc, 128, 4, true);
    for (std::uint32_t n = 0; count && n < *count && n < 200; ++n) {
        const std::uint64_t entry = 132 + 12 * std::uint64_t{n};
        const auto at = field(icc, entry + 4, 4, true), size = field(icc, entry + 8, 4, true);
        if (!at || !size) break;
        if (text(part(icc, entry, 4)) != "desc") continue;
        const Bytes tag = part(icc, *at, *size);
        if (text(part(tag, 0, 4)) == "desc") {
            const auto length = field(tag, 8, 4, true);
            const std::string_view name = text(part(tag, 12, length.value_or(0)));
            return std::string(name.substr(0, name.find('\0')));
        }
        const auto length = field(tag, 20, 4, true), from = field(tag, 24, 4, true);
        if (text(part(tag, 0, 4)) == "mluc" && length && from)
            return from_utf16(part(tag, *from, *length));
    }
    return {};
}

bool is_srgb(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    // sRGB as a word of its own ("esRGB" and "scRGB" are other spaces), or the grey of sRGB
    // ("sGray"); "c2" is a tiny sRGB profile many photo sites embed; a linear sRGB has other
    // numbers.
    const auto word = [&](std::string_view what) {
        for (std::size_t at = name.find(what); at != std::string::npos;
             at = name.find(what, at + 1))
            if (at == 0 || name[at - 1] < 'a' || name[at - 1] > 'z')
                return true;  // the name is in lower case
        return false;
    };
    return ((word("srgb") || word("sgray") || word("sgrey")) &&
            name.find("linear") == std::string::npos) ||
           name == "c2" || name == "c2ci";
}

}  // namespace

ProfilePlace profile_place(const skin::FieldReader& file) {
    const Bytes head = file.bytes();
    if (file.starts_with(kPngSignature)) return png_place(head);
    if (file.starts_with("\xFF\xD8")) return jpeg_place(head);
    if (file.starts_with(std::string_view("II*\0", 4)) ||
        file.starts_with(std::string_view("MM\0*", 4)))
        return tiff_place(head);
    if (file.starts_with("RIFF") && file.starts_with("WEBP", 8)) return webp_place(head);
    if (file.starts_with("BM")) return bmp_place(head);
    return {};
}

std::optional<std::string> foreign_profile_name(std::span<const std::uint8_t> icc) {
    if (!skin::FieldReader(icc).starts_with("acsp", 36)) return "";
    std::string name = description(icc);
    if (is_srgb(name)) return std::nullopt;
    return name;
}

std::optional<std::string> foreign_profile(const ProfilePlace& place,
                                           const ProfileInflater& inflate) {
    if (place.kind == Kind::icc) return foreign_profile_name(place.bytes);
    if (place.kind == Kind::none) return std::nullopt;
    const std::optional<std::vector<std::uint8_t>> icc = inflate(place.bytes);
    return icc ? foreign_profile_name(*icc) : std::nullopt;
}

}  // namespace orbskin::picture
