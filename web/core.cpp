// The page's way into the core: plain C functions over bytes. The page's security policy forbids
// code generated at run time, so there is no generated glue; each call takes its file from the
// one input buffer and leaves its answer in the one reply: a JSON text and, where there is one,
// a file's bytes.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "language/catalogue.h"
#include "language/words.h"
#include "picture/bmp_decoder.h"
#include "picture/colour_profile.h"
#include "picture/decode.h"
#include "picture/dither.h"
#include "picture/explain.h"
#include "picture/guard.h"
#include "picture/looks.h"
#include "picture/orientation.h"
#include "picture/picture_import.h"
#include "picture/png_decoder.h"
#include "picture/preview.h"
#include "picture/resize.h"
#include "picture/templates.h"
#include "picture/tiff_decoder.h"
#include "picture/wording.h"
#include "picture/zlib_end.h"
#include "runtime/error.h"
#include "runtime/text_to_byte.h"
#include "skin/build.h"
#include "skin/byte_order.h"
#include "skin/readability.h"
#include "skin/settings.h"
#include "skin/settings_line.h"
#include "skin/unpack.h"
#include "web/json.h"
#include "window/form_layout.h"

namespace {

using namespace orbskin;
using web::Job;
using web::Json;

std::vector<std::uint8_t> input;
// The browser's decoded pixels, written here in place as RGBA bytes to spare a copy.
std::vector<std::uint32_t> input_pixels;
std::string reply_json;
std::vector<std::uint8_t> reply_bytes;
// What "Just Go!" packs, set slot by slot as each changes. A refused file is known by its length
// alone: it is judged as it would be in a folder, and never copied in.
std::array<std::optional<std::vector<std::uint8_t>>, skin::kPictures.size()> pictures;
std::array<std::optional<std::uint64_t>, skin::kPictures.size()> refused_lengths;
skin::SkinSettings settings;
// The PNG whose image data the page is inflating: walk_png()'s findings, kept for png_pixels().
picture::PngImage walked;
// The Deflate TIFF whose pieces the page is inflating: walk_tiff()'s findings, for tiff_pixels().
picture::TiffImage walked_tiff;
// The page's language, in which every message of ours is said; pack's own stay as they are.
language::Words words;

// A message in the page's language; a text worded before it was data, as it is.
std::string say(const runtime::Message& message) {
    return words(message);
}
std::string say(std::string text) {
    return text;
}
template <class Each>
std::vector<std::string> say(const std::vector<Each>& messages) {
    std::vector<std::string> said;
    for (const Each& message : messages)
        said.push_back(say(message));
    return said;
}

void reply(const Json& json, std::vector<std::uint8_t> bytes = {}) {
    reply_json = json.str();
    reply_bytes = std::move(bytes);
}

// A message in every language we have, the tests' pseudo-language too, as {"fr": text, ...}: a
// refusal kept in a box is said again in another language without its picture read again.
std::string said_in_each(const runtime::Message& message) {
    Json each;
    for (const auto& language : language::catalogue::kLanguages)
        each.text(language.code,
                  language::Words(std::vector<std::string>{std::string(language.code)})(message));
    return each.str();
}

// A refusal: "error" in the page's language, "errorIn" in each.
Json refused(const runtime::Message& message) {
    return Json().text("error", say(message)).raw("errorIn", said_in_each(message));
}

void reply_failure(const std::exception& failure) {
    reply(refused(runtime::failure_message(failure)));
}

// How a job asks for its picture to be converted: "resize" (the way's number in the core's table),
// "dither" and "background" (0xRRGGBB).
picture::Conversion conversion(const Job& job) {
    const auto background = static_cast<std::uint32_t>(job.number("background"));
    return {static_cast<picture::Resize>(job.number("resize")),
            job.flag("dither"),
            {static_cast<std::uint8_t>(background >> 16),
             static_cast<std::uint8_t>(background >> 8), static_cast<std::uint8_t>(background)}};
}

// The ways import offers for a picture of another size, the one check would propose first, each
// with a preview of its result: a BMP of the slot's size in the reply's bytes, from `at` for
// `length`. A photo is taken down first, so that the previews come while the drop is fresh.
// `bitmap` is the picture itself, or where `width` × `height` is larger, the browser's reduction.
void reply_ways(const picture::Bitmap& bitmap, int width, int height, const skin::Picture& picture,
                const char* source, const picture::Conversion& how) {
    // No smaller than the slot: a preview is shown no larger than the skin holds it.
    const picture::Bitmap small = picture::averaged_down(bitmap, static_cast<int>(picture.width),
                                                         static_cast<int>(picture.height));
    std::vector<std::string> ways;
    std::vector<std::uint8_t> previews;
    // Colours are counted only on the picture itself: a reduction has more of them.
    const bool few =
        bitmap.width == width && bitmap.height == height && picture::few_colours(bitmap);
    for (const picture::Resize way : picture::ways_to_resize(width, height, few, picture)) {
        // The exact ways keep every pixel, so they work on the picture itself, which is small.
        const std::vector<std::uint8_t> preview =
            picture::canonical_picture(picture::resize_way(way).exact ? bitmap : small, picture,
                                       {way, how.dither, how.background, width, height}, source);
        ways.push_back(Json()
                           .number("resize", static_cast<std::int64_t>(way))
                           .text("name", picture::resize_way(way).name)
                           .number("at", static_cast<std::int64_t>(previews.size()))
                           .number("length", static_cast<std::int64_t>(preview.size()))
                           .str());
        previews.insert(previews.end(), preview.begin(), preview.end());
    }
    const runtime::Message other_size = picture::other_size_message(
        source, width, height, picture.name, picture.width, picture.height);
    reply(Json()
              .text("otherSize", say(other_size))
              .raw("otherSizeIn", said_in_each(other_size))
              .raw("ways", Json::list(ways)),
          std::move(previews));
}

// The browser's RGBA pixels in the input, as a bitmap of `width` × `height`.
picture::Bitmap browser_pixels(int width, int height) {
    // RGBA bytes, read as a little-endian word, to 0xAARRGGBB: red and blue swap.
    for (std::uint32_t& p : input_pixels)
        p = (p & 0xFF00FF00u) | (p & 0xFFu) << 16 | (p >> 16 & 0xFFu);
    picture::Bitmap bitmap{width, height, std::move(input_pixels)};
    input_pixels = {};
    return bitmap;
}

// Whether converting to `picture` would keep every pixel (trim, pad, pixel art).
bool exact_way_applies(int width, int height, const skin::Picture& picture) {
    const std::vector<picture::Resize> ways =
        picture::ways_to_resize(width, height, false, picture);
    return std::any_of(ways.begin(), ways.end(),
                       [](picture::Resize way) { return picture::resize_way(way).exact; });
}

// How a converted picture was made: the way it was resized (0: it had the size), whether the
// background shows (under transparent parts, or around a fitted or padded picture), and whether
// Dither would show it better, as check judges it (pixel art is kept as drawn).
Json made_with(const picture::Bitmap& bitmap, const skin::Picture& picture,
               const picture::Conversion& how) {
    const bool resized = bitmap.width != static_cast<int>(picture.width) ||
                         bitmap.height != static_cast<int>(picture.height);
    const bool see_through = std::any_of(bitmap.pixels.begin(), bitmap.pixels.end(),
                                         [](std::uint32_t p) { return (p >> 24) < 255; });
    return Json()
        .number("resized", resized ? static_cast<std::int64_t>(how.resize) : 0)
        .text("way", resized ? picture::resize_way(how.resize).name : "")
        .flag("background", see_through || (resized && picture::resize_way(how.resize).margins))
        .flag("mostlyClear", picture::mostly_transparent(bitmap))
        .flag("ditherHelps",
              how.resize != picture::Resize::pixel_art && picture::dither_helps(bitmap));
}

// The picture a job names by "slot": one of the table's.
const skin::Picture& slot_of(const Job& job) {
    const std::int64_t slot = job.number("slot", -1);
    if (slot < 0 || slot >= static_cast<std::int64_t>(skin::kPictures.size()))
        throw runtime::Error("the page asked for picture " + std::to_string(slot) +
                             ", which no skin has");
    return skin::kPictures[static_cast<std::size_t>(slot)];
}

// The refusal of a picture the browser could not inflate or decode for `decoder`.
runtime::Message undecoded_message(const std::string& decoder, const std::string& source) {
    if (decoder == "png")
        return picture::unreadable_picture_message(
            source, picture::damaged_png_data(runtime::Message("its image data does not inflate")));
    if (decoder == "tiff")
        return picture::unreadable_picture_message(
            source, picture::damaged_message(
                        "TIFF", runtime::Message("its compressed pixels are damaged")));
    if (picture::read_head(input).arithmetic)  // the file before_decoding() was given
        return picture::unreadable_picture_message(
            source,
            runtime::Message(
                "it is a JPEG of arithmetic coding, which this browser cannot decode, though "
                "the file is good: orbskin-cli import reads it, or save it again as an "
                "ordinary JPEG (baseline or progressive) or as PNG"));
    return picture::unreadable_picture_message(
        source, runtime::Message("it is damaged, or of a kind this browser cannot decode"));
}

// The decoded picture of a conversion, by the job's "decoder": "ours" from the file in the input,
// as before_decoding() was given it (BMP, TGA, TIFF), "png" from the inflated image data of the PNG
// walked last, "tiff" from the inflated pieces of the Deflate TIFF walked last, end to end,
// "pixels" from the browser's RGBA pixels of "width" × "height" (JPEG, GIF, WebP). A job
// "undecoded" is refused: the browser could not inflate or decode it; one "inexact" too: the
// browser could not give its partly transparent pixels as stored.
picture::Bitmap decoded(const Job& job, const std::string& source) {
    const std::string decoder = job.text("decoder");
    if (job.flag("undecoded")) throw runtime::Error(undecoded_message(decoder, source));
    if (job.flag("inexact"))  // colour multiplied by alpha would give other bytes than import's
        throw runtime::Error(picture::unreadable_picture_message(
            source,
            runtime::Message("this browser cannot give its partly transparent pixels "
                             "exactly; save it as PNG, or import it with orbskin-cli import")));
    if (decoder == "ours")
        return picture::decode_picture(input, picture::read_head(input), source, {});
    if (decoder == "png") return picture::png_pixels(walked, input, source);
    if (decoder == "tiff") return picture::tiff_pixels(walked_tiff, input, source);
    if (decoder != "pixels") throw runtime::Error("the page named no decoder the core has");
    const auto width = job.number("width"), height = job.number("height");
    if (width <= 0 || height <= 0 ||
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) !=
            input_pixels.size())
        throw runtime::Error(
            picture::unreadable_picture_message(source, runtime::Message(picture::kNoPixels)));
    return browser_pixels(static_cast<int>(width), static_cast<int>(height));
}

