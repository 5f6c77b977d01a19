// orbskin-cli preview: one PNG sheet of a skin, to look at before copying it to the handheld, or
// of the skin a folder would make, before packing it.
#include <algorithm>
#include <array>
#include <memory>

#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/settings_options.h"
#include "disk/files.h"
#include "disk/replace.h"
#include "disk/skin_folder.h"
#include "disk/whole_files.h"
#include "picture/platform.h"
#include "picture/preview.h"
#include "runtime/error.h"
#include "runtime/utf8_path.h"

namespace orbskin::cli {
namespace {

struct PreviewOptions {
    std::string skin = std::string(skin::kSkinFileName);
    std::string folder;
    SettingsOptions settings;
    std::string output;
    bool force = false;
};

// The folder's own name, also where it is given as "." or with a trailing separator.
std::string folder_name(const std::filesystem::path& folder) {
    std::filesystem::path whole =
        std::filesystem::absolute(folder.empty() ? "." : folder).lexically_normal();
    if (whole.filename().empty()) whole = whole.parent_path();
    const std::string name = runtime::utf8_of(whole.filename());
    return name.empty() ? runtime::utf8_of(whole) : name;
}

// The sheet is a PNG, and never takes the place of the skin it is drawn from, --force or not.
void refuse_to_draw_over(runtime::Os& os, const std::filesystem::path& skin_file,
                         const std::filesystem::path& output) {
    if (runtime::utf8_of(output.extension()) != ".png" &&
        runtime::utf8_of(output.extension()) != ".PNG")
        throw runtime::Error(Message("the sheet is a PNG picture: name it with .png, not {file}",
                                     {{"file", runtime::quoted(output)}}));
    const runtime::FileInfo skin = disk::look_up(os, skin_file), sheet = disk::look_up(os, output);
    if (sheet.kind != runtime::FileKind::missing && skin.inode != 0 && skin.same_version(sheet))
        throw runtime::Error(
            Message("{file} is the skin the sheet is drawn from; name another file with -o",
                    {{"file", runtime::quoted(output)}}));
}

int preview(runtime::Os& os, const PreviewOptions& options, std::ostream& out, std::ostream& err,
            const Words& words) {
    const std::filesystem::path folder = runtime::path_from_utf8(options.folder);
    const std::filesystem::path skin_file = options.folder.empty()
                                                ? runtime::path_from_utf8(options.skin)
                                                : folder / skin::kSkinFileName;
    const std::filesystem::path output =
        options.output.empty() ? std::filesystem::path(skin_file).replace_extension(".png")
                               : runtime::path_from_utf8(options.output);
    refuse_a_missing_folder(os, options.folder);
    if (!options.folder.empty()) finish_interrupted(os, folder, err, words);
    const runtime::FileInfo judged = refuse_to_overwrite(os, output, options.force);
    refuse_to_draw_over(os, skin_file, output);
    std::vector<std::uint8_t> bytes;
    // Every skin is ORBSKIN.000: its folder tells two sheets apart. The page's sheet has the
    // same title.
    Message skin_named = Message::as_is(folder_name(skin_file.parent_path()) + "/" +
                                        runtime::utf8_of(skin_file.filename()));
    if (options.folder.empty()) {
        bytes = disk::read_skin_file(os, skin_file);
    } else {
        skin::BuiltSkin built =
            disk::build_in_folder(os, folder, settings_from(os, options.settings, words));
        if (!built.outcome.finished) {
            err << built.outcome.message << '\n';  // pack's own message
            return kExitFailure;
        }
        bytes = std::move(built.skin);
        skin_named =
            Message("the skin of {folder}, not yet packed", {{"folder", folder_name(folder)}});
    }
    const std::string title = words("Preview of {skin}", {{"skin", skin_named}});
    const skin::UnpackedSkin skin = skin::unpack_skin(bytes);
    picture::Sheet sheet = picture::draw_preview(
        skin, title, [&words](const Message& message) { return words(message); });
    sheet.language = words.code();
    const std::vector<std::uint8_t> png = picture::render_png(sheet);
    if (!report_puts(disk::put_files(os, std::array{disk::NewFile{output, png, judged}}), false,
                     out, err, words))
        return kExitFailure;
    out << words("wrote {file} ({size})", {{"file", runtime::shown(output)},
                                           {"size", skin::size_text(sheet.width, sheet.height)}})
        << '\n';
    return kExitSuccess;
}

}  // namespace

Command add_preview(CLI::App& parent, const Words& words) {
    const CommandHelp help = picture_commands_help(words)[1];
    CLI::App* app = parent.add_subcommand(help.name, help.description);
    auto options = std::make_shared<PreviewOptions>();
    CLI::Option* skin_file =
        app->add_option("SKIN", options->skin, words("The skin file (default: ORBSKIN.000)"))
            ->type_name("");
    app->add_option("--dir", options->folder,
                    words("Draw the skin the pictures in DIR would make with the settings options "
                          "below, without packing it (the sheet: DIR/ORBSKIN.png)"))
        ->type_name("DIR")
        ->excludes(skin_file);
    add_settings_options(*app, options->settings, words);
    app->add_option("-o,--output", options->output,
                    words("The PNG to write (default: SKIN with .png)"))
        ->type_name("FILE.png");
    app->add_flag("--force", options->force, words("Replace the PNG if it already exists"));

    return {app, [options, &words](runtime::Os& os, std::ostream& out, std::ostream& err) {
                const bool settings_given = !options->settings.settings_skin.empty() ||
                                            !options->settings.given.empty() ||
                                            !options->settings.hint.empty();
                if (settings_given && options->folder.empty())
                    throw usage_error(words, words("the settings options"),
                                      Message("they need --dir"));
                return report_failures(err, words,
                                       [&] { return preview(os, *options, out, err, words); });
            }};
}

}  // namespace orbskin::cli
