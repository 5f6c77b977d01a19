// Text to byte: what a field may hold to become a setting, and everything it must refuse.
#include "runtime/text_to_byte.h"

#include <gtest/gtest.h>

#include <string>

namespace orbskin::runtime {
namespace {

struct Accepted {
    const char* name;
    std::string text;
    std::uint8_t value;
};

void PrintTo(const Accepted& c, std::ostream* out) {
    *out << c.name;
}

class text_to_byte_accepts : public testing::TestWithParam<Accepted> {};

TEST_P(text_to_byte_accepts, gives_the_value) {
    EXPECT_EQ(text_to_byte(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    plain_digits, text_to_byte_accepts,
    testing::Values(Accepted{"zero", "0", 0}, Accepted{"max", "255", 255},
                    Accepted{"middle", "128", 128}, Accepted{"leading_zeros", "007", 7},
                    Accepted{"many_leading_zeros", std::string(40, '0') + "255", 255},
                    Accepted{"blanks_around", " \t42\t ", 42},
                    Accepted{"zero_padded_max", "0255", 255}),
    [](const auto& info) { return info.param.name; });

struct Rejected {
    const char* name;
    std::string text;
};

void PrintTo(const Rejected& c, std::ostream* out) {
    *out << c.name;
}

class text_to_byte_rejects : public testing::TestWithParam<Rejected> {};

TEST_P(text_to_byte_rejects, gives_nothing) {
    EXPECT_EQ(text_to_byte(GetParam().text), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(not_a_byte, text_to_byte_rejects,
                         testing::Values(Rejected{"empty", ""}, Rejected{"blanks_only", " \t "},
                                         Rejected{"just_over", "256"}, Rejected{"far_over", "1000"},
                                         Rejected{"forty_digits", std::string(40, '9')},
                                         Rejected{"overflows_unsigned", "4294967297"},
                                         Rejected{"minus", "-1"}, Rejected{"minus_zero", "-0"},
                                         Rejected{"plus", "+5"}, Rejected{"fraction", "1.5"},
                                         Rejected{"comma_fraction", "1,5"},
                                         Rejected{"exponent", "1e2"}, Rejected{"hex", "0x1F"},
                                         Rejected{"hex_suffix", "&H1F"}, Rejected{"letters", "abc"},
                                         Rejected{"trailing_letter", "12a"},
                                         Rejected{"inner_blank", "1 2"},
                                         Rejected{"newline", "12\n"},
                                         Rejected{"nul_inside", std::string("1\0"
                                                                            "2",
                                                                            3)},
                                         Rejected{"arabic_indic_digits", "\xD9\xA1\xD9\xA2"},
                                         Rejected{"fullwidth_digits", "\xEF\xBC\x91\xEF\xBC\x92"},
                                         Rejected{"non_breaking_space",
                                                  "\xC2\xA0"
                                                  "12"}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace orbskin::runtime
