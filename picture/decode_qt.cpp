// Decoding with Qt's image readers, the formats' plugins included.
#include <QBuffer>
#include <QImageReader>
#include <span>

#include "picture/picture_head.h"
#include "picture/platform.h"
#include "picture/wording.h"
#include "runtime/error.h"
#include "skin/byte_order.h"

namespace orbskin::picture {
namespace {

// Our limit, in pixels, decides what is too large (refuse_oversized()); Qt's, in bytes of its
// own pixels, of up to 8 bytes a pixel for 16-bit channels, stays above it, so that a picture
// within ours is never refused in Qt's words.
constexpr int kDecodeLimitMegabytes = static_cast<int>(picture::kLargestDecodedPixels * 8 >> 20);

// What the image plugins say while a picture is decoded ("libpng warning: iCCP: ...", "Bogus
// Huffman table definition"): kept instead of printed, so that the user reads our one line, with
// the library's last word folded into it when decoding fails.
std::string* library_said = nullptr;

void keep_library_message(QtMsgType, const QMessageLogContext&, const QString& text) {
    if (library_said) *library_said = text.toStdString();
}

class LibraryMessages {
  public:
    LibraryMessages() : previous_(qInstallMessageHandler(keep_library_message)) {
        library_said = &last_;
    }
    ~LibraryMessages() {
        library_said = nullptr;
        qInstallMessageHandler(previous_);
    }
    LibraryMessages(const LibraryMessages&) = delete;
    LibraryMessages& operator=(const LibraryMessages&) = delete;
    // " (what the library said)", or nothing.
    [[nodiscard]] std::string cause() const { return last_.empty() ? "" : " (" + last_ + ")"; }

  private:
    QtMessageHandler previous_;
    std::string last_;
};

}  // namespace

Bitmap decode_with_platform(std::vector<std::uint8_t> bytes, const std::string& source) {
    QImageReader::setAllocationLimit(kDecodeLimitMegabytes);
    QImage image;
    {
        QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                  static_cast<qsizetype>(bytes.size()));
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        reader.setAutoTransform(false);  // decode_picture() turns it, as on every platform
        const LibraryMessages library;
        if (!reader.read(&image) || image.isNull()) {
            if (reader.error() == QImageReader::UnsupportedFormatError)
                throw NoDecoderHere("no Qt image plugin for it");
            throw runtime::Error(picture::unreadable_picture_message(
                source,
                runtime::Message::as_is(reader.errorString().toStdString() + library.cause())));
        }
    }
    std::vector<std::uint8_t>().swap(bytes);  // decoded: the file's bytes are not needed now
    Bitmap bitmap{image.width(), image.height(), {}};
    bitmap.pixels.reserve(static_cast<std::size_t>(image.width()) * image.height());
    if (image.depth() >= 64 || image.format() == QImage::Format_Grayscale16) {
        // Deep channels: straight 16-bit red, green, blue, alpha, reduced by our own rule.
        image.convertTo(QImage::Format_RGBA64);
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgba64*>(image.constScanLine(y));
            for (const QRgba64& p : std::span(line, static_cast<std::size_t>(image.width())))
                bitmap.pixels.push_back(pixel_from_16bit(p.red(), p.green(), p.blue(), p.alpha()));
        }
        return bitmap;
    }
    // Straight alpha, 0xAARRGGBB, whatever the file held: palette, grey or CMYK; in place where
    // the depth allows, so that a large picture is not held twice.
    image.convertTo(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        bitmap.pixels.insert(bitmap.pixels.end(), line, line + image.width());
    }
    return bitmap;
}

}  // namespace orbskin::picture
