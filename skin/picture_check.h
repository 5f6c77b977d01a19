// Explains in words what a BMP file is and whether the skin would show it as drawn, reading its
// header defensively: nothing in it is trusted beyond the bytes that are there. Other formats are
// named by picture/explain.h.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "runtime/message.h"
#include "skin/layout.h"

namespace orbskin::skin {

struct PictureVerdict {
    runtime::Message found;  // what the file is, e.g. "32-bit BMP, 256×192, 124-byte header"
    // Why the skin would be wrong; none for a picture the skin shows as drawn.
    std::optional<runtime::Message> cause;
    bool needs_scaling = false;          // the size differs from the name's, or cannot be told
    bool importable = true;              // a decoder of ours or of the platform reads it
    std::int64_t width = 0, height = 0;  // the size the file claims; 0 when it cannot be told
    // What to do with a file import cannot read; none: the usual advice.
    std::optional<runtime::Message> advice{};
    bool few_colours = false;  // the header says at most 256 colours: pixel art, perhaps

    [[nodiscard]] bool ok() const { return !cause; }
};

// `head` holds at least the file's BMP header, `length` its whole length. A file of the right
// length is judged too: a header that claims another size, depth or row order means the
// conversion, which skips the header, would garble the picture.
[[nodiscard]] PictureVerdict explain_bmp(std::span<const std::uint8_t> head, std::uint64_t length,
                                         const Picture& expected);

// A verdict on a file that is not a 24-bit BMP: `found` says what it is.
[[nodiscard]] PictureVerdict not_bmp(runtime::Message found, bool importable,
                                     bool needs_scaling = true);

// check's verdict on a picture that is not there.
inline constexpr std::string_view kMissingVerdict = runtime::N_("missing");

// The verdict in check's words: "ok", or "LENGTH bytes: what the file is: why it is wrong".
[[nodiscard]] runtime::Message verdict_message(const PictureVerdict& verdict, std::uint64_t length);

}  // namespace orbskin::skin
