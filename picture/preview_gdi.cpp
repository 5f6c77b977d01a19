// The preview's text in the system's message font, or in a face that has its CJK characters,
// drawn with GDI, and its PNG, encoded by the Windows Imaging Component.
#include <algorithm>
#include <cstring>

#include "picture/platform.h"
#include "picture/wic.h"
#include "runtime/error.h"
#include "runtime/utf16.h"

namespace orbskin::picture {
namespace {

void check(HRESULT result, const char* step) {
    if (FAILED(result))
        throw runtime::Error(runtime::Message("cannot encode the preview as PNG: {step}",
                                              {{"step", std::string(step)}}));
}

// The font of `face` with the name `name`.
HFONT font_named(LOGFONTW face, std::string_view name) {
    const std::wstring wide = runtime::to_wide(name);
    const std::size_t length = std::min<std::size_t>(wide.size(), LF_FACESIZE - 1);
    std::copy_n(wide.begin(), length, face.lfFaceName);
    face.lfFaceName[length] = L'\0';
    return CreateFontIndirectW(&face);
}

// How many characters of `line` the font lacks; GDI draws them as boxes, as it links no fonts
// under wine and not every face on Windows.
std::size_t missing_glyphs(HDC dc, HFONT font, const std::wstring& line) {
    HGDIOBJ before = SelectObject(dc, font);
    std::vector<WORD> glyphs(line.size());
    const DWORD got = GetGlyphIndicesW(dc, line.c_str(), static_cast<int>(line.size()),
                                       glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, before);
    return got == GDI_ERROR
               ? line.size()
               : static_cast<std::size_t>(std::count(glyphs.begin(), glyphs.end(), 0xFFFF));
}

// Draws the texts into a copy of the sheet's pixels, top row first.
std::vector<std::uint32_t> with_texts(const Sheet& sheet) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = sheet.width;
    info.bmiHeader.biHeight = -sheet.height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dc || !bitmap)
        throw runtime::Error(runtime::Message("cannot draw the preview: out of memory"));
    std::memcpy(bits, sheet.pixels.data(), sheet.pixels.size() * 4);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    SetBkMode(dc, TRANSPARENT);
    for (const Text& text : sheet.texts) {
        SetTextColor(dc,
                     RGB(text.colour >> 16 & 0xFF, text.colour >> 8 & 0xFF, text.colour & 0xFF));
        LOGFONTW face = metrics.lfMessageFont;
        face.lfHeight = -(text.title ? kTitlePixels : kTextPixels);
        face.lfWeight = text.title ? FW_BOLD : FW_NORMAL;
        const std::wstring line = runtime::to_wide(text.text);
        const std::string system = runtime::to_utf8(face.lfFaceName);
        HFONT font = font_named(
            face, caption_face(text.text, sheet.language, system, [&](std::string_view name) {
                HFONT candidate = font_named(face, name);
                const std::size_t lacks = missing_glyphs(dc, candidate, line);
                DeleteObject(candidate);
                return lacks;
            }));
        HGDIOBJ before = SelectObject(dc, font);
        RECT at{text.at.left, text.at.top, text.at.left + text.at.width,
                text.at.top + text.at.height};
        DrawTextW(dc, line.c_str(), static_cast<int>(line.size()), &at,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
        SelectObject(dc, before);
        DeleteObject(font);
    }
    GdiFlush();
    std::vector<std::uint32_t> pixels(
        static_cast<const std::uint32_t*>(bits),
        static_cast<const std::uint32_t*>(bits) + sheet.pixels.size());
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

}  // namespace

std::vector<std::uint8_t> render_png(const Sheet& sheet) {
    std::vector<std::uint32_t> pixels = with_texts(sheet);
    Com<IWICImagingFactory> factory;
    check(create_imaging_factory(factory), "the Windows Imaging Component is not available");
    Com<IStream> memory;
    check(CreateStreamOnHGlobal(nullptr, TRUE, memory.out()), "out of memory");
    Com<IWICBitmapEncoder> encoder;
    check(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.out()),
          "no PNG encoder");
    check(encoder->Initialize(memory.get(), WICBitmapEncoderNoCache), "out of memory");
    Com<IWICBitmapFrameEncode> frame;
    check(encoder->CreateNewFrame(frame.out(), nullptr), "out of memory");
    check(frame->Initialize(nullptr), "out of memory");
    check(frame->SetSize(UINT(sheet.width), UINT(sheet.height)), "out of memory");
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGR;
    check(frame->SetPixelFormat(&format), "no pixel format");
    check(frame->WritePixels(UINT(sheet.height), UINT(sheet.width) * 4, UINT(pixels.size() * 4),
                             reinterpret_cast<BYTE*>(pixels.data())),
          "out of memory");
    check(frame->Commit(), "out of memory");
    check(encoder->Commit(), "out of memory");
    HGLOBAL global = nullptr;
    check(GetHGlobalFromStream(memory.get(), &global), "out of memory");
    STATSTG stat{};
    check(memory->Stat(&stat, STATFLAG_NONAME), "out of memory");
    const auto* bytes = static_cast<const std::uint8_t*>(GlobalLock(global));
    std::vector<std::uint8_t> png(bytes, bytes + stat.cbSize.QuadPart);
    GlobalUnlock(global);
    return png;
}

}  // namespace orbskin::picture
