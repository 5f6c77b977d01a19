// orbskin-cli new: a folder of the twelve starting pictures, to draw over.
#include <memory>

#include "cli/cli.h"
#include "cli/commands.h"
#include "disk/files.h"
#include "disk/replace.h"
#include "picture/templates.h"
#include "runtime/error.h"
#include "runtime/utf8_path.h"
#include "skin/layout.h"

namespace orbskin::cli {
namespace {

int make_new(runtime::Os& os, const std::string& folder_name, std::ostream& out, std::ostream& err,
             const Words& words) {
    const std::filesystem::path folder = runtime::path_from_utf8(folder_name);
    finish_interrupted(os, folder, err, words);
    if (const auto existing = existing_pictures(os, folder); !existing.empty()) {
        err << words(
                   "these pictures already exist and were left alone: {names}; new starts a "
                   "skin only in a folder that holds none of the twelve",
                   {{"names", runtime::Listed{existing}}})
            << '\n';
        return kExitFailure;
    }
    disk::create_folders(os, folder);
    // All twelve or none, so that a full disk leaves no half-made skin that new then refuses.
    std::vector<std::vector<std::uint8_t>> pictures;
    std::vector<disk::NewFile> files;
    for (std::size_t i = 0; i < skin::kPictures.size(); ++i)
        pictures.push_back(picture::template_picture(i));
    for (std::size_t i = 0; i < skin::kPictures.size(); ++i)
        files.push_back({folder / skin::kPictures[i].name, pictures[i], {}});
    // A picture made meanwhile under one of the names stays, and its starting picture beside it.
    if (!report_puts(disk::put_files(os, files), false, out, err, words)) return kExitFailure;
    out << words(
               "wrote the twelve starting pictures in {folder}; draw over them, then run: "
               "{command}",
               {{"folder", runtime::shown(folder_name)},
                {"command", "orbskin-cli check --dir " + shell_word(folder_name)}})
        << '\n';
    return kExitSuccess;
}

}  // namespace

Command add_new(CLI::App& parent, const Words& words) {
    CLI::App* app = parent.add_subcommand(
        "new", words("Write the twelve starting pictures of a skin, each of its size and "
                     "labelled, into a new folder."));
    auto folder = std::make_shared<std::string>();
    app->add_option("DIR", *folder,
                    words("The folder to make; it may exist, but hold none of the twelve"))
        ->type_name("")
        ->required();
    return {app, [folder, &words](runtime::Os& os, std::ostream& out, std::ostream& err) {
                return report_failures(err, words,
                                       [&] { return make_new(os, *folder, out, err, words); });
            }};
}

}  // namespace orbskin::cli
