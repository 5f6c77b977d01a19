// Unfiltering a 16-bit PNG's rows and reducing its channels to 8 bits.
#include "picture/deep_png.h"

#include <cstdlib>
#include <vector>

#include "runtime/error.h"

namespace orbskin::picture {
namespace {

int channels_of(DeepColour colour) {
    switch (colour) {
        case DeepColour::grey:
            return 1;
        case DeepColour::rgb:
            return 3;
        case DeepColour::grey_alpha:
            return 2;
        case DeepColour::rgba:
            return 4;
    }
    return 0;
}

std::uint8_t paeth(int left, int up, int up_left) {
    const int guess = left + up - up_left;
    const int to_left = std::abs(guess - left), to_up = std::abs(guess - up),
              to_up_left = std::abs(guess - up_left);
    if (to_left <= to_up && to_left <= to_up_left) return static_cast<std::uint8_t>(left);
    return static_cast<std::uint8_t>(to_up <= to_up_left ? up : up_left);
}

// Undoes one row's filter in place; `previous` is the row above, unfiltered (zeros for the first).
bool unfilter(std::uint8_t filter, std::span<std::uint8_t> row,
              std::span<const std::uint8_t> previous, std::size_t pixel_bytes) {
    for (std::size_t i = 0; i < row.size(); ++i) {
        const int left = i >= pixel_bytes ? row[i - pixel_bytes] : 0;
        const int up = previous[i];
        const int up_left = i >= pixel_bytes ? previous[i - pixel_bytes] : 0;
        switch (filter) {
            case 0:
                break;
            case 1:
                row[i] = static_cast<std::uint8_t>(row[i] + left);
                break;
            case 2:
                row[i] = static_cast<std::uint8_t>(row[i] + up);
                break;
            case 3:
                row[i] = static_cast<std::uint8_t>(row[i] + (left + up) / 2);
                break;
            case 4:
                row[i] = static_cast<std::uint8_t>(row[i] + paeth(left, up, up_left));
                break;
            default:
                return false;
        }
    }
    return true;
}

}  // namespace

Bitmap deep_png_pixels(std::span<const std::uint8_t> data, int width, int height, DeepColour colour,
                       const std::string& source) {
    const std::size_t channels = static_cast<std::size_t>(channels_of(colour));
    const std::size_t pixel_bytes = 2 * channels;
    const std::size_t row_bytes = pixel_bytes * static_cast<std::size_t>(width);
    if (width <= 0 || height <= 0 || channels == 0 ||
        data.size() != (row_bytes + 1) * static_cast<std::size_t>(height)) {
        throw runtime::Error(
            picture::unreadable_picture_text(source,
                                             "it is a damaged PNG file: its image data "
                                             "is not as long as its size needs"));
    }
    Bitmap bitmap{width, height, {}};
    bitmap.pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::vector<std::uint8_t> previous(row_bytes), row(row_bytes);
    for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y) {
        const std::span<const std::uint8_t> stored =
            data.subspan(y * (row_bytes + 1), row_bytes + 1);
        row.assign(stored.begin() + 1, stored.end());
        if (!unfilter(stored[0], row, previous, pixel_bytes)) {
            throw runtime::Error(picture::unreadable_picture_text(
                source, "it is a damaged PNG file: a row names filter " +
                            std::to_string(stored[0]) + ", which PNG does not have"));
        }
        for (std::size_t x = 0; x < row_bytes; x += pixel_bytes) {
            const auto sample = [&](std::size_t c) {
                return static_cast<std::uint16_t>(row[x + 2 * c] << 8 | row[x + 2 * c + 1]);
            };
            const bool grey = channels < 3;
            const std::uint16_t alpha = channels % 2 == 0 ? sample(channels - 1) : 0xFFFF;
            bitmap.pixels.push_back(grey
                                        ? pixel_from_16bit(sample(0), sample(0), sample(0), alpha)
                                        : pixel_from_16bit(sample(0), sample(1), sample(2), alpha));
        }
        row.swap(previous);
    }
    return bitmap;
}

}  // namespace orbskin::picture
