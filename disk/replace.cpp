// Putting new files under names. Every step that can fail for want of space or rights (writing the
// new files, copying what cannot be moved, choosing the names in originals/) is done before the
// first name changes; the run that follows only renames, and is journalled where it takes more than
// one rename, so that a run cut short anywhere is finished by the next command.
#include "disk/replace.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <optional>
#include <string>

#include "disk/files.h"
#include "picture/decode.h"
#include "runtime/error.h"
#include "runtime/utf8_path.h"

namespace orbskin::disk {

using runtime::Arg;
using runtime::errno_message;
using runtime::Error;
using runtime::FileInfo;
using runtime::FileKind;
using runtime::Message;
using runtime::Os;
using runtime::quoted;
using runtime::throw_io_error;
using Path = std::filesystem::path;

namespace {

// How what a name holds is kept once the new file has taken the name.
enum class Keep { none, move, copy, link };

// One file's way through a run, as the journal records it.
struct Step {
    Path target, temporary;  // the new file waits under `temporary`, and holds the old one after
    Path aside;              // where the old file waits where the platform cannot swap two names
    Path copy;               // the copy made beforehand in originals/, for Keep::copy
    Path kept;               // the name chosen in originals/
    FileInfo judged;
    std::uint64_t device = 0, inode = 0;  // the new file's identity
    Keep keep = Keep::none;
    bool replace = false;   // the name is replaced whatever it holds (a file of ours)
    bool moved_in = false;  // `temporary` is a file of the user's, moved rather than written
    // How far this run took it, to undo it where a later rename fails.
    Path old_at;  // where the old file waits once the name is taken
    bool taken = false, moved = false, copied = false;
};

// Whether `now` is the file judged. A save in place that keeps the modification time (a copy
// that keeps times) shows only in the change time, which a rename of ours changes too: that is
// compared only before the renames, and only where known (a journal does not record it).
bool still_judged(const FileInfo& now, const FileInfo& judged, bool before_renames = false) {
    return now.kind == judged.kind && now.link == judged.link && now.device == judged.device &&
           now.inode == judged.inode && now.size == judged.size &&
           now.modified_ns == judged.modified_ns &&
           (!before_renames || judged.changed_ns == 0 || now.changed_ns == judged.changed_ns);
}

bool is_new_file(Os& os, const Path& name, const Step& step) {
    const FileInfo info = look_up(os, name);
    return info.kind == FileKind::regular && !info.link && info.device == step.device &&
           info.inode == step.inode;
}

bool exists(Os& os, const Path& name) {
    const FileInfo info = look_up(os, name);
    return info.kind != FileKind::missing || info.link;
}

// The first name in `folder` for `stem` and `extension` that nothing holds: stem.ext, stem-2.ext…
Path free_name(Os& os, const Path& folder, const std::string& stem, const std::string& extension,
               int from = 1) {
    for (int n = from;; ++n) {
        const std::string name = n > 1 ? stem + "-" + std::to_string(n) : stem;
        Path candidate = folder / runtime::path_from_utf8(name + extension);
        if (!exists(os, candidate)) return candidate;
    }
}

Path originals_of(const Path& target) {
    return target.parent_path() / "originals";
}

// Moves `from` to `step.kept`, or to the next free name there where another took it meanwhile.
int move_to_kept(Os& os, const Path& from, Step& step) {
    for (int n = 2;; ++n) {
        const int r = os.rename_new(from, step.kept);
        if (r != -EEXIST || n > 1000) return r;
        step.kept = free_name(os, step.kept.parent_path(), runtime::utf8_of(step.kept.stem()),
                              runtime::utf8_of(step.kept.extension()), n);
    }
}

[[noreturn]] void refuse_rename(const Path& target, int r) {
    throw Error(Message("cannot replace {file}: {cause}; nothing was replaced",
                        {{"file", quoted(target)}, {"cause", runtime::errno_message(-r)}}));
}

// What the old file under the name is worth keeping as, decided before any name changes.
void plan_keeping(Os& os, Step& step, std::span<const std::uint8_t> bytes, bool& made_originals) {
    const FileInfo& judged = step.judged;
    if (step.replace || (judged.kind == FileKind::missing && !judged.link)) return;
    if (judged.kind == FileKind::folder || judged.kind == FileKind::other)
        throw Error(Message(
            "{file} is {what}, so nothing was written",
            {{"file", quoted(step.target)}, {"what", Message(not_a_file(os, step.target))}}));
    const std::string own = runtime::utf8_of(step.target.extension());
    std::string extension = own;
    if (judged.kind == FileKind::regular) {
        const std::vector<std::uint8_t> head = read_prefix(os, step.target, bytes.size() + 1);
        if (std::equal(head.begin(), head.end(), bytes.begin(), bytes.end())) return;
        extension = picture::real_extension(head, own);
    }
    const Path folder = originals_of(step.target);
    const FileInfo place = look_up(os, folder);
    if (place.kind == FileKind::missing && place.link)
        throw Error(
            Message("{folder} is a link that leads to nothing", {{"folder", quoted(folder)}}));
    if (place.kind == FileKind::missing) made_originals = true;
    create_folders(os, folder);
    step.kept = free_name(os, folder, runtime::utf8_of(step.target.stem()), extension);
    if (judged.kind == FileKind::missing) {
        step.keep = Keep::link;  // the link itself, which leads nowhere to copy from
    } else if (judged.link || look_up(os, folder).device != judged.device) {
        // A link's file stays where it is, and a file cannot be moved to another disk in one
        // step: either is copied now, while nothing has changed yet.
        step.keep = Keep::copy;
        // As it is now: a change from what was judged is caught when the name is taken.
        std::vector<std::uint8_t> old(static_cast<std::size_t>(judged.size));
        read_exact(os, step.target, old);
        step.copy = write_beside(os, step.kept, old);
    } else {
        step.keep = Keep::move;
    }
}

// Leaves the new file beside the name, under a name that says what it is: "mainnds.new.bmp".
void put_beside(Os& os, Step& step, Put& put) {
    if (step.moved_in) {  // the user's own file stays where it was
        put.beside = step.temporary;
        return;
    }
    const Path folder = step.target.parent_path();
    const std::string stem = runtime::utf8_of(step.target.stem()) + ".new";
    for (int n = 1; n < 1000; ++n) {
        const Path beside =
            free_name(os, folder, stem, runtime::utf8_of(step.target.extension()), n);
        const int r = os.rename_new(step.temporary, beside);
        if (r == -EEXIST) continue;
        put.beside = r < 0 ? step.temporary : beside;
        return;
    }
    put.beside = step.temporary;
}

// Takes the name for the new file; the old one then waits under step.old_at. Gives false where
// the name no longer holds what was judged, with the new file put beside it.
bool take_name(Os& os, Step& step, Put& put) {
    Path& old_at = step.old_at;
    const bool free = step.judged.kind == FileKind::missing && !step.judged.link;
    if (step.replace) {
        if (const int r = os.rename(step.temporary, step.target); r < 0)
            refuse_rename(step.target, r);
        return step.taken = true;
    }
    if (free) {
        const int r = os.rename_new(step.temporary, step.target);
        if (r == -EEXIST) return put_beside(os, step, put), false;
        if (r < 0) refuse_rename(step.target, r);
        return step.taken = true;
    }
    if (!exists(os, step.aside)) {
        if (!still_judged(look_up(os, step.target), step.judged, true))
            return put_beside(os, step, put), false;
        const int r = os.exchange(step.temporary, step.target);
        if (r == 0) {
            old_at = step.temporary;
            step.taken = true;
            if (still_judged(look_up(os, step.temporary), step.judged)) return true;
            // Saved over since it was judged: that save stays under its name.
            if (const int back = os.exchange(step.temporary, step.target); back < 0)
                refuse_rename(step.target, back);
            old_at.clear();
            step.taken = false;
            return put_beside(os, step, put), false;
        }
        if (r == -ENOENT) return put_beside(os, step, put), false;  // removed meanwhile
        if (r != -ENOTSUP) refuse_rename(step.target, r);
        // No swap here: the old file is moved aside first, and the name taken only while free.
        // Moved in one step, as a save may land on the name meanwhile; the aside name is ours.
        if (const int moved = os.rename(step.target, step.aside); moved < 0) {
            if (moved == -ENOENT) return put_beside(os, step, put), false;
            refuse_rename(step.target, moved);
        }
        old_at = step.aside;
        if (!still_judged(look_up(os, step.aside), step.judged)) {
            // Not the one judged: it goes back, or, where yet another took the name, is kept.
            if (os.rename_new(step.aside, step.target) == 0) {
                old_at.clear();
                return put_beside(os, step, put), false;
            }
        }
    }
    old_at = step.aside;
    const int r = os.rename_new(step.temporary, step.target);
    if (r == -EEXIST) return put_beside(os, step, put), false;
    if (r < 0) refuse_rename(step.target, r);
    return step.taken = true;
}

// Keeps the old file waiting under step.old_at as planned. Gives what to remove once the run is
// done.
Path keep_old(Os& os, Step& step, Put& put) {
    const Path& old_at = step.old_at;
    if (old_at.empty() || !exists(os, old_at)) return {};
    switch (step.keep) {
        case Keep::none:
            return old_at;  // these very bytes, or a file of ours: nothing to keep
        case Keep::copy:
            if (exists(os, step.copy)) {
                if (const int r = move_to_kept(os, step.copy, step); r < 0)
                    refuse_rename(step.target, r);
                step.copied = true;
            }
            put.kept = step.judged.link ? Put::Kept::link_target : Put::Kept::file;
            put.kept_as = step.kept;
            return old_at;
        case Keep::move:
        case Keep::link:
            if (const int r = move_to_kept(os, old_at, step); r < 0) refuse_rename(step.target, r);
            step.moved = true;
            put.kept = step.keep == Keep::link ? Put::Kept::dangling_link : Put::Kept::file;
            put.kept_as = step.kept;
            return {};
    }
    return {};
}

// The journal: a line a step, its fields apart by tabs, each name with what a line or a field
// cannot hold written as %XX.
std::string escaped(const Path& name) {
    std::string out;
    for (const char c : runtime::utf8_of(name)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || c == '%' || byte == 0x7F) {
            static constexpr char kDigits[] = "0123456789ABCDEF";
            out += {'%', kDigits[byte >> 4], kDigits[byte & 15]};
        } else {
            out += c;
        }
    }
    return out;
}

Path unescaped(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return runtime::path_from_utf8(out);
}

constexpr std::string_view kJournalHead = "orbskin journal 1\n";
constexpr std::string_view kProcessLine = "process ";  // the run's, on the second line

std::string journal_text(std::span<const Step> steps, std::int64_t process) {
    std::string text =
        std::string(kJournalHead) + std::string(kProcessLine) + std::to_string(process) + '\n';
    for (const Step& s : steps) {
        const FileInfo& j = s.judged;
        for (const Path* name : {&s.target, &s.temporary, &s.aside, &s.copy, &s.kept})
            text += (name->empty() ? std::string("-") : escaped(name->filename())) + '\t';
        for (const std::uint64_t n :
             {std::uint64_t(s.keep) | (s.moved_in ? 4 : 0), std::uint64_t(s.replace), s.device,
              s.inode, std::uint64_t(j.kind), std::uint64_t(j.link), j.device, j.inode, j.size,
              std::uint64_t(j.modified_ns)})
            text += std::to_string(n) + '\t';
        text.back() = '\n';
    }
    return text;
}

std::optional<std::vector<Step>> parse_journal(const std::string& text, const Path& folder) {
    if (!text.starts_with(kJournalHead)) return std::nullopt;
    std::vector<Step> steps;
    std::size_t at = kJournalHead.size();
    if (text.substr(at).starts_with(kProcessLine)) at = text.find('\n', at) + 1;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        if (end == std::string::npos) return std::nullopt;
        std::vector<std::string> fields;
        for (std::size_t from = at; from <= end;) {
            std::size_t stop = text.find('\t', from);
            if (stop == std::string::npos || stop > end) stop = end;
            fields.push_back(text.substr(from, stop - from));
            from = stop + 1;
        }
        at = end + 1;
        if (fields.size() != 15) return std::nullopt;
        Step s;
        Path* names[] = {&s.target, &s.temporary, &s.aside, &s.copy, &s.kept};
        std::uint64_t n[10];
        try {  // a journal someone edited is refused in our words, not as an unexpected failure
            for (std::size_t i = 0; i < 5; ++i)
                if (fields[i] != "-")
                    *names[i] = (i >= 3 ? folder / "originals" : folder) / unescaped(fields[i]);
            for (std::size_t i = 0; i < 10; ++i)
                n[i] = std::stoull(fields[5 + i]);
        } catch (const std::exception&) {
            return std::nullopt;
        }
        s.keep = static_cast<Keep>(n[0] & 3);
        s.moved_in = (n[0] & 4) != 0;
        s.replace = n[1] != 0;
        s.device = n[2], s.inode = n[3];
        s.judged.kind = static_cast<FileKind>(n[4] & 3);
        s.judged.link = n[5] != 0;
        s.judged.device = n[6], s.judged.inode = n[7], s.judged.size = n[8];
        s.judged.modified_ns = static_cast<std::int64_t>(n[9]);
        steps.push_back(std::move(s));
    }
    return steps;
}

