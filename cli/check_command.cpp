// orbskin-cli check: every picture's state in one table, with the cause of each failure in words
// and the command that fixes it.
#include <algorithm>
#include <iomanip>
#include <memory>

#include "cli/check_rows.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/settings_options.h"
#include "disk/files.h"
#include "disk/skin_folder.h"
#include "picture/explain.h"
#include "picture/guard.h"
#include "picture/picture_head.h"
#include "runtime/error.h"
#include "runtime/utf8_path.h"
#include "skin/readability.h"

namespace orbskin::cli::check {
namespace {

// Another file that the picture may be made from, beside a wrong one: the newest of those newer
// than it, or, where the wrong one cannot be converted, any; the fix then takes it and says so.
std::optional<Row> better_source(runtime::Os& os, const std::filesystem::path& folder_path,
                                 const skin::Picture& picture, const std::string& folder,
                                 const Message& found, bool convertible) {
    const std::int64_t own = disk::look_up(os, folder_path / picture.name).modified_ns;
    std::optional<Row> best;
    std::int64_t best_time = 0;
    for (const std::string& name : sources(os, folder_path, picture)) {
        const runtime::FileInfo info =
            disk::look_up(os, folder_path / runtime::path_from_utf8(name));
        if (info.kind != runtime::FileKind::regular || (convertible && info.modified_ns <= own) ||
            (best && info.modified_ns <= best_time))
            continue;
        Row row = source_row(os, folder_path, picture, folder, found, name);
        if (row.action.kind != Action::import) continue;
        const Arg before("found", row.found);
        row.found = convertible
                        ? Message("{found}, newer, which the fix takes", {before})
                        : Message("{found}, which the fix takes, as this one cannot be converted",
                                  {before});
        best = std::move(row), best_time = info.modified_ns;
    }
    return best;
}

Row judge_contents(runtime::Os& os, const std::filesystem::path& folder_path, std::uint64_t length,
                   const skin::Picture& picture, const std::string& folder) {
    const std::filesystem::path file = folder_path / picture.name;
    std::vector<std::uint8_t> head;
    try {
        head = judged_bytes(os, file, length);
    } catch (const runtime::Error& error) {
        return {runtime::failure_message(error),
                Message("make the file readable, or put a readable picture in its place")};
    }
    const skin::PictureVerdict verdict = picture::explain_picture(head, length, picture);
    if (verdict.ok()) return {Message(C_("what check found of a picture", "ok"))};
    Message found = skin::verdict_message(verdict, length);
    if (std::optional<Row> other =
            better_source(os, folder_path, picture, folder, found, verdict.importable))
        return std::move(*other);
    if (!verdict.importable && verdict.advice) return {found, *verdict.advice};
    if (length == 0) return {found, put_picture(picture, folder)};  // nothing there to convert
    if (const std::optional<Message> why = picture::read_head(head, length).oversized;
        why && verdict.importable)
        return {Message("{name}: {what}", {{"name", found}, {"what", *why}}),
                put_picture(picture, folder)};
    if (!verdict.importable) {
        return {found, Message("this file cannot be converted; save the picture as {formats} and "
                               "import that file with orbskin-cli import",
                               {{"formats", picture::import_formats_message()}})};
    }
    const Conversion conversion = conversion_for(std::string(picture.name), head, length, picture);
    if (conversion.unreadable)
        return {Message("{name}: {what}", {{"name", found}, {"what", *conversion.unreadable}}),
                save_again(picture, folder, std::string(picture.name))};
    return import_row(std::move(found), folder, conversion, file, picture);
}

Row check_one(runtime::Os& os, const std::filesystem::path& folder_path,
              const skin::Picture& picture, const std::string& folder) {
    const std::filesystem::path file = folder_path / picture.name;
    if (const std::string_view what = not_a_file(os, file); !what.empty()) {
        const bool is_folder = what.starts_with("a folder");
        return blocked_row(os, folder_path, picture, folder,
                           is_folder ? Message("missing: this is a folder, not a file")
                                     : Message("missing: {what}", {{"what", Message(what)}}),
                           is_folder);
    }
    const runtime::FileInfo info = disk::look_up(os, file);
    if (info.kind == runtime::FileKind::missing)
        return missing_row(os, folder_path, picture, folder, Message(skin::kMissingVerdict));
    return judge_contents(os, folder_path, info.size, picture, folder);
}

// Each line of `text` after `lead`, indented by `indent`.

// Each line of `text`, indented, after `lead`; or, for a fix, after "fix:" where it is a command
// and "to do:" where it is not.
void print_lines(std::ostream& out, std::size_t indent, std::string_view lead,
                 std::string_view text, std::string_view todo = {}) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string_view line = text.substr(at, end - at);
        out << std::string(indent, ' ') << (todo.empty() || is_command(line) ? lead : todo) << line
            << '\n';
        at = end + 1;
    }
}

// A row's label and the space after it; a full-width colon ("修正：") has its space in it.
std::string label(const std::string& said) {
    return said.ends_with("\uFF1A") ? said : said + " ";
}

// `text` and the spaces that fill it out to `width` columns, at least one.
std::string padded(const std::string& text, std::size_t width) {
    return text + std::string(width > columns(text) ? width - columns(text) : 1, ' ');
}

}  // namespace

