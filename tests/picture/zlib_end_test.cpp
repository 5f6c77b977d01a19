// The end of a zlib stream, for every kind of deflate block zlib writes, with bytes after it or
// cut short. (Whatever it makes of other bytes, the inflater then refuses them.)
#include "picture/zlib_end.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <vector>

namespace orbskin::picture {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes deflated(const Bytes& data, int level, int strategy) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, 15, 8, strategy), Z_OK);
    Bytes out(deflateBound(&z, data.size()));
    z.next_in = const_cast<Bytes::value_type*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

TEST(zlib_stream_length, ends_after_the_checksum_of_every_kind_of_block) {
    // Rows as a picture's are: runs of one colour, then noise that no code shortens much.
    Bytes data(300000);
    std::mt19937 random(7);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = i < 150000 ? std::uint8_t(i / 1000) : std::uint8_t(random());
    // Level and strategy.
    const std::pair<int, int> kinds[] = {
        {0, Z_DEFAULT_STRATEGY}, {6, Z_FIXED}, {9, Z_DEFAULT_STRATEGY},
        {1, Z_HUFFMAN_ONLY},     {6, Z_RLE},   {6, Z_FILTERED}};
    for (const auto& [level, strategy] : kinds) {
        Bytes stream = deflated(data, level, strategy);
        const std::size_t length = stream.size();
        EXPECT_EQ(zlib_stream_length(stream), length) << level << strategy;
        stream.insert(stream.end(), {'J', 'U', 'N', 'K', 0, 0});
        EXPECT_EQ(zlib_stream_length(stream), length) << level << strategy;
        EXPECT_EQ(zlib_stream_length(std::span(stream).first(length - 1)), std::nullopt);
        EXPECT_EQ(zlib_stream_length(std::span(stream).first(length / 2)), std::nullopt);
    }
}

}  // namespace
}  // namespace orbskin::picture
