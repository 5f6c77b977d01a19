// Putting new files under names, as every command does: each rule held through every kind of
// entry a name may hold, a save landing beside the run, a failure, a stop or a kill at each step.
#include "disk/replace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <map>
#include <set>
#include <string>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "disk/files.h"
#include "runtime/error.h"
#include "tests/support/injecting_os.h"
#include "tests/support/temp_folder.h"

namespace orbskin::disk {
namespace {

namespace fs = std::filesystem;
using test::Bytes, test::bytes_of;

// Every entry under the folder: a file as its bytes, a link as where it leads.
using Tree = std::map<std::string, std::string>;
Tree tree_of(const fs::path& folder) {
    Tree tree;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().lexically_relative(folder).generic_string();
        if (entry.is_symlink())
            tree[name] = "-> " + fs::read_symlink(entry.path()).string();
        else if (entry.is_regular_file()) {
            const Bytes bytes = test::read_file(entry.path());
            tree[name] = std::string(bytes.begin(), bytes.end());
        }
    }
    return tree;
}

// A folder that holds every kind of entry a name may hold, the new files for it, and the folder
// as it must be once they are put.
class put_files_run : public testing::Test {
  public:
    void SetUp() override {
        test::write_file(folder / "mainnds.bmp", bytes_of("BM old main"));
        test::write_file(folder / "music.bmp", bytes_of("%PDF-1.4 a document"));
        test::write_file(folder / "image.bmp", bytes_of("new image"));  // already as written
        fs::create_directory(folder / "cards");
        test::write_file(folder / "cards/real.bmp", bytes_of("BM behind a link"));
#ifndef _WIN32  // where a program may make links
        fs::create_symlink("card/gone.bmp", folder / "game.bmp");
        fs::create_symlink("cards/real.bmp", folder / "dir.bmp");
        kept["game.bmp"] = {Put::Kept::dangling_link, "originals/game.bmp"};
        kept["dir.bmp"] = {Put::Kept::link_target, "originals/dir.bmp"};
#endif
        for (const char* name :
             {"mainnds.bmp", "listnds.bmp", "music.bmp", "image.bmp", "game.bmp", "dir.bmp"}) {
            contents.push_back(bytes_of(std::string("new ") + fs::path(name).stem().string()));
            files.push_back({folder / name, contents.back(), look_up(system_os(), folder / name)});
        }
        before = tree_of(folder.path());
        after = before;
        for (const NewFile& file : files)
            after[file.target.filename().string()] =
                std::string(file.bytes.begin(), file.bytes.end());
#ifndef _WIN32  // where two names may differ only in case: one moved under the other
        test::write_file(folder / "MUSICNDS.BMP", bytes_of("BM moved in"));
        files.push_back({folder / "musicnds.bmp", {}, {}, true, folder / "MUSICNDS.BMP"});
        after["musicnds.bmp"] = "BM moved in";
        before["MUSICNDS.BMP"] = "BM moved in";
#endif
        kept["mainnds.bmp"] = {Put::Kept::file, "originals/mainnds.bmp"};
        kept["music.bmp"] = {Put::Kept::file, "originals/music.pdf"};
        for (const auto& [name, how] : kept)  // what was there; for a link's target, its bytes
            after[how.second] = before.at(name == "dir.bmp" ? "cards/real.bmp" : name);
    }

