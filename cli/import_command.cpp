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
#include "picture/resize.h"
#include "runtime/error.h"
#include "runtime/text_to_byte.h"
#include "runtime/utf8_path.h"
#include "skin/picture_head.h"

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

// The extension of the format the bytes are in, for the kept original's name.
std::string extension_of(std::span<const std::uint8_t> bytes) {
    const skin::PictureFormat* format = skin::format_of(bytes);
    return format ? std::string(format->extensions.substr(0, format->extensions.find(' '))) : "";
}

// Whether two names are the same file: the same path once made absolute, in any letter case
// where the file system ignores it.
bool same_file(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::string first = std::filesystem::absolute(a).lexically_normal().generic_string();
    std::string second = std::filesystem::absolute(b).lexically_normal().generic_string();
#ifdef _WIN32
    for (std::string* text : {&first, &second})
        for (char& c : *text)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
#endif
    return first == second;
}

// Moves `source` into originals/ beside it, under its name with the extension of its real
// format, never over a file already there; gives where it went.
std::filesystem::path keep_original(runtime::Os& os, const std::filesystem::path& source,
                                    const std::string& extension) {
    const std::filesystem::path folder = source.parent_path() / "originals";
    disk::create_folders(os, folder);
    const std::string stem = runtime::utf8_of(source.stem());
    for (int n = 1;; ++n) {
        std::string name = stem;
        if (n > 1) name += "-" + std::to_string(n);
        name += extension;
        std::filesystem::path kept = folder / runtime::path_from_utf8(name);
        if (disk::look_up(os, kept).kind != runtime::FileKind::missing) continue;
        if (const int r = os.rename(source, kept); r < 0)
            runtime::throw_io_error("move the original to", kept, -r);
        return kept;
    }
}

// This import command again, on `source`, resized `how` (none: as given) and laid over
// `background` (empty: the one given), as it would be typed.
std::string command_again(const ImportOptions& options, const std::string& source,
                          picture::Resize how, std::string_view background) {
    std::string command = "orbskin-cli import";
    if (!options.folder.empty()) command += " --dir " + shell_word(options.folder);
    if (how == picture::Resize::none) how = resize_of(options);
    if (how != picture::Resize::none) command += " " + std::string(picture::resize_way(how).option);
    command += std::string(options.dither ? " --dither" : "") + " --force";
    if (!background.empty())
        command += " --background " + std::string(background);
    else if (options.background_given)
        command += " --background " + shell_word(options.background);
    return command + " " + shell_word(source) + " " + options.name;
}

int import_picture(runtime::Os& os, const ImportOptions& options, std::ostream& out,
                   std::ostream& err) {
    const skin::Picture& wanted = picture_named(options.name);
    const picture::Conversion how{resize_of(options), options.dither,
                                  parse_colour(options.background)};
    const std::filesystem::path target = runtime::path_from_utf8(options.folder) / wanted.name;
    refuse_to_overwrite(os, target, options.force);

    std::vector<std::uint8_t> bytes = disk::read_picture_file(os, options.image);
    const std::string extension = extension_of(bytes);
    const picture::Bitmap image =
        picture::decode_picture(std::move(bytes), options.image, picture::decode_with_platform);
    std::vector<std::uint8_t> bmp;
    try {
        bmp = picture::canonical_picture(image, wanted, how, options.image);
    } catch (const picture::OtherSize& refused) {
        throw runtime::Error(std::string(refused.what()) +
                             "; add --crop, --fit or --scale to resize it");
    }
    // Replacing the picture it was made from would leave no copy of it: that is kept first.
    const std::filesystem::path source = runtime::path_from_utf8(options.image);
    std::string original = options.image;
    if (same_file(source, target)) {
        const std::filesystem::path kept = keep_original(os, source, extension);
        try {
            disk::replace_file(os, target, bmp);
        } catch (...) {
            os.rename(kept, source);
            throw;
        }
        original = runtime::utf8_of(kept);
        out << "kept the original as " << original << '\n';
    } else {
        disk::replace_file(os, target, bmp);
    }
    out << "wrote " << runtime::utf8_of(target) << " (" << skin::size_text(wanted)
        << ", 24-bit BMP, " << bmp.size() << " bytes)\n";
    if (!options.background_given && mostly_transparent(image)) {
        err << "warning: most of " << runtime::quoted(original)
            << " is transparent and is laid over black; if the picture is dark, lay it over "
               "another colour with --background: "
            << command_again(options, original, picture::Resize::none, "white") << '\n';
    }
    if (options.crop && original != options.image) {
        out << "to keep the whole picture instead, with the background around it: "
            << command_again(options, original, picture::Resize::fit, "") << '\n';
    }
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
