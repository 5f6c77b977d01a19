// Scaling, compositing and encoding of an imported picture.
#include "cli/image_import.h"

#include <QBuffer>
#include <QImageReader>
#include <optional>

#include "runtime/error.h"
#include "runtime/files.h"
#include "skin/byte_order.h"

namespace orbskin::cli {
namespace {

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

// Files above this are not pictures of a few hundred pixels a side.
constexpr std::uint64_t kLargestPictureFile = 256u << 20;
// Decoded pictures above this many megabytes are refused by Qt before they are allocated.
constexpr int kDecodeLimitMegabytes = 256;

// Whether every chunk of a PNG lies within the file: each is a 4-byte length, a 4-byte type,
// the data and a 4-byte checksum.
bool png_chunks_fit(const QByteArray& bytes) {
    constexpr qsizetype kSignature = 8, kHead = 8, kFraming = 12;
    qsizetype at = kSignature;
    // Every chunk whose length can be read must fit, checksum included.
    while (at + kHead <= bytes.size()) {
        const std::uint64_t length = skin::read_be32(std::span<const std::uint8_t, 4>(
            reinterpret_cast<const std::uint8_t*>(bytes.data() + at), 4));
        if (length + kFraming > static_cast<std::uint64_t>(bytes.size() - at)) return false;
        at += kFraming + static_cast<qsizetype>(length);
    }
    return true;
}

}  // namespace

QByteArray read_picture_file(const std::string& file) {
    const std::optional<std::uint64_t> length = runtime::regular_file_length(file);
    if (!length) throw runtime::Error("cannot open " + runtime::quoted(file) + ": no such file");
    if (*length > kLargestPictureFile) {
        throw runtime::Error(runtime::quoted(file) + " is " + std::to_string(*length >> 20) +
                             " MB, too large to be a picture for a skin");
    }
    QByteArray bytes(static_cast<qsizetype>(*length), Qt::Uninitialized);
    runtime::read_exact(file, std::span(reinterpret_cast<std::uint8_t*>(bytes.data()),
                                        static_cast<std::size_t>(bytes.size())));
    return bytes;
}

QImage decode_picture(const QByteArray& bytes, const std::string& source) {
    if (bytes.startsWith("\x89PNG\r\n\x1a\n") && !png_chunks_fit(bytes)) {
        throw runtime::Error("cannot read " + runtime::quoted(source) +
                             " as a picture: it is a damaged PNG file, with a part that claims "
                             "more bytes than the file holds");
    }
    QImageReader::setAllocationLimit(kDecodeLimitMegabytes);
    QByteArray data = bytes;  // QBuffer wants a non-const array; this shares, not copies
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        throw runtime::Error("cannot read " + runtime::quoted(source) +
                             " as a picture: " + reader.errorString().toStdString());
    }
    return image;
}

std::vector<std::uint8_t> canonical_picture(QImage image, const skin::Picture& picture, bool scale,
                                            skin::Rgb background, const std::string& source) {
    const QSize wanted(static_cast<int>(picture.width), static_cast<int>(picture.height));
    if (image.size() != wanted) {
        if (!scale) {
            throw runtime::Error(
                runtime::quoted(source) + " is " + skin::size_text(image.width(), image.height()) +
                ", but " + std::string(picture.name) + " must be " +
                skin::size_text(wanted.width(), wanted.height()) + "; add --scale to resize it");
        }
        // Smooth scaling of a palette picture leaves a grid of pale dots; true colour first.
        image = image
                    .convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                             : QImage::Format_RGB32)
                    .scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return skin::encode_bmp24(picture.width, picture.height, composited(image, background));
}

}  // namespace orbskin::cli
