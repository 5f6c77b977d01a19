// The ORBSKIN.000 file, the only file the tool writes. It has no header, magic or checksum; every
// part lies at a fixed offset:
//
//   offset    length  contents
//   0x00000   98304   section 1, mainnds.bmp   256 x 192 BGR555 pixels
//   ...               sections 2 to 12, one directly behind the other (kPictures)
//   0x6C400   512     settings block (settings.h)
//   0x6C600           end of file: 443904 bytes
//
// A picture section holds the picture's pixels in the order its BMP file stores them (an ordinary
// BMP stores its bottom row first), each as one 16-bit value, little-endian:
//
//   bit  15 14 13 12 11 10  9  8  7  6  5  4  3  2  1  0
//         0 [  blue >> 3  ] [ green >> 3  ] [  red >> 3  ]
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orbskin::skin {

inline constexpr std::string_view kSkinFileName = "ORBSKIN.000";

// An input picture is a 24-bit BMP whose 54-byte header is skipped unread: its pixels, three
// bytes each (blue, green, red), run from here to the end of the file without row padding.
inline constexpr std::size_t kBmpHeaderLength = 54;
inline constexpr std::size_t kBytesPerInputPixel = 3;
inline constexpr std::size_t kBytesPerSkinPixel = 2;

struct Picture {
    std::string_view name;
    std::size_t width;
    std::size_t height;

    [[nodiscard]] constexpr std::size_t pixels() const { return width * height; }
    [[nodiscard]] constexpr std::size_t file_length() const {
        return kBmpHeaderLength + pixels() * kBytesPerInputPixel;
    }
    [[nodiscard]] constexpr std::size_t section_length() const {
        return pixels() * kBytesPerSkinPixel;
    }
};

// The twelve pictures in the order they are checked, converted and stored.
inline constexpr std::array<Picture, 12> kPictures{{
    {"mainnds.bmp", 256, 192},
    {"listnds.bmp", 256, 192},
    {"musicnds.bmp", 256, 192},
    {"ebooknds.bmp", 256, 192},
    {"movie.bmp", 64, 64},
    {"music.bmp", 64, 64},
    {"image.bmp", 64, 64},
    {"game.bmp", 64, 64},
    {"ebook.bmp", 64, 64},
    {"option.bmp", 64, 64},
    {"dir.bmp", 16, 16},
    {"updir.bmp", 16, 16},
}};

// Where section `index` starts; section_offset(kPictures.size()) is where the pixels end.
[[nodiscard]] constexpr std::size_t section_offset(std::size_t index) {
    std::size_t offset = 0;
    for (std::size_t i = 0; i < index; ++i)
        offset += kPictures[i].section_length();
    return offset;
}

inline constexpr std::size_t kPixelDataLength = section_offset(kPictures.size());
inline constexpr std::size_t kSettingsOffset = kPixelDataLength;
inline constexpr std::size_t kSettingsLength = 512;
inline constexpr std::size_t kSkinFileLength = kSettingsOffset + kSettingsLength;

static_assert(kPixelDataLength == 443392);
static_assert(kSettingsOffset == 0x6C400);
static_assert(kSkinFileLength == 443904);

// Where picture `index` starts among the twelve files laid back to back, in table order;
// file_offset(kPictures.size()) is their whole length.
[[nodiscard]] constexpr std::size_t file_offset(std::size_t index) {
    std::size_t offset = 0;
    for (std::size_t i = 0; i < index; ++i)
        offset += kPictures[i].file_length();
    return offset;
}

// The largest picture, for sizing one buffer that every picture fits in.
[[nodiscard]] constexpr std::size_t largest_picture_length() {
    std::size_t largest = 0;
    for (const Picture& picture : kPictures)
        largest = picture.file_length() > largest ? picture.file_length() : largest;
    return largest;
}

// The picture a file name stands for in any letter case (MAINNDS.BMP is mainnds.bmp), as cameras
// and older systems write names; nothing for a name that is none of the twelve.
[[nodiscard]] const Picture* picture_in_any_case(std::string_view name);

// A size as users see it: "256×192".
[[nodiscard]] std::string size_text(std::int64_t width, std::int64_t height);
[[nodiscard]] std::string size_text(const Picture& picture);

// The messages of the input checks, exactly as skin makers know them.
[[nodiscard]] std::string missing_message(const Picture& picture);
[[nodiscard]] std::string wrong_length_message(const Picture& picture);

inline constexpr std::string_view kFinishMessage = "Finish!";

}  // namespace orbskin::skin
