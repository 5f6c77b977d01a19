// File services: look-up, exact reads and the atomic replace, with real files and injected faults.
#include "runtime/files.h"

#include <gtest/gtest.h>

#include <cerrno>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

#include "runtime/error.h"
#include "tests/support/injecting_os.h"
#include "tests/support/temp_folder.h"

namespace orbskin::runtime {
namespace {

using test::Bytes;
using test::InjectingOs;
using test::TempFolder;

std::string message_of(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& e) {
        return e.what();
    }
    ADD_FAILURE() << "no Error was thrown";
    return {};
}

TEST(file_lookup, gives_the_length_of_a_regular_file) {
    TempFolder folder;
    test::write_file(folder / "a.bmp", Bytes(822, 1));
    EXPECT_EQ(regular_file_length(folder / "a.bmp"), 822u);
}

TEST(file_lookup, counts_folders_and_missing_names_as_no_file) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "dir.bmp");
    EXPECT_EQ(regular_file_length(folder / "dir.bmp"), std::nullopt);
    EXPECT_EQ(regular_file_length(folder / "missing.bmp"), std::nullopt);
    // Windows lets only privileged users make links; there the case is left out.
    std::error_code no_links;
    std::filesystem::create_symlink(folder / "gone", folder / "dangling.bmp", no_links);
    if (!no_links) {
        EXPECT_EQ(regular_file_length(folder / "dangling.bmp"), std::nullopt);
    }
}

TEST(file_lookup_error, names_the_file_and_cause) {
    InjectingOs faulty;
    faulty.fail_call(1, EIO);
    OsOverride use(faulty);
    EXPECT_EQ(message_of([] { (void)regular_file_length("x.bmp"); }),
              "cannot look up \"x.bmp\": Input/output error");
}

TEST(read_exact, reads_a_file_of_the_expected_length) {
    TempFolder folder;
    const Bytes bytes{1, 2, 3, 4, 5};
    test::write_file(folder / "f", bytes);
    Bytes into(5);
    read_exact(folder / "f", into);
    EXPECT_EQ(into, bytes);
}

TEST(read_exact_error, refuses_a_file_shorter_or_longer_than_expected) {
    TempFolder folder;
    test::write_file(folder / "f", Bytes(4, 9));
    Bytes five(5), three(3);
    EXPECT_EQ(message_of([&] { read_exact(folder / "f", five); }),
              '"' + (folder / "f").string() +
                  "\" changed while it was being read: expected 5 bytes, found 4");
    EXPECT_EQ(message_of([&] { read_exact(folder / "f", three); }),
              '"' + (folder / "f").string() +
                  "\" changed while it was being read: expected 3 bytes, found more");
}

TEST(read_exact_error, names_the_file_when_it_cannot_be_opened_or_read) {
    Bytes into(1);
    EXPECT_EQ(message_of([&] { read_exact("no-such.bmp", into); }),
              "cannot open \"no-such.bmp\": No such file or directory");

    TempFolder folder;
    test::write_file(folder / "music.bmp", Bytes(1));
    InjectingOs faulty;
    faulty.fail_call(2, EACCES);  // open, then the first read
    OsOverride use(faulty);
    EXPECT_EQ(message_of([&] { read_exact(folder / "music.bmp", into); }),
              "cannot read \"" + (folder / "music.bmp").string() + "\": Permission denied");
}

TEST(replace_file, replaces_a_longer_old_file_and_leaves_no_temporary) {
    TempFolder folder;
    test::write_file(folder / "ORBSKIN.000", Bytes(1000, 0xAA));
    const Bytes fresh{1, 2, 3};
    replace_file(folder / "ORBSKIN.000", fresh);
    EXPECT_EQ(test::read_file(folder / "ORBSKIN.000"), fresh);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"ORBSKIN.000"});
}

