// Fuzzes import with arbitrary bytes: whatever Qt's readers make of them, the result is a
// canonical picture of the exact length, or a refusal.
#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "cli/image_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool limited = [] {
        QImageReader::setAllocationLimit(
            16);  // megabytes: a hostile header must not exhaust memory
        return true;
    }();
    (void)limited;
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    QImage image;
    if (!reader.read(&image) || image.isNull()) return 0;
    if (image.width() > 2048 || image.height() > 2048) return 0;
    const auto& picture = orbskin::skin::kPictures[10];
    const auto bmp = orbskin::cli::canonical_picture(image, picture, true, {0, 0, 0}, "fuzz");
    if (bmp.size() != picture.file_length()) std::abort();
    return 0;
}
