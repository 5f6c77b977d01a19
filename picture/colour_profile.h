// The colour profile a picture file carries. A skin takes a picture's numbers as they are, so a
// picture made for another colour space (Adobe RGB, Display P3...) looks different on the
// handheld from what a colour-managed viewer shows: the user is told, and how to convert it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "skin/byte_order.h"

namespace orbskin::picture {

// Where a file keeps its profile: nowhere (or it says sRGB), as ICC bytes, or as a zlib stream
// of them (PNG's iCCP), which the front end inflates with its own inflater.
// A PNG may instead say only its gamma (gAMA), which viewers follow as they follow a profile.
struct ProfilePlace {
    enum class Kind { none, icc, deflated } kind = Kind::none;
    std::span<const std::uint8_t> bytes;
    // A PNG's gamma times 100000, where it is not sRGB's and no profile or sRGB part says
    // otherwise; 0 for none.
    std::uint32_t gamma = 0;
};

// sRGB's gamma as gAMA stores it (1/2.2 times 100000), and how far from it a file may be for a
// viewer to show it as the skin does: encoders round it, and 0.45 is common.
inline constexpr std::uint32_t kSrgbGamma = 45455, kGammaTolerance = 1000;

// The profile of a PNG (iCCP, unless sRGB says otherwise), JPEG (APP2), TIFF (tag 34675), WebP
// (ICCP) or BMP (version 5, embedded), found in `head`, where these formats keep it before the
// image data.
[[nodiscard]] ProfilePlace profile_place(const skin::FieldReader& head);

// The name an ICC profile gives itself, where it is not sRGB; nothing for sRGB; "" for a profile
// whose name cannot be read.
[[nodiscard]] std::optional<std::string> foreign_profile_name(std::span<const std::uint8_t> icc);

// Inflates a zlib stream whole, up to a limit; nothing when it does not inflate.
using ProfileInflater =
    std::function<std::optional<std::vector<std::uint8_t>>(std::span<const std::uint8_t>)>;

// The foreign profile that lies at `place`, if any, inflated where it is deflated.
[[nodiscard]] std::optional<std::string> foreign_profile(const ProfilePlace& place,
                                                         const ProfileInflater& inflate);

}  // namespace orbskin::picture