TEST(replace_file, writes_into_the_current_folder_for_a_bare_name) {
    TempFolder folder;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    replace_file("ORBSKIN.000", Bytes{7});
    std::filesystem::current_path(previous);
    EXPECT_EQ(test::read_file(folder / "ORBSKIN.000"), Bytes{7});
}

// Every call of a replace fails in turn: before the rename the old file must survive whole and the
// temporary file must go; the folder sync after it may leave the new file, but must report.
class replace_file_fault : public testing::TestWithParam<int> {};

TEST_P(replace_file_fault, keeps_the_old_file_or_reports_the_new_one) {
    const int error = GetParam();
    const Bytes old_bytes(300, 0x55), new_bytes(200000, 0x66);

    InjectingOs counting;
    {
        TempFolder folder;
        OsOverride use(counting);
        replace_file(folder / "ORBSKIN.000", new_bytes);
    }
    const std::size_t total = counting.calls().size();
    ASSERT_GE(total, 6u);  // create, write, sync, close, rename, folder sync

    for (std::size_t n = 1; n <= total; ++n) {
        SCOPED_TRACE("failing call " + std::to_string(n) + ": " +
                     counting.calls()[n - 1].operation);
        TempFolder folder;
        test::write_file(folder / "ORBSKIN.000", old_bytes);
        InjectingOs faulty;
        faulty.fail_call(n, error);
        std::string message;
        {
            OsOverride use(faulty);
            message = message_of([&] { replace_file(folder / "ORBSKIN.000", new_bytes); });
        }
        EXPECT_NE(message.find("ORBSKIN.000"), std::string::npos) << message;
        EXPECT_NE(message.find(describe_errno(error)), std::string::npos) << message;
        EXPECT_EQ(folder.names(), std::vector<std::string>{"ORBSKIN.000"});
        const bool after_rename = faulty.calls()[n - 1].operation == "sync_folder";
        EXPECT_EQ(test::read_file(folder / "ORBSKIN.000"), after_rename ? new_bytes : old_bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(errors, replace_file_fault, testing::Values(EIO, ENOSPC),
                         [](const auto& info) { return info.param == EIO ? "EIO" : "ENOSPC"; });

TEST(replace_file, tries_another_name_when_the_temporary_name_is_taken) {
    TempFolder folder;
    InjectingOs faulty;
    faulty.fail_call(1, EEXIST);
    OsOverride use(faulty);
    replace_file(folder / "ORBSKIN.000", Bytes{1});
    EXPECT_EQ(test::read_file(folder / "ORBSKIN.000"), Bytes{1});
    EXPECT_NE(faulty.calls()[0].path, faulty.calls()[1].path);
}

TEST(replace_file, names_its_temporary_file_after_the_target) {
    TempFolder folder;
    InjectingOs recording;
    OsOverride use(recording);
    replace_file(folder / "ORBSKIN.000", Bytes{1});
    const std::string temporary =
        std::filesystem::path(recording.calls()[0].path).filename().string();
    EXPECT_EQ(temporary.rfind("ORBSKIN.000.tmp-", 0), 0u) << temporary;
}

#ifdef _WIN32
// Windows refuses to replace a file that another program holds open without sharing it; the
// error must say so, and the old file and the folder stay as they were.
TEST(replace_file_error, reports_a_skin_held_open_by_another_program) {
    TempFolder folder;
    test::write_file(folder / "ORBSKIN.000", Bytes(10, 0x33));
    const HANDLE held = CreateFileW((folder / "ORBSKIN.000").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::string message = message_of([&] { replace_file(folder / "ORBSKIN.000", Bytes{1}); });
    CloseHandle(held);
    EXPECT_EQ(message.rfind("cannot replace \"" + (folder / "ORBSKIN.000").string(), 0), 0u)
        << message;
    EXPECT_EQ(test::read_file(folder / "ORBSKIN.000"), Bytes(10, 0x33));
    EXPECT_EQ(folder.names(), std::vector<std::string>{"ORBSKIN.000"});
}
#endif

}  // namespace
}  // namespace orbskin::runtime
