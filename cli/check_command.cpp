// orbskin-cli check: every picture's state in one table, with the cause of each failure in words
// and the command that fixes it.
#include <iomanip>
#include <memory>

#include "cli/cli.h"
#include "cli/commands.h"
#include "runtime/files.h"
#include "skin/generate.h"
#include "skin/picture_check.h"

namespace orbskin::cli {
namespace {

struct Row {
    std::string found;
    std::string fix;
};

// Quotes a path for the platform's shell when it needs it.
std::string shell_word(const std::string& text) {
#ifdef _WIN32
    if (!text.empty() && text.find_first_of(" \t&|<>^()%!\"") == std::string::npos) return text;
    return '"' + text + '"';
#else
    if (!text.empty() &&
        text.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                               "0123456789._-/+=:,@%") == std::string::npos)
        return text;
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
#endif
}

Row check_one(const std::filesystem::path& folder, const skin::Picture& picture,
              const std::string& dir_option) {
    const std::filesystem::path file = folder / picture.name;
    const std::string name(picture.name);
    const std::optional<std::uint64_t> length = runtime::regular_file_length(file);
    if (!length) {
        std::error_code ignored;
        const bool folder_named_so = std::filesystem::is_directory(file, ignored);
        return {folder_named_so ? "missing: this is a folder, not a file" : "missing",
                "orbskin-cli import" + dir_option + " YOUR-PICTURE " + name};
    }
    if (*length == picture.file_length()) return {"ok", ""};

    const std::vector<std::uint8_t> head = runtime::read_prefix(file, skin::kPictureHeadLength);
    const skin::PictureVerdict verdict = skin::explain_picture(head, *length, picture);
    std::string found = std::to_string(*length) + " bytes: " + verdict.found;
    if (!verdict.cause.empty()) found += ": " + verdict.cause;
    return {found, "orbskin-cli import" + dir_option + (verdict.needs_scaling ? " --scale" : "") +
                       " --force " + shell_word(file.string()) + " " + name};
}

}  // namespace

Command add_check(CLI::App& parent) {
    CLI::App* app = parent.add_subcommand(
        "check", "Report all twelve pictures at once: what each is, why it fails, and the fix.");
    auto folder = std::make_shared<std::string>();
    app->add_option("--dir", *folder, "Folder of the pictures (default: .)")->type_name("DIR");

    return {app, [folder](std::ostream& out, std::ostream& err) {
                return report_failures(err, [&] {
                    const std::string dir_option =
                        folder->empty() ? "" : " --dir " + shell_word(*folder);
                    out << std::left << std::setw(14) << "picture" << std::setw(10) << "size"
                        << std::setw(15) << "length"
                        << "found\n";
                    for (const skin::Picture& picture : skin::kPictures) {
                        const Row row = check_one(*folder, picture, dir_option);
                        out << std::setw(14) << picture.name
                            << std::setw(11)  // one more for the two bytes of "×"
                            << std::to_string(picture.width) + "×" + std::to_string(picture.height)
                            << std::setw(15) << std::to_string(picture.file_length()) + " bytes"
                            << row.found << '\n';
                        if (!row.fix.empty())
                            out << std::string(14, ' ') << "fix: " << row.fix << '\n';
                    }
                    const std::optional<std::string> failure = skin::check_pictures(*folder);
                    out << '\n'
                        << (failure ? "pack would stop with: " + *failure
                                    : std::string("pack would pass the checks"))
                        << '\n';
                    return failure ? kExitFailure : kExitSuccess;
                });
            }};
}

}  // namespace orbskin::cli
