// orbskin-cli import: any picture Qt can read, made into the canonical 24-bit BMP a skin needs.
#include <algorithm>
#include <memory>
#include <string_view>

#include "cli/cli.h"
#include "cli/commands.h"
#include "disk/files.h"
#include "disk/whole_files.h"
#include "picture/decode.h"
#include "picture/picture_import.h"
#include "picture/platform.h"
#include "runtime/error.h"
#include "runtime/text_to_byte.h"
#include "runtime/utf8_path.h"

namespace orbskin::cli {
namespace {

struct ImportOptions {
    std::string image;
    std::string name;
    std::string folder;
    std::string background = "black";
    bool background_given = false;
    bool scale = false;
    bool fit = false;
    bool crop = false;
    bool trim = false;
    bool pad = false;
    bool pixel_art = false;
    bool dither = false;
    bool force = false;
};

const skin::Picture& picture_named(const std::string& name) {
    if (const skin::Picture* picture = skin::picture_in_any_case(name)) return *picture;
    throw CLI::ValidationError("NAME", "\"" + name + "\" is not one of the twelve picture names");
}

// The sixteen basic colour names of the web.
constexpr std::pair<std::string_view, skin::Rgb> kColourNames[] = {
    {"black", {0, 0, 0}},       {"silver", {192, 192, 192}}, {"gray", {128, 128, 128}},
    {"grey", {128, 128, 128}},  {"white", {255, 255, 255}},  {"maroon", {128, 0, 0}},
    {"red", {255, 0, 0}},       {"purple", {128, 0, 128}},   {"fuchsia", {255, 0, 255}},
    {"magenta", {255, 0, 255}}, {"green", {0, 128, 0}},      {"lime", {0, 255, 0}},
    {"olive", {128, 128, 0}},   {"yellow", {255, 255, 0}},   {"navy", {0, 0, 128}},
    {"blue", {0, 0, 255}},      {"teal", {0, 128, 128}},     {"aqua", {0, 255, 255}},
    {"cyan", {0, 255, 255}}};

// "R,G,B" with numbers from 0 to 255, #RRGGBB, or a basic colour name.
skin::Rgb parse_colour(const std::string& text) {
    if (const std::vector<std::string> parts = split_components(text); parts.size() == 3) {
        const auto r = runtime::text_to_byte(parts[0]), g = runtime::text_to_byte(parts[1]),
                   b = runtime::text_to_byte(parts[2]);
        if (r && g && b) return {*r, *g, *b};
    }
    if (text.size() == 7 && text[0] == '#' &&
        text.find_first_not_of("0123456789abcdefABCDEF", 1) == std::string::npos) {
        const unsigned long value = std::stoul(text.substr(1), nullptr, 16);
        return {std::uint8_t(value >> 16), std::uint8_t(value >> 8), std::uint8_t(value)};
    }
    for (const auto& [name, colour] : kColourNames)
        if (name == text) return colour;
    throw CLI::ValidationError("--background", "\"" + text + "\" is not a colour");
}

picture::Resize resize_of(const ImportOptions& options) {
    if (options.fit) return picture::Resize::fit;
    if (options.crop) return picture::Resize::crop;
    if (options.trim) return picture::Resize::trim;
    if (options.pad) return picture::Resize::pad;
    if (options.pixel_art) return picture::Resize::pixel_art;
    return options.scale ? picture::Resize::stretch : picture::Resize::none;
}

// Whether more than half of the picture is mostly see-through.
bool mostly_transparent(const picture::Bitmap& image) {
    const auto clear = std::count_if(image.pixels.begin(), image.pixels.end(),
                                     [](std::uint32_t p) { return (p >> 24) < 128; });
    return static_cast<std::size_t>(clear) * 2 > image.pixels.size();
}

int import_picture(runtime::Os& os, const ImportOptions& options, std::ostream& out,
                   std::ostream& err) {
    const skin::Picture& wanted = picture_named(options.name);
    const picture::Conversion how{resize_of(options), options.dither,
                                  parse_colour(options.background)};
    const std::filesystem::path target = runtime::path_from_utf8(options.folder) / wanted.name;
    refuse_to_overwrite(os, target, options.force);

    const picture::Bitmap image = picture::decode_picture(
        disk::read_picture_file(os, options.image), options.image, picture::decode_with_platform);
    if (!options.background_given && mostly_transparent(image)) {
        err << "warning: most of " << runtime::quoted(options.image)
            << " is transparent and is laid over black; if the picture is dark, choose another "
               "colour with --background, e.g. --background white\n";
    }
    std::vector<std::uint8_t> bmp;
    try {
        bmp = picture::canonical_picture(image, wanted, how, options.image);
    } catch (const picture::OtherSize& refused) {
        throw runtime::Error(std::string(refused.what()) +
                             "; add --crop, --fit or --scale to resize it");
    }
    disk::replace_file(os, target, bmp);
    out << "wrote " << runtime::utf8_of(target) << " (" << skin::size_text(wanted)
        << ", 24-bit BMP, " << bmp.size() << " bytes)\n";
    return kExitSuccess;
}

}  // namespace

Command add_import(CLI::App& parent) {
    CLI::App* app = parent.add_subcommand(picture_commands_help()[0].name,
                                          picture_commands_help()[0].description);
    auto options = std::make_shared<ImportOptions>();
    app->add_option("IMAGE", options->image, "The picture to convert")->required();
    app->add_option("NAME", options->name,
                    "Which of the twelve pictures it becomes, e.g. movie.bmp")
        ->required();
    app->add_option("--dir", options->folder, "Folder to write it to (default: .)")
        ->type_name("DIR");
    CLI::Option* crop = app->add_flag(
        "--crop", options->crop,
        "Resize a picture of another size to fill the size, cutting off what overhangs");
    CLI::Option* fit = app->add_flag("--fit", options->fit,
                                     "Resize a picture of another size to fit inside the size, "
                                     "with the background colour around it");
    CLI::Option* scale =
        app->add_flag("--scale", options->scale,
                      "Stretch a picture of another size to the size, whatever its shape");
    CLI::Option* trim = app->add_flag(
        "--trim", options->trim,
        "Cut a picture a few pixels too large to the size around its centre, without resampling");
    CLI::Option* pad = app->add_flag(
        "--pad", options->pad,
        "Put a picture a few pixels too small in the middle of the size, with the background "
        "colour around it, without resampling");
    CLI::Option* pixel_art = app->add_flag(
        "--pixel-art", options->pixel_art,
        "Scale by a whole factor (2x, 3x, 1/2, 1/4...) by repeating or taking pixels exactly");
    const std::vector<CLI::Option*> resizes{crop, fit, scale, trim, pad, pixel_art};
    for (std::size_t i = 0; i < resizes.size(); ++i)
        for (std::size_t j = i + 1; j < resizes.size(); ++j)
            resizes[i]->excludes(resizes[j]);
    app->add_flag("--dither", options->dither,
                  "Spread the colours the skin cannot hold, so that gradients and photos do not "
                  "band (not for pixel art)");
    app->add_flag("--force", options->force, "Replace a picture that already exists");
    CLI::Option* background = app->add_option(
        "--background", options->background,
        "Colour under transparent parts and around a --fit picture: R,G,B, #RRGGBB or a name "
        "(default: black)");
    background->type_name("COLOR");

    return {app, [options, background](runtime::Os& os, std::ostream& out, std::ostream& err) {
                picture_named(options->name);  // a usage error, before any file is read
                parse_colour(options->background);
                options->background_given = background->count() > 0;
                return report_failures(err, [&] { return import_picture(os, *options, out, err); });
            }};
}

}  // namespace orbskin::cli
