// Building a skin: the checks, then the settings block, then each picture's pixels.
#include "skin/build.h"

#include <algorithm>

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

BuiltSkin build_skin(const PictureFiles& pictures, const SkinSettings& settings,
                     ExplainPicture explain) {
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
        const PictureVerdict verdict = explain(file, file.size(), picture);
        if (!verdict.ok()) {
            built.outcome.warnings.push_back(runtime::Message(
                "{picture}: {found}: {cause}", {{"picture", std::string(picture.name)},
                                                {"found", verdict.found},
                                                {"cause", *verdict.cause}}));
        }
        convert_pixels(file.subspan(kBmpHeaderLength),
                       std::span(built.skin).subspan(section_offset(i), picture.section_length()));
    }
    std::copy(block.begin(), block.end(), built.skin.begin() + kSettingsOffset);
    return built;
}

}  // namespace orbskin::skin
