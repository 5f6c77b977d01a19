// A picture's 24-bit pixel data to the skin's 16-bit values, stored low byte first.
#include "skin/pixels.h"

#include <cassert>

#include "skin/byte_order.h"
#include "skin/layout.h"

namespace orbskin::skin {

void convert_pixels(std::span<const std::uint8_t> bgr, std::span<std::uint8_t> out) {
    assert(bgr.size() % kBytesPerInputPixel == 0);
    assert(out.size() == bgr.size() / kBytesPerInputPixel * kBytesPerSkinPixel);
    const std::uint8_t* in = bgr.data();
    std::uint8_t* to = out.data();
    for (std::size_t n = bgr.size() / kBytesPerInputPixel; n != 0; --n) {
        write_le(std::span(to, kBytesPerSkinPixel), bgr555(in[0], in[1], in[2]));
        in += kBytesPerInputPixel;
        to += kBytesPerSkinPixel;
    }
}

}  // namespace orbskin::skin
