// The subcommands of orbskin-cli. Each registers its options on the application and gives back
// what runs it once the whole command line has been parsed.
#pragma once

#include <CLI/CLI.hpp>
#include <filesystem>
#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "disk/replace.h"
#include "language/words.h"
#include "runtime/os.h"
#include "skin/settings_line.h"

namespace orbskin::cli {

// Runs import commands (orbskin-cli's arguments each, the program name first) in this process as
// one: every picture is converted before any is written, and all are put in one run with
// `moves`, files of the folder moved under other names, so that one that cannot be made leaves
// the folder as it was.
using PictureRunner =
    std::function<int(runtime::Os& os, std::span<const std::vector<std::string>> imports,
                      std::span<const disk::NewFile> moves, std::ostream& out, std::ostream& err)>;

struct Command {
    CLI::App* app;
    // Returns the exit status; may throw CLI::ParseError for a value that is not understood.
    std::function<int(runtime::Os& os, std::ostream& out, std::ostream& err)> run;
    // Judges the words after the command's name before CLI11 reads them; throws runtime::Error.
    std::function<void(std::span<const std::string> words)> check_words = {};
    // import's: several of its command lines run as one.
    PictureRunner run_together = {};
};

using language::Words;
using runtime::Arg;
using runtime::Message;

Command add_pack(CLI::App& parent, const Words& words);
// check; its --fix runs import through `run_picture`, or, where that is empty, hands the whole
// command line (`args`) to the helper, which has import.
Command add_check(CLI::App& parent, const Words& words, PictureRunner run_picture,
                  std::span<const std::string> args);
Command add_unpack(CLI::App& parent, const Words& words);
Command add_new(CLI::App& parent, const Words& words);
// The picture commands, built into orbskin-cli-images only: they need an image library.
Command add_import(CLI::App& parent, const Words& words);
Command add_preview(CLI::App& parent, const Words& words);

// Replaces this process with orbskin-cli-images, found beside this program or in
// ../libexec/orbskin, handing it `args`. Returns only when it cannot be started, with status 1.
int run_helper(runtime::Os& os, std::span<const std::string> args, std::ostream& err,
               const Words& words);

// What is under `file` as the command judges it, for disk::put_files. Throws runtime::Error when
// anything is there (a link to nothing too) and `force` is not set, so that no tool replaces a
// skin or a picture by accident.
[[nodiscard]] runtime::FileInfo refuse_to_overwrite(runtime::Os& os,
                                                    const std::filesystem::path& file, bool force);

// The twelve pictures' names that are taken in `folder` (by anything, a link to nothing too),
// comma-separated; empty when none is.
std::vector<std::string> existing_pictures(runtime::Os& os, const std::filesystem::path& folder);

// Refuses a --dir `folder` that is not there or is no folder, in those words: not as a folder
// whose files are missing. Nothing for none given.
void refuse_a_missing_folder(runtime::Os& os, const std::string& folder);

// Finishes what a run cut short left half done in `folder`, and says so on `err`; `tidy` as for
// disk::finish_interrupted, left out by pack, whose run is timed.
void finish_interrupted(runtime::Os& os, const std::filesystem::path& folder, std::ostream& err,
                        const Words& words, bool tidy = true);

// A file name or word as it would be typed in the platform's shell: quoted where it needs it.
std::string shell_word(const std::string& text);
// A command (the program's name first) as it would be typed.
std::string typed_command(std::span<const std::string> args);

// Says on `out` what each put kept (as "the original" where `original`, the picture the command
// read, or as the file it replaces) and, on `err`, each new file left beside a name that changed
// meanwhile. Gives false where one was.
bool report_puts(std::span<const disk::Put> puts, bool original, std::ostream& out,
                 std::ostream& err, const Words& words);

// A path as a command's argument: one that starts with '-' gets "./" before it, so that no
// parser takes it for an option.
std::string path_argument(const std::string& path);

// The comma-separated parts of an option's value such as "R,G,B" or "X,Y", empty parts kept.
using skin::split_components;

// Runs `body`, turning a runtime::Error or other failure into its text on `err` and status 1.
int report_failures(std::ostream& err, const Words& words, const std::function<int()>& body);

// A usage error of ours in the user's language, e.g. for a value that is not a colour.
[[nodiscard]] CLI::ValidationError usage_error(const Words& words, const std::string& name,
                                               const Message& message);

// The columns `text` takes in a terminal: one a character, two for the wide ones of Chinese and
// Japanese.
[[nodiscard]] std::size_t columns(std::string_view text);

// CLI11's help, with each option's description in one column whatever the script of its name.
class ColumnHelp : public CLI::Formatter {
  public:
    std::string make_option(const CLI::Option* option, bool positional) const override;
    std::string make_help(const CLI::App* app, std::string name,
                          CLI::AppFormatMode mode) const override;
};

// Gives `app` and the subcommands added after it our words for CLI11's headings and refusals;
// a word left over is named by where it stands in `args`, the whole command line.
void speak_help(CLI::App& app, const Words& words, std::span<const std::string> args);
// The same for the headings of a formatter of our own.
void speak_labels(CLI::FormatterBase& formatter, const Words& words);

}  // namespace orbskin::cli
