// The generate command. The new skin is built whole in memory before the disk changes, then
// swapped in by one rename, so a failure at any point leaves the old skin as it was.
#include "skin/generate.h"

#include <algorithm>
#include <memory>

#include "runtime/files.h"
#include "skin/picture_check.h"
#include "skin/pixels.h"

namespace orbskin::skin {

std::optional<std::string> check_pictures(const std::filesystem::path& folder) {
    for (const Picture& picture : kPictures) {
        const std::optional<std::uint64_t> length =
            runtime::regular_file_length(folder / picture.name);
        if (!length) return missing_message(picture);
        if (*length != picture.file_length()) return wrong_length_message(picture);
    }
    return std::nullopt;
}

namespace {

// Builds the complete skin in memory. Throws runtime::Error on a bad field (before any picture is
// read) or on a picture that cannot be read whole at its checked length.
void build_skin(const std::filesystem::path& folder, const SkinSettings& settings,
                std::span<std::uint8_t, kSkinFileLength> out, std::vector<std::string>& warnings) {
    // The fields come first: a typo must stop the run before anything else is touched.
    const SettingsBlock block = build_settings_block(settings);
    convert_pictures(folder, out.first<kPixelDataLength>(),
                     [&](const Picture& picture, std::span<const std::uint8_t> file) {
                         const PictureVerdict verdict =
                             explain_picture(file.first(kPictureHeadLength), file.size(), picture);
                         if (!verdict.ok()) {
                             warnings.push_back(std::string(picture.name) + ": " + verdict.found +
                                                ": " + verdict.cause);
                         }
                     });
    std::copy(block.begin(), block.end(), out.begin() + kSettingsOffset);
}

}  // namespace

Outcome generate(const std::filesystem::path& folder, const SkinSettings& settings) {
    if (std::optional<std::string> failure = check_pictures(folder))
        return {false, std::move(*failure), {}};

    // Every byte is written by build_skin, so the buffer needs no zeroing first.
    const auto skin = std::make_unique_for_overwrite<std::uint8_t[]>(kSkinFileLength);
    const std::span<std::uint8_t, kSkinFileLength> bytes(skin.get(), kSkinFileLength);
    std::vector<std::string> warnings;
    build_skin(folder, settings, bytes, warnings);
    runtime::replace_file(folder / kSkinFileName, bytes);
    return {true, std::string(kFinishMessage), std::move(warnings)};
}

}  // namespace orbskin::skin
