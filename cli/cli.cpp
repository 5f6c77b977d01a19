// orbskin-cli: the generate command for scripts and batch builds, and tools for skin makers.
#include "cli/cli.h"

#include <algorithm>
#include <vector>

#include "cli/commands.h"
#include "disk/files.h"
#include "runtime/error.h"
#include "skin/picture_check.h"

namespace orbskin::cli {

int report_failures(std::ostream& err, const std::function<int()>& body) {
    try {
        return body();
    } catch (const CLI::ParseError&) {
        throw;
    } catch (const std::exception& failure) {
        err << runtime::failure_text(failure) << '\n';
    }
    return kExitFailure;
}

void refuse_to_overwrite(runtime::Os& os, const std::filesystem::path& file, bool force) {
    if (force || disk::look_up(os, file).kind == runtime::FileKind::missing) return;
    throw runtime::Error(runtime::quoted(file) +
                         " already exists and was left alone; use --force to replace it");
}

// Quotes a word for the platform's shell when it needs it.
#ifndef _WIN32
namespace {

// $'…', where a newline or another control character is written as an escape, so that a
// printed command stays on one line and pastes whole in bash, zsh and ksh.
std::string ansi_c_quoted(const std::string& text) {
    std::string quoted = "$'";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '\'') {
            quoted += std::string("\\") + c;
        } else if (byte < 0x20 || byte == 0x7F) {
            constexpr char kHex[] = "0123456789abcdef";
            quoted += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 15];
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

}  // namespace
#endif

std::string shell_word(const std::string& text) {
#ifdef _WIN32
    if (!text.empty() && text.find_first_of(" \t&|<>^()%!\"") == std::string::npos) return text;
    return '"' + text + '"';
#else
    if (!text.empty() &&
        text.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                               "0123456789._-/+=:,@%") == std::string::npos)
        return text;
    const bool control = std::any_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
    if (control) return ansi_c_quoted(text);
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
#endif
}

std::string path_argument(const std::string& path) {
    return path.starts_with('-') ? "./" + path : path;
}

std::string existing_pictures(runtime::Os& os, const std::filesystem::path& folder) {
    std::string existing;
    for (const skin::Picture& picture : skin::kPictures) {
        if (disk::look_up(os, folder / picture.name).kind != runtime::FileKind::missing)
            existing += (existing.empty() ? "" : ", ") + std::string(picture.name);
    }
    return existing;
}

std::array<CommandHelp, 2> picture_commands_help() {
    return {{{"import", "Convert a picture (" + skin::import_formats_text() +
                            ") into one of the twelve BMPs."},
             {"preview",
              "Draw a PNG sheet of a skin: its pictures, text colours, positions and hint."}}};
}

namespace {

#ifndef _WIN32
// A picture command whose work is done by the helper: everything after its name goes there.
Command add_delegated(CLI::App& parent, const char* name, const char* description,
                      std::span<const std::string> args) {
    CLI::App* app = parent.add_subcommand(name, description);
    app->prefix_command();
    app->set_help_flag();  // the helper answers --help for it
    return {app, [args](runtime::Os& os, std::ostream& out, std::ostream& err) {
                out.flush();
                return run_helper(os, args, err);
            }};
}
#endif

}  // namespace

int run(runtime::Os& os, std::span<const std::string> args, std::ostream& out, std::ostream& err,
        std::span<const AddCommand> picture_commands) {
    CLI::App app{"Builds ORBSKIN.000, the menu skin of the handheld, from twelve BMP pictures.",
                 "orbskin-cli"};
    app.set_version_flag("--version", std::string("orbskin-cli ") + ORBSKIN_VERSION);
    app.require_subcommand(1);
    // A path such as /skins/a.png is a path on every platform; subcommands inherit this.
    app.allow_windows_style_options(false);

    PictureRunner run_picture;
    if (!picture_commands.empty()) {
        run_picture = [picture_commands](runtime::Os& os,
                                         const std::vector<std::string>& picture_args,
                                         std::ostream& out, std::ostream& err) {
            return run(os, picture_args, out, err, picture_commands);
        };
    }
    std::vector<Command> commands{add_pack(app), add_check(app, run_picture, args), add_unpack(app),
                                  add_new(app)};
    for (const AddCommand add : picture_commands)
        commands.push_back(add(app));
#ifndef _WIN32
    if (picture_commands.empty()) {
        for (const auto& [name, description] : picture_commands_help())
            commands.push_back(add_delegated(app, name.c_str(), description.c_str(), args));
    }
#endif

    // CLI11 would only say that the word was not expected.
    const auto named = [&](const Command& command) { return command.app->get_name() == args[1]; };
    if (args.size() > 1 && !args[1].starts_with('-') &&
        std::none_of(commands.begin(), commands.end(), named)) {
        std::string names;
        for (const Command& command : commands)
            names += (names.empty() ? "" : ", ") + command.app->get_name();
        err << '"' << args[1] << "\" is not a command of orbskin-cli; the commands are: " << names
            << "\nRun orbskin-cli --help for more information.\n";
        return kExitUsage;
    }

    // A delegated command's words, "--" among them, are the helper's to read.
    for (const Command& command : commands)
        if (args.size() > 1 && named(command) && command.app->get_prefix_command())
            return command.run(os, out, err);

    try {
        app.parse(std::vector<std::string>(args.rbegin(), args.rend() - 1));
        for (const Command& command : commands)
            if (command.app->parsed()) return command.run(os, out, err);
        return kExitUsage;
    } catch (const CLI::Success& e) {
        return app.exit(e, out, err);
    } catch (const CLI::ParseError& e) {
        app.exit(e, out, err);
        return kExitUsage;
    }
}

}  // namespace orbskin::cli
