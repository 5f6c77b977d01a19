// orbskin-cli check: every picture's state in one table, with the cause of each failure in words
// and the command that fixes it.
#include <cmath>
#include <iomanip>
#include <memory>

#include "cli/cli.h"
#include "cli/commands.h"
#include "disk/files.h"
#include "disk/skin_folder.h"
#include "runtime/error.h"
#include "runtime/utf8_path.h"
#include "skin/picture_check.h"

namespace orbskin::cli {
namespace {

struct Row {
    std::string found;
    std::string fix;
    std::string note = "";  // a line more about the fix
};

constexpr std::string_view kCropNote =
    "(--crop cuts off what overhangs; --fit keeps the whole picture, with the background colour "
    "around it)";

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

// Whether one side is `factor` times the other, `factor` a whole number from 2 up, the same
// across and down.
bool whole_factor(std::int64_t from, std::int64_t from_down, std::int64_t to,
                  std::int64_t to_down) {
    const auto ratio = [](std::int64_t a, std::int64_t b) {
        return a >= 2 * b && a % b == 0 ? a / b : 0;
    };
    const std::int64_t up = ratio(to, from), down = ratio(from, to);
    return (up != 0 && up == ratio(to_down, from_down)) ||
           (down != 0 && down == ratio(from_down, to_down));
}

// How import should resize a picture of `width` × `height` (0 when unknown) for `picture`: by
// the few pixels it is off, at 1:1; by a whole factor, where the header says pixel art; else
// stretched only where the shapes agree within 1 %, as stretching distorts; cropped otherwise.
std::string_view resize_option(std::int64_t width, std::int64_t height, bool few_colours,
                               const skin::Picture& picture) {
    constexpr std::int64_t kFewPixels = 8;
    const std::int64_t w = picture.width, h = picture.height;
    if (width > 0 && height > 0) {
        if (std::abs(width - w) <= kFewPixels && std::abs(height - h) <= kFewPixels)
            return width >= w && height >= h   ? " --trim"
                   : width <= w && height <= h ? " --pad"
                                               : " --trim";
        if (few_colours && whole_factor(width, height, w, h)) return " --pixel-art";
        const double shapes =
            (static_cast<double>(width) / static_cast<double>(height)) /
            (static_cast<double>(picture.width) / static_cast<double>(picture.height));
        if (std::abs(shapes - 1) <= 0.01) return " --scale";
    }
    return " --crop";
}

std::string import_command(const std::string& dir_option, std::string_view resize,
                           const std::string& source, std::string_view name) {
    return "orbskin-cli import" + dir_option + std::string(resize) + " --force " + source + " " +
           std::string(name);
}

// The name of a file in `folder` that differs from the picture's only in letter case, as a camera
// or an older system may write it; empty when there is none.
std::string differently_cased(runtime::Os& os, const std::filesystem::path& folder,
                              const skin::Picture& picture) {
    std::vector<std::filesystem::path> names;
    if (os.list_folder(folder.empty() ? "." : folder, names) < 0) return "";
    for (const std::filesystem::path& name : names) {
        std::string found = runtime::utf8_of(name);
        if (skin::picture_in_any_case(found) == &picture) return found;
    }
    return "";
}

Row judge_contents(runtime::Os& os, const std::filesystem::path& file, std::uint64_t length,
                   const skin::Picture& picture, const std::string& dir_option) {
    std::vector<std::uint8_t> head;
    try {
        head = disk::read_prefix(os, file, skin::kPictureHeadLength);
    } catch (const runtime::Error& error) {
        return {error.what(), "make the file readable, or put a readable picture in its place"};
    }
    const skin::PictureVerdict verdict = skin::explain_picture(head, length, picture);
    if (verdict.ok()) return {"ok", ""};
    std::string found = skin::verdict_text(verdict, length);
    if (!verdict.importable && !verdict.advice.empty()) return {found, verdict.advice};
    if (!verdict.importable) {
        return {found, "this file cannot be converted; save the picture as " +
                           skin::import_formats_text() +
                           " and import that file with orbskin-cli import"};
    }
    const std::string_view resize =
        verdict.needs_scaling
            ? resize_option(verdict.width, verdict.height, verdict.few_colours, picture)
            : "";
    return {found,
            import_command(dir_option, resize, shell_word(runtime::utf8_of(file)), picture.name),
            resize == " --crop" ? std::string(kCropNote) : ""};
}

Row check_one(runtime::Os& os, const std::filesystem::path& folder, const skin::Picture& picture,
              const std::string& dir_option) {
    const std::filesystem::path file = folder / picture.name;
    const runtime::FileInfo info = disk::look_up(os, file);
    const std::string add = import_command(dir_option, " --crop", "YOUR-PICTURE", picture.name);
    switch (info.kind) {
        case runtime::FileKind::missing:
            if (const std::string cased = differently_cased(os, folder, picture); !cased.empty()) {
                return {"missing, but there is " + cased + ": the name differs only in case",
                        "rename it: mv " + shell_word(runtime::utf8_of(folder / cased)) + " " +
                            shell_word(runtime::utf8_of(file))};
            }
            return {std::string(skin::kMissingVerdict), add, std::string(kCropNote)};
        case runtime::FileKind::folder:
            return {"missing: this is a folder, not a file", "remove it, then " + add};
        case runtime::FileKind::other:
            return {"not a regular file (a device, pipe or socket)", "remove it, then " + add};
        case runtime::FileKind::regular:
            break;
    }
    return judge_contents(os, file, info.size, picture, dir_option);
}

int check(runtime::Os& os, const std::string& folder, std::ostream& out) {
    const std::string dir_option = folder.empty() ? "" : " --dir " + shell_word(folder);
    out << std::left << std::setw(14) << "picture" << std::setw(10) << "size" << std::setw(15)
        << "length"
        << "found\n";
    bool all_ok = true;
    const std::filesystem::path folder_path = runtime::path_from_utf8(folder);
    for (const skin::Picture& picture : skin::kPictures) {
        const Row row = check_one(os, folder_path, picture, dir_option);
        all_ok = all_ok && row.fix.empty();
        out << std::setw(14) << picture.name << std::setw(11)  // one more for the two bytes of "×"
            << skin::size_text(picture) << std::setw(15)
            << std::to_string(picture.file_length()) + " bytes" << row.found << '\n';
        if (!row.fix.empty()) out << std::string(14, ' ') << "fix: " << row.fix << '\n';
        if (!row.note.empty()) out << std::string(19, ' ') << row.note << '\n';
    }
    const std::optional<std::string> failure = disk::check_pictures(os, folder_path);
    if (failure)
        out << "\npack would stop with: " << *failure << '\n';
    else if (!all_ok)
        out << "\npack would pass the checks, but the skin would not show every picture as drawn\n";
    else
        out << "\npack would pass the checks\n";
    return all_ok ? kExitSuccess : kExitFailure;
}

}  // namespace

Command add_check(CLI::App& parent) {
    CLI::App* app = parent.add_subcommand(
        "check", "Report all twelve pictures at once: what each is, why it fails, and the fix.");
    auto folder = std::make_shared<std::string>();
    app->add_option("--dir", *folder, "Folder of the pictures (default: .)")->type_name("DIR");
    return {app, [folder](runtime::Os& os, std::ostream& out, std::ostream& err) {
                return report_failures(err, [&] { return check(os, *folder, out); });
            }};
}

}  // namespace orbskin::cli
