// The window's DPI services. Windows 10 version 1607 added the per-monitor functions, and a
// program that imported them would not start on Windows 7, 8 or 8.1; they are looked up when the
// program runs, and where they are missing everything is measured at the system DPI, which the
// manifest's dpiAware asks for there.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace orbskin::window {

inline constexpr UINT kDefaultDpi = 96;
inline constexpr UINT kDpiChangedMessage = 0x02E0;  // WM_DPICHANGED, sent from Windows 8.1 on

class Dpi {
  public:
    // The functions this system has.
    [[nodiscard]] static const Dpi& of_system();
    // None of them, as on Windows 7: the system DPI everywhere.
    [[nodiscard]] static Dpi system_wide() { return Dpi(); }

    [[nodiscard]] UINT of_window(HWND window) const;
    [[nodiscard]] int system_metric(int index, UINT dpi) const;
    [[nodiscard]] LOGFONTW message_font(UINT dpi) const;
    // The outer rectangle of a window whose client area is `client`.
    [[nodiscard]] RECT outer_rect(RECT client, DWORD style, UINT dpi) const;

  private:
    Dpi() = default;

    UINT(WINAPI* for_window_)(HWND) = nullptr;
    int(WINAPI* metrics_for_dpi_)(int, UINT) = nullptr;
    BOOL(WINAPI* parameters_for_dpi_)(UINT, UINT, PVOID, UINT, UINT) = nullptr;
    BOOL(WINAPI* adjust_for_dpi_)(LPRECT, DWORD, BOOL, DWORD, UINT) = nullptr;
};

}  // namespace orbskin::window