// Runs the steps from wherever a run before left them, adding each step's outcome to `puts` and
// what is left to remove to `leftovers`.
void run_steps(Os& os, std::vector<Step>& steps, std::vector<Path>& leftovers,
               std::vector<Put>& puts) {
    for (Step& step : steps) {
        Put& put = puts.emplace_back();
        put.target = step.target;
        if (!is_new_file(os, step.target, step)) {
            if (!is_new_file(os, step.temporary, step)) {
                // Left beside it by a run before, or gone: nothing more to do.
                leftovers.push_back(step.copy);
                continue;
            }
            if (!take_name(os, step, put)) {
                leftovers.push_back(step.copy);
                // The old file that went aside before the name was taken is kept all the same.
                if (step.old_at.empty() || !exists(os, step.old_at)) continue;
            }
        } else {
            step.old_at = exists(os, step.temporary) ? step.temporary : step.aside;
        }
        if (Path remove = keep_old(os, step, put); !remove.empty())
            leftovers.push_back(std::move(remove));
    }
}

// Puts back, in reverse, what the steps of a run that failed had done: every name holds again what
// it held, and the new files wait under their temporary names, to be removed.
void undo_run(Os& os, std::span<Step> steps, std::span<const Put> puts) {
    for (std::size_t i = steps.size(); i-- > 0;) {
        Step& step = steps[i];
        if (step.copied) os.rename_new(step.kept, step.copy);
        if (step.moved) os.rename_new(step.kept, step.old_at);
        if (step.taken && step.old_at == step.temporary) {
            os.exchange(step.temporary, step.target);
        } else if (step.taken && step.old_at == step.aside) {
            os.rename(step.aside, step.target);
        } else if (step.taken && !step.replace) {
            os.rename(step.target, step.temporary);
        } else if (!step.taken && step.old_at == step.aside && !step.old_at.empty()) {
            os.rename_new(step.aside, step.target);
        }
        if (i < puts.size() && !puts[i].beside.empty()) os.remove(puts[i].beside);
    }
}

