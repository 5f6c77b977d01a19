// A message of ours as data: its English text with named placeholders ("{file} is empty") and what
// fills them. The core words its messages so, and needs no catalogue; a front end says them in the
// user's language (language/words.h), or in English with text().
#pragma once

#include <concepts>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orbskin::runtime {

class Message;

// Marks a message worded in a table, away from where it is said, so that the catalogue finds it.
constexpr std::string_view N_(std::string_view english) {
    return english;
}

// A message whose English alone leaves a translator guessing ("Fit"), with where it shows ("a way
// to resize"): one literal, as gettext keys it (the context, "\x04", the English), so that a table
// holds it as any text and the catalogue keeps it apart from the same English said elsewhere.
#define C_(context, english) context "\004" english

// How a language writes a number and a name it quotes. Each language's is in the catalogue
// (language/catalogue.py); English's is here, with the English words.
struct Writing {
    std::string_view group;        // between groups of three digits: ",", "\u202f"
    unsigned grouped_from;         // the fewest digits that are grouped: 5 writes "1234", "12 345"
    std::string_view decimal;      // before the fraction: ".", ","
    std::string_view open, close;  // around a quoted name: "\"", "« "
    // False where the marks stand in place of the spaces around the name ("「a.png」は", never
    // "「a.png」 は"): a space the sentence puts beside it is left out.
    bool spaced_quotes = true;
};
inline constexpr Writing kEnglishWriting{",", 4, ".", "\"", "\""};

// A number said in a message: `value` / 10^`decimals`, kept as a number until it is written in a
// language ("443,904", "443 904"; "2.2", "2,2").
struct Number {
    constexpr Number(std::int64_t value, unsigned decimals = 0)
        : value(value), decimals(decimals) {}
    // Counts and lengths, none of which comes near 2^63.
    template <std::unsigned_integral Count>
    constexpr Number(Count count, unsigned decimals = 0)
        : value(static_cast<std::int64_t>(count)), decimals(decimals) {}
    std::int64_t value;
    unsigned decimals;
};
[[nodiscard]] std::string write(Number number, const Writing& writing);

// A name said in quotes, in the language's own ("a.png", « a.png », 「a.png」).
struct Quoted {
    std::string name;
};
[[nodiscard]] std::string write(const Quoted& quoted, const Writing& writing);

// Names said as a list, each language's separator between them ("a, b", "a、b").
struct Listed {
    std::vector<std::string> names;
};

// What a placeholder "{name}" stands for: a text said as it is, a number or a quoted name written
// as the language writes them, or a message of its own, said in the same language as the one it is
// part of.
struct Arg {
    Arg(std::string_view name, std::string text) : name(name), text(std::move(text)) {}
    Arg(std::string_view name, Number number) : name(name), number(number) {}
    Arg(std::string_view name, const Quoted& quoted)
        : name(name), text(quoted.name), quoted(true) {}
    Arg(std::string_view name, const Listed& listed) : name(name), listed(listed.names) {}
    Arg(std::string_view name, const Message& message);
    std::string_view name;
    std::string text;
    std::optional<Number> number;
    bool quoted = false;
    std::optional<std::vector<std::string>> listed;
    std::shared_ptr<const Message> message;
};

class Message {
  public:
    // `english` as C_ marks it where it has a context.
    explicit Message(std::string_view english, std::vector<Arg> args = {})
        : key_(english), args_(std::move(args)) {}
    // A text of someone else's (a library's, the system's), said as it is in every language.
    static Message as_is(std::string text);
    // One of two forms by `n`, which fills "{n}".
    static Message plural(std::string_view one, std::string_view many, std::uint64_t n,
                          std::vector<Arg> args = {});

    [[nodiscard]] std::string_view english() const { return key_.substr(key_.find('\x04') + 1); }
    [[nodiscard]] std::string_view key() const { return key_; }  // what the catalogue looks up
    [[nodiscard]] std::string_view english_plural() const { return plural_; }
    [[nodiscard]] std::uint64_t count() const { return n_; }
    [[nodiscard]] const std::vector<Arg>& args() const { return args_; }

    // The message in English.
    [[nodiscard]] std::string text() const;

  private:
    std::string_view key_, plural_;
    std::uint64_t n_ = 0;
    std::vector<Arg> args_;
};

// `form` with each "{name}" replaced by its argument, numbers and quoted names as `writing` writes
// them, a nested message said by `say`; "{n}" by `count` where the message has a plural. A
// placeholder with no argument stays as it is.
[[nodiscard]] std::string fill(std::string_view form, const Message& message,
                               const std::function<std::string(const Message&)>& say,
                               const Writing& writing);

}  // namespace orbskin::runtime
