// Text to byte: what a field may hold to become a setting, and everything it must refuse.
#include "runtime/text_to_byte.h"

#include <gtest/gtest.h>

#include <string>

namespace orbskin::runtime {
namespace {

TEST(text_to_byte, accepts_plain_digits_from_0_to_255) {
    const std::pair<std::string, int> accepted[] = {
        {"0", 0},      {"255", 255},     {"007", 7},  {std::string(40, '0') + "255", 255},
        {"0255", 255}, {" \t42\t ", 42}, {"128", 128}};
    for (const auto& [text, value] : accepted)
        EXPECT_EQ(text_to_byte(text), value) << '"' << text << '"';
}

TEST(text_to_byte, refuses_everything_else) {
    const std::string refused[] = {"",
                                   " \t ",
                                   "256",
                                   "1000",
                                   std::string(40, '9'),
                                   "4294967297",
                                   "-1",
                                   "-0",
                                   "+5",
                                   "1.5",
                                   "1,5",
                                   "1e2",
                                   "0x1F",
                                   "&H1F",
                                   "abc",
                                   "12a",
                                   "1 2",
                                   "12\n",
                                   std::string("1\0"
                                               "2",
                                               3),
                                   "\xD9\xA1\xD9\xA2",          // Arabic-Indic digits
                                   "\xEF\xBC\x91\xEF\xBC\x92",  // full-width digits
                                   "\xC2\xA0"
                                   "12"};  // a non-breaking space
    for (const std::string& text : refused)
        EXPECT_EQ(text_to_byte(text), std::nullopt) << '"' << text << '"';
}

}  // namespace
}  // namespace orbskin::runtime
