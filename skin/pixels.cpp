// A picture's 24-bit pixel data to the skin's 16-bit values, stored low byte first.
#include "skin/pixels.h"

#include <array>
#include <cassert>

#include "skin/byte_order.h"
#include "skin/layout.h"

namespace orbskin::skin {

namespace {

// Each channel's share of bgr555(), looked up: a third faster than shifting, on a path that is
// most of a pack's own work.
constexpr auto kShares = [] {
    std::array<std::array<std::uint16_t, 256>, 3> shares{};
    for (unsigned v = 0; v < 256; ++v) {
        const auto level = static_cast<std::uint8_t>(v);
        shares[0][v] = bgr555(level, 0, 0);
        shares[1][v] = bgr555(0, level, 0);
        shares[2][v] = bgr555(0, 0, level);
    }
    return shares;
}();

}  // namespace

void convert_pixels(std::span<const std::uint8_t> bgr, std::span<std::uint8_t> out) {
    assert(bgr.size() % kBytesPerInputPixel == 0);
    assert(out.size() == bgr.size() / kBytesPerInputPixel * kBytesPerSkinPixel);
    const std::uint8_t* in = bgr.data();
    std::uint8_t* to = out.data();
    for (std::size_t n = bgr.size() / kBytesPerInputPixel; n != 0; --n) {
        const auto value =
            static_cast<std::uint16_t>(kShares[0][in[0]] | kShares[1][in[1]] | kShares[2][in[2]]);
        write_le(std::span(to, kBytesPerSkinPixel), value);
        in += kBytesPerInputPixel;
        to += kBytesPerSkinPixel;
    }
}

}  // namespace orbskin::skin
