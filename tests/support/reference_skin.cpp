// The reference skin: each pixel as red / 8 + green / 8 * 32 + blue / 8 * 1024, two bytes low
// first.
#include "tests/support/reference_skin.h"

namespace orbskin::test {

Bytes reference_skin(const std::filesystem::path& folder, const std::array<int, 25>& values,
                     bool hint) {
    const char* names[12] = {"mainnds.bmp", "listnds.bmp", "musicnds.bmp", "ebooknds.bmp",
                             "movie.bmp",   "music.bmp",   "image.bmp",    "game.bmp",
                             "ebook.bmp",   "option.bmp",  "dir.bmp",      "updir.bmp"};
    Bytes skin;
    for (const char* name : names) {
        const Bytes picture = read_file(folder / name);
        for (std::size_t p = 54; p + 2 < picture.size(); p += 3) {
            const int value = picture[p + 2] / 8 + picture[p + 1] / 8 * 32 + picture[p] / 8 * 1024;
            skin.push_back(static_cast<std::uint8_t>(value % 256));
            skin.push_back(static_cast<std::uint8_t>(value / 256));
        }
    }
    Bytes block(512, 0);
    const int where[25] = {0,  1,  2,  4,  5,  6,  8,  9,  10, 16, 17, 20, 21,
                           24, 25, 28, 29, 32, 33, 36, 37, 40, 41, 44, 45};
    for (int n = 0; n < 25; ++n)
        block[where[n]] = static_cast<std::uint8_t>(values[n]);
    block[48] = hint ? 1 : 0;
    skin.insert(skin.end(), block.begin(), block.end());
    return skin;
}

}  // namespace orbskin::test
