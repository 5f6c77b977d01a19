// What the pipeline makes of the platform's decoding of a GIF or an animated WebP: the first frame
// put on its screen (a WebP's handed on alone, as a still WebP), and an empty result refused in
// words rather than handed on to be resized.
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

Bitmap g_decoded;      // what the platform's stand-in hands back: a decoder is a plain function
made::Bytes g_handed;  // and what it was handed

// A RIFF chunk, padded to an even length; a WebP of such chunks; fields of three bytes.
made::Bytes chunk(std::string_view name, made::Bytes payload) {
    made::Bytes bytes{name.begin(), name.end()};
    bytes.insert(bytes.end(), {std::uint8_t(payload.size()), 0, 0, 0});
    payload.resize(payload.size() + payload.size() % 2);
    return made::joined(bytes, payload);
}
made::Bytes webp(const std::vector<made::Bytes>& chunks, made::Bytes body = {'W', 'E', 'B', 'P'}) {
    for (const made::Bytes& c : chunks)
        body = made::joined(body, c);
    return chunk("RIFF", body);
}
made::Bytes fields(std::initializer_list<int> values, made::Bytes bytes = {}) {
    for (const int v : values)
        bytes.insert(bytes.end(), {std::uint8_t(v), 0, 0});
    return bytes;
}
Bitmap white(int width, int height) {
    return {width, height, made::Pixels(std::size_t(width * height), ~0u)};
}

TEST(decode_first_frame, is_put_on_its_screen_an_animated_webps_handed_on_alone) {
    const auto vp8x = [](std::uint8_t flags, int w, int h) {
        return chunk("VP8X", fields({0, w - 1, h - 1}, {flags}));
    };
    const auto anmf = [](int x, int y, int w, int h, const made::Bytes& data) {
        return chunk("ANMF", made::joined(fields({x / 2, y / 2, w - 1, h - 1, 100}),
                                          made::joined({0}, data)));
    };
    const made::Bytes ll = chunk("VP8L", {0x2F, 1, 2, 3, 0x10}), lossy = chunk("VP8 ", {9, 8}),
                      alpha = chunk("ALPH", {1, 2, 3}), anim = chunk("ANIM", {0, 0, 0, 0, 0, 0});
    const made::Bytes first = anmf(0, 0, 4, 3, ll),
                      small = anmf(2, 4, 3, 1, made::joined(alpha, lossy)),
                      still = webp({vp8x(16, 3, 1), alpha, lossy}),
                      ll_still = webp({vp8x(16, 4, 3), ll});
    const made::Bytes covers = webp({vp8x(2, 4, 3), anim, first, small}),
                      smaller = webp({vp8x(18, 6, 5), anim, small, first});
    // The file; what the platform gives; where the frame lies on the screen the pipeline gives
    // (none: refused); the bytes the platform is handed, where not the file.
    const std::tuple<std::string_view, made::Bytes, Bitmap, FirstFrame, made::Bytes> cases[] = {
        {"GIF, the frame alone", gif(24, 20), white(16, 16), {24, 20, 4, 2, 16, 16}, {}},
        {"GIF, the whole screen", gif(24, 20), white(24, 20), {24, 20, 4, 2, 16, 16}, {}},
        {"GIF, a screen of no area", gif(0, 0), white(16, 16), {16, 16, 0, 0, 16, 16}, {}},
        {"GIF, no pixels", gif(24, 20), white(0, 0), {}, {}},
        {"GIF, fewer pixels than its sides", gif(0, 0), {16, 16, {}}, {}, {}},
        {"WebP covering", covers, white(4, 3), {4, 3, 0, 0, 4, 3}, ll_still},
        {"WebP smaller", smaller, white(3, 1), {6, 5, 2, 4, 3, 1}, still},
        {"WebP still", still, white(3, 1), {3, 1, 0, 0, 3, 1}, {}},
    };
    const PlatformDecoder platform = [](std::vector<std::uint8_t> bytes, const std::string&) {
        g_handed = std::move(bytes);
        return g_decoded;
    };
    for (const auto& [name, file, given, at, handed] : cases) {
        g_decoded = given;
        const auto decoded = [&file = file, platform] {
            return decode_picture(file, read_head(file), "a", {nullptr, platform});
        };
        if (at.screen_width == 0) {
            EXPECT_EQ(refusal(decoded), "cannot read \"a\" as a picture: it holds no picture");
            continue;
        }
        const Bitmap result = decoded();
        EXPECT_EQ(g_handed, handed.empty() ? file : handed) << name;
        ASSERT_EQ(std::pair(result.width, result.height),
                  std::pair(at.screen_width, at.screen_height))
            << name;
        // Where the frame does not reach is transparent; the frame's own pixels are kept.
        EXPECT_EQ(result.pixels[std::size_t(at.top * at.screen_width + at.left)], ~0u) << name;
        EXPECT_EQ(result.pixels.front(), at.left ? 0u : ~0u) << name;
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
    const PlatformDecoder lacks = [](std::vector<std::uint8_t>, const std::string&) -> Bitmap {
        throw NoDecoderHere("no codec");
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
        {std::string("RIFF\x0C\0\0\0WEBPVP8L\0\0\0\0", 20), lacks,
         "this system has no decoder for WebP pictures, though the file may well be good; save it "
         "again as PNG, or add a WebP decoder to the system"},
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
