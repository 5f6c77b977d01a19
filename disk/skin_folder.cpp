// The generate command. The new skin is built whole in memory before the disk changes, then
// swapped in by one rename, so a failure at any point leaves the old skin as it was.
#include "disk/skin_folder.h"

#include <thread>

#include "disk/files.h"
#include "disk/replace.h"
#include "picture/explain.h"

namespace orbskin::disk {

using skin::kPictures;

std::optional<skin::LengthFailure> check_pictures(runtime::Os& os,
                                                  const std::filesystem::path& folder) {
    for (int round = 1;; ++round) {
        std::array<std::optional<std::uint64_t>, kPictures.size()> lengths;
        std::size_t missing = 0;
        for (; missing < kPictures.size(); ++missing) {
            lengths[missing] = regular_file_length(os, folder / kPictures[missing].name);
            if (!lengths[missing]) break;  // a check stops at the first failure; look no further
        }
        std::optional<skin::LengthFailure> failure = skin::check_lengths(lengths);
        if (!failure) return failure;
        const std::filesystem::path failing = folder / kPictures[failure->picture].name;
        // An editor that truncates a picture as it saves it gives it its length only once done.
        const std::chrono::nanoseconds rest = still_settling(look_up(os, failing));
        if (rest <= std::chrono::nanoseconds::zero()) return failure;
        // Still being written after every wait: said as what it is, not as a wrong length.
        if (round == kReadRounds) throw_still_changing(failing);
        std::this_thread::sleep_for(rest);
    }
}

skin::BuiltSkin build_in_folder(runtime::Os& os, const std::filesystem::path& folder,
                                const skin::SkinSettings& settings) {
    if (std::optional<skin::LengthFailure> failure = check_pictures(os, folder))
        return {{false, std::move(failure->message), {}, failure->picture}, {}};
    (void)skin::build_settings_block(
        settings);  // a bad field stops the run before any file is read

    // Each picture read whole at its checked length, as one version of it: one that changed
    // since is refused, and one being written is read again.
    std::vector<std::uint8_t> files(skin::file_offset(kPictures.size()));
    std::array<std::filesystem::path, kPictures.size()> names;
    std::array<std::span<std::uint8_t>, kPictures.size()> into;
    for (std::size_t i = 0; i < kPictures.size(); ++i) {
        into[i] = std::span(files).subspan(skin::file_offset(i), kPictures[i].file_length());
        names[i] = folder / kPictures[i].name;
    }
    read_unchanged(os, names, into);
    return skin::build_skin_over(std::move(files), settings, picture::explain_picture);
}

skin::Outcome generate(runtime::Os& os, const std::filesystem::path& folder,
                       const skin::SkinSettings& settings) {
    // The window has no place to say so, and pack says it before; a pack lists no folder.
    (void)finish_interrupted(os, folder, false);
    skin::BuiltSkin built = build_in_folder(os, folder, settings);
    if (built.outcome.finished)
        replace_file_through_link(os, folder / skin::kSkinFileName, built.skin);
    return std::move(built.outcome);
}

}  // namespace orbskin::disk