    // A copy of the folder, and the new files for it.
    std::vector<NewFile> copy_into(const test::TempFolder& copy) const {
        // Entry by entry: MinGW's copy of a whole folder refuses one that exists.
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder.path())) {
            const fs::path to = copy / entry.path().lexically_relative(folder.path()).string();
            if (entry.is_symlink())
                fs::copy_symlink(entry.path(), to);
            else if (entry.is_directory())
                fs::create_directories(to);
            else
                fs::copy_file(entry.path(), to);
        }
        std::vector<NewFile> here = files;
        for (NewFile& file : here) {
            file.target = copy / file.target.filename().string();
            if (!file.from.empty()) file.from = copy / file.from.filename().string();
            file.judged = look_up(system_os(), file.target);
        }
        return here;
    }
    // The folder as the next command finds it, any run cut short finished: what a kill left under
    // temporary names is set apart where nothing of the user's is only there.
    Tree settled(const test::TempFolder& copy) const {
        (void)finish_interrupted(system_os(), copy.path());
        Tree now = tree_of(copy.path());
        const auto temporary = [](const std::string& name) {
            return name.find(".tmp-") != std::string::npos;
        };
        std::set<std::string> elsewhere;
        for (const auto& [name, value] : now)
            if (!temporary(name)) elsewhere.insert(value);
        std::set<std::string> users;
        for (const auto& [name, value] : before)
            users.insert(value);
        // A link left so leads to a file that is itself still there.
        const auto leads_on = [&](const std::string& name) {
            return fs::is_symlink(copy / name) && fs::exists(copy / name);
        };
        std::erase_if(now, [&](const auto& entry) {
            return temporary(entry.first) &&
                   (!users.contains(entry.second) || elsewhere.contains(entry.second) ||
                    leads_on(entry.first));
        });
        return now;
    }

    test::TempFolder folder;
    std::deque<Bytes> contents;  // the spans below point into it
    std::vector<NewFile> files;
    Tree before, after;
    std::map<std::string, std::pair<Put::Kept, std::string>> kept;  // by name: how, and as what
};

TEST_F(put_files_run, keeps_each_kind_of_entry_under_its_real_kind) {
    const std::vector<Put> puts = put_files(system_os(), files);
    EXPECT_EQ(tree_of(folder.path()), after);
    ASSERT_EQ(puts.size(), files.size());
    for (const Put& put : puts) {
        const auto how = kept.find(put.target.filename().string());
        const std::pair<Put::Kept, std::string> expected =
            how == kept.end() ? std::pair(Put::Kept::nothing, std::string()) : how->second;
        EXPECT_EQ(put.kept, expected.first) << put.target;
        EXPECT_EQ(put.kept_as.lexically_relative(folder.path()).generic_string(), expected.second);
        EXPECT_TRUE(put.beside.empty());
    }
}

// A failure, a kill or Ctrl+C at any call, with the platform's swap or without it, leaves the
// folder as it was or as it must be, once the next command has opened it; a kill once the renames
// have begun, and a run that fails nowhere, leave it as it must be.
enum class Cut { failure, kill, stop };
class cut_short : public put_files_run, public testing::WithParamInterface<Cut> {};

TEST_P(cut_short, at_any_step_leaves_the_folder_as_it_was_or_as_it_must_be) {
    for (const bool swaps : {true, false}) {
        for (std::size_t call = 1;; ++call) {
            SCOPED_TRACE(testing::Message() << "swaps " << swaps << ", call " << call);
            test::TempFolder copy;
            const std::vector<NewFile> here = copy_into(copy);
            test::InjectingOs os;
            if (!swaps) os.fail_nth("exchange", 0, ENOTSUP);
            if (GetParam() == Cut::failure) os.fail_call(call, EIO);
            if (GetParam() == Cut::kill) os.die_at(call);
            if (GetParam() == Cut::stop) os.stop_at(call);
            const std::string failure = test::refusal([&] { return put_files(os, here); });
            const bool journalled = fs::exists(copy / std::string(kJournalName));
            const Tree now = settled(copy);
            if (failure.empty() || (GetParam() == Cut::kill && journalled))
                EXPECT_EQ(now, after);
            else
                EXPECT_TRUE(now == before || now == after) << failure;
            if (GetParam() == Cut::stop && !failure.empty()) {
                EXPECT_EQ(failure, "stopped as asked; nothing was replaced");
                EXPECT_EQ(now, before);
            }
            if (call > os.calls().size()) break;  // the run made fewer calls: all were tried
        }
    }
}

