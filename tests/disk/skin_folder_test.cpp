// The generate command: the order of the checks and their one message, and that a failed run of
// any kind leaves the old skin exactly as it was (the skin byte for byte: cli_test's round trip).
#include "disk/skin_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <map>
#include <thread>
#include <tuple>

#include "disk/files.h"
#include "runtime/error.h"
#include "runtime/os.h"
#include "tests/support/injecting_os.h"
#include "tests/support/temp_folder.h"

namespace orbskin::disk {
namespace {

using namespace skin;
using test::Bytes;

class generate_run : public testing::Test {
  public:
    void SetUp() override { test::write_pictures(folder.path()); }
    void put_old_skin() { test::write_file(folder / "ORBSKIN.000", old_skin); }
    void resize(std::string_view name, std::ptrdiff_t by) {
        Bytes bytes = test::read_file(folder / name);
        bytes.resize(static_cast<std::size_t>(static_cast<std::ptrdiff_t>(bytes.size()) + by), 0);
        test::write_file(folder / name, bytes);
    }
    // What the run was refused with; empty when it ran through.
    std::string failure(const SkinSettings& settings, runtime::Os& os) {
        return test::refusal([&] { return generate(os, folder.path(), settings); });
    }
    // Nothing but the pictures and the old skin, unchanged.
    void expect_disk_unchanged() {
        EXPECT_EQ(test::read_file(folder / "ORBSKIN.000"), old_skin);
        EXPECT_EQ(folder.names().size(), kPictures.size() + 1);
    }

