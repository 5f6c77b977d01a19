// Test helpers for scratch folders and picture files.
#include "tests/support/temp_folder.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>

#include "disk/files.h"
#include "skin/bmp.h"
#include "skin/layout.h"

namespace orbskin::test {

TempFolder::TempFolder() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() / ("orbskin-test-" + std::to_string(random()));
    if (!std::filesystem::create_directory(path_)) throw std::runtime_error("no temporary folder");
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TempFolder::names() const {
    std::vector<std::string> names;
    std::vector<std::filesystem::path> entries;
    if (disk::system_os().list_folder(path_, entries) < 0) return names;
    for (const std::filesystem::path& entry : entries)
        names.push_back(entry.string());
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

void write_pictures(const std::filesystem::path& folder) {
    for (std::size_t i = 0; i < skin::kPictures.size(); ++i) {
        const skin::Picture& picture = skin::kPictures[i];
        Bytes bytes = skin::encode_bmp24(picture.width, picture.height,
                                         std::vector<skin::Rgb>(picture.pixels()));
        for (std::size_t k = 0; k + skin::kBmpHeaderLength < bytes.size(); ++k)
            bytes[skin::kBmpHeaderLength + k] = static_cast<std::uint8_t>((k * 7 + i * 31) % 256);
        write_file(folder / picture.name, bytes);
    }
}

}  // namespace orbskin::test
