// orbskin-cli: the generate command for scripts and batch builds, and tools for skin makers.
#include "cli/cli.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "cli/commands.h"
#include "disk/files.h"
#include "picture/picture_head.h"
#include "runtime/error.h"
#include "runtime/message.h"
#include "runtime/slip.h"
#include "runtime/utf8_path.h"
#include "skin/picture_check.h"

namespace orbskin::cli {

using runtime::N_;

int report_failures(std::ostream& err, const Words& words, const std::function<int()>& body) {
    try {
        return body();
    } catch (const CLI::ParseError&) {
        throw;
    } catch (const std::exception& failure) {
        err << words(runtime::failure_message(failure)) << '\n';
    }
    return kExitFailure;
}

CLI::ValidationError usage_error(const Words& words, const std::string& name,
                                 const Message& message) {
    return CLI::ValidationError(name, words(message));
}

runtime::FileInfo refuse_to_overwrite(runtime::Os& os, const std::filesystem::path& file,
                                      bool force) {
    const runtime::FileInfo judged = disk::look_up(os, file);
    if (force || (judged.kind == runtime::FileKind::missing && !judged.link)) return judged;
    throw runtime::Error(
        Message("{file} already exists and was left alone; use --force to replace it",
                {{"file", runtime::quoted(file)}}));
}

// A mistyped folder is said as that, not as a folder with twelve pictures missing.
void refuse_a_missing_folder(runtime::Os& os, const std::string& folder) {
    if (folder.empty()) return;
    const std::filesystem::path path = runtime::path_from_utf8(folder);
    const runtime::FileKind kind = disk::look_up(os, path).kind;
    const Arg name("folder", runtime::quoted(path));
    if (kind == runtime::FileKind::missing)
        throw runtime::Error(Message("there is no folder {folder}", {name}));
    if (kind != runtime::FileKind::folder)
        throw runtime::Error(Message("{folder} is not a folder", {name}));
}

void finish_interrupted(runtime::Os& os, const std::filesystem::path& folder, std::ostream& err,
                        const Words& words, bool tidy) {
    const std::vector<disk::Put> puts = disk::finish_interrupted(os, folder, tidy);
    std::vector<std::string> names;
    for (const disk::Put& put : puts)
        if (put.beside.empty()) names.push_back(runtime::shown(put.target.filename()));
    if (!names.empty())
        err << words("a run cut short in {folder} was finished first: {names}",
                     {{"folder",
                       runtime::quoted(folder.empty() ? std::filesystem::path(".") : folder)},
                      {"names", runtime::Listed{names}}})
            << '\n';
    // A name saved over since that run began keeps the save; its new file is said to be beside.
    (void)report_puts(puts, false, err, err, words);
}

// Quotes a word for the platform's shell when it needs it.
#ifndef _WIN32
namespace {

// $'…', where a newline or another control character is written as an escape, so that a
// printed command stays on one line and pastes whole in bash, zsh and ksh.
std::string ansi_c_quoted(const std::string& text) {
    std::string quoted = "$'";
    runtime::for_each_character(text, [&](std::string_view character, bool safe) {
        if (character == "\\" || character == "'") {
            quoted += "\\" + std::string(character);
        } else if (safe) {
            quoted += character;
        } else {
            constexpr char kHex[] = "0123456789abcdef";
            for (const char c : character) {
                const auto byte = static_cast<unsigned char>(c);
                quoted += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 15];
            }
        }
    });
    return quoted + "'";
}

}  // namespace
#endif

std::string shell_word(const std::string& text) {
#ifdef _WIN32
    if (!text.empty() && text.find_first_of(" \t&|<>^()%!\"") == std::string::npos) return text;
    // cmd.exe expands %NAME% even between quotes, but not a name that begins with a quote: each %
    // stands outside the quotes, which the program's own parsing then drops. That parsing reads
    // backslashes before a quote as escapes, so those are doubled.
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : text) {
        if (c == '%')
            quoted.append(backslashes, '\\') += "\"%\"";
        else
            quoted += c;
        backslashes = c == '\\' ? backslashes + 1 : 0;
    }
    return quoted.append(backslashes, '\\') + '"';
