// Form1 in Win32: the controls are created from the layout tables in focus order, so that the
// dialog manager's Tab and Shift+Tab follow the tab indices; every place is in twips and turned
// into pixels for the window's current DPI.
#include "window/win32/form1.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "disk/skin_folder.h"
#include "runtime/error.h"
#include "window/win32/dpi.h"
#include "window/win32/text.h"

namespace orbskin::window {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;  // a close box only, fixed size
// What the controls' own decoration takes from the room for their captions, in twips at any
// DPI: a group box's frame and title margins, a check box's box and gap, a button's edges.
constexpr int kGroupTitleMargins = 300;
constexpr int kCheckBoxAndGap = 330;
constexpr int kButtonEdges = 180;

int pixels(auto twips, UINT dpi) {
    return twips_to_pixels(twips, static_cast<int>(dpi));
}

float twips(int pixels, UINT dpi) {
    return pixels_to_twips(pixels, static_cast<int>(dpi));
}

// The system's message font at `dpi`, at `points` when given.
HFONT message_font(UINT dpi, float points = 0) {
    LOGFONTW font = Dpi::of_system().message_font(dpi);
    if (points > 0) font.lfHeight = -static_cast<LONG>(std::lround(points * dpi / 72.0f));
    return CreateFontIndirectW(&font);
}

float message_font_points(UINT dpi) {
    return static_cast<float>(std::abs(Dpi::of_system().message_font(dpi).lfHeight)) * 72.0f /
           static_cast<float>(dpi);
}

}  // namespace