// The canonical BMP of the job's slot from its decoded picture, or the reply's message. A picture
// of another size with no resizing asked for comes back as {"otherSize": text, "ways": [...]}.
void reply_imported(const Job& job) {
    const std::string source = job.text("source");
    picture::Bitmap bitmap;
    try {
        const skin::Picture& picture = slot_of(job);
        const picture::Conversion how = conversion(job);
        try {
            bitmap = decoded(job, source);
            if (const auto orientation = job.number("orientation", 1); orientation > 1)
                bitmap = picture::upright(bitmap, static_cast<int>(orientation));
            std::vector<std::uint8_t> bmp =
                picture::canonical_picture(bitmap, picture, how, source);
            reply(made_with(bitmap, picture, how), std::move(bmp));
        } catch (const picture::OtherSize&) {
            reply_ways(bitmap, bitmap.width, bitmap.height, picture, source.c_str(), how);
        }
    } catch (const std::exception& failure) {
        reply_failure(failure);
    }
}

// A colour as the page's canvas takes it: "#rrggbb".
std::string colour_text(std::uint32_t colour) {
    constexpr char kHex[] = "0123456789abcdef";
    std::string out = "#";
    for (int shift = 20; shift >= 0; shift -= 4)
        out += kHex[colour >> shift & 15];
    return out;
}