#else
    if (!text.empty() &&
        text.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                               "0123456789._-/+=:,@%") == std::string::npos)
        return text;
    bool control = false;
    runtime::for_each_character(text, [&](std::string_view, bool safe) { control |= !safe; });
    if (control) return ansi_c_quoted(text);
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
#endif
}

std::string typed_command(std::span<const std::string> args) {
    std::string text;
    for (const std::string& arg : args)
        text += text.empty() ? arg : " " + shell_word(arg);
    return text;
}

std::string path_argument(const std::string& path) {
#ifdef _WIN32
    // One separator in a printed path: the folder as typed ("C:/skins") and the name added to it.
    std::string windows = path.starts_with('-') ? ".\\" + path : path;
    std::replace(windows.begin(), windows.end(), '/', '\\');
    return windows;
#else
    return path.starts_with('-') ? "./" + path : path;
#endif
}

namespace {

Message kept_message(const disk::Put& put, bool original) {
    const Arg file("file", runtime::shown(put.kept_as)),
        link("link", runtime::shown(put.target.filename()));
    switch (put.kept) {
        case disk::Put::Kept::link_target:
            return original ? Message(
                                  "kept the original as {file} (a copy of the file {link} was a "
                                  "link to, which is left as it was)",
                                  {file, link})
                            : Message(
                                  "kept the file it replaces as {file} (a copy of the file {link} "
                                  "was a link to, which is left as it was)",
                                  {file, link});
        case disk::Put::Kept::dangling_link:
            return Message("kept the link {link}, which led to nothing, as {file}", {file, link});
        default:
            return original ? Message("kept the original as {file}", {file})
                            : Message("kept the file it replaces as {file}", {file});
    }
}

}  // namespace

bool report_puts(std::span<const disk::Put> puts, bool original, std::ostream& out,
                 std::ostream& err, const Words& words) {
    bool all = true;
    for (const disk::Put& put : puts) {
        if (put.kept != disk::Put::Kept::nothing) out << words(kept_message(put, original)) << '\n';
        if (put.beside.empty()) continue;
        all = false;
        err << words(
                   "{file} changed while this ran, so it was left as it is now; the new file is "
                   "beside it as {new}",
                   {{"file", runtime::quoted(put.target)}, {"new", runtime::quoted(put.beside)}})
            << '\n';
    }
    return all;
}

std::vector<std::string> existing_pictures(runtime::Os& os, const std::filesystem::path& folder) {
    std::vector<std::string> existing;
    for (const skin::Picture& picture : skin::kPictures) {
        const runtime::FileInfo info = disk::look_up(os, folder / picture.name);
        if (info.kind != runtime::FileKind::missing || info.link)
            existing.emplace_back(picture.name);
    }
    return existing;
}

std::array<CommandHelp, 2> picture_commands_help(const Words& words) {
    return {
        {{"import", words("Convert a picture ({formats}) into one of the twelve BMPs.",
                          {{"formats", picture::import_formats_message()}})},
         {"preview", words("Draw a PNG sheet of a skin: its pictures, text colours, positions and "
                           "hint.")}}};
}

