// Form1 on Windows: the same groups, labels, fields, check box and button as the Qt window,
// placed from the same twip tables, as native controls that scale with the monitor's DPI.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <array>
#include <filesystem>
#include <vector>

#include "language/words.h"
#include "runtime/os.h"
#include "skin/settings.h"
#include "window/form_layout.h"

namespace orbskin::window {

// The window's class and its controls' ids, by which tools find them.
inline constexpr wchar_t kClassName[] = L"OrbskinForm1";
inline constexpr int kFirstFieldId = 1000;  // Text n has the id 1000 + n
inline constexpr int kCheckId = 2001;       // Check1
inline constexpr int kButtonId = 3003;      // Command3

class Form1 {
  public:
    // Creates the window, placed for start-up and hidden; throws std::runtime_error on failure.
    // `folder` is where it works: an empty path is the current folder.
    // Runs in `folder` (empty: the current one), reading and writing files through `os`.
    Form1(HINSTANCE instance, runtime::Os& os, std::filesystem::path folder);
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    [[nodiscard]] HWND handle() const { return window_; }
    // The fields' texts exactly as shown and the state of "Show hint".
    [[nodiscard]] skin::SkinSettings settings() const;

  private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void create_controls();
    // A child control, placed later by lay_out().
    HWND add(const wchar_t* kind, std::string_view text, DWORD style, int id = 0);
    // Places every control and sizes the window for `dpi`, with the font that fits there.
    void lay_out(UINT dpi);
    [[nodiscard]] bool captions_fit(HFONT font) const;
    // Runs the generate command in the window's folder and shows its one message.
    void just_go();

    struct Control {
        HWND handle;
        TwipRect at;
        int caption_room;  // twips the control's own decoration leaves for its caption
    };
    runtime::Os& os_;
    // Our own words, in the user's language; the captions and pack's messages stay as they are.
    language::Words words_{language::system_preferences()};
    std::filesystem::path folder_;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    UINT dpi_ = 96;  // until the window knows its own
    std::vector<Control> controls_;
    std::array<HWND, skin::kSettingsFields.size()> fields_{};
    HWND show_hint_ = nullptr;
    HWND just_go_ = nullptr;
    HWND last_focus_ = nullptr;
};

}  // namespace orbskin::window
