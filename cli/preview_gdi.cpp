// The preview's text in the system's message font, drawn with GDI, and its PNG, encoded by the
// Windows Imaging Component.
#define WIN32_LEAN_AND_MEAN
// windows.h must come before the others.
// clang-format off
#include <windows.h>
#include <objidl.h>
#include <wincodec.h>
// clang-format on

#include <cstring>

#include "cli/preview.h"
#include "runtime/error.h"

namespace orbskin::cli {
namespace {

void check(HRESULT result, const char* step) {
    if (FAILED(result))
        throw runtime::Error(std::string("cannot encode the preview as PNG: ") + step);
}

template <typename T>
struct Released {
    T* p = nullptr;
    ~Released() {
        if (p) p->Release();
    }
};

std::wstring wide(const std::string& text) {
    std::wstring out(text.size(), L'\0');
    out.resize(static_cast<std::size_t>(MultiByteToWideChar(
        CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), int(out.size()))));
    return out;
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
    if (!dc || !bitmap) throw runtime::Error("cannot draw the preview: out of memory");
    std::memcpy(bits, sheet.pixels.data(), sheet.pixels.size() * 4);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    for (const Text& text : sheet.texts) {
        LOGFONTW face = metrics.lfMessageFont;
        face.lfHeight = -(text.title ? kTitlePixels : kTextPixels);
        face.lfWeight = text.title ? FW_BOLD : FW_NORMAL;
        HFONT font = CreateFontIndirectW(&face);
        HGDIOBJ before = SelectObject(dc, font);
        RECT at{text.at.left, text.at.top, text.at.left + text.at.width,
                text.at.top + text.at.height};
        const std::wstring line = wide(text.text);
        DrawTextW(dc, line.c_str(), static_cast<int>(line.size()), &at,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
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
    const HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (started != RPC_E_CHANGED_MODE) check(started, "COM could not be started");
    Released<IWICImagingFactory> factory;
    check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                           IID_PPV_ARGS(&factory.p)),
          "the Windows Imaging Component is not available");
    Released<IStream> memory;
    check(CreateStreamOnHGlobal(nullptr, TRUE, &memory.p), "out of memory");
    Released<IWICBitmapEncoder> encoder;
    check(factory.p->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder.p), "no PNG encoder");
    check(encoder.p->Initialize(memory.p, WICBitmapEncoderNoCache), "out of memory");
    Released<IWICBitmapFrameEncode> frame;
    check(encoder.p->CreateNewFrame(&frame.p, nullptr), "out of memory");
    check(frame.p->Initialize(nullptr), "out of memory");
    check(frame.p->SetSize(UINT(sheet.width), UINT(sheet.height)), "out of memory");
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGR;
    check(frame.p->SetPixelFormat(&format), "no pixel format");
    check(frame.p->WritePixels(UINT(sheet.height), UINT(sheet.width) * 4, UINT(pixels.size() * 4),
                               reinterpret_cast<BYTE*>(pixels.data())),
          "out of memory");
    check(frame.p->Commit(), "out of memory");
    check(encoder.p->Commit(), "out of memory");
    HGLOBAL global = nullptr;
    check(GetHGlobalFromStream(memory.p, &global), "out of memory");
    STATSTG stat{};
    check(memory.p->Stat(&stat, STATFLAG_NONAME), "out of memory");
    const auto* bytes = static_cast<const std::uint8_t*>(GlobalLock(global));
    std::vector<std::uint8_t> png(bytes, bytes + stat.cbSize.QuadPart);
    GlobalUnlock(global);
    return png;
}

}  // namespace orbskin::cli