// The sample lines the sketch and the preview sheet draw over the list and ebook screens.
std::string samples_json() {
    const auto lines = [](const auto& samples) {
        std::vector<std::string> rows;
        for (const picture::SampleLine& line : samples)
            rows.push_back(Json()
                               .text("text", line.text)
                               .number("group", static_cast<std::int64_t>(line.colour_group))
                               .str());
        return Json::list(rows);
    };
    return Json()
        .raw("list", lines(picture::kListSamples))
        .raw("ebook", lines(picture::kEbookSamples))
        .number("ebookAt", picture::kEbookAt)
        .number("lineHeight", picture::kSampleLineHeight)
        .str();
}

std::string cell_json(window::GridCell cell) {
    return Json()
        .number("column", static_cast<std::int64_t>(cell.column))
        .number("row", static_cast<std::int64_t>(cell.row))
        .str();
}

// The pictures set for the next run, as build_skin takes them.
skin::PictureFiles set_pictures() {
    skin::PictureFiles files;
    for (std::size_t i = 0; i < pictures.size(); ++i)
        if (pictures[i]) files[i] = std::span<const std::uint8_t>(*pictures[i]);
    return files;
}

// The fields' texts a job carries, one for each field.
std::array<std::string, skin::kSettingsFields.size()> texts_of(const Job& job) {
    const std::vector<std::string> given = job.texts("texts");
    if (given.size() != skin::kSettingsFields.size())
        throw runtime::Error("the page sent the core " + std::to_string(given.size()) +
                             " fields, not " + std::to_string(skin::kSettingsFields.size()));
    std::array<std::string, skin::kSettingsFields.size()> texts;
    std::copy(given.begin(), given.end(), texts.begin());
    return texts;
}

// The colour profile the input carries that is not sRGB, into `answer`: its name as "profile"
// ("" where it gives none), or, where it is deflated (a PNG's), where it lies in the input, as
// "profileAt" and "profileLength", for the browser to inflate and profile_name() to read; or a
// PNG's gamma that is not sRGB's, as "gamma" (see picture::ProfilePlace).
Json& with_profile(Json& answer, const picture::PictureHead& head) {
    const picture::ProfilePlace& place = head.profile;
    if (place.gamma) answer.number("gamma", place.gamma);
    if (place.kind == picture::ProfilePlace::Kind::deflated)
        return answer.number("profileAt", place.bytes.data() - input.data())
            .number("profileLength", static_cast<std::int64_t>(place.bytes.size()));
    if (place.kind == picture::ProfilePlace::Kind::icc)
        if (const auto name = picture::foreign_profile_name(place.bytes))
            answer.text("profile", *name);
    return answer;
}

