// A decoded picture, as every decoder gives it and the rest of the pipeline takes it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orbskin::picture {

// A decoded picture: straight (not premultiplied) alpha, top row first, each pixel 0xAARRGGBB.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// The signature every PNG file starts with.
inline constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1a\n";

// The largest picture decoded, in pixels: 256 MB of 32-bit pixels.
inline constexpr std::uint64_t kLargestDecodedPixels = (std::uint64_t{256} << 20) / 4;

// The most scans of a JPEG decoded. A decoder goes over the whole picture once a scan: cameras
// write one, encoders about ten for a progressive JPEG and the most thorough tools some seventy,
// while a file of thousands of tiny scans keeps a decoder busy for many seconds.
inline constexpr std::size_t kMostJpegScans = 256;

// "cannot read SOURCE as a picture: WHY", the one wording of every decoder's refusal.
[[nodiscard]] std::string unreadable_picture_text(const std::string& source,
                                                  const std::string& why);

// One 8-bit channel of a pixel: 24 alpha, 16 red, 8 green, 0 blue.
[[nodiscard]] constexpr std::uint8_t channel(std::uint32_t pixel, int shift) {
    return static_cast<std::uint8_t>(pixel >> shift);
}

// A pixel of 16-bit channels, each reduced to the nearest of the 256 levels of 8 bits, so that
// every platform gives the same pixels for the same deep PNG or TIFF.
[[nodiscard]] constexpr std::uint32_t pixel_from_16bit(std::uint16_t red, std::uint16_t green,
                                                       std::uint16_t blue, std::uint16_t alpha) {
    const auto nearest = [](std::uint16_t value) {
        return (std::uint32_t{value} * 255 + 32767) / 65535;
    };
    return nearest(alpha) << 24 | nearest(red) << 16 | nearest(green) << 8 | nearest(blue);
}

}  // namespace orbskin::picture
