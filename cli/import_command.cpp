// orbskin-cli import: any picture Qt can read, made into the canonical 24-bit BMP a skin needs.
#include <QColor>
#include <QImage>
#include <memory>

#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/image_import.h"
#include "runtime/error.h"
#include "runtime/files.h"
#include "runtime/text_to_byte.h"

namespace orbskin::cli {
namespace {

struct ImportOptions {
    std::string image;
    std::string name;
    std::string folder;
    std::string background = "black";
    bool scale = false;
    bool force = false;
};

const skin::Picture& picture_named(const std::string& name) {
    for (const skin::Picture& picture : skin::kPictures)
        if (picture.name == name) return picture;
    throw CLI::ValidationError("NAME", "\"" + name + "\" is not one of the twelve picture names");
}

// "R,G,B" with numbers from 0 to 255, or a colour name or #RRGGBB.
skin::Rgb parse_colour(const std::string& text) {
    const std::size_t first = text.find(','), second = text.find(',', first + 1);
    if (first != std::string::npos && second != std::string::npos) {
        const auto r = runtime::text_to_byte(text.substr(0, first));
        const auto g = runtime::text_to_byte(text.substr(first + 1, second - first - 1));
        const auto b = runtime::text_to_byte(text.substr(second + 1));
        if (r && g && b) return {*r, *g, *b};
    } else if (const QColor colour(QString::fromStdString(text)); colour.isValid()) {
        return {static_cast<std::uint8_t>(colour.red()), static_cast<std::uint8_t>(colour.green()),
                static_cast<std::uint8_t>(colour.blue())};
    }
    throw CLI::ValidationError("--background", "\"" + text + "\" is not a colour");
}

int import_picture(const ImportOptions& options, std::ostream& out) {
    const skin::Picture& picture = picture_named(options.name);
    const skin::Rgb background = parse_colour(options.background);
    const std::filesystem::path target = std::filesystem::path(options.folder) / picture.name;
    refuse_to_overwrite(target, options.force);

    const QImage image = decode_picture(read_picture_file(options.image), options.image);
    const std::vector<std::uint8_t> bmp =
        canonical_picture(image, picture, options.scale, background, options.image);
    runtime::replace_file(target, bmp);
    out << "wrote " << target.string() << " (" << picture.width << "×" << picture.height
        << ", 24-bit BMP, " << bmp.size() << " bytes)\n";
    return kExitSuccess;
}

}  // namespace

Command add_import(CLI::App& parent) {
    CLI::App* app = parent.add_subcommand(
        "import", "Convert a picture (PNG, JPEG, any BMP, GIF...) into one of the twelve BMPs.");
    auto options = std::make_shared<ImportOptions>();
    app->add_option("IMAGE", options->image, "The picture to convert")->required();
    app->add_option("NAME", options->name,
                    "Which of the twelve pictures it becomes, e.g. movie.bmp")
        ->required();
    app->add_option("--dir", options->folder, "Folder to write it to (default: .)")
        ->type_name("DIR");
    app->add_flag("--scale", options->scale, "Resize a picture of another size smoothly");
    app->add_flag("--force", options->force, "Replace a picture that already exists");
    app->add_option("--background", options->background,
                    "Colour under transparent parts: R,G,B, #RRGGBB or a name (default: black)")
        ->type_name("COLOR");

    return {app, [options](std::ostream& out, std::ostream& err) {
                picture_named(options->name);  // a usage error, before any file is read
                parse_colour(options->background);
                return report_failures(err, [&] { return import_picture(*options, out); });
            }};
}

}  // namespace orbskin::cli
