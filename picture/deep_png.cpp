// A 16-bit PNG's pixels by our PNG reader, from image data the page has inflated.
#include "picture/deep_png.h"

#include "picture/png_decoder.h"
#include "picture/wording.h"
#include "runtime/error.h"

namespace orbskin::picture {

Bitmap deep_png_pixels(std::span<const std::uint8_t> data, int width, int height, DeepColour colour,
                       const std::string& source) {
    PngImage png;
    png.width = width, png.height = height, png.depth = 16, png.colour = int(colour);
    if (width <= 0 || height <= 0 ||
        std::uint64_t(width) * std::uint64_t(height) > kLargestDecodedPixels)
        throw runtime::Error(unreadable_picture_message(source, Message(kFarTooLarge)));
    if (data.size() != png_inflated_length(png))
        throw runtime::Error(unreadable_picture_message(
            source, damaged_png_data(Message("its image data is not as long as its size needs"))));
    return png_pixels(png, data, source);
}

}  // namespace orbskin::picture