namespace {

// CLI11's own refusals, by their English, as ours: what the one placeholder stands for is an
// option's or argument's name, kept as it is.
struct Refusal {
    std::string_view theirs, ours;
};
constexpr Refusal kRefusals[] = {
    {"A subcommand is required", N_("A command is required")},
    {"{name} is required", N_("{name} is required")},
    {"{name} excludes {other}", N_("{name} cannot be given with {other}")},
    {"{name}: At Most 1 required but received {other}", N_("{option} is given more than once")},
    {"{name}: 1 required {other} missing", N_("{option} needs a value")},
    {"Could not convert: {name} = {other}", N_("{option} takes true or false, not \"{value}\"")},
};

// The placeholders by both names: CLI11's order ({name}, {other}) and our words' ({option},
// {value}).
Message refusal_of(std::string_view ours, std::string_view name, std::string_view other = {}) {
    return Message(ours, {{"name", std::string(name)},
                          {"option", std::string(name)},
                          {"other", std::string(other)},
                          {"value", std::string(other)}});
}

// `text` as one of kRefusals, its placeholders filled from the text; as it is where none fits.
Message refusal(const std::string& text) {
    for (const Refusal& r : kRefusals) {
        const std::string_view theirs = r.theirs;
        const std::size_t open = theirs.find('{');
        if (open == std::string_view::npos) {
            if (text == theirs) return Message(r.ours);
            continue;
        }
        const std::size_t close = theirs.find('}', open);
        const std::string_view before = theirs.substr(0, open), after = theirs.substr(close + 1);
        const std::size_t middle = after.find('{');
        if (!text.starts_with(before)) continue;
        if (middle == std::string_view::npos) {
            if (text.size() < before.size() + after.size() || !text.ends_with(after)) continue;
            return refusal_of(
                r.ours, text.substr(before.size(), text.size() - before.size() - after.size()));
        }
        const std::string_view joint = after.substr(0, middle);  // "{name} excludes {other}"
        const std::size_t at = text.find(joint, before.size());
        if (at == std::string::npos) continue;
        return refusal_of(r.ours, std::string_view(text).substr(before.size(), at - before.size()),
                          std::string_view(text).substr(at + joint.size()));
    }
    return Message::as_is(text);
}

}  // namespace

// The columns `text` takes in a terminal: one a character, two for the wide ones of Chinese and
// Japanese.
std::size_t columns(std::string_view text) {
    std::size_t width = 0;
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t i = 1; i < length && at + i < text.size(); ++i)
            c = c << 6 | (static_cast<unsigned char>(text[at + i]) & 0x3F);
        const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                          (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                          (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                          (c >= 0xFFE0 && c <= 0xFFE6) || c >= 0x20000;
        width += wide ? 2 : 1;
        at += length;
    }
    return width;
}

std::string ColumnHelp::make_option(const CLI::Option* option, bool positional) const {
    // CLI11 pads the names by their bytes, which leaves accented and wide names out of line.
    const std::string name = "  " + make_option_name(option, positional) + make_option_opts(option);
    const std::string description = make_option_desc(option);
    const std::size_t width = get_column_width(), used = columns(name);
    std::string line = name;
    if (!description.empty() && used >= width)
        line += '\n' + std::string(width, ' ');
    else if (!description.empty())
        line += std::string(width - used, ' ');
    for (const char c : description)
        line += c == '\n' ? "\n" + std::string(width, ' ') : std::string(1, c);
    return line + '\n';
}

std::string ColumnHelp::make_help(const CLI::App* app, std::string name,
                                  CLI::AppFormatMode mode) const {
    std::string help = CLI::Formatter::make_help(app, std::move(name), mode);
    // A heading translated with its full-width colon ("用法：") is followed by CLI11's own colon
    // and space, which are left out.
    constexpr std::string_view kWideColon = "：";
    const std::string doubled = std::string(kWideColon) + ":";
    for (auto at = help.find(doubled); at != std::string::npos; at = help.find(doubled, at)) {
        at += kWideColon.size();
        help.erase(at, help.compare(at, 2, ": ") == 0 ? 2 : 1);
    }
    return help;
}

void speak_labels(CLI::FormatterBase& formatter, const Words& words) {
    for (const std::string_view label :
         {N_("Usage"), N_("OPTIONS"), N_("SUBCOMMAND"), N_("SUBCOMMANDS"), N_("Positionals"),
          N_("REQUIRED"), N_("Excludes"), N_("Needs")})
        formatter.label(std::string(label), words(Message(label)));
}

