// The messages of the input checks, derived from the picture table.
#include "skin/layout.h"

#include <algorithm>
#include <cctype>

namespace orbskin::skin {

namespace {

bool same_letter(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
}

}  // namespace

const Picture* picture_in_any_case(std::string_view name) {
    for (const Picture& picture : kPictures) {
        if (std::equal(name.begin(), name.end(), picture.name.begin(), picture.name.end(),
                       same_letter))
            return &picture;
    }
    return nullptr;
}

std::string size_text(std::int64_t width, std::int64_t height) {
    return std::to_string(width) + "×" + std::to_string(height);
}

std::string size_text(const Picture& picture) {
    return size_text(static_cast<std::int64_t>(picture.width),
                     static_cast<std::int64_t>(picture.height));
}

std::string missing_message(const Picture& picture) {
    return std::string(picture.name) + " not found!";
}

std::string wrong_length_message(const Picture& picture) {
    // "mast" is the wording skin makers have always seen; it stays.
    return std::string(picture.name) + " file length is wrong! It mast a " +
           std::to_string(picture.width) + "*" + std::to_string(picture.height) +
           " 24bit color BMP format file";
}

}  // namespace orbskin::skin
