// pack's options of the settings, written and read with the settings table's option names.
#include "skin/settings_line.h"

#include <algorithm>
#include <set>

#include "runtime/error.h"
#include "runtime/message.h"
#include "runtime/slip.h"

namespace orbskin::skin {
namespace {

using runtime::Message;

std::string_view value_hint(GroupKind kind) {
    return kind == GroupKind::colour ? "R,G,B" : "X,Y";
}

// Double quotes keep a text whole in the shells of Linux, macOS and Windows alike.
std::string shell_text(const std::string& text) {
    const bool plain = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
               c == ',' || c == '+' || c == '-' || c == '.' || c == '/' || c == '=' || c == '_';
    });
    return plain ? text : '"' + text + '"';
}

[[noreturn]] void left_open(char quote) {
    throw runtime::Error(Message("a quote ({quote}) is left open in the pasted line",
                                 {{"quote", std::string(1, quote)}}));
}

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The length of a line's continuation at `i`: a backslash (POSIX shells), caret (cmd.exe) or
// backtick (PowerShell) that ends a line, with the line's end; 0 where there is none.
std::size_t continuation(std::string_view line, std::size_t i) {
    if (line[i] != '\\' && line[i] != '^' && line[i] != '`') return 0;
    for (const std::string_view end : {"\n", "\r\n"})
        if (line.substr(i + 1).starts_with(end)) return 1 + end.size();
    return 0;
}

// Whether a continuation ends the word before it: PowerShell's does; a POSIX shell and cmd.exe
// join the next line to the word ("20,42\" then "--no-hint" is one word there).
bool separates(char continued) {
    return continued == '`';
}

// A word that ends one command and starts another, outside quotes.
[[noreturn]] void second_command(char separator) {
    throw runtime::Error(
        Message("the pasted line holds more than one command ({separator}): paste the {program} "
                "command alone",
                {{"separator", std::string(1, separator)}, {"program", "orbskin-cli pack"}}));
}

// The words of a line as a shell splits them, quotes ('…', "…") undone, a command continued
// over lines joined. A backslash before a blank, a quote or a backslash stands for that
// character, as a POSIX shell and tab completion write them ("My\ Skins", 'it'\''s'); before
// anything else it is kept, as in the Windows paths that cmd.exe shows.
std::vector<std::string> words_of(std::string_view line) {
    const auto escaped = [](char c) {
        return is_blank(c) || std::string_view("'\"\\;|&#").find(c) != std::string_view::npos;
    };
    std::vector<std::string> words;
    std::string word;
    bool in_word = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (const std::size_t joined = continuation(line, i); joined > 0) {
            if (separates(c)) {
                if (in_word) words.push_back(std::move(word));
                word.clear();
                in_word = false;
            }
            i += joined - 1;
        } else if (c == '#' && !in_word) {
            i = std::min(line.find('\n', i), line.size()) - 1;  // a comment, to the line's end
        } else if (c == ';' || c == '|' || c == '&') {
            second_command(c);
        } else if (c == '\\' && i + 1 < line.size() && escaped(line[i + 1])) {
            word += line[++i];
            in_word = true;
        } else if (c == '"') {
            // Within double quotes a backslash escapes only a quote or a backslash.
            std::size_t close = i + 1;
            for (; close < line.size() && line[close] != '"'; ++close) {
                if (line[close] == '\\' && close + 1 < line.size() &&
                    (line[close + 1] == '"' || line[close + 1] == '\\'))
                    ++close;
                word += line[close];
            }
            if (close == line.size()) left_open(c);
            in_word = true;
            i = close;
        } else if (is_blank(c)) {
            if (in_word) words.push_back(std::move(word));
            word.clear();
            in_word = false;
        } else if (c == '\'') {
            const auto close = line.find(c, i + 1);
            if (close == std::string_view::npos) left_open(c);
            word += line.substr(i + 1, close - i - 1);
            in_word = true;
            i = close;
        } else {
            word += c;
            in_word = true;
        }
    }
    if (in_word) words.push_back(std::move(word));
    return words;
}

