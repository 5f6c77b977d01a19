// Luminance by the sRGB transfer function, as WCAG 2 defines it.
#include "skin/readability.h"

#include <cmath>

#include "runtime/text_to_byte.h"
#include "skin/picture_check.h"

namespace orbskin::skin {
namespace {

double linear(std::uint8_t channel) {
    const double c = channel / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

std::optional<Rgb> colour_of(const SkinSettings& settings, std::size_t group) {
    const auto fields = fields_of(group);
    const auto r = runtime::text_to_byte(settings.texts[fields[0]]),
               g = runtime::text_to_byte(settings.texts[fields[1]]),
               b = runtime::text_to_byte(settings.texts[fields[2]]);
    if (!r || !g || !b) return std::nullopt;
    return Rgb{*r, *g, *b};
}

// The mean relative luminance of the picture from (left, top), in picture coordinates with the
// top row first, to its bottom-right corner; nothing when the file is not the canonical BMP.
std::optional<double> mean_luminance(const PictureFiles& pictures, std::size_t index,
                                     std::size_t left, std::size_t top) {
    const Picture& picture = kPictures[index];
    const auto& file = pictures[index];
    if (!file || !explain_bmp(*file, file->size(), picture).ok()) return std::nullopt;
    if (left >= picture.width || top >= picture.height) return std::nullopt;
    double sum = 0;
    for (std::size_t y = top; y < picture.height; ++y) {
        const std::size_t row = picture.height - 1 - y;  // stored bottom row first
        for (std::size_t x = left; x < picture.width; ++x) {
            const std::uint8_t* p = file->data() + kBmpHeaderLength + 3 * (row * picture.width + x);
            sum += relative_luminance({p[2], p[1], p[0]});
        }
    }
    return sum / double((picture.height - top) * (picture.width - left));
}

}  // namespace

double relative_luminance(Rgb colour) {
    return 0.2126 * linear(colour.red) + 0.7152 * linear(colour.green) +
           0.0722 * linear(colour.blue);
}

double contrast_ratio(double a, double b) {
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

runtime::Number ratio_number(double ratio) {
    return {static_cast<std::int64_t>(std::floor(ratio * 10 + 1e-9)), 1};
}

std::string ratio_text(double ratio, const runtime::Writing& writing) {
    return write(ratio_number(ratio), writing) + ":1";
}

std::vector<Readability> readability(const PictureFiles& pictures, const SkinSettings& settings) {
    // The list position is where the list, and the selected entry within it, start.
    std::size_t list_group = 0;
    for (std::size_t g = 0; g < kSettingsGroups.size(); ++g)
        if (kSettingsGroups[g].caption == "List position") list_group = g;
    const auto list = fields_of(list_group);
    const auto x = runtime::text_to_byte(settings.texts[list[0]]),
               y = runtime::text_to_byte(settings.texts[list[1]]);
    std::vector<Readability> figures;
    for (std::size_t g = 0; g < kSettingsGroups.size(); ++g) {
        const std::string_view over = kSettingsGroups[g].drawn_over;
        if (over.empty()) continue;
        const std::optional<Rgb> colour = colour_of(settings, g);
        if (!colour) continue;
        const std::size_t index = std::size_t(picture_in_any_case(over) - kPictures.data());
        const bool on_list = over == "listnds.bmp";  // the list starts at its position
        if (on_list && (!x || !y)) continue;
        const std::optional<double> ground =
            mean_luminance(pictures, index, on_list ? *x : 0, on_list ? *y : 0);
        if (ground) {
            figures.push_back(
                {g, index, *colour, contrast_ratio(relative_luminance(*colour), *ground)});
        }
    }
    return figures;
}

runtime::Message readability_message(const Readability& figure) {
    const std::string colour = std::to_string(figure.colour.red) + "," +
                               std::to_string(figure.colour.green) + "," +
                               std::to_string(figure.colour.blue);
    return runtime::Message(
        "{caption} {colour} over {picture}: contrast {ratio}:1, below {least}:1, so it may be hard "
        "to read",
        {{"caption", std::string(kSettingsGroups[figure.group].caption)},
         {"colour", colour},
         {"picture", std::string(kPictures[figure.picture].name)},
         {"ratio", ratio_number(figure.ratio)},
         {"least", runtime::Number(int(kReadableContrast))}});
}

}  // namespace orbskin::skin
