// What the pipeline makes of the platform's decoding of a GIF: the first frame put on its
// screen, and an empty result refused in words rather than handed on to be resized.
#include "picture/decode.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string_view>
#include <tuple>

#include "runtime/error.h"
#include "tests/picture/made_files.h"

namespace orbskin::picture {
namespace {

using namespace std::string_view_literals;
using made::refusal;

// A GIF with no colour table whose first frame of 16 × 16 lies at (4, 2) on its screen.
made::Bytes gif(std::uint8_t screen_width, std::uint8_t screen_height) {
    const std::string_view frame = "\0\0\0\x2C\4\0\2\0\x10\0\x10\0\0\2\0"sv;
    made::Bytes bytes{'G', 'I', 'F', '8', '9', 'a', screen_width, 0, screen_height, 0};
    return made::joined(bytes, {frame.begin(), frame.end()});
}

Bitmap g_decoded;  // what the platform's stand-in hands back: a decoder is a plain function

TEST(decode_gif, puts_the_frame_on_its_screen_or_refuses_an_empty_one_in_words) {
    const std::vector<std::uint32_t> white(256, ~0u);
    // The screen's sides; what the platform gives; what the pipeline gives, 0 where it refuses.
    const std::tuple<std::uint8_t, std::uint8_t, Bitmap, int, int> cases[] = {
        {24, 20, {16, 16, white}, 24, 20},                                 // the frame alone
        {24, 20, {24, 20, std::vector<std::uint32_t>(480, ~0u)}, 24, 20},  // the whole screen
        {0, 0, {16, 16, white}, 16, 16},                                   // a screen of no area
        {24, 20, {0, 0, {}}, 0, 0},
        {0, 0, {16, 16, {}}, 0, 0},  // fewer pixels than its sides
    };
    for (const auto& [screen_width, screen_height, given, width, height] : cases) {
        g_decoded = given;
        const auto decoded = [&, w = screen_width, h = screen_height] {
            const made::Bytes bytes = gif(w, h);
            return decode_picture(
                bytes, read_head(bytes), "a.gif",
                {nullptr, [](std::vector<std::uint8_t>, const std::string&) { return g_decoded; }});
        };
        if (width == 0) {
            EXPECT_EQ(refusal(decoded), "cannot read \"a.gif\" as a picture: it holds no picture");
            continue;
        }
        const Bitmap result = decoded();
        ASSERT_EQ(std::pair(result.width, result.height), std::pair(width, height));
        // Where the frame does not reach is transparent; the frame's own pixels are kept.
        EXPECT_EQ(result.pixels.front(), width == 16 ? ~0u : 0u) << width;
        EXPECT_EQ(result.pixels[std::size_t(2) * result.width + 4], ~0u) << width;
    }
}

// Bytes in no format of ours are refused in our words where the platform cannot read them either,
// and left to a platform that can (PPM with Qt); a file the platform fails on, in ours too. A
// photo whose header claims more than our limit is refused before any platform decoder, with
// limits and words of its own, sees it: here a JPEG whose frame header follows 200 KB of XMP.
TEST(decode_unknown, is_refused_in_our_words_or_left_to_the_platform) {
    const PlatformDecoder reads = [](std::vector<std::uint8_t>, const std::string&) {
        return Bitmap{1, 1, {0xFF010203}};
    };
    const PlatformDecoder refuses = [](std::vector<std::uint8_t>, const std::string&) -> Bitmap {
        throw runtime::Error("Unsupported image format");
    };
    const PlatformDecoder unasked = [](std::vector<std::uint8_t>, const std::string&) -> Bitmap {
        throw std::logic_error("the platform was asked");
    };
    const made::Bytes large = made::jpeg_after_xmp(12000, 8000);
    const std::string unknown = "it is not a picture this program knows (it starts with ";
    // The bytes, the platform's decoder, and the cause: empty where it decodes.
    const std::tuple<std::string, PlatformDecoder, std::string> cases[] = {
        {std::string(large.begin(), large.end()), unasked,
         "it claims 12000×8000 pixels, far too large for a skin"},
        {"hello\nthere", refuses, unknown + "\"hello\")"},
        {std::string("\xC3\0\x5B\x7F\x92\xDE\xF7\x1E\1", 9), refuses,
         unknown + "C3 00 5B 7F 92 DE F7 1E)"},
        {std::string("\0\1\1\0\0\x2C\1\x18\0\0\0\0\2\0\2\0\x10\0", 18), refuses,
         "it is a TGA of 16-bit colour indices, which this program does not read; save it as PNG"},
        {"P6\n1 1\n255\n\1\2\3", reads, ""},
        {std::string("II*\0\x08\0\0\0", 8), refuses,
         "it is a damaged TIFF file: a part claims more bytes than the file holds"},
    };
    for (const auto& [text, platform, says] : cases)
        EXPECT_EQ(refusal([&text = text, platform = platform] {
                      const made::Bytes bytes = made::bytes_of(text);
                      return decode_picture(bytes, read_head(bytes), "a", {nullptr, platform});
                  }),
                  says.empty() ? "" : "cannot read \"a\" as a picture: " + says);
}

}  // namespace
}  // namespace orbskin::picture