namespace {

// A word CLI11 left over, by where it stands: an option of the command typed before the command,
// an option of none, or a word no argument takes. `args` is the whole command line.
std::optional<Message> leftover_refusal(const CLI::App& app, std::span<const std::string> args) {
    const std::vector<CLI::App*> commands = app.get_subcommands();
    const CLI::App* command = commands.empty() ? nullptr : commands.front();
    const CLI::App* owner = &app;
    std::vector<std::string> left = app.remaining();
    if (left.empty() && command) left = command->remaining(), owner = command;
    if (left.empty()) return std::nullopt;
    const std::string& word = left.front();
    if (!word.starts_with('-') && command) owner = command;  // after "--": still the command's
    const std::string program = owner == &app ? "orbskin-cli" : "orbskin-cli " + owner->get_name();
    if (!word.starts_with('-')) {
        std::string names;
        for (const CLI::Option* option : owner->get_options())
            if (option->get_positional()) names += (names.empty() ? "" : " ") + option->get_name();
        return names.empty() ? Message("{word} is a stray word: {program} takes options only",
                                       {{"word", word}, {"program", program}})
                             : Message(
                                   "{word} is a stray word: {program} takes {names} and "
                                   "options only",
                                   {{"word", word}, {"program", program}, {"names", names}});
    }
    const std::string name = word.substr(0, word.find('='));
    if (owner == &app && command && command->get_option_no_throw(name)) {
        std::vector<std::string> moved(args.begin(), args.end());
        moved.front() = "orbskin-cli";
        const auto at = std::find(moved.begin() + 1, moved.end(), command->get_name());
        std::rotate(moved.begin() + 1, at, at + 1);
        return Message("{option} goes after the command: {command}",
                       {{"option", name}, {"command", typed_command(moved)}});
    }
    for (const CLI::Option* option : owner->get_options())
        for (const std::string& long_name : option->get_lnames())
            if (runtime::slip_of(name, "--" + long_name))
                return Message(
                    "{word} is not an option of {program}; did you mean {option}?",
                    {{"word", word}, {"program", program}, {"option", "--" + long_name}});
    return Message("{word} is not an option of {program}", {{"word", word}, {"program", program}});
}

}  // namespace

void speak_help(CLI::App& app, const Words& words, std::span<const std::string> args) {
    app.formatter(std::make_shared<ColumnHelp>());
    speak_labels(*app.get_formatter(), words);
    app.option_defaults()->group(words("Options"));
    app.set_help_flag("-h,--help", words("Print this help message and exit"));
    app.failure_message([&words, args](const CLI::App* parsed, const CLI::Error& error) {
        const std::optional<Message> leftover = leftover_refusal(*parsed, args);
        return words(leftover ? *leftover : refusal(error.what())) + '\n' +
               words("Run with {option} for more information.", {{"option", "--help"}}) + '\n';
    });
}

namespace {

#ifndef _WIN32
// A picture command whose work is done by the helper: everything after its name goes there.
Command add_delegated(CLI::App& parent, const Words& words, const char* name,
                      const char* description, std::span<const std::string> args) {
    CLI::App* app = parent.add_subcommand(name, description);
    app->prefix_command();
    app->set_help_flag();  // the helper answers --help for it
    return {app, [args, &words](runtime::Os& os, std::ostream& out, std::ostream& err) {
                out.flush();
                return run_helper(os, args, err, words);
            }};
}
#endif

}  // namespace

int run(runtime::Os& os, std::span<const std::string> args, std::ostream& out, std::ostream& err,
        std::span<const AddCommand> picture_commands) {
    return run(os, args, out, err, picture_commands, Words());
}

