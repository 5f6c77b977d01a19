// Scaling, compositing and encoding of an imported picture.
#include "cli/image_import.h"

#include "runtime/error.h"

namespace orbskin::cli {
namespace {

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

}  // namespace

std::vector<std::uint8_t> canonical_picture(QImage image, const skin::Picture& picture, bool scale,
                                            skin::Rgb background, const std::string& source) {
    const QSize wanted(static_cast<int>(picture.width), static_cast<int>(picture.height));
    if (image.size() != wanted) {
        if (!scale) {
            throw runtime::Error(
                runtime::quoted(source) + " is " + size_text(image.width(), image.height()) +
                ", but " + std::string(picture.name) + " must be " +
                size_text(wanted.width(), wanted.height()) + "; add --scale to resize it");
        }
        image = image.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return skin::encode_bmp24(picture.width, picture.height, composited(image, background));
}

}  // namespace orbskin::cli