void remove_all(Os& os, std::span<const Path> names) {
    for (const Path& name : names)
        if (!name.empty()) os.remove(name);
}

// The process that wrote a journal; 0 where it does not say.
std::int64_t journal_process(const std::string& text) {
    const std::size_t at = kJournalHead.size() + kProcessLine.size();
    if (!text.starts_with(std::string(kJournalHead) + std::string(kProcessLine))) return 0;
    try {
        return std::stoll(text.substr(at, text.find('\n', at) - at));
    } catch (const std::exception&) {
        return 0;
    }
}

[[noreturn]] void refuse_another_run(const Path& folder) {
    throw Error(Message("another run is replacing files in {folder}; let it finish, then run again",
                        {{"folder", quoted(folder.empty() ? Path(".") : folder)}}));
}

// How long ago a file last changed, in nanoseconds.
std::int64_t age_ns(const FileInfo& info) {
    const std::int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
    return now - info.modified_ns;
}

// Files of ours older than this are left by a run that ended: no run takes so long.
constexpr std::int64_t kRunAtMost = std::int64_t{60} * 1'000'000'000;

std::string read_journal(Os& os, const Path& journal) {
    const std::vector<std::uint8_t> bytes = read_prefix(os, journal, 1 << 20);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

namespace {

void sync_folder_of(Os& os, const Path& target) {
    const Path folder = target.parent_path().empty() ? Path(".") : target.parent_path();
    if (const int r = os.sync_folder(folder); r < 0)
        throw Error(Message(
            "{file} was written, but its folder {folder} could not be synced, so "
            "the new file may not survive a power loss: {cause}",
            {{"file", quoted(target)}, {"folder", quoted(folder)}, {"cause", errno_message(-r)}}));
}

}  // namespace

std::vector<Put> put_files(Os& os, std::span<const NewFile> files) {
    if (files.empty()) return {};
    if (files.size() == 1 && !files.front().keep) {
        // A file of ours alone: one rename, which is done or not, so nothing to journal. A stop
        // waits for the new file to be written, and then leaves the old one.
        const Path& target = files.front().target;
        const runtime::HeldStops held(os);
        const Path temporary = write_beside(os, target, files.front().bytes);
        const bool stopped = os.stop_requested() != 0;
        const int r = stopped ? 0 : os.rename(temporary, target);
        if (stopped || r < 0) os.remove(temporary);
        if (stopped) throw Error(Message("stopped as asked; nothing was replaced"));
        if (r < 0) throw_io_error("replace", target, -r);
        sync_folder_of(os, target);
        Put put;
        put.target = target;
        return {put};
    }
    const Path folder = files.front().target.parent_path();
    const Path journal = folder / kJournalName;
    const runtime::HeldStops held(os);
    std::vector<Step> steps(files.size());
    bool made_originals = false;
    // Removes what this run made, and only that: a temporary name that holds another file after
    // a swap that could not be undone is left as it is.
    const auto undo = [&] {
        for (const Step& step : steps) {
            if (!step.copy.empty()) os.remove(step.copy);
            try {
                if (!step.temporary.empty() && !step.moved_in &&
                    is_new_file(os, step.temporary, step))
                    os.remove(step.temporary);
            } catch (const std::exception&) {
            }
        }
        if (made_originals) os.remove(originals_of(files.front().target));
    };
    try {
        for (std::size_t i = 0; i < files.size(); ++i) {
            Step& step = steps[i];
            step.target = files[i].target;
            step.judged = files[i].judged;
            step.replace = !files[i].keep;
            plan_keeping(os, step, files[i].bytes, made_originals);
            step.moved_in = !files[i].from.empty();
            step.temporary =
                step.moved_in ? files[i].from : write_beside(os, step.target, files[i].bytes);
            Path aside = step.temporary;
            step.aside = aside += "-old";
            const FileInfo written = look_up(os, step.temporary);
            step.device = written.device, step.inode = written.inode;
            if (os.stop_requested()) throw Error(Message("stopped as asked; nothing was replaced"));
        }
    } catch (...) {
        undo();
        throw;
    }
    // One rename needs no journal: it is done or not.
    const bool journalled =
        steps.size() > 1 || steps.front().keep != Keep::none ||
        (!steps.front().replace && steps.front().judged.kind != FileKind::missing);
    if (journalled) {
        try {
            const std::string text = journal_text(steps, os.process_id());
            const Path written = write_beside(
                os, journal,
                std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
            if (const int r = os.rename_new(written, journal); r < 0) {
                os.remove(written);
                if (r == -EEXIST) refuse_another_run(folder);
                refuse_rename(journal, r);
            }
        } catch (...) {
            undo();
            throw;
        }
    }
    std::vector<Path> leftovers;
    std::vector<Put> puts;
    try {
        run_steps(os, steps, leftovers, puts);
    } catch (...) {
        undo_run(os, steps, puts);
        undo();
        // Where a name could not be given back, the journal stays, so that the next command
        // finishes the run instead.
        bool given_back = true;
        try {
            for (const Step& step : steps)
                given_back = given_back && (step.replace || !is_new_file(os, step.target, step));
        } catch (const std::exception&) {
            given_back = false;
        }
        if (journalled && given_back) os.remove(journal);
        throw;
    }
    remove_all(os, leftovers);
    if (journalled) os.remove(journal);
    sync_folder_of(os, files.front().target);
    return puts;
}

void replace_file_through_link(Os& os, const std::filesystem::path& target,
                               std::span<const std::uint8_t> bytes) {
    const auto put_skin = [&](const Path& file) {
        (void)put_files(os, std::array{NewFile{file, bytes, {}, false}});
    };
    // Renaming over a device or a FIFO would destroy it (as root, /dev/null itself); a folder is
    // refused here too, in the same words everywhere (Windows calls it a denied access), and a
    // link to nothing below.
    FileInfo info;
    const int r = os.stat(target, info);
    if (r == -ELOOP ||
        (r == 0 && (info.kind == FileKind::other || info.kind == FileKind::folder))) {
        const Arg file("file", quoted(target)), what("what", Message(not_a_file(os, target)));
        if (info.link && r == 0)
            throw Error(Message("{file} leads to {what}, so nothing was written", {file, what}));
        throw Error(Message("{file} is {what}, so nothing was written", {file, what}));
    }
    if (r < 0 && r != -ENOENT && r != -ENOTDIR) throw_io_error("look up", target, -r);
    if (!info.link) return put_skin(target);
    std::filesystem::path resolved;
    if (const int r = os.resolve_link(target, resolved); r < 0) {
        throw Error(
            Message("{file} is a link that leads to no file ({cause}), so nothing was written",
                    {{"file", quoted(target)}, {"cause", errno_message(-r)}}));
    }
    put_skin(resolved);
}

namespace {

// Whether `name` is one of the new files write_beside() makes ("mainnds.bmp.tmp-3f2a…"), not the
// old file a swap leaves under such a name ("…-old"), which a journal always accounts for.
bool is_our_temporary(const std::string& name) {
    const std::size_t at = name.rfind(".tmp-");
    return at != std::string::npos && at > 0 && name.size() > at + 5 &&
           name.find_first_not_of("0123456789abcdef", at + 5) == std::string::npos;
}

// Removes the new files a run killed before its renames began left behind, once they are old
// enough that no run beside this one can still be writing them.
void remove_leftovers(Os& os, const Path& folder) {
    std::vector<Path> names;
    if (os.list_folder(folder.empty() ? Path(".") : folder, names) < 0) return;
    for (const Path& name : names) {
        if (!is_our_temporary(runtime::utf8_of(name))) continue;
        const FileInfo info = look_up(os, folder / name);
        if (info.kind == FileKind::regular && !info.link && age_ns(info) > kRunAtMost)
            os.remove(folder / name);
    }
}

}  // namespace

std::vector<Put> finish_interrupted(Os& os, const Path& folder, bool tidy) {
    const Path journal = folder / kJournalName;
    const FileInfo journal_info = look_up(os, journal);
    if (journal_info.kind != FileKind::regular) {
        if (tidy) {
            remove_leftovers(os, folder);
            if (look_up(os, originals_of(journal)).kind == FileKind::folder)
                remove_leftovers(os, originals_of(journal));
        }
        return {};
    }
    const std::string text = read_journal(os, journal);
    // A run under way is left to finish: only one cut short is finished here.
    if (os.is_running(journal_process(text)) && age_ns(journal_info) < kRunAtMost)
        refuse_another_run(folder);
    std::optional<std::vector<Step>> steps = parse_journal(text, folder);
    if (!steps)
        throw Error(Message("{file} is not a journal of ours; remove it, then run again",
                            {{"file", quoted(journal)}}));
    const runtime::HeldStops held(os);
    std::vector<Path> leftovers;
    std::vector<Put> puts;
    run_steps(os, *steps, leftovers, puts);
    remove_all(os, leftovers);
    os.remove(journal);
    return puts;
}

}  // namespace orbskin::disk