Form1::Form1(HINSTANCE instance, runtime::Os& os, std::filesystem::path folder)
    : os_(os), folder_(std::move(folder)) {
    WNDCLASSEXW kind{};
    kind.cbSize = sizeof kind;
    kind.lpfnWndProc = &Form1::procedure;
    kind.hInstance = instance;
    kind.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    kind.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    kind.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    kind.lpszClassName = kClassName;
    RegisterClassExW(&kind);
    const std::wstring title = to_wide(kTitle);
    window_ = CreateWindowExW(0, kClassName, title.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
    if (!window_) throw std::runtime_error("cannot create the window");
    create_controls();
    lay_out(Dpi::of_system().of_window(window_));

    // Start-up place: centred across the screen, 500 twips above its middle, by the outer size.
    RECT outer{};
    GetWindowRect(window_, &outer);
    const TwipPosition at = startup_placement(
        {twips(Dpi::of_system().system_metric(SM_CXSCREEN, dpi_), dpi_),
         twips(Dpi::of_system().system_metric(SM_CYSCREEN, dpi_), dpi_)},
        {twips(outer.right - outer.left, dpi_), twips(outer.bottom - outer.top, dpi_)});
    SetWindowPos(window_, nullptr, pixels(at.left, dpi_), pixels(at.top, dpi_), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    last_focus_ = just_go_;
}

Form1::~Form1() {
    if (window_) DestroyWindow(window_);
    if (font_) DeleteObject(font_);
}

HWND Form1::add(const wchar_t* kind, std::string_view text, DWORD style, int id) {
    const std::wstring caption = to_wide(text);
    const DWORD extended = std::wstring_view(kind) == L"EDIT" ? WS_EX_CLIENTEDGE : 0;
    HWND control =
        CreateWindowExW(extended, kind, caption.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                        window_, reinterpret_cast<HMENU>(INT_PTR{id}), nullptr, nullptr);
    if (!control) throw std::runtime_error("cannot create a control");
    return control;
}

void Form1::create_controls() {
    // Frames and labels first; they take no focus.
    for (std::size_t g = 0; g < skin::kSettingsGroups.size(); ++g)
        controls_.push_back({add(L"BUTTON", skin::kSettingsGroups[g].caption, BS_GROUPBOX),
                             group_rect(g), group_rect(g).width - kGroupTitleMargins});
    for (std::size_t n = 0; n < skin::kSettingsFields.size(); ++n)
        controls_.push_back({add(L"STATIC", skin::kSettingsFields[n].label, SS_LEFT),
                             in_group(n, kLabelInRow), kLabelInRow.width});
    // Then the rest in focus order, which the dialog manager follows for Tab.
    for (const FocusStop& stop : focus_order()) {
        if (stop.kind == FocusStop::text) {
            const skin::SettingsField& field = skin::kSettingsFields[stop.field];
            HWND edit = add(L"EDIT", field.starting_text, WS_TABSTOP | ES_AUTOHSCROLL,
                            kFirstFieldId + static_cast<int>(stop.field) + 1);
            SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);  // any length; the block judges it
            fields_[stop.field] = edit;
            controls_.push_back({edit, in_group(stop.field, kFieldInRow), 0});
        } else if (stop.kind == FocusStop::check) {
            show_hint_ = add(L"BUTTON", kCheckCaption, WS_TABSTOP | BS_AUTOCHECKBOX, kCheckId);
            SendMessageW(show_hint_, BM_SETCHECK,
                         skin::kShowHintStarting ? BST_CHECKED : BST_UNCHECKED, 0);
            controls_.push_back({show_hint_, kCheckRect, kCheckRect.width - kCheckBoxAndGap});
        } else {
            just_go_ = add(L"BUTTON", kButtonCaption, WS_TABSTOP | BS_PUSHBUTTON, kButtonId);
            controls_.push_back({just_go_, kButtonRect, kButtonRect.width - kButtonEdges});
        }
    }
}

bool Form1::captions_fit(HFONT font) const {
    HDC dc = GetDC(window_);
    HGDIOBJ previous = SelectObject(dc, font);
    bool fit = true;
    for (const Control& control : controls_) {
        if (control.caption_room == 0) continue;
        const std::wstring caption = window_text(control.handle);
        SIZE size{};
        GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        fit = fit && size.cx <= pixels(control.caption_room, dpi_) &&
              metrics.tmHeight <= pixels(control.at.height, dpi_);
    }
    SelectObject(dc, previous);
    ReleaseDC(window_, dc);
    return fit;
}

void Form1::lay_out(UINT dpi) {
    dpi_ = dpi;
    const float points = fitted_point_size(message_font_points(dpi), [&](float size) {
        HFONT trial = message_font(dpi, size);
        const bool fit = captions_fit(trial);
        DeleteObject(trial);
        return fit;
    });
    HFONT font = message_font(dpi, points);
    for (const Control& control : controls_) {
        MoveWindow(control.handle, pixels(control.at.left, dpi), pixels(control.at.top, dpi),
                   pixels(control.at.width, dpi), pixels(control.at.height, dpi), TRUE);
        SendMessageW(control.handle, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    if (font_) DeleteObject(font_);
    font_ = font;
    const RECT frame = Dpi::of_system().outer_rect(
        {0, 0, pixels(kClientWidth, dpi), pixels(kClientHeight, dpi)}, kStyle, dpi);
    SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

skin::SkinSettings Form1::settings() const {
    skin::SkinSettings settings;
    for (std::size_t n = 0; n < fields_.size(); ++n)
        settings.texts[n] = to_utf8(window_text(fields_[n]));
    settings.show_hint = SendMessageW(show_hint_, BM_GETCHECK, 0, 0) == BST_CHECKED;
    return settings;
}

void Form1::just_go() {
    std::string message;
    try {
        message = disk::generate(os_, folder_, settings()).message;
    } catch (const std::exception& failure) {
        message = words_(runtime::failure_message(failure));
    }
    show_message(window_, message);
}

LRESULT CALLBACK Form1::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
        form->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Form1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return form ? form->handle(message, w, l) : DefWindowProcW(window, message, w, l);
}

LRESULT Form1::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_COMMAND:
            // The dialog manager turns Enter into IDOK wherever the focus is; only on the button
            // does it press it. Escape (IDCANCEL) does nothing.
            if ((LOWORD(w) == kButtonId && HIWORD(w) == BN_CLICKED) ||
                (LOWORD(w) == IDOK && GetFocus() == just_go_))
                just_go();
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(w) == WA_INACTIVE) {
                last_focus_ = GetFocus();
            } else if (last_focus_) {
                SetFocus(last_focus_);
            }
            return 0;
        case kDpiChangedMessage: {
            lay_out(HIWORD(w));
            const RECT* suggested = reinterpret_cast<const RECT*>(l);
            SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            window_ = nullptr;
            return 0;
        default:
            return DefWindowProcW(window_, message, w, l);
    }
}

}  // namespace orbskin::window
