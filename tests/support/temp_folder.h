// Test helpers: a scratch folder, whole-file reads and writes, a text's bytes, a folder of skin
// pictures, and what a call refused with.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/error.h"

namespace orbskin::test {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    [[nodiscard]] std::filesystem::path operator/(std::string_view name) const {
        return path_ / name;
    }
    // Names of everything in the folder, sorted.
    [[nodiscard]] std::vector<std::string> names() const;

  private:
    std::filesystem::path path_;
};

void write_file(const std::filesystem::path& file, const Bytes& bytes);
[[nodiscard]] Bytes read_file(const std::filesystem::path& file);
inline Bytes bytes_of(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

// Writes all twelve pictures as canonical 24-bit BMPs whose pixel byte k of picture i is
// (k * 7 + i * 31) % 256, so that every picture and every position differs.
void write_pictures(const std::filesystem::path& folder);

// What `attempt` was refused with; empty when it ran through.
template <class Attempt>
std::string refusal(const Attempt& attempt) {
    try {
        (void)attempt();
    } catch (const runtime::Error& e) {
        return e.what();
    }
    return {};
}

}  // namespace orbskin::test
