// orbskin-cli: options, defaults, output streams and exit statuses, run in-process.
#include "cli/cli.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/cli/cli_harness.h"
#include "tests/support/reference_skin.h"
#include "tests/support/temp_folder.h"

namespace orbskin::cli {
namespace {

using Result = test::CliResult;

class cli_pack : public testing::Test {
  protected:
    void SetUp() override { test::write_pictures(folder.path()); }

    Result pack(std::vector<std::string> options) {
        std::vector<std::string> args{"pack", "--dir", folder.path().string()};
        args.insert(args.end(), options.begin(), options.end());
        return test::run_cli(args);
    }
    [[nodiscard]] test::Bytes skin() const { return test::read_file(folder / "ORBSKIN.000"); }

    test::TempFolder folder;
};

TEST_F(cli_pack, prints_finish_and_writes_the_default_skin) {
    const Result result = pack({});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "Finish!\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(skin(), test::reference_skin(folder.path(), test::kStartingValues, true));
}

TEST_F(cli_pack, puts_every_option_into_its_fields_in_both_forms) {
    const std::vector<std::string> options{"--list-color=1,2,3",       "--selected-color", "4,5,6",
                                           "--ebook-color=7,8,9",      "--movie-icon",     "10,11",
                                           "--music-icon=12,13",       "--image-icon",     "14,15",
                                           "--game-icon=16,17",        "--ebook-icon",     "18,19",
                                           "--setup-icon=20,21",       "--list-position",  "22,23",
                                           "--menu-text-offset=24,25", "--no-hint"};
    const Result result = pack(options);
    ASSERT_EQ(result.status, 0) << result.err;
    std::array<int, 25> values{};
    for (int n = 0; n < 25; ++n)
        values[n] = n + 1;
    EXPECT_EQ(skin(), test::reference_skin(folder.path(), values, false));
}

TEST_F(cli_pack, accepts_an_explicit_hint) {
    ASSERT_EQ(pack({"--hint"}).status, 0);
    EXPECT_EQ(skin()[443392 + 48], 1);
}

TEST_F(cli_pack, reports_a_failed_check_on_stderr_with_status_1) {
    std::filesystem::remove(folder / "movie.bmp");
    const Result result = pack({});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "movie.bmp not found!\n");
}

TEST_F(cli_pack, hands_each_component_to_the_field_conversion) {
    for (const std::vector<std::string>& form :
         {std::vector<std::string>{"--movie-icon=-1,42"}, {"--movie-icon", "-1,42"}}) {
        const Result result = pack(form);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, "Movie icon position, X: \"-1\" is not a number from 0 to 255\n");
    }
    const Result result = pack({"--list-color", "0,,0"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "List text color, Green: \"\" is not a number from 0 to 255\n");
    EXPECT_FALSE(std::filesystem::exists(folder / "ORBSKIN.000"));
}

TEST_F(cli_pack, reports_a_file_error_naming_the_file) {
    const Result result = test::run_cli({"pack", "--dir", (folder / "absent").string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "mainnds.bmp not found!\n");
}

struct Usage {
    const char* name;
    std::vector<std::string> args;
};

void PrintTo(const Usage& usage, std::ostream* out) {
    *out << usage.name;
}

class cli_usage : public testing::TestWithParam<Usage> {};

TEST_P(cli_usage, is_refused_with_status_2_and_a_hint) {
    std::ostringstream out, err;
    std::vector<std::string> args{"orbskin-cli"};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    EXPECT_EQ(run(args, out, err), 2);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("--help"), std::string::npos) << err.str();
}

INSTANTIATE_TEST_SUITE_P(
    command_lines, cli_usage,
    testing::Values(Usage{"no_command", {}}, Usage{"unknown_command", {"build"}},
                    Usage{"unknown_option", {"pack", "--colour=1,2,3"}},
                    Usage{"missing_value", {"pack", "--movie-icon"}},
                    Usage{"too_few_components", {"pack", "--list-color=1,2"}},
                    Usage{"too_many_components", {"pack", "--game-icon=1,2,3"}},
                    Usage{"both_hints", {"pack", "--hint", "--no-hint"}},
                    Usage{"stray_argument", {"pack", "extra"}}),
    [](const auto& info) { return info.param.name; });

TEST(cli_info, prints_help_and_version_on_stdout) {
    std::ostringstream out, err;
    EXPECT_EQ(run(std::vector<std::string>{"orbskin-cli", "--version"}, out, err), 0);
    EXPECT_EQ(out.str().rfind("orbskin-cli ", 0), 0u);
    out.str("");
    EXPECT_EQ(run(std::vector<std::string>{"orbskin-cli", "pack", "--help"}, out, err), 0);
    EXPECT_NE(out.str().find("--menu-text-offset"), std::string::npos);
    EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace orbskin::cli
