// Fuzzes text to byte against a plain statement of the rule it must follow.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "runtime/text_to_byte.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto result = orbskin::runtime::text_to_byte(text);

    // The rule: blanks and tabs around plain digits whose value, leading zeros aside, is at most
    // 255.
    const std::size_t begin = text.find_first_not_of(" \t"), end = text.find_last_not_of(" \t");
    const std::string_view digits =
        begin == std::string_view::npos ? "" : text.substr(begin, end - begin + 1);
    const std::string_view significant =
        digits.substr(std::min(digits.size(), digits.find_first_not_of('0')));
    const unsigned value =
        significant.size() > 3 ? 256 : std::strtoul(std::string(significant).c_str(), nullptr, 10);
    const bool expected = !digits.empty() &&
                          digits.find_first_not_of("0123456789") == std::string_view::npos &&
                          value <= 255;
    if (result.has_value() != expected || (expected && *result != value)) std::abort();
    return 0;
}