// A number the page sent as its digits ("443904", "-2.25"), to be written as the language
// writes numbers; none for anything else.
std::optional<runtime::Number> number_of(std::string_view digits) {
    const bool negative = digits.starts_with('-');
    if (negative) digits.remove_prefix(1);
    const auto point = std::min(digits.find('.'), digits.size());
    const std::size_t decimals = point == digits.size() ? 0 : digits.size() - point - 1;
    if (point == 0 || digits.size() > 18 || (point < digits.size() && !decimals)) return {};
    std::int64_t value = 0;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i == point) continue;
        if (digits[i] < '0' || digits[i] > '9') return {};
        value = value * 10 + (digits[i] - '0');
    }
    return runtime::Number(negative ? -value : value, static_cast<unsigned>(decimals));
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* orb_reply_json() {
    return reply_json.c_str();
}
EMSCRIPTEN_KEEPALIVE const std::uint8_t* orb_reply_bytes() {
    return reply_bytes.data();
}
EMSCRIPTEN_KEEPALIVE std::size_t orb_reply_length() {
    return reply_bytes.size();
}

// The input buffer, made `length` bytes long for the page to fill.
EMSCRIPTEN_KEEPALIVE std::uint8_t* orb_input(std::size_t length) {
    std::vector<std::uint8_t>().swap(input);
    input.resize(length);
    return input.data();
}

// The buffer for `count` decoded pixels, for the page to fill with RGBA bytes.
EMSCRIPTEN_KEEPALIVE std::uint32_t* orb_input_pixels(std::size_t count) {
    std::vector<std::uint32_t>().swap(input_pixels);
    input_pixels.resize(count);
    return input_pixels.data();
}

// The tables every front end shares: the pictures, the groups and fields with their captions and
// starting texts, the window's grid and captions. (The page's Tab order is its own: what is
// seen, in reading order.)
EMSCRIPTEN_KEEPALIVE void orb_tables() {
    std::vector<std::string> picture_rows, group_rows, field_rows, way_rows;
    // The choice for every picture of another size, in the order the page offers it.
    for (const picture::Resize way : {picture::Resize::none, picture::Resize::crop,
                                      picture::Resize::fit, picture::Resize::stretch}) {
        way_rows.push_back(Json()
                               .number("resize", static_cast<std::int64_t>(way))
                               .text("name", picture::resize_way(way).name)
                               .str());
    }
    for (const skin::Picture& picture : skin::kPictures) {
        picture_rows.push_back(
            Json()
                .text("name", picture.name)
                .number("width", static_cast<std::int64_t>(picture.width))
                .number("height", static_cast<std::int64_t>(picture.height))
                .text("size", skin::size_text(picture))
                .number("length", static_cast<std::int64_t>(picture.file_length()))
                .str());
    }
    for (std::size_t g = 0; g < skin::kSettingsGroups.size(); ++g) {
        group_rows.push_back(
            Json()
                .text("caption", skin::kSettingsGroups[g].caption)
                .text("places", skin::kSettingsGroups[g].places)
                .text("drawnOver", skin::kSettingsGroups[g].drawn_over)
                .flag("colour", skin::kSettingsGroups[g].kind == skin::GroupKind::colour)
                .raw("cell", cell_json(window::grid_cell(g)))
                .str());
    }
    // The languages a user may choose, each named in itself; the tests' pseudo-language is not.
    std::vector<std::string> language_rows;
    for (const auto& language : language::catalogue::kLanguages)
        if (language.listed)
            language_rows.push_back(
                Json().text("code", language.code).text("name", language.name).str());
    for (const skin::SettingsField& field : skin::kSettingsFields) {
        field_rows.push_back(Json()
                                 .number("group", static_cast<std::int64_t>(field.group))
                                 .text("label", field.label)
                                 .number("labelNumber", field.label_number)
                                 .text("start", field.starting_text)
                                 .str());
    }
    reply(Json()
              .text("title", window::kTitle)
              .text("check", window::kCheckCaption)
              .text("button", window::kButtonCaption)
              .flag("hintStarts", skin::kShowHintStarting)
              .raw("checkCell", cell_json(window::kCheckCell))
              .raw("buttonCell", cell_json(window::kButtonCell))
              .text("missing", skin::kMissingVerdict)
              .text("skinName", skin::kSkinFileName)
              .number("skinLength", static_cast<std::int64_t>(skin::kSkinFileLength))
              .number("largestFile", static_cast<std::int64_t>(picture::kLargestPictureFile))
              .number("headLength", static_cast<std::int64_t>(picture::kPictureHeadLength))
              .raw("pictures", Json::list(picture_rows))
              .raw("groups", Json::list(group_rows))
              .raw("fields", Json::list(field_rows))
              .raw("ways", Json::list(way_rows))
              .raw("languages", Json::list(language_rows))
              .raw("samples", samples_json()));
}

