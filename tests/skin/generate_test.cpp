// The generate command: the order of the checks, their one message, and that a failed run of any
// kind leaves the old skin exactly as it was.
#include "skin/generate.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "runtime/error.h"
#include "runtime/os.h"
#include "tests/support/injecting_os.h"
#include "tests/support/reference_skin.h"
#include "tests/support/temp_folder.h"

namespace orbskin::skin {
namespace {

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
    void remove(std::string_view name) { std::filesystem::remove(folder / name); }

  protected:
    // Runs and expects the run to throw; gives the error's text.
    std::string failure(const SkinSettings& settings = SkinSettings::starting()) {
        try {
            const Outcome outcome = generate(folder.path(), settings);
            ADD_FAILURE() << "the run ended with: " << outcome.message;
        } catch (const runtime::Error& e) {
            return e.what();
        }
        return {};
    }
    // Nothing but the pictures and the old skin, unchanged.
    void expect_old_skin_kept() {
        EXPECT_EQ(test::read_file(folder / "ORBSKIN.000"), old_skin);
        EXPECT_EQ(folder.names().size(), kPictures.size() + 1);
    }

  public:
    test::TempFolder folder;

  protected:
    const Bytes old_skin = Bytes(500000, 0x5A);  // longer than any new skin
};

TEST_F(generate_run, writes_the_whole_skin_and_finishes) {
    const Outcome outcome = generate(folder.path(), SkinSettings::starting());
    EXPECT_TRUE(outcome.finished);
    EXPECT_EQ(outcome.message, "Finish!");
    EXPECT_EQ(test::read_file(folder / "ORBSKIN.000"),
              test::reference_skin(folder.path(), test::kStartingValues, true));
}

TEST_F(generate_run, fully_replaces_a_longer_old_skin) {
    put_old_skin();
    SkinSettings settings = SkinSettings::starting();
    settings.texts[3] = " 7\t";
    settings.show_hint = false;
    ASSERT_TRUE(generate(folder.path(), settings).finished);
    std::array<int, 25> values = test::kStartingValues;
    values[3] = 7;
    EXPECT_EQ(test::read_file(folder / "ORBSKIN.000"),
              test::reference_skin(folder.path(), values, false));
    EXPECT_EQ(folder.names().size(), kPictures.size() + 1);
}

TEST_F(generate_run, works_in_the_current_folder_with_bare_names) {
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    const Outcome outcome = generate({}, SkinSettings::starting());
    std::filesystem::current_path(previous);
    EXPECT_TRUE(outcome.finished);
    EXPECT_EQ(std::filesystem::file_size(folder / "ORBSKIN.000"), 443904u);
}

struct Check {
    const char* name;
    std::function<void(generate_run&)> arrange;
    std::string message;
};

void PrintTo(const Check& c, std::ostream* out) {
    *out << c.name;
}

class generate_check : public generate_run, public testing::WithParamInterface<Check> {};

TEST_P(generate_check, shows_only_the_first_failure_and_touches_nothing) {
    put_old_skin();
    GetParam().arrange(*this);
    const Outcome outcome = generate(folder.path(), SkinSettings::starting());
    EXPECT_FALSE(outcome.finished);
    EXPECT_EQ(outcome.message, GetParam().message);
    EXPECT_EQ(test::read_file(folder / "ORBSKIN.000"), old_skin);
}

const char* const kScreenSize =
    " file length is wrong! It mast a 256*192 24bit color BMP format file";

INSTANTIATE_TEST_SUITE_P(
    checks, generate_check,
    testing::Values(
        Check{"none_present",
              [](generate_run& t) {
                  for (const Picture& p : kPictures)
                      t.remove(p.name);
              },
              "mainnds.bmp not found!"},
        Check{"wrong_length_before_a_later_missing_one",
              [](generate_run& t) {
                  t.resize("mainnds.bmp", 1);
                  t.remove("listnds.bmp");
              },
              std::string("mainnds.bmp") + kScreenSize},
        Check{"last_missing", [](generate_run& t) { t.remove("updir.bmp"); },
              "updir.bmp not found!"},
        Check{"one_byte_short", [](generate_run& t) { t.resize("ebooknds.bmp", -1); },
              std::string("ebooknds.bmp") + kScreenSize},
        Check{"larger_header", [](generate_run& t) { t.resize("musicnds.bmp", 84); },
              std::string("musicnds.bmp") + kScreenSize},
        Check{"icon_one_byte_long", [](generate_run& t) { t.resize("option.bmp", 1); },
              "option.bmp file length is wrong! It mast a 64*64 24bit color BMP format file"},
        Check{"small_icon_empty", [](generate_run& t) { t.resize("dir.bmp", -822); },
              "dir.bmp file length is wrong! It mast a 16*16 24bit color BMP format file"},
        Check{"folder_named_like_a_picture",
              [](generate_run& t) {
                  t.remove("dir.bmp");
                  std::filesystem::create_directory(t.folder / "dir.bmp");
              },
              "dir.bmp not found!"}),
    [](const auto& info) { return info.param.name; });

TEST_F(generate_run, reports_a_failed_check_before_a_bad_field) {
    remove("game.bmp");
    SkinSettings settings = SkinSettings::starting();
    settings.texts[0] = "x";
    EXPECT_EQ(generate(folder.path(), settings).message, "game.bmp not found!");
}

TEST_F(generate_run, passes_a_picture_of_zero_bytes_at_the_right_length) {
    test::write_file(folder / "mainnds.bmp", Bytes(147510, 0));
    EXPECT_TRUE(generate(folder.path(), SkinSettings::starting()).finished);
    const Bytes skin = test::read_file(folder / "ORBSKIN.000");
    EXPECT_TRUE(std::all_of(skin.begin(), skin.begin() + 98304, [](auto b) { return b == 0; }));
}

TEST_F(generate_run, stops_at_a_bad_last_field_before_touching_the_disk) {
    put_old_skin();
    SkinSettings settings = SkinSettings::starting();
    settings.texts[24] = "256";
    EXPECT_EQ(failure(settings), "Main menu text offset, Y: \"256\" is not a number from 0 to 255");
    expect_old_skin_kept();
}

TEST_F(generate_run, leaves_no_skin_when_there_was_none_and_a_field_is_bad) {
    SkinSettings settings = SkinSettings::starting();
    settings.texts[0] = "";
    EXPECT_FALSE(failure(settings).empty());
    EXPECT_FALSE(std::filesystem::exists(folder / "ORBSKIN.000"));
}

TEST_F(generate_run, refuses_a_picture_that_grows_after_the_check) {
    put_old_skin();
    test::InjectingOs os;
    // An editor still saving the picture: it gains a byte between the check and the read.
    os.before = [this](const test::InjectingOs::Call& call) {
        if (call.operation == "open_read" && call.path.ends_with("music.bmp"))
            resize("music.bmp", 1);
    };
    runtime::OsOverride use(os);
    const std::string message = failure();
    EXPECT_NE(message.find("music.bmp\" changed while it was being read"), std::string::npos)
        << message;
    expect_old_skin_kept();
}

TEST_F(generate_run, refuses_a_picture_that_shrinks_after_the_check) {
    test::InjectingOs os;
    os.before = [this](const test::InjectingOs::Call& call) {
        if (call.operation == "open_read" && call.path.ends_with("dir.bmp")) resize("dir.bmp", -3);
    };
    runtime::OsOverride use(os);
    EXPECT_NE(failure().find("dir.bmp\" changed while it was being read"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder / "ORBSKIN.000"));
}

// Every file operation of a run fails in turn. Whatever fails, the message names a file and the
// cause, and the old skin stays whole (or, once renamed into place, the new one is whole).
class generate_fault : public generate_run, public testing::WithParamInterface<int> {};

TEST_P(generate_fault, never_leaves_a_partial_skin) {
    test::InjectingOs counting;
    {
        runtime::OsOverride use(counting);
        ASSERT_TRUE(generate(folder.path(), SkinSettings::starting()).finished);
    }
    const std::vector<test::InjectingOs::Call> calls = counting.calls();
    const Bytes new_skin = test::read_file(folder / "ORBSKIN.000");

    for (std::size_t n = 1; n <= calls.size(); ++n) {
        SCOPED_TRACE("failing call " + std::to_string(n) + ": " + calls[n - 1].operation + " " +
                     calls[n - 1].path);
        put_old_skin();
        test::InjectingOs faulty;
        faulty.fail_call(n, GetParam());
        std::string message;
        {
            runtime::OsOverride use(faulty);
            message = failure();
        }
        EXPECT_NE(message.find(runtime::describe_errno(GetParam())), std::string::npos) << message;
        EXPECT_NE(message.find('"'), std::string::npos) << message;
        if (calls[n - 1].operation == "sync_folder") {
            EXPECT_EQ(test::read_file(folder / "ORBSKIN.000"), new_skin);
        } else {
            expect_old_skin_kept();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(errors, generate_fault, testing::Values(EIO, ENOSPC),
                         [](const auto& info) { return info.param == EIO ? "EIO" : "ENOSPC"; });

}  // namespace
}  // namespace orbskin::skin
