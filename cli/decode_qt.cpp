// Decoding with Qt's image readers, the formats' plugins included.
#include <QBuffer>
#include <QImageReader>
#include <span>

#include "cli/picture_import.h"
#include "runtime/error.h"

namespace orbskin::cli {
namespace {

// Decoded pictures above this many megabytes are refused by Qt before they are allocated.
constexpr int kDecodeLimitMegabytes = 256;

}  // namespace

Bitmap decode_with_platform(std::span<const std::uint8_t> bytes, const std::string& source) {
    QImageReader::setAllocationLimit(kDecodeLimitMegabytes);
    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);  // EXIF orientation
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        throw runtime::Error("cannot read " + runtime::quoted(source) +
                             " as a picture: " + reader.errorString().toStdString());
    }
    Bitmap bitmap{image.width(), image.height(), {}};
    bitmap.pixels.reserve(static_cast<std::size_t>(image.width()) * image.height());
    if (image.depth() >= 64 || image.format() == QImage::Format_Grayscale16) {
        // Deep channels: straight 16-bit red, green, blue, alpha, reduced by our own rule.
        image = image.convertToFormat(QImage::Format_RGBA64);
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgba64*>(image.constScanLine(y));
            for (const QRgba64& p : std::span(line, static_cast<std::size_t>(image.width())))
                bitmap.pixels.push_back(pixel_from_16bit(p.red(), p.green(), p.blue(), p.alpha()));
        }
        return bitmap;
    }
    // Straight alpha, 0xAARRGGBB, whatever the file held: palette, grey or CMYK.
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        bitmap.pixels.insert(bitmap.pixels.end(), line, line + image.width());
    }
    return bitmap;
}

}  // namespace orbskin::cli