// The slot a file name fills: the picture's name with any extension, in any letter case
// ("MainNDS.png" fills mainnds.bmp); -1 for none.
EMSCRIPTEN_KEEPALIVE int orb_slot_of(const char* file_name) {
    std::string name(file_name);
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) name.resize(dot);
    const skin::Picture* picture = skin::picture_in_any_case(name + ".bmp");
    return picture ? static_cast<int>(picture - skin::kPictures.data()) : -1;
}

// check's verdict on the file `source` of `length` bytes, of which the input holds the head, as the
// file of `slot`: a large file is judged without copying it into the core. One larger than any
// picture import reads is refused too, in each language, as "refusedIn". Where the size lies past
// the head (a TIFF's directory at its end), the whole file in the input is judged, as check reads
// it; "sizeLiesPast" says that only the whole file tells it.
EMSCRIPTEN_KEEPALIVE void orb_judge(int slot, double length, const char* source) {
    const skin::Picture& picture = skin::kPictures.at(static_cast<std::size_t>(slot));
    const auto whole = static_cast<std::uint64_t>(length);
    std::span<const std::uint8_t> head =
        std::span(input).first(std::min(input.size(), picture::kPictureHeadLength));
    const bool past = picture::read_head(head, whole).size_lies_past;
    if (past && input.size() == whole) head = input;
    const skin::PictureVerdict verdict = picture::explain_picture(head, whole, picture);
    const runtime::Message said =
        skin::verdict_message(verdict, static_cast<std::uint64_t>(length));
    Json answer = Json()
                      .text("verdict", say(said))
                      .raw("verdictIn", said_in_each(said))
                      .flag("ok", verdict.ok())
                      .flag("importable", verdict.importable)
                      // a JPEG this browser may not decode, which "Just Go!" then says is good
                      .flag("arithmetic", picture::read_head(head).arithmetic)
                      .flag("sizeLiesPast", past && head.size() < whole);
    if (length > static_cast<double>(picture::kLargestPictureFile))
        answer.raw("refusedIn",
                   said_in_each(picture::too_large_message(runtime::quoted(std::string(source)),
                                                           static_cast<std::uint64_t>(length))));
    reply(answer);
}

// The input, a file of `slot`'s length that pack takes as it is, as the skin will show it.
EMSCRIPTEN_KEEPALIVE void orb_as_packed(int slot) {
    reply(Json(), skin::as_packed(skin::kPictures.at(static_cast<std::size_t>(slot)), input));
}

// The byte a field's text stands for, by the rule every front end uses; -1 for none.
EMSCRIPTEN_KEEPALIVE int orb_byte(const char* text) {
    const std::optional<std::uint8_t> value = runtime::text_to_byte(text);
    return value ? *value : -1;
}

// The page's refusals, in the words the desktop uses for them: `why` said as it is.
EMSCRIPTEN_KEEPALIVE void orb_unreadable(const char* source, const char* why) {
    reply(refused(picture::unreadable_picture_message(source, runtime::Message::as_is(why))));
}
EMSCRIPTEN_KEEPALIVE void orb_not_a_skin(const char* source, double length) {
    reply(refused(skin::not_a_skin_message(runtime::quoted(std::string(source)),
                                           static_cast<std::uint64_t>(length))));
}

// Before a picture is decoded: which decoder reads it. "ours" for BMP, TGA and TIFF; "png" for a
// PNG, walked and checked here, with its image data in the reply's bytes for the browser to
// inflate to "inflatedLength" bytes; "tiff" for a Deflate TIFF, walked here, its pieces end to end
// in the reply's bytes, each of "pieces" bytes, to inflate to "inflatedLengths"; "browser" for the
// rest, refused first where damaged, foreign or claiming more pixels than any decoder here may
// allocate, with the input's copy marked upright in the reply so that upright() alone turns it.
// Each gives the orientation, and the colour profile (see with_profile()).
EMSCRIPTEN_KEEPALIVE void orb_before_decoding(const char* source) {
    try {
        Json answer;
        // The desktop's refusals, in its order, for every decoder: the same file gets the same
        // words. A PNG's are its walk's.
        const picture::PictureHead head = picture::read_head(input);
        with_profile(answer, head);
        const int orientation = head.orientation;
        if (head.reader == picture::Reader::png) {
            walked = picture::walk_png(input, source);
            std::vector<std::uint8_t> data;
            for (const std::span<const std::uint8_t> piece : walked.data)
                data.insert(data.end(), piece.begin(), piece.end());
            walked.data.clear();  // they point into the input, which the inflated data replaces
            return reply(answer.text("decoder", "png")
                             .number("orientation", orientation)
                             .number("inflatedLength", static_cast<std::int64_t>(
                                                           picture::png_inflated_length(walked))),
                         std::move(data));
        }
        if (const std::optional<runtime::Message> why = head.refusal())
            throw runtime::Error(picture::unreadable_picture_message(source, *why));
        if (head.reader == picture::Reader::tiff) {
            walked_tiff = picture::walk_tiff(input, source);
            if (picture::tiff_deflated(walked_tiff)) {
                std::vector<std::uint8_t> data;
                std::vector<std::string> pieces, lengths;
                for (std::size_t i = 0; i < walked_tiff.pieces.size(); ++i) {
                    const std::span<const std::uint8_t> piece = walked_tiff.pieces[i];
                    data.insert(data.end(), piece.begin(), piece.end());
                    pieces.push_back(std::to_string(piece.size()));
                    lengths.push_back(std::to_string(picture::tiff_piece_length(walked_tiff, i)));
                }
                // They point into the input, which the inflated pieces replace; their count stays.
                walked_tiff.pieces.assign(walked_tiff.pieces.size(), {});
                return reply(answer.text("decoder", "tiff")
                                 .number("orientation", orientation)
                                 .raw("pieces", Json::list(pieces))
                                 .raw("inflatedLengths", Json::list(lengths)),
                             std::move(data));
            }
        }
        if (head.reader != picture::Reader::platform) return reply(answer.text("decoder", "ours"));
        std::vector<std::uint8_t> marked = input;
        picture::clear_orientation(marked);
        answer.text("decoder", "browser").number("orientation", orientation);
        // As stored, where the header says: a decoder that can reduce as it decodes is asked to.
        if (head.stored)
            answer.number("width", head.stored->width).number("height", head.stored->height);
        if (head.unknown)
            answer.raw("unknown",
                       refused(picture::unreadable_picture_message(source, *head.unknown)).str());
        reply(answer, std::move(marked));
    } catch (const std::exception& failure) {
        reply_failure(failure);
    }
}

