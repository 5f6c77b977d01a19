// A picture's 24-bit pixel data to the skin's 16-bit values, stored low byte first.
#include "skin/pixels.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstring>

#include "skin/byte_order.h"
#include "skin/layout.h"

namespace orbskin::skin {

namespace {

// Most of a pack's own work. Where GCC builds for x86-64 Linux, a second copy of the loop, for
// processors with AVX2, converts many pixels at once; which one runs is chosen as the program
// starts.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__ELF__)
__attribute__((target_clones("avx2", "default")))
#endif
void convert_run(const std::uint8_t* in, std::uint8_t* to, std::size_t pixels) {
    for (; pixels != 0; --pixels) {
        write_le(std::span(to, kBytesPerSkinPixel), bgr555(in[0], in[1], in[2]));
        in += kBytesPerInputPixel;
        to += kBytesPerSkinPixel;
    }
}

// Pixels converted into a buffer of our own at a time, which the compiler knows lies apart from
// the picture (it converts many at once only then), and then moved to `out`.
constexpr std::size_t kRunPixels = 2048;

}  // namespace

void convert_pixels(std::span<const std::uint8_t> bgr, std::span<std::uint8_t> out) {
    assert(bgr.size() % kBytesPerInputPixel == 0);
    assert(out.size() == bgr.size() / kBytesPerInputPixel * kBytesPerSkinPixel);
    std::array<std::uint8_t, kRunPixels * kBytesPerSkinPixel> run;
    const std::uint8_t* in = bgr.data();
    std::uint8_t* to = out.data();
    for (std::size_t left = bgr.size() / kBytesPerInputPixel; left != 0;) {
        const std::size_t pixels = std::min(left, kRunPixels);
        convert_run(in, run.data(), pixels);
        // Over pixels already read, where `out` lies over `bgr`.
        std::memmove(to, run.data(), pixels * kBytesPerSkinPixel);
        in += pixels * kBytesPerInputPixel;
        to += pixels * kBytesPerSkinPixel;
        left -= pixels;
    }
}

}  // namespace orbskin::skin