INSTANTIATE_TEST_SUITE_P(each, cut_short, testing::Values(Cut::failure, Cut::kill, Cut::stop));

// The skin alone, replaced whatever it is: Ctrl+C while it is written leaves the old skin, and
// nothing beside it; after the swap, the new one.
TEST(put_files, a_stopped_skin_is_the_old_one_and_nothing_beside) {
    bool stopped = false;
    for (std::size_t call = 1;; ++call) {
        test::TempFolder folder;
        test::write_file(folder / "ORBSKIN.000", bytes_of("old skin"));
        const std::vector<std::uint8_t> skin = bytes_of("new skin");
        const NewFile file{folder / "ORBSKIN.000", skin,
                           look_up(system_os(), folder / "ORBSKIN.000"), false};
        test::InjectingOs os;
        os.stop_at(call);
        const std::string failure =
            test::refusal([&] { return put_files(os, std::span(&file, 1)); });
        stopped |= failure == "stopped as asked; nothing was replaced";
        EXPECT_EQ(tree_of(folder.path()),
                  Tree({{"ORBSKIN.000", failure.empty() ? "new skin" : "old skin"}}))
            << call << ": " << failure;
        if (call > os.calls().size()) break;
    }
    EXPECT_TRUE(stopped);
}

// What another program does to a name while the run works; the name keeps what it did, and the
// new file goes beside it.
struct Meanwhile {
    const char* name;
    const char* file;   // the name it saves under
    const char* calls;  // at the first call of this kind on that name, or its new file's
    bool on_new_file;
    bool rename_save;         // saved by writing another file and renaming it over the name
    bool keeps_time = false;  // saved in place at the same length, its modification time kept
};
constexpr Meanwhile kMeanwhile[] = {
    {"an_editor_saves_in_place_before_the_swap", "mainnds.bmp", "exchange", true, false},
    {"an_editor_saves_by_rename_before_the_swap", "mainnds.bmp", "exchange", true, true},
    {"a_file_appears_under_a_free_name", "listnds.bmp", "rename_new", true, false},
    {"an_editor_saves_before_the_old_goes_aside", "mainnds.bmp", "rename", false, true},
    {"a_copy_that_keeps_times_lands_in_place", "mainnds.bmp", "stat", false, false, true},
};

class saved_meanwhile : public put_files_run, public testing::WithParamInterface<Meanwhile> {};

TEST_P(saved_meanwhile, is_never_lost) {
    const Meanwhile& m = GetParam();
    bool ever_saved = false;  // on one path at least: a run that no longer makes the call fails
    for (const bool swaps : {true, false}) {
        SCOPED_TRACE(swaps ? "swaps" : "moves aside");
        test::TempFolder copy;
        const std::vector<NewFile> here = copy_into(copy);
        test::InjectingOs os;
        if (!swaps) os.fail_nth("exchange", 0, ENOTSUP);
        const auto fail_exchange = os.before;
        bool saved = false;
        const fs::path target = copy / m.file;
        const std::string stem = fs::path(m.file).stem().string();
        // Of the old file's length where nothing else may tell it.
        const std::string save = m.keeps_time ? "BM its save" : "the user's save";
        os.before = [&](const test::InjectingOs::Call& call) {
            if (fail_exchange) fail_exchange(call);
            if (saved || call.operation != m.calls) return;
            if (m.on_new_file ? !call.path.starts_with(target.string() + ".tmp-")
                              : call.path != target.string())
                return;
            saved = true;
            const auto time = m.keeps_time ? fs::last_write_time(target) : fs::file_time_type();
            if (m.rename_save) {
                test::write_file(copy / "saving", bytes_of(save));
                fs::rename(copy / "saving", target);
            } else {
                test::write_file(target, bytes_of(save));
            }
            if (m.keeps_time) fs::last_write_time(target, time);
        };
        const std::vector<Put> puts = put_files(os, here);
        if (!saved) continue;  // that path makes no such call
        ever_saved = true;
        Tree now = tree_of(copy.path());
        EXPECT_EQ(now[m.file], save);
        const auto put = std::find_if(puts.begin(), puts.end(),
                                      [&](const Put& p) { return p.target == target; });
        ASSERT_NE(put, puts.end());
        ASSERT_FALSE(put->beside.empty());
        EXPECT_EQ(now[put->beside.filename().string()], "new " + stem);
        // Everything else as it must be: what was judged is kept, and no other byte is lost.
        for (const auto& [name, bytes] : after)
            if (name != m.file && !name.starts_with("originals/" + stem)) {
                EXPECT_EQ(now[name], bytes) << name;
            }
    }
    EXPECT_TRUE(ever_saved);
}

