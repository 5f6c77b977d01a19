// Building a skin from the twelve pictures' bytes and the settings, with no file access, for any
// front end: the checks of a run, in order, and then the skin's bytes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "runtime/message.h"
#include "skin/layout.h"
#include "skin/picture_check.h"
#include "skin/settings.h"

namespace orbskin::skin {

// The one message a run shows, and whether it is the success message.
struct Outcome {
    bool finished = false;
    std::string message;
    // Pictures that pass the checks but that the skin would not show as drawn (a header that
    // claims another size, depth or row order), each as "name: what it is: why". The skin is
    // written all the same, as it always was.
    std::vector<runtime::Message> warnings;
    std::optional<std::size_t> picture{};  // the picture a failed check is about
};

// The twelve pictures' whole files in table order; nothing where a picture is missing.
using PictureFiles = std::array<std::optional<std::span<const std::uint8_t>>, kPictures.size()>;

// A skin built from bytes: its kSkinFileLength bytes when outcome.finished, none otherwise.
struct BuiltSkin {
    Outcome outcome;
    std::vector<std::uint8_t> skin;
};

// The first picture that is missing or not of its exact length, and pack's message of it.
struct LengthFailure {
    std::size_t picture;
    std::string message;
};

// The checks of a run, in table order, on the pictures' lengths (nothing: missing).
[[nodiscard]] std::optional<LengthFailure> check_lengths(
    const std::array<std::optional<std::uint64_t>, kPictures.size()>& lengths);

// Builds the skin from the pictures' bytes and the settings: the same checks, in the same order,
// with the same messages, as a run in a folder, and then the fields. A failed check comes back as
// its message, with no bytes; a bad field throws runtime::Error. A picture the skin would not show
// as drawn is warned of in the words of `explain`: a front end names other formats as check does.
using ExplainPicture = PictureVerdict (*)(std::span<const std::uint8_t> head, std::uint64_t length,
                                          const Picture& expected);
[[nodiscard]] BuiltSkin build_skin(const PictureFiles& pictures, const SkinSettings& settings,
                                   ExplainPicture explain = explain_bmp);

// The same, from the twelve files laid back to back in table order, each of its exact length:
// the skin is written over them, so that a run holds one copy of the pictures, not two.
[[nodiscard]] BuiltSkin build_skin_over(std::vector<std::uint8_t> files,
                                        const SkinSettings& settings,
                                        ExplainPicture explain = explain_bmp);

}  // namespace orbskin::skin
