// The generate command. The new skin is built whole in memory before the disk changes, then
// swapped in by one rename, so a failure at any point leaves the old skin as it was.
#include "skin/generate.h"

#include <algorithm>

#include "runtime/files.h"
#include "skin/picture_check.h"
#include "skin/pixels.h"

namespace orbskin::skin {

std::optional<std::string> check_lengths(
    const std::array<std::optional<std::uint64_t>, kPictures.size()>& lengths) {
    for (std::size_t i = 0; i < kPictures.size(); ++i) {
        if (!lengths[i]) return missing_message(kPictures[i]);
        if (*lengths[i] != kPictures[i].file_length()) return wrong_length_message(kPictures[i]);
    }
    return std::nullopt;
}

std::optional<std::string> check_pictures(runtime::Os& os, const std::filesystem::path& folder) {
    std::array<std::optional<std::uint64_t>, kPictures.size()> lengths;
    for (std::size_t i = 0; i < kPictures.size(); ++i) {
        lengths[i] = runtime::regular_file_length(os, folder / kPictures[i].name);
        if (!lengths[i]) break;  // a check stops at the first failure; look no further
    }
    return check_lengths(lengths);
}

BuiltSkin build_skin(const PictureFiles& pictures, const SkinSettings& settings) {
    std::array<std::optional<std::uint64_t>, kPictures.size()> lengths;
    for (std::size_t i = 0; i < kPictures.size(); ++i)
        if (pictures[i]) lengths[i] = pictures[i]->size();
    if (std::optional<std::string> failure = check_lengths(lengths))
        return {{false, std::move(*failure), {}}, {}};
    // Then the fields, before any picture's contents are looked at.
    const SettingsBlock block = build_settings_block(settings);

    BuiltSkin built{{true, std::string(kFinishMessage), {}},
                    std::vector<std::uint8_t>(kSkinFileLength)};
    for (std::size_t i = 0; i < kPictures.size(); ++i) {
        const Picture& picture = kPictures[i];
        const std::span<const std::uint8_t> file = *pictures[i];
        const PictureVerdict verdict =
            explain_picture(file.first(kPictureHeadLength), file.size(), picture);
        if (!verdict.ok()) {
            built.outcome.warnings.push_back(std::string(picture.name) + ": " + verdict.found +
                                             ": " + verdict.cause);
        }
        convert_pixels(file.subspan(kBmpHeaderLength),
                       std::span(built.skin).subspan(section_offset(i), picture.section_length()));
    }
    std::copy(block.begin(), block.end(), built.skin.begin() + kSettingsOffset);
    return built;
}

Outcome generate(runtime::Os& os, const std::filesystem::path& folder,
                 const SkinSettings& settings) {
    if (std::optional<std::string> failure = check_pictures(os, folder))
        return {false, std::move(*failure), {}};
    (void)build_settings_block(settings);  // a bad field stops the run before any file is read

    // Each picture read whole at its checked length; one that changed since is refused.
    std::size_t total = 0;
    for (const Picture& picture : kPictures)
        total += picture.file_length();
    std::vector<std::uint8_t> files(total);
    PictureFiles pictures;
    std::size_t at = 0;
    for (std::size_t i = 0; i < kPictures.size(); ++i) {
        const std::span<std::uint8_t> file(files.data() + at, kPictures[i].file_length());
        runtime::read_exact(os, folder / kPictures[i].name, file);
        pictures[i] = file;
        at += file.size();
    }
    BuiltSkin built = build_skin(pictures, settings);
    runtime::replace_file(os, folder / kSkinFileName, built.skin);
    return std::move(built.outcome);
}

}  // namespace orbskin::skin
