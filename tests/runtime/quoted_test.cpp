// A file name in a message stays on its line and hands the terminal nothing but text.
#include <gtest/gtest.h>

#include "runtime/error.h"

namespace orbskin::runtime {
namespace {

TEST(quoted, writes_what_a_terminal_would_act_on_as_text) {
    const std::pair<std::string, std::string> cases[] = {
        {"music.bmp", "\"music.bmp\""},
        {"新しい スキン/é.png", "\"新しい スキン/é.png\""},
        {"a\nb", "\"a\\nb\""},
        {"\x1B[31mred\x7F", "\"\\x1B[31mred\\x7F\""},
        {"cut\xE6\x96", "\"cut\\xE6\\x96\""},          // a character cut short
        {"\xC0\xAF\xFF", "\"\\xC0\\xAF\\xFF\""},       // bytes no UTF-8 text holds
        {"\xF0\x9F\x8E\xA8", "\"\xF0\x9F\x8E\xA8\""},  // four bytes, whole
        {"c1\xC2\x9BX", "\"c1\\xC2\\x9BX\""},          // a C1 control, which opens an escape
        {"gpj.\xE2\x80\xAE"
         "exe",
         "\"gpj.\\xE2\\x80\\xAEexe\""},  // turns the text after it
    };
    for (const auto& [name, shown] : cases)
        EXPECT_EQ(write(quoted(name), kEnglishWriting), shown);
}

}  // namespace
}  // namespace orbskin::runtime
