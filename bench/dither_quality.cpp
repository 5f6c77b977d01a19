// How close --dither brings a picture to what the handheld shows: the mean CIEDE2000 between a
// picture and the handheld's display of it, both blurred by one pixel in linear light (what an eye
// averages at arm's length); beside no dithering and ImageMagick's ways, where it is installed.
// The pictures are made here. Figures are printed, not judged. Run:
//   build/bench/orbskin-dither-bench [--write FOLDER]
// --write leaves each picture and its display without and with --dither as PPM files in FOLDER.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <numbers>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "picture/dither.h"
#include "skin/pixels.h"

namespace {

namespace fs = std::filesystem;
using orbskin::skin::Rgb;

constexpr int kWidth = 256, kHeight = 192;  // a screen's slot
using Pixels = std::vector<Rgb>;

std::uint8_t byte(double value) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

double smoothstep(double t) {
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

Pixels drawn(const std::function<Rgb(double x, double y)>& at) {
    Pixels pixels;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            pixels.push_back(at(x, y));
    return pixels;
}

// A sky: deep blue above to pale orange at the horizon, lighter towards the sun on the right.
Pixels gradient() {
    return drawn([](double x, double y) {
        const double t = y / (kHeight - 1), s = x / (kWidth - 1);
        return Rgb{byte(40 + 200 * t + 10 * s), byte(70 + 120 * t + 6 * s), byte(150 + 20 * t)};
    });
}

// A warm centre falling off to near black, as a lens leaves it.
Pixels vignette() {
    return drawn([](double x, double y) {
        const double dx = (x - kWidth / 2.0) / kWidth, dy = (y - kHeight / 2.0) / kHeight;
        const double light = 1 - smoothstep(std::sqrt(dx * dx + dy * dy) / 0.75);
        return Rgb{byte(12 + 200 * light), byte(10 + 165 * light), byte(9 + 130 * light)};
    });
}

// Skin tones from shade to highlight.
Pixels ramp() {
    return drawn([](double x, double) {
        const double t = x / (kWidth - 1);
        return Rgb{byte(92 + 158 * t), byte(58 + 157 * t), byte(44 + 146 * t)};
    });
}

// A map: near-white land, a pale park, and anti-aliased roads, a river and borders over it.
Pixels drawing() {
    struct Line {
        double x0, y0, x1, y1, half_width;
        Rgb colour;
    };
    const std::array<Line, 6> lines{{{0, 40, 256, 70, 1.6, {232, 142, 42}},
                                     {30, 0, 90, 192, 1.2, {232, 142, 42}},
                                     {0, 150, 256, 110, 2.2, {96, 152, 222}},
                                     {150, 0, 200, 192, 0.6, {118, 118, 118}},
                                     {0, 100, 256, 180, 0.6, {205, 60, 60}},
                                     {120, 20, 250, 30, 0.9, {70, 160, 90}}}};
    return drawn([&](double x, double y) {
        const bool park = x > 170 && x < 240 && y > 120 && y < 175;
        double r = park ? 204 : 246, g = park ? 228 : 244, b = park ? 190 : 238;
        for (const Line& l : lines) {
            const double lx = l.x1 - l.x0, ly = l.y1 - l.y0;
            const double distance =
                std::abs(ly * (x - l.x0) - lx * (y - l.y0)) / std::hypot(lx, ly);
            const double cover = std::clamp(l.half_width + 0.5 - distance, 0.0, 1.0);
            r += (l.colour.red - r) * cover, g += (l.colour.green - g) * cover;
            b += (l.colour.blue - b) * cover;
        }
        return Rgb{byte(r), byte(g), byte(b)};
    });
}

// Something like a photo: value noise of several octaves for the light and the hue, and grain.
Pixels scene() {
    std::mt19937 random(42);
    std::uniform_real_distribution<double> unit(0, 1);
    constexpr int kLattice = 65;
    std::vector<double> lattice(kLattice * kLattice * 2);
    for (double& v : lattice)
        v = unit(random);
    const auto noise = [&](double x, double y, int layer) {
        const int ix = static_cast<int>(x), iy = static_cast<int>(y);
        const double fx = smoothstep(x - ix), fy = smoothstep(y - iy);
        const auto at = [&](int i, int j) {
            return lattice[((j % kLattice) * kLattice + i % kLattice) * 2 + layer];
        };
        return (at(ix, iy) * (1 - fx) + at(ix + 1, iy) * fx) * (1 - fy) +
               (at(ix, iy + 1) * (1 - fx) + at(ix + 1, iy + 1) * fx) * fy;
    };
    std::normal_distribution<double> grain(0, 1.5);
    return drawn([&](double x, double y) {
        double light = 0, hue = 0;
        for (int octave = 0; octave < 4; ++octave) {
            const double scale = std::ldexp(1.0 / 64, octave), weight = std::ldexp(1.0, -octave);
            light += weight * noise(x * scale, y * scale, 0);
            hue += weight * noise(x * scale + 7, y * scale + 3, 1);
        }
        light = 0.15 + 0.55 * light / 1.875 + 0.2 * (1 - y / kHeight);
        hue /= 1.875;
        return Rgb{byte(255 * light * (0.8 + 0.4 * hue) + grain(random)),
                   byte(255 * light * (1.1 - 0.2 * hue) + grain(random)),
                   byte(255 * light * (1.3 - 0.6 * hue) + grain(random))};
    });
}

// The handheld's display of a written picture: each channel's top five bits, widened again.
Pixels shown(Pixels pixels) {
    const auto level = [](std::uint8_t v) { return orbskin::skin::skin_level(v >> 3u); };
    for (Rgb& p : pixels)
        p = {level(p.red), level(p.green), level(p.blue)};
    return pixels;
}

struct Lab {
    double l, a, b;
};
using Linear = std::vector<std::array<double, 3>>;

double linear(std::uint8_t v) {
    const double c = v / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

Linear linear_of(const Pixels& pixels) {
    Linear out;
    for (const Rgb& p : pixels)
        out.push_back({linear(p.red), linear(p.green), linear(p.blue)});
    return out;
}

// A blur of one pixel: a Gaussian of a pixel's deviation, both ways, the edges repeated.
Linear blurred(const Linear& in) {
    std::array<double, 7> kernel{};
    double total = 0;
    for (int d = -3; d <= 3; ++d)
        total += kernel[d + 3] = std::exp(-d * d / 2.0);
    Linear across(in.size()), out(in.size());
    const auto pass = [&](const Linear& from, Linear& to, bool horizontal) {
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                std::array<double, 3> sum{};
                for (int d = -3; d <= 3; ++d) {
                    const int sx = horizontal ? std::clamp(x + d, 0, kWidth - 1) : x;
                    const int sy = horizontal ? y : std::clamp(y + d, 0, kHeight - 1);
                    for (int c = 0; c < 3; ++c)
                        sum[c] += kernel[d + 3] / total * from[sy * kWidth + sx][c];
                }
                to[y * kWidth + x] = sum;
            }
    };
    pass(in, across, true);
    pass(across, out, false);
    return out;
}

Lab lab(const std::array<double, 3>& rgb) {
    const auto [r, g, b] = rgb;
    const double x = (0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / 0.95047;
    const double y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
    const double z = (0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / 1.08883;
    const auto f = [](double t) {
        return t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116;
    };
    return {116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

double ciede2000(const Lab& one, const Lab& two) {
    using std::atan2, std::cos, std::exp, std::hypot, std::pow, std::sin, std::sqrt;
    constexpr double kPi = std::numbers::pi, kDegree = kPi / 180;
    const double c_mean = (hypot(one.a, one.b) + hypot(two.a, two.b)) / 2;
    const double g = 0.5 * (1 - sqrt(pow(c_mean, 7) / (pow(c_mean, 7) + pow(25.0, 7))));
    const double a1 = one.a * (1 + g), a2 = two.a * (1 + g);
    const double c1 = hypot(a1, one.b), c2 = hypot(a2, two.b);
    const auto hue = [&](double a, double b) {
        const double h = atan2(b, a);
        return a == 0 && b == 0 ? 0 : h < 0 ? h + 2 * kPi : h;
    };
    const double h1 = hue(a1, one.b), h2 = hue(a2, two.b);
    double dh = h2 - h1;
    if (c1 * c2 == 0)
        dh = 0;
    else if (dh > kPi)
        dh -= 2 * kPi;
    else if (dh < -kPi)
        dh += 2 * kPi;
    const double dl = two.l - one.l, dc = c2 - c1, d_hue = 2 * sqrt(c1 * c2) * sin(dh / 2);
    const double l_mean = (one.l + two.l) / 2, c_bar = (c1 + c2) / 2;
    double h_mean = h1 + h2;
    if (c1 * c2 != 0)
        h_mean = std::abs(h1 - h2) <= kPi ? h_mean / 2
                 : h_mean < 2 * kPi       ? (h_mean + 2 * kPi) / 2
                                          : (h_mean - 2 * kPi) / 2;
    const double t = 1 - 0.17 * cos(h_mean - 30 * kDegree) + 0.24 * cos(2 * h_mean) +
                     0.32 * cos(3 * h_mean + 6 * kDegree) - 0.20 * cos(4 * h_mean - 63 * kDegree);
    const double sl = 1 + 0.015 * pow(l_mean - 50, 2) / sqrt(20 + pow(l_mean - 50, 2));
    const double sc = 1 + 0.045 * c_bar, sh = 1 + 0.015 * c_bar * t;
    const double rotation = -2 * sqrt(pow(c_bar, 7) / (pow(c_bar, 7) + pow(25.0, 7))) *
                            sin(60 * kDegree * exp(-pow((h_mean / kDegree - 275) / 25, 2)));
    return sqrt(pow(dl / sl, 2) + pow(dc / sc, 2) + pow(d_hue / sh, 2) +
                rotation * (dc / sc) * (d_hue / sh));
}

double mean_error(const Pixels& original, const Pixels& display) {
    const Linear one = blurred(linear_of(original)), two = blurred(linear_of(display));
    double sum = 0;
    for (std::size_t i = 0; i < one.size(); ++i)
        sum += ciede2000(lab(one[i]), lab(two[i]));
    return sum / static_cast<double>(one.size());
}

// Banding: the largest CIEDE2000 between an 8 × 8 block's mean colour, in linear light, in the
// picture and on the display; steps of a level show here, fine noise averages out.
double banding(const Pixels& original, const Pixels& display) {
    const Linear one = linear_of(original), two = linear_of(display);
    double worst = 0;
    for (int by = 0; by < kHeight; by += 8)
        for (int bx = 0; bx < kWidth; bx += 8) {
            std::array<double, 3> a{}, b{};
            for (int y = by; y < by + 8; ++y)
                for (int x = bx; x < bx + 8; ++x)
                    for (int c = 0; c < 3; ++c)
                        a[c] += one[y * kWidth + x][c] / 64, b[c] += two[y * kWidth + x][c] / 64;
            worst = std::max(worst, ciede2000(lab(a), lab(b)));
        }
    return worst;
}

void write_ppm(const fs::path& file, const Pixels& pixels, int width = kWidth,
               int height = kHeight) {
    std::ofstream out(file, std::ios::binary);
    out << "P6\n" << width << ' ' << height << "\n255\n";
    for (const Rgb& p : pixels)
        out << p.red << p.green << p.blue;
}

std::optional<Pixels> read_ppm(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, most = 0;
    if (!(in >> magic >> width >> height >> most) || magic != "P6" || width != kWidth ||
        height != kHeight || most != 255)
        return {};
    in.get();
    Pixels pixels(static_cast<std::size_t>(width) * height);
    for (Rgb& p : pixels) {
        std::array<char, 3> bytes{};
        if (!in.read(bytes.data(), 3)) return {};
        p = {std::uint8_t(bytes[0]), std::uint8_t(bytes[1]), std::uint8_t(bytes[2])};
    }
    return pixels;
}

struct Way {
    const char* name;
    const char* options;  // ImageMagick's; PALETTE stands for every colour the handheld shows
};
constexpr std::array<Way, 5> kImageMagick{{{"IM FS", "-dither FloydSteinberg -remap PALETTE"},
                                           {"IM Riem.", "-dither Riemersma -remap PALETTE"},
                                           {"IM near.", "+dither -remap PALETTE"},
                                           {"IM o8x8", "-ordered-dither o8x8,32"},
                                           {"IM o4x4", "-ordered-dither o4x4,32"}}};

// `pixels` reduced by ImageMagick in `folder`, or nothing where it failed.
std::optional<Pixels> imagemagick(const Way& way, const Pixels& pixels, const fs::path& folder) {
    write_ppm(folder / "in.ppm", pixels);
    std::string options = way.options;
    if (const auto at = options.find("PALETTE"); at != std::string::npos)
        options.replace(at, 7, (folder / "palette.ppm").string());
    const std::string command = "convert " + (folder / "in.ppm").string() + " " + options +
                                " -depth 8 " + (folder / "out.ppm").string() + " 2>/dev/null";
    if (std::system(command.c_str()) != 0) return {};
    return read_ppm(folder / "out.ppm");
}

// Every colour the handheld shows, one a pixel.
void write_palette(const fs::path& file) {
    Pixels all;
    for (unsigned c = 0; c < 32768; ++c)
        all.push_back({orbskin::skin::skin_level(c & 31), orbskin::skin::skin_level(c >> 5 & 31),
                       orbskin::skin::skin_level(c >> 10)});
    write_ppm(file, all, 256, 128);
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<fs::path> write = argc == 3 && std::string(argv[1]) == "--write"
                                              ? std::optional<fs::path>(argv[2])
                                              : std::nullopt;
    const fs::path folder =
        fs::temp_directory_path() / ("orbskin-dither-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const bool have_imagemagick = std::system("convert -version >/dev/null 2>&1") == 0;
    if (have_imagemagick)
        write_palette(folder / "palette.ppm");
    else
        std::cout << "ImageMagick's convert is not installed: ours alone\n";

    const std::array<std::pair<const char*, Pixels>, 5> pictures{{{"gradient", gradient()},
                                                                  {"vignette", vignette()},
                                                                  {"ramp", ramp()},
                                                                  {"drawing", drawing()},
                                                                  {"scene", scene()}}};
    const std::size_t ways = have_imagemagick ? kImageMagick.size() : 0;
    std::printf("mean CIEDE2000, blurred by a pixel in linear light (8x8 banding in brackets)\n");
    std::printf("%-9s %13s %13s", "picture", "plain", "--dither");
    for (std::size_t w = 0; w < ways; ++w)
        std::printf(" %13s", kImageMagick[w].name);
    std::printf("\n");
    std::vector<double> sums(2 + ways, 0);
    double ours_over_best = 0, best_sum = 0;
    double milliseconds = 0;
    for (const auto& [name, original] : pictures) {
        Pixels ours = original;
        const auto start = std::chrono::steady_clock::now();
        orbskin::picture::dither_to_skin_levels(ours, kWidth);
        milliseconds +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        std::vector<Pixels> displays{shown(original), shown(ours)};
        for (std::size_t w = 0; w < ways; ++w)
            displays.push_back(shown(
                imagemagick(kImageMagick[w], original, folder).value_or(Pixels(original.size()))));
        std::printf("%-9s", name);
        double best = 1e9;
        for (std::size_t d = 0; d < displays.size(); ++d) {
            const double error = mean_error(original, displays[d]);
            sums[d] += error;
            if (d >= 2) best = std::min(best, error);
            std::printf("  %5.3f (%4.2f)", error, banding(original, displays[d]));
        }
        if (ways) {
            const double ours_error = mean_error(original, displays[1]);
            std::printf("   %+4.0f%% beside IM's best", 100 * (ours_error / best - 1));
            ours_over_best = std::max(ours_over_best, ours_error / best);
            best_sum += best;
        }
        std::printf("\n");
        if (write) {
            fs::create_directories(*write);
            write_ppm(*write / (std::string(name) + ".ppm"), original);
            write_ppm(*write / (std::string(name) + "-plain.ppm"), displays[0]);
            write_ppm(*write / (std::string(name) + "-dither.ppm"), displays[1]);
        }
    }
    const double count = static_cast<double>(pictures.size());
    std::printf("%-9s", "mean");
    for (const double sum : sums)
        std::printf("  %5.3f       ", sum / count);
    std::printf("\n--dither: %.1f ms a picture\n", milliseconds / count);
    if (ways) {
        const auto best_way = std::min_element(sums.begin() + 2, sums.end());
        std::printf("--dither / IM's best way (%s): %.2f; worst picture beside its best: %+.0f%%\n",
                    kImageMagick[std::size_t(best_way - sums.begin() - 2)].name,
                    sums[1] / *best_way, 100 * (ours_over_best - 1));
        std::printf("--dither / each picture's best IM way, on the mean: %.2f\n",
                    sums[1] / best_sum);
    }
    fs::remove_all(folder);
}
