// Resizing, compositing, dithering and encoding a decoded picture.
#include "picture/picture_import.h"

#include "picture/dither.h"
#include "picture/wording.h"

namespace orbskin::picture {
namespace {
// The picture's pixels with transparency laid over `background`.
std::vector<skin::Rgb> composited(const Bitmap& bitmap, skin::Rgb background) {
    const auto blend = [](std::uint8_t value, std::uint8_t alpha, std::uint8_t under) {
        return static_cast<std::uint8_t>((value * alpha + under * (255 - alpha) + 127) / 255);
    };
    std::vector<skin::Rgb> pixels;
    pixels.reserve(bitmap.pixels.size());
    for (const std::uint32_t p : bitmap.pixels) {
        const std::uint8_t a = channel(p, 24);
        pixels.push_back({blend(channel(p, 16), a, background.red),
                          blend(channel(p, 8), a, background.green),
                          blend(channel(p, 0), a, background.blue)});
    }
    return pixels;
}

Bitmap resized(const Bitmap& bitmap, const skin::Picture& picture, const Conversion& conversion,
               const std::string& source) {
    const int width = static_cast<int>(picture.width), height = static_cast<int>(picture.height);
    const Resize how = conversion.resize;
    switch (how) {
        case Resize::trim:
        case Resize::pad:
            return centred(bitmap, width, height);
        case Resize::pixel_art:
            if (std::optional<Bitmap> exact = scaled_by_whole_factor(bitmap, width, height))
                return std::move(*exact);
            throw runtime::Error(no_whole_factor_message(source, bitmap.width, bitmap.height,
                                                         picture.name, width, height));
        default: {
            const int own_width = conversion.own_width ? conversion.own_width : bitmap.width;
            const int own_height = conversion.own_height ? conversion.own_height : bitmap.height;
            Placement at = place(own_width, own_height, width, height, how);
            const double across = double(bitmap.width) / own_width,
                         down = double(bitmap.height) / own_height;
            at.source_left *= across;
            at.source_width *= across;
            at.source_top *= down;
            at.source_height *= down;
            return scaled(bitmap, width, height, at);
        }
    }
}

}  // namespace

std::vector<std::uint8_t> canonical_picture(const Bitmap& bitmap, const skin::Picture& picture,
                                            const Conversion& how, const std::string& source) {
    const int width = static_cast<int>(picture.width), height = static_cast<int>(picture.height);
    const bool other_size = bitmap.width != width || bitmap.height != height;
    if (other_size && how.resize == Resize::none) {
        throw OtherSize(
            other_size_message(source, bitmap.width, bitmap.height, picture.name, width, height));
    }
    std::vector<skin::Rgb> pixels =
        composited(other_size ? resized(bitmap, picture, how, source) : bitmap, how.background);
    if (how.dither) dither_to_skin_levels(pixels, picture.width);
    return skin::encode_bmp24(picture.width, picture.height, pixels);
}

}  // namespace orbskin::picture
