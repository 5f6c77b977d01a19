// Where check finds the file a missing picture may be made from: its name in any case, with the
// extension of any format import reads, or of a document that must be exported first.
#include <algorithm>
#include <cctype>
#include <cerrno>

#include "cli/check_rows.h"
#include "disk/files.h"
#include "picture/colour_profile.h"
#include "picture/decode.h"
#include "picture/dither.h"
#include "picture/explain.h"
#include "picture/guard.h"
#include "picture/inflate_zlib.h"
#include "picture/picture_head.h"
#include "picture/png_decoder.h"
#include "picture/resize.h"
#include "runtime/error.h"
#include "runtime/utf8_path.h"

namespace orbskin::cli::check {
namespace {

// Formats the platform reads besides those of kImportFormats.
constexpr std::string_view kAlsoRead[] = {".ppm", ".pgm", ".pbm", ".pnm"};

std::string lowered(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool import_reads(std::string_view extension) {
    for (const picture::PictureFormat& format : picture::kImportFormats) {
        for (std::size_t at = 0; at < format.extensions.size();) {
            const std::size_t end =
                std::min(format.extensions.find(' ', at), format.extensions.size());
            if (format.extensions.substr(at, end - at) == extension) return true;
            at = end + 1;
        }
    }
    return std::find(std::begin(kAlsoRead), std::end(kAlsoRead), extension) != std::end(kAlsoRead);
}

// Whether `name` names a file that `picture` may be made from: its name in any case, with the
// extension of a format import reads or of a document, other than the picture's own name.
bool source_name(const std::string& name, const skin::Picture& picture) {
    const std::string_view stem = picture.name.substr(0, picture.name.rfind('.'));
    const std::string low = lowered(name);
    if (!low.starts_with(stem) || name == picture.name) return false;
    const std::string extension = low.substr(stem.size());
    return import_reads(extension) || picture::foreign_format_saved_as(extension);
}

// The command that checks the same folder again and runs its fixes, as it is to be typed.
std::string check_again(const std::string& folder) {
    return "orbskin-cli check" +
           (folder.empty() ? std::string() : " --dir " + shell_word(path_argument(folder))) +
           " --fix";
}

std::string stem(const skin::Picture& picture) {
    return std::string(picture.name.substr(0, picture.name.rfind('.')));
}

// A file beside a missing picture and what it is: a sentence of its own in some languages.
constexpr const char* kBeside = C_("a file beside a missing picture", "{name}: {what}");

// The row of a picture whose name is not there, beside another file, `name`, that is `other`.
Row beside(const Message& found, Message other, std::optional<Message> fix = std::nullopt) {
    Row row{Message("{found}, but there is {other}", {{"found", found}, {"other", other}}),
            std::move(fix)};
    row.other = std::move(other);
    return row;
}

// Whether import reads the file with our own readers (BMP, TGA, PNG, TIFF), which check has too.
bool read_by_us(const picture::PictureHead& head) {
    return head.reader != picture::Reader::platform;
}

std::string typed_path(const std::filesystem::path& file) {
    return shell_word(path_argument(runtime::utf8_of(file)));
}

}  // namespace

Message put_picture(const skin::Picture& picture, const std::string& folder) {
    return Message(
        "put a picture of {size} named {name}.png (or .jpg, .gif, .bmp…) in the folder and run "
        "{command}",
        {{"size", skin::size_text(picture)},
         {"name", stem(picture)},
         {"command", check_again(folder)}});
}

Message replace_source(const skin::Picture& picture, const std::string& folder,
                       const std::string& name, bool unreadable) {
    const std::vector<Arg> args{
        {"file", name}, {"size", skin::size_text(picture)}, {"command", check_again(folder)}};
    return unreadable ? Message(
                            "make {file} readable, or replace it with a picture of {size}, and "
                            "run {command}",
                            args)
                      : Message(
                            "replace {file} with a picture of {size} (.png, .jpg, .gif, "
                            ".bmp…) and run {command}",
                            args);
}

Message save_again(const skin::Picture& picture, const std::string& folder,
                   const std::string& name) {
    return Message(
        "save {file} again from the program that made it, or replace it with a picture of "
        "{size}, and run {command}",
        {{"file", name}, {"size", skin::size_text(picture)}, {"command", check_again(folder)}});
}

std::string removal(runtime::Os& os, const std::filesystem::path& file, bool folder) {
    std::vector<std::filesystem::path> inside;
    if (!folder) return "rm " + typed_path(file);
    if (os.list_folder(file, inside) == 0 && inside.empty()) return "rmdir " + typed_path(file);
    std::filesystem::path aside = file;
    aside += ".folder";
    for (int n = 2; disk::look_up(os, aside).kind != runtime::FileKind::missing; ++n) {
        aside = file;
        aside += ".folder-" + std::to_string(n);
    }
    return "mv " + typed_path(file) + " " + typed_path(aside);  // its contents are not ours
}

std::vector<std::string> sources(runtime::Os& os, const std::filesystem::path& folder,
                                 const skin::Picture& picture) {
    std::vector<std::filesystem::path> names;
    std::vector<std::string> found;
    if (os.list_folder(folder.empty() ? "." : folder, names) < 0) return found;
    for (const std::filesystem::path& name : names)
        if (source_name(runtime::utf8_of(name), picture)) found.push_back(runtime::utf8_of(name));
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<std::uint8_t> judged_bytes(runtime::Os& os, const std::filesystem::path& file,
                                       std::uint64_t length) {
    std::vector<std::uint8_t> head = disk::read_prefix(os, file, picture::kPictureHeadLength);
    const picture::PictureHead first = picture::read_head(head, length);
    if (head.size() < length && (first.size_lies_past || first.format))
        head = disk::read_prefix(os, file, picture::kLargestPictureFile);
    return head;
}

Conversion conversion_for(const std::string& source, std::span<const std::uint8_t> bytes,
                          std::uint64_t length, const skin::Picture& picture) {
    Conversion conversion;
    // Changed since, or too large to read whole: left to import, which says so.
    if (bytes.size() != length) return conversion;
    // Read as import reads it: by our own readers, or, for what only the platform decodes, by
    // the walks that tell a file cut short.
    const picture::PictureHead read = picture::read_head(bytes);
    std::optional<picture::Bitmap> pixels;
    try {
        if (read_by_us(read))
            pixels = picture::decode_picture({bytes.begin(), bytes.end()}, read, source,
                                             {picture::inflate_zlib, nullptr});
        else
            conversion.unreadable = read.refusal();
    } catch (const runtime::Error& error) {
        conversion.unreadable = runtime::failure_message(error);
    }
    if (conversion.unreadable) return conversion;
    const skin::PictureVerdict verdict = picture::explain_picture(bytes, length, picture);
    const auto counted = [&](bool (*count)(const picture::Bitmap&)) {
        return pixels && count(*pixels);
    };
    const auto first = [&](bool few) {
        return picture::ways_to_resize(verdict.width, verdict.height, few, picture).front();
    };
    if (verdict.needs_scaling)
        conversion.how = verdict.few_colours || first(true) == first(false)
                             ? first(verdict.few_colours)
                             : first(counted(picture::few_colours));
    // A lossy WebP is a photo as a JPEG is; the rest by their pixels where ours read them, as
    // the page judges them. Pixel art is kept as drawn.
    conversion.photo = conversion.how != picture::Resize::pixel_art &&
                       (read.lossy || counted(picture::dither_helps));
    conversion.profile = picture::foreign_profile(
        read.profile,
        [](std::span<const std::uint8_t> stream) { return picture::inflate_zlib_whole(stream); });
    conversion.gamma = read.profile.gamma;
    return conversion;
}

Row source_row(runtime::Os& os, const std::filesystem::path& folder_path,
               const skin::Picture& picture, const std::string& folder, const Message& found,
               const std::string& name) {
    const std::filesystem::path source = folder_path / runtime::path_from_utf8(name);
    const Arg file("name", name);
    if (const std::string_view what = not_a_file(os, source); !what.empty())
        return beside(found, Message("{name}, {what}", {file, {"what", Message(what)}}),
                      Message::as_is(removal(os, source, what.starts_with("a folder"))));
    if (skin::picture_in_any_case(name) == &picture) {
        Row row = beside(found, Message("{name}: the name differs only in case", {file}),
                         Message::as_is("mv " + typed_path(source) + " " +
                                        typed_path(folder_path / picture.name)));
        row.action = {Action::rename, source, folder_path / picture.name, {}};
        return row;
    }
    // An empty file is no document either, whatever its name says.
    const runtime::FileInfo info = disk::look_up(os, source);
    if (info.size == 0)
        return beside(found, Message("{name}, which is empty (0 bytes)", {file}),
                      replace_source(picture, folder, name, false));
    const std::string extension = lowered(runtime::utf8_of(source.extension()));
    if (const picture::ForeignFormat* d = picture::foreign_format_saved_as(extension)) {
        return beside(found, Message("{name}, {what}", {file, {"what", Message(d->named)}}),
                      Message("{advice}, at {size}, as {name}.png in the folder, and run {command}",
                              {{"advice", Message(d->advice)},
                               {"size", skin::size_text(picture)},
                               {"name", stem(picture)},
                               {"command", check_again(folder)}}));
    }
    std::vector<std::uint8_t> head;
    try {
        head = judged_bytes(os, source, info.size);
    } catch (const runtime::Error& error) {
        return beside(found,
                      Message("{name}, which cannot be read: {cause}",
                              {file, {"cause", runtime::failure_message(error)}}),
                      replace_source(picture, folder, name, true));
    }
    const picture::PictureHead read = picture::read_head(head, info.size);
    const skin::PictureVerdict verdict = picture::explain_picture(head, info.size, picture);
    if (!verdict.importable && !import_reads(extension))
        return beside(
            found, Message(kBeside, {file, {"what", verdict.found}}),
            verdict.advice ? *verdict.advice : replace_source(picture, folder, name, false));
    // What import would refuse, said here, with no import proposed: bytes of no picture format
    // behind a picture's extension, and a photo of more pixels than import decodes.
    std::optional<Message> refused = verdict.importable ? std::nullopt : read.unknown;
    if (!refused) refused = read.oversized;
    if (refused)
        return beside(found, Message(kBeside, {file, {"what", *refused}}),
                      replace_source(picture, folder, name, false));
    const Conversion conversion = conversion_for(name, head, info.size, picture);
    if (conversion.unreadable)
        return beside(found, Message(kBeside, {file, {"what", *conversion.unreadable}}),
                      save_again(picture, folder, name));
    // Named with its format and size, as a file under the picture's own name is.
    Row row = import_row(
        Message("{found}, but there is {other}",
                {{"found", found}, {"other", Message(kBeside, {file, {"what", verdict.found}})}}),
        folder, conversion, source, picture);
    row.other = Message::as_is(name);
    return row;
}

Row missing_row(runtime::Os& os, const std::filesystem::path& folder_path,
                const skin::Picture& picture, const std::string& folder, Message found) {
    const std::vector<std::string> candidates = sources(os, folder_path, picture);
    if (candidates.empty()) return {std::move(found), put_picture(picture, folder)};
    std::vector<Row> rows;
    rows.reserve(candidates.size());
    for (const std::string& name : candidates)
        rows.push_back(source_row(os, folder_path, picture, folder, found, name));
    if (rows.size() == 1) return std::move(rows[0]);
    // An empty file, a FIFO or a document beside one picture that can be taken is no choice: it
    // is named, and the picture is taken.
    const auto usable = [](const Row& r) { return r.action.kind != Action::none; };
    if (std::count_if(rows.begin(), rows.end(), usable) == 1) {
        Row row = *std::find_if(rows.begin(), rows.end(), usable);
        for (const Row& other : rows)
            if (!usable(other))
                row.found = Message("{found}; also {other}",
                                    {{"found", row.found}, {"other", *other.other}});
        return row;
    }
    // Which one is meant, only the user knows: each fix is shown, and --fix runs none.
    const runtime::Listed names{{candidates.begin(), candidates.end() - 1}};
    Row row{
        Message("{found}, but there are {count} files of that name: {names} and {last}; keep "
                "the one you mean and run {command}, or one of these",
                {{"found", found},
                 {"count", runtime::Number(rows.size())},
                 {"names", names},
                 {"last", candidates.back()},
                 {"command", check_again(folder)}})};
    for (const Row& one : rows)
        if (one.fix) row.fix = row.fix ? lines(*row.fix, *one.fix) : *one.fix;
    return row;
}

// A name taken by what is not a picture file: to be removed by hand first, so --fix leaves it.
Row blocked_row(runtime::Os& os, const std::filesystem::path& folder_path,
                const skin::Picture& picture, const std::string& folder, Message found,
                bool is_folder) {
    Row row = missing_row(os, folder_path, picture, folder, std::move(found));
    const Message removed = Message::as_is(removal(os, folder_path / picture.name, is_folder));
    row.fix = row.fix ? lines(removed, *row.fix) : removed;
    row.action = {};
    return row;
}

}  // namespace orbskin::cli::check
