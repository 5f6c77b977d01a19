// Resizing a picture into another size: where it lands, and its pixels resampled there.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "picture/bitmap.h"
#include "skin/layout.h"

namespace orbskin::picture {

// What becomes of a picture of another size: refused, resized smoothly in one of three ways, or
// resized exactly, every pixel kept as it is.
enum class Resize {
    none,
    stretch,    // to the exact size, whatever its shape
    fit,        // the whole picture inside the size, centred, the rest in the background colour
    crop,       // filling the size, the centre kept and the overhang cut off
    trim,       // at 1:1, centred: what is too large cut off, and what is too small padded
    pad,        // the same: named for a picture a few pixels too small
    pixel_art,  // by a whole factor: each pixel repeated, or one taken from each block
};

// Where a picture of `width` × `height` lands in a size of `into_width` × `into_height`:
// the part of the source taken, in source pixels, and the rectangle it fills.
struct Placement {
    double source_left, source_top, source_width, source_height;
    int left, top, width, height;
};
[[nodiscard]] Placement place(int width, int height, int into_width, int into_height, Resize how);

// `bitmap` resized into `into_width` × `into_height` as `placement` says, with a tent filter as
// wide as the scale, in premultiplied alpha, so that shrinking averages every source pixel and
// enlarging interpolates; outside the placement it is transparent. Works a row at a time: beside
// the source it holds only the rows resized across.
[[nodiscard]] Bitmap scaled(const Bitmap& bitmap, int into_width, int into_height,
                            const Placement& placement);

// Each way by its import option and its name on the page's buttons ("Crop mainnds.bmp").
struct ResizeWay {
    Resize how;
    std::string_view option;  // "--crop"
    std::string_view name;    // "Crop", with its context (C_)
    bool exact;               // every pixel kept as it is, none resampled
    bool margins;             // the background shows around a picture of another shape or size
    std::string_view help;    // what the option does, in import's help
};
// Every way but none.
[[nodiscard]] std::span<const ResizeWay> resize_ways();
[[nodiscard]] const ResizeWay& resize_way(Resize how);

// The ways import can resize a picture of `width` × `height` (0 when unknown) for `picture`,
// the one to propose first: by the few pixels it is off, at 1:1 (trim, or pad); by a whole
// factor where the picture holds few colours (pixel art); stretched where the shapes agree within
// 1 %, as stretching distorts; cropped. Then the others that apply: crop, fit, stretch, and pixel
// art at any whole factor.
[[nodiscard]] std::vector<Resize> ways_to_resize(std::int64_t width, std::int64_t height,
                                                 bool few_colours, const skin::Picture& picture);

// Whether the picture holds at most 256 colours (alpha told apart), counted from its pixels: a
// drawing saved as RGB says nothing of it in its header.
[[nodiscard]] bool few_colours(const Bitmap& bitmap);

// Whether the picture holds the many colours of a photo or of smooth shading (more than 4096, or
// than half its pixels), whose shades would show as steps at the skin's 5 bits a channel.
[[nodiscard]] bool many_colours(const Bitmap& bitmap);

// `bitmap` at 1:1 in a `width` × `height` canvas, centred (an odd pixel left over goes to the
// right or bottom): cut where it is larger, transparent where it is smaller.
[[nodiscard]] Bitmap centred(const Bitmap& bitmap, int width, int height);

// `bitmap` made `width` × `height` by one whole factor in both directions: 2×, 3×… by repeating
// each pixel, ½, ⅓… by taking the middle pixel of each block. Nothing when the sizes are not a
// whole multiple or fraction of each other by the same factor.
[[nodiscard]] std::optional<Bitmap> scaled_by_whole_factor(const Bitmap& bitmap, int width,
                                                           int height);

// The largest whole factor by which `width` × `height` can be divided and stay at least
// `at_least_width` × `at_least_height`; 1 where it cannot.
[[nodiscard]] int reduction_factor(int width, int height, int at_least_width, int at_least_height);

// `bitmap` made smaller by the largest whole factor that leaves it at least `at_least_width` ×
// `at_least_height` (where it is larger), each pixel the mean of its block in premultiplied
// alpha: a quick stand-in for a large photo where only a preview of its resizing is wanted.
[[nodiscard]] Bitmap averaged_down(const Bitmap& bitmap, int at_least_width, int at_least_height);

}  // namespace orbskin::picture
