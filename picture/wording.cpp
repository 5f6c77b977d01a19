#include "picture/wording.h"

#include <algorithm>

#include "picture/bitmap.h"
#include "picture/colour_profile.h"
#include "runtime/error.h"
#include "skin/layout.h"

namespace orbskin::picture {

Message unreadable_picture_message(const std::string& source, const Message& why) {
    return Message("cannot read {file} as a picture: {cause}",
                   {{"file", runtime::quoted(source)}, {"cause", why}});
}

std::string unreadable_picture_text(const std::string& source, const std::string& why) {
    return unreadable_picture_message(source, Message::as_is(why)).text();
}

Message damaged_message(std::string_view kind, const Message& why) {
    return Message("it is a damaged {kind} file: {cause}",
                   {{"kind", std::string(kind)}, {"cause", why}});
}

Message unreadable_kind_message(std::string_view kind) {
    return Message("it is a damaged {kind} file, or a kind of {kind} this program does not read",
                   {{"kind", std::string(kind)}});
}

Message no_decoder_message(std::string_view kind) {
    return Message(
        "this system has no decoder for {kind} pictures, though the file may well be good; "
        "save it again as PNG, or add a {kind} decoder to the system",
        {{"kind", std::string(kind)}});
}

Message claims_too_many_pixels(std::int64_t width, std::int64_t height) {
    return Message("it claims {size} pixels, far too large for a skin",
                   {{"size", skin::size_text(width, height)}});
}

Message too_many_scans_message() {
    return Message(
        "it is a JPEG of more than {scans} scans, which no camera writes; save it again as an "
        "ordinary JPEG or as PNG",
        {{"scans", runtime::Number(kMostJpegScans)}});
}

Message too_large_message(const runtime::Quoted& subject, std::uint64_t length) {
    return Message("{file} is {megabytes} MB, too large to be a picture for a skin",
                   {{"file", subject}, {"megabytes", runtime::Number(length >> 20)}});
}

Message unknown_format_cause(std::span<const std::uint8_t> head) {
    std::span<const std::uint8_t> first = head.first(std::min<std::size_t>(head.size(), 8));
    // A line of text is shown up to its end.
    const auto line_end = std::find_if(first.begin(), first.end(),
                                       [](std::uint8_t b) { return b == '\n' || b == '\r'; });
    if (line_end != first.begin()) first = first.first(std::size_t(line_end - first.begin()));
    const bool text = std::all_of(first.begin(), first.end(), [](std::uint8_t b) {
        return b >= 0x20 && b < 0x7F && b != '"' && b != '\\';
    });
    std::string shown;
    for (const std::uint8_t b : first) {
        if (text) {
            shown += char(b);
            continue;
        }
        constexpr char kHex[] = "0123456789ABCDEF";
        if (!shown.empty()) shown += ' ';
        shown += {kHex[b >> 4], kHex[b & 15]};
    }
    // Text in the language's quotes; bytes as they are.
    const runtime::Arg start =
        text ? runtime::Arg("start", runtime::Quoted{shown}) : runtime::Arg("start", shown);
    return Message("it is not a picture this program knows (it starts with {start})", {start});
}

Message other_size_message(const std::string& source, std::int64_t width, std::int64_t height,
                           std::string_view picture, std::int64_t picture_width,
                           std::int64_t picture_height) {
    return Message("{file} is {size}, but {picture} must be {wanted}",
                   {{"file", runtime::quoted(source)},
                    {"size", skin::size_text(width, height)},
                    {"picture", std::string(picture)},
                    {"wanted", skin::size_text(picture_width, picture_height)}});
}

Message no_whole_factor_message(const std::string& source, std::int64_t width, std::int64_t height,
                                std::string_view picture, std::int64_t picture_width,
                                std::int64_t picture_height) {
    return Message(
        "{file} is {size}, and {picture}'s {wanted} is not a whole multiple or fraction of it by "
        "one factor, which --pixel-art needs",
        {{"file", runtime::quoted(source)},
         {"size", skin::size_text(width, height)},
         {"picture", std::string(picture)},
         {"wanted", skin::size_text(picture_width, picture_height)}});
}

Message foreign_profile_message(const std::string& source, const std::string& profile) {
    // The skin holds the numbers, not what a colour-managed viewer makes of them.
    const runtime::Arg file("file", runtime::quoted(source));
    if (profile.empty())
        return Message(
            "{file} carries a colour profile of its own; the skin takes its numbers as they are, "
            "so its colours will look different from a colour-managed viewer. To keep them, "
            "convert it to sRGB first (in GIMP: Image, Color Management, Convert to Color Profile) "
            "and import that.",
            {file});
    return Message(
        "{file} carries the colour profile \"{profile}\"; the skin takes its numbers as they are, "
        "so its colours will look different from a colour-managed viewer. To keep them, convert it "
        "to sRGB first (in GIMP: Image, Color Management, Convert to Color Profile) and import "
        "that.",
        {file, {"profile", profile}});
}

Message foreign_gamma_message(const std::string& source, std::uint32_t gamma) {
    // 100000 is "1.0", 45000 "0.45": five decimals, as stored, with no zeros after the last.
    runtime::Number said(gamma, 5);
    for (; said.decimals > 1 && said.value % 10 == 0; --said.decimals)
        said.value /= 10;
    const std::vector<runtime::Arg> args{{"file", runtime::quoted(source)},
                                         {"gamma", said},
                                         {"srgb", runtime::Number(kSrgbGamma, 5)}};
    // A viewer raises the numbers to 1/(2.2 × gamma): above sRGB's, they come out brighter.
    return gamma > kSrgbGamma
               ? Message(
                     "{file} says its gamma is {gamma}, not sRGB's {srgb}, so other viewers "
                     "show it brighter than the skin will, which takes its numbers as they "
                     "are. To keep its look, save it again in sRGB from the program that made "
                     "it and import that.",
                     args)
               : Message(
                     "{file} says its gamma is {gamma}, not sRGB's {srgb}, so other viewers "
                     "show it darker than the skin will, which takes its numbers as they "
                     "are. To keep its look, save it again in sRGB from the program that made "
                     "it and import that.",
                     args);
}

}  // namespace orbskin::picture
