// orbskin-cli check: every picture's state in one table, with the cause of each failure in words
// and the command that fixes it.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <iomanip>
#include <memory>

#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/settings_options.h"
#include "disk/files.h"
#include "disk/skin_folder.h"
#include "picture/resize.h"
#include "runtime/error.h"
#include "runtime/utf8_path.h"
#include "skin/picture_check.h"
#include "skin/readability.h"

namespace orbskin::cli {
namespace {

constexpr std::string_view kCropNote =
    "(--crop cuts off what overhangs; --fit keeps the whole picture, with the background colour "
    "around it)";

// The option of import that resizes as check proposes, with a space before it.
std::string resize_option(std::int64_t width, std::int64_t height, bool few_colours,
                          const skin::Picture& picture) {
    return " " +
           std::string(picture::resize_way(
                           picture::ways_to_resize(width, height, few_colours, picture).front())
                           .option);
}

// What a fix does when check --fix applies it.
struct Action {
    enum Kind { none, rename, import } kind = none;
    std::filesystem::path from, to;  // rename
    std::vector<std::string> args;   // import: orbskin-cli's arguments, the program name first
};

struct Row {
    std::string found;
    std::string fix = "";   // in words, with the command as it would be typed
    std::string note = "";  // a line more about the fix
    Action action{};
};

Action import_action(const std::string& folder, std::string_view resize, const std::string& source,
                     std::string_view name) {
    Action action{Action::import, {}, {}, {"orbskin-cli", "import"}};
    if (!folder.empty()) action.args.insert(action.args.end(), {"--dir", folder});
    if (!resize.empty()) action.args.emplace_back(resize.substr(1));
    action.args.insert(action.args.end(), {"--force", source, std::string(name)});
    return action;
}

std::string typed(const Action& action) {
    std::string text;
    for (const std::string& arg : action.args)
        text += (text.empty() ? "" : " ") + (&arg == &action.args[0] ? arg : shell_word(arg));
    return text;
}

// The row of a picture to be imported from `source` with `resize`.
Row import_row(std::string found, const std::string& folder, std::string_view resize,
               const std::filesystem::path& source, const skin::Picture& picture) {
    Row row{std::move(found)};
    row.action = import_action(folder, resize, runtime::utf8_of(source), picture.name);
    row.fix = typed(row.action);
    if (resize == " --crop") row.note = std::string(kCropNote);
    return row;
}

// How import should resize the picture in `head` (of `length` bytes) for `picture`; empty when
// it has the size already.
std::string resize_for(std::span<const std::uint8_t> head, std::uint64_t length,
                       const skin::Picture& picture) {
    const skin::PictureVerdict verdict = skin::explain_picture(head, length, picture);
    return verdict.needs_scaling
               ? resize_option(verdict.width, verdict.height, verdict.few_colours, picture)
               : "";
}

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

// Whether `name` names a picture file to import for `picture`: its name in any case, with the
// extension of any format import reads, other than the picture's own name.
bool source_name(const std::string& name, const skin::Picture& picture) {
    const std::string_view stem = picture.name.substr(0, picture.name.rfind('.'));
    std::string lowered = name;
    for (char& c : lowered)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!lowered.starts_with(stem) || name == picture.name) return false;
    const std::string extension = lowered.substr(stem.size());
    for (const skin::PictureFormat& format : skin::kImportFormats) {
        for (std::size_t at = 0; at < format.extensions.size();) {
            const std::size_t end =
                std::min(format.extensions.find(' ', at), format.extensions.size());
            if (format.extensions.substr(at, end - at) == extension) return true;
            at = end + 1;
        }
    }
    return false;
}

// Picture files in `folder` that a missing picture may be imported from, sorted.
std::vector<std::string> sources(runtime::Os& os, const std::filesystem::path& folder,
                                 const skin::Picture& picture) {
    std::vector<std::filesystem::path> names;
    std::vector<std::string> found;
    if (os.list_folder(folder.empty() ? "." : folder, names) < 0) return found;
    for (const std::filesystem::path& name : names) {
        const std::string text = runtime::utf8_of(name);
        const runtime::FileInfo info = disk::look_up(os, folder / name);
        if (info.kind == runtime::FileKind::regular && source_name(text, picture))
            found.push_back(text);
    }
    std::sort(found.begin(), found.end());
    return found;
}

Row missing_row(runtime::Os& os, const std::filesystem::path& folder_path,
                const skin::Picture& picture, const std::string& folder, std::string found) {
    const std::vector<std::string> candidates = sources(os, folder_path, picture);
    if (candidates.empty()) {
        return {std::move(found), "put a picture of " + skin::size_text(picture) + " named " +
                                      std::string(picture.name.substr(0, picture.name.rfind('.'))) +
                                      ".png (or .jpg, .gif, .bmp…) in the folder and run "
                                      "orbskin-cli check --fix"};
    }
    const std::filesystem::path target = folder_path / picture.name;
    std::vector<Row> rows;
    for (const std::string& name : candidates) {
        const std::filesystem::path source = folder_path / runtime::path_from_utf8(name);
        std::string there = found;
        there += ", but there is ";
        there += name;
        if (skin::picture_in_any_case(name) == &picture) {
            Row row{there + ": the name differs only in case",
                    "rename it: mv " + shell_word(runtime::utf8_of(source)) + " " +
                        shell_word(runtime::utf8_of(target))};
            row.action = {Action::rename, source, target, {}};
            rows.push_back(std::move(row));
            continue;
        }
        std::string resize = " --crop";
        try {
            const runtime::FileInfo info = disk::look_up(os, source);
            resize = resize_for(disk::read_prefix(os, source, skin::kPictureHeadLength), info.size,
                                picture);
        } catch (const runtime::Error&) {  // import will say why it cannot read it
        }
        rows.push_back(import_row(std::move(there), folder, resize, source, picture));
    }
    if (rows.size() == 1) return std::move(rows[0]);
    // Which one is meant, only the user knows: each command is shown, and --fix runs none.
    Row row{found + ", but there are " + std::to_string(rows.size()) + " pictures of that name: "};
    for (std::size_t i = 0; i < candidates.size(); ++i)
        row.found += (i == 0 ? "" : i + 1 == candidates.size() ? " and " : ", ") + candidates[i];
    row.fix = "keep the one you mean and run check --fix, or run one of: ";
    for (std::size_t i = 0; i < rows.size(); ++i)
        row.fix += (i == 0 ? "" : "; ") + rows[i].fix;
    return row;
}

// A name taken by what is not a picture file: to be removed by hand first, so --fix leaves it.
Row blocked_row(runtime::Os& os, const std::filesystem::path& folder_path,
                const skin::Picture& picture, const std::string& folder, std::string found) {
    Row row = missing_row(os, folder_path, picture, folder, std::move(found));
    row.fix = "remove it, then " + row.fix;
    row.action = {};
    return row;
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

// Prints the table; true when every picture passes.
bool print_table(runtime::Os& os, const std::string& folder, std::ostream& out,
                 std::vector<Row>* rows = nullptr) {
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

// Applies every fix the table proposes that check can run, then shows the table again.
int fix_all(runtime::Os& os, const std::string& folder, const PictureRunner& run_picture,
            std::ostream& out, std::ostream& err) {
    std::vector<Row> rows;
    if (print_table(os, folder, out, &rows)) return kExitSuccess;
    for (const Row& row : rows) {
        if (row.action.kind == Action::rename) {
            out << "\n"
                << "mv " << runtime::utf8_of(row.action.from) << " "
                << runtime::utf8_of(row.action.to) << '\n';
            if (const int r = os.rename(row.action.from, row.action.to); r < 0)
                runtime::throw_io_error("rename", row.action.from, -r);
        } else if (row.action.kind == Action::import) {
            out << "\n" << typed(row.action) << '\n' << std::flush;
            run_picture(os, row.action.args, out, err);
        }
    }
    out << '\n';
    return print_table(os, folder, out) ? kExitSuccess : kExitFailure;
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
                    const int status = *fix ? fix_all(os, *folder, run_picture, out, err)
                                       : print_table(os, *folder, out) ? kExitSuccess
                                                                       : kExitFailure;
                    print_readability(os, *folder, chosen, out);  // never changes the status
                    return status;
                });
            }};
}

}  // namespace orbskin::cli
