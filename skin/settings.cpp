// Building the settings block from the field texts.
#include "skin/settings.h"

#include "runtime/error.h"
#include "runtime/text_to_byte.h"

namespace orbskin::skin {
namespace {

// Quotes a field's text for a message; control characters are spelled out so that a stray tab or
// newline is visible.
std::string quote_text(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            constexpr std::string_view kHex = "0123456789ABCDEF";
            quoted += "\\x";
            quoted += kHex[byte >> 4];
            quoted += kHex[byte & 0xF];
        } else {
            quoted += c;
        }
    }
    return quoted + '"';
}

}  // namespace

SkinSettings SkinSettings::starting() {
    SkinSettings settings;
    for (std::size_t i = 0; i < kSettingsFields.size(); ++i)
        settings.texts[i] = std::string(kSettingsFields[i].starting_text);
    return settings;
}

std::string field_name(std::size_t field) {
    const SettingsField& f = kSettingsFields.at(field);
    return std::string(kSettingsGroups[f.group].caption) + ", " + std::string(f.label);
}

SettingsBlock build_settings_block(const SkinSettings& settings) {
    SettingsBlock block{};
    for (std::size_t i = 0; i < kSettingsFields.size(); ++i) {
        const std::optional<std::uint8_t> value = runtime::text_to_byte(settings.texts[i]);
        if (!value) {
            throw FieldRefused(runtime::Message("{field} {text} is not a number from 0 to 255",
                                                {{"field", field_name(i)},
                                                 {"text", quote_text(settings.texts[i])}}),
                               i);
        }
        block[kSettingsFields[i].block_byte] = *value;
    }
    block[kShowHintByte] = settings.show_hint ? 1 : 0;
    return block;
}

}  // namespace orbskin::skin
