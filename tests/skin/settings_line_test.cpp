// The settings as pack's options and back: only what differs from the window's starting values,
// every group as unpack prints them, and a pasted line read as pack reads it or refused in words.
#include "skin/settings_line.h"

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace orbskin::skin {
namespace {

// The starting values with Text<field + 1> set to `text`.
SkinSettings with(std::size_t field, const std::string& text, bool hint = kShowHintStarting) {
    SkinSettings settings = SkinSettings::starting();
    settings.texts[field] = text;
    settings.show_hint = hint;
    return settings;
}

constexpr std::string_view kEveryStarting =
    "--list-color=0,0,255 --selected-color=255,0,0 --ebook-color=0,0,0 --movie-icon=16,42 "
    "--music-icon=96,42 --image-icon=176,42 --game-icon=16,110 --ebook-icon=56,110 "
    "--setup-icon=136,110 --list-position=36,40 --menu-text-offset=10,58 --hint";

TEST(settings_line, names_only_what_differs_and_reads_back_the_same) {
    const std::pair<SkinSettings, std::string_view> cases[] = {
        // the settings, their options
        {SkinSettings::starting(), ""},
        {with(9, "20"), "--movie-icon=20,42"},
        {with(2, "254", false), "--list-color=0,0,254 --no-hint"},
        {with(24, "0"), "--menu-text-offset=10,0"},
        {with(0, " 7"), "--list-color=\" 7,0,255\""},  // kept whole, to be judged as typed
        {with(5, ""), "--selected-color=255,0,"},
    };
    for (const auto& [settings, options] : cases) {
        EXPECT_EQ(pack_options(settings), options);
        const SkinSettings back = settings_of_line("orbskin-cli pack " + std::string(options));
        EXPECT_EQ(back.texts, settings.texts) << options;
        EXPECT_EQ(back.show_hint, settings.show_hint) << options;
    }
    EXPECT_EQ(pack_options(SkinSettings::starting(), true), kEveryStarting);
}

TEST(settings_line, reads_pasted_commands_as_pack_reads_them) {
    const std::pair<std::string_view, SkinSettings> cases[] = {
        // a line, what it gives
        {"orbskin-cli pack --dir skins --movie-icon 20,42", with(9, "20")},
        {"/usr/bin/orbskin-cli pack --dir 'my skin' --movie-icon=20,42", with(9, "20")},
        {"C:\\tools\\orbskin-cli.exe pack --movie-icon=\"20,42\"", with(9, "20")},
        // As a shell or its tab completion escapes a folder's name.
        {"pack --dir My\\ Skins --movie-icon=20,42", with(9, "20")},
        {"pack --dir './it'\\''s \"q\"' --movie-icon=20,42", with(9, "20")},
        {"pack --dir \"a\\\"b\" --movie-icon=20,42", with(9, "20")},
        {"--ebook-color=0,0,1 --hint=FALSE", with(8, "1", false)},
        {"--no-hint=true --movie-icon=20,42", with(9, "20", false)},
        {"  --game-icon=16,abc \n", with(16, "abc")},  // judged later, as pack judges it
        // Continued over lines as a README writes it for sh, cmd.exe and PowerShell.
        {"orbskin-cli pack \\\n  --dir skins\\\n --movie-icon 20,42", with(9, "20")},
        {"pack ^\r\n--movie-icon 20,42 `\n--dir s", with(9, "20")},
        {"pack --movie-icon 20,42 # --no-hint", with(9, "20")},  // a comment, as shells take it
        {"pack --movie-icon 2\\\n0,42", with(9, "20")},  // joined to the word, as sh joins it
        {"pack --dir a\\;b --movie-icon=20,42", with(9, "20")},
        {std::string_view(kEveryStarting), SkinSettings::starting()},
    };
    for (const auto& [line, settings] : cases) {
        SCOPED_TRACE(line);
        // As given, and as the page's one-line box holds it.
        for (const SkinSettings& got :
             {settings_of_line(line), settings_of_line(joined_line(line))}) {
            EXPECT_EQ(got.texts, settings.texts);
            EXPECT_EQ(got.show_hint, settings.show_hint);
        }
    }
}

TEST(settings_line, joins_a_continuation_within_quotes_as_a_shell_does) {
    // A line, its Y.
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"--movie-icon '3,\\\n4'", "\\ 4"},  // kept, as pack would be given it: refused then
        {"--movie-icon \"3,\\\n4\"", "4"},
    };
    for (const auto& [line, y] : cases)
        EXPECT_EQ(settings_of_line(joined_line(line)).texts[10], y) << line;
}

TEST(settings_line, refuses_what_pack_would_refuse_in_words) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        // a line, its refusal
        {"--movie-icon=1", "--movie-icon: expected X,Y, got \"1\""},
        {"--list-color=1,2", "--list-color: expected R,G,B, got \"1,2\""},
        {"--movie-icon --no-hint", "--movie-icon needs a value"},
        {"pack --bogus=1", "--bogus=1 is not an option of orbskin-cli pack"},
        {"--listcolor=1,2,3",
         "--listcolor=1,2,3 is not an option of orbskin-cli pack; did "
         "you mean --list-color?"},
        {"pack extra", "extra is a stray word: orbskin-cli pack takes options only"},
        {"--movie-icon='20,42", "a quote (') is left open in the pasted line"},
        {"--hint=maybe", "--hint takes true or false, not \"maybe\""},
        {"--settings-from old.000", "--settings-from names a skin file"},
        {"--no-hint --hint=true",
         "--hint/--no-hint is given more than once"},  // never the last quietly
        {"--movie-icon=1,42 --movie-icon=20,42", "--movie-icon is given more than once"},
        {"--list-color= 1,0,0", "--list-color: expected R,G,B, got \"\""},
        {"pack --no-hint; echo done", "holds more than one command (;)"},
        {"orbskin-cli --dir . pack --no-hint",
         "--dir goes after the command: orbskin-cli pack --dir . --no-hint"},
    };
    for (const auto& [line, refusal] : cases)
        for (const std::string& given :
             {std::string(line), joined_line(line)}) {  // as the page holds it
            const std::string said = test::refusal([&given] { return settings_of_line(given); });
            EXPECT_NE(said.find(refusal), std::string::npos) << given << ": " << said;
        }
}

}  // namespace
}  // namespace orbskin::skin