bool is_program(std::string_view word) {
    for (const std::string_view name : {"orbskin-cli", "orbskin-cli.exe"})
        if (word == name || word.ends_with("/" + std::string(name)) ||
            word.ends_with("\\" + std::string(name)))
            return true;
    return false;
}

void set_group(SkinSettings& settings, std::size_t g, const std::string& value) {
    const auto parts = split_components(value);
    const auto fields = fields_of(g);
    if (parts.size() != fields.size()) {
        throw OptionRefused(std::string(kSettingsGroups[g].option),
                            Message("expected {form}, got \"{value}\"",
                                    {{"form", std::string(value_hint(kSettingsGroups[g].kind))},
                                     {"value", value}}));
    }
    for (std::size_t c = 0; c < parts.size(); ++c)
        settings.texts[fields[c]] = parts[c];
}

bool hint_value(const std::string& option, const std::string& value) {
    std::string lower = value;  // "FALSE" as "false", as the shells' tools take it
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    for (const auto& [text, on] : {std::pair{"true", true},
                                   {"1", true},
                                   {"yes", true},
                                   {"on", true},
                                   {"false", false},
                                   {"0", false},
                                   {"no", false},
                                   {"off", false}})
        if (lower == text) return on;
    throw runtime::Error(Message("{option} takes true or false, not \"{value}\"",
                                 {{"option", option}, {"value", value}}));
}

// An option pack does not take, with the one it may have been meant as.
Message unknown_option(const std::string& word, const std::string& name, bool from_skin,
                       const runtime::Arg& program) {
    std::vector<std::string> names{"--hint", "--no-hint", "--dir"};
    if (from_skin) names.emplace_back("--settings-from");
    for (const SettingsGroup& group : kSettingsGroups)
        names.emplace_back(group.option);
    const auto meant = std::find_if(names.begin(), names.end(), [&](const std::string& n) {
        return runtime::slip_of(name, n);
    });
    if (meant == names.end())
        return Message("{word} is not an option of {program}", {{"word", word}, program});
    return Message("{word} is not an option of {program}; did you mean {option}?",
                   {{"word", word}, program, {"option", *meant}});
}

}  // namespace

OptionRefused::OptionRefused(std::string option, const runtime::Message& problem)
    : runtime::Error(Message("{option}: {problem}", {{"option", option}, {"problem", problem}})),
      option(std::move(option)),
      problem(problem) {}

std::string pack_options(const SkinSettings& settings, bool every) {
    std::string options;
    for (std::size_t g = 0; g < kSettingsGroups.size(); ++g) {
        std::string value;
        bool differs = every;
        for (const std::size_t field : fields_of(g)) {
            value += (value.empty() ? "" : ",") + settings.texts[field];
            differs |= settings.texts[field] != kSettingsFields[field].starting_text;
        }
        if (differs)
            options += std::string(kSettingsGroups[g].option) + '=' + shell_text(value) + ' ';
    }
    if (every || settings.show_hint != kShowHintStarting)
        options += settings.show_hint ? "--hint" : "--no-hint";
    if (options.ends_with(' ')) options.pop_back();
    return options;
}

std::vector<std::string> split_components(std::string_view value) {
    std::vector<std::string> parts;
    for (std::size_t start = 0;;) {
        const std::size_t comma = value.find(',', start);
        parts.emplace_back(value.substr(start, comma - start));
        if (comma == std::string_view::npos) return parts;
        start = comma + 1;
    }
}

