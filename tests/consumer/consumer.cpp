// Builds a skin from twelve white pictures made in memory, with no folder, as a page would.
#include <cstdio>

#include "skin/bmp.h"
#include "skin/build.h"

int main() {
    using namespace orbskin::skin;
    std::array<std::vector<std::uint8_t>, kPictures.size()> files;
    PictureFiles pictures;
    for (std::size_t i = 0; i < kPictures.size(); ++i) {
        const Picture& p = kPictures[i];
        files[i] =
            encode_bmp24(p.width, p.height, std::vector<Rgb>(p.width * p.height, {255, 255, 255}));
        pictures[i] = files[i];
    }
    const BuiltSkin built = build_skin(pictures, SkinSettings::starting());
    // White is 0x7FFF, stored low byte first.
    const bool right = built.outcome.finished && built.skin.size() == 443904 &&
                       built.skin[0] == 0xFF && built.skin[1] == 0x7F;
    std::printf("%s\n", right ? "a skin of 443904 bytes" : built.outcome.message.c_str());
    return right ? 0 : 1;
}
