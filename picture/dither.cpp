// Vector error diffusion in linear light onto the colours the handheld shows.
//
// Integers throughout: the sRGB decoding is a table of constants, CIELAB's cube root a table
// filled by integer search, and every step after is integer arithmetic. Floating point would
// give other pixels where a compiler contracts a*b+c into one rounding, on x87's wider registers
// (32-bit Windows), or where a C library's pow() rounds otherwise; the desktop, Windows and the
// page must give the same bytes.
#include "picture/dither.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

#include "picture/resize.h"

namespace orbskin::picture {
using skin::Rgb;
using skin::skin_level;

namespace {

using Light = std::array<std::int32_t, 3>;  // linear red, green, blue; 65535 is full
constexpr std::int32_t kFull = 65535;

// sRGB's decoding of each 8-bit value, round(65535 * linear), made once by the standard formula.
constexpr std::array<std::int32_t, 256> kLinear{
    0,     20,    40,    60,    80,    99,    119,   139,   159,   179,   199,   219,   241,
    264,   288,   313,   340,   367,   396,   427,   458,   491,   526,   562,   599,   637,
    677,   718,   761,   805,   851,   898,   947,   997,   1048,  1101,  1156,  1212,  1270,
    1330,  1391,  1453,  1517,  1583,  1651,  1720,  1790,  1863,  1937,  2013,  2090,  2170,
    2250,  2333,  2418,  2504,  2592,  2681,  2773,  2866,  2961,  3058,  3157,  3258,  3360,
    3464,  3570,  3678,  3788,  3900,  4014,  4129,  4247,  4366,  4488,  4611,  4736,  4864,
    4993,  5124,  5257,  5392,  5530,  5669,  5810,  5953,  6099,  6246,  6395,  6547,  6700,
    6856,  7014,  7174,  7335,  7500,  7666,  7834,  8004,  8177,  8352,  8528,  8708,  8889,
    9072,  9258,  9445,  9635,  9828,  10022, 10219, 10417, 10619, 10822, 11028, 11235, 11446,
    11658, 11873, 12090, 12309, 12530, 12754, 12980, 13209, 13440, 13673, 13909, 14146, 14387,
    14629, 14874, 15122, 15371, 15623, 15878, 16135, 16394, 16656, 16920, 17187, 17456, 17727,
    18001, 18277, 18556, 18837, 19121, 19407, 19696, 19987, 20281, 20577, 20876, 21177, 21481,
    21787, 22096, 22407, 22721, 23038, 23357, 23678, 24002, 24329, 24658, 24990, 25325, 25662,
    26001, 26344, 26688, 27036, 27386, 27739, 28094, 28452, 28813, 29176, 29542, 29911, 30282,
    30656, 31033, 31412, 31794, 32179, 32567, 32957, 33350, 33745, 34143, 34544, 34948, 35355,
    35764, 36176, 36591, 37008, 37429, 37852, 38278, 38706, 39138, 39572, 40009, 40449, 40891,
    41337, 41785, 42236, 42690, 43147, 43606, 44069, 44534, 45002, 45473, 45947, 46423, 46903,
    47385, 47871, 48359, 48850, 49344, 49841, 50341, 50844, 51349, 51858, 52369, 52884, 53401,
    53921, 54445, 54971, 55500, 56032, 56567, 57105, 57646, 58190, 58737, 59287, 59840, 60396,
    60955, 61517, 62082, 62650, 63221, 63795, 64372, 64952, 65535,
};

// The light of each 5-bit level as the handheld shows it.
constexpr std::array<std::int32_t, 32> kLevelLight = [] {
    std::array<std::int32_t, 32> light{};
    for (unsigned c = 0; c < 32; ++c)
        light[c] = kLinear[skin_level(c)];
    return light;
}();

// Error crosses only between pixels whose colours differ by at most this in every channel, so
// that an edge's error stays on its side and a flat area beside it keeps its own pattern.
constexpr int kSameArea = 48;

// sRGB's rows to CIE XYZ, each divided by D65 white's and in 65536ths, rounded so that each sums
// to 65536: white gives exactly full X, Y and Z.
constexpr std::array<std::array<std::int64_t, 3>, 3> kToXyz{
    {{28439, 24656, 12441}, {13938, 46868, 4730}, {1164, 7174, 57198}}};

// CIELAB's f(t), t and f in 65535ths: the cube root above (6/29)³, a line below. Each cube root
// is the nearest integer, found by stepping up as t grows.
const std::vector<std::int32_t>& lab_f() {
    static const std::vector<std::int32_t> table = [] {
        std::vector<std::int32_t> f(kFull + 1);
        std::uint64_t root = 0;
        for (std::uint64_t t = 0; t <= kFull; ++t) {
            const std::uint64_t eight_n = 8 * t * kFull * kFull;  // (2 cbrt(t * 65535²))³
            while ((2 * root + 1) * (2 * root + 1) * (2 * root + 1) <= eight_n)
                ++root;
            // 216/24389 of full is 580.4; below, f = (24389/27 t + 16) / 116.
            const std::uint64_t linear = (t * 24389 + std::uint64_t{16} * 27 * kFull + 1566) / 3132;
            f[t] = static_cast<std::int32_t>(t <= 580 ? linear : root);
        }
        return f;
    }();
    return table;
}

// CIELAB in f's units (L without its offset, which distances do not need).
struct Lab {
    std::int64_t l, a, b;
};

Lab lab_of(const Light& light) {
    const std::vector<std::int32_t>& f = lab_f();
    std::array<std::int64_t, 3> xyz{};
    for (std::size_t i = 0; i < 3; ++i)
        xyz[i] = f[static_cast<std::size_t>(
            (kToXyz[i][0] * light[0] + kToXyz[i][1] * light[1] + kToXyz[i][2] * light[2] + 32768) >>
            16)];
    return {116 * xyz[1], 500 * (xyz[0] - xyz[1]), 200 * (xyz[1] - xyz[2])};
}

std::int64_t distance(const Lab& one, const Lab& two) {
    const std::int64_t l = one.l - two.l, a = one.a - two.a, b = one.b - two.b;
    return l * l + a * a + b * b;
}

constexpr std::array<std::uint8_t Rgb::*, 3> kChannels{&Rgb::red, &Rgb::green, &Rgb::blue};

bool on_levels(const Rgb& p) {
    return p.red == skin_level(p.red >> 3u) && p.green == skin_level(p.green >> 3u) &&
           p.blue == skin_level(p.blue >> 3u);
}

bool same_area(const Rgb& one, const Rgb& two) {
    return std::abs(one.red - two.red) <= kSameArea &&
           std::abs(one.green - two.green) <= kSameArea &&
           std::abs(one.blue - two.blue) <= kSameArea;
}

// The levels of the display colour nearest `wanted` in CIELAB, among those whose every channel
// is the level just below or just above the wanted light.
std::array<unsigned, 3> nearest_levels(const Light& wanted) {
    std::array<std::array<unsigned, 2>, 3> choices{};
    for (std::size_t c = 0; c < 3; ++c) {
        const auto above = static_cast<unsigned>(
            std::lower_bound(kLevelLight.begin(), kLevelLight.end(), wanted[c]) -
            kLevelLight.begin());
        const bool exact = kLevelLight[above] == wanted[c];
        choices[c] = {exact ? above : above - 1, above};
    }
    const Lab goal = lab_of(wanted);
    std::array<unsigned, 3> best{};
    std::int64_t best_distance = -1;
    for (const unsigned r : choices[0])
        for (const unsigned g : choices[1])
            for (const unsigned b : choices[2]) {
                const std::int64_t d =
                    distance(goal, lab_of({kLevelLight[r], kLevelLight[g], kLevelLight[b]}));
                if (best_distance < 0 || d < best_distance) best = {r, g, b}, best_distance = d;
            }
    return best;
}

}  // namespace

void dither_to_skin_levels(std::span<Rgb> pixels, std::size_t width) {
    if (width == 0) return;
    const std::size_t height = pixels.size() / width;
    // Error carried to this row and the next, with a column of margin each side.
    std::vector<Light> here(width + 2), below(width + 2);
    for (std::size_t y = 0; y < height; ++y) {
        const bool forward = y % 2 == 0;
        for (std::size_t i = 0; i < width; ++i) {
            const std::size_t x = forward ? i : width - 1 - i;
            Rgb& pixel = pixels[y * width + x];
            // Shown exactly: kept, and what was carried to it goes no further.
            if (on_levels(pixel)) continue;
            const std::size_t at = x + 1;  // in the carried rows
            Light wanted{};
            for (std::size_t c = 0; c < 3; ++c)
                wanted[c] = std::clamp(kLinear[pixel.*kChannels[c]] + here[at][c], 0, kFull);
            const std::array<unsigned, 3> chosen = nearest_levels(wanted);
            // Floyd–Steinberg's sixteenths, to the unvisited neighbours in this pixel's area
            // alone, which share the others' part; not one of them: the error goes no further.
            const std::ptrdiff_t step = forward ? 1 : -1;
            const bool first = i == 0, last = i + 1 == width, bottom = y + 1 == height;
            const struct {
                std::ptrdiff_t across, down;
                std::int32_t weight;
                bool there;
            } kShares[] = {{step, 0, 7, !last},
                           {-step, 1, 3, !first && !bottom},
                           {0, 1, 5, !bottom},
                           {step, 1, 1, !last && !bottom}};
            std::array<Light*, 4> to{};
            std::array<std::int32_t, 4> weight{};
            std::int32_t total = 0;
            for (std::size_t s = 0; s < 4; ++s) {
                const auto& share = kShares[s];
                if (!share.there) continue;
                const auto column =
                    static_cast<std::size_t>(static_cast<std::ptrdiff_t>(x) + share.across);
                const Rgb& other =
                    pixels[(y + static_cast<std::size_t>(share.down)) * width + column];
                if (!same_area(pixel, other)) continue;
                to[s] = &(share.down ? below : here)[column + 1];
                weight[s] = share.weight;
                total += share.weight;
            }
            for (std::size_t c = 0; c < 3; ++c) {
                std::int32_t error = wanted[c] - kLevelLight[chosen[c]], weights = total;
                for (std::size_t s = 0; s < 4; ++s) {
                    if (!to[s]) continue;
                    const std::int32_t part = error * weight[s] / weights;
                    (*to[s])[c] += part;
                    error -= part, weights -= weight[s];
                }
            }
            pixel = {skin_level(chosen[0]), skin_level(chosen[1]), skin_level(chosen[2])};
        }
        here.swap(below);
        std::fill(below.begin(), below.end(), Light{});
    }
}

bool dither_helps(const Bitmap& bitmap) {
    const auto w = static_cast<std::size_t>(bitmap.width),
               h = static_cast<std::size_t>(bitmap.height);
    const auto rgb = [](std::uint32_t p) {
        return Rgb{channel(p, 16), channel(p, 8), channel(p, 0)};
    };
    const auto visible = [](std::uint32_t p) { return p >> 24 >= 128; };
    // Neighbours whose every channel is within a level's step, on two sides of a level.
    const auto band_edge = [&](std::uint32_t one, std::uint32_t two) {
        bool crosses = false;
        for (const int shift : {16, 8, 0}) {
            const int a = channel(one, shift), b = channel(two, shift);
            if (std::abs(a - b) > 6) return false;
            crosses = crosses || a >> 3 != b >> 3;
        }
        return crosses && visible(two);
    };
    std::size_t seen = 0, off = 0, edges = 0;
    for (std::size_t y = 0; y < h; ++y)
        for (std::size_t x = 0; x < w; ++x) {
            const std::uint32_t p = bitmap.pixels[y * w + x];
            if (!visible(p)) continue;
            ++seen;
            off += on_levels(rgb(p)) ? 0 : 1;
            edges += x + 1 < w && band_edge(p, bitmap.pixels[y * w + x + 1]) ? 1 : 0;
            edges += y + 1 < h && band_edge(p, bitmap.pixels[(y + 1) * w + x]) ? 1 : 0;
        }
    // Two bands' edges across the picture's length, at the least.
    return off * 2 > seen && (edges >= 2 * std::max(w, h) || many_colours(bitmap));
}

}  // namespace orbskin::picture