    test::TempFolder folder;
    const Bytes old_skin = Bytes(500000, 0x5A);  // longer than any new skin
};

TEST_F(generate_run, shows_only_the_first_failed_check_and_touches_nothing) {
    const auto wrong = [](std::string name, const char* size) {
        return name + " file length is wrong! It mast a " + size + " 24bit color BMP format file";
    };
    // Pictures to take away (a folder put in the place of one ending in "/"), one to resize by
    // some bytes; the message.
    const std::tuple<std::vector<std::string>, std::string, int, std::string> cases[] = {
        {{"mainnds.bmp", "listnds.bmp", "updir.bmp"}, "", 0, "mainnds.bmp not found!"},
        {{"listnds.bmp"}, "mainnds.bmp", 1, wrong("mainnds.bmp", "256*192")},
        {{"updir.bmp"}, "", 0, "updir.bmp not found!"},
        {{}, "ebooknds.bmp", -1, wrong("ebooknds.bmp", "256*192")},
        {{}, "musicnds.bmp", 84, wrong("musicnds.bmp", "256*192")},
        {{}, "option.bmp", 1, wrong("option.bmp", "64*64")},
        {{}, "dir.bmp", -822, wrong("dir.bmp", "16*16")},
        {{"dir.bmp/"}, "", 0, "dir.bmp not found!"},
    };
    for (const auto& [removed, resized, by, message] : cases) {
        std::filesystem::remove_all(folder / "dir.bmp");
        test::write_pictures(folder.path());
        put_old_skin();
        for (const std::string& name : removed) {
            std::filesystem::remove(folder / name.substr(0, name.find('/')));
            if (name.ends_with('/')) std::filesystem::create_directory(folder / name);
        }
        if (!resized.empty()) resize(resized, by);
        SkinSettings settings = SkinSettings::starting();
        settings.texts[0] = "x";  // the checks come before the fields
        const Outcome outcome = generate(disk::system_os(), folder.path(), settings);
        EXPECT_EQ(std::pair(outcome.finished, outcome.message), std::pair(false, message));
        ASSERT_TRUE(outcome.picture);  // the one the message names, for a front end to point at
        EXPECT_TRUE(message.starts_with(skin::kPictures.at(*outcome.picture).name));
        EXPECT_EQ(test::read_file(folder / "ORBSKIN.000"), old_skin);
    }
}

// A bad field, or a picture an editor is still saving between the check and the read, stops the
// run before the disk changes. (The field's own messages are the settings block's.)
TEST_F(generate_run, stops_at_a_bad_field_or_a_changing_picture_and_touches_nothing) {
    const std::tuple<std::string, std::string, int, std::string> cases[] = {
        {"256", "", 0, "\"256\" is not a number from 0 to 255"},
        {"58", "music.bmp", 1, "music.bmp\" changed while it was being read"},
        {"58", "dir.bmp", -3, "dir.bmp\" changed while it was being read"},
    };
    for (const auto& [field, name, by, said] : cases) {
        test::write_pictures(folder.path());
        put_old_skin();
        SkinSettings settings = SkinSettings::starting();
        settings.texts[24] = field;
        test::InjectingOs os;
        os.before = [&, name = name, by = by](const test::InjectingOs::Call& call) {
            if (!name.empty() && call.operation == "open_read" && call.path.ends_with(name))
                resize(name, by);
        };
        EXPECT_NE(failure(settings, os).find(said), std::string::npos) << said;
        expect_disk_unchanged();
    }
}

class torn_picture : public generate_run {
  public:
    void SetUp() override {
#ifdef __EMSCRIPTEN__
        // Its file system reports no change time or identity, nor runs a second writer here.
        GTEST_SKIP() << "needs file identity and threads";
#endif
        generate_run::SetUp();
        versions[0] = test::read_file(folder / "mainnds.bmp");
        versions[1] = versions[0];
        for (std::size_t k = kBmpHeaderLength; k < versions[1].size(); ++k)
            versions[1][k] = static_cast<std::uint8_t>(~versions[1][k]);
        for (int v = 0; v < 2; ++v) {
            test::write_file(folder / "mainnds.bmp", versions[v]);
            ASSERT_TRUE(generate(system_os(), folder.path(), SkinSettings::starting()).finished);
            sections[v] = main_section();
        }
    }
    // Writes bytes [from, to) of a version over the picture, in place, as an editor saves.
    void save(int version, std::size_t from, std::size_t to) {
        std::fstream file(folder / "mainnds.bmp", std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(static_cast<std::streamoff>(from));
        file.write(reinterpret_cast<const char*>(versions[version].data() + from),
                   static_cast<std::streamsize>(to - from));
    }
    [[nodiscard]] Bytes main_section() const {
        Bytes skin = test::read_file(folder / "ORBSKIN.000");
        skin.resize(256 * 192 * 2);
        return skin;
    }
    Bytes versions[2], sections[2];
};

// An editor is half-way through saving mainnds.bmp in place when the run reads it: the run reads
// it again once the save is done, and packs the new version whole.
TEST_F(torn_picture, is_read_again_once_the_save_is_done) {
    const std::size_t half = versions[0].size() / 2;
    // Which call of which operation the first half is written before, and which the rest: while
    // it is read, between the look-ups around the read, or the rest only after a whole read that
    // no look-up saw change (told by the picture's recent change time). First 0: emptied as the
    // save began, the first half is there before the run, and the check waits for the rest.
    const std::tuple<const char*, int, int> saves[] = {
        {"read", 1, 2}, {"stat", 2, 3}, {"stat", 2, 4}, {"stat", 0, 3}};
    for (const auto& [operation, first, rest] : saves) {
        test::write_file(
            folder / "mainnds.bmp",
            first ? versions[0] : Bytes(versions[1].begin(), versions[1].begin() + half));
        test::InjectingOs os;
        int seen = 0;
        os.before = [&, operation = std::string(operation), first = first,
                     rest = rest](const test::InjectingOs::Call& call) {
            if (call.operation != operation || !call.path.ends_with("mainnds.bmp")) return;
            if (++seen == first) save(1, 0, half);
            if (seen == rest) save(1, half, versions[1].size());
        };
        ASSERT_TRUE(generate(os, folder.path(), SkinSettings::starting()).finished) << operation;
        EXPECT_EQ(main_section(), sections[1]) << operation;
    }
}

// The same editor saves again and again, with no pause, beside a loop of runs: every skin written
// holds one whole version, and a run that met only changing versions says so, naming the
// picture, and keeps the old skin.
TEST_F(torn_picture, that_keeps_changing_stops_the_run) {
    std::atomic<bool> stop = false;
    std::thread editor([&] {
        for (int n = 0; !stop; ++n)
            for (std::size_t at = 0; at < versions[0].size(); at += 4096)
                save(n % 2, at, std::min(at + 4096, versions[0].size()));
    });
    for (int run = 0; run < 2; ++run) {
        put_old_skin();
        try {
            ASSERT_TRUE(generate(system_os(), folder.path(), SkinSettings::starting()).finished);
            const Bytes section = main_section();
            EXPECT_TRUE(section == sections[0] || section == sections[1]) << "run " << run;
        } catch (const runtime::Error& error) {
            EXPECT_TRUE(
                std::string(error.what()).starts_with("mainnds.bmp changed while it was read"))
                << error.what();
            EXPECT_EQ(test::read_file(folder / "ORBSKIN.000"), old_skin);
        }
    }
    stop = true;
    editor.join();
}

// Every file operation of a run fails in turn. Whatever fails, the message names the picture or
// ORBSKIN.000 (never the temporary file), the operation and the cause, and the old skin stays
// whole (or, once renamed into place, the new one is whole).
TEST_F(generate_run, never_leaves_a_partial_skin_whichever_operation_fails) {
    std::this_thread::sleep_for(kSettle + std::chrono::milliseconds(50));  // each read once
    test::InjectingOs counting;
    ASSERT_TRUE(generate(counting, folder.path(), SkinSettings::starting()).finished);
    const std::vector<test::InjectingOs::Call>& calls = counting.calls();
    std::string writing;  // the operations on the new skin, in order, and the folder's
    for (const auto& call : calls)
        if (call.path.find("ORBSKIN.000") != std::string::npos) writing += call.operation + " ";
    EXPECT_TRUE(writing.starts_with("stat create_new write ") &&
                (writing + calls.back().operation).ends_with(" sync close rename sync_folder"))
        << writing;

    // How each operation is named in the message.
    const std::map<std::string, std::string> named{
        {"stat", "look up"},   {"open_read", "open"},
        {"read", "read"},      {"close", "close"},
        {"write", "write"},    {"sync", "sync"},
        {"rename", "replace"}, {"create_new", "create a temporary file for"}};
    const std::string skin_file =
        write(runtime::quoted(folder / "ORBSKIN.000"), runtime::kEnglishWriting);
    const Bytes new_skin = test::read_file(folder / "ORBSKIN.000");
    for (const int error : {EIO, ENOSPC}) {
        for (std::size_t n = 1; n <= calls.size(); ++n) {
            const test::InjectingOs::Call& call = calls[n - 1];
            SCOPED_TRACE("failing call " + std::to_string(n) + ": " + call.operation);
            put_old_skin();
            test::InjectingOs faulty;
            faulty.fail_call(n, error);
            const std::string message = failure(SkinSettings::starting(), faulty);
            const std::string cause = runtime::describe_errno(error);
            const bool on_skin = call.path.find("ORBSKIN.000") != std::string::npos;
            const std::string file =
                on_skin ? skin_file : write(runtime::quoted(call.path), runtime::kEnglishWriting);
            if (call.operation == "sync_folder") {
                EXPECT_TRUE(message.starts_with(skin_file + " was written, but its folder "));
                EXPECT_TRUE(message.ends_with(": " + cause)) << message;
                EXPECT_EQ(test::read_file(folder / "ORBSKIN.000"), new_skin);
            } else {
                EXPECT_EQ(message,
                          "cannot " + named.at(call.operation) + " " + file + ": " + cause);
                expect_disk_unchanged();
            }
        }
    }
}

}  // namespace
}  // namespace orbskin::disk
