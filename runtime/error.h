// The one exception type of the runtime layer: its text names the file or field, the operation and
// why.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "runtime/message.h"

namespace orbskin::runtime {

class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
    explicit Error(const Message& message)
        : std::runtime_error(message.text()), message_(std::make_shared<const Message>(message)) {}

    // What to say in the user's language; none where the text was worded before it was data.
    [[nodiscard]] const Message* message() const { return message_.get(); }

  private:
    std::shared_ptr<const Message> message_;
};

// What every front end shows for a failure: a runtime::Error's own text, which names the file or
// field, the operation and why; anything else, which no check foresaw, as "unexpected failure: ".
[[nodiscard]] std::string failure_text(const std::exception& failure);
// The same as a message, for a front end to say in the user's language.
[[nodiscard]] Message failure_message(const std::exception& failure);

// The platform's text for an errno value, e.g. "No space left on device".
[[nodiscard]] std::string describe_errno(int error_number);
// The same as a message, worded alike on every platform for the causes users meet.
[[nodiscard]] Message errno_message(int error_number);

// A file name as users see it in messages: "music.bmp", in the language's quotes, with what no
// terminal should be handed (a line break, an escape, a byte that is not UTF-8) written as \n or
// \xHH.
[[nodiscard]] Quoted quoted(const std::filesystem::path& file);
// The same for a name still in the UTF-8 text it was given as, e.g. on the command line.
[[nodiscard]] Quoted quoted(const std::string& file);
// Calls `each` for every character of `text` (a whole UTF-8 character, or a lone byte that is
// not part of one), with whether a terminal may be handed it as it is: no control character,
// no mark that turns the direction of the text, nothing that is not UTF-8.
void for_each_character(std::string_view text,
                        const std::function<void(std::string_view, bool)>& each);

// The same without the quotes, for a name that a message shows as it is ("wrote mainnds.bmp").
[[nodiscard]] std::string shown(const std::filesystem::path& file);
[[nodiscard]] std::string shown(const std::string& file);

// Throws Error("cannot <operation> \"<file>\": <cause>").
[[noreturn]] void throw_io_error(std::string_view operation, const std::filesystem::path& file,
                                 int error_number);

}  // namespace orbskin::runtime
