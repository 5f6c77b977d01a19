// Test helpers for scratch folders and picture files.
#include "tests/support/temp_folder.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>

#include "skin/bmp.h"

namespace orbskin::test {
namespace {

// The bytes of one input picture: a header of filler, then pixel bytes where byte k of the pixel
// data is pixel_byte(k). Its length is the picture's table length.
Bytes picture_bytes(const skin::Picture& picture,
                    const std::function<std::uint8_t(std::size_t)>& pixel_byte) {
    Bytes bytes(picture.file_length(), 0xEE);
    for (std::size_t k = 0; k + skin::kBmpHeaderLength < bytes.size(); ++k)
        bytes[skin::kBmpHeaderLength + k] = pixel_byte(k);
    return bytes;
}

}  // namespace

TempFolder::TempFolder() {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        path_ =
            std::filesystem::temp_directory_path() / ("orbskin-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(path_)) return;
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TempFolder::names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void write_file(const std::filesystem::path& file, const Bytes& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
}

Bytes read_file(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + file.string());
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint8_t sample_byte(std::size_t picture, std::size_t k) {
    return static_cast<std::uint8_t>((k * 7 + picture * 31) % 256);
}

void write_pictures(const std::filesystem::path& folder) {
    for (std::size_t i = 0; i < skin::kPictures.size(); ++i) {
        write_file(
            folder / skin::kPictures[i].name,
            picture_bytes(skin::kPictures[i], [i](std::size_t k) { return sample_byte(i, k); }));
    }
}

void write_bmp_pictures(const std::filesystem::path& folder) {
    for (std::size_t i = 0; i < skin::kPictures.size(); ++i) {
        const skin::Picture& picture = skin::kPictures[i];
        std::vector<skin::Rgb> pixels;
        for (std::size_t y = 0; y < picture.height; ++y)
            for (std::size_t x = 0; x < picture.width; ++x)
                pixels.push_back({static_cast<std::uint8_t>(x * 255 / picture.width),
                                  static_cast<std::uint8_t>(y * 255 / picture.height),
                                  static_cast<std::uint8_t>(i * 20)});
        write_file(folder / picture.name,
                   skin::encode_bmp24(picture.width, picture.height, pixels));
    }
}

}  // namespace orbskin::test
