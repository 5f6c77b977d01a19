// Unpacking a skin into pictures and settings, reporting what a packed skin never contains.
#include "skin/unpack.h"

#include "runtime/error.h"

namespace orbskin::skin {
namespace {

bool is_field_byte(std::size_t byte) {
    for (const SettingsField& field : kSettingsFields)
        if (field.block_byte == byte) return true;
    return byte == kShowHintByte;
}

}  // namespace

runtime::Message not_a_skin_message(const runtime::Quoted& file, std::uint64_t length) {
    return runtime::Message(
        "{file} is not a skin: it is {length} bytes long, and a skin is always {skin}",
        {{"file", file},
         {"length", runtime::Number(length)},
         {"skin", runtime::Number(kSkinFileLength)}});
}

std::string not_a_skin_text(const std::string& subject, std::uint64_t length) {
    return subject + "not a skin: it is " + std::to_string(length) +
           " bytes long, and a skin is always " + std::to_string(kSkinFileLength);
}

UnpackedSkin unpack_skin(std::span<const std::uint8_t> skin) {
    if (skin.size() != kSkinFileLength) throw runtime::Error(not_a_skin_text("", skin.size()));
    UnpackedSkin result;
    std::size_t high_bit_pixels = 0;
    for (std::size_t i = 0; i < kPictures.size(); ++i) {
        const std::span<const std::uint8_t> section =
            skin.subspan(section_offset(i), kPictures[i].section_length());
        std::vector<Rgb>& pixels = result.stored_pixels[i];
        pixels.resize(kPictures[i].pixels());
        for (std::size_t n = 0; n < pixels.size(); ++n) {
            const std::uint8_t high = section[2 * n + 1];
            if (high & 0x80) ++high_bit_pixels;
            pixels[n] = rgb_from_bgr555(static_cast<std::uint16_t>(section[2 * n] | high << 8));
        }
    }
    if (high_bit_pixels != 0) {
        result.warnings.push_back(runtime::Message::plural(
            "{n} pixel has bit 15 set, which a packed skin never has; the bit is dropped",
            "{n} pixels have bit 15 set, which a packed skin never has; the bit is dropped",
            high_bit_pixels));
    }

    const std::span<const std::uint8_t> block = skin.subspan(kSettingsOffset, kSettingsLength);
    for (std::size_t n = 0; n < kSettingsFields.size(); ++n)
        result.values[n] = block[kSettingsFields[n].block_byte];
    result.show_hint = block[kShowHintByte];
    if (result.show_hint > 1) {
        result.warnings.push_back(runtime::Message(
            "the show hint byte is {value}, where a packed skin holds 0 or 1; it is taken as on",
            {{"value", runtime::Number(result.show_hint)}}));
    }
    for (std::size_t byte = 0; byte < block.size(); ++byte) {
        if (block[byte] != 0 && !is_field_byte(byte)) {
            result.stray_settings_bytes.push_back(byte);
            result.warnings.push_back(runtime::Message(
                "settings byte {byte} (file offset {offset}) is {value}, where a packed skin holds "
                "0; it is dropped",
                {{"byte", runtime::Number(byte)},
                 {"offset", runtime::Number(kSettingsOffset + byte)},
                 {"value", runtime::Number(block[byte])}}));
        }
    }
    return result;
}

std::vector<runtime::Message> brief_warnings(const UnpackedSkin& skin) {
    constexpr std::size_t kListed = 3;
    const std::size_t stray = skin.stray_settings_bytes.size();
    if (stray <= kListed) return skin.warnings;
    std::vector<runtime::Message> brief(skin.warnings.begin(),
                                        skin.warnings.end() - static_cast<std::ptrdiff_t>(stray));
    brief.push_back(runtime::Message::plural(
        "{n} settings byte is not 0, where a packed skin holds 0, at file offset {offset}; it is "
        "dropped",
        "{n} settings bytes are not 0, where a packed skin holds 0, the first at file offset "
        "{offset}; they are dropped",
        stray, {{"offset", runtime::Number(kSettingsOffset + skin.stray_settings_bytes.front())}}));
    return brief;
}

std::vector<std::uint8_t> picture_bmp(const UnpackedSkin& skin, std::size_t index) {
    const Picture& picture = kPictures.at(index);
    // encode_bmp24 takes the top row first and stores it last; handing it the stored rows in
    // reverse keeps the section's own row order in the file.
    const std::vector<Rgb>& stored = skin.stored_pixels[index];
    std::vector<Rgb> top_first;
    top_first.reserve(stored.size());
    for (std::size_t row = picture.height; row-- > 0;) {
        const auto begin = stored.begin() + static_cast<std::ptrdiff_t>(row * picture.width);
        top_first.insert(top_first.end(), begin,
                         begin + static_cast<std::ptrdiff_t>(picture.width));
    }
    return encode_bmp24(picture.width, picture.height, top_first);
}

SkinSettings settings_of(const UnpackedSkin& skin) {
    SkinSettings settings;
    for (std::size_t n = 0; n < skin.values.size(); ++n)
        settings.texts[n] = std::to_string(skin.values[n]);
    settings.show_hint = skin.show_hint != 0;
    return settings;
}

}  // namespace orbskin::skin