// The input, an ICC profile the browser inflated: {"profile": its name} where it is not sRGB.
EMSCRIPTEN_KEEPALIVE void orb_profile_name() {
    Json answer;
    if (const auto name = picture::foreign_profile_name(input)) answer.text("profile", *name);
    reply(answer);
}

// What import warns of a picture that carries the colour profile `profile`, in the page's words.
EMSCRIPTEN_KEEPALIVE void orb_profile_warning(const char* source, const char* profile) {
    reply(Json().text("warning", say(picture::foreign_profile_message(source, profile))));
}

// What import warns of a PNG whose gamma is `gamma` (see with_profile()), in the page's words.
EMSCRIPTEN_KEEPALIVE void orb_gamma_warning(const char* source, int gamma) {
    reply(Json().text(
        "warning", say(picture::foreign_gamma_message(source, static_cast<std::uint32_t>(gamma)))));
}

// The input, a zlib stream and what may follow it: {"length": the stream's own}, 0 where it is
// damaged.
EMSCRIPTEN_KEEPALIVE void orb_zlib_length() {
    const std::optional<std::size_t> length = picture::zlib_stream_length(input);
    reply(Json().number("length", static_cast<std::int64_t>(length.value_or(0))));
}

// import, as the job (one JSON object) describes it: the slot, the source's name, the decoder and
// what it needs, the orientation, and how to convert (see conversion() and decoded()).
EMSCRIPTEN_KEEPALIVE void orb_convert(const char* job) {
    try {
        reply_imported(Job(job));
    } catch (const std::exception& failure) {
        reply_failure(failure);
    }
}

// For a picture of "width" × "height" as stored, to be offered the ways to convert it into the
// job's slot: the size to which the browser draws it down first, a whole factor smaller and no
// smaller than the slot, as {"width", "height"}; or {} where the whole picture is wanted: it is
// small, has the slot's size, or converts exactly (trim, pad, pixel art keep every pixel).
EMSCRIPTEN_KEEPALIVE void orb_preview_size(const char* job_json) {
    try {
        const Job job(job_json);
        const skin::Picture& picture = slot_of(job);
        const auto width = static_cast<int>(job.number("width")),
                   height = static_cast<int>(job.number("height"));
        const bool turned =
            picture::turned_a_quarter(static_cast<int>(job.number("orientation", 1)));
        const int shown_width = turned ? height : width, shown_height = turned ? width : height;
        const int factor =
            picture::reduction_factor(shown_width, shown_height, static_cast<int>(picture.width),
                                      static_cast<int>(picture.height));
        if (factor < 2 || exact_way_applies(shown_width, shown_height, picture))
            return reply(Json());
        reply(Json().number("width", width / factor).number("height", height / factor));
    } catch (const std::exception& failure) {
        reply_failure(failure);
    }
}

// The ways to convert a picture of "width" × "height" as stored into the job's slot, with their
// previews made from the browser's pixels of it drawn down to "smallWidth" × "smallHeight".
EMSCRIPTEN_KEEPALIVE void orb_ways(const char* job_json) {
    try {
        const Job job(job_json);
        const skin::Picture& picture = slot_of(job);
        const auto width = static_cast<int>(job.number("width")),
                   height = static_cast<int>(job.number("height"));
        const auto orientation = static_cast<int>(job.number("orientation", 1));
        const picture::Bitmap small =
            picture::upright(browser_pixels(static_cast<int>(job.number("smallWidth")),
                                            static_cast<int>(job.number("smallHeight"))),
                             orientation);
        const bool turned = picture::turned_a_quarter(orientation);
        picture::Conversion how = conversion(job);
        how.resize = picture::Resize::none;
        reply_ways(small, turned ? height : width, turned ? width : height, picture,
                   job.text("source").c_str(), how);
    } catch (const std::exception& failure) {
        reply_failure(failure);
    }
}

