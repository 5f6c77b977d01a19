// Plain drawing on a grid of pixels: rectangles and 5 × 7 letters.
#include "picture/templates.h"

#include <array>
#include <string>
#include <string_view>

#include "runtime/text_to_byte.h"
#include "skin/bmp.h"
#include "skin/settings.h"

namespace orbskin::picture {
namespace {

inline constexpr std::string_view kGlyphChars = "abcdefghijklmnopqrstuvwxyz0123456789.";
inline constexpr std::array<std::array<std::uint8_t, 7>, 37> kGlyphs{{
    {0b00000, 0b00000, 0b01110, 0b00001, 0b01111, 0b10001, 0b01111},  // a
    {0b10000, 0b10000, 0b10110, 0b11001, 0b10001, 0b10001, 0b11110},  // b
    {0b00000, 0b00000, 0b01110, 0b10000, 0b10000, 0b10001, 0b01110},  // c
    {0b00001, 0b00001, 0b01101, 0b10011, 0b10001, 0b10001, 0b01111},  // d
    {0b00000, 0b00000, 0b01110, 0b10001, 0b11111, 0b10000, 0b01110},  // e
    {0b00110, 0b01001, 0b01000, 0b11100, 0b01000, 0b01000, 0b01000},  // f
    {0b00000, 0b01111, 0b10001, 0b10001, 0b01111, 0b00001, 0b01110},  // g
    {0b10000, 0b10000, 0b10110, 0b11001, 0b10001, 0b10001, 0b10001},  // h
    {0b00100, 0b00000, 0b01100, 0b00100, 0b00100, 0b00100, 0b01110},  // i
    {0b00010, 0b00000, 0b00110, 0b00010, 0b00010, 0b10010, 0b01100},  // j
    {0b10000, 0b10000, 0b10010, 0b10100, 0b11000, 0b10100, 0b10010},  // k
    {0b01100, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110},  // l
    {0b00000, 0b00000, 0b11010, 0b10101, 0b10101, 0b10001, 0b10001},  // m
    {0b00000, 0b00000, 0b10110, 0b11001, 0b10001, 0b10001, 0b10001},  // n
    {0b00000, 0b00000, 0b01110, 0b10001, 0b10001, 0b10001, 0b01110},  // o
    {0b00000, 0b00000, 0b11110, 0b10001, 0b11110, 0b10000, 0b10000},  // p
    {0b00000, 0b00000, 0b01101, 0b10011, 0b01111, 0b00001, 0b00001},  // q
    {0b00000, 0b00000, 0b10110, 0b11001, 0b10000, 0b10000, 0b10000},  // r
    {0b00000, 0b00000, 0b01110, 0b10000, 0b01110, 0b00001, 0b11110},  // s
    {0b01000, 0b01000, 0b11100, 0b01000, 0b01000, 0b01001, 0b00110},  // t
    {0b00000, 0b00000, 0b10001, 0b10001, 0b10001, 0b10011, 0b01101},  // u
    {0b00000, 0b00000, 0b10001, 0b10001, 0b10001, 0b01010, 0b00100},  // v
    {0b00000, 0b00000, 0b10001, 0b10001, 0b10101, 0b10101, 0b01010},  // w
    {0b00000, 0b00000, 0b10001, 0b01010, 0b00100, 0b01010, 0b10001},  // x
    {0b00000, 0b00000, 0b10001, 0b10001, 0b01111, 0b00001, 0b01110},  // y
    {0b00000, 0b00000, 0b11111, 0b00010, 0b00100, 0b01000, 0b11111},  // z
    {0b01110, 0b10001, 0b10011, 0b10101, 0b11001, 0b10001, 0b01110},  // 0
    {0b00100, 0b01100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110},  // 1
    {0b01110, 0b10001, 0b00001, 0b00010, 0b00100, 0b01000, 0b11111},  // 2
    {0b11111, 0b00010, 0b00100, 0b00010, 0b00001, 0b10001, 0b01110},  // 3
    {0b00010, 0b00110, 0b01010, 0b10010, 0b11111, 0b00010, 0b00010},  // 4
    {0b11111, 0b10000, 0b11110, 0b00001, 0b00001, 0b10001, 0b01110},  // 5
    {0b00110, 0b01000, 0b10000, 0b11110, 0b10001, 0b10001, 0b01110},  // 6
    {0b11111, 0b00001, 0b00010, 0b00100, 0b01000, 0b01000, 0b01000},  // 7
    {0b01110, 0b10001, 0b10001, 0b01110, 0b10001, 0b10001, 0b01110},  // 8
    {0b01110, 0b10001, 0b10001, 0b01111, 0b00001, 0b00010, 0b01100},  // 9
    {0b00000, 0b00000, 0b00000, 0b00000, 0b00000, 0b01100, 0b01100},  // .
}};

struct Palette {
    skin::Rgb ground, faint, line, dark;
};
constexpr Palette kQuiet{{56, 60, 68}, {104, 108, 120}, {136, 140, 152}, {40, 44, 52}};
// Under the list and the ebook's text, whose starting colours (blue, red and black) need a light
// ground to be read: 3:1 and more for each.
constexpr Palette kLight{{236, 238, 242}, {176, 180, 190}, {200, 204, 214}, {220, 222, 228}};

class Canvas {
  public:
    Canvas(std::size_t width, std::size_t height, skin::Rgb ground)
        : width_(width), height_(height), pixels_(width * height, ground) {}

