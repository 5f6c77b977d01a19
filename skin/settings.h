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

#include "runtime/error.h"
#include "skin/layout.h"

namespace orbskin::skin {

enum class GroupKind { colour, position };

// One captioned group of the window, the orbskin-cli option that sets it, for an icon's
// position the picture whose top-left corner it places on the main screen, and for a text colour
// the picture the text is drawn over.
struct SettingsGroup {
    std::string_view caption;
    GroupKind kind;
    std::string_view option;
    std::string_view places = "";
    std::string_view drawn_over = "";
};

inline constexpr std::array<SettingsGroup, 11> kSettingsGroups{{
    {"List text color", GroupKind::colour, "--list-color", "", "listnds.bmp"},
    {"Selected text color", GroupKind::colour, "--selected-color", "", "listnds.bmp"},
    {"Ebook text color", GroupKind::colour, "--ebook-color", "", "ebooknds.bmp"},
    {"Movie icon position", GroupKind::position, "--movie-icon", "movie.bmp"},
    {"Music icon position", GroupKind::position, "--music-icon", "music.bmp"},
    {"Image icon position", GroupKind::position, "--image-icon", "image.bmp"},
    {"Game icon position", GroupKind::position, "--game-icon", "game.bmp"},
    {"Ebook icon position", GroupKind::position, "--ebook-icon", "ebook.bmp"},
    {"Setup icon position", GroupKind::position, "--setup-icon", "option.bmp"},
    {"List position", GroupKind::position, "--list-position"},
    {"Main menu text offset", GroupKind::position, "--menu-text-offset"},
}};

// One number field, Text1 to Text25 in order: its group, its label's caption and number (the
// window's LabelN; within some groups the numbers run backwards), the byte of the block it
// fills, the text it shows when the window opens, and its place in the window's focus order.
struct SettingsField {
    std::size_t group;
    std::string_view label;
    int label_number;
    std::size_t block_byte;
    std::string_view starting_text;
    int tab_index;
};

inline constexpr std::array<SettingsField, 25> kSettingsFields{{
    {0, "Red:", 1, 0, "0", 3},    {0, "Green:", 2, 1, "0", 5},  {0, "Blue:", 3, 2, "255", 7},
    {1, "Red:", 6, 4, "255", 9},  {1, "Green:", 5, 5, "0", 10}, {1, "Blue:", 4, 6, "0", 11},
    {2, "Red:", 9, 8, "0", 16},   {2, "Green:", 8, 9, "0", 17}, {2, "Blue:", 7, 10, "0", 18},
    {3, "X:", 10, 16, "16", 24},  {3, "Y:", 11, 17, "42", 26},  {4, "X:", 13, 20, "96", 28},
    {4, "Y:", 12, 21, "42", 29},  {5, "X:", 15, 24, "176", 33}, {5, "Y:", 14, 25, "42", 34},
    {6, "X:", 17, 28, "16", 38},  {6, "Y:", 16, 29, "110", 39}, {7, "X:", 19, 32, "56", 43},
    {7, "Y:", 18, 33, "110", 44}, {8, "X:", 21, 36, "136", 48}, {8, "Y:", 20, 37, "110", 49},
    {9, "X:", 23, 40, "36", 53},  {9, "Y:", 22, 41, "40", 54},  {10, "X:", 24, 44, "10", 59},
    {10, "Y:", 25, 45, "58", 60},
}};

inline constexpr std::size_t kShowHintByte = 48;
// "Show hint" is ticked when the window opens.
inline constexpr bool kShowHintStarting = true;

// The index of a group's first field among Text1 to Text25.
[[nodiscard]] constexpr std::size_t first_field(std::size_t group) {
    std::size_t field = 0;
    while (field < kSettingsFields.size() && kSettingsFields[field].group < group)
        ++field;
    return field;
}

// Consecutive indices among Text1 to Text25, usable in a range-for and by position.
struct FieldIndices {
    std::size_t first;
    std::size_t last;  // one past the end

    struct Iterator {
        std::size_t n;
        constexpr std::size_t operator*() const { return n; }
        constexpr Iterator& operator++() { return ++n, *this; }
        constexpr bool operator!=(const Iterator& other) const { return n != other.n; }
    };
    [[nodiscard]] constexpr Iterator begin() const { return {first}; }
    [[nodiscard]] constexpr Iterator end() const { return {last}; }
    [[nodiscard]] constexpr std::size_t size() const { return last - first; }
    [[nodiscard]] constexpr std::size_t operator[](std::size_t i) const { return first + i; }
    [[nodiscard]] constexpr std::size_t front() const { return first; }
    [[nodiscard]] constexpr std::size_t back() const { return last - 1; }
};

// The indices of a group's fields among Text1 to Text25, in order: red, green, blue or x, y.
[[nodiscard]] constexpr FieldIndices fields_of(std::size_t group) {
    return {first_field(group), first_field(group + 1)};
}

// The table's rules: groups in order, three colour or two position fields each with the labels
// of their kind, and each group's bytes side by side.
[[nodiscard]] constexpr bool fields_are_consistent() {
    constexpr std::array<std::string_view, 3> kColourLabels{"Red:", "Green:", "Blue:"};
    constexpr std::array<std::string_view, 2> kPositionLabels{"X:", "Y:"};
    for (std::size_t g = 0; g < kSettingsGroups.size(); ++g) {
        const bool colour = kSettingsGroups[g].kind == GroupKind::colour;
        const auto fields = fields_of(g);
        if (fields.size() != (colour ? kColourLabels.size() : kPositionLabels.size())) return false;
        for (std::size_t c = 0; c < fields.size(); ++c) {
            const SettingsField& field = kSettingsFields[fields[c]];
            if (field.label != (colour ? kColourLabels[c] : kPositionLabels[c])) return false;
            if (field.block_byte != kSettingsFields[fields[0]].block_byte + c) return false;
        }
    }
    return first_field(kSettingsGroups.size()) == kSettingsFields.size();
}

static_assert(fields_are_consistent());
static_assert(kSettingsFields.back().block_byte < kShowHintByte);
static_assert(kShowHintByte < kSettingsLength);

// The values a run takes from the window: the texts of Text1 to Text25 exactly as shown, and
// whether "Show hint" (Check1) is ticked.
struct SkinSettings {
    std::array<std::string, kSettingsFields.size()> texts;
    bool show_hint = kShowHintStarting;

    // The window's values when it opens.
    [[nodiscard]] static SkinSettings starting();
};

using SettingsBlock = std::array<std::uint8_t, kSettingsLength>;

// How a field is named in messages, by its window captions: "List text color, Red:".
[[nodiscard]] std::string field_name(std::size_t field);

// The refusal of a field: its message, and which field it is, so that a front end can point at it.
class FieldRefused : public runtime::Error {
  public:
    FieldRefused(const runtime::Message& message, std::size_t field)
        : runtime::Error(message), field(field) {}
    std::size_t field;
};

// Builds the block. Converts the fields in order and throws FieldRefused at the first one whose
// text is not a number from 0 to 255, naming the field and quoting its text.
[[nodiscard]] SettingsBlock build_settings_block(const SkinSettings& settings);

}  // namespace orbskin::skin
