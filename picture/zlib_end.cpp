// The block walk of RFC 1951 with the decoding left out: codes are read to learn how many bits
// each symbol takes, and no byte is written.
#include "picture/zlib_end.h"

#include <array>

namespace orbskin::picture {
namespace {

struct Damaged {};  // thrown from deep in the walk: the stream is damaged or cut short

class Bits {
  public:
    explicit Bits(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    unsigned take(int count) {
        unsigned value = 0;
        for (int i = 0; i < count; ++i, ++at_) {
            if (at_ >> 3 >= bytes_.size()) throw Damaged{};
            value |= unsigned(bytes_[at_ >> 3] >> (at_ & 7) & 1) << i;
        }
        return value;
    }
    void skip_to_byte() { at_ = (at_ + 7) & ~std::size_t{7}; }
    void skip_bytes(std::size_t count) { at_ += count * 8; }
    [[nodiscard]] std::size_t bytes_taken() const { return at_ >> 3; }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

// A canonical Huffman code by its code lengths, read a bit at a time as RFC 1951 describes.
class Code {
  public:
    explicit Code(std::span<const std::uint8_t> lengths) {
        for (const std::uint8_t length : lengths)
            ++count_[length];
        count_[0] = 0;
        std::array<std::uint16_t, 16> next{};
        for (int length = 1; length < 16; ++length)
            next[length] = std::uint16_t(next[length - 1] + count_[length - 1]);
        for (std::size_t symbol = 0; symbol < lengths.size(); ++symbol)
            if (lengths[symbol]) symbols_[next[lengths[symbol]]++] = std::uint16_t(symbol);
    }

    unsigned read(Bits& bits) const {
        int code = 0, first = 0, index = 0;
        for (int length = 1; length < 16; ++length) {
            code |= int(bits.take(1));
            const int count = count_[length];
            if (code - first < count) return symbols_[std::size_t(index + code - first)];
            index += count, first = (first + count) << 1, code <<= 1;
        }
        throw Damaged{};
    }

  private:
    std::array<std::uint16_t, 16> count_{};
    std::array<std::uint16_t, 320> symbols_{};
};

constexpr std::array<std::uint8_t, 29> kLengthExtra{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                    2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint8_t, 30> kDistanceExtra{0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                      4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                      9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

void walk_codes(Bits& bits, const Code& literals, const Code& distances) {
    for (;;) {
        const unsigned symbol = literals.read(bits);
        if (symbol < 256) continue;
        if (symbol == 256) return;
        if (symbol > 285) throw Damaged{};
        bits.take(kLengthExtra[symbol - 257]);
        const unsigned distance = distances.read(bits);
        if (distance >= kDistanceExtra.size()) throw Damaged{};
        bits.take(kDistanceExtra[distance]);
    }
}

void walk_dynamic(Bits& bits) {
    const unsigned literal_count = bits.take(5) + 257, distance_count = bits.take(5) + 1,
                   length_count = bits.take(4) + 4;
    constexpr std::array<std::uint8_t, 19> kOrder{16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                  11, 4,  12, 3, 13, 2, 14, 1, 15};
    std::array<std::uint8_t, 19> length_lengths{};
    for (unsigned i = 0; i < length_count; ++i)
        length_lengths[kOrder[i]] = std::uint8_t(bits.take(3));
    const Code lengths_code(length_lengths);
    std::array<std::uint8_t, 320> lengths{};
    for (unsigned at = 0; at < literal_count + distance_count;) {
        const unsigned symbol = lengths_code.read(bits);
        if (symbol < 16) {
            lengths[at++] = std::uint8_t(symbol);
            continue;
        }
        if (symbol == 16 && at == 0) throw Damaged{};
        const std::uint8_t repeated = symbol == 16 ? lengths[at - 1] : 0;
        const unsigned times = symbol == 16   ? 3 + bits.take(2)
                               : symbol == 17 ? 3 + bits.take(3)
                                              : 11 + bits.take(7);
        if (at + times > literal_count + distance_count) throw Damaged{};
        for (unsigned i = 0; i < times; ++i)
            lengths[at++] = repeated;
    }
    walk_codes(bits, Code(std::span(lengths).first(literal_count)),
               Code(std::span(lengths).subspan(literal_count, distance_count)));
}

void walk_fixed(Bits& bits) {
    std::array<std::uint8_t, 288> literal_lengths{};
    for (std::size_t i = 0; i < literal_lengths.size(); ++i)
        literal_lengths[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
    std::array<std::uint8_t, 30> distance_lengths{};
    distance_lengths.fill(5);
    walk_codes(bits, Code(literal_lengths), Code(distance_lengths));
}

}  // namespace

std::optional<std::size_t> zlib_stream_length(std::span<const std::uint8_t> bytes) {
    // A zlib header: deflate, a checksum that holds, no preset dictionary.
    if (bytes.size() < 2 || (bytes[0] & 0x0F) != 8 || (bytes[0] << 8 | bytes[1]) % 31 != 0 ||
        (bytes[1] & 0x20))
        return std::nullopt;
    Bits bits(bytes.subspan(2));
    try {
        for (bool last = false; !last;) {
            last = bits.take(1);
            switch (bits.take(2)) {
                case 0: {
                    bits.skip_to_byte();
                    const unsigned length = bits.take(16), complement = bits.take(16);
                    if ((length ^ complement) != 0xFFFF) return std::nullopt;
                    bits.skip_bytes(length);
                    break;
                }
                case 1:
                    walk_fixed(bits);
                    break;
                case 2:
                    walk_dynamic(bits);
                    break;
                default:
                    return std::nullopt;
            }
        }
    } catch (const Damaged&) {
        return std::nullopt;
    }
    bits.skip_to_byte();
    const std::size_t length = 2 + bits.bytes_taken() + 4;  // the Adler-32 checksum after it
    if (length > bytes.size()) return std::nullopt;
    return length;
}

}  // namespace orbskin::picture
