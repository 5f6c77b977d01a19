// Inflates piece by piece to the length the picture needs, never more: a small stream that claims
// to unpack to gigabytes stops there.
#include "picture/inflate_zlib.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

#include "picture/png_decoder.h"
#include "picture/wording.h"
#include "runtime/error.h"

namespace orbskin::picture {
namespace {

class Stream {
  public:
    Stream() {
        if (inflateInit(&z_) != Z_OK) throw runtime::Error("out of memory");
    }
    ~Stream() { inflateEnd(&z_); }
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;
    z_stream* operator->() { return &z_; }
    z_stream* get() { return &z_; }

  private:
    z_stream z_{};
};

}  // namespace

void inflate_zlib(std::span<const std::span<const std::uint8_t>> pieces, std::size_t length,
                  const InflatedSink& sink, const std::string& source) {
    // Handed on a band at a time, a few rows of the largest pictures.
    std::vector<std::uint8_t> band(std::min(length, std::size_t{1} << 20));
    std::size_t left = length, next = 0;
    Stream z;
    // Each round takes input or gives output; zlib may hold output of input already taken, so
    // the stream is done only when it ends or has nothing more to give.
    while (left > 0) {
        if (z->avail_in == 0 && next < pieces.size()) {
            z->next_in = const_cast<Bytef*>(pieces[next].data());
            z->avail_in = static_cast<uInt>(pieces[next++].size());  // a chunk holds below 2 GB
        }
        const std::size_t room = std::min(left, band.size());
        z->next_out = band.data();
        z->avail_out = static_cast<uInt>(room);
        const int result = inflate(z.get(), Z_NO_FLUSH);
        const std::size_t got = room - z->avail_out;
        left -= got;
        if (got > 0) sink(std::span(band).first(got));
        if (result == Z_STREAM_END || (result == Z_BUF_ERROR && next == pieces.size())) break;
        if (result != Z_OK && result != Z_BUF_ERROR)
            throw runtime::Error(unreadable_picture_message(
                source, damaged_png_data(Message("its image data does not inflate"))));
    }
    if (left > 0)
        throw runtime::Error(unreadable_picture_message(
            source, damaged_png_data(Message("its image data is cut short"))));
}

std::optional<std::vector<std::uint8_t>> inflate_zlib_whole(std::span<const std::uint8_t> stream,
                                                            std::size_t limit) {
    std::vector<std::uint8_t> out(std::min<std::size_t>(limit, 1 << 16));
    Stream z;
    z->next_in = const_cast<Bytef*>(stream.data());
    z->avail_in = static_cast<uInt>(std::min<std::size_t>(stream.size(), UINT_MAX));
    int result = Z_OK;
    while (result == Z_OK) {
        if (z->total_out == out.size()) {
            if (out.size() >= limit) return std::nullopt;
            out.resize(std::min(limit, out.size() * 2));
        }
        z->next_out = out.data() + z->total_out;
        z->avail_out = static_cast<uInt>(out.size() - z->total_out);
        result = inflate(z.get(), Z_NO_FLUSH);
    }
    if (result != Z_STREAM_END) return std::nullopt;
    out.resize(z->total_out);
    return out;
}

}  // namespace orbskin::picture
