// The 512-byte settings block behind the pixel data, and the settings it is built from.
//
//   block byte  contents (one unsigned byte each; every byte not listed is 0)
//    0  1  2    list text color      red, green, blue
//    4  5  6    selected text color  red, green, blue
//    8  9 10    ebook text color     red, green, blue
//   16 17       movie icon position  x, y      (the eight positions follow every 4 bytes)
//   ...
//   44 45       main menu text offset x, y
//   48          show hint            1 on, 0 off
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "skin/layout.h"

namespace orbskin::skin {

enum class GroupKind { colour, position };

// One captioned group of the window and the block byte of its first component.
struct SettingsGroup {
    std::string_view caption;
    GroupKind kind;
    std::size_t block_byte;
};

inline constexpr std::array<SettingsGroup, 11> kSettingsGroups{{
    {"List text color", GroupKind::colour, 0},
    {"Selected text color", GroupKind::colour, 4},
    {"Ebook text color", GroupKind::colour, 8},
    {"Movie icon position", GroupKind::position, 16},
    {"Music icon position", GroupKind::position, 20},
    {"Image icon position", GroupKind::position, 24},
    {"Game icon position", GroupKind::position, 28},
    {"Ebook icon position", GroupKind::position, 32},
    {"Setup icon position", GroupKind::position, 36},
    {"List position", GroupKind::position, 40},
    {"Main menu text offset", GroupKind::position, 44},
}};

inline constexpr std::array<std::string_view, 3> kColourLabels{"Red:", "Green:", "Blue:"};
inline constexpr std::array<std::string_view, 2> kPositionLabels{"X:", "Y:"};

[[nodiscard]] constexpr std::size_t component_count(GroupKind kind) {
    return kind == GroupKind::colour ? kColourLabels.size() : kPositionLabels.size();
}

// The texts the number fields Text1 to Text25 show when the window opens.
inline constexpr std::array<std::string_view, 25> kStartingTexts{
    "0",   "0",  "255", "255", "0",  "0",   "0",   "0",   "0",  "16", "42", "96", "42",
    "176", "42", "16",  "110", "56", "110", "136", "110", "36", "40", "10", "58"};

inline constexpr std::size_t kShowHintByte = 48;

// The index of a group's first field among Text1 to Text25.
[[nodiscard]] constexpr std::size_t first_field(std::size_t group) {
    std::size_t field = 0;
    for (std::size_t g = 0; g < group; ++g)
        field += component_count(kSettingsGroups[g].kind);
    return field;
}

// One number field: which group and component it supplies, and where its byte goes.
struct SettingsField {
    std::size_t group;
    std::size_t component;
    std::size_t block_byte;
    std::string_view label;
};

[[nodiscard]] constexpr std::array<SettingsField, kStartingTexts.size()> derive_fields() {
    std::array<SettingsField, kStartingTexts.size()> fields{};
    std::size_t n = 0;
    for (std::size_t g = 0; g < kSettingsGroups.size(); ++g) {
        const SettingsGroup& group = kSettingsGroups[g];
        for (std::size_t c = 0; c < component_count(group.kind); ++c) {
            const std::string_view label =
                group.kind == GroupKind::colour ? kColourLabels[c] : kPositionLabels[c];
            fields[n++] = SettingsField{g, c, group.block_byte + c, label};
        }
    }
    return fields;
}

// The fields in the order Text1 to Text25, which is also the order of their bytes in the block.
inline constexpr std::array<SettingsField, kStartingTexts.size()> kSettingsFields = derive_fields();

static_assert(kSettingsFields.back().block_byte == 45);
static_assert(kShowHintByte < kSettingsLength);

// The values a run takes from the window: the texts of Text1 to Text25 exactly as shown, and
// whether "Show hint" (Check1) is ticked.
struct SkinSettings {
    std::array<std::string, kSettingsFields.size()> texts;
    bool show_hint = true;

    // The window's values when it opens.
    [[nodiscard]] static SkinSettings starting();
};

using SettingsBlock = std::array<std::uint8_t, kSettingsLength>;

// How a field is named in messages, by its window captions: "List text color, Red:".
[[nodiscard]] std::string field_name(std::size_t field);

// Builds the block. Converts the fields in order and throws runtime::Error at the first one whose
// text is not a number from 0 to 255, naming the field and quoting its text.
[[nodiscard]] SettingsBlock secondstep(const SkinSettings& settings);

}  // namespace orbskin::skin
