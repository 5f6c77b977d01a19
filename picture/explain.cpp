// Naming the formats a skin cannot hold, with the size their headers claim; read defensively, as
// the BMP check is.
#include "picture/explain.h"

#include <optional>
#include <string_view>

#include "picture/picture_head.h"
#include "skin/byte_order.h"

namespace orbskin::picture {
namespace {

using runtime::Arg;
using runtime::Message;
using skin::FieldReader;
using skin::not_bmp;
using skin::Picture;
using skin::PictureVerdict;
using skin::size_text;

Arg size_arg(std::int64_t width, std::int64_t height) {
    return {"size", size_text(width, height)};
}

// A PNG, JPEG, GIF, TIFF, WebP or TGA file ("PNG file"), or a Netpbm one ("PPM picture"), of
// the size its header claims where it tells.
PictureVerdict readable_format(const PictureHead& head, std::string_view name,
                               std::optional<Size> size, const Picture& expected,
                               bool a_file = true) {
    const Arg format = a_file ? Arg("format", std::string(name)) : Arg("format", Message(name));
    if (!size || size->width <= 0 || size->height <= 0)
        return not_bmp(a_file ? Message("{format} file, not BMP", {format})
                              : Message("{format}, not BMP", {format}),
                       true);
    PictureVerdict verdict =
        not_bmp(a_file ? Message("{format} file of {size}, not BMP",
                                 {format, size_arg(size->width, size->height)})
                       : Message("{format} of {shown}, not BMP",
                                 {format, Arg("shown", size_text(size->width, size->height))}),
                true,
                size->width != static_cast<std::int64_t>(expected.width) ||
                    size->height != static_cast<std::int64_t>(expected.height));
    verdict.width = size->width, verdict.height = size->height;
    verdict.few_colours = head.few_colours;
    return verdict;
}

std::optional<PictureVerdict> other_format(const FieldReader& r, const Picture& expected) {
    const PictureHead head = read_head(r.bytes());
    if (r.starts_with(kPngSignature)) {
        std::optional<Size> size = head.shown;
        if (!r.has(20, 4) || !r.starts_with("IHDR", 12)) size.reset();
        return readable_format(head, "PNG", size, expected);
    }
    const Arg size("size", size_text(expected));
    if (head.svg) {
        PictureVerdict verdict = not_bmp(Message("SVG drawing, not BMP"), false);
        verdict.advice = Message(
            "export the drawing as a PNG of {size} from the program that made it, then import "
            "that PNG",
            {size});
        return verdict;
    }
    if (const ForeignFormat* foreign = head.foreign) {
        const std::optional<Size> shown = head.shown;
        const Arg name("format", Message(foreign->name));
        PictureVerdict verdict =
            not_bmp(shown ? Message("{format} of {shown}, not BMP",
                                    {name, Arg("shown", size_text(shown->width, shown->height))})
                          : Message("{format}, not BMP", {name}),
                    false);
        verdict.advice =
            Message("{advice}, at {size}, then import that file with orbskin-cli import",
                    {{"advice", Message(foreign->advice)}, size});
        return verdict;
    }
    // PNG was judged above, and BMP is judged by its header below; a Netpbm file is read by a
    // platform's decoder.
    const std::string_view name = head.format ? head.format->name : head.netpbm;
    if (!name.empty() && name != "BMP")
        return readable_format(head, name, head.shown, expected, head.format != nullptr);
    if (r.starts_with("RIFF")) return not_bmp(Message("RIFF (not a picture) file, not BMP"), false);
    return std::nullopt;
}

}  // namespace

PictureVerdict explain_picture(std::span<const std::uint8_t> head, std::uint64_t length,
                               const Picture& expected) {
    if (length == 0) return not_bmp(Message("an empty file"), false);
    if (std::optional<PictureVerdict> verdict = other_format(FieldReader(head), expected))
        return *verdict;
    return skin::explain_bmp(head, length, expected);
}

}  // namespace orbskin::picture
