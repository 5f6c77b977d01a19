// Reading a skin back: the twelve pictures as canonical BMP files and the settings it holds.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "runtime/message.h"
#include "skin/bmp.h"
#include "skin/layout.h"
#include "skin/pixels.h"
#include "skin/settings.h"

namespace orbskin::skin {

// The 24-bit colour of a BGR555 value: each 5-bit channel widened to 8 bits by repeating its high
// bits, so that converting it back gives the same value.
[[nodiscard]] constexpr Rgb rgb_from_bgr555(std::uint16_t value) {
    return {skin_level(value & 0x1F), skin_level(value >> 5 & 0x1F),
            skin_level(value >> 10 & 0x1F)};
}

struct UnpackedSkin {
    // Per picture, its pixels in the order the section stores them (an ordinary picture's bottom
    // row first).
    std::array<std::vector<Rgb>, kPictures.size()> stored_pixels;
    std::array<std::uint8_t, kSettingsFields.size()> values{};
    std::uint8_t show_hint = 0;
    // Bytes a skin made by this tool never holds, in words, one line each.
    std::vector<runtime::Message> warnings;
    // The settings block's bytes among them that only a packed skin's fields may hold; their
    // warnings come last.
    std::vector<std::size_t> stray_settings_bytes;
};

// The warnings in a few lines, for a screen: past a handful of stray settings bytes, one line
// counts them and names the first.
[[nodiscard]] std::vector<runtime::Message> brief_warnings(const UnpackedSkin& skin);

// "SUBJECT not a skin: it is LENGTH bytes long, …", the one wording of a file of the wrong length.
[[nodiscard]] runtime::Message not_a_skin_message(const runtime::Quoted& file,
                                                  std::uint64_t length);
[[nodiscard]] std::string not_a_skin_text(const std::string& subject, std::uint64_t length);

// Splits a whole skin file. Throws runtime::Error when it is not exactly kSkinFileLength long.
[[nodiscard]] UnpackedSkin unpack_skin(std::span<const std::uint8_t> skin);

// The settings that pack needs to write this skin's settings again, byte for byte: the 25 values
// as texts, and the hint on unless its byte is 0.
[[nodiscard]] SkinSettings settings_of(const UnpackedSkin& skin);

// The canonical BMP file of picture `index`, whose pack gives back the same section.
[[nodiscard]] std::vector<std::uint8_t> picture_bmp(const UnpackedSkin& skin, std::size_t index);

}  // namespace orbskin::skin
