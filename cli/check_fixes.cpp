// check's fixes: each as the command it prints, and what --fix runs.
#include "cli/check_rows.h"
#include "cli/cli.h"
#include "picture/wording.h"
#include "runtime/error.h"
#include "runtime/utf8_path.h"
#include "skin/picture_check.h"

namespace orbskin::cli::check {
namespace {

constexpr std::string_view kCropNote = runtime::N_(
    "(--crop cuts off what overhangs; --fit keeps the whole picture, with the "
    "background colour around it)");

constexpr std::string_view kDitherNote = runtime::N_(
    "(--dither: a photo's smooth shades would show as steps in the skin's 5 bits a channel)");

// Two messages on two lines; in no catalogue, as it holds no words.
constexpr std::string_view kTwoLines = "{first}\n{second}";

Action import_action(const std::string& folder, picture::Resize how, bool dither,
                     const std::string& source, std::string_view name) {
    Action action{Action::import, {}, {}, {"orbskin-cli", "import"}};
    if (!folder.empty()) action.args.insert(action.args.end(), {"--dir", path_argument(folder)});
    if (how != picture::Resize::none) action.args.emplace_back(picture::resize_way(how).option);
    if (dither) action.args.emplace_back("--dither");
    action.args.insert(action.args.end(), {"--force", path_argument(source), std::string(name)});
    return action;
}

}  // namespace

// Whether a line of a fix is a command to paste as it is, rather than something to do by hand
// (make a picture, export a document), which is led by "to do:" instead.
bool is_command(std::string_view line) {
    for (const std::string_view command : {"orbskin-cli ", "rm ", "rmdir ", "mv "})
        if (line.starts_with(command)) return true;
    return false;
}

Message lines(const Message& first, const Message& second) {
    return Message(kTwoLines, {{"first", first}, {"second", second}});
}

Row import_row(Message found, const std::string& folder, const Conversion& conversion,
               const std::filesystem::path& source, const skin::Picture& picture) {
    Row row{std::move(found)};
    const std::string file = runtime::utf8_of(source);
    row.action = import_action(folder, conversion.how, conversion.photo, file, picture.name);
    row.fix = Message::as_is(typed_command(row.action.args));
    const auto add_note = [&row](const Message& note) {
        row.note = row.note ? lines(*row.note, note) : note;
    };
    const auto add_warning = [&](const Message& warning) {
        add_note(Message("warning: {warning}", {{"warning", warning}}));
    };
    if (conversion.how == picture::Resize::crop) add_note(Message(kCropNote));
    if (conversion.photo) add_note(Message(kDitherNote));
    if (conversion.profile)
        add_warning(picture::foreign_profile_message(file, *conversion.profile));
    if (conversion.gamma) add_warning(picture::foreign_gamma_message(file, conversion.gamma));
    return row;
}

int fix_all(runtime::Os& os, const std::string& folder, const PictureRunner& run_picture,
            std::ostream& out, std::ostream& err, const Words& words) {
    std::vector<Row> rows;
    if (print_table(os, folder, out, words, &rows)) return kExitSuccess;
    // The pictures and the renames in one run: all or none.
    std::vector<std::vector<std::string>> imports;
    std::vector<disk::NewFile> moves;
    for (const Row& row : rows) {
        if (row.action.kind == Action::import) imports.push_back(row.action.args);
        if (row.action.kind == Action::rename)
            moves.push_back(
                {row.action.to, {}, disk::look_up(os, row.action.to), true, row.action.from});
    }
    const auto move_only = [&] {
        return report_puts(disk::put_files(os, moves), false, out, err, words) ? kExitSuccess
                                                                               : kExitFailure;
    };
    const int status = !imports.empty() ? run_picture(os, imports, moves, out, err)
                       : moves.empty()  ? kExitSuccess
                                        : report_failures(err, words, move_only);
    if (status != kExitSuccess || os.stop_requested() != 0) {
        out << '\n';
        print_table(os, folder, out, words);
        return kExitFailure;
    }
    for (const Row& row : rows) {
        if (row.action.kind == Action::rename) {
            out << "\n" << words(*row.fix) << '\n';
        } else if (row.action.kind == Action::none && row.fix && is_command(words(*row.fix))) {
            out << "\n"
                << words("not run, as it removes or moves aside what may be yours: {command}",
                         {{"command", *row.fix}})
                << '\n';
        }
    }
    out << '\n';
    return print_table(os, folder, out, words) ? kExitSuccess : kExitFailure;
}

}  // namespace orbskin::cli::check
