// Building a skin: the checks, then the settings block, then each picture's pixels.
#include "skin/build.h"

#include <algorithm>
#include <cassert>

#include "skin/pixels.h"

namespace orbskin::skin {

std::optional<LengthFailure> check_lengths(
    const std::array<std::optional<std::uint64_t>, kPictures.size()>& lengths) {
    for (std::size_t i = 0; i < kPictures.size(); ++i) {
        if (!lengths[i]) return LengthFailure{i, missing_message(kPictures[i])};
        if (*lengths[i] != kPictures[i].file_length())
            return LengthFailure{i, wrong_length_message(kPictures[i])};
    }
    return std::nullopt;
}

namespace {

// Each section ends before the next file begins, and pixels shrink from three bytes to two: so
// the skin can be written over the files it is made of, each pixel after it is read.
constexpr bool sections_trail_files() {
    for (std::size_t i = 0; i <= kPictures.size(); ++i)
        if (section_offset(i) > file_offset(i)) return false;
    return true;
}
static_assert(sections_trail_files());

// The skin, in `storage`: at least kSkinFileLength bytes, and either apart from `pictures` or the
// files laid back to back (see above). Cut to kSkinFileLength when done.
BuiltSkin build_in(std::vector<std::uint8_t> storage, const PictureFiles& pictures,
                   const SkinSettings& settings, ExplainPicture explain) {
    std::array<std::optional<std::uint64_t>, kPictures.size()> lengths;
    for (std::size_t i = 0; i < kPictures.size(); ++i)
        if (pictures[i]) lengths[i] = pictures[i]->size();
    if (std::optional<LengthFailure> failure = check_lengths(lengths))
        return {{false, std::move(failure->message), {}, failure->picture}, {}};
    // Then the fields, before any picture's contents are looked at.
    const SettingsBlock block = build_settings_block(settings);

    BuiltSkin built{{true, std::string(kFinishMessage), {}}, std::move(storage)};
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
    built.skin.resize(kSkinFileLength);
    std::copy(block.begin(), block.end(), built.skin.begin() + kSettingsOffset);
    return built;
}

}  // namespace

BuiltSkin build_skin(const PictureFiles& pictures, const SkinSettings& settings,
                     ExplainPicture explain) {
    return build_in(std::vector<std::uint8_t>(kSkinFileLength), pictures, settings, explain);
}

BuiltSkin build_skin_over(std::vector<std::uint8_t> files, const SkinSettings& settings,
                          ExplainPicture explain) {
    assert(files.size() == file_offset(kPictures.size()));
    PictureFiles pictures;
    for (std::size_t i = 0; i < kPictures.size(); ++i)
        pictures[i] = std::span<const std::uint8_t>(files).subspan(file_offset(i),
                                                                   kPictures[i].file_length());
    return build_in(std::move(files), pictures, settings, explain);
}

}  // namespace orbskin::skin
