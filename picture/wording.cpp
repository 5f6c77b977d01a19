#include "picture/wording.h"

#include <algorithm>

#include "runtime/error.h"
#include "skin/layout.h"

namespace orbskin::picture {

std::string unreadable_picture_text(const std::string& source, const std::string& why) {
    return "cannot read " + runtime::quoted(source) + " as a picture: " + why;
}

std::string damaged_cause(std::string_view kind, const std::string& why) {
    return "it is a damaged " + std::string(kind) + " file: " + why;
}

std::string claims_too_many_pixels(std::int64_t width, std::int64_t height) {
    return "it claims " + skin::size_text(width, height) + " pixels, far too large for a skin";
}

std::string unknown_format_cause(std::span<const std::uint8_t> head) {
    std::span<const std::uint8_t> first = head.first(std::min<std::size_t>(head.size(), 8));
    // A line of text is shown up to its end.
    const auto line_end = std::find_if(first.begin(), first.end(),
                                       [](std::uint8_t b) { return b == '\n' || b == '\r'; });
    if (line_end != first.begin()) first = first.first(std::size_t(line_end - first.begin()));
    const bool text = std::all_of(first.begin(), first.end(), [](std::uint8_t b) {
        return b >= 0x20 && b < 0x7F && b != '"' && b != '\\';
    });
    std::string shown = text ? "\"" : "";
    for (const std::uint8_t b : first) {
        if (text) {
            shown += char(b);
            continue;
        }
        constexpr char kHex[] = "0123456789ABCDEF";
        if (shown.size()) shown += ' ';
        shown += {kHex[b >> 4], kHex[b & 15]};
    }
    return "it is not a picture this program knows (it starts with " + shown + (text ? "\")" : ")");
}

std::string too_large_text(const std::string& subject, std::uint64_t length) {
    return subject + " is " + std::to_string(length >> 20) +
           " MB, too large to be a picture for a skin";
}

std::string other_size_text(const std::string& source, std::int64_t width, std::int64_t height,
                            std::string_view picture, std::int64_t picture_width,
                            std::int64_t picture_height) {
    return runtime::quoted(source) + " is " + skin::size_text(width, height) + ", but " +
           std::string(picture) + " must be " + skin::size_text(picture_width, picture_height);
}

std::string no_whole_factor_text(const std::string& source, std::int64_t width, std::int64_t height,
                                 std::string_view picture, std::int64_t picture_width,
                                 std::int64_t picture_height) {
    return runtime::quoted(source) + " is " + skin::size_text(width, height) + ", and " +
           std::string(picture) + "'s " + skin::size_text(picture_width, picture_height) +
           " is not a whole multiple or fraction of it by one factor, which --pixel-art needs";
}

}  // namespace orbskin::picture