    void put(int x, int y, skin::Rgb colour) {
        if (x >= 0 && y >= 0 && std::size_t(x) < width_ && std::size_t(y) < height_)
            pixels_[std::size_t(y) * width_ + std::size_t(x)] = colour;
    }
    void outline(int left, int top, int width, int height, skin::Rgb colour) {
        for (int x = left; x < left + width; ++x)
            put(x, top, colour), put(x, top + height - 1, colour);
        for (int y = top; y < top + height; ++y)
            put(left, y, colour), put(left + width - 1, y, colour);
    }
    // Letters of kGlyphChars, 6 pixels apart; any other character is a space.
    void text(int left, int top, std::string_view text, skin::Rgb colour) {
        for (std::size_t n = 0; n < text.size(); ++n) {
            const std::size_t glyph = kGlyphChars.find(text[n]);
            if (glyph == std::string_view::npos) continue;
            for (int row = 0; row < 7; ++row)
                for (int column = 0; column < 5; ++column)
                    if (kGlyphs[glyph][std::size_t(row)] >> (4 - column) & 1)
                        put(left + 6 * int(n) + column, top + row, colour);
        }
    }
    // Centred across the picture.
    void centred(int top, std::string_view line, skin::Rgb colour) {
        text((int(width_) - 6 * int(line.size()) + 1) / 2, top, line, colour);
    }
    [[nodiscard]] std::vector<std::uint8_t> bmp() const {
        return skin::encode_bmp24(width_, height_, pixels_);
    }

  private:
    std::size_t width_, height_;
    std::vector<skin::Rgb> pixels_;
};

// Where a position group starts when the window opens.
std::array<int, 2> starting_position(std::size_t group) {
    const auto fields = skin::fields_of(group);
    return {*runtime::text_to_byte(skin::kSettingsFields[fields[0]].starting_text),
            *runtime::text_to_byte(skin::kSettingsFields[fields[1]].starting_text)};
}

std::string size_words(const skin::Picture& picture) {
    return std::to_string(picture.width) + "x" + std::to_string(picture.height);
}

}  // namespace

std::vector<std::uint8_t> template_picture(std::size_t index) {
    const skin::Picture& picture = skin::kPictures.at(index);
    const bool under_text = picture.name == "listnds.bmp" || picture.name == "ebooknds.bmp";
    const Palette& colours = under_text ? kLight : kQuiet;
    const auto [kGround, kFaint, kLine, kDark] = colours;
    Canvas canvas(picture.width, picture.height, kGround);
    const std::string name(picture.name);
    if (picture.width <= 16) {
        // A 16 × 16 icon: every pixel its own square of a checkerboard.
        for (int y = 0; y < int(picture.height); ++y)
            for (int x = 0; x < int(picture.width); ++x)
                canvas.put(x, y, (x + y) % 2 ? kDark : kGround);
        return canvas.bmp();
    }
    if (picture.width <= 64) {
        canvas.outline(0, 0, int(picture.width), int(picture.height), kLine);
        canvas.centred(22, name.substr(0, name.find('.')), kFaint);
        canvas.centred(34, size_words(picture), kFaint);
        return canvas.bmp();
    }
    canvas.centred(int(picture.height) - 12, name + " " + size_words(picture), kFaint);
    for (std::size_t g = 0; g < skin::kSettingsGroups.size(); ++g) {
        const std::string_view places = skin::kSettingsGroups[g].places;
        const auto [x, y] = starting_position(g);
        if (index == 0 && !places.empty()) {
            const skin::Picture& icon = *skin::picture_in_any_case(places);
            canvas.outline(x, y, int(icon.width), int(icon.height), kLine);
            canvas.text(x + 3, y + 3, places.substr(0, places.find('.')), kFaint);
        } else if (index == 1 && skin::kSettingsGroups[g].caption == "List position") {
            for (int across = x; across < int(picture.width); ++across)
                canvas.put(across, y, kLine);
            canvas.text(x, y + 3, "the list starts here", kFaint);
        }
    }
    return canvas.bmp();
}

}  // namespace orbskin::picture
