// orbskin.exe: the window, working in the folder named on its command line (as when a folder is
// dropped on the program in Explorer) or in the current one.
#define WIN32_LEAN_AND_MEAN
// windows.h must come before the others.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
// clang-format on

#include "disk/files.h"
#include "window/start_folder.h"
#include "window/win32/form1.h"
#include "window/win32/text.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    const std::filesystem::path folder = arguments && count > 1 ? arguments[1] : L"";
    LocalFree(arguments);
    if (const auto refused =
            orbskin::window::refuse_start_folder(orbskin::disk::system_os(), folder);
        !folder.empty() && refused) {
        orbskin::window::show_message(nullptr, *refused);
        return 1;
    }

    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    orbskin::window::Form1 form(instance, orbskin::disk::system_os(), folder);
    ShowWindow(form.handle(), show);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // The dialog manager gives Tab, Shift+Tab and Enter their meaning in the window.
        if (IsDialogMessageW(form.handle(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