bool print_table(runtime::Os& os, const std::string& folder, std::ostream& out, const Words& words,
                 std::vector<Row>* rows) {
    const std::string headings[] = {words(C_("check's table heading", "picture")),
                                    words(C_("check's table heading", "size")),
                                    words(C_("check's table heading", "length"))};
    const auto length_of = [&words](const skin::Picture& picture) {
        return words("{length} bytes", {{"length", runtime::Number(picture.file_length())}});
    };
    // The length column as wide as its longest entry in this language ("147 510 octets").
    std::size_t longest_length = columns(headings[2]);
    for (const skin::Picture& picture : skin::kPictures)
        longest_length = std::max(longest_length, columns(length_of(picture)));
    const std::size_t widths[] = {std::max<std::size_t>(14, columns(headings[0]) + 2),
                                  std::max<std::size_t>(10, columns(headings[1]) + 2),
                                  std::max<std::size_t>(15, longest_length + 2)};
    out << padded(headings[0], widths[0]) << padded(headings[1], widths[1])
        << padded(headings[2], widths[2]) << words(C_("check's table heading", "found")) << '\n';
    const std::string lead = label(words("fix:")), todo = label(words("to do:"));
    bool all_ok = true;
    const std::filesystem::path folder_path = runtime::path_from_utf8(folder);
    for (const skin::Picture& picture : skin::kPictures) {
        Row row = check_one(os, folder_path, picture, folder);
        all_ok = all_ok && !row.fix;
        out << padded(std::string(picture.name), widths[0])
            << padded(skin::size_text(picture), widths[1]) << padded(length_of(picture), widths[2])
            << words(row.found) << '\n';
        if (row.fix) print_lines(out, widths[0], lead, words(*row.fix), todo);
        if (row.note) print_lines(out, widths[0] + columns(lead), "", words(*row.note));
        if (rows) rows->push_back(std::move(row));
    }
    // What pack would say, even where a name cannot be looked up (a link loop): the table and
    // the warnings still come.
    std::optional<Message> failure;
    try {
        if (const auto stop = disk::check_pictures(os, folder_path))
            failure = Message::as_is(stop->message);  // pack's own, the same in every language
    } catch (const runtime::Error& error) {
        failure = runtime::failure_message(error);
    }
    out << '\n';
    if (failure)
        out << words("pack would stop with: {message}", {{"message", *failure}}) << '\n';
    else if (!all_ok)
        out << words(
                   "pack would pass the checks, but the skin would not show every picture as "
                   "drawn")
            << '\n';
    else
        out << words("pack would pass the checks") << '\n';
    return all_ok;
}

}  // namespace orbskin::cli::check

namespace orbskin::cli {
namespace {

// The readability warnings of the text colours over the pictures in `folder`, in the words the
// page shows.
void print_readability(runtime::Os& os, const std::string& folder,
                       const skin::SkinSettings& settings, std::ostream& out, const Words& words) {
    const std::filesystem::path folder_path = runtime::path_from_utf8(folder);
    std::array<std::vector<std::uint8_t>, skin::kPictures.size()> files;
    skin::PictureFiles pictures;
    for (std::size_t i = 0; i < skin::kPictures.size(); ++i) {
        const std::filesystem::path file = folder_path / skin::kPictures[i].name;
        try {  // one that cannot be read is in the table already, and judged without
            const std::optional<std::uint64_t> length = disk::regular_file_length(os, file);
            if (!length || *length != skin::kPictures[i].file_length()) continue;
            files[i].resize(*length);
            disk::read_exact(os, file, files[i]);
            pictures[i] = files[i];
        } catch (const runtime::Error&) {
            files[i].clear();
        }
    }
    for (const skin::Readability& figure : skin::readability(pictures, settings))
        if (!figure.readable())
            out << words("warning: {warning}", {{"warning", skin::readability_message(figure)}})
                << '\n';
}

}  // namespace

Command add_check(CLI::App& parent, const Words& words, PictureRunner run_picture,
                  [[maybe_unused]] std::span<const std::string> args) {
    CLI::App* app = parent.add_subcommand(
        "check",
        words("Report all twelve pictures at once: what each is, why it fails, and the fix."));
    auto folder = std::make_shared<std::string>();
    auto fix = std::make_shared<bool>(false);
    app->add_option("--dir", *folder, words("Folder of the pictures (default: .)"))
        ->type_name("DIR");
    app->add_flag("--fix", *fix,
                  words("Apply every fix shown, keeping each original in originals/, then check "
                        "again"));
    auto settings = std::make_shared<SettingsOptions>();
    add_settings_options(*app, *settings, words);
    return {app, [=, &words](runtime::Os& os, std::ostream& out, std::ostream& err) {
#ifndef _WIN32
                if (*fix && !run_picture) {
                    out.flush();
                    return run_helper(os, args, err, words);  // import lives there
                }
#endif
                return report_failures(err, words, [&] {
                    refuse_a_missing_folder(os, *folder);
                    finish_interrupted(os, runtime::path_from_utf8(*folder), err, words);
                    const skin::SkinSettings chosen = settings_from(os, *settings, words);
                    const int status =
                        *fix ? check::fix_all(os, *folder, run_picture, out, err, words)
                        : check::print_table(os, *folder, out, words) ? kExitSuccess
                                                                      : kExitFailure;
                    print_readability(os, *folder, chosen, out, words);  // never changes status
                    return status;
                });
            }};
}

}  // namespace orbskin::cli
