// Our TIFF reader on small pictures ImageMagick wrote in each kind it reads (tiff/), each against
// ImageMagick's own decoding of it as raw RGBA, turned upright (deep_mm's: its 16-bit decoding,
// each level reduced to the nearest 8-bit one); and on files it refuses.
#include "picture/tiff_decoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "picture/decode.h"
#include "picture/inflate_zlib.h"
#include "tests/picture/made_files.h"

namespace orbskin::picture {
namespace {

using namespace made;

Bytes fixture(const std::string& name) {
    std::ifstream in(std::string(ORBSKIN_TIFF_FIXTURES) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// As import decodes a file: its head read, then the reader it names.
Bitmap imported(const Bytes& file) {
    return decode_picture(file, read_head(file), "a.tif", {inflate_zlib, nullptr});
}

struct Kind {
    const char* name;
    const char* reference;  // tiff/NAME.tif decodes to tiff/REFERENCE.rgba
    int tolerance = 0;      // per channel
    int width = 20;
};

class tiff_reader : public testing::TestWithParam<Kind> {};

TEST_P(tiff_reader, gives_the_pixels_another_reader_gives) {
    const Kind& k = GetParam();
    const Bytes want = fixture(std::string(k.reference) + ".rgba");
    const Bitmap got = imported(fixture(std::string(k.name) + ".tif"));
    ASSERT_EQ(got.pixels.size() * 4, want.size());
    EXPECT_EQ(got.width, k.width);
    int worst = 0;
    for (std::size_t i = 0; i < got.pixels.size(); ++i)
        for (const int c : {0, 1, 2, 3})
            worst = std::max(worst, std::abs(int(channel(got.pixels[i], (16 - 8 * c) & 31)) -
                                             int(want[4 * i + std::size_t(c)])));
    EXPECT_LE(worst, k.tolerance);
}

const Kind kKinds[] = {
    {"none", "rgb"}, {"packbits", "rgb"}, {"lzw", "rgb"}, {"lzw_predictor", "rgb"},
    {"deflate_predictor_mm", "rgb"},
    {"deflate_old", "rgb"},  // compression 32946, the same stream
    {"tiles", "rgb"},        // 16 x 16 tiles, cut at the picture's edges
    {"planar", "rgb"},
    {"deep", "rgb"},  // 16 bits a sample, each 257 times its 8-bit level, with the predictor
    {"deep_mm", "deep_mm"},  // RGBA of any 16-bit levels, most significant byte first
    {"palette", "rgb"}, {"grey", "grey"}, {"alpha", "alpha"},
    {"grey_white", "grey_white"},  // white is zero
    {"premultiplied", "premultiplied", 1},
    {"turned", "turned", 0, 18},  // orientation 6
    {"loop", "rgb"},              // its next directory is itself: only the first is read
};

INSTANTIATE_TEST_SUITE_P(each_kind, tiff_reader, testing::ValuesIn(kKinds), ByName());


Bytes garbled(Bytes file, std::size_t from, std::size_t to) {
    std::fill(file.begin() + std::ptrdiff_t(from), file.begin() + std::ptrdiff_t(to), 0xFF);
    return file;
}

const std::string kNotRead = ", which this program does not read; save it as PNG";
const Refused kBad[] = {
    {"jpeg", fixture("jpeg.tif"), "it is a TIFF picture compressed as JPEG" + kNotRead},
    {"cmyk", fixture("cmyk.tif"), "it is a TIFF picture of colour model CMYK" + kNotRead},
    {"four_bit", fixture("palette4.tif"), "it is a TIFF picture of 4-bit samples" + kNotRead},
    {"directory_cut_off", first(fixture("none.tif"), 1000),
     "it is a damaged TIFF file: a part claims more bytes than the file holds"},
    {"strip_past_the_end", fixture("past_end.tif"), "damaged TIFF file: its pixels are cut short"},
    {"garbled_lzw", garbled(fixture("lzw.tif"), 8, 200),
     "damaged TIFF file: its compressed pixels are damaged"},
    {"packbits_cut_short", garbled(fixture("packbits.tif"), 8, 1000),
     "damaged TIFF file: its compressed pixels are cut short"},
    {"absurd_size", fixture("absurd.tif"), "far too large for a skin"},
};

MADE_REFUSALS(tiff_refusal, kBad, imported);

}  // namespace
}  // namespace orbskin::picture