INSTANTIATE_TEST_SUITE_P(each, saved_meanwhile, testing::ValuesIn(kMeanwhile),
                         [](const auto& info) { return std::string(info.param.name); });

#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
// A journal whose run is still under way (another process, alive) is left to it; once that run
// is gone, the next command finishes it.
TEST_F(put_files_run, leaves_a_run_under_way_to_its_process) {
    test::TempFolder copy;
    const std::vector<NewFile> here = copy_into(copy);
    test::InjectingOs os;
    std::size_t journalled = 0;  // the call after the journal is in place: the kill
    os.before = [&](const test::InjectingOs::Call& call) {
        if (call.operation == "rename_new" &&
            call.path.find(".orbskin-journal") != std::string::npos)
            os.die_at(os.calls().size() + 1), journalled = os.calls().size();
    };
    EXPECT_THROW((void)put_files(os, here), std::exception);
    ASSERT_NE(journalled, 0u);
    const fs::path journal = copy / ".orbskin-journal";
    const Bytes written = test::read_file(journal);
    std::string text(written.begin(), written.end());
    const std::string own = "process " + std::to_string(::getpid()) + "\n";
    ASSERT_NE(text.find(own), std::string::npos);
    text.replace(text.find(own), own.size(), "process " + std::to_string(::getppid()) + "\n");
    test::write_file(journal, bytes_of(text));
    const Tree cut = tree_of(copy.path());
    EXPECT_THROW((void)finish_interrupted(system_os(), copy.path()), runtime::Error);
    EXPECT_EQ(tree_of(copy.path()), cut);
    test::write_file(journal, written);  // its process gone
    (void)finish_interrupted(system_os(), copy.path());
    EXPECT_FALSE(fs::exists(journal));
}
#endif

// What a run killed before its renames left: only its own new files, and only once old enough that
// no run beside could still be writing them.
TEST(finish_interrupted, removes_only_old_new_files_of_a_killed_run) {
#ifdef __EMSCRIPTEN__
    GTEST_SKIP() << "node's file system under WebAssembly keeps no time set on a file";
#endif
    test::TempFolder folder;
    const auto an_hour_ago = fs::file_time_type::clock::now() - std::chrono::hours(1);
    const std::pair<const char*, bool> entries[] = {
        {"mainnds.bmp.tmp-3f2a9c", true},   {"originals/dir.bmp.tmp-77", true},
        {".orbskin-journal.tmp-abc", true}, {"mainnds.bmp.tmp-3f2a9c-old", false},
        {"notes.tmp-draft", false},         {"mainnds.bmp", false},
    };
    fs::create_directory(folder / "originals");
    for (const auto& [name, removed] : entries) {
        test::write_file(folder / name, bytes_of("x"));
        fs::last_write_time(folder / name, an_hour_ago);
    }
    test::write_file(folder / "game.bmp.tmp-5e", bytes_of("being written beside"));
    EXPECT_TRUE(finish_interrupted(system_os(), folder.path()).empty());
    for (const auto& [name, removed] : entries)
        EXPECT_EQ(fs::exists(folder / name), !removed) << name;
    EXPECT_TRUE(fs::exists(folder / "game.bmp.tmp-5e"));
}

}  // namespace
}  // namespace orbskin::disk