// The input as the file of `slot` for the next run, or no file there.
EMSCRIPTEN_KEEPALIVE void orb_set_picture(int slot, int present) {
    pictures.at(static_cast<std::size_t>(slot)) =
        present ? std::optional(input) : std::optional<std::vector<std::uint8_t>>();
    refused_lengths.at(static_cast<std::size_t>(slot)).reset();
}

// A file of `length` bytes in `slot` that could not be converted: the next run judges it by its
// length, as a run in a folder holding it would.
EMSCRIPTEN_KEEPALIVE void orb_set_refused(int slot, double length) {
    pictures.at(static_cast<std::size_t>(slot)).reset();
    refused_lengths.at(static_cast<std::size_t>(slot)) = static_cast<std::uint64_t>(length);
}

// Each text colour's contrast over the picture it is drawn on, in check's words, for the job's
// "texts" (the fields as they read).
EMSCRIPTEN_KEEPALIVE void orb_readability(const char* job) {
    try {
        settings.texts = texts_of(Job(job));
        std::vector<std::string> rows;
        for (const skin::Readability& figure : skin::readability(set_pictures(), settings)) {
            rows.push_back(Json()
                               .number("group", static_cast<std::int64_t>(figure.group))
                               .text("ratio", skin::ratio_text(figure.ratio, words.writing()))
                               .flag("readable", figure.readable())
                               .text("warning", say(skin::readability_message(figure)))
                               .str());
        }
        reply(Json().raw("figures", Json::list(rows)));
    } catch (const std::exception& failure) {
        reply_failure(failure);
    }
}

// "Just Go!", from the pictures set and the job's "texts" and "showHint": the one message, the
// warnings, the skin's bytes when it finished, and what failed: "picture" or "field" (-1: none).
EMSCRIPTEN_KEEPALIVE void orb_build(const char* job_json) {
    try {
        const Job job(job_json);
        settings.texts = texts_of(job);
        settings.show_hint = job.flag("showHint");
        const skin::PictureFiles files = set_pictures();
        std::array<std::optional<std::uint64_t>, skin::kPictures.size()> lengths = refused_lengths;
        for (std::size_t i = 0; i < files.size(); ++i)
            if (files[i]) lengths[i] = files[i]->size();
        if (const std::optional<skin::LengthFailure> failed = skin::check_lengths(lengths)) {
            return reply(Json()
                             .flag("finished", false)
                             .text("message", failed->message)
                             .number("picture", static_cast<std::int64_t>(failed->picture))
                             .number("field", -1)
                             .raw("warnings", "[]"));
        }
        skin::BuiltSkin built = skin::build_skin(files, settings, picture::explain_picture);
        reply(Json()
                  .flag("finished", built.outcome.finished)
                  .text("message", say(built.outcome.message))
                  .number("picture", built.outcome.picture
                                         ? static_cast<std::int64_t>(*built.outcome.picture)
                                         : -1)
                  .number("field", -1)
                  .raw("warnings", Json::texts(say(built.outcome.warnings))),
              std::move(built.skin));
    } catch (const std::exception& failure) {
        const auto* field = dynamic_cast<const skin::FieldRefused*>(&failure);
        reply(Json()
                  .flag("finished", false)
                  .text("message", say(runtime::failure_message(failure)))
                  .number("picture", -1)
                  .number("field", field ? static_cast<std::int64_t>(field->field) : -1)
                  .raw("warnings", "[]"));
    }
}

// unpack: the input skin's settings as texts and its pictures one after another, each the
// canonical BMP of its slot.
EMSCRIPTEN_KEEPALIVE void orb_unpack() {
    try {
        const skin::UnpackedSkin skin = skin::unpack_skin(input);
        const skin::SkinSettings found = skin::settings_of(skin);
        std::vector<std::uint8_t> files;
        for (std::size_t i = 0; i < skin::kPictures.size(); ++i) {
            const std::vector<std::uint8_t> file = skin::picture_bmp(skin, i);
            files.insert(files.end(), file.begin(), file.end());
        }
        reply(Json()
                  .raw("texts", Json::texts({found.texts.begin(), found.texts.end()}))
                  .flag("hint", found.show_hint)
                  .text("line", skin::pack_options(found, true))
                  .raw("warnings", Json::texts(say(skin::brief_warnings(skin)))),
              std::move(files));
    } catch (const std::exception& failure) {
        reply_failure(failure);
    }
}

// Every message from now on in the first language of the job's "tags" ("fr", "zh-Hant-TW",
// "pt-BR", "qps") that we have, English for none; the reply's "code" names it.
EMSCRIPTEN_KEEPALIVE void orb_language(const char* job_json) {
    try {
        words = language::Words(Job(job_json).texts("tags"));
        reply(Json().text("code", words.code()));
    } catch (const std::exception& failure) {
        reply_failure(failure);
    }
}

