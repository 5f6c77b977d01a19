// Reads what X cannot see of orbskin.exe, from inside the same wine prefix:
//   probe box     the open message box's caption and text, one per line
//   probe focus   the focused control's name: Text1 to Text25, Check1 or Command3
//   probe frame   the window's outer left, top, width and height, and the screen's size
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "window/win32/form1.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    HWND form = FindWindowW(orbskin::window::kClassName, nullptr);
    if (std::strcmp(argv[1], "box") == 0) {
        HWND box = FindWindowW(L"#32770", nullptr);
        if (!box) return 1;
        wchar_t caption[512], text[2048];
        GetWindowTextW(box, caption, 512);
        GetDlgItemTextW(box, 0xFFFF, text, 2048);  // the box's static text
        std::printf("%ls\n%ls\n", caption, text);
        return 0;
    }
    if (!form) return 1;
    if (std::strcmp(argv[1], "focus") == 0) {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (!GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &info)) return 1;
        const int id = GetDlgCtrlID(info.hwndFocus);
        using namespace orbskin::window;
        if (id > kFirstFieldId && id <= kFirstFieldId + 25)
            std::printf("Text%d\n", id - kFirstFieldId);
        else
            std::printf("%s\n", id == kCheckId ? "Check1" : id == kButtonId ? "Command3" : "?");
        return 0;
    }
    RECT r{};
    GetWindowRect(form, &r);
    std::printf("%ld %ld %ld %ld %d %d\n", r.left, r.top, r.right - r.left, r.bottom - r.top,
                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    return 0;
}
