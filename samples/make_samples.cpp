// Draws the twelve sample pictures of a skin, so that a skin can be built out of the box.
// Deterministic: the same pictures, byte for byte, on every run.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string_view>
#include <vector>

#include "skin/bmp.h"
#include "skin/layout.h"

namespace {

using orbskin::skin::Rgb;

class Canvas {
  public:
    Canvas(int width, int height)
        : width_(width),
          height_(height),
          pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {}

    void fill(const std::function<Rgb(int x, int y)>& paint) {
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                set(x, y, paint(x, y));
    }
    void set(int x, int y, Rgb colour) {
        if (x >= 0 && y >= 0 && x < width_ && y < height_) pixels_[y * width_ + x] = colour;
    }
    void rect(int x0, int y0, int w, int h, Rgb colour) {
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x)
                set(x, y, colour);
    }
    void disc(int cx, int cy, int r, Rgb colour) {
        for (int y = cy - r; y <= cy + r; ++y)
            for (int x = cx - r; x <= cx + r; ++x)
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) set(x, y, colour);
    }
    // Capital letters from a 5 x 7 font, each dot `scale` pixels wide.
    void text(int x, int y, std::string_view word, int scale, Rgb colour);

    [[nodiscard]] std::vector<std::uint8_t> bmp() const {
        return orbskin::skin::encode_bmp24(width_, height_, pixels_);
    }

  private:
    int width_;
    int height_;
    std::vector<Rgb> pixels_;
};

struct Glyph {
    char letter;
    std::array<std::string_view, 7> rows;
};

constexpr std::array<Glyph, 16> kFont{{
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'C', {".####", "#....", "#....", "#....", "#....", "#....", ".####"}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'I', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "#####"}},
    {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'N', {"#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {' ', {".....", ".....", ".....", ".....", ".....", ".....", "....."}},
}};

void Canvas::text(int x, int y, std::string_view word, int scale, Rgb colour) {
    for (const char letter : word) {
        for (const Glyph& glyph : kFont) {
            if (glyph.letter != letter) continue;
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if (glyph.rows[row][col] == '#')
                        rect(x + col * scale, y + row * scale, scale, scale, colour);
        }
        x += 6 * scale;
    }
}

std::uint8_t level(double v) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 255.0)));
}

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};

// A full screen: a diagonal gradient in the screen's own colours, with its name written on it.
Canvas screen(std::string_view title, Rgb from, Rgb to) {
    Canvas c(256, 192);
    c.fill([&](int x, int y) {
        const double t = (x + y) / (255.0 + 191.0);
        return Rgb{level(from.red + (to.red - from.red) * t),
                   level(from.green + (to.green - from.green) * t),
                   level(from.blue + (to.blue - from.blue) * t)};
    });
    c.rect(0, 0, 256, 4, kWhite);  // marks the top edge, to see that nothing is upside down
    c.text(12, 12, title, 4, kWhite);
    c.text(12, 168, "SAMPLE", 2, kBlack);
    return c;
}

Canvas icon(Rgb background) {
    Canvas c(64, 64);
    c.fill([&](int x, int y) {
        const bool border = x < 2 || y < 2 || x > 61 || y > 61;
        return border ? kWhite : background;
    });
    return c;
}

// The four screens: a title on a gradient, and a hint of what each menu shows.
void draw_screens(std::vector<Canvas>& pictures) {
    pictures.push_back(screen("MAIN", {20, 40, 160}, {120, 200, 255}));
    Canvas list = screen("LIST", {20, 110, 60}, {180, 240, 160});
    for (int row = 0; row < 6; ++row)
        list.rect(12, 60 + row * 16, 232, 10, {240, 240, 240});
    pictures.push_back(list);
    Canvas music = screen("MUSIC", {120, 20, 120}, {255, 160, 220});
    for (int bar = 0; bar < 16; ++bar)
        music.rect(16 + bar * 14, 150 - (bar * 37 % 80), 10, bar * 37 % 80, {255, 230, 90});
    pictures.push_back(music);
    Canvas ebook = screen("EBOOK", {150, 90, 30}, {250, 220, 160});
    ebook.rect(40, 56, 176, 104, {252, 248, 235});
    for (int line = 0; line < 8; ++line)
        ebook.rect(52, 66 + line * 12, 152, 3, {90, 90, 90});
    pictures.push_back(ebook);
}

