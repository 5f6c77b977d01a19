// Picture conversion: each picture is read whole, then converted from its pixel data on.
#include "skin/pixels.h"

#include <cassert>

namespace orbskin::skin {

void convert_pixels(std::span<const std::uint8_t> bgr, std::span<std::uint8_t> out) {
    assert(bgr.size() % kBytesPerInputPixel == 0);
    assert(out.size() == bgr.size() / kBytesPerInputPixel * kBytesPerSkinPixel);
    const std::uint8_t* in = bgr.data();
    std::uint8_t* to = out.data();
    for (std::size_t n = bgr.size() / kBytesPerInputPixel; n != 0; --n) {
        const std::uint16_t value = bgr555(in[0], in[1], in[2]);
        to[0] = static_cast<std::uint8_t>(value & 0xFF);
        to[1] = static_cast<std::uint8_t>(value >> 8);
        in += kBytesPerInputPixel;
        to += kBytesPerSkinPixel;
    }
}

}  // namespace orbskin::skin
