// Fuzzes text to byte against a plain statement of the rule it must follow.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "runtime/text_to_byte.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto result = orbskin::runtime::text_to_byte(text);

    std::size_t begin = 0, end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
        ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;
    const std::string_view digits = text.substr(begin, end - begin);
    bool all_digits = !digits.empty();
    std::size_t significant = 0;
    unsigned value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            all_digits = false;
            break;
        }
        if (significant > 0 || c != '0') ++significant;
        if (significant <= 3) value = value * 10 + static_cast<unsigned>(c - '0');
    }
    const bool expected = all_digits && significant <= 3 && value <= 255;
    if (result.has_value() != expected || (expected && *result != value)) std::abort();
    return 0;
}
