// A tent filter in premultiplied alpha, one axis at a time.
#include "picture/resize.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <unordered_set>

#include "runtime/message.h"

namespace orbskin::picture {
namespace {

// One target pixel along one axis: the first source pixel it takes and the weight of each.
struct Taps {
    int first = 0;
    std::vector<double> weights;
};

// The taps of `to` target pixels covering `span` source pixels from `start` on, in a line of
// `from` source pixels.
std::vector<Taps> tent_taps(int from, int to, double start, double span) {
    const double scale = span / to;
    const double support = std::max(1.0, scale);
    std::vector<Taps> taps(static_cast<std::size_t>(to));
    for (int i = 0; i < to; ++i) {
        const double centre = start + (i + 0.5) * scale;
        Taps& tap = taps[static_cast<std::size_t>(i)];
        tap.first = std::clamp(static_cast<int>(std::floor(centre - support)), 0, from - 1);
        const int last = std::clamp(static_cast<int>(std::ceil(centre + support)), 0, from - 1);
        double total = 0;
        for (int s = tap.first; s <= last; ++s) {
            const double w = std::max(0.0, 1.0 - std::abs((s + 0.5 - centre) / support));
            tap.weights.push_back(w);
            total += w;
        }
        for (double& w : tap.weights)
            w /= total;
    }
    return taps;
}

using Premultiplied = std::array<double, 4>;  // alpha, red, green, blue, each 0 to 255

Premultiplied premultiplied(std::uint32_t p) {
    const double a = channel(p, 24);
    return {a, channel(p, 16) * a / 255, channel(p, 8) * a / 255, channel(p, 0) * a / 255};
}

std::uint32_t to_pixel(const Premultiplied& p) {
    const double alpha = std::clamp(p[0], 0.0, 255.0);
    const auto straight = [&](double v) {
        return static_cast<std::uint32_t>(
            alpha > 0 ? std::lround(std::clamp(v * 255 / alpha, 0.0, 255.0)) : 0);
    };
    return static_cast<std::uint32_t>(std::lround(alpha)) << 24 | straight(p[1]) << 16 |
           straight(p[2]) << 8 | straight(p[3]);
}

}  // namespace

Placement place(int width, int height, int into_width, int into_height, Resize how) {
    const double across = static_cast<double>(into_width) / width;
    const double down = static_cast<double>(into_height) / height;
    if (how == Resize::fit) {
        const double scale = std::min(across, down);
        const int w = std::clamp(static_cast<int>(std::lround(width * scale)), 1, into_width);
        const int h = std::clamp(static_cast<int>(std::lround(height * scale)), 1, into_height);
        return {0, 0, double(width), double(height), (into_width - w) / 2, (into_height - h) / 2,
                w, h};
    }
    if (how == Resize::crop) {
        const double scale = std::max(across, down);
        const double w = into_width / scale, h = into_height / scale;
        return {(width - w) / 2, (height - h) / 2, w, h, 0, 0, into_width, into_height};
    }
    return {0, 0, double(width), double(height), 0, 0, into_width, into_height};
}

Bitmap scaled(const Bitmap& bitmap, int into_width, int into_height, const Placement& at) {
    const std::vector<Taps> across =
        tent_taps(bitmap.width, at.width, at.source_left, at.source_width);
    const std::vector<Taps> down =
        tent_taps(bitmap.height, at.height, at.source_top, at.source_height);
    // Only the source rows the vertical taps reach are resized across, each once.
    const int top = down.front().first;
    const int bottom = down.back().first + static_cast<int>(down.back().weights.size());
    const std::size_t width = static_cast<std::size_t>(at.width);
    std::vector<Premultiplied> rows(width * static_cast<std::size_t>(bottom - top));
    for (int y = top; y < bottom; ++y) {
        const std::uint32_t* line = &bitmap.pixels[std::size_t(y) * std::size_t(bitmap.width)];
        for (std::size_t i = 0; i < width; ++i) {
            Premultiplied sum{};
            for (std::size_t k = 0; k < across[i].weights.size(); ++k) {
                const Premultiplied p = premultiplied(line[std::size_t(across[i].first) + k]);
                for (std::size_t c = 0; c < 4; ++c)
                    sum[c] += p[c] * across[i].weights[k];
            }
            rows[std::size_t(y - top) * width + i] = sum;
        }
    }
    Bitmap result{into_width, into_height,
                  std::vector<std::uint32_t>(std::size_t(into_width) * std::size_t(into_height))};
    for (std::size_t j = 0; j < down.size(); ++j) {
        for (std::size_t i = 0; i < width; ++i) {
            Premultiplied sum{};
            for (std::size_t k = 0; k < down[j].weights.size(); ++k) {
                const Premultiplied& p = rows[(std::size_t(down[j].first - top) + k) * width + i];
                for (std::size_t c = 0; c < 4; ++c)
                    sum[c] += p[c] * down[j].weights[k];
            }
            result.pixels[(std::size_t(at.top) + j) * std::size_t(into_width) +
                          std::size_t(at.left) + i] = to_pixel(sum);
        }
    }
    return result;
}

namespace {

using runtime::N_;  // import's help and the page's buttons, said in the user's language

constexpr std::array<ResizeWay, 7> kWays{{
    {Resize::none, "", "", true, false, ""},
    {Resize::stretch, "--scale", C_("a way to resize", "Stretch"), false, false,
     N_("Stretch a picture of another size to the size, whatever its shape")},
    {Resize::fit, "--fit", C_("a way to resize", "Fit"), false, true,
     N_("Resize a picture of another size to fit inside the size, with the background colour "
        "around it")},
    {Resize::crop, "--crop", C_("a way to resize", "Crop"), false, false,
     N_("Resize a picture of another size to fill the size, cutting off what overhangs")},
    {Resize::trim, "--trim", C_("a way to resize", "Trim"), true, false,
     N_("Cut a picture a few pixels too large to the size around its centre, without "
        "resampling")},
    {Resize::pad, "--pad", C_("a way to resize", "Pad"), true, true,
     N_("Put a picture a few pixels too small in the middle of the size, with the background "
        "colour around it, without resampling")},
    {Resize::pixel_art, "--pixel-art", N_("Scale as pixel art"), true, false,
     N_("Scale by a whole factor (2x, 3x, 1/2, 1/4...) by repeating or taking pixels exactly")},
}};

// Whether one size is a whole multiple (2 and up) of the other, by the same factor both ways.
bool whole_factor(std::int64_t width, std::int64_t height, std::int64_t to_width,
                  std::int64_t to_height) {
    const auto ratio = [](std::int64_t a, std::int64_t b) {
        return b > 0 && a >= 2 * b && a % b == 0 ? a / b : 0;
    };
    const std::int64_t up = ratio(to_width, width), down = ratio(width, to_width);
    return (up != 0 && up == ratio(to_height, height)) ||
           (down != 0 && down == ratio(height, to_height));
}

}  // namespace

const ResizeWay& resize_way(Resize how) {
    return kWays.at(static_cast<std::size_t>(how));
}

std::span<const ResizeWay> resize_ways() {
    return std::span(kWays).subspan(1);
}

namespace {

bool more_colours_than(const Bitmap& bitmap, std::size_t most) {
    std::unordered_set<std::uint32_t> seen;
    std::uint32_t last = 0;
    for (const std::uint32_t pixel : bitmap.pixels) {
        if (pixel == last && !seen.empty()) continue;  // runs of one colour are common in drawings
        last = pixel;
        if (seen.insert(pixel).second && seen.size() > most) return true;
    }
    return false;
}

}  // namespace

bool few_colours(const Bitmap& bitmap) {
    return !bitmap.pixels.empty() && !more_colours_than(bitmap, 256);
}

bool many_colours(const Bitmap& bitmap) {
    // More than a drawing's flat colours and their smoothed edges hold; in an icon, where 4096
    // are all its pixels, more than half of them.
    return more_colours_than(bitmap, std::min<std::size_t>(4096, bitmap.pixels.size() / 2));
}

std::vector<Resize> ways_to_resize(std::int64_t width, std::int64_t height, bool few_colours,
                                   const skin::Picture& picture) {
    constexpr std::int64_t kFewPixels = 8;
    const auto w = static_cast<std::int64_t>(picture.width);
    const auto h = static_cast<std::int64_t>(picture.height);
    std::vector<Resize> ways;
    if (width > 0 && height > 0) {
        if (std::abs(width - w) <= kFewPixels && std::abs(height - h) <= kFewPixels)
            ways.push_back(width <= w && height <= h ? Resize::pad : Resize::trim);
        const bool whole = whole_factor(width, height, w, h);
        if (whole && few_colours) ways.push_back(Resize::pixel_art);
        const double shapes = (double(width) / double(height)) / (double(w) / double(h));
        if (std::abs(shapes - 1) <= 0.01) ways.push_back(Resize::stretch);
        if (whole && !few_colours) ways.push_back(Resize::pixel_art);
    }
    for (const Resize other : {Resize::crop, Resize::fit, Resize::stretch})
        if (std::find(ways.begin(), ways.end(), other) == ways.end()) ways.push_back(other);
    // The first proposal stays crop where nothing better applies: stretch is offered, not
    // proposed, for a picture of another shape.
    return ways;
}

Bitmap centred(const Bitmap& bitmap, int width, int height) {
    Bitmap result{width, height, std::vector<std::uint32_t>(std::size_t(width) * height, 0)};
    const int dx = (bitmap.width - width) / 2, dy = (bitmap.height - height) / 2;
    for (int y = std::max(0, -dy); y < std::min(height, bitmap.height - dy); ++y) {
        for (int x = std::max(0, -dx); x < std::min(width, bitmap.width - dx); ++x) {
            result.pixels[std::size_t(y) * width + x] =
                bitmap.pixels[std::size_t(y + dy) * bitmap.width + std::size_t(x + dx)];
        }
    }
    return result;
}

std::optional<Bitmap> scaled_by_whole_factor(const Bitmap& bitmap, int width, int height) {
    const bool up = width >= bitmap.width;
    const int big_w = up ? width : bitmap.width, small_w = up ? bitmap.width : width;
    const int big_h = up ? height : bitmap.height, small_h = up ? bitmap.height : height;
    if (small_w == 0 || small_h == 0 || big_w % small_w != 0 || big_h % small_h != 0 ||
        big_w / small_w != big_h / small_h ||
        (up ? height < bitmap.height : height > bitmap.height))
        return std::nullopt;
    const int factor = big_w / small_w;
    Bitmap result{width, height, std::vector<std::uint32_t>(std::size_t(width) * height)};
    for (int y = 0; y < height; ++y) {
        const int sy = up ? y / factor : y * factor + factor / 2;
        for (int x = 0; x < width; ++x) {
            const int sx = up ? x / factor : x * factor + factor / 2;
            result.pixels[std::size_t(y) * width + x] =
                bitmap.pixels[std::size_t(sy) * bitmap.width + sx];
        }
    }
    return result;
}

int reduction_factor(int width, int height, int at_least_width, int at_least_height) {
    return std::max(
        1, std::min(width / std::max(1, at_least_width), height / std::max(1, at_least_height)));
}

Bitmap averaged_down(const Bitmap& bitmap, int at_least_width, int at_least_height) {
    // At most 256, so that a block's premultiplied sums fit 32 bits.
    const int factor = std::min(
        reduction_factor(bitmap.width, bitmap.height, at_least_width, at_least_height), 256);
    if (factor == 1) return bitmap;
    const int width = bitmap.width / factor, height = bitmap.height / factor;
    Bitmap result{width, height, std::vector<std::uint32_t>(std::size_t(width) * height)};
    std::vector<std::uint32_t> sums(std::size_t(width) * 4);
    const double count = double(factor) * factor;
    for (int y = 0; y < height; ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        for (int row = y * factor; row < (y + 1) * factor; ++row) {
            const std::uint32_t* p = &bitmap.pixels[std::size_t(row) * bitmap.width];
            for (std::uint32_t* sum = sums.data(); sum != sums.data() + sums.size(); sum += 4) {
                for (const std::uint32_t* end = p + factor; p != end; ++p) {
                    const std::uint32_t a = *p >> 24;
                    sum[0] += a;
                    sum[1] += (*p >> 16 & 0xFF) * a;
                    sum[2] += (*p >> 8 & 0xFF) * a;
                    sum[3] += (*p & 0xFF) * a;
                }
            }
        }
        for (int x = 0; x < width; ++x) {
            const std::uint32_t* sum = &sums[std::size_t(x) * 4];
            result.pixels[std::size_t(y) * width + x] =
                to_pixel({sum[0] / count, sum[1] / 255.0 / count, sum[2] / 255.0 / count,
                          sum[3] / 255.0 / count});
        }
    }
    return result;
}

}  // namespace orbskin::picture
