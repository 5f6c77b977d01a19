// orbskin-cli import: any picture Qt can read, made into the canonical 24-bit BMP a skin needs.
#include <QColor>
#include <QImage>
#include <QImageReader>
#include <memory>

#include "cli/cli.h"
#include "cli/commands.h"
#include "runtime/error.h"
#include "runtime/files.h"
#include "runtime/text_to_byte.h"
#include "skin/bmp.h"

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

std::string size_text(int width, int height) {
    return std::to_string(width) + "×" + std::to_string(height);
}

// The picture's pixels, top row first, with transparency laid over `background`.
std::vector<skin::Rgb> composited(const QImage& image, skin::Rgb background) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    std::vector<skin::Rgb> pixels;
    pixels.reserve(static_cast<std::size_t>(argb.width()) *
                   static_cast<std::size_t>(argb.height()));
    const auto blend = [](int value, int alpha, std::uint8_t under) {
        return static_cast<std::uint8_t>((value * alpha + under * (255 - alpha) + 127) / 255);
    };
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb p = line[x];
            const int a = qAlpha(p);
            pixels.push_back({blend(qRed(p), a, background.red),
                              blend(qGreen(p), a, background.green),
                              blend(qBlue(p), a, background.blue)});
        }
    }
    return pixels;
}

int import_picture(const ImportOptions& options, std::ostream& out) {
    const skin::Picture& picture = picture_named(options.name);
    const skin::Rgb background = parse_colour(options.background);
    const std::filesystem::path target = std::filesystem::path(options.folder) / picture.name;
    std::error_code ignored;
    if (!options.force && std::filesystem::exists(target, ignored)) {
        throw runtime::Error(runtime::quoted(target) +
                             " already exists and was left alone; use --force to replace it");
    }

    QImageReader reader(QString::fromStdString(options.image));
    reader.setAutoTransform(true);  // as photo viewers show it
    QImage image;
    if (!reader.read(&image)) {
        throw runtime::Error("cannot read " + runtime::quoted(options.image) +
                             " as a picture: " + reader.errorString().toStdString());
    }
    const QSize wanted(static_cast<int>(picture.width), static_cast<int>(picture.height));
    if (image.size() != wanted) {
        if (!options.scale) {
            throw runtime::Error(
                runtime::quoted(options.image) + " is " + size_text(image.width(), image.height()) +
                ", but " + std::string(picture.name) + " must be " +
                size_text(wanted.width(), wanted.height()) + "; add --scale to resize it");
        }
        image = image.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }

    const std::vector<std::uint8_t> bmp =
        skin::encode_bmp24(picture.width, picture.height, composited(image, background));
    runtime::replace_file(target, bmp);
    out << "wrote " << target.string() << " (" << size_text(wanted.width(), wanted.height())
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
