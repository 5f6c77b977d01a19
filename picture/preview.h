// The preview sheet of a skin: every picture as it looked in the editor, the text colours as
// swatches, and the positions and hint flag as text. The pictures and swatches are drawn here,
// pixel for pixel the same on every platform; only the text is left to the platform's fonts.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/message.h"
#include "skin/unpack.h"

namespace orbskin::picture {

inline constexpr std::size_t kScreenCount = 4;
inline constexpr std::size_t kSmallIconCount = 2;
inline constexpr std::size_t kColourCount = 3;
inline constexpr int kTextPixels = 13;   // the height of the captions' font
inline constexpr int kTitlePixels = 16;  // the height of the title's bold font

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    [[nodiscard]] bool intersects(const Rect& other) const {
        return left < other.left + other.width && other.left < left + width &&
               top < other.top + other.height && other.top < top + height;
    }
};

struct PreviewLayout {
    int width = 0;
    int height = 0;
    std::array<Rect, skin::kPictures.size()> actual_size;    // every picture at 1:1
    std::array<Rect, kScreenCount> double_size;              // the four screens at 2:1
    std::array<Rect, kSmallIconCount> small_icons_enlarged;  // dir.bmp and updir.bmp at 4:1
    std::array<Rect, kColourCount> swatches;                 // the three text colours
    std::array<Rect, kColourCount> swatch_labels;            // "List text color 0,0,255"
    Rect placed;  // mainnds.bmp at 2:1 with the six icons where their positions put them
};

[[nodiscard]] PreviewLayout preview_layout();

// A line of text, left-aligned and centred vertically in `at`.
struct Text {
    std::string text;  // UTF-8
    Rect at;
    bool title = false;                 // bold, kTitlePixels high; otherwise kTextPixels
    std::uint32_t colour = 0xFF000000;  // 0xFFRRGGBB
};

struct Sheet {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0xFFRRGGBB, top row first
    std::vector<Text> texts;            // to be drawn over the pixels, each in its colour
    std::string language;               // of its words ("ja", "zh_TW"…), for caption_face()
};

// How many of a text's characters a face lacks, by the face's name.
using MissingGlyphs = std::function<std::size_t(std::string_view face)>;

// The face to draw `text` in where the platform does not fall back to other fonts for characters
// its font lacks (GDI): of the message font `system`, then the faces that Windows 7 to 11 and
// Debian have for the text's CJK script (kana, Hangul, or Han as `language` writes it), the
// first that lacks the fewest. `system` for text of no CJK script, without asking `missing`.
[[nodiscard]] std::string_view caption_face(std::string_view text, std::string_view language,
                                            std::string_view system, const MissingGlyphs& missing);

// The sheet of `skin`, titled `title`. It shows every picture pixel for pixel at 1:1, the screens
// and small icons enlarged, the main screen with the icons placed over it as the page's sketch
// places them (top-left corner at X, Y), sample lines of the list and of an ebook over their
// screens at 2:1 in their colours, the text colours and the settings.
// Its words are said by `say`, in English where none is given.
using Say = std::function<std::string(const runtime::Message&)>;
[[nodiscard]] Sheet draw_preview(const skin::UnpackedSkin& skin, const std::string& title,
                                 const Say& say = {});

}  // namespace orbskin::picture