int run(runtime::Os& os, std::span<const std::string> args, std::ostream& out, std::ostream& err,
        std::span<const AddCommand> picture_commands, const Words& words) {
    CLI::App app{words("Builds ORBSKIN.000, the menu skin of the handheld, from twelve BMP "
                       "pictures."),
                 "orbskin-cli"};
    speak_help(app, words, args);
    app.set_version_flag("--version", std::string("orbskin-cli ") + ORBSKIN_VERSION,
                         words("Display program version information and exit"));
    app.require_subcommand(1);
    // A path such as /skins/a.png is a path on every platform; subcommands inherit this.
    app.allow_windows_style_options(false);

    PictureRunner run_picture;
    if (!picture_commands.empty()) {
        run_picture = [picture_commands, &words](runtime::Os& os,
                                                 std::span<const std::vector<std::string>> imports,
                                                 std::span<const disk::NewFile> moves,
                                                 std::ostream& out, std::ostream& err) {
            CLI::App picture_app;
            for (const AddCommand add : picture_commands)
                if (const Command command = add(picture_app, words); command.run_together)
                    return command.run_together(os, imports, moves, out, err);
            return kExitUsage;
        };
    }
    std::vector<Command> commands{add_pack(app, words), add_check(app, words, run_picture, args),
                                  add_unpack(app, words), add_new(app, words)};
    for (const AddCommand add : picture_commands)
        commands.push_back(add(app, words));
#ifndef _WIN32
    if (picture_commands.empty()) {
        for (const auto& [name, description] : picture_commands_help(words))
            commands.push_back(add_delegated(app, words, name.c_str(), description.c_str(), args));
    }
#endif
    for (const Command& command : commands) {
        command.app->group(words("Subcommands"));
        // CLI11 adds a subcommand's help flag before it takes the parent's option defaults.
        if (CLI::Option* help = command.app->get_help_ptr()) help->group(words("Options"));
    }

    // CLI11 would only say that the word was not expected.
    const auto named = [&](const Command& command) { return command.app->get_name() == args[1]; };
    if (args.size() > 1 && !args[1].starts_with('-') &&
        std::none_of(commands.begin(), commands.end(), named)) {
        std::string names;
        for (const Command& command : commands)
            names += (names.empty() ? "" : ", ") + command.app->get_name();
        err << words("\"{word}\" is not a command of orbskin-cli; the commands are: {commands}",
                     {{"word", args[1]}, {"commands", names}})
            << '\n'
            << words("Run orbskin-cli --help for more information.") << '\n';
        return kExitUsage;
    }

    // A delegated command's words, "--" among them, are the helper's to read.
    for (const Command& command : commands)
        if (args.size() > 1 && named(command) && command.app->get_prefix_command())
            return command.run(os, out, err);

    const auto help = [&] {
        return std::any_of(args.begin(), args.end(),
                           [](const std::string& a) { return a == "-h" || a == "--help"; });
    };
    for (const Command& command : commands) {
        if (args.size() < 2 || !named(command) || !command.check_words || help()) continue;
        try {
            command.check_words(std::span(args).subspan(2));
        } catch (const runtime::Error& refused) {
            err << words(runtime::failure_message(refused)) << '\n'
                << words("Run with {option} for more information.", {{"option", "--help"}}) << '\n';
            return kExitUsage;
        }
    }

    try {
        app.parse(std::vector<std::string>(args.rbegin(), args.rend() - 1));
        for (const Command& command : commands) {
            if (!command.app->parsed()) continue;
            const int status = command.run(os, out, err);
            // Ctrl+C or kill during a run of renames: said what was done, ended as asked.
            if (const int stop = os.stop_requested(); stop != 0) return 128 + stop;
            return status;
        }
        return kExitUsage;
    } catch (const CLI::Success& e) {
        return app.exit(e, out, err);
    } catch (const CLI::ParseError& e) {
        app.exit(e, out, err);
        return kExitUsage;
    }
}

}  // namespace orbskin::cli
