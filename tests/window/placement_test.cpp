// Start-up placement: centred across the screen, 500 twips above its vertical centre.
#include "window/placement.h"

#include <gtest/gtest.h>

namespace orbskin::window {
namespace {

struct Case {
    const char* name;
    TwipSize screen;
    TwipSize window;
    TwipPosition expected;
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class startup_placement_case : public testing::TestWithParam<Case> {};

TEST_P(startup_placement_case, gives_the_outer_top_left_corner) {
    const TwipPosition at = startup_placement(GetParam().screen, GetParam().window);
    EXPECT_FLOAT_EQ(at.left, GetParam().expected.left);
    EXPECT_FLOAT_EQ(at.top, GetParam().expected.top);
}

INSTANTIATE_TEST_SUITE_P(
    screens, startup_placement_case,
    testing::Values(
        Case{"screen_1024x768", {15360, 11520}, {6690, 5190}, {4335, 2665}},
        Case{"short_screen_opens_above_the_top", {15360, 6000}, {6690, 5190}, {4335, -95}},
        Case{"narrow_screen_opens_left_of_the_edge", {6000, 11520}, {6690, 5190}, {-345, 2665}},
        Case{"odd_difference_keeps_the_half", {15361, 11521}, {6690, 5190}, {4335.5f, 2665.5f}}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace orbskin::window
