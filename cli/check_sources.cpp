// Where check finds the file a missing picture may be made from: its name in any case, with the
// extension of any format import reads.
#include <algorithm>
#include <cctype>

#include "cli/check_rows.h"
#include "disk/files.h"
#include "runtime/error.h"
#include "runtime/utf8_path.h"
#include "skin/picture_check.h"

namespace orbskin::cli::check {
namespace {

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

}  // namespace

picture::Resize resize_for(std::span<const std::uint8_t> head, std::uint64_t length,
                           const skin::Picture& picture) {
    const skin::PictureVerdict verdict = skin::explain_picture(head, length, picture);
    if (!verdict.needs_scaling) return picture::Resize::none;
    return picture::ways_to_resize(verdict.width, verdict.height, verdict.few_colours, picture)
        .front();
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
        picture::Resize how = picture::Resize::crop;
        try {
            const runtime::FileInfo info = disk::look_up(os, source);
            how = resize_for(disk::read_prefix(os, source, skin::kPictureHeadLength), info.size,
                             picture);
        } catch (const runtime::Error&) {  // import will say why it cannot read it
        }
        rows.push_back(import_row(std::move(there), folder, how, source, picture));
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

}  // namespace orbskin::cli::check
