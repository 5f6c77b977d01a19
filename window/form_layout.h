// The layout of the window, in twips, as tables. The groups, labels and fields are the settings
// groups and fields of the skin in the same order, so the window and the settings block cannot
// drift apart.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

#include "skin/settings.h"
#include "window/placement.h"

namespace orbskin::window {

struct TwipRect {
    int left;
    int top;
    int width;
    int height;
};

inline constexpr std::string_view kTitle = "Generate ORBSKIN";
inline constexpr int kClientWidth = 6600;
inline constexpr int kClientHeight = 4815;

// The groups fill a grid of three columns, row by row; the check box takes the place after the
// last group, and the button sits below it in the last column. The page lays out the same grid.
struct GridCell {
    std::size_t column;
    std::size_t row;
};
inline constexpr std::size_t kGridColumns = 3;
[[nodiscard]] constexpr GridCell grid_cell(std::size_t place) {
    return {place % kGridColumns, place / kGridColumns};
}
inline constexpr GridCell kCheckCell = grid_cell(skin::kSettingsGroups.size());
inline constexpr GridCell kButtonCell{kGridColumns - 1, kCheckCell.row + 1};

inline constexpr std::array<int, kGridColumns> kColumnLefts{120, 2280, 4440};
inline constexpr std::array<int, 4> kRowTops{120, 1560, 2640, 3720};
inline constexpr int kGroupWidth = 2055;
inline constexpr int kColourGroupHeight = 1335;
inline constexpr int kPositionGroupHeight = 975;

// Inside a group, from the group's outer top-left corner: one row per field.
inline constexpr std::array<int, 3> kFieldRowTops{240, 600, 960};
inline constexpr TwipRect kLabelInRow{240, 0, 615, 255};
inline constexpr TwipRect kFieldInRow{960, 0, 855, 270};

inline constexpr TwipRect kCheckRect{kColumnLefts[kCheckCell.column], kRowTops[kCheckCell.row],
                                     1935, 255};
inline constexpr std::string_view kCheckCaption = "Show hint";
inline constexpr TwipRect kButtonRect{5040, 4200, 1215, 495};
inline constexpr std::string_view kButtonCaption = "Just Go!";

inline constexpr int kCheckTabIndex = 57;
inline constexpr int kButtonTabIndex = 0;

[[nodiscard]] constexpr TwipRect group_rect(std::size_t group) {
    const int height = skin::kSettingsGroups[group].kind == skin::GroupKind::colour
                           ? kColourGroupHeight
                           : kPositionGroupHeight;
    const GridCell cell = grid_cell(group);
    return {kColumnLefts[cell.column], kRowTops[cell.row], kGroupWidth, height};
}

// The place of a field's label or edit box inside the window, from its group's.
[[nodiscard]] constexpr TwipRect in_group(std::size_t field, const TwipRect& in_row) {
    const std::size_t group = skin::kSettingsFields[field].group;
    const TwipRect outer = group_rect(group);
    return {outer.left + in_row.left, outer.top + kFieldRowTops[field - skin::first_field(group)],
            in_row.width, in_row.height};
}

// The controls that take the focus, in the order Tab visits them.
struct FocusStop {
    enum Kind { text, check, button } kind;
    std::size_t field;  // for a text field: its index among Text1 to Text25
    int tab_index;
};

[[nodiscard]] constexpr auto focus_order() {
    std::array<FocusStop, skin::kSettingsFields.size() + 2> stops{};
    stops[0] = {FocusStop::button, 0, kButtonTabIndex};
    stops[1] = {FocusStop::check, 0, kCheckTabIndex};
    for (std::size_t n = 0; n < skin::kSettingsFields.size(); ++n)
        stops[n + 2] = {FocusStop::text, n, skin::kSettingsFields[n].tab_index};
    std::sort(stops.begin(), stops.end(),
              [](const FocusStop& a, const FocusStop& b) { return a.tab_index < b.tab_index; });
    return stops;
}

// The fit rule of the window's font: the platform's size where every caption fits, otherwise
// the largest smaller size, in half points, that fits; never below kSmallestPointSize.
inline constexpr float kSmallestPointSize = 6.0f;
inline constexpr float kPointSizeStep = 0.5f;

template <typename Fits>
[[nodiscard]] float fitted_point_size(float size, Fits fits) {
    while (!fits(size) && size - kPointSizeStep >= kSmallestPointSize)
        size -= kPointSizeStep;
    return size;
}

}  // namespace orbskin::window
