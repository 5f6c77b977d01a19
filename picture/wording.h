// The words of every refusal of a picture, on every platform and in the page, worded once here:
// each as a message, said in the user's language, and as its English text.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "runtime/message.h"

namespace orbskin::picture {

using runtime::Message;

// "cannot read SOURCE as a picture: WHY", the one wording of every decoder's refusal.
[[nodiscard]] Message unreadable_picture_message(const std::string& source, const Message& why);
[[nodiscard]] std::string unreadable_picture_text(const std::string& source,
                                                  const std::string& why);

// The cause of a refusal of a damaged file: "it is a damaged KIND file: WHY".
[[nodiscard]] Message damaged_message(std::string_view kind, const Message& why);
// For a file of `kind` that the system reads with no decoder of its own ("WebP" under wine).
[[nodiscard]] Message no_decoder_message(std::string_view kind);

// The cause of a refusal of a file of a known format that the platform's decoder cannot read: in
// our words, the same on every platform, as the decoders' own differ.
[[nodiscard]] Message unreadable_kind_message(std::string_view kind);

// The cause of a refusal where the platform's decoder gives no more than that.
inline constexpr const char* kDamaged = runtime::N_("the file is damaged").data();

// The cause of a refusal of a file that decodes to no pixels at all, such as a GIF of no colours.
inline constexpr const char* kNoPixels = runtime::N_("it holds no picture").data();
inline constexpr const char* kImageCutShort = runtime::N_("its image data is cut short").data();

// The cause of a refusal of a file of no bytes.
inline constexpr const char* kEmptyFile = runtime::N_("it is empty").data();

// The cause of a refusal of a colour-mapped TGA whose pixels are 16-bit indices.
inline constexpr const char* kTgaWideIndices =
    runtime::N_(
        "it is a TGA of 16-bit colour indices, which this program does not read; save it "
        "as PNG")
        .data();

// The cause of a refusal of bytes in no format we know: "it is not a picture this program knows
// (it starts with "hello")", or with the first bytes in hexadecimal when they are not text.
[[nodiscard]] Message unknown_format_cause(std::span<const std::uint8_t> head);

// The cause of a refusal of a picture with more pixels than any decoder here allocates.
inline constexpr std::string_view kFarTooLarge =
    runtime::N_("the picture is far too large for a skin");

// The same, where the header's claim is known: "it claims W×H pixels, far too large for a skin".
[[nodiscard]] Message claims_too_many_pixels(std::int64_t width, std::int64_t height);

// The cause of a refusal of a JPEG of more than kMostJpegScans scans.
[[nodiscard]] Message too_many_scans_message();

// "SUBJECT is N MB, too large to be a picture for a skin", for a file above kLargestPictureFile.
[[nodiscard]] Message too_large_message(const runtime::Quoted& subject, std::uint64_t length);

// '"a.png" is 320×240, but mainnds.bmp must be 256×192'.
[[nodiscard]] Message other_size_message(const std::string& source, std::int64_t width,
                                         std::int64_t height, std::string_view picture,
                                         std::int64_t picture_width, std::int64_t picture_height);

// '"a.png" is 100×80, and mainnds.bmp's 256×192 is not a whole multiple or fraction of it by
// one factor, which --pixel-art needs'.
[[nodiscard]] Message no_whole_factor_message(const std::string& source, std::int64_t width,
                                              std::int64_t height, std::string_view picture,
                                              std::int64_t picture_width,
                                              std::int64_t picture_height);

// '"a.png" carries the colour profile "Adobe RGB (1998)"; the skin takes its numbers as they
// are…', and how to convert it to sRGB; for a profile that gives no name, "a colour profile of
// its own".
[[nodiscard]] Message foreign_profile_message(const std::string& source,
                                              const std::string& profile);

// '"a.png" says its gamma is 1.0, not sRGB's 0.45455: other viewers show it brighter…', for a
// PNG's gamma (times 100000, as gAMA stores it) that the skin's numbers do not follow.
[[nodiscard]] Message foreign_gamma_message(const std::string& source, std::uint32_t gamma);

}  // namespace orbskin::picture
