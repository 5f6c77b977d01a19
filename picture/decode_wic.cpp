// Decoding with the Windows Imaging Component, the system's own readers: PNG, JPEG, BMP, GIF,
// TIFF, and whatever codecs the system has added (WebP among them on current Windows).
#include <algorithm>
#include <cstdio>
#include <iterator>

#include "picture/picture_head.h"
#include "picture/platform.h"
#include "picture/wic.h"
#include "picture/wording.h"
#include "runtime/error.h"
#include "skin/byte_order.h"

namespace orbskin::picture {
namespace {

class Failure {
  public:
    explicit Failure(const std::string& source) : source_(source) {}
    // Throws when `result` is a failure, naming the step that failed.
    void check(HRESULT result, const char* why) const {
        if (SUCCEEDED(result)) return;
        char code[16];
        std::snprintf(code, sizeof code, "%08lX", static_cast<unsigned long>(result));
        throw runtime::Error(picture::unreadable_picture_text(
            source_, std::string(why) + " (error 0x" + code + ")"));
    }

  private:
    const std::string& source_;
};

// The pixel formats of more than 8 bits a channel that PNG and TIFF decode to.
bool deep(const WICPixelFormatGUID& format) {
    for (const GUID& kind :
         {GUID_WICPixelFormat16bppGray, GUID_WICPixelFormat48bppRGB, GUID_WICPixelFormat48bppBGR,
          GUID_WICPixelFormat64bppRGB, GUID_WICPixelFormat64bppRGBA, GUID_WICPixelFormat64bppBGRA,
          GUID_WICPixelFormat64bppPRGBA, GUID_WICPixelFormat64bppPBGRA})
        if (IsEqualGUID(format, kind)) return true;
    return false;
}

// How the 16-bit channels of a pixel lie in the formats read directly: which of the pixel's
// values is red, green, blue and alpha (-1: opaque). Others are converted to 64bppRGBA first.
struct DeepLayout {
    const GUID* format;
    int values;
    int red, green, blue, alpha;
};
constexpr DeepLayout kDeepLayouts[] = {{&GUID_WICPixelFormat16bppGray, 1, 0, 0, 0, -1},
                                       {&GUID_WICPixelFormat48bppRGB, 3, 0, 1, 2, -1},
                                       {&GUID_WICPixelFormat64bppRGBA, 4, 0, 1, 2, 3}};

// The frame's pixels as 16-bit channels, reduced by our own rule.
void copy_deep(IWICBitmapFrameDecode* frame, const WICPixelFormatGUID& format, Bitmap& bitmap,
               const Failure& failure) {
    const DeepLayout* layout = &kDeepLayouts[2];
    IWICBitmapSource* source = frame;
    Com<IWICBitmapSource> converted;
    const auto direct =
        std::find_if(std::begin(kDeepLayouts), std::end(kDeepLayouts),
                     [&](const DeepLayout& l) { return IsEqualGUID(*l.format, format); });
    if (direct != std::end(kDeepLayouts)) {
        layout = direct;
    } else {
        failure.check(WICConvertBitmapSource(GUID_WICPixelFormat64bppRGBA, frame, converted.out()),
                      "its pixel format cannot be converted");
        source = converted.get();
    }
    const UINT width = static_cast<UINT>(bitmap.width);
    const UINT stride = width * static_cast<UINT>(layout->values) * 2;
    std::vector<std::uint16_t> line(std::size_t{width} * static_cast<std::size_t>(layout->values));
    for (int y = 0; y < bitmap.height; ++y) {
        const WICRect row{0, y, bitmap.width, 1};
        failure.check(
            source->CopyPixels(&row, stride, stride, reinterpret_cast<BYTE*>(line.data())),
            kDamaged);
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint16_t* p = &line[x * static_cast<std::size_t>(layout->values)];
            bitmap.pixels[std::size_t(y) * width + x] =
                pixel_from_16bit(p[layout->red], p[layout->green], p[layout->blue],
                                 layout->alpha < 0 ? std::uint16_t{0xFFFF} : p[layout->alpha]);
        }
    }
}

}  // namespace

Bitmap decode_with_platform(std::vector<std::uint8_t> bytes, const std::string& source) {
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
    const HRESULT found = factory->CreateDecoderFromStream(
        stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.out());
    if (found == WINCODEC_ERR_COMPONENTNOTFOUND)
        throw NoDecoderHere("no Windows Imaging Component decoder for it");
    failure.check(found, "it is not in a format Windows reads");
    Com<IWICBitmapFrameDecode> frame;
    failure.check(decoder->GetFrame(0, frame.out()), kNoPixels);  // GIF: the first
    UINT width = 0, height = 0;
    failure.check(frame->GetSize(&width, &height), kDamaged);
    if (width == 0 || height == 0 || std::uint64_t{width} * height > picture::kLargestDecodedPixels)
        failure.check(E_OUTOFMEMORY, kFarTooLarge.data());

    Bitmap bitmap{static_cast<int>(width), static_cast<int>(height),
                  std::vector<std::uint32_t>(std::size_t{width} * height)};
    WICPixelFormatGUID format{};
    if (SUCCEEDED(frame->GetPixelFormat(&format)) && deep(format)) {
        copy_deep(frame.get(), format, bitmap, failure);
    } else {
        // Straight alpha, blue-green-red-alpha bytes: 0xAARRGGBB in a little-endian word.
        Com<IWICBitmapSource> converted;
        failure.check(
            WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.get(), converted.out()),
            "its pixel format cannot be converted");
        failure.check(
            converted->CopyPixels(nullptr, width * 4, static_cast<UINT>(bitmap.pixels.size() * 4),
                                  reinterpret_cast<BYTE*>(bitmap.pixels.data())),
            kDamaged);
    }
    return bitmap;
}

}  // namespace orbskin::picture
