// Our words in each language: the catalogue compiled from this folder's translations, looked up by
// the English text, placeholders filled in the translation's order, plurals by each language's
// rule, and the language chosen from what the system prefers as gettext would choose it.
#include "language/words.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <tuple>

namespace orbskin::language {
namespace {

Words in(const std::string& tag) {
    return Words(std::vector<std::string>{tag});
}

// Each language's order of placeholders, its group separator from the fewest digits it groups,
// its decimal mark and its quotes, which in Chinese and Japanese stand in place of spaces.
TEST(words, are_said_in_each_language_with_its_numbers_and_quotes) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        // tag, empty, size
        {"en", "\"a.png\" is empty", "\"a.png\" is 12,345×1,234, not -0.05"},
        {"fr", "«\u00a0a.png\u00a0» est vide",
         "«\u00a0a.png\u00a0» fait 12\u202f345×1\u202f234, et non -0,05"},
        {"es", "«a.png» está vacío", "«a.png» mide 12\u202f345×1234, no -0,05"},
        {"pt_BR", "“a.png” está vazio", "“a.png” tem 12.345×1.234, não -0,05"},
        {"ja", "「a.png」は空です", "-0.05 ではなく 12,345×1,234 です：「a.png」"},
        {"zh_CN", "“a.png”是空的", "“a.png”是 12,345×1,234，不是 -0.05"},
        {"zh_TW", "檔案「a.png」是空的", "「a.png」是 12,345×1,234，不是 -0.05"},
    };
    // The placeholders given in another order than any language puts them.
    const runtime::Message size_said("{file} is {width}×{height}, not {size}",
                                     {{"width", runtime::Number(12345)},
                                      {"height", runtime::Number(1234)},
                                      {"size", runtime::Number(-5, 2)},
                                      {"file", runtime::Quoted{"a.png"}}});
    for (const auto& [tag, empty, size] : cases) {
        EXPECT_EQ(in(tag)("{file} is empty", {{"file", runtime::Quoted{"a.png"}}}), empty) << tag;
        EXPECT_EQ(in(tag)(size_said), size) << tag;
    }
}

TEST(words, take_each_languages_plural_form) {
    const std::tuple<const char*, std::uint64_t, const char*> cases[] = {
        // tag, n, said
        {"en", 0, "0 pictures were kept"},   {"en", 1, "one picture was kept"},
        {"en", 2, "2 pictures were kept"},   {"fr", 0, "0 image gardée"},
        {"fr", 1, "1 image gardée"},         {"fr", 12345, "12\u202f345 images gardées"},
        {"pt_BR", 1, "1 imagem guardada"},   {"pt_BR", 12, "12 imagens guardadas"},
        {"ja", 1, "1 枚の画像を残しました"}, {"ja", 12, "12 枚の画像を残しました"},
    };
    for (const auto& [tag, n, said] : cases)
        EXPECT_EQ(in(tag).plural("one picture was kept", "{n} pictures were kept", n), said)
            << tag << ' ' << n;
}

TEST(words, say_a_message_within_a_message_alike_and_unknown_ones_in_english) {
    const runtime::Message failure(
        "cannot open {file}: {cause}",
        {{"file", "ORBSKIN.000"}, {"cause", runtime::Message("the disk is full")}});
    EXPECT_EQ(failure.text(), "cannot open ORBSKIN.000: the disk is full");
    EXPECT_EQ(in("fr")(failure), "impossible d’ouvrir ORBSKIN.000\u00a0: le disque est plein");
    EXPECT_EQ(in("fr")("{file} has gone", {{"file", "a.png"}}), "a.png has gone");
    EXPECT_EQ(in("fr").plural("one left", "{n} left", 3), "3 left");
}

TEST(words, keep_the_same_english_apart_by_its_context) {
    // Without a context, with its own translation, with a context not translated, and said in
    // English without its context.
    const std::tuple<const char*, runtime::Message, const char*> cases[] = {
        {"fr", runtime::Message("Copy"), "Copie"},
        {"fr", runtime::Message(C_("button", "Copy")), "Copier"},
        {"fr", runtime::Message(C_("menu label", "Copy")), "Copy"},
        {"en", runtime::Message(C_("button", "Copy")), "Copy"},
    };
    for (const auto& [tag, message, said] : cases)
        EXPECT_EQ(in(tag)(message), said) << tag << " for " << said;
}

TEST(words, follow_the_first_preference_we_have) {
    // Each row's preferences split by ':'.
    const std::pair<std::string, std::string_view> cases[] = {
        {"fr_FR.UTF-8", "fr"},    {"fr-CA", "fr"},         {"de_DE:ja_JP.UTF-8", "ja"},
        {"zh_CN.UTF-8", "zh_CN"}, {"zh-Hans-HK", "zh_CN"}, {"zh", "zh_CN"},
        {"zh_TW.UTF-8", "zh_TW"}, {"zh-Hant", "zh_TW"},    {"zh_HK", "zh_TW"},
        {"zh-Hant-HK", "zh_TW"},  {"pt", "pt_BR"},         {"pt_PT.UTF-8", "pt_BR"},
        {"C:fr", "en"},           {"C.UTF-8", "en"},       {"POSIX", "en"},
        {"de:ru", "en"},          {"qps", "qps"},          {"en_GB:fr", "en"},
    };
    for (const auto& [preferences, code] : cases) {
        std::vector<std::string> tags;
        std::istringstream split(preferences);
        for (std::string tag; std::getline(split, tag, ':');)
            tags.push_back(tag);
        EXPECT_EQ(Words(tags).code(), code) << preferences;
    }
    EXPECT_EQ(Words(std::vector<std::string>{}).code(), "en");
}

TEST(words, are_chosen_from_the_environment_as_gettext_chooses) {
    using Env = std::map<std::string, std::string>;
    const std::pair<Env, std::vector<std::string>> cases[] = {
        {{{"LANG", "fr_FR.UTF-8"}}, {"fr_FR.UTF-8"}},
        {{{"LANGUAGE", "ja:zh_TW"}, {"LANG", "fr_FR"}}, {"ja", "zh_TW", "fr_FR"}},
        {{{"LANGUAGE", "ja"}, {"LANG", "C"}}, {"C"}},  // LANGUAGE is not read in the C locale
        {{{"LC_ALL", "es_ES"}, {"LC_MESSAGES", "fr_FR"}, {"LANG", "ja_JP"}}, {"es_ES"}},
        {{{"LC_MESSAGES", "fr_FR"}, {"LANG", "ja_JP"}}, {"fr_FR"}},
        {{{"LANGUAGE", "::pt_BR:"}, {"LANG", "es"}}, {"pt_BR", "es"}},
        {{}, {"C"}},
    };
    for (const auto& [env, preferences] : cases) {
        const auto got = environment_preferences([&env = env](const char* name) {
            const auto it = env.find(name);
            return it == env.end() ? nullptr : it->second.c_str();
        });
        EXPECT_EQ(got, preferences);
    }
}

}  // namespace
}  // namespace orbskin::language
