// Decoding with the Windows Imaging Component, the system's own readers: PNG, JPEG, BMP, GIF,
// TIFF, and whatever codecs the system has added (WebP among them on current Windows).
#include <cstdio>

#include "cli/picture_import.h"
#include "cli/wic.h"
#include "runtime/error.h"

namespace orbskin::cli {
namespace {

// The largest picture decoded, in pixels: 256 MB of 32-bit pixels.
constexpr std::uint64_t kLargestPixels = (256u << 20) / 4;

class Failure {
  public:
    explicit Failure(const std::string& source) : source_(source) {}
    // Throws when `result` is a failure, naming the step that failed.
    void check(HRESULT result, const char* why) const {
        if (SUCCEEDED(result)) return;
        char code[16];
        std::snprintf(code, sizeof code, "%08lX", static_cast<unsigned long>(result));
        throw runtime::Error("cannot read " + runtime::quoted(source_) + " as a picture: " + why +
                             " (error 0x" + code + ")");
    }

  private:
    const std::string& source_;
};

// The EXIF orientation (1 to 8) of a JPEG or TIFF frame, as Windows reads it; 1 when it has
// none or the system cannot tell.
int exif_orientation(IWICBitmapFrameDecode* frame) {
    Com<IWICMetadataQueryReader> reader;
    if (FAILED(frame->GetMetadataQueryReader(reader.out()))) return 1;
    for (const wchar_t* query : {L"/app1/ifd/{ushort=274}", L"/ifd/{ushort=274}"}) {
        PROPVARIANT value;
        PropVariantInit(&value);
        const bool found = SUCCEEDED(reader->GetMetadataByName(query, &value)) &&
                           value.vt == VT_UI2 && value.uiVal >= 1 && value.uiVal <= 8;
        const int orientation = found ? value.uiVal : 1;
        PropVariantClear(&value);
        if (found) return orientation;
    }
    return 1;
}

}  // namespace

Bitmap decode_with_platform(std::span<const std::uint8_t> bytes, const std::string& source) {
    const Failure failure(source);
    Com<IWICImagingFactory> factory;
    failure.check(create_imaging_factory(factory),
                  "the Windows Imaging Component is not available");
    Com<IWICStream> stream;
    failure.check(factory->CreateStream(stream.out()), "out of memory");
    failure.check(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()),
                                               static_cast<DWORD>(bytes.size())),
                  "out of memory");
    Com<IWICBitmapDecoder> decoder;
    failure.check(factory->CreateDecoderFromStream(stream.get(), nullptr,
                                                   WICDecodeMetadataCacheOnDemand, decoder.out()),
                  "it is not in a format Windows reads");
    Com<IWICBitmapFrameDecode> frame;
    failure.check(decoder->GetFrame(0, frame.out()), "it holds no picture");  // GIF: the first
    UINT width = 0, height = 0;
    failure.check(frame->GetSize(&width, &height), "the file is damaged");
    if (width == 0 || height == 0 || std::uint64_t{width} * height > kLargestPixels)
        failure.check(E_OUTOFMEMORY, "the picture is far too large for a skin");

    // Straight alpha, blue-green-red-alpha bytes: 0xAARRGGBB in a little-endian word.
    Com<IWICBitmapSource> converted;
    failure.check(
        WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.get(), converted.out()),
        "its pixel format cannot be converted");
    Bitmap bitmap{static_cast<int>(width), static_cast<int>(height),
                  std::vector<std::uint32_t>(std::size_t{width} * height)};
    failure.check(
        converted->CopyPixels(nullptr, width * 4, static_cast<UINT>(bitmap.pixels.size() * 4),
                              reinterpret_cast<BYTE*>(bitmap.pixels.data())),
        "the file is damaged");
    // Some systems' readers do not report a JPEG's orientation; the file itself does.
    int orientation = exif_orientation(frame.get());
    if (orientation == 1) orientation = jpeg_orientation(bytes);
    return upright(bitmap, orientation);
}

}  // namespace orbskin::cli
