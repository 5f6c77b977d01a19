// check and unpack from the command line, and the pack → unpack → pack round trip.
#include <gtest/gtest.h>

#include <random>

#include "cli/commands.h"
#include "tests/cli/cli_harness.h"
#include "tests/support/temp_folder.h"

namespace orbskin::cli {
namespace {

using test::Bytes;
using test::run_cli;

// Splits printed options into arguments, as a shell would for $(...).
std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

TEST(round_trip, pack_unpack_pack_gives_the_same_bytes) {
    std::mt19937 random(20261206);
    for (int run = 0; run < 4; ++run) {
        test::TempFolder first, second;
        for (const skin::Picture& picture : skin::kPictures) {
            Bytes bytes(picture.file_length());
            for (auto& b : bytes)
                b = static_cast<std::uint8_t>(random());
            test::write_file(first / picture.name, bytes);
        }
        std::vector<std::string> args{"pack", "--dir", first.path().string()};
        for (std::string_view option : kGroupOptions) {
            const bool colour = option.ends_with("color");
            std::string value =
                std::to_string(random() % 256) + "," + std::to_string(random() % 256);
            if (colour) value += "," + std::to_string(random() % 256);
            args.push_back(std::string(option) + "=" + value);
        }
        args.push_back(random() % 2 ? "--hint" : "--no-hint");
        ASSERT_EQ(run_cli(args).status, 0);
        const Bytes original = test::read_file(first / "ORBSKIN.000");

        const test::CliResult unpacked =
            run_cli({"unpack", "--dir", second.path().string(), (first / "ORBSKIN.000").string()});
        ASSERT_EQ(unpacked.status, 0) << unpacked.err;
        EXPECT_EQ(unpacked.err, "");
        std::vector<std::string> again{"pack", "--dir", second.path().string()};
        for (const std::string& word : words(unpacked.out))
            again.push_back(word);
        ASSERT_EQ(run_cli(again).status, 0);
        ASSERT_EQ(test::read_file(second / "ORBSKIN.000"), original) << "run " << run;
    }
}

class unpack_command : public testing::Test {
  protected:
    void SetUp() override {
        test::write_pictures(source.path());
        ASSERT_EQ(run_cli({"pack", "--dir", source.path().string()}).status, 0);
        skin_path = (source / "ORBSKIN.000").string();
    }
    test::TempFolder source, target;
    std::string skin_path;
};

TEST_F(unpack_command, refuses_a_file_that_is_not_443904_bytes) {
    Bytes skin = test::read_file(skin_path);
    skin.pop_back();
    test::write_file(skin_path, skin);
    const test::CliResult result = run_cli({"unpack", "--dir", target.path().string(), skin_path});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "\"" + skin_path +
                  "\" is not a skin: it is 443903 bytes long, and a skin is always 443904\n");
    EXPECT_TRUE(target.names().empty());
}

TEST_F(unpack_command, keeps_existing_pictures_without_force) {
    test::write_file(target / "game.bmp", Bytes{1, 2, 3});
    test::CliResult result = run_cli({"unpack", "--dir", target.path().string(), skin_path});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("game.bmp"), std::string::npos);
    EXPECT_EQ(target.names(), std::vector<std::string>{"game.bmp"});
    EXPECT_EQ(test::read_file(target / "game.bmp"), (Bytes{1, 2, 3}));

    result = run_cli({"unpack", "--force", "--dir", target.path().string(), skin_path});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(test::read_file(target / "game.bmp").size(), 12342u);
}

TEST_F(unpack_command, prints_the_options_and_warns_of_foreign_bytes) {
    Bytes skin = test::read_file(skin_path);
    skin[443392 + 48] = 7;
    skin[443392 + 100] = 1;
    test::write_file(skin_path, skin);
    const test::CliResult result = run_cli({"unpack", "--dir", target.path().string(), skin_path});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out,
              "--list-color=0,0,255 --selected-color=255,0,0 --ebook-color=0,0,0 "
              "--movie-icon=16,42 --music-icon=96,42 --image-icon=176,42 --game-icon=16,110 "
              "--ebook-icon=56,110 --setup-icon=136,110 --list-position=36,40 "
              "--menu-text-offset=10,58 --hint\n");
    EXPECT_NE(result.err.find("warning: the show hint byte is 7"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("warning: settings byte 100"), std::string::npos) << result.err;
}

class check_command : public testing::Test {
  protected:
    void SetUp() override { test::write_bmp_pictures(folder.path()); }
    test::CliResult check() { return run_cli({"check", "--dir", folder.path().string()}); }
    test::TempFolder folder;
};

TEST_F(check_command, passes_a_complete_set) {
    const test::CliResult result = check();
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("pack would pass the checks"), std::string::npos);
    EXPECT_EQ(result.out.find("fix:"), std::string::npos);
}

TEST_F(check_command, reports_every_failure_with_its_fix_and_the_one_pack_would_show) {
    std::filesystem::remove(folder / "movie.bmp");
    Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    png.resize(3000);
    test::write_file(folder / "ebook.bmp", png);
    Bytes dir = test::read_file(folder / "dir.bmp");
    dir.push_back(0);
    test::write_file(folder / "dir.bmp", dir);

    const test::CliResult result = check();
    EXPECT_EQ(result.status, 1);
    const std::string dir_option = "--dir " + folder.path().string();
    for (const std::string& expected : std::vector<std::string>{
             "movie.bmp     64×64     12342 bytes    missing\n",
             "fix: orbskin-cli import " + dir_option + " YOUR-PICTURE movie.bmp\n",
             "ebook.bmp     64×64     12342 bytes    3000 bytes: PNG file, not BMP: the picture "
             "must "
             "be a 24-bit BMP\n",
             "fix: orbskin-cli import " + dir_option + " --force " +
                 (folder / "ebook.bmp").string() + " ebook.bmp\n",
             std::string("pack would stop with: movie.bmp not found!\n")}) {
        EXPECT_NE(result.out.find(expected), std::string::npos) << expected << "\nin:\n"
                                                                << result.out;
    }
    EXPECT_NE(result.out.find("dir.bmp       16×16     822 bytes      823 bytes: 24-bit BMP, "
                              "16×16, 40-byte header: 1 extra bytes after the pixels"),
              std::string::npos)
        << result.out;
}

}  // namespace
}  // namespace orbskin::cli
