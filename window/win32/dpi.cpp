// Per-monitor DPI where Windows has it, the system DPI where it does not.
#include "window/win32/dpi.h"

namespace orbskin::window {
namespace {

template <typename Function>
void look_up(HMODULE library, const char* name, Function& function) {
    // GetProcAddress gives a generic pointer; the name fixes its real type.
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

}  // namespace

const Dpi& Dpi::of_system() {
    static const Dpi loaded = [] {
        Dpi dpi;
        if (HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
            look_up(user32, "GetDpiForWindow", dpi.for_window_);
            look_up(user32, "GetSystemMetricsForDpi", dpi.metrics_for_dpi_);
            look_up(user32, "SystemParametersInfoForDpi", dpi.parameters_for_dpi_);
            look_up(user32, "AdjustWindowRectExForDpi", dpi.adjust_for_dpi_);
        }
        return dpi;
    }();
    return loaded;
}

UINT Dpi::of_window(HWND window) const {
    if (for_window_) return for_window_(window);
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

int Dpi::system_metric(int index, UINT dpi) const {
    return metrics_for_dpi_ ? metrics_for_dpi_(index, dpi) : GetSystemMetrics(index);
}

LOGFONTW Dpi::message_font(UINT dpi) const {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (parameters_for_dpi_)
        parameters_for_dpi_(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
    else
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    return metrics.lfMessageFont;
}

RECT Dpi::outer_rect(RECT client, DWORD style, UINT dpi) const {
    if (adjust_for_dpi_)
        adjust_for_dpi_(&client, style, FALSE, 0, dpi);
    else
        AdjustWindowRectEx(&client, style, FALSE, 0);
    return client;
}

}  // namespace orbskin::window
