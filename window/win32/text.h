// A control's text, and the one kind of message box, in Windows' UTF-16.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>
#include <string_view>

#include "runtime/utf16.h"
#include "window/form_layout.h"

namespace orbskin::window {

using runtime::to_utf8;
using runtime::to_wide;

[[nodiscard]] inline std::wstring window_text(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The box of a run: the text, OK alone, no icon, the window's title as caption; modal to `owner`.
inline void show_message(HWND owner, std::string_view text) {
    MessageBoxW(owner, to_wide(text).c_str(), to_wide(kTitle).c_str(), MB_OK);
}

}  // namespace orbskin::window