SkinSettings settings_of_options(std::span<const std::string> words, bool from_skin,
                                 SkinSettings base) {
    SkinSettings settings = std::move(base);
    std::set<std::string> given;
    for (auto word = words.begin(); word != words.end(); ++word) {
        const auto equals = word->find('=');
        const std::string name = word->substr(0, equals);
        const bool inline_value = equals != std::string::npos;
        const auto value = [&]() -> std::string {
            if (inline_value) return word->substr(equals + 1);
            if (word + 1 == words.end() || (word + 1)->starts_with("--"))
                throw runtime::Error(Message("{option} needs a value", {{"option", name}}));
            return *++word;
        };
        const auto group = std::find_if(kSettingsGroups.begin(), kSettingsGroups.end(),
                                        [&](const SettingsGroup& g) { return g.option == name; });
        const bool hint = name == "--hint" || name == "--no-hint";
        const bool known = group != kSettingsGroups.end() || hint || name == "--dir" ||
                           (name == "--settings-from" && from_skin);
        if (name == "--settings-from" && !from_skin)
            throw runtime::Error(
                Message("--settings-from names a skin file, which the page cannot open; "
                        "open that skin here with \"{button}\" instead",
                        {{"button", Message("Open a skin")}}));
        const runtime::Arg program("program", "orbskin-cli pack");
        if (!known && !word->starts_with('-'))
            throw runtime::Error(Message("{word} is a stray word: {program} takes options only",
                                         {{"word", *word}, program}));
        if (!known) throw runtime::Error(unknown_option(*word, name, from_skin, program));
        // Each once, as pack takes them: a second one would otherwise quietly win.
        const std::string once = hint ? "--hint/--no-hint" : name;  // the two set one thing
        if (!given.insert(once).second)
            throw runtime::Error(Message("{option} is given more than once", {{"option", once}}));
        if (group != kSettingsGroups.end())
            set_group(settings, static_cast<std::size_t>(group - kSettingsGroups.begin()), value());
        else if (hint)
            settings.show_hint = (name == "--hint") == (!inline_value || hint_value(name, value()));
        else
            (void)value();  // --dir and --settings-from name no setting
    }
    return settings;
}

std::string joined_line(std::string_view text) {
    std::string line;
    char quote = 0;  // the quote the line is within, as words_of() reads it
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        // Within single quotes a shell keeps a continuation as it is; within double quotes it
        // drops it.
        if (const std::size_t joined = quote == '\'' ? 0 : continuation(text, i); joined > 0) {
            if (quote != '"' && separates(c)) line += ' ';
            i += joined - 1;
        } else if (c == '\n' || c == '\r') {
            line += ' ';
        } else if (c == '#' && quote == 0 && (line.empty() || is_blank(line.back()))) {
            i = std::min(text.find('\n', i), text.size()) - 1;  // a comment, to the line's end
        } else if (c == '\\' && quote != '\'' && i + 1 < text.size()) {
            line += text.substr(i++, 2);  // an escaped quote opens or closes none
        } else {
            if ((c == '\'' || c == '"') && (quote == 0 || quote == c))
                quote = quote != 0 ? '\0' : c;
            line += c;
        }
    }
    return line;
}

SkinSettings settings_of_line(std::string_view line) {
    const std::vector<std::string> words = words_of(line);
    std::span<const std::string> options(words);
    const bool program = !options.empty() && is_program(options.front());
    if (program) options = options.subspan(1);
    if (!options.empty() && options.front() == "pack") {
        options = options.subspan(1);
    } else if (const auto pack = std::find(options.begin(), options.end(), "pack");
               program && pack != options.end()) {
        // An option before the command, as in "orbskin-cli --dir . pack": said where it belongs.
        std::string command = "orbskin-cli pack";
        for (auto word = options.begin(); word != options.end(); ++word)
            if (word != pack) command += ' ' + shell_text(*word);
        throw runtime::Error(
            Message("{option} goes after the command: {command}",
                    {{"option", options.front().substr(0, options.front().find('='))},
                     {"command", command}}));
    }
    return settings_of_options(options, false);
}

}  // namespace orbskin::skin