// One of the page's own messages in the page's language: the job's "text" (with "many", its
// plural, chosen by "n", which fills "{n}"), filled with "values" for the placeholders "names",
// those named in "numbers" written as the language writes numbers. The reply gives it as "text",
// and its singular unfilled as "form", for a page that puts elements in the placeholders.
EMSCRIPTEN_KEEPALIVE void orb_say(const char* job_json) {
    try {
        const Job job(job_json);
        const std::string english = job.text("text"), many = job.text("many");
        const std::vector<std::string> names = job.texts("names"), values = job.texts("values"),
                                       numbers = job.texts("numbers");
        std::vector<runtime::Arg> args;
        for (std::size_t i = 0; i < names.size() && i < values.size(); ++i) {
            const auto number = std::find(numbers.begin(), numbers.end(), names[i]) != numbers.end()
                                    ? number_of(values[i])
                                    : std::nullopt;
            if (number)
                args.emplace_back(names[i], *number);
            else
                args.emplace_back(names[i], values[i]);
        }
        const auto count = static_cast<std::uint64_t>(std::max<std::int64_t>(0, job.number("n")));
        const runtime::Message message = many.empty()
                                             ? runtime::Message(english, args)
                                             : runtime::Message::plural(english, many, count, args);
        reply(Json().text("text", words(message)).text("form", words(runtime::Message(english))));
    } catch (const std::exception& failure) {
        reply_failure(failure);
    }
}

// The pack command for the job's "texts" and "showHint": only the options that differ from the
// starting values, so that the line is as short as the settings allow.
EMSCRIPTEN_KEEPALIVE void orb_pack_line(const char* job_json) {
    try {
        const Job job(job_json);
        skin::SkinSettings given;
        given.texts = texts_of(job);
        given.show_hint = job.flag("showHint");
        // A field pack would refuse gives pack's message rather than a line: a line of what was
        // typed would run it in the shell it is pasted into.
        (void)skin::build_settings_block(given);
        const std::string options = skin::pack_options(given);
        reply(Json().text("line", "orbskin-cli pack" + (options.empty() ? "" : " " + options)));
    } catch (const std::exception& failure) {
        reply_failure(failure);
    }
}

// The fields of a pasted pack command, or of the options unpack prints, as {"texts", "hint"};
// a line pack would refuse, or a value it would refuse, gives pack's message and no fields, so
// that nothing is set from half a line.
EMSCRIPTEN_KEEPALIVE void orb_settings_of_line(const char* line) {
    try {
        const skin::SkinSettings found = skin::settings_of_line(line);
        (void)skin::build_settings_block(found);  // judged as pack judges it
        reply(Json()
                  .raw("texts", Json::texts({found.texts.begin(), found.texts.end()}))
                  .flag("hint", found.show_hint));
    } catch (const std::exception& failure) {
        reply_failure(failure);
    }
}

// A command pasted over several lines as the one line that the page's box holds, as {"line"}.
EMSCRIPTEN_KEEPALIVE void orb_joined_line(const char* text) {
    reply(Json().text("line", skin::joined_line(text)));
}

// The starting picture of `slot`, as orbskin-cli new writes it.
EMSCRIPTEN_KEEPALIVE void orb_template(int slot) {
    reply(Json(), picture::template_picture(static_cast<std::size_t>(slot)));
}

// preview: the sheet of the input skin as RGBA pixels, and its texts, in the page's language, for
// the page to draw.
EMSCRIPTEN_KEEPALIVE void orb_preview(const char* title) {
    try {
        const picture::Sheet sheet =
            picture::draw_preview(skin::unpack_skin(input), title,
                                  [](const runtime::Message& message) { return say(message); });
        std::vector<std::string> texts;
        for (const picture::Text& text : sheet.texts) {
            texts.push_back(
                Json()
                    .text("text", text.text)
                    .number("left", text.at.left)
                    .number("top", text.at.top)
                    .number("width", text.at.width)
                    .number("height", text.at.height)
                    .number("pixels", text.title ? picture::kTitlePixels : picture::kTextPixels)
                    .flag("title", text.title)
                    .text("colour", colour_text(text.colour))
                    .str());
        }
        std::vector<std::uint8_t> rgba(sheet.pixels.size() * 4);
        for (std::size_t n = 0; n < sheet.pixels.size(); ++n) {
            const std::uint32_t p = sheet.pixels[n];
            rgba[4 * n] = static_cast<std::uint8_t>(p >> 16);
            rgba[4 * n + 1] = static_cast<std::uint8_t>(p >> 8);
            rgba[4 * n + 2] = static_cast<std::uint8_t>(p);
            rgba[4 * n + 3] = 255;
        }
        reply(Json()
                  .number("width", sheet.width)
                  .number("height", sheet.height)
                  .raw("texts", Json::list(texts)),
              std::move(rgba));
    } catch (const std::exception& failure) {
        reply_failure(failure);
    }
}

}  // extern "C"
