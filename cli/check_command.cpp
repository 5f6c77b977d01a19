// orbskin-cli check: every picture's state in one table, with the cause of each failure in words
// and the command that fixes it.
#include <iomanip>
#include <memory>

#include "cli/check_rows.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/settings_options.h"
#include "disk/files.h"
#include "disk/skin_folder.h"
#include "runtime/error.h"
#include "runtime/utf8_path.h"
#include "skin/picture_check.h"
#include "skin/readability.h"

namespace orbskin::cli::check {
namespace {

Row judge_contents(runtime::Os& os, const std::filesystem::path& file, std::uint64_t length,
                   const skin::Picture& picture, const std::string& folder) {
    std::vector<std::uint8_t> head;
    try {
        head = disk::read_prefix(os, file, skin::kPictureHeadLength);
    } catch (const runtime::Error& error) {
        return {error.what(), "make the file readable, or put a readable picture in its place"};
    }
    const skin::PictureVerdict verdict = skin::explain_picture(head, length, picture);
    if (verdict.ok()) return {"ok", "", "", {}};
    std::string found = skin::verdict_text(verdict, length);
    if (!verdict.importable && !verdict.advice.empty()) return {found, verdict.advice};
    if (!verdict.importable) {
        return {found, "this file cannot be converted; save the picture as " +
                           skin::import_formats_text() +
                           " and import that file with orbskin-cli import"};
    }
    return import_row(std::move(found), folder, resize_for(head, length, picture), file, picture);
}

Row check_one(runtime::Os& os, const std::filesystem::path& folder_path,
              const skin::Picture& picture, const std::string& folder) {
    const std::filesystem::path file = folder_path / picture.name;
    const runtime::FileInfo info = disk::look_up(os, file);
    switch (info.kind) {
        case runtime::FileKind::missing:
            return missing_row(os, folder_path, picture, folder,
                               std::string(skin::kMissingVerdict));
        case runtime::FileKind::folder:
            return blocked_row(os, folder_path, picture, folder,
                               "missing: this is a folder, not a file");
        case runtime::FileKind::other:
            return blocked_row(os, folder_path, picture, folder,
                               "not a regular file (a device, pipe or socket)");
        case runtime::FileKind::regular:
            break;
    }
    return judge_contents(os, file, info.size, picture, folder);
}

}  // namespace

bool print_table(runtime::Os& os, const std::string& folder, std::ostream& out,
                 std::vector<Row>* rows) {
    out << std::left << std::setw(14) << "picture" << std::setw(10) << "size" << std::setw(15)
        << "length"
        << "found\n";
    bool all_ok = true;
    const std::filesystem::path folder_path = runtime::path_from_utf8(folder);
    for (const skin::Picture& picture : skin::kPictures) {
        Row row = check_one(os, folder_path, picture, folder);
        all_ok = all_ok && row.fix.empty();
        out << std::setw(14) << picture.name << std::setw(11)  // one more for the two bytes of "×"
            << skin::size_text(picture) << std::setw(15)
            << std::to_string(picture.file_length()) + " bytes" << row.found << '\n';
        if (!row.fix.empty()) out << std::string(14, ' ') << "fix: " << row.fix << '\n';
        if (!row.note.empty()) out << std::string(19, ' ') << row.note << '\n';
        if (rows) rows->push_back(std::move(row));
    }
    const std::optional<std::string> failure = disk::check_pictures(os, folder_path);
    if (failure)
        out << "\npack would stop with: " << *failure << '\n';
    else if (!all_ok)
        out << "\npack would pass the checks, but the skin would not show every picture as drawn\n";
    else
        out << "\npack would pass the checks\n";
    return all_ok;
}

}  // namespace orbskin::cli::check

namespace orbskin::cli {
namespace {

// The readability warnings of the text colours over the pictures in `folder`, in the words the
// page shows.
void print_readability(runtime::Os& os, const std::string& folder,
                       const skin::SkinSettings& settings, std::ostream& out) {
    const std::filesystem::path folder_path = runtime::path_from_utf8(folder);
    std::array<std::vector<std::uint8_t>, skin::kPictures.size()> files;
    skin::PictureFiles pictures;
    for (std::size_t i = 0; i < skin::kPictures.size(); ++i) {
        const std::filesystem::path file = folder_path / skin::kPictures[i].name;
        const std::optional<std::uint64_t> length = disk::regular_file_length(os, file);
        if (!length || *length != skin::kPictures[i].file_length()) continue;
        files[i].resize(*length);
        disk::read_exact(os, file, files[i]);
        pictures[i] = files[i];
    }
    for (const skin::Readability& figure : skin::readability(pictures, settings))
        if (!figure.readable()) out << "warning: " << skin::readability_warning(figure) << '\n';
}

}  // namespace

Command add_check(CLI::App& parent, PictureRunner run_picture, std::span<const std::string> args) {
    CLI::App* app = parent.add_subcommand(
        "check", "Report all twelve pictures at once: what each is, why it fails, and the fix.");
    auto folder = std::make_shared<std::string>();
    auto fix = std::make_shared<bool>(false);
    app->add_option("--dir", *folder, "Folder of the pictures (default: .)")->type_name("DIR");
    app->add_flag("--fix", *fix,
                  "Apply every fix shown, keeping each original in originals/, then check again");
    auto settings = std::make_shared<SettingsOptions>();
    add_settings_options(*app, *settings);
    return {app, [=](runtime::Os& os, std::ostream& out, std::ostream& err) {
#ifndef _WIN32
                if (*fix && !run_picture) {
                    out.flush();
                    return run_helper(os, args, err);  // import lives there
                }
#endif
                return report_failures(err, [&] {
                    const skin::SkinSettings chosen = settings_from(os, *settings);
                    const int status = *fix ? check::fix_all(os, *folder, run_picture, out, err)
                                       : check::print_table(os, *folder, out) ? kExitSuccess
                                                                              : kExitFailure;
                    print_readability(os, *folder, chosen, out);  // never changes the status
                    return status;
                });
            }};
}

}  // namespace orbskin::cli
