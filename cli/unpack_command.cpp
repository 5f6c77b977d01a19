// orbskin-cli unpack: a skin back into its twelve pictures, and the pack options of its settings.
#include <memory>

#include "cli/cli.h"
#include "cli/commands.h"
#include "disk/files.h"
#include "disk/replace.h"
#include "disk/whole_files.h"
#include "runtime/error.h"
#include "runtime/utf8_path.h"
#include "skin/settings_line.h"
#include "skin/unpack.h"

namespace orbskin::cli {
namespace {

struct UnpackOptions {
    std::string skin = std::string(skin::kSkinFileName);
    std::string folder;
    bool force = false;
};

// The pictures' names in `folder` that hold what a file cannot replace, each with what it is.
std::string blocked_pictures(runtime::Os& os, const std::filesystem::path& folder,
                             const Words& words) {
    std::string blocked;
    for (const skin::Picture& picture : skin::kPictures) {
        const std::filesystem::path file = folder / picture.name;
        const runtime::FileKind kind = disk::look_up(os, file).kind;
        if (kind != runtime::FileKind::folder && kind != runtime::FileKind::other) continue;
        const Arg name("file", runtime::quoted(file));
        const Message what = kind == runtime::FileKind::folder
                                 ? Message("{file} is a folder", {name})
                                 : Message("{file} is not a regular file", {name});
        blocked += (blocked.empty() ? "" : ", ") + words(what);
    }
    return blocked;
}

int unpack(runtime::Os& os, const UnpackOptions& options, std::ostream& out, std::ostream& err,
           const Words& words) {
    const std::filesystem::path folder = runtime::path_from_utf8(options.folder);
    const std::filesystem::path skin_file = runtime::path_from_utf8(options.skin);
    finish_interrupted(os, folder, err, words);
    const skin::UnpackedSkin skin = skin::unpack_skin(disk::read_skin_file(os, skin_file));

    if (!options.force) {
        if (const auto existing = existing_pictures(os, folder); !existing.empty()) {
            err << words(
                       "these pictures already exist and were left alone: {names}; use --force "
                       "to overwrite them",
                       {{"names", runtime::Listed{existing}}})
                << '\n';
            return kExitFailure;
        }
    }
    // All twelve or none: what cannot be replaced is found before anything is written.
    if (const std::string blocked = blocked_pictures(os, folder, words); !blocked.empty()) {
        err << words("cannot unpack: {blocked}; nothing was written", {{"blocked", blocked}})
            << '\n';
        return kExitFailure;
    }
    if (!folder.empty()) disk::create_folders(os, folder);
    for (const Message& warning : skin::brief_warnings(skin))
        err << words("warning: {warning}", {{"warning", warning}}) << '\n';
    // What --force replaces is kept in originals/, unless it holds the very bytes written: a
    // document saved under a picture's name is never lost. All twelve or none.
    std::vector<std::vector<std::uint8_t>> pictures;
    std::vector<disk::NewFile> files;
    for (std::size_t i = 0; i < skin::kPictures.size(); ++i)
        pictures.push_back(skin::picture_bmp(skin, i));
    for (std::size_t i = 0; i < skin::kPictures.size(); ++i) {
        const std::filesystem::path target = folder / skin::kPictures[i].name;
        files.push_back({target, pictures[i], disk::look_up(os, target)});
    }
    const bool all = report_puts(disk::put_files(os, files), false, err, err, words);
    out << skin::pack_options(skin::settings_of(skin), true) << '\n';
    return all ? kExitSuccess : kExitFailure;
}

}  // namespace

Command add_unpack(CLI::App& parent, const Words& words) {
    CLI::App* app = parent.add_subcommand(
        "unpack", words("Write a skin's twelve pictures as 24-bit BMPs and print the pack options "
                        "of its settings."));
    auto options = std::make_shared<UnpackOptions>();
    app->add_option("SKIN", options->skin, words("The skin file (default: ORBSKIN.000)"))
        ->type_name("");
    app->add_option("--dir", options->folder, words("Folder to write the pictures to (default: .)"))
        ->type_name("DIR");
    app->add_flag("--force", options->force, words("Overwrite pictures that already exist"));
    app->footer(words("Rebuild a skin exactly with:") +
                "\n  orbskin-cli unpack --dir DIR SKIN && orbskin-cli pack --dir DIR "
                "--settings-from SKIN");

    return {app, [options, &words](runtime::Os& os, std::ostream& out, std::ostream& err) {
                return report_failures(err, words,
                                       [&] { return unpack(os, *options, out, err, words); });
            }};
}

}  // namespace orbskin::cli
