// orbskin-cli import: a picture file made into the canonical 24-bit BMP a skin needs. BMP, TGA,
// PNG and TIFF are read by our own decoders; JPEG, GIF and WebP (where the system reads it) by
// the platform's: Qt's readers on Linux, the Windows Imaging Component on Windows. Both go
// through picture::decode_picture().
#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <optional>
#include <string_view>

#include "cli/cli.h"
#include "cli/commands.h"
#include "disk/files.h"
#include "disk/replace.h"
#include "disk/whole_files.h"
#include "picture/colour_profile.h"
#include "picture/decode.h"
#include "picture/inflate_zlib.h"
#include "picture/looks.h"
#include "picture/picture_head.h"
#include "picture/picture_import.h"
#include "picture/platform.h"
#include "picture/resize.h"
#include "picture/wording.h"
#include "runtime/error.h"
#include "runtime/text_to_byte.h"
#include "runtime/utf8_path.h"

namespace orbskin::cli {
namespace {

struct ImportOptions {
    std::string image;
    std::string name;
    std::string folder;
    std::string background = "black";
    bool background_given = false;
    picture::Resize resize = picture::Resize::none;
    bool dither = false;
    bool force = false;
};

const skin::Picture& picture_named(const std::string& name, const Words& words) {
    if (const skin::Picture* picture = skin::picture_in_any_case(name)) return *picture;
    throw usage_error(
        words, "NAME",
        Message("\"{name}\" is not one of the twelve picture names", {{"name", name}}));
}

// The sixteen basic colour names of the web.
constexpr std::pair<std::string_view, skin::Rgb> kColourNames[] = {
    {"black", {0, 0, 0}},       {"silver", {192, 192, 192}}, {"gray", {128, 128, 128}},
    {"grey", {128, 128, 128}},  {"white", {255, 255, 255}},  {"maroon", {128, 0, 0}},
    {"red", {255, 0, 0}},       {"purple", {128, 0, 128}},   {"fuchsia", {255, 0, 255}},
    {"magenta", {255, 0, 255}}, {"green", {0, 128, 0}},      {"lime", {0, 255, 0}},
    {"olive", {128, 128, 0}},   {"yellow", {255, 255, 0}},   {"navy", {0, 0, 128}},
    {"blue", {0, 0, 255}},      {"teal", {0, 128, 128}},     {"aqua", {0, 255, 255}},
    {"cyan", {0, 255, 255}}};

// "R,G,B" with numbers from 0 to 255, #RRGGBB, or a basic colour name.
skin::Rgb parse_colour(const std::string& text, const Words& words) {
    if (const std::vector<std::string> parts = split_components(text); parts.size() == 3) {
        const auto r = runtime::text_to_byte(parts[0]), g = runtime::text_to_byte(parts[1]),
                   b = runtime::text_to_byte(parts[2]);
        if (r && g && b) return {*r, *g, *b};
    }
    if (text.size() == 7 && text[0] == '#' &&
        text.find_first_not_of("0123456789abcdefABCDEF", 1) == std::string::npos) {
        const unsigned long value = std::stoul(text.substr(1), nullptr, 16);
        return {std::uint8_t(value >> 16), std::uint8_t(value >> 8), std::uint8_t(value)};
    }
    for (const auto& [name, colour] : kColourNames)
        if (name == text) return colour;
    throw usage_error(words, "--background",
                      Message("\"{text}\" is not a colour", {{"text", text}}));
}

// Whether two names are the same file: the same path once made absolute, in any letter case
// where the file system ignores it.
bool same_file(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::string first = std::filesystem::absolute(a).lexically_normal().generic_string();
    std::string second = std::filesystem::absolute(b).lexically_normal().generic_string();
#ifdef _WIN32
    for (std::string* text : {&first, &second})
        for (char& c : *text)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
#endif
    return first == second;
}

// This import command again, on `source`, resized `how` (none: as given) and laid over
// `background` (empty: the one given), as it would be typed.
std::string command_again(const ImportOptions& options, const std::string& source,
                          picture::Resize how, std::string_view background) {
    std::string command = "orbskin-cli import";
    if (!options.folder.empty()) command += " --dir " + shell_word(path_argument(options.folder));
    if (how == picture::Resize::none) how = options.resize;
    if (how != picture::Resize::none) command += " " + std::string(picture::resize_way(how).option);
    command += std::string(options.dither ? " --dither" : "") + " --force";
    if (!background.empty())
        command += " --background " + std::string(background);
    else if (options.background_given)
        command += " --background " + shell_word(options.background);
    return command + " " + shell_word(path_argument(source)) + " " + options.name;
}

// The ways check would offer to resize `image` for `picture`, as options: "--trim, --crop or
// --fit".
Message ways_message(const picture::Bitmap& image, bool few_colours, const skin::Picture& picture) {
    const std::vector<picture::Resize> ways =
        picture::ways_to_resize(image.width, image.height, few_colours, picture);
    const std::string last(picture::resize_way(ways.back()).option);
    if (ways.size() == 1) return Message::as_is(last);
    std::string others;
    for (std::size_t i = 0; i + 1 < ways.size(); ++i)
        others += (i == 0 ? "" : ", ") + std::string(picture::resize_way(ways[i]).option);
    return Message("{options} or {last}", {{"options", others}, {"last", last}});
}

// A picture converted for its name, nothing written yet.
struct Converted {
    ImportOptions options;
    std::filesystem::path target;
    runtime::FileInfo judged{};
    std::vector<std::uint8_t> bmp{};
    bool is_source = false;  // the picture read is the one it replaces
    bool transparent = false;
    std::optional<std::string> profile{};
    std::uint32_t gamma = 0;  // a PNG's that is not sRGB's (picture::ProfilePlace)
};

// The file the picture is to go to, and what is there, as judged before anything is read.
Converted judge(runtime::Os& os, const ImportOptions& options, const Words& words) {
    Converted converted{
        options, runtime::path_from_utf8(options.folder) / picture_named(options.name, words).name};
    converted.judged = refuse_to_overwrite(os, converted.target, options.force);
    return converted;
}

void convert(runtime::Os& os, Converted& converted, const Words& words) {
    const ImportOptions& options = converted.options;
    const skin::Picture& wanted = picture_named(options.name, words);
    const picture::Conversion how{options.resize, options.dither,
                                  parse_colour(options.background, words)};

    std::vector<std::uint8_t> bytes = disk::read_picture_file(os, options.image);
    const picture::PictureHead head = picture::read_head(bytes);
    converted.profile = picture::foreign_profile(
        head.profile,
        [](std::span<const std::uint8_t> stream) { return picture::inflate_zlib_whole(stream); });
    converted.gamma = head.profile.gamma;
    const picture::Bitmap image =
        picture::decode_picture(std::move(bytes), head, options.image, picture::kDesktopDecoders);
    try {
        converted.bmp = picture::canonical_picture(image, wanted, how, options.image);
    } catch (const picture::OtherSize& refused) {
        throw runtime::Error(Message(
            "{refusal}; add {options} to resize it",
            {{"refusal", runtime::failure_message(refused)},
             {"options",
              ways_message(image, head.few_colours || picture::few_colours(image), wanted)}}));
    }
    converted.is_source = same_file(runtime::path_from_utf8(options.image), converted.target);
    converted.transparent = !options.background_given && picture::mostly_transparent(image);
}

// Says what became of a converted picture, with the warnings about it.
int report(const Converted& converted, const disk::Put& put, std::ostream& out, std::ostream& err,
           const Words& words) {
    const ImportOptions& options = converted.options;
    if (!report_puts(std::span(&put, 1), converted.is_source, out, err, words)) return kExitFailure;
    // The picture read may be the one it replaced: it is kept then as the original, under its
    // format's extension.
    const std::string original = converted.is_source && put.kept != disk::Put::Kept::nothing
                                     ? runtime::utf8_of(put.kept_as)
                                     : options.image;
    out << words("wrote {file} ({size}, 24-bit BMP, {length} bytes)",
                 {{"file", runtime::shown(converted.target)},
                  {"size", skin::size_text(picture_named(options.name, words))},
                  {"length", runtime::Number(converted.bmp.size())}})
        << '\n';
    if (converted.transparent) {
        err << words(
                   "warning: most of {file} is transparent and is laid over black; if the "
                   "picture is dark, lay it over another colour with --background: {command}",
                   {{"file", runtime::quoted(original)},
                    {"command", command_again(options, original, picture::Resize::none, "white")}})
            << '\n';
    }
    if (converted.profile) {
        err << words("warning: {warning}",
                     {{"warning", picture::foreign_profile_message(original, *converted.profile)}})
            << '\n';
    }
    if (converted.gamma) {
        err << words("warning: {warning}",
                     {{"warning", picture::foreign_gamma_message(original, converted.gamma)}})
            << '\n';
    }
    if (options.resize == picture::Resize::crop && original != options.image) {
        out << words("to keep the whole picture instead, with the background around it: {command}",
                     {{"command", command_again(options, original, picture::Resize::fit, "")}})
            << '\n';
    }
    return kExitSuccess;
}

int import_picture(runtime::Os& os, const ImportOptions& options, std::ostream& out,
                   std::ostream& err, const Words& words) {
    refuse_a_missing_folder(os, options.folder);
    finish_interrupted(os, runtime::path_from_utf8(options.folder), err, words);
    Converted converted = judge(os, options, words);
    convert(os, converted, words);
    const std::vector<disk::Put> puts = disk::put_files(
        os, std::array{disk::NewFile{converted.target, converted.bmp, converted.judged}});
    return report(converted, puts[0], out, err, words);
}

// import's options and arguments, on `app`; gives the option of the background colour, whose
// count says whether one was given.
CLI::Option* add_options(CLI::App& app, ImportOptions& options, const Words& words);

// Several import commands as one: every picture is converted before any is written, and all are
// put in one run, so that one that cannot be made leaves the folder as it was.
// An import command's options (orbskin-cli's arguments, the program name first).
ImportOptions parsed(const std::vector<std::string>& args, const Words& words) {
    CLI::App parent;
    ImportOptions options;
    const CLI::Option* background = add_options(*parent.add_subcommand("import"), options, words);
    parent.parse(std::vector<std::string>(args.rbegin(), args.rend() - 1));
    options.background_given = background->count() > 0;
    return options;
}

int import_together(runtime::Os& os, std::span<const std::vector<std::string>> commands,
                    std::span<const disk::NewFile> moves, std::ostream& out, std::ostream& err,
                    const Words& words) {
    const auto refused = [&](std::size_t i) {
        out << '\n' << typed_command(commands[i]) << '\n' << std::flush;
        err << words("no fix was run, so nothing was replaced") << '\n';
        return kExitFailure;
    };
    // Every name judged first, so that a file that appears under one while the others are
    // converted is seen, and kept; then every picture made before any is put.
    std::vector<Converted> all;
    for (std::size_t i = 0; i < commands.size(); ++i) {
        if (report_failures(err, words, [&] {
                all.push_back(judge(os, parsed(commands[i], words), words));
                return kExitSuccess;
            }) != kExitSuccess)
            return refused(i);
    }
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (report_failures(err, words, [&] {
                convert(os, all[i], words);
                return kExitSuccess;
            }) != kExitSuccess)
            return refused(i);
    }
    return report_failures(err, words, [&] {
        std::vector<disk::NewFile> files;
        files.reserve(all.size() + moves.size());
        for (const Converted& converted : all)
            files.push_back({converted.target, converted.bmp, converted.judged});
        files.insert(files.end(), moves.begin(), moves.end());
        const std::vector<disk::Put> puts = disk::put_files(os, files);
        int status = report_puts(std::span(puts).subspan(all.size()), false, out, err, words)
                         ? kExitSuccess
                         : kExitFailure;
        for (std::size_t i = 0; i < all.size(); ++i) {
            out << '\n' << typed_command(commands[i]) << '\n';
            if (report(all[i], puts[i], out, err, words) != kExitSuccess) status = kExitFailure;
        }
        return status;
    });
}

CLI::Option* add_options(CLI::App& app, ImportOptions& options, const Words& words) {
    app.add_option("IMAGE", options.image, words("The picture to convert"))
        ->type_name("")
        ->required();
    app.add_option("NAME", options.name,
                   words("Which of the twelve pictures it becomes, e.g. movie.bmp"))
        ->type_name("")
        ->required();
    app.add_option("--dir", options.folder, words("Folder to write it to (default: .)"))
        ->type_name("DIR");
    std::vector<CLI::Option*> resizes;
    for (const picture::ResizeWay& way : picture::resize_ways()) {
        resizes.push_back(app.add_flag_callback(
            std::string(way.option), [&options, how = way.how] { options.resize = how; },
            words(way.help)));
    }
    for (std::size_t i = 0; i < resizes.size(); ++i)
        for (std::size_t j = i + 1; j < resizes.size(); ++j)
            resizes[i]->excludes(resizes[j]);
    app.add_flag("--dither", options.dither,
                 words("Spread the colours the skin cannot hold, so that gradients and photos do "
                       "not band (not for pixel art)"));
    app.add_flag("--force", options.force, words("Replace a picture that already exists"));
    CLI::Option* background = app.add_option(
        "--background", options.background,
        words("Colour under transparent parts and around a --fit picture: R,G,B, #RRGGBB or a "
              "name (default: black)"));
    background->type_name("COLOR");
    return background;
}

}  // namespace

Command add_import(CLI::App& parent, const Words& words) {
    const CommandHelp help = picture_commands_help(words)[0];
    CLI::App* app = parent.add_subcommand(help.name, help.description);
    auto options = std::make_shared<ImportOptions>();
    CLI::Option* background = add_options(*app, *options, words);
    Command command{
        app, [options, background, &words](runtime::Os& os, std::ostream& out, std::ostream& err) {
            picture_named(options->name, words);  // a usage error, before any file is read
            parse_colour(options->background, words);
            options->background_given = background->count() > 0;
            return report_failures(err, words,
                                   [&] { return import_picture(os, *options, out, err, words); });
        }};
    command.run_together =
        [&words](runtime::Os& os, std::span<const std::vector<std::string>> imports,
                 std::span<const disk::NewFile> moves, std::ostream& out, std::ostream& err) {
            return import_together(os, imports, moves, out, err, words);
        };
    return command;
}

}  // namespace orbskin::cli