// The six menu icons: a film strip, a note, a landscape, a game pad, a book and a gear.
void draw_icons(std::vector<Canvas>& pictures) {
    Canvas movie = icon({30, 30, 30});  // a film strip
    for (int hole = 0; hole < 6; ++hole) {
        movie.rect(6 + hole * 10, 10, 6, 6, kWhite);
        movie.rect(6 + hole * 10, 48, 6, 6, kWhite);
    }
    movie.rect(8, 20, 48, 24, {90, 160, 230});
    pictures.push_back(movie);
    Canvas note = icon({250, 200, 230});  // a note
    note.disc(24, 44, 9, kBlack);
    note.rect(31, 12, 4, 32, kBlack);
    note.rect(31, 12, 16, 5, kBlack);
    pictures.push_back(note);
    Canvas image = icon({140, 200, 250});  // a landscape with a sun
    image.disc(46, 18, 8, {255, 220, 40});
    for (int x = 2; x < 62; ++x)
        image.rect(x, 34 + std::abs(x - 24) / 2, 1, 28, {40, 140, 60});
    pictures.push_back(image);
    Canvas game = icon({70, 70, 90});  // a direction pad and two buttons
    game.rect(14, 20, 8, 24, kWhite);
    game.rect(6, 28, 24, 8, kWhite);
    game.disc(42, 36, 5, {230, 60, 60});
    game.disc(52, 26, 5, {60, 200, 90});
    pictures.push_back(game);
    Canvas book = icon({120, 80, 40});  // an open book
    book.rect(8, 14, 23, 36, {252, 248, 235});
    book.rect(33, 14, 23, 36, {252, 248, 235});
    pictures.push_back(book);
    Canvas gear = icon({110, 110, 120});  // a gear
    for (int tooth = 0; tooth < 8; ++tooth) {
        const double a = tooth * 3.14159265358979 / 4;
        gear.disc(32 + static_cast<int>(std::lround(18 * std::cos(a))),
                  32 + static_cast<int>(std::lround(18 * std::sin(a))), 5, {220, 220, 225});
    }
    gear.disc(32, 32, 16, {220, 220, 225});
    gear.disc(32, 32, 6, {110, 110, 120});
    pictures.push_back(gear);
}

// The two small icons: a folder, and the folder with an arrow up.
void draw_small_icons(std::vector<Canvas>& pictures) {
    Canvas dir(16, 16);  // a folder
    dir.fill([](int, int) { return Rgb{255, 255, 255}; });
    dir.rect(1, 3, 6, 2, {230, 170, 30});
    dir.rect(1, 5, 14, 9, {250, 200, 60});
    pictures.push_back(dir);
    Canvas updir = dir;  // a folder with an arrow up
    updir.rect(7, 7, 2, 6, kBlack);
    updir.rect(5, 8, 6, 1, kBlack);
    updir.rect(6, 7, 4, 1, kBlack);
    pictures.push_back(updir);
}

std::vector<Canvas> draw_all() {
    std::vector<Canvas> pictures;
    draw_screens(pictures);
    draw_icons(pictures);
    draw_small_icons(pictures);
    return pictures;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make-samples FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const std::vector<Canvas> pictures = draw_all();
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const std::vector<std::uint8_t> bytes = pictures[i].bmp();
        const std::filesystem::path file = folder / orbskin::skin::kPictures[i].name;
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            std::cerr << "cannot write \"" << file.string() << "\"\n";
            return 1;
        }
    }
    return 0;
}
