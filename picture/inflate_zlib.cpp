// Inflates piece by piece into a buffer of the length the picture needs, never more: a small
// stream that claims to unpack to gigabytes stops there.
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

std::vector<std::uint8_t> inflate_zlib(std::span<const std::span<const std::uint8_t>> pieces,
                                       std::size_t length, const std::string& source) {
    // Our size limit keeps every picture's data well below 4 GB, what zlib counts at once.
    if (length > UINT_MAX)
        throw runtime::Error(unreadable_picture_message(source, Message(kFarTooLarge)));
    std::vector<std::uint8_t> out(length);
    Stream z;
    z->next_out = out.data();
    z->avail_out = static_cast<uInt>(length);
    int result = Z_OK;
    for (const std::span<const std::uint8_t> piece : pieces) {
        z->next_in = const_cast<Bytef*>(piece.data());
        z->avail_in = static_cast<uInt>(piece.size());  // a chunk holds below 2 GB
        while (result == Z_OK && z->avail_in > 0 && z->avail_out > 0)
            result = inflate(z.get(), Z_NO_FLUSH);
        if (result != Z_OK || z->avail_out == 0) break;
    }
    if (result != Z_OK && result != Z_STREAM_END)
        throw runtime::Error(unreadable_picture_message(
            source, damaged_png_data(Message("its image data does not inflate"))));
    if (z->avail_out > 0)
        throw runtime::Error(unreadable_picture_message(
            source, damaged_png_data(Message("its image data is cut short"))));
    return out;
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
