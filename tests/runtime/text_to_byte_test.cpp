// Text to byte: what a field may hold to become a setting, and everything it must refuse.
#include "runtime/text_to_byte.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orbskin::runtime {
namespace {

using namespace std::string_literals;

TEST(text_to_byte, accepts_plain_digits_from_0_to_255) {
    const std::pair<std::string, int> accepted[] = {
        {"0", 0},      {"255", 255},     {"007", 7},  {std::string(40, '0') + "255", 255},
        {"0255", 255}, {" \t42\t ", 42}, {"128", 128}};
    for (const auto& [text, value] : accepted)
        EXPECT_EQ(text_to_byte(text), value) << '"' << text << '"';
}

// Signs, fractions, hex, blanks inside, control characters, and other scripts' digits and
// spaces (Arabic-Indic, full-width, no-break) are not plain digits.
TEST(text_to_byte, refuses_everything_else) {
    std::vector<std::string> refused{"",     " \t ", "256", "1000", "4294967297", "-1",
                                     "-0",   "+5",   "1.5", "1,5",  "1e2",        "0x1F",
                                     "&H1F", "abc",  "12a", "1 2",  "12\n"};
    refused.insert(refused.end(), {std::string(40, '9'), "1\0002"s, "\xD9\xA1\xD9\xA2",
                                   "\xEF\xBC\x91\xEF\xBC\x92", "\xC2\xA0\x31\x32"});
    for (const std::string& text : refused)
        EXPECT_EQ(text_to_byte(text), std::nullopt) << '"' << text << '"';
}

}  // namespace
}  // namespace orbskin::runtime
